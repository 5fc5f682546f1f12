// The brace vendors' product tables: buckling-restrained brace cores from CoreBrace
// ("QELCoreBrace.cbd", 1008-byte records) and Star Seismic ("QELStarSeismic.ssd", 128-byte
// records). Each product becomes one master-table record ('V' or 'S') so that braces can be
// assigned like sections, and its whole vendor record is kept for lookup by name.
//
// File form: the first four bytes are the tag 0x000E0400; the length is a whole number of
// records. In each record: the product name at byte 8 (16 bytes, NUL-terminated; 15 characters
// used) and the core's thickness t, width b and area A as little-endian doubles (CoreBrace: A at
// 56, t at 32, b at 40; Star Seismic: A at 24, t at 40, b at 48). A file with any other tag or
// length adds nothing. The rest of a record is the vendor's and is only stored.
#pragma once

#include <cstddef>

#include "tables/master_table.h"

constexpr int kCoreBraceRecordSize = 1008;
constexpr int kStarSeismicRecordSize = 128;
constexpr unsigned kProductTableTag = 0x000E0400u;

class CCoreBraceTable {
 public:
  // Clears the CoreBrace product map, opens the model's working copy (the tables folder's file
  // when that fails) and appends one record per product to `table` (C heap, `count` records used
  // of `capacity`, grown by the master table's rule). 1 when records were appended, else 0.
  int ReadCoreBraceTable(_MASTERTABLE*& table, const char* modelPath, int& count, int& capacity);
};

class CStarSeismicTable {
 public:
  // As CCoreBraceTable, but only where OpenTableFile looks for the model path given (no second
  // try in the tables folder when a model path is given).
  int ReadStarSeismicTable(_MASTERTABLE*& table, const char* modelPath, int& count, int& capacity);
};

int ReadCoreBraceTable(_MASTERTABLE*& table, const char* modelPath, int& count, int& capacity);
int ReadStarSeismicTable(_MASTERTABLE*& table, const char* modelPath, int& count, int& capacity);

// Copy the product's whole vendor record (1008 or 128 bytes) to `out`: 1, or 0 when the name is
// not in the map of the last read.
int GetCoreBraceRecord(const char* name, void* out);
int GetStarSeismicRecord(const char* name, void* out);

namespace qel {

enum class BraceVendor { kCoreBrace, kStarSeismic };

// The reading of one brace table's bytes, apart from the file: checks tag and length, appends
// the products and fills the vendor's product map (which the caller has cleared). 1 when records
// were appended.
int AppendBraceProducts(BraceVendor vendor, const unsigned char* data, std::size_t size,
                        _MASTERTABLE*& table, int& count, int& capacity);
// Empties the vendor's product map.
void ClearBraceProducts(BraceVendor vendor);

}  // namespace qel
