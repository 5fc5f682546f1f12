// Beam elevations (CDBIO::InitBeamZs): the support rules and elevation steps on a hand-built model
// of golden records, the support index against a plain scan, and generated buildings whose
// elevations are already right (recomputing changes nothing; an old-stamp copy upgrades to them).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <random>

#include "dbio/dbio.h"
#include "dbio/support_index.h"
#include "dbio/versioned_table.h"
#include "geom/primitives.h"
#include "golden_bytes.h"
#include "mdf/cqelmdf.h"
#include "mdf/smdf.h"
#include "member_golden.h"
#include "model_gen.h"
#include "test_db.h"
#include "test_support.h"

namespace {

using Bytes = std::vector<unsigned char>;
using namespace qeltest;

std::vector<_BEAM3D> ReadBeams(CDBIO& db) {
  const int n = db.GetRecordCount("b3d", db.GetBeamRecordSize(qel::kStampOfFile));
  EXPECT_GE(n, 0);
  std::vector<_BEAM3D> beams(static_cast<std::size_t>(std::max(n, 0)));
  EXPECT_EQ(db.ReadBeam3DData(beams.data(), static_cast<int>(beams.size()), 0), 1);
  return beams;
}

Bytes Supported(Bytes beam, XY s1, XY s2, float iDistance, float span) {
  PutF64(beam, 40, s1.x);
  PutF64(beam, 48, s1.y);
  PutF64(beam, 56, s2.x);
  PutF64(beam, 64, s2.y);
  PutF32(beam, 224, iDistance);
  PutF32(beam, 232, span);
  return beam;
}

// Two stories on one floor type. Story 1 (elevation 200) is the floor type's last story, so its
// members carry story 0's beams as well as its own. Story 0 (elevation 100) holds probe beams and
// a decoy column that must not count.
TEST(BeamElevations, SupportRulesAndElevationSteps) {
  TempDir dir;
  const std::string base = dir.File("m");
  auto mdf = std::make_unique<SMDF>();
  mdf->NumStories = 2;
  mdf->NumFlrTypes = 1;

  const Bytes columns = Concat({
      ColumnRecord({250, 150}, -50),  // story 0's decoy
      ColumnRecord({0, 0}, -3),       // story 1: first within 0.01 of (0, 0)
      ColumnRecord({0.005, 0.005}, -7),
      ColumnRecord({400, 0}, -1),
      ColumnRecord({0, 800}, -8),
      ColumnRecord({400, 800}, 0),
  });
  const Bytes walls = WallRecord({0, 300}, {400, 300}, -4, 0);
  // Story 1's girder, stored with stale support elevations (-30, -10) that story 0 must see.
  Bytes girder = BeamRecord({0, 0}, {400, 0});
  PutF64(girder, 384, -30);
  PutF64(girder, 392, -10);
  // A beam carrying points on its I-end link segment (0, 500)-(0, 600).
  Bytes linked = BeamRecord({0, 500}, {400, 500});
  PutF64(linked, 384, -6);
  PutF64(linked, 392, -2);
  PutF64(linked, 1088, 600);
  PutU32(linked, 1128, 1);

  Bytes sloped = Supported(BeamRecord({600, 0}, {600, 0}), {600, 0}, {640, 0}, 5, 40);
  PutF64(sloped, 808, 45);
  Bytes slopedBack = Supported(BeamRecord({700, 0}, {700, 0}), {660, 0}, {700, 0}, 5, 40);
  PutF64(slopedBack, 808, 45);
  const Bytes inner = Supported(BeamRecord({0, 800}, {400, 800}), {100, 800}, {300, 800}, 100, 200);
  Bytes innerMode2 = inner;
  PutU32(innerMode2, 960, 2);
  const Bytes probes = Concat({
      BeamRecord({0, 0}, {400, 0}),            // 0: on two columns
      BeamRecord({100, 0}, {100, 300}),        // 1: on the girder (stale values) and on the wall
      BeamRecord({250, 150}, {260, 150}),      // 2: only the decoy is there
      BeamRecord({0, 550}, {50, 550}),         // 3: on the link segment
      BeamRecord({400.005, 500}, {450, 500}),  // 4: next to the linked beam's J end
      sloped, slopedBack, inner, innerMode2,   // 5 to 8
  });
  WriteBytes(base + ".b3d", Concat({probes, girder, BeamRecord({100, 0}, {100, 300}), linked}));
  WriteBytes(base + ".c3d", columns);
  WriteBytes(base + ".w3d", walls);
  WriteBytes(base + ".sty", Concat({StoryRecord({.elevation = 100, .beams = 9, .columns = 1}),
                                    StoryRecord({.elevation = 200,
                                                 .beams = 3,
                                                 .firstBeam = 9,
                                                 .columns = 5,
                                                 .firstColumn = 1,
                                                 .walls = 1})}));

  TestDB db(CString(base), mdf.get());
  db.InitBeamZs();
  const std::vector<_BEAM3D> b = ReadBeams(db);
  ASSERT_EQ(b.size(), 12u);
  auto ends = [&](int i, double zi, double zj) {
    EXPECT_DOUBLE_EQ(b[i].dIEndElevation, zi) << "beam " << i;
    EXPECT_DOUBLE_EQ(b[i].ptILink.z, zi) << "beam " << i;
    EXPECT_DOUBLE_EQ(b[i].dJEndElevation, zj) << "beam " << i;
  };
  auto supports = [&](int i, double z1, double z2) {
    EXPECT_NEAR(b[i].dSupport1Elevation, z1, 1e-12) << "beam " << i;
    EXPECT_NEAR(b[i].dSupport2Elevation, z2, 1e-12) << "beam " << i;
  };
  ends(0, 97, 99);
  supports(0, -3, -1);
  ends(1, 75, 97);  // -30 + 20 * 100 / 400 on the stale girder; the wall -4 + 4 * 100 / 400
  ends(2, 100, 100);
  ends(3, 94, 100);
  ends(4, 100, 100);
  // Zero plan length: the slope carries one support to the other (lengths stay, span updates).
  supports(5, 0, 40);
  EXPECT_FLOAT_EQ(b[5].fIEndDistance, 5);
  EXPECT_FLOAT_EQ(b[5].fSupportSpan, static_cast<float>(std::sqrt(3200.0)));
  supports(6, 40, 0);
  // Supports inside the span: interpolated between the ends (92 and 100), lengths from the end
  // elevation rule (mode 0 extrapolates to the I end; mode 2 keeps the first support's).
  ends(7, 92, 100);
  supports(7, -6, -2);
  EXPECT_FLOAT_EQ(b[7].fIEndDistance, static_cast<float>(std::sqrt(100.0 * 100 + 4)));
  EXPECT_FLOAT_EQ(b[7].fJEndDistance, static_cast<float>(std::sqrt(300.0 * 300 + 16)));
  EXPECT_FLOAT_EQ(b[7].fSupportSpan, static_cast<float>(std::sqrt(200.0 * 200 + 16)));
  EXPECT_FLOAT_EQ(b[8].fIEndDistance, 100);
  EXPECT_FLOAT_EQ(b[8].fJEndDistance, 300);
  // Story 1 is computed after story 0, so its beam on the girder sees the girder recomputed.
  supports(9, -3, -1);
  ends(10, 197.5, 197);

  // Without master data, or with more stories than the table holds, nothing is touched.
  Bytes before = ReadBytes(base + ".b3d");
  PutF64(before, 384, 1234);
  WriteBytes(base + ".b3d", before);
  TestDB bare(CString(base), nullptr);
  bare.InitBeamZs();
  mdf->NumStories = 3;
  db.InitBeamZs();
  EXPECT_EQ(ReadBytes(base + ".b3d"), before);
}

// Reading the stories' columns and walls converts old tables on disk, as the suite's reading of
// every story's members does, even where no floor type looks at them.
TEST(BeamElevations, OldColumnAndWallTablesAreConverted) {
  TempDir dir;
  const std::string base = dir.File("m");
  SMDF mdf{};
  mdf.NumStories = 2;
  mdf.NumFlrTypes = 2;
  WriteBytes(base + ".sty", Concat({StoryRecord({.floorType = 0, .columns = 1, .walls = 1}),
                                    StoryRecord({.floorType = 0, .elevation = 10})}));
  // Two records each, so that the story's one is part of the table.
  const Bytes column = ColumnRecord({0, 0}, 0, 0x000F0500, 1000);
  const Bytes wall = WallRecord({0, 0}, {9, 0}, 0, 0, 0x000F0500, 512);
  WriteBytes(base + ".c3d", Concat({column, column}));
  WriteBytes(base + ".w3d", Concat({wall, wall}));
  TestDB db(CString(base), &mdf);
  db.InitBeamZs();
  const Bytes columns = ReadBytes(base + ".c3d"), walls = ReadBytes(base + ".w3d");
  ASSERT_EQ(columns.size(), 2u * 1072);
  EXPECT_EQ(GetU32(columns, 596), 0x00110300u);
  ASSERT_EQ(walls.size(), 2u * 584);
  EXPECT_EQ(GetU32(walls, 188), 0x00100000u);
}

// The documented support tests, written out plainly, for the index to be held to.
bool ColumnAt(const _COL3D& c, const _POINT2D& p) {
  return std::fabs(c.ptPlan.x - p.x) <= 0.01 && std::fabs(c.ptPlan.y - p.y) <= 0.01;
}
bool On(const _POINT2D& p, _POINT2D a, _POINT2D b) {
  const _LINE2D line{a, b};
  return DistancePointToLine(&p, &line) <= 0.02 && IsPointInSgmt(&p, &line, 0.01) == 3;
}
bool Carries(const _BEAM3D& b, const _POINT2D& p) {
  if (On(p, b.ptSupport1, b.ptSupport2) && DistanceBtwnPoints(&p, &b.ptIEnd) >= 0.01 &&
      DistanceBtwnPoints(&p, &b.ptJEnd) >= 0.01)
    return true;
  if (b.bILink && On(p, b.ptIEnd, {b.ptILink.x, b.ptILink.y})) return true;
  return b.bJLink && On(p, b.ptJEnd, {b.ptJLink.x, b.ptJLink.y});
}

TEST(BeamElevations, SupportIndexGivesTheFirstSupportInArrayOrder) {
  std::mt19937 rng(12345);
  // Members up to 100 long on a 2000 x 2000 floor, on a 20-unit lattice so that ends, lines and
  // columns coincide often; points within and just beyond every tolerance. The second round
  // shrinks the floor a thousandfold, so that cells are small against the tolerances and points
  // fall near cell borders.
  double scale = 1;
  auto coord = [&] { return scale * 20.0 * static_cast<int>(rng() % 100); };
  auto step = [&] { return scale * 20.0 * (static_cast<int>(rng() % 11) - 5); };
  auto jitter = [&] {
    static const double kSteps[] = {0, 0.004, -0.009, 0.0101, -0.015, 0.019, 0.021, -0.03, 0.5};
    return kSteps[rng() % 9];
  };
  for (int round = 0; round < 2; ++round) {
    scale = round == 0 ? 1 : 0.001;
    std::vector<_COL3D> columns(300);
    std::vector<_WALL3D> walls(300);
    std::vector<_BEAM3D> beams(1500);
    for (auto& c : columns) c.ptPlan = {coord() + jitter(), coord() + jitter()};
    for (auto& w : walls) {
      w.ptIEnd = {coord(), coord()};
      w.ptJEnd = rng() % 10 ? _POINT2D{w.ptIEnd.x + step(), w.ptIEnd.y + step()}
                            : _POINT2D{w.ptIEnd.x + jitter() / 2, w.ptIEnd.y + jitter() / 2};
    }
    for (auto& b : beams) {
      b.ptIEnd = b.ptSupport1 = {coord(), coord()};
      b.ptJEnd = b.ptSupport2 = {b.ptIEnd.x + step(), b.ptIEnd.y + (rng() % 4 ? step() : jitter())};
      if (rng() % 5 == 0) {
        b.bILink = 1;
        b.ptILink = {b.ptIEnd.x + step(), b.ptIEnd.y + step(), 0};
      }
      if (rng() % 5 == 0) {
        b.bJLink = 1;
        b.ptJLink = {b.ptJEnd.x + jitter(), b.ptJEnd.y + 40 * scale, 0};
      }
    }
    // Members the index cannot place: far away, not finite.
    columns[7].ptPlan = {3e9, 0};
    walls[11].ptJEnd = {std::numeric_limits<double>::quiet_NaN(), 5};
    beams[13].ptSupport2 = {1e12, 1e12};
    qel::SupportIndex index(columns.data(), 300, walls.data(), 300, beams.data(), 1500);

    long tests = 0, queries = 0;
    auto check = [&](const _POINT2D& p) {
      ++queries;
      auto first = [&](auto& list, auto test, qel::SupportIndex::Kind kind) {
        int expected = -1;
        for (int i = 0; i < static_cast<int>(list.size()) && expected < 0; ++i)
          if (test(list[i], p)) expected = i;
        const int got = index.First(kind, p, [&](int i) {
          ++tests;
          return test(list[i], p);
        });
        EXPECT_EQ(got, expected) << "kind " << kind << " at " << p.x << ", " << p.y;
      };
      first(columns, ColumnAt, qel::SupportIndex::kColumns);
      first(
          walls, [](const _WALL3D& w, const _POINT2D& q) { return On(q, w.ptIEnd, w.ptJEnd); },
          qel::SupportIndex::kWalls);
      first(beams, Carries, qel::SupportIndex::kBeams);
    };
    for (int k = 0; k < 800; ++k) {
      const _BEAM3D& b = beams[rng() % beams.size()];
      const double t = (rng() % 11) / 10.0;
      const _POINT2D a = rng() % 2 ? b.ptSupport1 : b.ptIEnd;
      const _POINT2D e = rng() % 3 ? b.ptSupport2 : _POINT2D{b.ptJLink.x, b.ptJLink.y};
      check({a.x + t * (e.x - a.x) + jitter(), a.y + t * (e.y - a.y) + jitter()});
      const _WALL3D& w = walls[rng() % walls.size()];
      check({w.ptIEnd.x + t * (w.ptJEnd.x - w.ptIEnd.x) + jitter(), w.ptIEnd.y + jitter()});
      const _COL3D& c = columns[rng() % columns.size()];
      check({c.ptPlan.x + jitter(), c.ptPlan.y + jitter()});
    }
    check({std::numeric_limits<double>::quiet_NaN(), 0});
    check({-5e9, 2});
    // A plain scan tests about 2100 members per query. The index tests the members near the
    // point and the few dozen degenerate ones it keeps on every list.
    EXPECT_LT(tests / queries, 150) << "the index does not narrow the candidates";
  }
}

// Generated buildings: elevations already as their supports give them.
class GeneratedModel : public ::testing::Test {
 protected:
  void SetUp() override {
    CQelMDF::SetProfileReader(
        [](const char*, const char*, const char* def) { return std::string(def); });
  }
  void TearDown() override { CQelMDF::SetProfileReader(nullptr); }

