// Building the master steel table from a model's section table, and private copies of it.
//
// BuildSteelDesignTables2 reads the section table (section_table.h) -- the model's working copy
// "<model>.tab" when a model path is given, else "<tables folder>\<MasterSteelTableName>.tab" --
// then appends the Star Seismic and CoreBrace products (brace_tables.h) and a closing
// "No Design" record, and enters every name in the name index (property_table_map.h). While the
// table has users a build only adds one (master_table.h).
//
// Failures are shown in message boxes owned by `owner` (stop icon, caption "Fatal Error"):
// "Error Opening Master Table" when the file cannot be opened (once per model path in a row), and
// "Error Opening Master Table - Incorrect File Format" when a data line is short; the result is
// then 0 and no table is left behind by this build.
#pragma once

#include "dbio/dbio.h"
#include "platform/cstring.h"
#include "platform/win_types.h"
#include "tables/master_table.h"

struct SMDF;
class CUnits;

// 1 when the table is available, 0 on failure. A null `mdf` means the default record `mdf`.
int BuildSteelDesignTables2(HWND owner, const char* modelPath, SMDF* mdf);
// BuildSteelDesignTables2 with the library's default record `mdf`.
int BuildSteelDesignTables(HWND owner, const char* modelPath);

// A CDBIO that hands out private copies of the master steel table of its model.
class CMastDBIO : public CDBIO {
 public:
  CMastDBIO(const CMastDBIO& other);
  CMastDBIO(const char* modelPath, const CDBIO& db);
  CMastDBIO(const char* modelPath, SMDF* mdf);
  CMastDBIO(const char* modelPath, CString dbName, SMDF* mdf);
  CMastDBIO(const char* modelPath, CUnits* units, CString dbName, SMDF* mdf);
  CMastDBIO& operator=(const CMastDBIO& other);
  ~CMastDBIO();

  // The two virtual operations, in this slot order (callers outside the library use the table).
  // Builds the table (no owner window, this object's model path and master data record, or the
  // default record `mdf`), copies its first `count` records into a new array (array new; the
  // caller deletes it with delete[]) and gives its use of the shared table back. `count` is
  // NumMasterTable, less the closing "No Design" record unless `withNoDesign`. On failure
  // `table` is null, `count` 0 and the result 0.
  virtual int ReadMasterTable(_MASTERTABLE*& table, long& count, int withNoDesign);
  virtual int ReadMasterTable(_MASTERTABLE*& table, int& count, int withNoDesign);

  CString GetModelPath() const { return m_strModelPath; }

 private:
  CString m_strModelPath;
};
