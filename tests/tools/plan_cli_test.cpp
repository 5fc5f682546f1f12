// `qeldb plan` and `qeldb grids --svg`: the documents parse, and the PNG shows the grid lines and
// a story's members where the geometry puts them, found by looking at its pixels.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "geom/grid_file.h"
#include "member_golden.h"
#include "picture.h"
#include "test_support.h"

namespace {

using qeltest::InkNear;
using qeltest::IsInk;
using qeltest::ReadBytes;
using qeltest::RunQeldb;
using qeltest::WriteBytes;

// X grids A at 0, B at 100 and C at 300, C stopping at y = 150; Y grids 1 at 0 and 2 at 200.
// Every grid has bubbles at both ends.
void WriteModel(const std::string& base) {
  CGridSys s(1, "Main", GRID_SYS_ORTHOGONAL, 0, 0, 0, 0);
  CGrid a(1, "A", 0, 0, 0, 0, 0, 1, 1, 0), b(2, "B", 100, 0, 0, 0, 0, 1, 1, 0),
      c(3, "C", 300, 0, 150, 0, 1, 1, 1, 0);
  CGrid one(1, "1", 0, 0, 0, 0, 0, 1, 1, 0), two(2, "2", 200, 0, 0, 0, 0, 1, 1, 0);
  s.m_aXGrids.Add(a);
  s.m_aXGrids.Add(b);
  s.m_aXGrids.Add(c);
  s.m_aYGrids.Add(one);
  s.m_aYGrids.Add(two);
  CArray<CGridSys, CGridSys&> systems;
  systems.Add(s);
  ASSERT_TRUE(qel::WriteGridSysFile((base + ".grs").c_str(), systems));
}

int Count(const pugi::xml_document& doc, const char* xpath) {
  return static_cast<int>(doc.select_nodes(xpath).size());
}

TEST(PlanCommand, PngShowsTheGridWhereTheGeometryPutsIt) {
  qeltest::TempDir dir;
  const std::string model = dir.File("m");
  WriteModel(model);
  auto r = RunQeldb({"plan", model, "-o", dir.File("m.png"), "--width", "800"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "wrote " + dir.File("m.png") + "\n");
  const qeldb::Raster pic = qeltest::ReadPng(dir.File("m.png"));
  ASSERT_EQ(pic.width, 800);

  // Half-way down the picture lies inside the plan, below C's end: the three X lines cross it,
  // spaced as 100 to 200.
  const std::vector<int> columns = qeltest::InkRunsInRow(pic, pic.height / 2);
  ASSERT_EQ(columns.size(), 3u);
  const int cA = columns[0], cB = columns[1], cC = columns[2];
  const double scale = (cC - cA) / 300.0;  // pixels per plan unit
  EXPECT_NEAR(cB - cA, 100 * scale, 2);
  EXPECT_GT(cA, 40);  // the plan keeps clear of the picture's edges, bubbles included
  EXPECT_LT(cC, pic.width - 40);

  // Between A and B the two Y lines run across, 200 apart; the lowest ink is line 1.
  const std::vector<int> rows = qeltest::InkRunsInColumn(pic, (cA + cB) / 2);
  ASSERT_GE(rows.size(), 2u);
  const int r2 = rows[rows.size() - 2], r1 = rows.back();
  EXPECT_NEAR(r1 - r2, 200 * scale, 2);
  auto row = [&](double y) { return static_cast<int>(std::lround(r1 - y * scale)); };

  // y points up: C rises from line 1 to y = 150 and is absent near line 2.
  EXPECT_TRUE(InkNear(pic, cC, row(20)));
  EXPECT_TRUE(InkNear(pic, cC, row(140)));
  EXPECT_FALSE(InkNear(pic, cC, row(185), 2));
  // Nothing inside a bay.
  EXPECT_FALSE(InkNear(pic, (cA + cB) / 2, row(100), 3));
  // A's bubbles: circles of radius 20 pixels centred 30 pixels beyond lines 1 and 2.
  for (int centre : {r1 + 30, r2 - 30}) {
    EXPECT_TRUE(InkNear(pic, cA - 20, centre)) << centre;
    EXPECT_TRUE(InkNear(pic, cA + 20, centre)) << centre;
    EXPECT_TRUE(InkNear(pic, cA, centre - 20)) << centre;
  }

  // Without bubbles the same places are blank, and the lines stay.
  r = RunQeldb({"plan", model, "-o", dir.File("bare.png"), "--width", "800", "--no-bubbles"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const qeldb::Raster bare = qeltest::ReadPng(dir.File("bare.png"));
  EXPECT_EQ(qeltest::InkRunsInRow(bare, bare.height / 2).size(), 3u);
  const std::vector<int> bareRows = qeltest::InkRunsInColumn(bare, (cA + cB) / 2);
  ASSERT_GE(bareRows.size(), 1u);
  EXPECT_FALSE(InkNear(bare, cA - 20, bareRows.back() + 30, 2));
}

TEST(PlanCommand, SvgDocumentsAndTheRulesForWriting) {
  qeltest::TempDir dir;
  const std::string model = dir.File("m");
  WriteModel(model);

  // To stdout: one bubble per grid end (5 grids, both ends), its label in each, and the title.
  auto r = RunQeldb({"plan", model + ".qel"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  pugi::xml_document doc;
  ASSERT_TRUE(doc.load_string(r.out.c_str())) << r.out;
  EXPECT_STREQ(doc.document_element().name(), "svg");
  EXPECT_STREQ(doc.document_element().attribute("width").value(), "1200");
  EXPECT_EQ(Count(doc, "//ellipse"), 10);
  EXPECT_EQ(Count(doc, "//text"), 11);
  EXPECT_STREQ(doc.select_node("//text").node().child_value(), "m: grid systems");

  // `grids --svg` draws the same grids into a file, and will not replace one without --force.
  const std::string svg = dir.File("grids.svg");
  r = RunQeldb({"grids", model, "--svg", svg});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  ASSERT_TRUE(doc.load_file(svg.c_str()));
  EXPECT_EQ(Count(doc, "//ellipse"), 10);
  r = RunQeldb({"grids", model, "--svg", svg});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("already exists"), std::string::npos) << r.err;
  r = RunQeldb({"grids", model, "--svg", svg, "--force"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  // Text scale 2 doubles the bubbles: radius 40 less half the inside-frame pen.
  r = RunQeldb({"plan", model, "--text-scale", "2"});
  ASSERT_TRUE(doc.load_string(r.out.c_str()));
  EXPECT_STREQ(doc.select_node("//ellipse").node().attribute("rx").value(), "39.5");

  // A name that is no picture is refused; nothing is left behind. (A missing or damaged grid
  // file is read as `grids` reads it.)
  r = RunQeldb({"plan", model, "-o", dir.File("m.jpg")});
  EXPECT_EQ(r.exitCode, 2);
  // Geometry that cannot be drawn is refused rather than drawn off the picture.
  CGridSys far(1, "Far", GRID_SYS_ORTHOGONAL, 0, 0, 0, 0);
  CGrid x(1, "X", 1e300, 0, 0, 0, 0, 1, 1, 0), y(1, "Y", 0, 0, 0, 0, 0, 1, 1, 0);
  far.m_aXGrids.Add(x);
  far.m_aYGrids.Add(y);
  CArray<CGridSys, CGridSys&> farSystems;
  farSystems.Add(far);
  ASSERT_TRUE(qel::WriteGridSysFile(dir.File("far.grs").c_str(), farSystems));
  r = RunQeldb({"plan", dir.File("far"), "-o", dir.File("far.svg")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("out of range"), std::string::npos) << r.err;
  // m.grs, grids.svg, far.grs and nothing else.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            3);
}

// Two stories over WriteModel's grids. Story 0: a beam at y = 50 and a column at (200, 100).
// Story 1 (elevation 12.5): a beam from (0, 170) to (100, 170), a wall from (100, 30) to
// (300, 30), a column at (400, 60) beyond the grids, and two braces. The beams are of 14.5.0, an
// older layout that is read converted.
void WriteStories(const std::string& base) {
  const unsigned long kOldBeams = 0x000E0500;
  WriteBytes(base + ".b3d",
             qeltest::Concat({qeltest::BeamRecord({0, 50}, {100, 50}, kOldBeams, 1136),
                              qeltest::BeamRecord({0, 170}, {100, 170}, kOldBeams, 1136)}));
  WriteBytes(base + ".c3d", qeltest::Concat({qeltest::ColumnRecord({200, 100}),
                                             qeltest::ColumnRecord({400, 60})}));
  WriteBytes(base + ".w3d", qeltest::WallRecord({100, 30}, {300, 30}));
  WriteBytes(base + ".r3d", std::vector<unsigned char>(2 * 736));
  qeltest::StoryRanges ground, first;
  ground.beams = ground.columns = 1;
  first.elevation = 12.5f;
  first.beams = first.firstBeam = first.columns = first.firstColumn = first.walls = 1;
  first.braces = 2;
  WriteBytes(base + ".sty",
             qeltest::Concat({qeltest::StoryRecord(ground), qeltest::StoryRecord(first)}));
}

TEST(PlanCommand, StoryMembersLandWhereTheirCoordinatesSay) {
  qeltest::TempDir dir;
  const std::string model = dir.File("m");
  WriteModel(model);
  WriteStories(model);
  const auto beams = ReadBytes(model + ".b3d");
  const auto stamp = std::filesystem::last_write_time(model + ".b3d");

  auto r = RunQeldb({"plan", model, "--story", "1", "-o", dir.File("s1.png"), "--width", "800"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.err.find("story 1: its 2 braces are not drawn"), std::string::npos) << r.err;
  const qeldb::Raster pic = qeltest::ReadPng(dir.File("s1.png"));
  ASSERT_EQ(pic.width, 800);
  // The grids give the scale and the origin, as in the grid-only picture.
  const std::vector<int> columns = qeltest::InkRunsInRow(pic, pic.height / 2);
  ASSERT_EQ(columns.size(), 3u);
  const int cA = columns[0], cB = columns[1], cC = columns[2];
  const double scale = (cC - cA) / 300.0;
  const std::vector<int> rows = qeltest::InkRunsInColumn(pic, (cA + cB) / 2);
  ASSERT_GE(rows.size(), 3u);
  const int r1 = rows.back();
  auto x = [&](double px) { return static_cast<int>(std::lround(cA + px * scale)); };
  auto y = [&](double py) { return static_cast<int>(std::lround(r1 - py * scale)); };
  auto dark = [&](int px, int py) {
    const qeltest::Rgb c = qeltest::PixelOverWhite(pic, px, py);
    return c.r < 128 && std::abs(c.r - c.b) < 40;  // black or grey, not the grids' blue
  };

  // Dark pixels within 8 of (px, py) along its column (or row): how thick a mark is there,
  // whatever the half-pixel rounding of where it starts.
  auto thickness = [&](int px, int py, bool alongColumn) {
    int n = 0;
    for (int d = -8; d <= 8; ++d) n += alongColumn ? dark(px, py + d) : dark(px + d, py);
    return n;
  };

  // The beam crosses the middle of bay A-B at y = 170, drawn in black over the blank bay.
  EXPECT_NEAR(rows[rows.size() - 2], y(170), 1);
  EXPECT_TRUE(dark(x(50), y(170)));
  // The wall is a thick grey line at y = 30 from B to C, six pixels across (a beam is two).
  EXPECT_GE(thickness(x(200), y(30), true), 5);
  EXPECT_LE(thickness(x(200), y(30), true), 7);
  EXPECT_LE(thickness(x(50), y(170), true), 3);
  // The column at x = 400 lies beyond the grids and is still inside the picture, the fit having
  // taken it in: a filled square ten pixels each way.
  EXPECT_GE(thickness(x(400), y(60), true), 9);
  EXPECT_GE(thickness(x(400), y(60), false), 9);
  EXPECT_LT(x(400) + 5, pic.width - 40);
  // Story 0's beam (y = 50) and column (200, 100) are not drawn.
  EXPECT_FALSE(InkNear(pic, x(50), y(50), 3));
  EXPECT_FALSE(InkNear(pic, x(200), y(100), 3));

  // Read out of a zip archive, the title names the story and its elevation; one square per
  // column.
  qeltest::TempDir zips;
  ASSERT_EQ(RunQeldb({"pack", dir.path().string(), zips.File("m.zip")}).exitCode, 0);
  r = RunQeldb({"plan", "m", "--archive", zips.File("m.zip"), "--story", "1"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  pugi::xml_document doc;
  ASSERT_TRUE(doc.load_string(r.out.c_str())) << r.out;
  EXPECT_STREQ(doc.select_node("//text").node().child_value(), "m: story 1, elevation 12.5");
  EXPECT_EQ(Count(doc, "//g/rect"), 1);

  // Reading the old beams converted nothing on disk.
  EXPECT_EQ(ReadBytes(model + ".b3d"), beams);
  EXPECT_EQ(std::filesystem::last_write_time(model + ".b3d"), stamp);

  // An unknown story, or a model without stories, is a usage error; without grids the story's
  // members are drawn alone.
  r = RunQeldb({"plan", model, "--story", "2"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("no story 2 (the model has 2)"), std::string::npos) << r.err;
  EXPECT_EQ(r.out, "");
  std::filesystem::remove(model + ".grs");
  r = RunQeldb({"plan", model, "--story", "0"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  ASSERT_TRUE(doc.load_string(r.out.c_str())) << r.out;
  EXPECT_EQ(Count(doc, "//ellipse"), 0);
  EXPECT_EQ(Count(doc, "//g/rect"), 1);
  std::filesystem::remove(model + ".sty");
  EXPECT_EQ(RunQeldb({"plan", model, "--story", "0"}).exitCode, 2);
}

}  // namespace
