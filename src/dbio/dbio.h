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

#include <string>
#include <vector>

#include "dbio/deck_records.h"
#include "dbio/deflection_criteria.h"
#include "dbio/load_records.h"
#include "dbio/member_records.h"
#include "dbio/story_records.h"
#include "geom/geom_types.h"
#include "mdf/master_data_file.h"
#include "platform/carray.h"
#include "platform/cstring.h"
#include "platform/win_types.h"

struct SMDF;
class CUnits;
class CFile;
class CTime;
class CGridSys;
struct _POINT2D;
struct SPREAD_FOOT_RESULT;

namespace qel {
struct VersionedTable;
struct VersionAccess;
struct MemberTableHooks;
}  // namespace qel

class CDBIO {
 public:
  CDBIO(CUnits* units, CString dbName, SMDF* mdf);
  CDBIO(CString dbName, SMDF* mdf);
  explicit CDBIO(SMDF* mdf);
  // Copies units, name and master data record; the memory read buffer and the deck property
  // caches are not carried over, so a copy reads from the files.
  CDBIO(const CDBIO& other);
  // Copies units, name, master data record, the memory read buffer pointer and the contents of
  // the deck property caches.
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

  // The master data file "<database name>.qel", read and written by the master data layer
  // (mdf/master_data_file.h, where the forms are described).
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
  // Writes the record as an XML archive at the open file's position; false when the write
  // fails. The file is left open for the caller.
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

  // -----------------------------------------------------------------------------------------------
  // Decks and deck properties (deck_tables.cpp; the records are in deck_records.h).
  //
  // All four tables are versioned. A deck table older than 13.1.0 (36-byte records) and the
  // concrete and non-composite property tables older than 15.5.0 are converted record by record
  // into the caller's array, whatever the file holds beyond the records asked for, and the file is
  // never rewritten. The composite property table follows the shared versioned-table pattern
  // (versioned_table.h): a partial read of an old table converts its file on disk.
 public:
  // `count` records from record `start`; true when all were read (false for a missing file).
  bool ReadDeckData(SDECKS* buffer, int count, int start);
  // Stamps every record 13.1.0 and writes them; WriteDB's result.
  int WriteDeckData(SDECKS* buffer, int count, int start, int truncate);
  // 1 when all were read, else 0. Records older than 14.5.0 get a display name made from their
  // property name, numbered per name across the records converted by this read ("Deck",
  // "Deck 2", ...; "1", "2", ... for records without a name).
  int ReadDeckProp(SDECKPROP* buffer, int count, int start);
  // Stamps every record 15.5.0 and writes them; WriteDB's result.
  int WriteDeckProp(SDECKPROP* buffer, int count, int start, int truncate);
  int ReadConcDeckProp(SCONCDECKPROP* buffer, int count, int start);
  int ReadNonCompDeckProp(SNONCOMPDECKPROP* buffer, int count, int start);
  // Stamp 15.5.0 only the records whose stamp is 0, then write; WriteDB's result.
  int WriteConcDeckProp(SCONCDECKPROP* buffer, int count, int start, int truncate);
  int WriteNonCompDeckProp(SNONCOMPDECKPROP* buffer, int count, int start, int truncate);

  // The name of the deck's property: the display name of a composite property, the name of a
  // non-composite or concrete one; "" for an unknown kind, an index outside the table, or a
  // table that is missing, empty, locked or unreadable. Each property table is read once, the
  // first time it is needed, and kept for the object's life: later changes on disk are not seen.
  std::string GetDeckPropName(const SDECKS& deck);

  // Record size of a table whose records carry stamp `version`; 0xFFFFFFFF reads the stamp of
  // record 0 first and gives -1 when it cannot be read.
  int GetDeckRecordSize(unsigned long version);
  int GetDeckPropRecordSize(unsigned long version);
  int GetConcDeckPropRecordSize(unsigned long version);
  int GetNonCompDeckPropRecordSize(unsigned long version);

