#include "mdf/units.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/resources.h"

namespace {

TEST(Units, EveryLabelIsAStringTableEntry) {
  // The unit table and the string table are two tables: every label the one names, the other has
  // (non-blank).
  for (int s = 0; s < kUnitSystems; ++s)
    for (int k = 0; k < kUnitKinds; ++k) {
      const std::uint32_t id = CUnits::UNITARRAY[s][k].uLabelId;
      const char* text = qel::FindResString(id);
      ASSERT_NE(text, nullptr) << id;
      EXPECT_NE(std::string(text).find_first_not_of(' '), std::string::npos) << id;
      EXPECT_GT(CUnits::UNITARRAY[s][k].fFactor, 0.0f);
    }
}

TEST(Units, ConversionBetweenSystems) {
  EXPECT_EQ(CUnits::FactorFromTo(UNITS_ENGLISH, UNIT_IN_MM, UNITS_METRIC, UNIT_IN_MM), 25.4f);
  EXPECT_EQ(CUnits::FactorFromTo(UNITS_METRIC, UNIT_IN_MM, UNITS_ENGLISH, UNIT_IN_MM),
            1.0f / 25.4f);
  // ft -> m: (1 / 0.08333334) x 0.0254 in single precision.
  float inverse = 1.0f / 0.08333334f;
  EXPECT_EQ(CUnits::FactorFromTo(UNITS_ENGLISH, UNIT_FT_M, UNITS_METRIC, UNIT_FT_M),
            inverse * 0.0254f);
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
  EXPECT_EQ(u.fnGetUnitValue(UNIT_PSF_KNM2), 144000.0f);
  EXPECT_EQ(u.fnGetUnitValue(static_cast<UNIT_TYP>(35)), 0.0f);
  EXPECT_EQ(u.fnGetUnitString(static_cast<UNIT_TYP>(35)), "");

  CUnits trimmed(UNITS_ENGLISH, true);
  EXPECT_EQ(trimmed.m_astrLabel[UNIT_KSI_NMM2], "ksi");
  EXPECT_EQ(trimmed.fnGetUnitString(UNIT_KSI_NMM2), "   ksi") << "loaded afresh, untrimmed";
  trimmed.ChangeUnitsTo(UNITS_METRIC, false);
  EXPECT_EQ(trimmed.m_astrLabel[UNIT_KIP_N], "N");

  CUnits bad(static_cast<UNIT_TYPES>(7), false);
  EXPECT_EQ(bad.WhatUnitAmI(), UNITS_ENGLISH);
  EXPECT_EQ(bad.m_afFactor[UNIT_FT_M], 0.08333334f);
}

}  // namespace
