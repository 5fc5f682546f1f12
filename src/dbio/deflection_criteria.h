// Deflection criteria: the named lists of deflection limits a model keeps for steel beams (table
// "sdc") and concrete beams (table "cdc").
//
// Each criterion has two halves with the same items: limits as span ratios (span / limit, such as
// 360) and limits as absolute deflections. A model without a criteria file takes its criteria
// from the suite's settings file, where criterion i is a set of keys built as
//   "DeflCrit" + half ("Ratio" | "Abs") + [group ("CmpShored" | "NonCmp")] + item + i
//   + ["Metric" for the absolute half of a model in metric units]
// e.g. DeflCritRatioCmpShoredLiveL0 or DeflCritAbsNonCmpNet2Metric, and its name is
// "DeflCritName" + i. Steel criteria live in section "MiscDefaults", concrete ones in
// "ConcreteBeamDefaults". The reading and writing operations are members of CDBIO (dbio.h).
#pragma once

#include <cstddef>

#include "platform/win_types.h"
#include "res/string_ids.h"

// Dead load, live load and net total deflection limits.
struct SDEFLCRIT {
  double dDeadL;
  double dLiveL;
  double dNet;
};

// One half of a steel criterion: composite unshored items, then the composite shored and the
// non-composite limits.
struct SSTEELDEFLCRITHALF {
  double dCmpUnshoredInit;
  double dCmpUnshoredPostLL;
  double dCmpUnshoredPostTotal;
  double dCmpUnshoredTotal;
  SDEFLCRIT CmpShored;
  SDEFLCRIT NonCmp;
};

struct SSTEELDEFLCRIT {
  DWORD dwVersion;  // 14.2.0 once written; 0 for criteria taken from the settings
  BYTE abPad[4];
  SSTEELDEFLCRITHALF Ratio;
  SSTEELDEFLCRITHALF Abs;
  char szName[24];
};

// One half of a concrete criterion.
struct SCONCDEFLCRITHALF {
  double dDeadL;
  double dLiveL;
  double dNet;
  double dLT;  // long-term
};

struct SCONCDEFLCRIT {
  DWORD dwVersion;
  BYTE abPad[4];
  SCONCDEFLCRITHALF Ratio;
  SCONCDEFLCRITHALF Abs;
  char szName[24];
};

static_assert(sizeof(SDEFLCRIT) == 24 && sizeof(SSTEELDEFLCRITHALF) == 80 &&
              offsetof(SSTEELDEFLCRITHALF, dCmpUnshoredTotal) == 24 &&
              offsetof(SSTEELDEFLCRITHALF, CmpShored) == 32 &&
              offsetof(SSTEELDEFLCRITHALF, NonCmp) == 56);
static_assert(sizeof(SSTEELDEFLCRIT) == 192 && offsetof(SSTEELDEFLCRIT, Ratio) == 8 &&
              offsetof(SSTEELDEFLCRIT, Abs) == 88 && offsetof(SSTEELDEFLCRIT, szName) == 168);
static_assert(sizeof(SCONCDEFLCRITHALF) == 32 && offsetof(SCONCDEFLCRITHALF, dLT) == 24);
static_assert(sizeof(SCONCDEFLCRIT) == 96 && offsetof(SCONCDEFLCRIT, Ratio) == 8 &&
              offsetof(SCONCDEFLCRIT, Abs) == 40 && offsetof(SCONCDEFLCRIT, szName) == 72);

// The criteria the suite's programs share among themselves in one process. This library defines
// them (null) and never reads them.
extern SSTEELDEFLCRIT* g_pSteelDeflCrit;
extern SCONCDEFLCRIT* g_pConcDeflCrit;

// The settings vocabulary is named in res/string_ids.h (kIdsMiscDefaults, kIdsDeflCrit...). A
// half is named by kIdsDeflCritRatio or kIdsDeflCritAbs, or by 0 for the absolute half read from
// the "Metric" keys.
