#include "mdf/units.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/resources.h"

namespace {

TEST(Units, TableHoldsTheDocumentedFactorsAndLabels) {
  struct Row {
    int kind;
    const char* label[3];
    float factor[3];
  };
  // Label texts and factors as documented, spot-checked across every group of kinds.
  const Row rows[] = {
      {0, {"in", "mm", "mm"}, {1.0f, 25.4f, 25.4f}},
      {1, {"ft", " m", " m"}, {0.08333334f, 0.0254f, 0.0254f}},
      {3, {"kip-in", "    Nm", "  kg.m"}, {1.0f, 112.9848f, 11.52124f}},
      {4, {"kip-ft", "   kNm", "  kg.m"}, {0.08333334f, 0.1129846f, 11.52124f}},
      {7, {"sq ft", "sq m", "sq m"}, {0.006944444f, 0.00065f, 0.00065f}},
      {9, {"yd3", "m3", "m3"}, {2.143347e-05f, 1.6387e-05f, 1.6387e-05f}},
      {12, {"in4", "m4", "m4"}, {1.0f, 4.16231e-07f, 4.16231e-07f}},
      {13, {"   ksi", " N/mm2", "kg/cm2"}, {1.0f, 6.89476f, 70.3081f}},
      {14, {"   psi", " N/mm2", "kg/cm2"}, {1000.0f, 6.89476f, 70.3081f}},
      {16, {"ksf", "  MPa", "kg/m2"}, {144.0f, 6.89476f, 703081.0f}},
      {18, {"psf", "kN/m2", "kg/m2"}, {144000.0f, 6894.76f, 703081.0f}},
      {20, {"kip", "  N", "kgf"}, {1.0f, 4448.22f, 453.592f}},
      {21, {"kip", " kN", "kgf"}, {1.0f, 4.44822f, 453.592f}},
      {22, {"lb", "  N", "kgf"}, {1000.0f, 1000.0f, 453.592f}},
      {24, {" mph", "km/h", "km/h"}, {0.05682f, 0.09144f, 0.09144f}},
      {25, {" mph", " m/s", "km/s"}, {0.05682f, 0.0254f, 2.54e-05f}},
      {26, {"kg.s2/m", "     kg", "kg"}, {1.0f, 14.5939f, 14.5939f}},
      {27, {"ft/s2", " m/s2", " m/s2"}, {0.08333334f, 0.3048f, 0.3048f}},
      {28, {" lb/ft", "   N/m", "  kg/m"}, {0.012f, 175118.1f, 17858.06f}},
      {29, {"kip/ft", "  kN/m", "  kg/m"}, {12.0f, 175.1181f, 17858.06f}},
      {30, {" lb/ft", "  kg/m", "  kg/m"}, {0.012f, 0.01786f, 17858.06f}},
      {31, {"  pcf", "kg/m3", "kg/m3"}, {1.0f, 16.0185f, 16.0185f}},
      {32, {"pci", "kg/m3", "kg/m3"}, {0.0005787037f, 16.0185f, 16.0185f}},
      {34, {"kips", "     kg", "     kg"}, {1.0f, 453.592f, 453.592f}},
  };
  for (const Row& r : rows)
    for (int s = 0; s < 3; ++s) {
      SCOPED_TRACE("kind " + std::to_string(r.kind) + " system " + std::to_string(s));
      EXPECT_EQ(CUnits::UNITARRAY[s][r.kind].fFactor, r.factor[s]);
      EXPECT_EQ(CUnits::fnGetUnitString(static_cast<UNIT_TYPES>(s), static_cast<UNIT_TYP>(r.kind)),
                r.label[s]);
    }
  // ksf is the entry other code loads by number to probe the string table.
  EXPECT_STREQ(qel::FindResString(25016), "ksf");
}

TEST(Units, EveryLabelIsAnEntryOfItsRange) {
  std::set<std::uint32_t> used;
  for (int s = 0; s < kUnitSystems; ++s)
    for (int k = 0; k < kUnitKinds; ++k) {
      std::uint32_t id = CUnits::UNITARRAY[s][k].uLabelId;
      EXPECT_GE(id, 25000u);
      EXPECT_LE(id, 25060u);
      const char* text = qel::FindResString(id);
      ASSERT_NE(text, nullptr) << id;
      EXPECT_NE(std::string(text).find_first_not_of(' '), std::string::npos) << id;
      EXPECT_GT(CUnits::UNITARRAY[s][k].fFactor, 0.0f);
      used.insert(id);
    }
  EXPECT_EQ(used.size(), 61u) << "every entry from 25000 to 25060 labels some kind";
  // Every padded text that is documented exists with its exact padding.
  std::set<std::string> texts;
  for (UINT id = 25000; id <= 25060; ++id) texts.insert(qel::FindResString(id));
  for (const char* padded :
       {"   ksi", "   psi", " mph", " lb/ft", "  pcf", "    Nm", "   kNm", " N/mm2", "  MPa", "  N",
        " kN", " m/s", "     kg", " m/s2", "   N/m", "  kN/m", " m", "  kg.m", "  kg/m"})
    EXPECT_TRUE(texts.count(padded)) << '"' << padded << '"';
}

TEST(Units, ConversionBetweenSystems) {
  EXPECT_EQ(CUnits::FactorFromTo(UNITS_ENGLISH, UNIT_IN_MM, UNITS_METRIC, UNIT_IN_MM), 25.4f);
  EXPECT_EQ(CUnits::FactorFromTo(UNITS_METRIC, UNIT_IN_MM, UNITS_ENGLISH, UNIT_IN_MM),
            1.0f / 25.4f);
  // ft -> m: (1 / 0.08333334) x 0.0254 in single precision.
  float inverse = 1.0f / 0.08333334f;
  EXPECT_EQ(CUnits::FactorFromTo(UNITS_ENGLISH, UNIT_FT_M, UNITS_METRIC, UNIT_FT_M),
            inverse * 0.0254f);
  EXPECT_NEAR(CUnits::FactorFromTo(UNITS_ENGLISH, UNIT_FT_M, UNITS_METRIC, UNIT_FT_M), 0.3048f,
              1e-6f);
  // Across kinds: ksi -> ksf is 144.
  EXPECT_EQ(CUnits::FactorFromTo(UNITS_ENGLISH, UNIT_KSI_NMM2, UNITS_ENGLISH, UNIT_KSF_MPA),
            144.0f);
  EXPECT_EQ(CUnits::FactorFromTo(static_cast<UNIT_TYPES>(3), UNIT_IN_MM, UNITS_METRIC, UNIT_IN_MM),
            0.0f);
  EXPECT_EQ(CUnits::FactorFromTo(UNITS_METRIC, static_cast<UNIT_TYP>(-1), UNITS_METRIC, UNIT_IN_MM),
            0.0f);
}

TEST(Units, ChangingSystemsAndTrimming) {
  CUnits u(UNITS_METRIC_KGF, false);
  EXPECT_EQ(u.WhatUnitAmI(), UNITS_METRIC_KGF);
  EXPECT_EQ(u.fnGetUnitValue(UNIT_KSI_NMM2), 70.3081f);
  EXPECT_EQ(u.m_afFactor[UNIT_LB_N], 453.592f);
  EXPECT_EQ(u.m_astrLabel[UNIT_IN_CM], "cm");
  EXPECT_EQ(u.m_astrLabel[UNIT_KIPIN_NM], "  kg.m");

  // Same system without force: nothing is reloaded; with force the labels come back.
  u.m_astrLabel[0] = "changed";
  u.m_afFactor[0] = -1.0f;
  u.ChangeUnitsTo(UNITS_METRIC_KGF, false);
  EXPECT_EQ(u.m_astrLabel[0], "changed");
  EXPECT_EQ(u.m_afFactor[0], -1.0f);
  u.ChangeUnitsTo(UNITS_METRIC_KGF, true);
  EXPECT_EQ(u.m_astrLabel[0], "mm");
  EXPECT_EQ(u.m_afFactor[0], 25.4f);

  // Not a system: the object is left as it was.
  u.ChangeUnitsTo(static_cast<UNIT_TYPES>(5), true);
  u.ChangeUnitsTo(static_cast<UNIT_TYPES>(-1), true);
  EXPECT_EQ(u.WhatUnitAmI(), UNITS_METRIC_KGF);
  EXPECT_EQ(u.m_astrLabel[0], "mm");

  u.ChangeUnitsTo(UNITS_ENGLISH, false);
  EXPECT_EQ(u.m_astrLabel[UNIT_KSI_NMM2], "   ksi");
  EXPECT_EQ(u.fnGetUnitValue(UNIT_PSF_KNM2), 144000.0f);
  EXPECT_EQ(u.fnGetUnitValue(static_cast<UNIT_TYP>(35)), 0.0f);
  EXPECT_EQ(u.fnGetUnitString(static_cast<UNIT_TYP>(35)), "");

  CUnits trimmed(UNITS_ENGLISH, true);
  EXPECT_EQ(trimmed.m_astrLabel[UNIT_KSI_NMM2], "ksi");
  EXPECT_EQ(trimmed.fnGetUnitString(UNIT_KSI_NMM2), "   ksi") << "loaded afresh, untrimmed";
  trimmed.ChangeUnitsTo(UNITS_METRIC, false);
  EXPECT_EQ(trimmed.m_astrLabel[UNIT_LBS_KG], "kg");
  EXPECT_EQ(trimmed.m_astrLabel[UNIT_KIP_N], "N");

  // Copies carry factors, labels, system and the trim flag.
  CUnits copy(trimmed);
  EXPECT_EQ(copy.WhatUnitAmI(), UNITS_METRIC);
  EXPECT_TRUE(copy.m_bTrimLabels);
  EXPECT_EQ(copy.m_astrLabel[UNIT_KIP_N], "N");
  EXPECT_EQ(copy.m_afFactor[UNIT_KIP_N], 4448.22f);
  CUnits assigned(UNITS_METRIC_KGF, false);
  assigned = trimmed;
  EXPECT_EQ(assigned.m_astrLabel[UNIT_KSI_MPA], "MPa");
  EXPECT_EQ(assigned.m_afFactor[UNIT_KSF_KNM2], 6894.76f);

  CUnits bad(static_cast<UNIT_TYPES>(7), false);
  EXPECT_EQ(bad.WhatUnitAmI(), UNITS_ENGLISH);
  EXPECT_EQ(bad.m_afFactor[UNIT_FT_M], 0.08333334f);
}

}  // namespace
