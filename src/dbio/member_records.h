// The member records of a model, shared with the suite's programs in binary form: beams, columns,
// walls and braces, their finite-element records and the column-line tables.
//
// Each struct is the exact image of one record of its file (little-endian, no padding of the
// compiler's own): the fields this library reads or writes are named, every other byte is carried
// unchanged in the `data*` blocks. The static_asserts below pin the size and every named offset.
//
// Versioned records (beams, columns, walls, beam finite elements, column-line index) keep a
// 32-bit stamp, major << 16 | minor << 8 | patch; records of older layouts are shorter prefixes
// of these and are converted by the readers of CDBIO (member_tables.cpp).
#pragma once

#include <cstddef>

#include "geom/geom_types.h"
#include "platform/win_types.h"

// A beam (file extension "b3d", 1312 bytes at stamp 17.1.0).
struct _BEAM3D {
  DWORD dwVersion;  // 0
  BYTE data0[4];
  _POINT2D ptIEnd;      // 8
  _POINT2D ptJEnd;      // 24
  _POINT2D ptSupport1;  // 40: where the beam frames into its first support
  _POINT2D ptSupport2;  // 56
  BYTE data1[224 - 72];
  float fIEndDistance;  // 224: 3-D distance from the first support point to the I end
  float fJEndDistance;  // 228: 3-D distance from the first support point to the J end
  float fSupportSpan;   // 232: 3-D distance between the support points
  BYTE data2[384 - 236];
  double dSupport1Elevation;  // 384: relative to the story elevation
  double dSupport2Elevation;  // 392
  BYTE data3[808 - 400];
  double dSlopeAngle;  // 808: degrees
  BYTE data4[960 - 816];
  // 960: 0 interpolate the ends, 2 take the first support's elevation, else the second's.
  DWORD dwEndElevationMode;
  BYTE data5[1080 - 964];
  _POINT3D ptILink;  // 1080
  _POINT3D ptJLink;  // 1104
  // 1128, 1132: non-zero when the segment from the end to its link point belongs to the beam.
  BOOL bILink;
  BOOL bJLink;
  double dIEndElevation;  // 1136: absolute
  double dJEndElevation;  // 1144
  BYTE data6[1312 - 1152];
};

// A column (file extension "c3d", 1072 bytes at stamp 17.3.0).
struct _COL3D {
  _POINT2D ptPlan;  // 0
  BYTE data0[480 - 16];
  double dTopOffset;  // 480: elevation a beam framing into the column takes, relative to the story
  BYTE data1[596 - 488];
  DWORD dwVersion;  // 596
  BYTE data2[712 - 600];
  double dLinkSourceX;  // 712: the three values the link point is initialised from
  double dLinkSourceY;  // 720
  BYTE data3[752 - 728];
  double dLinkSourceZ;  // 752
  BYTE data4[888 - 760];
  double adLinkBlock[3];  // 888, 896, 904: cleared when the link is initialised
  _POINT3D ptLink;        // 912
  double dLinkBlock4;     // 936: cleared when the link is initialised
  BYTE data5[996 - 944];
  BYTE added1730a[8];  // 996: fields new at 17.3.0, zero in converted records
  BYTE data6[1008 - 1004];
  BYTE added1730b[24];  // 1008 to 1031: likewise
  BYTE data7[1072 - 1032];
};

// A wall (file extension "w3d", 584 bytes at stamp 17.1.0).
struct _WALL3D {
  _POINT2D ptIEnd;  // 0
  _POINT2D ptJEnd;  // 16
  BYTE data0[72 - 32];
  BOOL bIOnFoundation;  // 72: set by CDBIO::FindFoundationGravityWalls
  BOOL bJOnFoundation;  // 76
  LONG nKind;           // 80: kind code (5 takes its elastic modulus from dElasticModulusSource)
  LONG nLegacy84;       // 84: cleared by the 14.4.1 upgrade
  BYTE data1[188 - 88];
  DWORD dwVersion;            // 188
  BOOL bLightweightConcrete;  // 192
  BOOL bUseElasticModulus;    // 196
  double dITopOffset;         // 200: relative to the story
  double dJTopOffset;         // 208
  BYTE data2[296 - 216];
  float fElasticModulus;  // 296
  float fLegacy300;       // 300: set to 1.0 by the 14.4.1 upgrade
  LONG nLegacy304;        // 304: cleared by the 16.0.0 upgrade
  BYTE data3[352 - 308];
  double dFct;                   // 352
  double dElasticModulusSource;  // 360
  double dFyDistributed;         // 368
  double dFyBoundary;            // 376
  double dFyTiesLinks;           // 384
  BYTE data4[444 - 392];
  LONG nLegacy444;  // 444: set to 3 by the 14.4.1 upgrade
  BYTE data5[460 - 448];
  LONG nWallType;   // 460
  LONG nLegacy464;  // 464: set to 1 by the 16.0.0 upgrade
  BYTE data6[496 - 468];
  BOOL bIEndGap;  // 496
  BOOL bJEndGap;  // 500
  BYTE data7[584 - 504];
};

