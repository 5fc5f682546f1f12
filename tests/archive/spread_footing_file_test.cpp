// The spread-footing results file against images built byte by byte from its layout: a format
// number, the 496-byte fixed part, 17 design results with counted strings, 4 reinforcement sets.
#include "archive/spread_footing_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "golden_bytes.h"
#include "test_support.h"

namespace {

using namespace qeltest;

// A record whose every value is derived from `k`, so two records differ everywhere.
SPREAD_FOOT_RESULT Sample(int k) {
  SPREAD_FOOT_RESULT r;
  double d = 1000.0 * k + 0.5;
  int i = 100 * k;
  auto nd = [&] { return d += 1.25; };
  auto ni = [&] { return ++i; };
  r.iKey = ni();
  for (double& v : r.adGroup1) v = nd();
  for (auto& s : r.aDesign) {
    s.dValue1 = nd(), s.dValue2 = nd(), s.iValue1 = ni(), s.iValue2 = ni();
    s.strText1 = ("bar #" + std::to_string(i)).c_str();
    s.strText2 = std::string(i % 7 == 0 ? 300 : i % 5, 'a' + k).c_str();  // some need 0xFF prefixes
  }
  for (auto& s : r.aReinSets) {
    s.dValue1 = nd(), s.dValue2 = nd(), s.iValue1 = ni(), s.iValue2 = ni(), s.dValue3 = nd();
    s.dValue4 = nd(), s.iValue3 = ni(), s.iValue4 = ni(), s.dValue5 = nd();
  }
  for (double& v : r.adGroup2) v = nd();
  r.iValue1 = ni(), r.iValue2 = ni(), r.dValue1 = nd(), r.dValue2 = nd();
  r.iValue3 = ni(), r.dValue3 = nd(), r.iValue4 = ni(), r.dValue4 = nd(), r.iValue5 = ni();
  for (double& v : r.adGroup3) v = nd();
  r.iValue6 = ni(), r.iValue7 = ni(), r.iValue8 = ni();
  for (double& v : r.adGroup4) v = nd();
  for (int& v : r.aiGroup5) v = -ni();
  for (int f = 0; f < 5; ++f) r.abFlags[f] = (f + k) % 2 == 0;
  for (auto& p : r.aPairs) p.dValue = nd(), p.iValue = ni();
  return r;
}

// The stored form of `r`, field by field in the file's order.
void Append(Bytes& b, const SPREAD_FOOT_RESULT& r) {
  const std::size_t start = b.size();
  b.F64(9.0).I32(r.iKey);
  for (double v : r.adGroup1) b.F64(v);
  for (double v : r.adGroup2) b.F64(v);
  b.I32(r.iValue1).I32(r.iValue2).F64(r.dValue1).F64(r.dValue2);
  b.I32(r.iValue3).F64(r.dValue3).I32(r.iValue4).F64(r.dValue4).I32(r.iValue5);
  for (double v : r.adGroup3) b.F64(v);
  b.I32(r.iValue6).I32(r.iValue7).I32(r.iValue8);
  for (double v : r.adGroup4) b.F64(v);
  for (int v : r.aiGroup5) b.I32(v);
  for (bool f : r.abFlags) b.I32(f ? 1 : 0);
  for (const auto& p : r.aPairs) b.F64(p.dValue).I32(p.iValue);
  EXPECT_EQ(b.size() - start, 496u) << "the fixed part";
  for (const auto& s : r.aDesign) {
    b.F64(s.dValue1).F64(s.dValue2).I32(s.iValue1).I32(s.iValue2);
    for (const CString* t : {&s.strText1, &s.strText2}) {
      const auto n = static_cast<unsigned>(t->GetLength());
      if (n < 255)
        b.U8(n);
      else
        b.U8(0xFF).U16(n);
      b.Raw(t->str());
    }
  }
  for (const auto& s : r.aReinSets) {
    b.F64(s.dValue1).F64(s.dValue2).I32(s.iValue1).I32(s.iValue2);
    b.F64(s.dValue3).F64(s.dValue4).I32(s.iValue3).I32(s.iValue4).F64(s.dValue5);
  }
}

void ExpectSame(const SPREAD_FOOT_RESULT& a, const SPREAD_FOOT_RESULT& b) {
  // The stored form covers every stored member, so equal images mean equal records.
  Bytes x, y;
  Append(x, a);
  Append(y, b);
  EXPECT_EQ(x.bytes(), y.bytes());
}

struct ResultsFile {
  TempDir dir;
  std::string base = dir.File("bldg");
  std::string path = base + ".sfr";
  CSpreadFootingFileHelper helper;
  ResultsFile() { helper.SetDBName(base.c_str()); }
  SpreadFootResults Read(int count, int preset = 0) {
    SpreadFootResults out;
    for (int i = 0; i < preset; ++i) out.Add(Sample(50 + i));
    EXPECT_EQ(helper.ReadSpreadFtgResults(&out, count), 0);
    return out;
  }
};

TEST(SpreadFootingFile, WritesAndReadsTheLayout) {
  ResultsFile f;
  Bytes golden;
  Append(golden, Sample(1));
  Append(golden, Sample(2));

  SpreadFootResults two;
  two.Add(Sample(1));
  two.Add(Sample(2));
  EXPECT_EQ(f.helper.WriteSpreadFtgResults(two), 0);
  EXPECT_EQ(ReadBytes(f.path), golden.bytes());

  WriteBytes(f.path, golden.bytes());
  SpreadFootResults in = f.Read(2, 3);
  ASSERT_EQ(in.GetSize(), 2) << "the array is emptied first";
  ExpectSame(in[0], Sample(1));
  ExpectSame(in[1], Sample(2));
  EXPECT_EQ(in[1].aDesign[3].strText1, Sample(2).aDesign[3].strText1);

  // Asking for more gives what is there; a record cut short is dropped.
  EXPECT_EQ(f.Read(10).GetSize(), 2);
  std::vector<unsigned char> cut = golden.bytes();
  cut.resize(cut.size() - 1);
  WriteBytes(f.path, cut);
  EXPECT_EQ(f.Read(2).GetSize(), 1);

  // A flag is true only when its stored value is exactly 1.
  std::vector<unsigned char> odd = golden.bytes();
  odd[8 + 4 + 64 + 40 + 8 + 16 + 28 + 56 + 12 + 80 + 40] = 2;  // abFlags[0]
  WriteBytes(f.path, odd);
  SpreadFootResults flags = f.Read(1);
  ASSERT_EQ(flags.GetSize(), 1);
  EXPECT_FALSE(flags[0].abFlags[0]);
  EXPECT_EQ(flags[0].abFlags[1], Sample(1).abFlags[1]);
}

TEST(SpreadFootingFile, BadFilesStopCleanly) {
  ResultsFile f;
  // Missing, empty and one-byte files leave the array as it was.
  EXPECT_EQ(f.Read(1, 2).GetSize(), 2);
  WriteBytes(f.path, {});
  EXPECT_EQ(f.Read(1, 2).GetSize(), 2);
  WriteBytes(f.path, {0x00});
  EXPECT_EQ(f.Read(1, 2).GetSize(), 2);

  // A string that announces more than the file holds ends the reading after the whole records,
  // without allocating what it announces.
  Bytes b;
  Append(b, Sample(1));
  const std::size_t at = b.size() + 496 + 24;  // record 2's first string prefix
  Append(b, Sample(2));
  std::vector<unsigned char> bad = b.bytes();
  const unsigned char huge[] = {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF};  // 4294967294 chars
  std::copy(std::begin(huge), std::end(huge), bad.begin() + static_cast<long>(at));
  WriteBytes(f.path, bad);
  SpreadFootResults in = f.Read(2);
  ASSERT_EQ(in.GetSize(), 1);
  ExpectSame(in[0], Sample(1));
}

TEST(SpreadFootingFile, ADatabaseNameHoldingSfrIsTheFileName) {
  CSpreadFootingFileHelper h;
  h.SetDBName("C:\\m\\bldg.sfr.old");
  EXPECT_EQ(h.GetFileName(), "C:\\m\\bldg.sfr.old");
}

}  // namespace
