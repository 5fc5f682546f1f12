// The member tables: record sizes by stamp, the conversions of older beams, columns, walls, beam
// finite elements and column-line index entries (golden records laid out by offset), and when a
// conversion rewrites the file.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "dbio/dbio.h"
#include "dbio/versioned_table.h"
#include "dbio_model.h"
#include "golden_bytes.h"
#include "mdf/smdf.h"
#include "member_golden.h"

namespace {

using Bytes = std::vector<unsigned char>;
using namespace qeltest;
using MemberTables = ModelTest;

constexpr unsigned long V(unsigned a, unsigned b, unsigned c) { return a << 16 | b << 8 | c; }

// The file's own stamp: that of record 0, read from the file or the memory buffer.
TEST_F(MemberTables, RecordSizeOfTheFilesOwnStamp) {
  WriteBytes(base_ + ".w3d", WallRecord({0, 0}, {1, 0}, 0, 0, V(15, 5, 0), 512));
  EXPECT_EQ(db_.GetWallRecordSize(qel::kStampOfFile), 512);
  WriteBytes(base_ + ".w3d", Bytes(191));  // too short to hold the stamp
  EXPECT_EQ(db_.GetWallRecordSize(qel::kStampOfFile), -1);
  Bytes memory = ColumnRecord({0, 0}, 0, V(14, 5, 0), 944);
  db_.SetMemoryReadBuffer(&memory);
  EXPECT_EQ(db_.GetColRecordSize(qel::kStampOfFile), 944);
}

// A model whose old beams need their elevations: story 0 (floor type 0, elevation 100) with a
// column at (0, 0) stopping 2 short and one at (300, 0), a girder between them and a beam
// framing into the girder's middle.
SMDF WriteOldBeamModel(const std::string& base, unsigned long stamp, int size) {
  SMDF mdf{};
  mdf.NumStories = 1;
  mdf.NumFlrTypes = 1;
  WriteBytes(base + ".sty", StoryRecord({.elevation = 100, .beams = 2, .columns = 2}));
  WriteBytes(base + ".c3d", Concat({ColumnRecord({0, 0}, -2), ColumnRecord({300, 0}, 0)}));
  Bytes girder = BeamRecord({0, 0}, {300, 0}, stamp, size, 55);
  Bytes infill = BeamRecord({150, 0}, {150, 200}, stamp, size, 55);
  for (Bytes* b : {&girder, &infill}) {
    if (size >= 1136) PutU32(*b, 1128, 1);   // link flags the conversion must clear
    if (size >= 1136) PutF64(*b, 1080, -9);  // and a link point it must move
  }
  WriteBytes(base + ".b3d", Concat({girder, infill}));
  return mdf;
}

TEST_F(MemberTables, OldBeamTablesAreRewrittenWithTheirElevations) {
  SMDF mdf = WriteOldBeamModel(base_, V(14, 5, 0), 1136);
  CDBIO db(CString(base_), &mdf);
  _BEAM3D beams[2];
  ASSERT_EQ(db.ReadBeam3DData(beams, 2, 0), 1);
  for (const _BEAM3D& b : beams) {
    EXPECT_EQ(b.ptILink.x, b.ptIEnd.x);
    EXPECT_EQ(b.ptJLink.y, b.ptJEnd.y);
    EXPECT_EQ(b.bILink, 0);
    EXPECT_EQ(b.bJLink, 0);
  }
  // The file now holds exactly those records at the current size.
  const Bytes file = ReadBytes(base_ + ".b3d");
  ASSERT_EQ(file.size(), 2u * 1312);
  EXPECT_EQ(file, ImageOf(beams[0], 2));
}

TEST_F(MemberTables, OldBeamTablesWithLinksAreConvertedInMemoryOrOnPartialReads) {
  // 15.5.0 records (1232 bytes) have their links: a whole read leaves the file alone.
  SMDF mdf = WriteOldBeamModel(base_, V(15, 5, 0), 1232);
  const Bytes before = ReadBytes(base_ + ".b3d");
  CDBIO db(CString(base_), &mdf);
  _BEAM3D beams[2];
  ASSERT_EQ(db.ReadBeam3DData(beams, 2, 0), 1);
  EXPECT_EQ(beams[1].dwVersion, V(17, 1, 0));
  EXPECT_EQ(beams[1].bILink, 1) << "links of 15.5.0 records are kept";
  EXPECT_EQ(beams[1].ptILink.z, 55);
  EXPECT_EQ(ReadBytes(base_ + ".b3d"), before);

  // Part of the table: the whole file is converted on disk first.
  ASSERT_EQ(db.ReadBeam3DData(beams, 1, 1), 1);
  EXPECT_EQ(beams[0].ptIEnd.x, 150);
  const Bytes after = ReadBytes(base_ + ".b3d");
  ASSERT_EQ(after.size(), 2u * 1312);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(GetU32(after, i * 1312), V(17, 1, 0));
    EXPECT_EQ(std::memcmp(after.data() + i * 1312 + 4, before.data() + i * 1232 + 4, 1228), 0);
    EXPECT_EQ(Bytes(after.begin() + i * 1312 + 1232, after.begin() + (i + 1) * 1312), Bytes(80));
  }

