// Every default group, in an English and a metric model: one settings file with a non-default
// value for a key of each group, and the list of record fields that no group fills.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "mdf/cqelmdf.h"

namespace {

std::map<std::string, std::string>* g_values = nullptr;
std::string g_fallback;  // answer to every key not in g_values; empty: the key's default

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
  return s;
}

std::string MapReader(const char* section, const char* key, const char* def) {
  auto it = g_values->find(Lower(std::string(section) + "|" + key));
  if (it != g_values->end()) return it->second;
  return g_fallback.empty() ? std::string(def) : g_fallback;
}

class GroupsTest : public ::testing::Test {
 public:
  void SetUp() override {
    g_values = &values_;
    g_fallback.clear();
    CQelMDF::SetProfileReader(&MapReader);
  }
  void TearDown() override {
    CQelMDF::SetProfileReader(nullptr);
    g_values = nullptr;
    g_fallback.clear();
  }
  void Set(const std::string& section, const std::string& key, const std::string& value) {
    values_[Lower(section + "|" + key)] = value;
  }
  std::map<std::string, std::string> values_;
};

// One settings file for both models: metric keys hold the metric form of the same quantity.
void FillEveryGroup(GroupsTest& t, void (GroupsTest::*set)(const std::string&, const std::string&,
                                                           const std::string&)) {
  auto s = [&](const char* sec, const char* key, const char* v) { (t.*set)(sec, key, v); };
  s("MiscDefaults", "SpanDepthRatio", "30");                    // miscellaneous
  s("Foundation", "MinPlateFootDepth", "10");                   // miscellaneous, length
  s("Foundation", "MinPlateFootDepthMetric", "254");            //
  s("MiscDefaults", "ColumnFy", "46");                          // material table, stress
  s("MiscDefaults", "ColumnFyMetric", "317.1585");              //
  s("MiscDefaults", "FrameType", "LATERAL");                    // choice
  s("MiscDefaults", "MasterSteelTableName", "mytable");         // text
  s("Codes", "BuildingCode", "UBC2");                           // codes
  s("Codes", "RoofReducible", "TRUE");                          //
  s("Pen Colors", "Deck", "1,2,3");                             // pen colours
  s("DXFDefaults", "ImpBeamLayer", "BEAMS");                    // drawing import
  s("FrameDefaults", "ColKx", "1.2");                           // frame
  s("DeflectionCriteria", "CamberDLPercent", "75");             // deflection
  s("DeflectionCriteria", "CamberMax", "3");                    // camber table, length
  s("DeflectionCriteria", "CamberMaxMetric", "76.2");           //
  s("Studs", "MaxRows", "2");                                   // studs
  s("Studs", "MaxSpacing", "36");                               // stud table, length
  s("Studs", "MaxSpacingMetric", "914.4");                      //
  s("Canada", "Long Term Live Load", "0.6");                    // Canada
  s("Canada", "RolledWBeam", "350");                            // Canadian material lists
  s("British", "BraceMaxSlender", "200");                       // British
  s("British", "Storage", "0.8");                               //
  s("MiscDefaults", "CastIncrementOfE", "2");                   // cast beams, length
  s("MiscDefaults", "CastIncrementOfEMetric", "50.8");          //
  s("Foundation", "SpreadFy", "60");                            // foundation, stress
  s("Foundation", "SpreadFyMetric", "413.685");                 //
  s("Foundation", "SpreadDensity", "140");                      // density
  s("Foundation", "SpreadDensityMetric", "2242.576");           //
  s("ReportStyles", "TitleFontName", "Arial");                  // report styles
  s("ReportStyles", "HeadingItalic", "TRUE");                   //
  s("JointCheck", "StdFrcMthd", "2");                           // joint check
  s("SpecialProv", "SpcZoneZ", "0.4");                          // special provisions
  s("British", "TransvReinffyMetric", "460");                   // transverse reinforcement
  s("British", "UKVibIncreaseIG", "TRUE");                      // UK vibration
  s("ConcreteBeamDefaults", "BmMinBarsTop", "3");               // concrete beam
  s("ConcreteColumnDefaults", "NumSLMajor", "4");               // concrete column
  s("ConcreteAnalysisDefaults", "NumStations", "7");            // concrete analysis
  s("ConcCommonDefaults", "SMFDeadLoadFactor", "1.4");          // concrete common
  s("ConcreteBeamDefaults", "ConcBmTorsionCheck", "TRUE");      // concrete beam 8.1
  s("ConcreteColumnDefaults", "ConcColTorsionCheck", "TRUE");   // concrete column 8.1
  s("MiscDefaults", "StlBmUseCompSection", "TRUE");             // 8.2
  s("Foundation", "FndMinPileCapThick", "20");                  // 9.0, length
  s("Foundation", "FndMinPileCapThickMetric", "508");           //
  s("FrameDefaults", "ShapeQualValue", "0.6");                  // 10.0
  s("British", "ShearEnhancement", "TRUE");                     // 11.1
  s("MiscDefaults", "UseWallElasticModulus", "TRUE");           // 11.3
  s("ConcreteAnalysisDefaults", "PinTransferMembers", "TRUE");  // 12.1
  s("FrameDefaults", "DynamicAnalysisWithSign", "TRUE");        // 13.0
  s("Codes", "AustraliaPsic", "0.6");                           // 13.1
  s("FrameDefaults", "NumSteelDeflCrit", "4");                  // 14.2
  s("MiscDefaults", "SmartbeamsDoVirtualWork", "TRUE");         // 14.3
  s("FrameDefaults", "StarConnectionType", "2");                // 14.4
  s("MiscDefaults", "HangerUseTG2", "TRUE");                    //
  s("MiscDefaults", "HangerISectTG1", "W12X26");                // hanger group names
  s("MiscDefaults", "HangerTeeTG1", "WT6X13");                  //
  s("FrameDefaults", "AISC360_RMX", "0.85");                    // 14.5
  s("FrameDefaults", "Apply Ritz Vector", "TRUE");              // 14.6
  s("FrameDefaults", "CoreOverstrengthType", "1");              // 14.7
  s("MiscDefaults", "WebPenMinWidth", "5");                     // web penetrations, length
  s("MiscDefaults", "WebPenMinWidthMetric", "127");             //
  s("Studs", "EuroStudWeldChoice", "2");                        // 15.0x
  s("FrameDefaults", "NumOfIncrements", "15");                  // second-order analysis
  s("RBSDefaults", "RBS_a", "0.6");                             // reduced beam sections
}

