// The floor-deck records: deck records (table "dec") and the three deck property tables they
// point into -- composite ("dpt"), non-composite ("ndp") and concrete ("cdp").
//
// Records are the binary images stored in the record files, little-endian, one after the other
// without padding. Only the fields this library reads or sets are named; the rest belong to the
// suite's programs and are carried as opaque bytes. Every table is versioned: the stamp inside a
// record tells which layout (and so which record size) the file holds.
#pragma once

#include <cstddef>

#include "platform/win_types.h"

// A deck: where it lies is the programs' business; this library only follows it to its property.
struct SDECKS {
  BYTE abData0[12];
  INT nDeckPropIndex;  // record number in the property table of the deck's kind
  BYTE abData1[4];
  INT nDeckKind;  // 0 composite ("dpt"), 1 non-composite ("ndp"), 2 concrete ("cdp")
  BYTE abData2[8];
  DWORD dwVersion;  // 13.1.0 in the current layout; older records are 36 bytes and end here
  BYTE abData3[4];
};

// A composite deck property (current layout 15.5.0, 368 bytes; older records are 256 bytes).
struct SDECKPROP {
  BYTE abData0[68];
  // The property name. It may run on to 72 bytes, but the stamp that follows at 108 always ends
  // it there: every stamp this table has known has a zero low byte (patch 0).
  char szName[40];
  DWORD dwVersion;  // stamp at 108
  BYTE abData1[28];
  INT nOption;  // set to 0 when a record is brought to 15.5.0
  BYTE abData2[12];
  // The name shown to users and the name GetDeckPropName gives; models older than 14.5.0 had
  // none, and their records get one made from the property name on reading.
  char szDisplayName[100];
  double adFactor[6];  // 1.0 for records brought to 15.5.0
  BYTE abData3[64];
};

// A concrete deck property (current layout 15.5.0, 224 bytes; older records are 104 bytes).
struct SCONCDECKPROP {
  DWORD dwVersion;  // stamp at 0
  BYTE abData0[80];
  char szName[20];
  INT nOption;  // 0 for records brought to 15.5.0
  BYTE abData1[20];
  double dOption;      // 0 for records brought to 15.5.0
  double adFactor[6];  // 1.0 for records brought to 15.5.0
  BYTE abData2[40];
};

// A non-composite deck property (current layout 15.5.0, 208 bytes; older records are 64 bytes).
struct SNONCOMPDECKPROP {
  DWORD dwVersion;  // stamp at 0
  BYTE abData0[40];
  char szName[20];
  INT nOption;  // 0 for records brought to 15.5.0
  BYTE abData1[20];
  double dOption;      // 0 for records brought to 15.5.0
  double adFactor[6];  // 1.0 for records brought to 15.5.0
  BYTE abData2[64];
};

static_assert(sizeof(SDECKS) == 40 && offsetof(SDECKS, nDeckPropIndex) == 12 &&
              offsetof(SDECKS, nDeckKind) == 20 && offsetof(SDECKS, dwVersion) == 32);
static_assert(sizeof(SDECKPROP) == 368 && offsetof(SDECKPROP, szName) == 68 &&
              offsetof(SDECKPROP, dwVersion) == 108 && offsetof(SDECKPROP, nOption) == 140 &&
              offsetof(SDECKPROP, szDisplayName) == 156 && offsetof(SDECKPROP, adFactor) == 256);
static_assert(sizeof(SCONCDECKPROP) == 224 && offsetof(SCONCDECKPROP, dwVersion) == 0 &&
              offsetof(SCONCDECKPROP, szName) == 84 && offsetof(SCONCDECKPROP, nOption) == 104 &&
              offsetof(SCONCDECKPROP, dOption) == 128 && offsetof(SCONCDECKPROP, adFactor) == 136);
static_assert(sizeof(SNONCOMPDECKPROP) == 208 && offsetof(SNONCOMPDECKPROP, dwVersion) == 0 &&
              offsetof(SNONCOMPDECKPROP, szName) == 44 &&
              offsetof(SNONCOMPDECKPROP, nOption) == 64 &&
              offsetof(SNONCOMPDECKPROP, dOption) == 88 &&
              offsetof(SNONCOMPDECKPROP, adFactor) == 96);

// The deck table the suite's programs share among themselves in one process. This library
// defines them (null and zero) and never reads them.
extern SDECKPROP* DeckTable_Bgn_ptr;
extern int NumDeckTable;
