// Stories and floor types: the file records against their in-memory form (golden bytes laid out
// by offset), the member arrays hung on them, the grid files and the walls on the foundation.
#include <gtest/gtest.h>

#include <cstring>

#include "dbio/dbio.h"
#include "dbio_model.h"
#include "geom/grid_file.h"
#include "golden_bytes.h"
#include "member_golden.h"

namespace {

using Bytes = std::vector<unsigned char>;
using namespace qeltest;
using StoryTables = ModelTest;

Bytes Pattern(int count, int size) { return qeltest::Pattern(count, size, 0, 37); }

const unsigned char* Raw(const void* p) { return static_cast<const unsigned char*>(p); }

TEST_F(StoryTables, StoryRecordsMapBetweenFileAndMemory) {
  const Bytes file = Pattern(3, 336);
  WriteBytes(base_ + ".sty", file);

  SSTORY stories[3];
  std::memset(stories, 0xAB, sizeof stories);  // stale pointers and bytes
  ASSERT_EQ(db_.ReadStoryData(stories, 3, 0), 1);
  for (int i = 0; i < 3; ++i) {
    const SSTORY& s = stories[i];
    const unsigned char* rec = file.data() + i * 336;
    EXPECT_EQ(std::memcmp(Raw(&s), rec, 112), 0);
    EXPECT_EQ(std::memcmp(Raw(&s) + 208, rec + 160, 176), 0);
    EXPECT_TRUE(AllZero(Raw(&s) + 112, 88)) << "the whole pointer block is null";
    EXPECT_EQ(Raw(&s)[200], 0xAB) << "the slot after the pointers is left as it was";
  }

  // From record 1; and reads that fail leave the records alone.
  SSTORY two[2];
  ASSERT_EQ(db_.ReadStoryData(two, 2, 1), 1);
  EXPECT_EQ(std::memcmp(Raw(&two[0]) + 208, file.data() + 336 + 160, 176), 0);
  SSTORY before[3];
  std::memcpy(before, stories, sizeof stories);
  EXPECT_EQ(db_.ReadStoryData(stories, 3, 1), 0);
  EXPECT_EQ(std::memcmp(before, stories, sizeof stories), 0);
  TestDB missing(CString(dir_.File("none")), nullptr);
  EXPECT_EQ(missing.ReadStoryData(stories, 1, 0), 0);
  EXPECT_EQ(std::memcmp(before, stories, sizeof stories), 0);

  // Written back: the file bytes again, with zeros where the pointers were.
  TestDB out(CString(dir_.File("out")), nullptr);
  ASSERT_EQ(out.WriteStoryData(stories, 3, 0, 1), 1);
  Bytes expected = file;
  for (int i = 0; i < 3; ++i) std::memset(expected.data() + i * 336 + 112, 0, 48);
  EXPECT_EQ(ReadBytes(dir_.File("out.sty")), expected);
}

TEST_F(StoryTables, FloorTypeRecordsMapBetweenFileAndMemory) {
  const Bytes file = Pattern(2, 472);
  WriteBytes(base_ + ".flt", file);
  SFLRTYPE floors[2];
  std::memset(floors, 0xCD, sizeof floors);
  ASSERT_EQ(db_.ReadFloorTypeData(floors, 2, 0), 1);
  struct Piece {
    int file, memory, length;
  };
  for (int i = 0; i < 2; ++i) {
    const unsigned char* rec = file.data() + i * 472;
    for (Piece p : {Piece{0, 0, 168}, {216, 272, 96}, {312, 376, 16}, {328, 400, 144}})
      EXPECT_EQ(std::memcmp(Raw(&floors[i]) + p.memory, rec + p.file, p.length), 0) << p.file;
    EXPECT_TRUE(AllZero(Raw(&floors[i]) + 168, 104));
    EXPECT_TRUE(AllZero(Raw(&floors[i]) + 368, 8));
    EXPECT_TRUE(AllZero(Raw(&floors[i]) + 392, 8));
  }

  ASSERT_EQ(db_.WriteFloorData(floors, 2, 0, 1), 1);
  Bytes expected = file;
  for (int i = 0; i < 2; ++i) std::memset(expected.data() + i * 472 + 168, 0, 48);
  EXPECT_EQ(ReadBytes(base_ + ".flt"), expected);
}

// Stories whose members are read with them: arrays only for ranges the member files hold.
TEST_F(StoryTables, MemberArraysHangOnStoriesAndFloorTypes) {
  using R = StoryRanges;
  WriteBytes(base_ + ".sty",
             Concat({StoryRecord(R{.columns = 2, .walls = 1, .braces = 1}),  // no beams
                     StoryRecord(R{.beams = 2,
                                   .columns = 1,
                                   .firstColumn = 2,
                                   .walls = 1,
                                   .firstWall = 1}),  // no braces
                     // beams 5-7 and brace 1 are not in the files; walls 1-2 are
                     StoryRecord(R{.beams = 3,
                                   .firstBeam = 5,
                                   .columns = -1,
                                   .walls = 2,
                                   .firstWall = 1,
                                   .braces = 1,
                                   .firstBrace = 1})}));
  WriteBytes(base_ + ".c3d",
             Concat({ColumnRecord({1, 1}), ColumnRecord({2, 2}), ColumnRecord({3, 3})}));
  WriteBytes(base_ + ".b3d", Concat({BeamRecord({10, 0}, {20, 0}), BeamRecord({30, 0}, {40, 0})}));
  WriteBytes(base_ + ".w3d", Concat({WallRecord({0, 5}, {9, 5}), WallRecord({0, 6}, {9, 6}),
                                     WallRecord({0, 7}, {9, 7})}));
  WriteBytes(base_ + ".r3d", Pattern(1, 736));

  SSTORY s[3];
  db_.ReadStoryDataWith3DGeom(s, 3, 0);
  ASSERT_NE(s[0].pColumns, nullptr);
  EXPECT_EQ(s[0].pColumns[1].ptPlan.x, 2);
  EXPECT_EQ(s[0].pBeams, nullptr) << "a story without beams keeps a null array";
  ASSERT_NE(s[0].pBraces, nullptr);
  EXPECT_EQ(std::memcmp(s[0].pBraces, Pattern(1, 736).data(), 736), 0);
  ASSERT_NE(s[1].pColumns, nullptr);
  EXPECT_EQ(s[1].pColumns[0].ptPlan.x, 3);
  ASSERT_NE(s[1].pBeams, nullptr);
  EXPECT_EQ(s[1].pBeams[1].ptIEnd.x, 30);
  EXPECT_EQ(s[1].pWalls[0].ptIEnd.y, 6);
  EXPECT_EQ(s[1].pBraces, nullptr);
  EXPECT_EQ(s[2].pColumns, nullptr);
  EXPECT_EQ(s[2].pBeams, nullptr) << "records 5-7 are not in a file of 2";
  EXPECT_EQ(s[2].pBraces, nullptr);
  ASSERT_NE(s[2].pWalls, nullptr);
  EXPECT_EQ(s[2].pWalls[1].ptIEnd.y, 7);
  db_.CleanStory(s, 3);

  // Floor types: columns, beams, walls and foundations.
  Bytes flt(472);
  PutI32(flt, 20, 1);   // beams
  PutI32(flt, 72, 1);   // from record 1
  PutI32(flt, 312, 2);  // foundations
  PutI32(flt, 316, 1);  // from record 1
  WriteBytes(base_ + ".flt", flt);
  const Bytes ftg = Pattern(3, 440);
  WriteBytes(base_ + ".ftg", ftg);
  SFLRTYPE f[1];
  db_.ReadFloorDataWith3DGeom(f, 1, 0);
  EXPECT_EQ(f[0].pColumns, nullptr);
  ASSERT_NE(f[0].pBeams, nullptr);
  EXPECT_EQ(f[0].pBeams[0].ptIEnd.x, 30);
  ASSERT_NE(f[0].pFoundations, nullptr);
  EXPECT_EQ(std::memcmp(f[0].pFoundations, ftg.data() + 440, 2 * 440), 0);
  db_.CleanFloor(f, 1);

  // An absurd count is refused before anything is allocated.
  PutI32(flt, 312, 0x7FFFFFF0);
  WriteBytes(base_ + ".flt", flt);
  db_.ReadFloorDataWith3DGeom(f, 1, 0);
  EXPECT_EQ(f[0].pFoundations, nullptr);
  db_.CleanFloor(f, 1);
}

TEST_F(StoryTables, WallsOnTheFoundation) {
  // Story 0: a column at (100, 100), a beam framing (0, 200)-(300, 200), a wall (500, 0)-(500,
  // 300).
  _COL3D column{};
  column.ptPlan = {100, 100};
  _BEAM3D beam{};
  beam.ptSupport1 = {0, 200};
  beam.ptSupport2 = {300, 200};
  _WALL3D below{};
  below.ptIEnd = {500, 0};
  below.ptJEnd = {500, 300};
  _WALL3D walls[3]{};
  walls[0].ptIEnd = {100.5, 100.5};  // 0.5 from the column in x and y: supported
  walls[0].ptJEnd = {101.5, 100};    // 1.5 away in x: on the foundation
  walls[1].ptIEnd = {150, 200.8};    // within 1.0 of the beam's line, inside its span
  walls[1].ptJEnd = {350, 200.5};    // on its line but beyond its span
  walls[2].ptIEnd = {500.9, 150};    // beside the wall below
  walls[2].ptJEnd = {500, 301};      // past its end

  SSTORY stories[2]{};
  stories[0].nNumColumns = stories[0].nNumBeams = stories[0].nNumWalls = 1;
  stories[0].pColumns = &column;
  stories[0].pBeams = &beam;
  stories[0].pWalls = &below;
  stories[1].nNumWalls = 3;
  stories[1].pWalls = walls;
  for (_WALL3D& w : walls) w.bIOnFoundation = w.bJOnFoundation = 7;
  db_.FindFoundationGravityWalls(stories, 2);
  EXPECT_EQ(below.bIOnFoundation, 1);
  EXPECT_EQ(below.bJOnFoundation, 1);
  const int expected[3][2] = {{0, 1}, {0, 1}, {0, 1}};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(walls[i].bIOnFoundation, expected[i][0]) << "wall " << i;
    EXPECT_EQ(walls[i].bJOnFoundation, expected[i][1]) << "wall " << i;
  }

