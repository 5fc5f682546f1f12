// Deflection criteria: the record files, and the settings-file form with its key grammar and
// defaults, read from and written to a scratch settings file.
#include "dbio/deflection_criteria.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "dbio/dbio.h"
#include "golden_bytes.h"
#include "mdf/smdf.h"
#include "test_support.h"

namespace {

using namespace qeltest;
using Bytes = std::vector<unsigned char>;

class DeflectionCriteria : public ::testing::Test {
 protected:
  std::unique_ptr<SMDF> Model(int units) {
    auto m = std::make_unique<SMDF>();
    std::memset(m.get(), 0, sizeof(SMDF));
    m->Units = units;
    return m;
  }
  // With no settings file anywhere, writes create it in the Windows folder, searched last.
  std::string WindowsIni() const { return (settings_.windows() / "quvol.ini").string(); }
  SettingsFolders settings_;
  MessageCapture boxes_;  // the missing settings file is reported in a box
  TempDir dir_;
  std::string base_ = dir_.File("m");
};

void ExpectTriple(const SDEFLCRIT& t, double dead, double live, double net) {
  EXPECT_EQ(t.dDeadL, dead);
  EXPECT_EQ(t.dLiveL, live);
  EXPECT_EQ(t.dNet, net);
}

TEST_F(DeflectionCriteria, WithoutFileOrSettingsTheDefaultsApply) {
  auto mdf = Model(0);
  CDBIO db(CString(base_), mdf.get());
  SSTEELDEFLCRIT c[2];
  std::memset(c, 0xEE, sizeof c);
  ASSERT_EQ(db.ReadSteelDeflCrit(c, 2), 1);
  EXPECT_STREQ(c[0].szName, "Default");
  EXPECT_EQ(c[0].dwVersion, 0u);
  ExpectTriple(c[0].Ratio.CmpShored, 0, 360, 240);
  ExpectTriple(c[0].Ratio.NonCmp, 0, 360, 240);
  EXPECT_EQ(c[0].Ratio.dCmpUnshoredInit, 0);
  EXPECT_EQ(c[0].Ratio.dCmpUnshoredPostLL, 360);
  EXPECT_EQ(c[0].Ratio.dCmpUnshoredPostTotal, 240);
  EXPECT_EQ(c[0].Ratio.dCmpUnshoredTotal, 240);
  // Everything else, criterion 1 included, is zero: the records are cleared first.
  const SSTEELDEFLCRITHALF zeroHalf{};
  EXPECT_EQ(std::memcmp(&c[0].Abs, &zeroHalf, sizeof zeroHalf), 0);
  SSTEELDEFLCRIT zero{};
  EXPECT_EQ(std::memcmp(&c[1], &zero, sizeof zero), 0);

  SCONCDEFLCRIT k[2];
  ASSERT_EQ(db.ReadConcDeflCrit(k, 2), 1);
  EXPECT_STREQ(k[0].szName, "Default");
  EXPECT_EQ(k[0].Ratio.dDeadL, 0);
  EXPECT_EQ(k[0].Ratio.dLiveL, 360);
  EXPECT_EQ(k[0].Ratio.dNet, 0);
  EXPECT_EQ(k[0].Ratio.dLT, 240);
  EXPECT_EQ(k[1].Ratio.dLiveL, 0);
  EXPECT_STREQ(k[1].szName, "");

  EXPECT_EQ(db.ReadSteelDeflCrit(nullptr, 2), 0);
  EXPECT_EQ(db.ReadConcDeflCrit(nullptr, 2), 0);
}

TEST_F(DeflectionCriteria, KeysFollowTheGrammar) {
  settings_.Write(
      "[MiscDefaults]\n"
      "DeflCritName2=Floors with a very long name indeed\n"
      "DeflCritAbsNonCmpNet2=1.25\n"
      "DeflCritAbsNonCmpNet2Metric=30\n"
      "DeflCritRatioCmpShoredLiveL0=480\n"
      "DeflCritRatioCmpUnshoredPostLL1=600\n"
      "[ConcreteBeamDefaults]\n"
      "DeflCritName0=Slabs\n"
      "DeflCritRatioLT1=480\n"
      "DeflCritAbsLT0Metric=12.5\n");
  SSTEELDEFLCRIT c[3];
  auto english = Model(0);
  ASSERT_EQ(CDBIO(CString(base_), english.get()).ReadSteelDeflCrit(c, 3), 1);
  EXPECT_EQ(c[2].Abs.NonCmp.dNet, 1.25);
  EXPECT_STREQ(c[2].szName,
               std::string("Floors with a very long name indeed").substr(0, 23).c_str());
  EXPECT_EQ(c[0].Ratio.CmpShored.dLiveL, 480);
  EXPECT_EQ(c[0].Ratio.NonCmp.dLiveL, 360);
  EXPECT_EQ(c[1].Ratio.dCmpUnshoredPostLL, 600);

  auto metric = Model(1);
  ASSERT_EQ(CDBIO(CString(base_), metric.get()).ReadSteelDeflCrit(c, 3), 1);
  EXPECT_EQ(c[2].Abs.NonCmp.dNet, 30);
  EXPECT_EQ(c[0].Ratio.CmpShored.dLiveL, 480) << "ratios have no metric keys";

  SCONCDEFLCRIT k[2];
  ASSERT_EQ(CDBIO(CString(base_), metric.get()).ReadConcDeflCrit(k, 2), 1);
  EXPECT_STREQ(k[0].szName, "Slabs");
  EXPECT_EQ(k[1].Ratio.dLT, 480);
  EXPECT_EQ(k[0].Abs.dLT, 12.5);

  EXPECT_EQ(CDBIO::AppendIndex("DeflCritName", 12), "DeflCritName12");
}

TEST_F(DeflectionCriteria, HalvesAreWrittenUnderTheSameKeys) {
  SCONCDEFLCRITHALF ratio{0, 360, 0, 240};
  CDBIO::IniWriteConcDeflCritHalf("ConcreteBeamDefaults", ratio, qel::kIdsDeflCritRatio, 0);
  EXPECT_EQ(ReadText(WindowsIni()),
            "[ConcreteBeamDefaults]\r\n"
            "DeflCritRatioDeadL0=0\r\n"
            "DeflCritRatioLiveL0=360\r\n"
            "DeflCritRatioNet0=0\r\n"
            "DeflCritRatioLT0=240\r\n");

  // A metric absolute half, in the writers' order, values as "%g".
  SSTEELDEFLCRITHALF abs{0.1, 0.25, 1.0 / 3, 2, {4, 5, 6}, {7, 8, 1234567}};
  CDBIO::IniWriteSteelDeflCritHalf("MiscDefaults", abs, 0, 3);
  const std::string text = ReadText(WindowsIni());
  const std::string expected =
      "[MiscDefaults]\r\n"
      "DeflCritAbsCmpShoredDeadL3Metric=4\r\n"
      "DeflCritAbsCmpShoredLiveL3Metric=5\r\n"
      "DeflCritAbsCmpShoredNet3Metric=6\r\n"
      "DeflCritAbsNonCmpDeadL3Metric=7\r\n"
      "DeflCritAbsNonCmpLiveL3Metric=8\r\n"
      "DeflCritAbsNonCmpNet3Metric=1.23457e+06\r\n"
      "DeflCritAbsCmpUnshoredInit3Metric=0.1\r\n"
      "DeflCritAbsCmpUnshoredPostLL3Metric=0.25\r\n"
      "DeflCritAbsCmpUnshoredPostTotal3Metric=0.333333\r\n"
      "DeflCritAbsCmpUnshoredTotal3Metric=2\r\n";
  EXPECT_NE(text.find(expected), std::string::npos) << text;

  SSTEELDEFLCRITHALF back{};
  CDBIO::IniReadSteelDeflCritHalf("MiscDefaults", back, 0, 3);
  EXPECT_EQ(back.NonCmp.dNet, 1234570);
  EXPECT_EQ(back.dCmpUnshoredPostTotal, 0.333333);
}

TEST_F(DeflectionCriteria, RecordFiles) {
  auto mdf = Model(0);
  CDBIO db(CString(base_), mdf.get());
  SSTEELDEFLCRIT steel[2] = {};
  steel[0].Abs.NonCmp.dNet = 1.5;
  std::strcpy(steel[0].szName, "Floors");
  steel[1].dwVersion = 0x00110000;
  ASSERT_EQ(db.WriteSteelDeflCrit(steel, 2), 1);
  Bytes expected(384);
  PutU32(expected, 0, 0x000E0200);
  PutF64(expected, 88 + 56 + 16, 1.5);
  std::memcpy(expected.data() + 168, "Floors", 6);
  PutU32(expected, 192, 0x00110000);
  EXPECT_EQ(ReadBytes(base_ + ".sdc"), expected);

  // Once the file holds the criteria, they come from it and the settings play no part.
  settings_.Write("[MiscDefaults]\nDeflCritName0=From settings\n");
  SSTEELDEFLCRIT in[2];
  ASSERT_EQ(db.ReadSteelDeflCrit(in, 2), 1);
  EXPECT_EQ(std::memcmp(in, expected.data(), expected.size()), 0);
  // Asking for more than the file holds takes every criterion from the settings.
  SSTEELDEFLCRIT more[3];
  ASSERT_EQ(db.ReadSteelDeflCrit(more, 3), 1);
  EXPECT_STREQ(more[0].szName, "From settings");
  EXPECT_EQ(more[0].dwVersion, 0u);

  SCONCDEFLCRIT conc = {};
  conc.Ratio.dLT = 480;
  ASSERT_EQ(db.WriteConcDeflCrit(&conc, 1), 1);
  Bytes concBytes(96);
  PutU32(concBytes, 0, 0x000E0200);
  PutF64(concBytes, 8 + 24, 480);
  EXPECT_EQ(ReadBytes(base_ + ".cdc"), concBytes);
  EXPECT_EQ(db.WriteConcDeflCrit(nullptr, 1), 0);
}

}  // namespace