TEST_F(GroupsTest, EveryGroupLandsInItsFieldInEnglishAndMetricModels) {
  FillEveryGroup(*this, &GroupsTest::Set);
  for (int units : {0, 1}) {
    SCOPED_TRACE(units);
    SMDF m{};
    CQelMDF(units, &m).FileNewInit(units, "Every group");
    EXPECT_FLOAT_EQ(m.fSpanDepthRatio, 30.0f);
    EXPECT_NEAR(m.MinPlateFootDepth, 10.0, 1e-5);
    EXPECT_NEAR(m.DefaultColFy, 46.0, 1e-4);
    EXPECT_EQ(m.DefaultFrameType, 1);
    EXPECT_STREQ(m.MasterSteelTableName, "mytable");
    EXPECT_EQ(m.CodeSelection, 'U');
    EXPECT_EQ(m.LLRMethod, 2);
    EXPECT_EQ(m.RoofReducible, 1);
    EXPECT_EQ(m.ColorRef[36], 0x00030201u);
    EXPECT_STREQ(m.ImpBeamLayer, "BEAMS");
    EXPECT_FLOAT_EQ(m.ColKx, 1.2f);
    EXPECT_FLOAT_EQ(m.CamberDLPercent, 75.0f);
    EXPECT_NEAR(m.CamberMax, 3.0, 1e-5);
    EXPECT_EQ(m.MaxRows, 2);
    EXPECT_NEAR(m.MaxSpacing, 36.0, 1e-4);
    EXPECT_FLOAT_EQ(m.LongTermLL, 0.6f);
    EXPECT_EQ(m.CanMaterial.anRolledW[1], 350);
    EXPECT_FLOAT_EQ(m.BraceMaxSlender, 200.0f);
    EXPECT_FLOAT_EQ(m.ModRatio.StorageLT, 0.8f);
    EXPECT_NEAR(m.CastEInc, 2.0, 1e-5);
    EXPECT_NEAR(m.fDefaultSpreadFy, 60.0, 1e-4);
    EXPECT_NEAR(m.fDefaultSpreadDensity, 140.0, 1e-3);
    EXPECT_STREQ(m.FontTitle.lfFont.lfFaceName, "Arial");
    EXPECT_STREQ(m.FontBody.lfFont.lfFaceName, "Times New Roman");
    EXPECT_EQ(m.FontHeading.lfFont.lfItalic, 1);
    EXPECT_EQ(m.nStdFrcMthd, 2);
    EXPECT_FLOAT_EQ(m.fSpcZoneZ, 0.4f);
    EXPECT_NEAR(m.fTR_fy, 460.0 / 6.89475, 1e-4);  // always a metric value
    EXPECT_EQ(m.bUKVibIncIg, 1);
    EXPECT_EQ(m.lBeamMinBarsTop, 3);
    EXPECT_EQ(m.lConcColNumSLMajor, 4);
    EXPECT_EQ(m.lNumStations, 7);
    EXPECT_DOUBLE_EQ(m.dSMFDead, 1.4);
    EXPECT_EQ(m.bConcBmTorsionCheck, 1);
    EXPECT_EQ(m.bConcColTorsionCheck, 1);
    EXPECT_EQ(m.bUseCompSection, 1);
    EXPECT_NEAR(m.dMinPileCapThick, 20.0, 1e-5);
    EXPECT_DOUBLE_EQ(m.dAdvMeshShapeQualValue, 0.6);
    EXPECT_EQ(m.bBSUseShearEnhancement, 1);
    EXPECT_EQ(m.bDefaultWallUseElasticModulus, 1);
    EXPECT_EQ(m.bPinTransferMembers, 1);
    EXPECT_EQ(m.bDynamicAnalysisWithSign, 1);
    EXPECT_FLOAT_EQ(m.fAusPsic, 0.6f);
    EXPECT_EQ(m.nSteelDeflCrit, 4);
    EXPECT_EQ(m.bDoVirtualWorkMethod, 1);
    EXPECT_EQ(m.lStarConnectionType, 2);
    EXPECT_EQ(m.arHangerTrialGroups[0].bEnabled, 0);
    EXPECT_EQ(m.arHangerTrialGroups[1].bEnabled, 1);
    EXPECT_STREQ(m.arHangerTrialGroups[0].arGroupNames, "W12X26,WT6X13");
    EXPECT_STREQ(m.arHangerTrialGroups[1].arGroupNames, "");
    EXPECT_DOUBLE_EQ(m.dAISC360_RMX, 0.85);
    EXPECT_EQ(m.bApplyRitzVector, 1);
    EXPECT_EQ(m.lCoreOverStrengthType, 1);
    EXPECT_NEAR(m.dWebPenMinWidth, 5.0, 1e-5);
    EXPECT_EQ(m.nEuroStudWeldChoice, 2);
    EXPECT_EQ(m.lAdvancedAnalysis_NumberOfIncrements, 15);
    EXPECT_DOUBLE_EQ(m.dRBSa, 0.6);
    EXPECT_EQ(m.lCANCSAImpCategory, 1);             // 11.0 sets it without a key
    EXPECT_STREQ(m.cSteelStndBldCode, "- None -");  // combination code group
    EXPECT_EQ(m.cmbprmSteelSpecial.fValues[0], m.fOmega);
  }
}