// A brace (file extension "r3d", 736 bytes; unversioned, carried as a block).
struct _BRACE3D {
  BYTE data[736];
};

// A beam finite element (file extension "bfe", 160 bytes at stamp 14.4.0).
struct _BEAMFE {
  DWORD dwVersion;  // 0
  BYTE data[160 - 4];
};

// A column finite element (file extension "cfe", 96 bytes; a block).
struct _COLUMNFE {
  BYTE data[96];
};

// One line of a column line (file extension "cln", 8 bytes; a block).
struct COLLINESTRUCT {
  BYTE data[8];
};

// A column-line index entry (file extension "cli", 952 bytes at stamp 14.4.1).
struct COLLINEINDEXSTRUCT {
  BYTE data0[288];
  DWORD dwVersion;  // 288
  BYTE data1[952 - 292];
};

#define QEL_AT(rec, field, off) \
  static_assert(offsetof(rec, field) == (off), #rec "::" #field " is not at offset " #off)
static_assert(sizeof(_BEAM3D) == 1312);
QEL_AT(_BEAM3D, dwVersion, 0);
QEL_AT(_BEAM3D, ptIEnd, 8);
QEL_AT(_BEAM3D, ptJEnd, 24);
QEL_AT(_BEAM3D, ptSupport1, 40);
QEL_AT(_BEAM3D, ptSupport2, 56);
QEL_AT(_BEAM3D, fIEndDistance, 224);
QEL_AT(_BEAM3D, fJEndDistance, 228);
QEL_AT(_BEAM3D, fSupportSpan, 232);
QEL_AT(_BEAM3D, dSupport1Elevation, 384);
QEL_AT(_BEAM3D, dSupport2Elevation, 392);
QEL_AT(_BEAM3D, dSlopeAngle, 808);
QEL_AT(_BEAM3D, dwEndElevationMode, 960);
QEL_AT(_BEAM3D, ptILink, 1080);
QEL_AT(_BEAM3D, ptJLink, 1104);
QEL_AT(_BEAM3D, bILink, 1128);
QEL_AT(_BEAM3D, bJLink, 1132);
QEL_AT(_BEAM3D, dIEndElevation, 1136);
QEL_AT(_BEAM3D, dJEndElevation, 1144);

static_assert(sizeof(_COL3D) == 1072);
QEL_AT(_COL3D, ptPlan, 0);
QEL_AT(_COL3D, dTopOffset, 480);
QEL_AT(_COL3D, dwVersion, 596);
QEL_AT(_COL3D, dLinkSourceX, 712);
QEL_AT(_COL3D, dLinkSourceY, 720);
QEL_AT(_COL3D, dLinkSourceZ, 752);
QEL_AT(_COL3D, adLinkBlock, 888);
QEL_AT(_COL3D, ptLink, 912);
QEL_AT(_COL3D, dLinkBlock4, 936);
QEL_AT(_COL3D, added1730a, 996);
QEL_AT(_COL3D, added1730b, 1008);

static_assert(sizeof(_WALL3D) == 584);
QEL_AT(_WALL3D, ptIEnd, 0);
QEL_AT(_WALL3D, ptJEnd, 16);
QEL_AT(_WALL3D, bIOnFoundation, 72);
QEL_AT(_WALL3D, bJOnFoundation, 76);
QEL_AT(_WALL3D, nKind, 80);
QEL_AT(_WALL3D, nLegacy84, 84);
QEL_AT(_WALL3D, dwVersion, 188);
QEL_AT(_WALL3D, bLightweightConcrete, 192);
QEL_AT(_WALL3D, bUseElasticModulus, 196);
QEL_AT(_WALL3D, dITopOffset, 200);
QEL_AT(_WALL3D, dJTopOffset, 208);
QEL_AT(_WALL3D, fElasticModulus, 296);
QEL_AT(_WALL3D, fLegacy300, 300);
QEL_AT(_WALL3D, nLegacy304, 304);
QEL_AT(_WALL3D, dFct, 352);
QEL_AT(_WALL3D, dElasticModulusSource, 360);
QEL_AT(_WALL3D, dFyDistributed, 368);
QEL_AT(_WALL3D, dFyBoundary, 376);
QEL_AT(_WALL3D, dFyTiesLinks, 384);
QEL_AT(_WALL3D, nLegacy444, 444);
QEL_AT(_WALL3D, nWallType, 460);
QEL_AT(_WALL3D, nLegacy464, 464);
QEL_AT(_WALL3D, bIEndGap, 496);
QEL_AT(_WALL3D, bJEndGap, 500);

static_assert(sizeof(_BRACE3D) == 736);
static_assert(sizeof(_BEAMFE) == 160);
QEL_AT(_BEAMFE, dwVersion, 0);
static_assert(sizeof(_COLUMNFE) == 96);
static_assert(sizeof(COLLINESTRUCT) == 8);
static_assert(sizeof(COLLINEINDEXSTRUCT) == 952);
QEL_AT(COLLINEINDEXSTRUCT, dwVersion, 288);
#undef QEL_AT
