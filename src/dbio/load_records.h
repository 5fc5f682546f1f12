// The records of a model's remaining tables: sections, foundations, slab edges and openings,
// polygons, load cases, reactions, loads, load properties, member forces and load combinations.
//
// Their fields belong to the suite's programs; this library moves them between files and the
// callers' arrays as blocks of the stored size, so each is declared here as exactly that many
// bytes. The one record the library looks into is the load combination, whose load-case count and
// indexes are checked after reading. Polygons are arrays of _POINT2D (geom/geom_types.h).
#pragma once

#include <cstddef>

#include "platform/win_types.h"

struct alignas(4) _SECTIONS {
  BYTE abData[184];
};
struct alignas(4) _FOUNDATION3D {
  BYTE abData[440];
};
struct alignas(4) SEDGELIST {  // slab edges and openings
  BYTE abData[48];
};
struct alignas(4) _LOADCASE {
  BYTE abData[744];
};
struct alignas(4) CECTREACTSTRUCT {  // gravity column reactions
  BYTE abData[1088];
};
struct alignas(4) SBECTREACT {  // gravity beam reactions
  BYTE abData[572];
};
struct alignas(4) SBECT {
  BYTE abData[368];
};
struct alignas(4) SPOINTLOADS {
  BYTE abData[428];
};
struct alignas(4) SLINELOADS {
  BYTE abData[196];
};
struct alignas(4) SLOADS {
  BYTE abData[20];
};
struct alignas(4) WALLREACTSTRUCT {
  BYTE abData[128];
};
struct alignas(4) SLOADPROP {  // surface load properties
  BYTE abData[72];
};
struct alignas(4) _MEMBERFORCES {
  BYTE abData[48];
};

// A load combination: up to 25 load cases by index.
constexpr int kMaxComboLoadCases = 25;
struct _LOADCOMBO {
  INT nLoadCases;  // valid from 1 to kMaxComboLoadCases
  BYTE abData0[100];
  INT anLoadCase[kMaxComboLoadCases];  // the first nLoadCases must not be negative
  BYTE abData1[592];
};

static_assert(sizeof(_SECTIONS) == 184 && sizeof(_FOUNDATION3D) == 440 && sizeof(SEDGELIST) == 48 &&
              sizeof(_LOADCASE) == 744 && sizeof(CECTREACTSTRUCT) == 1088 &&
              sizeof(SBECTREACT) == 572 && sizeof(SBECT) == 368 && sizeof(SPOINTLOADS) == 428 &&
              sizeof(SLINELOADS) == 196 && sizeof(SLOADS) == 20 && sizeof(WALLREACTSTRUCT) == 128 &&
              sizeof(SLOADPROP) == 72 && sizeof(_MEMBERFORCES) == 48);
static_assert(sizeof(_LOADCOMBO) == 796 && offsetof(_LOADCOMBO, nLoadCases) == 0 &&
              offsetof(_LOADCOMBO, anLoadCase) == 104);

// Load properties and openings the suite's programs share among themselves in one process. This
// library defines them (null) and never reads them.
extern SLOADPROP* SLoadProp_Bgn_ptr;
extern SPOINTLOADS* PLoadProp_Bgn_ptr;
extern SLINELOADS* LLoadProp_Bgn_ptr;
extern SEDGELIST* Opening_ptr;