  // A story below whose arrays are missing (counts without arrays) supports nothing.
  SSTORY hollow{};
  hollow.nNumColumns = hollow.nNumBeams = hollow.nNumWalls = 5;
  EXPECT_EQ(db_.IsPointOnFoundation(&hollow, _POINT2D{100, 100}), 1);
  EXPECT_EQ(db_.IsPointOnFoundation(&stories[0], _POINT2D{100, 100}), 0);
}

TEST_F(StoryTables, GridIndexAndGridSystems) {
  WriteBytes(base_ + ".gri", Bytes{5, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 9, 0, 0, 0});
  int index[2] = {0, 0};
  db_.ReadGridIndex(index, 2, 1);
  EXPECT_EQ(index[0], -1);
  EXPECT_EQ(index[1], 9);

  // The systems of the model's grid file are appended to the caller's.
  CArray<CGridSys, CGridSys&> grids, two;
  CGridSys kept(7, "kept", GRID_SYS_ORTHOGONAL, 0, 0, 0, 0),
      a(1, "A", GRID_SYS_ORTHOGONAL, 0, 0, 0, 0), b(2, "B", GRID_SYS_RADIAL, 5, 5, 0, 0);
  grids.Add(kept);
  two.Add(a);
  two.Add(b);
  ASSERT_TRUE(qel::WriteGridSysFile((base_ + ".grs").c_str(), two));
  db_.ReadGridSysData(&grids);
  ASSERT_EQ(grids.GetSize(), 3);
  EXPECT_EQ(grids[2].m_strName, "B");
}

}  // namespace