  // Writing stamps every record in the caller's array.
  beams[0].dwVersion = 1;
  ASSERT_EQ(db.WriteBeam3DData(beams, 1, 3, 0), 1);
  EXPECT_EQ(beams[0].dwVersion, V(17, 1, 0));
  EXPECT_EQ(ReadBytes(base_ + ".b3d").size(), 4u * 1312);
}

TEST_F(MemberTables, WallUpgradesFollowTheirStamp) {
  auto mdf = std::make_unique<SMDF>();
  mdf->bDefaultWallLWC = 1;
  mdf->bDefaultWallUseElasticModulus = 1;
  mdf->dDefaultWallFct = 0.4;
  mdf->dDefaultWallElasticModulus = 3600.25;
  mdf->dDefaultWallFyDistributed = 60;
  mdf->dDefaultWallFyBoundary = 61;
  mdf->dDefaultWallFyTiesLinks = 62;
  mdf->lWallType = 4;
  mdf->bWallIEndGap = 1;
  mdf->bWallJEndGap = 0;
  CDBIO db(CString(base_), mdf.get());

  // 11.0.0: the master data's wall defaults, then every rule up to 16.0.0.
  Bytes old = WallRecord({0, 0}, {100, 0}, 0, 0, V(11, 0, 0), 456);
  PutI32(old, 84, 77);
  WriteBytes(base_ + ".w3d", Concat({old, old}));
  _WALL3D w[2];
  ASSERT_TRUE(db.ReadWall3DData(w, 2, 0));
  EXPECT_EQ(w[1].dwVersion, V(16, 0, 0));
  EXPECT_EQ(w[1].bLightweightConcrete, 1);
  EXPECT_EQ(w[1].bUseElasticModulus, 1);
  EXPECT_EQ(w[1].dFct, 0.4);
  EXPECT_EQ(w[1].fElasticModulus, 3600.25f);
  EXPECT_EQ(w[1].dFyDistributed, 60);
  EXPECT_EQ(w[1].dFyBoundary, 61);
  EXPECT_EQ(w[1].dFyTiesLinks, 62);
  EXPECT_EQ(w[1].fLegacy300, 1.0f);
  EXPECT_EQ(w[1].nLegacy444, 3);
  EXPECT_EQ(w[1].nLegacy84, 0);
  EXPECT_EQ(w[1].nWallType, 4);
  EXPECT_EQ(w[1].bIEndGap, 1);
  EXPECT_EQ(w[1].nLegacy464, 1);
  EXPECT_EQ(ReadBytes(base_ + ".w3d").size(), 2u * 456) << "a whole read converts in memory";

  // Without master data the defaults stay out; the other rules apply.
  CDBIO bare(CString(base_), nullptr);
  ASSERT_TRUE(bare.ReadWall3DData(w, 2, 0));
  EXPECT_EQ(w[0].dFct, 0);
  EXPECT_EQ(w[0].nLegacy444, 3);

  // 14.4.0 keeps the float at 300; 16.1.0 goes to 17.1.0 and a kind-5 wall that uses its
  // elastic modulus takes the double at 360.
  Bytes w1440 = WallRecord({0, 0}, {1, 0}, 0, 0, V(14, 4, 0), 456);
  PutF32(w1440, 300, 2.5f);
  WriteBytes(base_ + ".w3d", w1440);
  ASSERT_TRUE(db.ReadWall3DData(w, 1, 0));
  EXPECT_EQ(w[0].fLegacy300, 2.5f);
  EXPECT_EQ(w[0].dwVersion, V(16, 0, 0));
  Bytes k5 = WallRecord({0, 0}, {1, 0}, 0, 0, V(16, 1, 0), 584);
  PutI32(k5, 80, 5);
  PutI32(k5, 196, 1);
  PutF32(k5, 296, 1.0f);
  PutF64(k5, 360, 4200.5);
  Bytes k4 = k5;
  PutI32(k4, 80, 4);
  WriteBytes(base_ + ".w3d", Concat({k5, k4}));
  ASSERT_TRUE(db.ReadWall3DData(w, 2, 0));
  EXPECT_EQ(w[0].dwVersion, V(17, 1, 0));
  EXPECT_EQ(w[0].fElasticModulus, 4200.5f);
  EXPECT_EQ(w[1].fElasticModulus, 1.0f);

  // A partial read writes the converted walls back as converted: still 16.0.0.
  WriteBytes(base_ + ".w3d", Concat({old, old, old}));
  ASSERT_TRUE(db.ReadWall3DData(w, 1, 2));
  const Bytes file = ReadBytes(base_ + ".w3d");
  ASSERT_EQ(file.size(), 3u * 584);
  EXPECT_EQ(GetU32(file, 2 * 584 + 188), V(16, 0, 0));
  EXPECT_EQ(GetF64(file, 2 * 584 + 352), 0.4);
  EXPECT_FALSE(db.ReadWall3DData(nullptr, 1, 0));
}