 protected:
  // The property tables as GetDeckPropName read them (owned). Assignment copies them; a
  // copy-constructed object starts with empty caches.
  std::vector<SDECKPROP> m_aDeckPropCache;
  std::vector<SCONCDECKPROP> m_aConcDeckPropCache;
  std::vector<SNONCOMPDECKPROP> m_aNonCompDeckPropCache;

  // -----------------------------------------------------------------------------------------------
  // Loads, reactions, load cases and the other plain tables (load_tables.cpp; the records are in
  // load_records.h).
  //
  // Each operation reads (or writes) `count` records from record `start` of its table. Most give
  // no result: a missing or short file leaves the caller's records as far as they were filled.
 public:
  void ReadConcSections(_SECTIONS* buffer, int count, int start);   // "sec"
  void ReadOtherSections(_SECTIONS* buffer, int count, int start);  // "sec" as well
  void ReadFoundations(_FOUNDATION3D* buffer, int count, int start);
  void WriteFoundations(_FOUNDATION3D* buffer, int count, int start);  // not truncating
  void ReadEdgeListData(SEDGELIST* buffer, int count, int start);      // slab edges
  void ReadOpeningData(SEDGELIST* buffer, int count, int start);
  void ReadPolygonData(_POINT2D* buffer, int count, int start);
  void ReadLateralLoadCases(_LOADCASE* buffer, int count, int start);
  // `count` load cases from record 0; nothing when count < 1 or the buffer is null.
  void ReadLatLoadCases(_LOADCASE* buffer, int count);
  void WriteLoadCases(_LOADCASE* buffer, int count, int start);  // not truncating
  // Record `index` alone: 0 when read, -1 otherwise.
  long ReadGravColReactions(CECTREACTSTRUCT* buffer, int index);
  // 0 when read, -1 otherwise.
  long ReadGravBeamReactions(SBECTREACT* buffer, int count, int start);
  void ReadBect(SBECT* buffer, int count, int start);
  void ReadPointLoads(SPOINTLOADS* buffer, int count, int start);
  void ReadLineLoads(SLINELOADS* buffer, int count, int start);
  void ReadLoads(SLOADS* buffer, int count, int start);
  void ReadWallPointLoads(SPOINTLOADS* buffer, int count, int start);
  void ReadWallLineLoads(SLINELOADS* buffer, int count, int start);
  // 1 when read, 0 otherwise.
  int ReadWallReact(WALLREACTSTRUCT* buffer, long count, int start);
  // `count` surface load properties from record 0.
  void ReadSurfaceLoadProps(SLOADPROP* buffer, int count);
  void ReadMemberForces(_MEMBERFORCES* buffer, int count, int start);
  // Load combinations live in a file whose extension the caller chooses. 1 when the records were
  // read and every one is valid: between 1 and 25 load cases, none of the first n indexes
  // negative. The records stay in the buffer whatever the check finds.
  int ReadLoadCombos(CString ext, _LOADCOMBO* buffer, int count, int start);
  // `count` combinations from record 0, not truncating.
  void WriteLoadCombos(CString ext, _LOADCOMBO* buffer, int count);
  // The spread-footing results file ("<database name>.sfr"), through CSpreadFootingFileHelper
  // (archive/spread_footing_file.h), whose rules they follow.
  void ReadSpreadFtgResults(CArray<SPREAD_FOOT_RESULT, SPREAD_FOOT_RESULT>* results, int count);
  void WriteSpreadFtgResults(CArray<SPREAD_FOOT_RESULT, SPREAD_FOOT_RESULT>* results);

