// New-model defaults read from a real settings file ($DEVINI), and from none at all.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "mdf/cqelmdf.h"
#include "mdf/settings.h"
#include "platform/paths.h"
#include "platform/resources.h"
#include "test_support.h"

namespace {

// Points every settings folder at fresh temporary folders and restores the process afterwards.
class SettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* old = std::getenv("DEVINI");
    hadDevini_ = old != nullptr;
    if (old) oldDevini_ = old;
    setenv("DEVINI", (ini_.path().string() + "/").c_str(), 1);
    qel::SetCommonAppDataFolder(common_.path().string());
    qel::SetWindowsFolder(windows_.path().string());
    qel::ResetSettingsState();
    CQelMDF::SetProfileReader(nullptr);
    CQelMDF::SetProfileWriter(nullptr);
  }
  void TearDown() override {
    if (hadDevini_) {
      setenv("DEVINI", oldDevini_.c_str(), 1);
    } else {
      unsetenv("DEVINI");
    }
    qel::SetCommonAppDataFolder(std::nullopt);
    qel::SetWindowsFolder(std::nullopt);
    qel::ResetSettingsState();
  }
  void WriteSettings(const std::string& text) {
    qeltest::WriteText(ini_.File("quvol.ini"), text);
    qel::ResetSettingsState();
  }
  qeltest::TempDir ini_, common_, windows_;
  bool hadDevini_ = false;
  std::string oldDevini_;
};

TEST_F(SettingsFileTest, NoSettingsFileGivesTheBuiltInDefaults) {
  qeltest::MessageCapture boxes;  // the missing file is reported once
  SMDF m{};
  EXPECT_EQ(CQelMDF(1, &m).FileNewInit(1, "Job"), 1);
  EXPECT_EQ(m.Units, 1);
  EXPECT_STREQ(m.JobName, "Job");
  EXPECT_EQ(m.CodeSelection, 'I');
  EXPECT_EQ(m.LLRMethod, 1);
  EXPECT_EQ(m.BeamAISCSelection, 'V');
  EXPECT_EQ(std::strlen(m.ModelID), 36u);
  EXPECT_EQ(m.MaxSpacing, 0.0f);
  EXPECT_FLOAT_EQ(m.DefaultBeamFy, 275.0f / 6.89475f);
  EXPECT_FLOAT_EQ(m.CamberMin, 15.0f / 25.4f);
  EXPECT_EQ(m.ColorRef[3], 0x000000FFu);  // Column - Steel Frame 255,0,0
  EXPECT_STREQ(m.ImpWFColBlock, "WCOLUMN");
  EXPECT_STREQ(m.MasterSteelTableName, "qelaisc");
  EXPECT_LE(boxes.boxes().size(), 1u);
}

TEST_F(SettingsFileTest, ValuesFromTheFileLandConvertedInBothSystems) {
  WriteSettings(
      "[MiscDefaults]\n"
      "BeamFy=36\n"
      "BeamFyMetric=248.2110\n"
      "ColTableName = mycols \n"
      "DefaultMaterial=concrete\n"
      "[Studs]\n"
      "MinBFTop2Rows=6\n"
      "MinBFTop2RowsMetric=140\n"
      "[Codes]\n"
      "BuildingCode=Canada\n"
      "BeamSteelCode=LRFD\n"
      "[Pen Colors]\n"
      "Grid Line=300,0,0\n"
      "[Foundation]\n"
      "SpreadDensity=140\n"
      "SpreadDensityMetric=2242.576\n"
      "[FrameDefaults]\n"
      "PDelta=false\n"
      "RigidDiaphragm=True\n");
  SMDF e{}, m{};
  CQelMDF(0, &e).FileNewInit(0, "E");
  CQelMDF(1, &m).FileNewInit(1, "M");
  EXPECT_FLOAT_EQ(e.DefaultBeamFy, 36.0f);
  EXPECT_NEAR(m.DefaultBeamFy, 36.0, 1e-4);
  EXPECT_STREQ(e.ColTableName, "mycols");
  EXPECT_EQ(e.DefaultMaterial, 3);
  EXPECT_FLOAT_EQ(e.MinBFTop2, 6.0f);
  EXPECT_FLOAT_EQ(m.MinBFTop2, 140.0f / 25.4f);
  EXPECT_EQ(m.CodeSelection, 'C');
  EXPECT_EQ(m.DiaphEccen, 10);
  EXPECT_EQ(e.BeamAISCSelection, 'L');
  EXPECT_EQ(m.ColorRef[0], 44u);
  EXPECT_NEAR(m.fDefaultSpreadDensity, 140.0, 1e-3);
  EXPECT_EQ(e.PDelta, 0);
  EXPECT_EQ(e.Diaphragm, 1);
}

TEST_F(SettingsFileTest, ConnectionFixRewritesTheFile) {
  WriteSettings(
      "[MiscDefaults]\n"
      "CastConnTypeAtBeams=seated\n"
      "CastConnTypeAtColumns=web\n"
      "Other=kept\n");
  qeltest::MessageCapture boxes;
  CQelMDF::FixTheSmarbeamConnectionSetting();
  CQelMDF::FixTheSmarbeamConnectionSetting();  // already fixed: silent
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].text, std::string(qel::LoadResString(27352)));
  EXPECT_STREQ(QelGetProfileString("MiscDefaults", "CastConnTypeAtBeams", ""), "web");
  EXPECT_STREQ(QelGetProfileString("MiscDefaults", "CastConnTypeAtColumns", ""), "web");
  EXPECT_STREQ(QelGetProfileString("MiscDefaults", "FixedSmartbeamConType", ""), "TRUE");
  EXPECT_STREQ(QelGetProfileString("MiscDefaults", "Other", ""), "kept");
}

TEST(StringTable, EveryNumberOnceAndTheCatalogueTextsPresent) {
  // Duplicated numbers would make the table longer than the set of numbers it answers.
  int found = 0;
  for (UINT id = 25000; id <= 28715; ++id) found += qel::FindResString(id) != nullptr;
  EXPECT_EQ(found, qel::ResStringCount());
  EXPECT_STREQ(qel::FindResString(26230), "MiscDefaults");
  EXPECT_STREQ(qel::FindResString(28391), "Aggregate ");  // the key keeps its trailing blank
  EXPECT_STREQ(qel::FindResString(27684), "Apply Ritz Vector");
  EXPECT_STREQ(qel::FindResString(26492), "%m/%d/%y");
  EXPECT_STREQ(qel::FindResString(28633), "AISC360-16 LRFD");
}

}  // namespace