TEST_F(MemberTables, ColumnUpgrades) {
  // 14.4.0 (888 bytes): the link point comes from 712, 720, 752 and the block at 888 on is
  // cleared. 15.5.0 (1000 bytes) keeps its link but loses the bytes at 996.
  Bytes old = ColumnRecord({5, 6}, 0, V(14, 4, 0), 888);
  PutF64(old, 712, 11);
  PutF64(old, 720, 12);
  PutF64(old, 752, 13);
  Bytes mid = ColumnRecord({5, 6}, 0, V(15, 5, 0), 1000);
  PutF64(mid, 912, 99);
  PutF64(mid, 888, 98);
  PutU32(mid, 992, 0xDEADBEEF);  // kept
  PutU32(mid, 996, 0xFEEDFACE);  // a field that converted records have as zeros
  WriteBytes(base_ + ".c3d", old);
  _COL3D c[2];
  ASSERT_EQ(db_.ReadCol3DData(c, 1, 0), 1);
  EXPECT_EQ(c[0].dwVersion, V(17, 3, 0));
  EXPECT_EQ(c[0].ptLink.x, 11);
  EXPECT_EQ(c[0].ptLink.y, 12);
  EXPECT_EQ(c[0].ptLink.z, 13);
  WriteBytes(base_ + ".c3d", Concat({mid, mid}));
  ASSERT_EQ(db_.ReadCol3DData(c, 2, 0), 1);
  EXPECT_EQ(c[1].ptLink.x, 99);
  EXPECT_EQ(c[1].adLinkBlock[0], 98);
  const Bytes got = ImageOf(c[1]);
  EXPECT_EQ(Bytes(got.begin() + 992, got.begin() + 996),
            Bytes(mid.begin() + 992, mid.begin() + 996));
  EXPECT_EQ(Bytes(got.begin() + 996, got.begin() + 1004), Bytes(8));
  EXPECT_EQ(ReadBytes(base_ + ".c3d").size(), 2000u) << "a whole read converts in memory";

  // A partial read converts the file: stamped 17.3.0 from record 0, not truncated.
  ASSERT_EQ(db_.ReadCol3DData(c, 1, 1), 1);
  const Bytes file = ReadBytes(base_ + ".c3d");
  ASSERT_EQ(file.size(), 2u * 1072);
  EXPECT_EQ(GetU32(file, 1072 + 596), V(17, 3, 0));
  c[0].dwVersion = 0;
  ASSERT_EQ(db_.WriteCol3DData(c, 1, 0, 1), 1);
  EXPECT_EQ(GetU32(ReadBytes(base_ + ".c3d"), 596), V(17, 3, 0));

  _COL3D fresh{};
  fresh.dLinkBlock4 = 3;
  CDBIO::InitColLinkInfo(fresh);
  EXPECT_EQ(fresh.dLinkBlock4, 0);
}

