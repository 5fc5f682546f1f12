// The plain tables: which file each operation reaches, what the few with a result report, and the
// check of load combinations after reading.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "archive/spread_footing_file.h"
#include "dbio/dbio.h"
#include "dbio_model.h"
#include "golden_bytes.h"

namespace {

using namespace qeltest;
using Bytes = std::vector<unsigned char>;
using LoadCombos = ModelTest;
using PlainTables = ModelTest;

// Load combinations: case counts `counts`, case c of combination i has index 100 * i + c, except
// where `negative` puts -1 (at [combination, case]).
Bytes Combos(const std::vector<int>& counts, std::pair<int, int> negative = {-1, -1}) {
  Bytes b(counts.size() * 796);
  for (std::size_t i = 0; i < counts.size(); ++i) {
    PutI32(b, i * 796, counts[i]);
    for (int c = 0; c < 25; ++c)
      PutI32(b, i * 796 + 104 + 4 * c,
             (negative.first == static_cast<int>(i) && negative.second == c) ? -1 : 100 * i + c);
    b[i * 796 + 4] = static_cast<unsigned char>(0xA0 + i);  // an uninterpreted byte
  }
  return b;
}

TEST_F(LoadCombos, CheckedAfterReading) {
  _LOADCOMBO combos[3];
  auto check = [&](const Bytes& file, int count, int start = 0) {
    WriteBytes(base_ + ".lcb", file);
    return db_.ReadLoadCombos("lcb", combos, count, start);
  };
  EXPECT_EQ(check(Combos({0}), 1), 0);
  EXPECT_EQ(check(Combos({25}), 1), 1);
  EXPECT_EQ(check(Combos({26}), 1), 0);
  EXPECT_EQ(check(Combos({-3}), 1), 0);
  // A negative index beyond the combination's count is not looked at.
  EXPECT_EQ(check(Combos({3}, {0, 3}), 1), 1);
  EXPECT_EQ(check(Combos({3}, {0, 2}), 1), 0);

  // A bad record in the middle: the result is 0 and all three records are in the buffer.
  const Bytes three = Combos({2, 4, 25}, {1, 3});
  EXPECT_EQ(check(three, 3), 0);
  EXPECT_EQ(Bytes(reinterpret_cast<unsigned char*>(combos),
                  reinterpret_cast<unsigned char*>(combos) + sizeof combos),
            three);
  EXPECT_EQ(check(three, 1, 2), 1);
  EXPECT_EQ(combos[0].anLoadCase[24], 224);
  EXPECT_EQ(check(three, 2, 2), 0) << "past the end of the file";
  EXPECT_EQ(db_.ReadLoadCombos("none", combos, 1, 0), 0);

  // Written from record 0 without truncating.
  WriteBytes(base_ + ".lcb", three);
  _LOADCOMBO first;
  std::memcpy(&first, three.data() + 2 * 796, sizeof first);
  db_.WriteLoadCombos("lcb", &first, 1);
  Bytes expected = three;
  std::copy(three.begin() + 2 * 796, three.end(), expected.begin());
  EXPECT_EQ(ReadBytes(base_ + ".lcb"), expected);
}

TEST_F(PlainTables, EachOperationReachesItsFile) {
  Bytes sec(2 * 184);
  for (std::size_t i = 0; i < sec.size(); ++i) sec[i] = static_cast<unsigned char>(i * 7);
  WriteBytes(base_ + ".sec", sec);
  _SECTIONS s;
  db_.ReadOtherSections(&s, 1, 1);
  EXPECT_EQ(std::memcmp(&s, sec.data() + 184, 184), 0);

  // Writers keep the records around the ones written.
  Bytes ftg(2 * 440, 0x11);
  WriteBytes(base_ + ".ftg", ftg);
  _FOUNDATION3D f;
  std::memset(&f, 0x22, sizeof f);
  db_.WriteFoundations(&f, 1, 2);
  Bytes expected = ftg;
  expected.resize(3 * 440, 0x22);
  EXPECT_EQ(ReadBytes(base_ + ".ftg"), expected);
}

TEST_F(PlainTables, ReactionReadersReportTheOutcome) {
  CECTREACTSTRUCT col;
  EXPECT_EQ(db_.ReadGravColReactions(&col, 0), -1) << "no file";
  Bytes cer(2 * 1088);
  cer[1088] = 0x5A;
  WriteBytes(base_ + ".cer", cer);
  EXPECT_EQ(db_.ReadGravColReactions(&col, 1), 0);
  EXPECT_EQ(col.abData[0], 0x5A);
  EXPECT_EQ(db_.ReadGravColReactions(&col, 2), -1);

  WriteBytes(base_ + ".ber", Bytes(572));
  SBECTREACT beam[2];
  EXPECT_EQ(db_.ReadGravBeamReactions(beam, 1, 0), 0);
  EXPECT_EQ(db_.ReadGravBeamReactions(beam, 2, 0), -1);

  WriteBytes(base_ + ".wllrf", Bytes(128));
  WALLREACTSTRUCT wall[2];
  EXPECT_EQ(db_.ReadWallReact(wall, 1, 0), 1);
  EXPECT_EQ(db_.ReadWallReact(wall, 1, 1), 0);
}

TEST_F(PlainTables, SpreadFootingResultsGoToTheModelsResultsFile) {
  SpreadFootResults out;
  SPREAD_FOOT_RESULT r;
  r.iKey = 42;
  out.Add(r);
  db_.WriteSpreadFtgResults(&out);
  EXPECT_FALSE(ReadBytes(base_ + ".sfr").empty());

  SpreadFootResults in;
  db_.ReadSpreadFtgResults(&in, 5);
  ASSERT_EQ(in.GetSize(), 1);
  EXPECT_EQ(in[0].iKey, 42);
}

}  // namespace