  static void ExpectSameBeams(const std::vector<_BEAM3D>& a, const std::vector<_BEAM3D>& b) {
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
      EXPECT_EQ(a[i].dwVersion, b[i].dwVersion);
      EXPECT_EQ(std::memcmp(&a[i].ptIEnd, &b[i].ptIEnd, 64), 0) << "plan geometry of beam " << i;
      EXPECT_NEAR(a[i].dSupport1Elevation, b[i].dSupport1Elevation, 1e-9) << "beam " << i;
      EXPECT_NEAR(a[i].dSupport2Elevation, b[i].dSupport2Elevation, 1e-9) << "beam " << i;
      EXPECT_NEAR(a[i].dIEndElevation, b[i].dIEndElevation, 1e-9) << "beam " << i;
      EXPECT_NEAR(a[i].ptJLink.z, b[i].ptJLink.z, 1e-9) << "beam " << i;
      EXPECT_NEAR(a[i].fSupportSpan, b[i].fSupportSpan, 1e-3) << "beam " << i;
      EXPECT_NEAR(a[i].fJEndDistance, b[i].fJEndDistance, 1e-3) << "beam " << i;
      EXPECT_EQ(a[i].fIEndDistance, b[i].fIEndDistance) << "beam " << i;
    }
  }
  TempDir dir_;
};

