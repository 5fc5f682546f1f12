// Unit systems: labels and conversion factors for 35 kinds of quantity in three systems.
//
// Values are held in base units (system 0: inches, kips, ksi, pcf and what derives from them). A
// value shown in another system is the base value times the factor of its kind in that system,
// labelled with the kind's label. Labels are string-table entries 25000-25060; several begin with
// spaces so that they line up in columns, and an object built with the trim flag drops them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/cstring.h"
#include "platform/win_types.h"

// The unit system.
enum UNIT_TYPES : int {
  UNITS_ENGLISH = 0,     // inches, kips
  UNITS_METRIC = 1,      // millimetres, newtons
  UNITS_METRIC_KGF = 2,  // metric with kilogram-force
};

// The kind of quantity. Names tell the English and metric units of each kind.
enum UNIT_TYP : int {
  UNIT_IN_MM = 0,
  UNIT_FT_M = 1,
  UNIT_IN_CM = 2,
  UNIT_KIPIN_NM = 3,
  UNIT_KIPFT_KNM = 4,
  UNIT_IN2_MM2 = 5,
  UNIT_IN2_CM2 = 6,
  UNIT_FT2_M2 = 7,
  UNIT_FT3_M3 = 8,
  UNIT_YD3_M3 = 9,
  UNIT_IN4_MM4 = 10,
  UNIT_IN4_CM4 = 11,
  UNIT_IN4_M4 = 12,
  UNIT_KSI_NMM2 = 13,
  UNIT_PSI_NMM2 = 14,
  UNIT_KSI_MPA = 15,
  UNIT_KSF_MPA = 16,
  UNIT_KSF_KNM2 = 17,
  UNIT_PSF_KNM2 = 18,
  UNIT_KSI_KNM2 = 19,
  UNIT_KIP_N = 20,
  UNIT_KIP_KN = 21,
  UNIT_LB_N = 22,
  UNIT_FTS_MS = 23,
  UNIT_MPH_KMH = 24,
  UNIT_MPH_MS = 25,
  UNIT_MASS = 26,
  UNIT_FTS2_MS2 = 27,
  UNIT_LBFT_NM = 28,
  UNIT_KIPFT_KNM_LINE = 29,
  UNIT_LBFT_KGM = 30,
  UNIT_PCF_KGM3 = 31,
  UNIT_PCI_KGM3 = 32,
  UNIT_LBS_KG = 33,
  UNIT_KIPS_KG = 34,
};

constexpr int kUnitSystems = 3;
constexpr int kUnitKinds = 35;

// One entry of the class-wide table: the label's string-table number and the factor.
struct UNIT_STRUCT {
  std::uint32_t uLabelId;
  float fFactor;  // base value x factor = value in this unit
};
static_assert(sizeof(UNIT_STRUCT) == 8);
static_assert(offsetof(UNIT_STRUCT, uLabelId) == 0);
static_assert(offsetof(UNIT_STRUCT, fFactor) == 4);

class CUnits {
 public:
  // The system should be 0, 1 or 2; any other value leaves the object in system 0.
  explicit CUnits(UNIT_TYPES units = UNITS_ENGLISH, bool trimLabels = false);
  CUnits(const CUnits&) = default;
  CUnits& operator=(const CUnits&) = default;

  UNIT_TYPES WhatUnitAmI() const { return m_eUnits; }
  // Factor of `kind` in the current system; 0 for a kind out of range.
  float fnGetUnitValue(UNIT_TYP kind) const;
  // Label of `kind` in the current system, loaded afresh (never trimmed); "" when out of range.
  CString fnGetUnitString(UNIT_TYP kind) const;
  // Label of `kind` in system `units`; "" when either is out of range.
  static CString fnGetUnitString(UNIT_TYPES units, UNIT_TYP kind);

  // Switches to system `units` and reloads factors and labels. Nothing happens when `units` is
  // the current system and `force` is false, or when `units` is not a system.
  void ChangeUnitsTo(UNIT_TYPES units, bool force);

  // The factor that turns a value in (fromUnits, fromKind) into (toUnits, toKind), computed in
  // single precision; 0 when an argument is out of range.
  static float FactorFromTo(UNIT_TYPES fromUnits, UNIT_TYP fromKind, UNIT_TYPES toUnits,
                            UNIT_TYP toKind);

  // Rows: systems; columns: kinds.
  static const UNIT_STRUCT UNITARRAY[kUnitSystems][kUnitKinds];

  float m_afFactor[kUnitKinds] = {};
  CString m_astrLabel[kUnitKinds];
  UNIT_TYPES m_eUnits = UNITS_ENGLISH;
  bool m_bTrimLabels = false;
};
