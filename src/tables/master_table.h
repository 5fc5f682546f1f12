// The master steel table: one process-wide array of fixed-size section records that the suite's
// programs index directly, shared by reference count.
//
// Contract:
// - MasterTable_Bgn_Ptr points at NumMasterTable records allocated with the C heap (malloc,
//   realloc, free); null and 0 when no table is built.
// - The first successful build (BuildSteelDesignTables2, steel_design_tables.h) creates the array
//   with one user; later builds while it has users only add a user. DeleteMasterSteelTable gives
//   one user back and frees the array when none is left.
// - The state is process-global and unguarded: one thread at a time.
#pragma once

#include <cstddef>

#include "platform/win_types.h"

namespace qel {
// A field of `type`, or an array of `n` of them when `n` is not 0.
template <class T, int N>
struct MasterTableFieldType {
  using type = T[N];
};
template <class T>
struct MasterTableFieldType<T, 0> {
  using type = T;
};
}  // namespace qel

// One steel section. Field order, types and offsets are fixed (master_table_fields.def).
struct _MASTERTABLE {
#define QEL_MT_FIELD(T, name, n, off) qel::MasterTableFieldType<T, n>::type name;
#include "tables/master_table_fields.def"
#undef QEL_MT_FIELD
};

static_assert(sizeof(_MASTERTABLE) == 172);
#define QEL_MT_FIELD(type, name, n, off)                \
  static_assert(offsetof(_MASTERTABLE, name) == (off)); \
  static_assert(sizeof(_MASTERTABLE::name) == sizeof(type) * ((n) ? (n) : 1));
#include "tables/master_table_fields.def"
#undef QEL_MT_FIELD

// The shared table (exported under these names).
extern _MASTERTABLE* MasterTable_Bgn_Ptr;
extern int NumMasterTable;

// When `needed` exceeds *capacity: capacity becomes needed + 50, *table is reallocated to that
// many records and the records added are zero-filled. 1 when the table holds `needed` records'
// room afterwards; 0 when the allocation failed (table and capacity unchanged).
int GrowMasterTableIfNeeded(void** table, int needed, int* capacity);

// Gives back one user of the shared table and frees it when none is left; then MasterTable_Bgn_Ptr
// is null and NumMasterTable 0 for this caller. Always 1.
int DeleteMasterSteelTable();

// The Plank mode of the sibling product: from now on table files are found through its settings
// file (table_files.h). One-way for the life of the process.
void SetDBIO_PlankMode();

namespace qel {

// A field as the CLI and bindings name it: char fields are single characters or text.
struct MasterTableField {
  const char* name;
  bool isChar;
  int length;  // array length, 0 for a single value
  std::size_t offset;
};
inline constexpr MasterTableField kMasterTableFields[] = {
#define QEL_MT_FIELD(type, name, n, off) \
  {#name, sizeof(type) == 1, n, offsetof(_MASTERTABLE, name)},
#include "tables/master_table_fields.def"
#undef QEL_MT_FIELD
};

// Process-wide state of the table beside the exported pointer and count.
int& MasterTableUsers();        // how many builders share the table
int& MasterTableUnitsMetric();  // 1 after an "S" line of a table file, 0 after "E"; starts at 0
bool PlankMode();
// The model path for which "Error Opening Master Table" was last shown (259 characters at most),
// and whether there is one.
bool& MasterTableFailureRemembered();
char* LastFailedModelPath();  // MAX_PATH bytes

// Frees the shared table whatever its user count and forgets every state above except the Plank
// mode; for tests and hosts that restart.
void ResetMasterTable();

}  // namespace qel