TEST_F(GeneratedModel, RecomputingElevationsChangesNothing) {
  qelgen::Options opt;
  opt.stories = 4;
  opt.beamsPerStory = 60;
  opt.seed = 7;
  std::vector<std::string> written;
  std::string error;
  const std::string base = dir_.File("gen");
  ASSERT_TRUE(qelgen::Generate(base, opt, written, error)) << error;
  SMDF mdf{};
  TestDB db(CString(base), &mdf);
  ASSERT_TRUE(db.ReadMdf(&mdf));
  const std::vector<_BEAM3D> before = ReadBeams(db);
  ASSERT_EQ(before.size(), 240u);
  db.InitBeamZs();
  ExpectSameBeams(ReadBeams(db), before);
  // Not a model of flat floors only: some supports stop short of their story.
  int sloped = 0;
  for (const _BEAM3D& b : before) sloped += b.dSupport1Elevation != b.dSupport2Elevation;
  EXPECT_GT(sloped, 10);
}

TEST_F(GeneratedModel, OldBeamsUpgradeToTheCurrentModel) {
  qelgen::Options opt;
  opt.stories = 3;
  opt.beamsPerStory = 50;
  opt.seed = 3;
  std::vector<std::string> written;
  std::string error;
  ASSERT_TRUE(qelgen::Generate(dir_.File("new"), opt, written, error)) << error;
  opt.beamStamp = 0x000E0400;  // 14.4.0: 1000-byte beams without links
  ASSERT_TRUE(qelgen::Generate(dir_.File("old"), opt, written, error)) << error;
  ASSERT_EQ(ReadBytes(dir_.File("old.b3d")).size(), 150u * 1000);

  SMDF mdfNew{}, mdfOld{};
  TestDB current(CString(dir_.File("new")), &mdfNew), old(CString(dir_.File("old")), &mdfOld);
  ASSERT_TRUE(current.ReadMdf(&mdfNew));
  ASSERT_TRUE(old.ReadMdf(&mdfOld));
  ExpectSameBeams(ReadBeams(old), ReadBeams(current));
  EXPECT_EQ(ReadBytes(dir_.File("old.b3d")).size(), 150u * 1312);
}

}  // namespace