  // -----------------------------------------------------------------------------------------------
  // Deflection criteria (deflection_criteria.cpp; records and settings keys in
  // deflection_criteria.h).
 public:
  // `count` criteria from record 0 of "sdc" ("cdc"). When the file cannot supply them all, every
  // criterion comes from the settings file instead (section "MiscDefaults",
  // "ConcreteBeamDefaults"), the absolute half from the "Metric" keys when the master data record's
  // unit system is not 0 (a missing record counts as unit system 0). 1, or 0 when the file failed
  // and `buffer` is null.
  int ReadSteelDeflCrit(SSTEELDEFLCRIT* buffer, int count);
  int ReadConcDeflCrit(SCONCDEFLCRIT* buffer, int count);
  // Stamp 14.2.0 into every record whose stamp is 0, then write from record 0 without truncating;
  // WriteDB's result.
  int WriteSteelDeflCrit(SSTEELDEFLCRIT* buffer, int count);
  int WriteConcDeflCrit(SCONCDEFLCRIT* buffer, int count);

  // `text` followed by `index` in decimal.
  static CString AppendIndex(const CString& text, int index);
  // Halves in the settings file, criterion `index`; `halfId` is qel::kIdsDeflCritRatio,
  // qel::kIdsDeflCritAbs, or 0 for the absolute half under the "Metric" keys. Missing keys read
  // as their defaults: for criterion 0's ratio half live 360 and total (steel) or long-term
  // (concrete) 240, otherwise 0.
  static void IniReadSteelDeflCritHalf(const CString& section, SSTEELDEFLCRITHALF& half,
                                       unsigned halfId, unsigned index);
  static void IniWriteSteelDeflCritHalf(const CString& section, SSTEELDEFLCRITHALF& half,
                                        unsigned halfId, unsigned index);
  static void IniReadConcDeflCritHalf(const CString& section, SCONCDEFLCRITHALF& half,
                                      unsigned halfId, unsigned index);
  static void IniWriteConcDeflCritHalf(const CString& section, SCONCDEFLCRITHALF& half,
                                       unsigned halfId, unsigned index);
  // "DeflCritName" + index; "Default" when missing for criterion 0, else "". Cut to the field.
  static void IniReadSteelDeflCritName(const CString& section, SSTEELDEFLCRIT& criterion,
                                       unsigned index);
  static void IniReadConcDeflCritName(const CString& section, SCONCDEFLCRIT& criterion,
                                      unsigned index);

 protected:
  // Text of `baseId` followed by the half's name; `metric` set as the half id says.
  static CString IniGetDeflCritPrefix(unsigned baseId, unsigned halfId, int& metric);
  static CString IniGetSteelDeflCritPrefix(unsigned halfId, int& metric);
  static CString IniGetConcDeflCritPrefix(unsigned halfId, int& metric);
  // Key: prefix + text of `itemId` + index + ("Metric" when `metric`); values as "%g".
  static double IniGetDeflCritItem(const CString& section, const CString& prefix, unsigned itemId,
                                   double defaultValue, unsigned index, int metric);
  static void IniWriteDeflCritItem(const CString& section, const CString& prefix, unsigned itemId,
                                   double value, unsigned index, int metric);
  // DeadL, LiveL and Net under `prefix`.
  static void IniReadDeflCrit(const CString& section, const CString& prefix, SDEFLCRIT& limits,
                              unsigned index, int metric, double deadDefault, double liveDefault,
                              double netDefault);
  static void IniWriteDeflCrit(const CString& section, const CString& prefix, SDEFLCRIT& limits,
                               unsigned index, int metric);

 private:
  static void ParseVersion(unsigned long version, unsigned short& major, unsigned char& minor,
                           unsigned char& patch);
  // Reads the old-size records 0..n-1 one by one into current-size slots of `out`, stamping and
  // upgrading each; the result of the last read.
  int ConvertRecords(const qel::VersionedTable& table, unsigned char* out, long first, long n,
                     unsigned long fileStamp, int oldSize, void* context);