TEST_F(MemberTables, FiniteElementsAndColumnLines) {
  // Beam finite elements of 40 bytes: a partial read rewrites the file at 160 (truncating).
  Bytes fe(3 * 40);
  for (int i = 0; i < 3; ++i) {
    PutU32(fe, i * 40, V(14, 0, 0));
    PutI32(fe, i * 40 + 4, 100 + i);
  }
  WriteBytes(base_ + ".bfe", fe);
  _BEAMFE elements[1];
  ASSERT_EQ(db_.ReadBeamFEs(elements, 1, 2), 1);
  const Bytes file = ReadBytes(base_ + ".bfe");
  ASSERT_EQ(file.size(), 3u * 160);
  EXPECT_EQ(GetU32(file, 2 * 160), V(14, 4, 0));
  EXPECT_EQ(GetU32(file, 2 * 160 + 4), 102u);

  // Column-line index: a 14.4.0 entry loses bytes 448 to 951; the file is never rewritten.
  Bytes cli(2 * 896, 0x5A);
  PutU32(cli, 288, V(14, 4, 0));
  PutU32(cli, 896 + 288, V(14, 4, 0));
  WriteBytes(base_ + ".cli", cli);
  COLLINEINDEXSTRUCT index[3];
  std::memset(index, 0x11, sizeof index);
  ASSERT_EQ(db_.ReadColLineIndex(index, 2), 1);
  Bytes got = ImageOf(index[0], 2);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(GetU32(got, i * 952 + 288), V(14, 4, 1));
    EXPECT_EQ(Bytes(got.begin() + i * 952, got.begin() + i * 952 + 288), Bytes(288, 0x5A));
    EXPECT_EQ(Bytes(got.begin() + i * 952 + 448, got.begin() + (i + 1) * 952), Bytes(504));
  }
  // Asking for more entries than the file holds converts what is there and reports the failure.
  EXPECT_EQ(db_.ReadColLineIndex(index, 3), 0);
  EXPECT_EQ(ImageOf(index[2]), Bytes(952)) << "slots after the failed read stay cleared";
  EXPECT_EQ(ReadBytes(base_ + ".cli"), cli);
  // Older than 14.4.0: 448-byte entries, kept whole.
  Bytes cli13 = Bytes(448, 0x33);
  PutU32(cli13, 288, V(13, 1, 0));
  WriteBytes(base_ + ".cli", cli13);
  ASSERT_EQ(db_.ReadColLineIndex(index, 1), 1);
  got = ImageOf(index[0]);
  EXPECT_EQ(Bytes(got.begin() + 292, got.begin() + 448), Bytes(156, 0x33));
  EXPECT_EQ(Bytes(got.begin() + 448, got.end()), Bytes(504));
  index[0].dwVersion = 0;
  ASSERT_EQ(db_.WriteColLineIndex(index, 1), 1);
  EXPECT_EQ(GetU32(ReadBytes(base_ + ".cli"), 288), V(14, 4, 1));

  // Column lines are blocks: block 2 of 3 lines starts at record 6.
  Bytes lines(9 * 8);
  for (int i = 0; i < 9; ++i) lines[i * 8] = static_cast<unsigned char>(i);
  WriteBytes(base_ + ".cln", lines);
  COLLINESTRUCT block[3] = {};
  db_.ReadColLine(block, 3, 2);
  EXPECT_EQ(block[0].data[0], 6);
  EXPECT_EQ(block[2].data[0], 8);
}

}  // namespace
