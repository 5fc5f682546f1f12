// The SidePlate moment-connection tables: the connection records ("QELSideplate.spl", 64-byte
// records: the tag 0x000E0400 in the first four bytes of the file, the connection name from byte
// 4, NUL-terminated, the rest the vendor's) and the design-methodology tables
// ("QELSideplate.sp2"), both read from the tables folder.
//
// The ".sp2" form, little-endian throughout: a 4-byte tag (not checked); a signed 32-bit table
// count N; N + 1 non-decreasing 32-bit numbers, of which entry i+1 - entry i - 10 is the number of
// column blocks of table i; then per table 128 bytes of properties (bytes 0-3 the signed table
// id, bytes 120-123 the units flag), a 16-byte header, an 8-byte count R and R doubles (the first
// R - 1 the sorted row keys), then the column blocks: 4 bytes, a 16-byte NUL-terminated column
// name, an 8-byte count C and C - 1 strings, each an 8-byte length L and L bytes of
// NUL-terminated text -- the column's values by row. Every count and length is checked against
// the bytes left before anything is allocated; a file that breaks the form is refused whole.
//
// Messages (stop icon) while loading ".sp2": "Error reading table props data from file %s.",
// "Error reading table header data from file %s.", "Error reading data from file %s." (caption
// "QEL DBIO"), "SidePlateTables duplicate table id found"; and when a lookup needs the tables and
// they fail to load, "SidePlate file failed to load".
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

struct SSideplateRecord {
  unsigned char bytes[64];
};
static_assert(sizeof(SSideplateRecord) == 64);

class CSideplateTable {
 public:
  // Reads "QELSideplate.spl" from the tables folder into this object's records and refills the
  // process-wide SidePlate map (name -> record). Returns the first record (null when there are
  // none) with `count` the number of records. A file that cannot be opened, or is not a whole
  // tagged table, leaves the records as they were.
  SSideplateRecord* ReadSideplateTable(int& count);
  // Loads the design-methodology tables from the tables folder into the process-wide tables
  // (replacing what was loaded). Non-zero on success; a missing file is success, with nothing
  // loaded.
  int ReadSidePlate2File();

 private:
  // A formatted message box: stop icon, no owner, caption "QEL DBIO".
  static void ShowError(const char* format, ...);
  // When `ok`, reads `text` with "%lf" and clears `ok` when that fails.
  static void ScanValue(const std::string& text, double& value, bool& ok);
  // Appends "%d,".
  static void WriteValue(std::string& out, int value);
  // Appends the value with `decimals` decimals ("%.10g" when decimals is -1), after a space when
  // `leadingSpace`, then one separator character.
  static void WriteValue(std::string& out, double value, int decimals, bool leadingSpace);
  // Appends the text and ",".
  static void WriteValue(std::string& out, const char* text);

  std::vector<SSideplateRecord> m_records;
};

// Reads the ".spl" table with a temporary CSideplateTable; when there are records, *out receives
// a malloc'd copy (the caller frees it) and *count their number. Whether there were records.
int ReadSideplateTable(void** out, int* count);
// Copies the 64-byte record of `name` to `out` (reading the ".spl" table first while the map is
// empty): 1, or 0 when absent.
int GetSideplateRecord(const char* name, void* out);

// The design tables, loaded on first use. *n = number of tables and 1; on a load failure the
// message "SidePlate file failed to load", *n = -1 and 0.
int GetNumTables(int* n);
// Copies the 128 property bytes of table `tableId`: 1, or 0 when absent (or the load failed).
int GetSidePlate2TableProps(int tableId, void* out);
// The value of `column` (matched without regard to case) in the row of table `tableId` chosen by
// `value`: below the first key the first row, above the last the last, else the first key within
// the tolerance (0.1 after dividing the value by 12 when the table's units flag is 0; 0.001
// otherwise), else the nearer key around it, the lower on a tie. Trailing CRs are dropped. 1 when
// `out` holds a value; 0 with `out` empty when there is none, or with the "tables have changed"
// text when the table id is absent. The last answer is remembered: an identical call (same id,
// same column bytes, value within 0.001) returns it without looking. `out` must hold the longest
// value of the table (kSidePlateValueMax bytes always suffice).
int GetSideplate2Data(int tableId, const char* column, double value, char* out);

// Values longer than this (NUL included) make the file refused as damaged.
constexpr std::size_t kSidePlateValueMax = 1024;

namespace qel {

struct SidePlateDesignTable {
  unsigned char props[128];
  std::vector<double> rowKeys;
  struct Column {
    std::string name;
    std::vector<std::string> values;
  };
  std::vector<Column> columns;

  int Id() const;
  unsigned UnitsFlag() const;
};

struct SidePlateDesignTables {
  std::vector<SidePlateDesignTable> tables;
  std::map<int, std::size_t> byId;
};

enum class Sp2Status { kOk, kBadProps, kBadHeader, kBadData, kDuplicateId };

// Parses the bytes of a ".sp2" file.
Sp2Status ParseSidePlateDesignTables(const unsigned char* data, std::size_t size,
                                     SidePlateDesignTables& out);

// Reads the records of a ".spl" file's bytes: false (out untouched) unless tagged and whole.
bool ParseSideplateRecords(const unsigned char* data, std::size_t size,
                           std::vector<SSideplateRecord>& out);

// Forgets the loaded design tables, the remembered answer and the SidePlate map; for tests.
void ResetSidePlateState();

}  // namespace qel
