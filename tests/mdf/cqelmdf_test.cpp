// New-model defaults: fixed values, code tables, pens, units, the built-in tables read in both
// unit systems, version groups on an older record (the catalogue's rows: cqelmdf_catalogue_test).
#include "mdf/cqelmdf.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "fake_defaults.h"
#include "test_support.h"

namespace {

// Every test starts from a settings reader of its own (answers held in memory, keys logged).
class DefaultsTest : public ::testing::Test {
 protected:
  void Set(const std::string& section, const std::string& key, const std::string& value) {
    settings_.Set(section, key, value);
  }
  bool Asked(const std::string& sectionKey) const { return settings_.Asked(sectionKey); }
  std::string DefaultAsked(const std::string& sectionKey) const {
    return settings_.AskedDefault(sectionKey);
  }
  qeltest::FakeDefaults settings_;
};

TEST_F(DefaultsTest, NewMetricModelWithoutSettingsFile) {
  SMDF m;
  std::memset(&m, 0x5A, sizeof m);  // FileNewInit must clear every byte first
  CQelMDF mdf(1, &m);
  EXPECT_EQ(mdf.FileNewInit(1, "Job"), 1);
  EXPECT_EQ(m.Units, 1);
  EXPECT_STREQ(m.JobName, "Job");
  EXPECT_EQ(m.BeamAISCSelection, 'V');  // the default steel code, through the code table
  // Model GUID: 8-4-4-4-12 upper-case hex digits.
  const std::string id = m.ModelID;
  EXPECT_TRUE(std::regex_match(id, std::regex("[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}"))) << id;
  // Stud spacing came from the metric key with the metric default text.
  EXPECT_EQ(DefaultAsked("Studs|MaxSpacingMetric"), "0.0");
  EXPECT_FALSE(Asked("Studs|MaxSpacing"));
  EXPECT_EQ(m.MaxSpacing, 0.0f);
  EXPECT_FLOAT_EQ(m.MinBFTop2, 140.0f / 25.4f);
  // Date "mm/dd/yy" and time "hh:mm:ss".
  EXPECT_TRUE(std::regex_match(m.Date, std::regex(R"(\d\d/\d\d/\d\d)"))) << m.Date;
  EXPECT_TRUE(std::regex_match(m.Time, std::regex(R"(\d\d:\d\d:\d\d)"))) << m.Time;
  // Two new models never share an identity.
  SMDF other{};
  CQelMDF(1, &other).FileNewInit(1, "Job");
  EXPECT_NE(std::string(other.ModelID), id);
}

TEST_F(DefaultsTest, FixedDefaultsAndCombinationBlocks) {
  SMDF m{};
  CQelMDF(0, &m).FileNewInit(
      0, "A job name that is far longer than the seventy-one characters the field keeps");
  EXPECT_EQ(std::strlen(m.JobName), 71u);
  EXPECT_FLOAT_EQ(m.EuroCodeFactor[20], 1.25f);  // the built-in tables, copied to their ends
  EXPECT_FLOAT_EQ(m.DemandCapacityLimit[9], 1.0f);
  EXPECT_FLOAT_EQ(m.DeflectionInteractionLimit[9], 1.0f);
  // Concrete, soil and the QEL concrete block: "not set" everywhere.
  EXPECT_EQ(m.cmbprmSoil.fValues[9], -1.0f);
  EXPECT_EQ(m.cmbprmConcrete.nComboBoxIndex, -1);
  EXPECT_EQ(m.cmbprmQELConcrete.fLCaseSpc2, -1.0f);
  // Steel standard block with the default seismic design category (below 12).
  EXPECT_EQ(m.cmbprmSteelStand.fValues[0], -1.0f);
  EXPECT_FLOAT_EQ(m.cmbprmSteelStand.fLCaseSpc1, 1.0f);  // SteelDesignParam3

  // British (12) and Eurocode (13) categories pick their factors.
  Set("FrameDefaults", "SDCSetting", "13");
  SMDF e{};
  CQelMDF(0, &e).FileNewInit(0, "E");
  EXPECT_FLOAT_EQ(e.cmbprmSteelStand.fValues[0], 1.35f);
  EXPECT_FLOAT_EQ(e.cmbprmSteelStand.fValues[2], 1.5f);
  EXPECT_FLOAT_EQ(e.cmbprmSteelStand.fValues[5], 0.3f);
  EXPECT_EQ(e.cmbprmSteelStand.fValues[7], -1.0f);
  Set("FrameDefaults", "SDCSetting", "12");
  Set("British", "SeismicLoad", "1.25");
  Set("MiscDefaults", "AnalysisType", "2");
  SMDF b{};
  CQelMDF(0, &b).FileNewInit(0, "B");
  EXPECT_FLOAT_EQ(b.cmbprmSteelStand.fValues[0], 1.25f);
  EXPECT_EQ(b.cmbprmSteelStand.fValues[2], -1.0f);
}

TEST_F(DefaultsTest, BuildingSteelAndCastCodes) {
  struct Case {
    const char* label;
    char letter;
    int llr, ibc, ecc;
  };
  const Case cases[] = {{"IBCGen", 'I', 1, 0, 5},
                        {"IBCAlt", 'I', 2, 1, 5},
                        {"Canada", 'C', 2, 0, 10},
                        {"Martian", 'I', 2, 0, 5},
                        {"ibcalt", 'I', 2, 0, 5}};
  for (const Case& c : cases) {
    Set("Codes", "BuildingCode", c.label);
    SMDF m{};
    CQelMDF(0, &m).FileNewInit(0, "J");
    EXPECT_EQ(m.CodeSelection, c.letter) << c.label;
    EXPECT_EQ(m.LLRMethod, c.llr) << c.label;
    EXPECT_EQ(m.IBCLLRMethod, c.ibc) << c.label;
    EXPECT_EQ(m.DiaphEccen, c.ecc) << c.label;
    EXPECT_EQ(m.dDiaphEccenY, static_cast<double>(c.ecc)) << c.label;
  }
  Set("Codes", "BeamSteelCode", "BS5950:2000");
  Set("Codes", "ColSteelCode", "No such code");
  Set("Codes", "PlateSteelCode", "IS800-07 LSD");
  Set("MiscDefaults", "CastellatedBeamCode", "EUROCODE");  // not a cast-beam code
  SMDF m{};
  CQelMDF(0, &m).FileNewInit(0, "J");
  EXPECT_EQ(m.BeamAISCSelection, 'G');
  EXPECT_EQ(m.ColAISCSelection, 'U');  // first row
  EXPECT_EQ(m.PlateAISCSelection, 'J');
  EXPECT_EQ(m.CastAISCSelection, 'U');
  EXPECT_EQ(DefaultAsked("MiscDefaults|CastellatedBeamCode"), "AISC360-10 LRFD");
  Set("MiscDefaults", "CastellatedBeamCode", "LRFD");
  CQelMDF(0, &m).FileNewInit(0, "J");
  EXPECT_EQ(m.CastAISCSelection, 'L');
}

TEST_F(DefaultsTest, PenColoursAndImportNames) {
  Set("Pen Colors", "Grid Line", "300,0,0");
  Set("Pen Colors", "Grid Label", "1, 2");
  Set("Pen Colors", "Text", "-1,256,513");
  Set("DXFDefaults", "ImpCantBlock", "A-VERY-LONG-BLOCK-NAME-THAT-IS-CUT");
  SMDF m{};
  CQelMDF(0, &m).FileNewInit(0, "J");
  EXPECT_EQ(m.ColorRef[0], 0x0000002Cu);  // red 44
  EXPECT_EQ(m.ColorRef[1], 0x00000201u);
  EXPECT_EQ(m.ColorRef[40], 0x000100FFu);
  EXPECT_EQ(DefaultAsked("Pen Colors|Column - Steel Frame"), "255,0,0");
  EXPECT_STREQ(m.ImpGridLabelLayer, "SGRID");
  EXPECT_EQ(std::strlen(m.ImpCantBlock), sizeof m.ImpCantBlock - 1);
}

TEST_F(DefaultsTest, UnitSlots) {
  SMDF m{};
  CQelMDF mdf(2, &m);
  EXPECT_STREQ(mdf.GetUnitString(CQelMDF::kStress), "kg/cm2");
  mdf.SetUnits(3);  // not a system: what is loaded stays
  mdf.SetUnits(-1);
  EXPECT_FLOAT_EQ(mdf.GetUnitValue(CQelMDF::kStress), 70.307f);
  mdf.SetUnits(1);
  EXPECT_STREQ(mdf.GetUnitString(CQelMDF::kStress), "N/mm2");
  // A copy shares the record and takes its unit system.
  m.Units = 0;
  CQelMDF copy(mdf);
  EXPECT_EQ(copy.GetMdf(), &m);
  EXPECT_STREQ(copy.GetUnitString(CQelMDF::kMass), "k-s2/ft");
  EXPECT_FLOAT_EQ(copy.GetUnitValue(CQelMDF::kMass), 12.0f);
}

TEST_F(DefaultsTest, MetricKeysAndConversions) {
  Set("Studs", "MinBFTop2RowsMetric", "140");
  Set("Studs", "MinBFTop2Rows", "999");
  Set("MiscDefaults", "BeamFyMetric", "344.7375");
  Set("MiscDefaults", "BeamUWMetric", "2402.76");
  Set("MiscDefaults", "EccStrongAxisMetric", "127");
  Set("DeflectionCriteria", "CamberIncMetric", "6.35");
  SMDF m{};
  CQelMDF(1, &m).FileNewInit(1, "J");
  EXPECT_FLOAT_EQ(m.MinBFTop2, 140.0f / 25.4f);
  EXPECT_NEAR(m.DefaultBeamFy, 50.0, 1e-4);
  EXPECT_NEAR(m.DefaultBeamUW, 150.0, 1e-3);
  EXPECT_NEAR(m.DefaultEccStrongAxis, 5.0, 1e-5);
  EXPECT_NEAR(m.CamberInc, 0.25, 1e-6);
  EXPECT_FALSE(Asked("Studs|MinBFTop2Rows"));
  EXPECT_EQ(DefaultAsked("MiscDefaults|BeamFyMetric"), "275.000");
  // The kilogram-force system still reads stresses in MPa and lengths in mm.
  SMDF k{};
  CQelMDF(2, &k).FileNewInit(2, "J");
  EXPECT_NEAR(k.DefaultBeamFy, 50.0, 1e-4);
  // An English model reads the plain keys and converts nothing.
  SMDF e{};
  CQelMDF(0, &e).FileNewInit(0, "J");
  EXPECT_FLOAT_EQ(e.MinBFTop2, 999.0f);
  EXPECT_FLOAT_EQ(e.DefaultBeamFy, 50.0f);
  EXPECT_EQ(DefaultAsked("MiscDefaults|BeamFy"), "50.000");
}

// The groups that read keys of their own tables rather than catalogue rows (unit conversions of
// those tables: MetricKeysAndConversions; codes, pens and import names: the tests above).
TEST_F(DefaultsTest, TableGroups) {
  const char* values[][3] = {{"Canada", "RolledWBeam", "350"},
                             {"MiscDefaults", "HangerISectTG1", "W12X26"},
                             {"MiscDefaults", "HangerTeeTG1", "WT6X13"},
                             {"MiscDefaults", "HangerChannelTG1", "C6X8.2"},
                             {"MiscDefaults", "HangerRectHSSTG2", "HSS4X4"}};
  for (const auto& v : values) Set(v[0], v[1], v[2]);
  SMDF m{};
  CQelMDF(0, &m).FileNewInit(0, "Tables");
  EXPECT_EQ(m.CanMaterial.anRolledW[1], 350);
  // Each hanger trial group lists its families' names in family order.
  EXPECT_STREQ(m.arHangerTrialGroups[0].arGroupNames, "W12X26,C6X8.2,WT6X13");
  EXPECT_STREQ(m.arHangerTrialGroups[1].arGroupNames, "HSS4X4");
  EXPECT_STREQ(m.arHangerTrialGroups[2].arGroupNames, "");
  EXPECT_EQ(m.lCANCSAImpCategory, 1);             // 11.0 sets it without a key
  EXPECT_STREQ(m.cSteelStndBldCode, "- None -");  // the combination code group
  EXPECT_EQ(m.cmbprmSteelSpecial.fValues[0], m.fOmega);
}

TEST_F(DefaultsTest, VersionGroupsFillOnlyTheirOwnFields) {
  // A model of an older version gets the newer groups' defaults without losing its own values.
  Set("FrameDefaults", "NumSteelDeflCrit", "4");
  Set("RBSDefaults", "RBS_a", "0.6");
  Set("ConcCommonDefaults", "SMFDeadLoadFactor", "1.4");
  Set("ConcreteBeamDefaults", "ConcBmTorsionCheck", "TRUE");
  Set("ConcreteColumnDefaults", "NumSLMajor", "4");
  Set("MiscDefaults", "SpanDepthRatio", "30");
  SMDF m{};
  m.fSpanDepthRatio = 12.0f;
  CQelMDF mdf(0, &m);
  mdf.Set142DefaultsFromProfiler();
  mdf.Set1601RBSDefaults();
  mdf.Set81DefaultsFromProfiler();
  EXPECT_EQ(m.nSteelDeflCrit, 4);
  EXPECT_DOUBLE_EQ(m.dRBSa, 0.6);
  EXPECT_DOUBLE_EQ(m.dSMFDead, 1.4);
  EXPECT_EQ(m.bConcBmTorsionCheck, 1);
  EXPECT_EQ(m.lConcColNumSLMajor, 0);  // the 8.1 group is not the full concrete column group
  EXPECT_FLOAT_EQ(m.fSpanDepthRatio, 12.0f);
}

TEST_F(DefaultsTest, TableTimeStampsFromTheTablesFolder) {
  qeltest::TempDir dir;
  qeltest::WriteText(dir.File("qelaisc.tab"), "x");
  qeltest::WriteText(dir.File("mycols.col"), "x");
  // 2001-09-09 01:46:40 UTC: 1000000000 seconds since 1970.
  const auto stamp =
      std::filesystem::file_time_type::clock::now() +
      (std::chrono::seconds(1000000000) - std::chrono::duration_cast<std::chrono::seconds>(
                                              std::chrono::system_clock::now().time_since_epoch()));
  std::filesystem::last_write_time(dir.path() / "qelaisc.tab", stamp);
  const std::int64_t expected = 1000000000;
  Set("Directories", "tables", dir.path().string());
  Set("MiscDefaults", "ColTableName", "mycols");
  SMDF m{};
  CQelMDF(0, &m).FileNewInit(0, "J");
  EXPECT_NEAR(m.lMasterTblLastMod, expected, 1);
  EXPECT_GT(m.lStlColTblLastMod, 0);
  EXPECT_EQ(static_cast<std::uint32_t>(m.lDefStlBeamTblLastMod), 0xFFFFFFFFu);
  EXPECT_EQ(static_cast<std::uint32_t>(m.lReinTableLastMod), 0xFFFFFFFFu);
}

TEST_F(DefaultsTest, ConnectionFixTellsTheUserOnce) {
  qeltest::MessageCapture boxes;
  static std::vector<std::string> written;
  written.clear();
  CQelMDF::SetProfileWriter([](const char* s, const char* k, const char* v) {
    written.push_back(std::string(s) + "|" + k + "=" + v);
    return true;
  });
  Set("MiscDefaults", "CastConnTypeAtBeams", "Seated");
  Set("MiscDefaults", "CastConnTypeAtWalls", "web");
  CQelMDF::FixTheSmarbeamConnectionSetting();
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].caption, "Warning");
  EXPECT_EQ(written, (std::vector<std::string>{"MiscDefaults|CastConnTypeAtBeams=web",
                                               "MiscDefaults|FixedSmartbeamConType=TRUE"}));
  Set("MiscDefaults", "FixedSmartbeamConType", "true");
  CQelMDF::FixTheSmarbeamConnectionSetting();
  EXPECT_EQ(boxes.boxes().size(), 1u);
  CQelMDF::SetProfileWriter(nullptr);
}

}  // namespace