TEST_F(GroupsTest, VersionGroupsFillOnlyTheirOwnFields) {
  // A model of an older version gets the newer groups' defaults without losing its own values.
  FillEveryGroup(*this, &GroupsTest::Set);
  SMDF m{};
  m.Units = 0;
  m.fSpanDepthRatio = 12.0f;
  m.dMinPileCapThick = 99.0;
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
  EXPECT_DOUBLE_EQ(m.dMinPileCapThick, 99.0);
}

// Every leaf field of SMDF as "name offset size", nested names joined by '.'.
struct Leaf {
  std::string name;
  std::size_t offset, size;
};
void Leaves(const qel::RecordDesc& rec, const std::string& prefix, std::size_t base,
            std::vector<Leaf>& out) {
  for (std::uint32_t i = 0; i < rec.field_count; ++i) {
    const qel::FieldDesc& f = rec.fields[i];
    if (!f.record) {
      out.push_back({prefix + f.name, base + f.offset, f.size});
    } else if (f.count == 0) {
      Leaves(*f.record, prefix + f.name + ".", base + f.offset, out);
    } else {
      for (std::uint32_t k = 0; k < f.count; ++k) {
        Leaves(*f.record, prefix + f.name + "[" + std::to_string(k) + "].",
               base + f.offset + k * f.size, out);
      }
    }
  }
}

TEST_F(GroupsTest, FieldsThatNoDefaultTouches) {
  // Two settings files that answer every key, one with "3" and one with "TRUE"; the choice keys
  // get a text that picks a non-zero index. A field is touched when it is non-zero after either.
  const char* choices[][2] = {{"MiscDefaults|FrameType", "LATERAL"},
                              {"MiscDefaults|CompositeFlag", "COMPOSITE"},
                              {"MiscDefaults|DefaultMaterial", "CONCRETE"},
                              {"MiscDefaults|CastConnTypeAtBeams", "seated"},
                              {"MiscDefaults|CastConnTypeAtColumns", "seated"},
                              {"MiscDefaults|CastConnTypeAtWalls", "seated"}};
  for (auto& c : choices) values_[Lower(c[0])] = c[1];
  SMDF a{}, b{};
  g_fallback = "3";
  CQelMDF(1, &a).FileNewInit(1, "J");
  g_fallback = "TRUE";
  CQelMDF(1, &b).FileNewInit(1, "J");
  std::vector<Leaf> leaves;
  Leaves(qel::SmdfLayout(), "", 0, leaves);
  auto zero = [](const SMDF& m, const Leaf& l) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(&m) + l.offset;
    return std::all_of(p, p + l.size, [](unsigned char c) { return c == 0; });
  };
  std::vector<std::string> untouched;
  for (const Leaf& l : leaves) {
    if (zero(a, l) && zero(b, l)) untouched.push_back(l.name);
  }
  // Counts, status words, model contents and results: none of them is a user default.
  const std::vector<std::string> expected = {
#include "cqelmdf_untouched.inc"
  };
  std::string listing;
  for (const std::string& n : untouched) listing += "\"" + n + "\",\n";
  EXPECT_EQ(untouched, expected) << "fields untouched now:\n" << listing;
}

}  // namespace