  // ===== Stories and floor types (story_tables.cpp) ==============================================
  // The story file "sty" (336-byte records) and the floor-type file "flt" (472-byte records) hold
  // the in-memory records without their pointer blocks (story_records.h). Counts and indexes are
  // ints; a count of 0 or less makes every loop here do nothing.
 public:
  // Reads `count` story records from record `start`: the pointer blocks come out null. 1 when read;
  // 0 leaves the caller's records untouched.
  int ReadStoryData(SSTORY* stories, int count, int start);
  // Writes the file form of the records (the 48 empty bytes are written as zeros).
  int WriteStoryData(SSTORY* stories, int count, int start, int truncate);
  // ReadStoryData, then each story's columns, beams, braces and walls (in this order) into arrays
  // allocated with new[] and hung on the story. A kind whose count is 0 keeps a null array, and so
  // does a range the member file does not hold (bad first index or count): nothing is allocated
  // for it. The records are walked even when the plain read failed, so a caller must check that
  // read first when its records were not initialised.
  void ReadStoryDataWith3DGeom(SSTORY* stories, int count, int start);
  // Releases each story's four member arrays (delete[]); the pointers are not reset.
  void CleanStory(SSTORY* stories, int count);
  int ReadFloorTypeData(SFLRTYPE* floors, int count, int start);
  int WriteFloorData(SFLRTYPE* floors, int count, int start, int truncate);
  // As ReadStoryDataWith3DGeom: columns, beams, walls and foundations ("ftg", 440-byte records).
  void ReadFloorDataWith3DGeom(SFLRTYPE* floors, int count, int start);
  // Releases each floor type's beam, column, wall and foundation arrays.
  void CleanFloor(SFLRTYPE* floors, int count);
  // The grid index file "gri": `count` 32-bit integers from `start`.
  void ReadGridIndex(int* buffer, int count, int start);
  // Appends the grid systems of "<database name>.grs". A missing file, or one that cannot be read
  // whole (locked, truncated, a count it does not hold), leaves the array as it was.
  void ReadGridSysData(CArray<CGridSys, CGridSys&>* grids);
  // Sets both foundation flags of every wall of every story: 1 on the lowest story; above it, an
  // end is on the foundation when nothing of the story below supports it (IsPointOnFoundation).
  // The stories must hold their walls (and the story below its columns, beams and walls), e.g.
  // from ReadStoryDataWith3DGeom; a null array counts as no members.
  void FindFoundationGravityWalls(SSTORY* stories, int count);

 protected:
  // 1 when no column (within 1.0 in x and in y), beam or wall (line within 1.0 and the point
  // within the member's extent, tolerance 0.01) of the story below supports `point`, else 0.
  int IsPointOnFoundation(SSTORY* storyBelow, _POINT2D point);

 private:
  void ReadStoryColumnData(SSTORY* stories, int count);
  void ReadStoryBeamData(SSTORY* stories, int count);
  void ReadStoryBraceData(SSTORY* stories, int count);
  void ReadStoryWallData(SSTORY* stories, int count);
  void ReadFloorColumnData(SFLRTYPE* floors, int count);
  void ReadFloorBeamData(SFLRTYPE* floors, int count);
  void ReadFloorWallData(SFLRTYPE* floors, int count);
  void ReadFloorFoundationData(SFLRTYPE* floors, int count);

