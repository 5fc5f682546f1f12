// CDBIO: one building model's database -- its name, its master data record and its record files.
//
// A model is a set of files sharing one base path, the database name. Each table lives in a record
// file named "<database name>.<extension>": a headerless array of fixed-size little-endian records,
// record i at byte i * record size. This header holds the frame of the class: construction, the
// three record primitives every table reader and writer is built on (ReadDB, WriteDB,
// GetRecordCount), two file utilities, version stamps, RoundUp, the memory read buffer, and the
// shared reading pattern of versioned tables. The table families (stories, members, decks, loads,
// deflection criteria) add their members to this class from further files of src/dbio/.
//
// Contract:
// - No file stays open between calls; every primitive opens, uses and closes its file.
// - Readers open files denying writers, writers open them exclusively, so a reader and a writer
//   in two processes exclude each other for the length of one call. A conflicting open never
//   waits: ReadDB and WriteDB then return 0.
// - While a memory read buffer is installed, every ReadDB and GetRecordCount is served from it
//   (the extension is ignored); WriteDB always goes to the file.
// - Return codes, not exceptions: only GetRecordCount on a file that exists but cannot be opened,
//   and EmptyFile, let the platform's CFileException through.
// - Not meant for use by several threads at once.
#pragma once

#include <vector>

#include "mdf/archive_map.h"
#include "mdf/mdf_form.h"
#include "platform/cstring.h"
#include "platform/win_types.h"

struct SMDF;
class CUnits;
class CFile;
class CTime;

namespace qel {
struct VersionedTable;
struct VersionAccess;
}  // namespace qel

class CDBIO {
 public:
  CDBIO(CUnits* units, CString dbName, SMDF* mdf);
  CDBIO(CString dbName, SMDF* mdf);
  explicit CDBIO(SMDF* mdf);
  // Copies units, name and master data record; the memory read buffer is not carried over, so a
  // copy reads from the files.
  CDBIO(const CDBIO& other);
  // Copies units, name, master data record and the memory read buffer pointer.
  CDBIO& operator=(const CDBIO& other);
  ~CDBIO();

  void SetMDF(SMDF* mdf) { m_pMDF = mdf; }
  SMDF* GetMDF() const { return m_pMDF; }
  void SetDBUnits(CUnits* units) { m_pUnits = units; }
  CUnits* GetDBUnits() const { return m_pUnits; }
  void SetDBName(CString dbName) { m_strDBName = std::move(dbName); }
  CString GetDBName() const { return m_strDBName; }
  void SetInterfaceData(CUnits* units, CString dbName) {
    m_pUnits = units;
    m_strDBName = std::move(dbName);
  }

  // Installs (or with null removes) a buffer that stands for every table's file in reads and
  // counts. The caller keeps ownership; the buffer must outlive its use.
  void SetMemoryReadBuffer(std::vector<unsigned char>* buffer) { m_pMemReadBuffer = buffer; }
  std::vector<unsigned char>* GetMemoryReadBuffer() const { return m_pMemReadBuffer; }

  // Number of whole records of `recordSize` bytes in the table: -1 when the file does not exist,
  // -2 when its length is no multiple of the record size (or the size is not positive).
  // Throws CFileException when the file exists but cannot be opened.
  int GetRecordCount(const char* ext, int recordSize);

  // The 32-bit stamp stored at byte `stampOffset` of record 0, read with ReadDB; 0 when there is
  // no such record (missing, locked or too short file).
  int ReadFirstRecordStamp(const char* ext, int stampOffset, unsigned long& stamp);

  // Work on "<base>.<ext>" rather than on the object's database name.
  // Non-zero when the file's status can be read.
  int DoesFileExist(CString base, CString ext);
  // Truncates an existing file to length 0; throws CFileException when it cannot be opened
  // (missing, locked, no permission).
  void EmptyFile(CString base, CString ext);

