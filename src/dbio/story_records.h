// Stories and floor types: the in-memory records SSTORY and SFLRTYPE, shared with the suite's
// programs in binary form, and the pointers through which those programs share their arrays.
//
// A story owns consecutive ranges of the member files (its beams, columns, walls and braces),
// found through a count and a first-record index; a floor type likewise owns ranges of beams,
// columns, walls and foundations. In memory each record also carries a block of pointers to the
// member arrays read for it (CDBIO::ReadStoryDataWith3DGeom, ReadFloorDataWith3DGeom, released by
// CleanStory and CleanFloor). On disk the pointer block is absent:
//   story file record ("sty", 336 bytes):      bytes 0-111, 48 bytes that carry nothing, 160-335
//   floor-type file record ("flt", 472 bytes): bytes 0-167, 48 bytes that carry nothing, 216-471
// and the in-memory record puts its pointers where the file has the empty bytes (and, for floor
// types, two single slots further on). story_tables.cpp holds the mapping between the two.
#pragma once

#include <cstddef>

#include "dbio/member_records.h"
#include "platform/win_types.h"

// A foundation record of the "ftg" table; the foundation family of the model's tables defines it.
// Floor types only hang an array of them (440 bytes each) and release it.
struct _FOUNDATION3D;

struct SSTORY {
  BYTE data0[24];
  LONG nFlrType;  // 24: record number of the story's floor type in "flt"
  BYTE data1[12];
  float fElevation;  // 40: model length units
  BYTE data2[4];
  LONG nNumBeams;    // 48
  LONG nNumColumns;  // 52
  LONG nNumWalls;    // 56
  LONG nNumBraces;   // 60
  BYTE data3[112 - 64];
  // The pointer block (eleven slots); only slots 1 to 4 are this library's.
  void* pReserved0;     // 112
  _BEAM3D* pBeams;      // 120
  _COL3D* pColumns;     // 128
  _WALL3D* pWalls;      // 136
  _BRACE3D* pBraces;    // 144
  void* apReserved[6];  // 152
  BYTE untouched[8];    // 200: the reader leaves these bytes as they were
  // File bytes 160 to 335 from here on.
  BYTE data4[4];
  LONG nFirstBeam;    // 212 (file 164): first record in "b3d"
  LONG nFirstColumn;  // 216 (file 168): in "c3d"
  LONG nFirstWall;    // 220 (file 172): in "w3d"
  LONG nFirstBrace;   // 224 (file 176): in "r3d"
  BYTE data5[384 - 228];
};

struct SFLRTYPE {
  BYTE data0[20];
  LONG nNumBeams;    // 20
  LONG nNumColumns;  // 24
  LONG nNumWalls;    // 28
  BYTE data1[72 - 32];
  LONG nFirstBeam;    // 72
  LONG nFirstColumn;  // 76
  LONG nFirstWall;    // 80
  BYTE data2[168 - 84];
  // The pointer block (thirteen slots); the first three are this library's.
  _BEAM3D* pBeams;              // 168
  _COL3D* pColumns;             // 176
  _WALL3D* pWalls;              // 184
  void* apReserved[10];         // 192
  BYTE data3[96];               // 272: file bytes 216 to 311
  void* pReserved13;            // 368
  LONG nNumFoundations;         // 376 (file 312)
  LONG nFirstFoundation;        // 380 (file 316): first record in "ftg"
  BYTE data4[8];                // 384: file bytes 320 to 327
  _FOUNDATION3D* pFoundations;  // 392
  BYTE data5[144];              // 400: file bytes 328 to 471
};

#define QEL_AT(rec, field, off) \
  static_assert(offsetof(rec, field) == (off), #rec "::" #field " is not at offset " #off)
static_assert(sizeof(SSTORY) == 384);
QEL_AT(SSTORY, nFlrType, 24);
QEL_AT(SSTORY, fElevation, 40);
QEL_AT(SSTORY, nNumBeams, 48);
QEL_AT(SSTORY, nNumColumns, 52);
QEL_AT(SSTORY, nNumWalls, 56);
QEL_AT(SSTORY, nNumBraces, 60);
QEL_AT(SSTORY, pReserved0, 112);
QEL_AT(SSTORY, pBeams, 120);
QEL_AT(SSTORY, pColumns, 128);
QEL_AT(SSTORY, pWalls, 136);
QEL_AT(SSTORY, pBraces, 144);
QEL_AT(SSTORY, untouched, 200);
QEL_AT(SSTORY, data4, 208);
QEL_AT(SSTORY, nFirstBeam, 212);
QEL_AT(SSTORY, nFirstColumn, 216);
QEL_AT(SSTORY, nFirstWall, 220);
QEL_AT(SSTORY, nFirstBrace, 224);

static_assert(sizeof(SFLRTYPE) == 544);
QEL_AT(SFLRTYPE, nNumBeams, 20);
QEL_AT(SFLRTYPE, nNumColumns, 24);
QEL_AT(SFLRTYPE, nNumWalls, 28);
QEL_AT(SFLRTYPE, nFirstBeam, 72);
QEL_AT(SFLRTYPE, nFirstColumn, 76);
QEL_AT(SFLRTYPE, nFirstWall, 80);
QEL_AT(SFLRTYPE, pBeams, 168);
QEL_AT(SFLRTYPE, pColumns, 176);
QEL_AT(SFLRTYPE, pWalls, 184);
QEL_AT(SFLRTYPE, data3, 272);
QEL_AT(SFLRTYPE, pReserved13, 368);
QEL_AT(SFLRTYPE, nNumFoundations, 376);
QEL_AT(SFLRTYPE, nFirstFoundation, 380);
QEL_AT(SFLRTYPE, data4, 384);
QEL_AT(SFLRTYPE, pFoundations, 392);
QEL_AT(SFLRTYPE, data5, 400);
#undef QEL_AT

// Shared among the suite's programs, which keep their story and floor-type arrays here. The
// library defines them (null until a program sets them) and never reads them.
extern SSTORY* Story_Bgn_ptr;
extern SSTORY* Story_Ptr;
extern SFLRTYPE* FlrType_Bgn_ptr;
extern SFLRTYPE* FlrType_ptr;
extern HWND hWndMain;