  // ===== Member tables (member_tables.cpp, beam_elevations.cpp) ==================================
  // Beams "b3d", columns "c3d" and walls "w3d", beam finite elements "bfe" and the column-line
  // index "cli" are versioned: a table of an older stamp is converted while it is read (see
  // versioned_table.h for when the file itself is rewritten). Braces "r3d", column finite
  // elements "cfe" and column lines "cln" are plain blocks.
 public:
  // Beams. Records older than 14.5.1 get their link points initialised; when a whole-table read
  // met any such record, the table is rewritten at the current size and every beam's elevations
  // are recomputed (InitBeamZs, which needs the master data record) before the records are read
  // again. That rewrite needs the model's files: while a memory read buffer is installed the
  // records are converted in memory only.
  int ReadBeam3DData(_BEAM3D* buffer, int count, int start);
  // Stamps every record 17.1.0, then writes.
  int WriteBeam3DData(_BEAM3D* buffer, int count, int start, int truncate);
  int ReadCol3DData(_COL3D* buffer, int count, int start);
  // Stamps every record 17.3.0, then writes.
  int WriteCol3DData(_COL3D* buffer, int count, int start, int truncate);
  // Walls older than 16.0.0 take the master data record's defaults where the upgrade asks for
  // them (left as zeros when no record is set); they come out stamped 16.0.0, and the next read
  // of a table written from them finishes the upgrade to 17.1.0.
  bool ReadWall3DData(_WALL3D* buffer, int count, int start);
  // Writes as given (no stamping).
  int WriteWall3DData(_WALL3D* buffer, int count, int start, int truncate);
  void ReadBrace3DData(_BRACE3D* buffer, int count, int start);
  // Writes from record 0 without truncating.
  int WriteBrace3DData(_BRACE3D* buffer, int count);
  int ReadBeamFEs(_BEAMFE* buffer, int count, int start);
  // Stamps every record 14.4.0, then writes.
  int WriteBeamFEs(_BEAMFE* buffer, int count, int start, int truncate);
  // Column finite elements from record 0.
  void ReadColFEs(_COLUMNFE* buffer, int count);
  // Block `index` of `count` lines, i.e. records count * index onwards.
  void ReadColLine(COLLINESTRUCT* buffer, int count, int index);
  // `count` records from record 0. An older table is converted record by record into the
  // caller's slots (never written back); a 14.4.0 record loses bytes 448 to 951.
  int ReadColLineIndex(COLLINEINDEXSTRUCT* buffer, int count);
  // Stamps every record 14.4.1, then writes from record 0 without truncating.
  int WriteColLineIndex(COLLINEINDEXSTRUCT* buffer, int count);

  // Record size of a table whose file carries `version`; 0xFFFFFFFF reads the stamp of the file's
  // first record (-1 when that fails).
  int GetBeamRecordSize(unsigned long version);
  int GetColRecordSize(unsigned long version);
  int GetWallRecordSize(unsigned long version);
  int GetBeamFERecordSize(unsigned long version);
  int GetColLineIndexRecordSize(unsigned long version);

  // Link point x, y, z from the doubles at 712, 720 and 752; the link block's other doubles to 0.
  static void InitColLinkInfo(_COL3D& column);
  // Puts the chosen ends' link points (x, y) on the ends and clears their link flags.
  static void InitBeamLinkInfo(_BEAM3D& beam, bool iEnd, bool jEnd);

 protected:
  // Recomputes the support elevations, end elevations and lengths of every beam of the model from
  // the members each beam frames into, and writes the beams back (stamped 17.1.0). Needs the
  // master data record ("NumStories", "NumFlrTypes"); does nothing without it or when the story
  // table cannot be read. A story's floor type gives the members it looks for supports among:
  // those of the last story of that floor type. A member range the files do not hold, or whose
  // read fails, is left out (its beams are neither computed nor written, its members support
  // nothing), and a story whose floor-type index is out of range finds no supports.
  void InitBeamZs();

  // Bytes of the record file "<database name>.<ext>" (of the memory read buffer while one is
  // installed); 0 when it is missing or cannot be read.
  unsigned long long TableBytes(const char* ext);
  // True when first >= 0, count >= 0 and records [first, first + count) of `recordSize` bytes all
  // lie within TableBytes(ext). Readers check counts and indexes taken from files with it before
  // they allocate anything.
  bool TableHoldsRange(const char* ext, int recordSize, long first, long count);

 private:
  // The member tables' upgrades and their follow-up work (member_tables.cpp).
  friend struct qel::MemberTableHooks;
  // ===== end of the member tables ================================================================

  friend struct qel::VersionAccess;
};

namespace qel {

// ParseVersion is a private member of CDBIO; code that only needs to show a stamp (the CLI, tests)
// splits it through here.
struct VersionAccess {
  static void Parse(unsigned long version, unsigned short& major, unsigned char& minor,
                    unsigned char& patch) {
    CDBIO::ParseVersion(version, major, minor, patch);
  }
};
}  // namespace qel