  // The master data file "<database name>.qel" (master_data_file.cpp).
  //
  // Two forms are read: the XML archive (one map whose struct item "MDF" holds the record's
  // fields by name) and the older binary image of a MasterDataV1. Either way the record is first
  // filled with the defaults of a new model in the file's unit system and then overwritten field
  // by field, so a field the file lacks keeps its default. Only the XML form (archive version
  // 17.3) is written.
  //
  // True when the file starts with the six bytes "<?xml ". The file is left at its start.
  bool IsXml(CFile& file);
  // The version the file records: the root element's "version" attribute within the first 1024
  // bytes of an XML file; the float at byte 0 of a binary file of 1500 bytes or more, at byte 36
  // of a shorter one. 0.0 when there is none. The file is left at its start.
  float ReadMdfVersion(CFile& file);
  // Opens "<name>.qel" denying other writers and reads it. False, leaving *mdf untouched, when
  // the file cannot be opened (missing, or held by a writer); otherwise as the overload below.
  bool ReadMdf(SMDF* mdf);
  // Reads an open master data file of either form into *mdf. On failure (not a readable archive,
  // not exactly one map, no "MDF" item, an unreadable file) *mdf is set to all zeros. A binary
  // image shorter than a MasterDataV1 is read as if its missing bytes were zero. The file is left
  // open for the caller.
  bool ReadMdf(SMDF* mdf, CFile& file);
  // Saves the record as "<name>.qel" without ever losing the previous file: the document goes to
  // a temporary file beside the model, is forced to disk and renamed over the old file. False,
  // with the old file as it was, when the document cannot be built, the file is locked by another
  // reader or writer, or the write fails (disk full, file-size limit).
  bool WriteMdf(SMDF* mdf);
  // Writes the record as an XML archive at the open file's position; CFileException from the
  // write passes through. The file is left open for the caller.
  bool WriteMdf(SMDF* mdf, CFile& file);
  // Stamps "Date" (MM/dd/yy) and "Time" (HH:mm:ss, 24-hour) with the current local time and
  // saves the record with WriteMdf; the save's result is not reported.
  void UpdateTimeStamp(SMDF* mdf);

  // major << 16 | minor << 8 | patch.
  static unsigned long MakeVersion(unsigned short major, unsigned char minor, unsigned char patch);
  // (value + multiple - 1) rounded down to a multiple of `multiple` (remainder truncated toward
  // zero); `multiple` must be positive (0 is returned otherwise).
  static int RoundUp(int value, int multiple);

 protected:
  // Reads `count` records of `recordSize` bytes from record `start` into `buffer`: 1 when every
  // byte arrived, else 0 (bytes already read stay in the buffer). Negative arguments give 0.
  int ReadDB(const char* ext, void* buffer, int recordSize, long start, long count);
  // Writes `count` records at record `start`, creating the file if needed; `truncate` non-zero
  // empties it first. Writing past the end extends the file. 1 when written, 0 when `buffer` is
  // null or the file cannot be opened or written.
  int WriteDB(const char* ext, void* buffer, int recordSize, long start, long count, int truncate);

  // "<database name>.<ext>".
  CString RecordFilePath(const char* ext) const;

  // The shared reading pattern of versioned tables (see versioned_table.h).
  // Record size of a file of stamp `version`; 0xFFFFFFFF asks for the stamp of record 0 first
  // (-1 when it cannot be read).
  int GetVersionedRecordSize(const qel::VersionedTable& table, unsigned long version);
  // Reads `count` current-size records from `start` into `buffer`, converting older records.
  // `context` is handed to the table's upgrade function.
  int ReadVersionedTable(const qel::VersionedTable& table, void* buffer, long count, long start,
                         void* context = nullptr);

  CUnits* m_pUnits = nullptr;
  CString m_strDBName;
  SMDF* m_pMDF = nullptr;
  std::vector<unsigned char>* m_pMemReadBuffer = nullptr;
  // The deck property caches (owned, filled lazily by the deck property names) join here with the
  // deck record types.

 private:
  // Fills the whole record with the defaults of a new model in unit system `units`.
  void SetMdfDefaults(SMDF* mdf, int units);
  // Adds `size` bytes at `data` to `map` under `name` unless the map already holds that name.
  void SetMdfDefault(ArchiverDataMap& map, const char* name, void* data, size_t size);

  static void ParseVersion(unsigned long version, unsigned short& major, unsigned char& minor,
                           unsigned char& patch);
  // Reads the old-size records 0..n-1 one by one into current-size slots of `out`, stamping and
  // upgrading each; the result of the last read.
  int ConvertRecords(const qel::VersionedTable& table, unsigned char* out, long first, long n,
                     unsigned long fileStamp, int oldSize, void* context);

  friend struct qel::VersionAccess;
};

namespace qel {
// Writes `when` into the record's "Date" and "Time" as UpdateTimeStamp does (local time).
void StampMdf(SMDF* mdf, const CTime& when);

// ParseVersion is a private member of CDBIO; code that only needs to show a stamp (the CLI, tests)
// splits it through here.
struct VersionAccess {
  static void Parse(unsigned long version, unsigned short& major, unsigned char& minor,
                    unsigned char& patch) {
    CDBIO::ParseVersion(version, major, minor, patch);
  }
};
}  // namespace qel
