// Stories and floor types: their files, the member arrays hung on them, the grid files, and which
// wall ends stand on the foundation.
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <span>

#include "dbio/dbio.h"
#include "dbio/record_catalogue.h"
#include "dbio/versioned_table.h"
#include "geom/grid_file.h"
#include "geom/primitives.h"
#include "platform/cfile.h"

SSTORY* Story_Bgn_ptr = nullptr;
SSTORY* Story_Ptr = nullptr;
SFLRTYPE* FlrType_Bgn_ptr = nullptr;
SFLRTYPE* FlrType_ptr = nullptr;
HWND hWndMain = nullptr;

namespace {

// How a file record and its in-memory record correspond: pieces of bytes copied between the two,
// and the pointer slots that only the in-memory record has (set to null on reading). Bytes of the
// file record that no piece covers carry nothing; bytes of the in-memory record that neither a
// piece nor a slot covers are left as they were.
struct Piece {
  int file, memory, length;
};
struct Slots {
  int memory, count;
};
struct RecordMapping {
  const char* ext;
  int fileSize, memorySize;
  std::span<const Piece> pieces;
  std::span<const Slots> slots;
};

constexpr Piece kStoryPieces[] = {{0, 0, 112}, {160, 208, 176}};
constexpr Slots kStorySlots[] = {{112, 11}};
constexpr Piece kFloorPieces[] = {{0, 0, 168}, {216, 272, 96}, {312, 376, 16}, {328, 400, 144}};
constexpr Slots kFloorSlots[] = {{168, 13}, {368, 1}, {392, 1}};

constexpr RecordMapping kStoryMapping{"sty", 336, sizeof(SSTORY), kStoryPieces, kStorySlots};
constexpr RecordMapping kFloorMapping{"flt", 472, sizeof(SFLRTYPE), kFloorPieces, kFloorSlots};

// Every byte of the in-memory record is a piece, a slot or (stories) the untouched slot, once.
constexpr bool Covers(const RecordMapping& m, int untouched) {
  int memory = untouched, file = 0;
  for (const Piece& p : m.pieces) {
    memory += p.length;
    file += p.length;
    if (p.file + p.length > m.fileSize || p.memory + p.length > m.memorySize) return false;
  }
  for (const Slots& s : m.slots) memory += s.count * static_cast<int>(sizeof(void*));
  return memory == m.memorySize && file == m.fileSize - 48;
}
static_assert(Covers(kStoryMapping, sizeof SSTORY::untouched));
static_assert(Covers(kFloorMapping, 0));
static_assert(offsetof(SSTORY, data4) == 208 && offsetof(SSTORY, data5) + 156 == 384);

void FileToMemory(const RecordMapping& m, const unsigned char* file, unsigned char* memory) {
  for (const Piece& p : m.pieces) std::memcpy(memory + p.memory, file + p.file, p.length);
  for (const Slots& s : m.slots) std::memset(memory + s.memory, 0, s.count * sizeof(void*));
}

void MemoryToFile(const RecordMapping& m, const unsigned char* memory, unsigned char* file) {
  std::memset(file, 0, m.fileSize);
  for (const Piece& p : m.pieces) std::memcpy(file + p.file, memory + p.memory, p.length);
}

// Temporary file records for `count` records; null for a count that is negative or cannot be had.
std::unique_ptr<unsigned char[]> FileRecords(const RecordMapping& m, int count) {
  if (count < 0) return nullptr;
  return std::unique_ptr<unsigned char[]>(
      new (std::nothrow) unsigned char[static_cast<std::size_t>(count) * m.fileSize]);
}

int RecordSize(const char* ext) { return qel::FindRecordFile(ext)->recordSize; }

// Releases an array a reader allocated with new[] (the foundation record type is not complete
// here: its arrays are allocated and released as bytes).
template <class T>
void Release(T* p) {
  delete[] p;
}
void Release(_FOUNDATION3D* p) { delete[] reinterpret_cast<unsigned char*>(p); }

// Allocates `count` records (zeroed) for a member array, or null.
template <class T>
T* Allocate(int count) {
  return new (std::nothrow) T[static_cast<std::size_t>(count)]();
}

// Plan point within `tol` of p in x and in y.
bool Near(const _POINT2D& a, const _POINT2D& p, double tol) {
  return std::fabs(a.x - p.x) <= tol && std::fabs(a.y - p.y) <= tol;
}

// The segment `line` supports p: its line passes within `lineTol` of p (normalised line
// equation) and p lies within its extent by IsPointInSgmt with `spanTol`.
bool OnSegment(const _POINT2D& p, const _LINE2D& line, double lineTol, double spanTol) {
  return DistancePointToLine(&p, &line) <= lineTol && IsPointInSgmt(&p, &line, spanTol) != 0;
}

}  // namespace

// ---- the two files --------------------------------------------------------------------------

namespace {
// Converts `count` file records into the caller's in-memory records.
template <class Record>
void ToMemory(const RecordMapping& m, const unsigned char* file, Record* records, int count) {
  for (int i = 0; i < count; ++i)
    FileToMemory(m, file + static_cast<std::size_t>(i) * m.fileSize,
                 reinterpret_cast<unsigned char*>(&records[i]));
}
template <class Record>
std::unique_ptr<unsigned char[]> ToFile(const RecordMapping& m, const Record* records, int count) {
  auto file = FileRecords(m, count);
  if (file)
    for (int i = 0; i < count; ++i)
      MemoryToFile(m, reinterpret_cast<const unsigned char*>(&records[i]),
                   file.get() + static_cast<std::size_t>(i) * m.fileSize);
  return file;
}
}  // namespace

int CDBIO::ReadStoryData(SSTORY* stories, int count, int start) {
  auto file = FileRecords(kStoryMapping, count);
  if (!stories || !file) return 0;
  const int result = ReadDB("sty", file.get(), kStoryMapping.fileSize, start, count);
  if (result == 1) ToMemory(kStoryMapping, file.get(), stories, count);
  return result;
}

int CDBIO::ReadFloorTypeData(SFLRTYPE* floors, int count, int start) {
  auto file = FileRecords(kFloorMapping, count);
  if (!floors || !file) return 0;
  const int result = ReadDB("flt", file.get(), kFloorMapping.fileSize, start, count);
  if (result == 1) ToMemory(kFloorMapping, file.get(), floors, count);
  return result;
}

int CDBIO::WriteStoryData(SSTORY* stories, int count, int start, int truncate) {
  auto file = stories ? ToFile(kStoryMapping, stories, count) : nullptr;
  if (!file) return 0;
  return WriteDB("sty", file.get(), kStoryMapping.fileSize, start, count, truncate);
}

int CDBIO::WriteFloorData(SFLRTYPE* floors, int count, int start, int truncate) {
  auto file = floors ? ToFile(kFloorMapping, floors, count) : nullptr;
  if (!file) return 0;
  return WriteDB("flt", file.get(), kFloorMapping.fileSize, start, count, truncate);
}

// ---- member arrays ---------------------------------------------------------------------------

void CDBIO::ReadStoryDataWith3DGeom(SSTORY* stories, int count, int start) {
  ReadStoryData(stories, count, start);
  if (!stories) return;
  ReadStoryColumnData(stories, count);
  ReadStoryBeamData(stories, count);
  ReadStoryBraceData(stories, count);
  ReadStoryWallData(stories, count);
}

void CDBIO::ReadFloorDataWith3DGeom(SFLRTYPE* floors, int count, int start) {
  ReadFloorTypeData(floors, count, start);
  if (!floors) return;
  ReadFloorColumnData(floors, count);
  ReadFloorBeamData(floors, count);
  ReadFloorWallData(floors, count);
  ReadFloorFoundationData(floors, count);
}

namespace {
// Replaces each owner's array of one member kind: the old array (if any) is released, and a new
// one is allocated and read only when `holds` says the member file holds the owner's range.
template <class Owner, class T, class Holds, class Read>
void LoadMembers(Owner* owners, int count, LONG Owner::*number, LONG Owner::*first,
                 T* Owner::*array, Holds holds, Read read) {
  for (int i = 0; i < count; ++i) {
    Owner& o = owners[i];
    if (o.*number <= 0) continue;
    Release(o.*array);
    o.*array = nullptr;
    if (!holds(o.*first, o.*number)) continue;
    o.*array = Allocate<T>(o.*number);
    if (o.*array) read(o.*array, o.*number, o.*first);
  }
}
}  // namespace

void CDBIO::ReadStoryColumnData(SSTORY* stories, int count) {
  LoadMembers(
      stories, count, &SSTORY::nNumColumns, &SSTORY::nFirstColumn, &SSTORY::pColumns,
      [&](long first, long n) {
        return TableHoldsRange("c3d", GetColRecordSize(qel::kStampOfFile), first, n);
      },
      [&](_COL3D* a, int n, int first) { ReadCol3DData(a, n, first); });
}

void CDBIO::ReadStoryBeamData(SSTORY* stories, int count) {
  LoadMembers(
      stories, count, &SSTORY::nNumBeams, &SSTORY::nFirstBeam, &SSTORY::pBeams,
      [&](long first, long n) {
        return TableHoldsRange("b3d", GetBeamRecordSize(qel::kStampOfFile), first, n);
      },
      [&](_BEAM3D* a, int n, int first) { ReadBeam3DData(a, n, first); });
}

void CDBIO::ReadStoryBraceData(SSTORY* stories, int count) {
  const int size = RecordSize("r3d");
  LoadMembers(
      stories, count, &SSTORY::nNumBraces, &SSTORY::nFirstBrace, &SSTORY::pBraces,
      [&](long first, long n) { return TableHoldsRange("r3d", size, first, n); },
      [&](_BRACE3D* a, int n, int first) { ReadDB("r3d", a, size, first, n); });
}

void CDBIO::ReadStoryWallData(SSTORY* stories, int count) {
  LoadMembers(
      stories, count, &SSTORY::nNumWalls, &SSTORY::nFirstWall, &SSTORY::pWalls,
      [&](long first, long n) {
        return TableHoldsRange("w3d", GetWallRecordSize(qel::kStampOfFile), first, n);
      },
      [&](_WALL3D* a, int n, int first) { ReadWall3DData(a, n, first); });
}

void CDBIO::ReadFloorColumnData(SFLRTYPE* floors, int count) {
  LoadMembers(
      floors, count, &SFLRTYPE::nNumColumns, &SFLRTYPE::nFirstColumn, &SFLRTYPE::pColumns,
      [&](long first, long n) {
        return TableHoldsRange("c3d", GetColRecordSize(qel::kStampOfFile), first, n);
      },
      [&](_COL3D* a, int n, int first) { ReadCol3DData(a, n, first); });
}

void CDBIO::ReadFloorBeamData(SFLRTYPE* floors, int count) {
  LoadMembers(
      floors, count, &SFLRTYPE::nNumBeams, &SFLRTYPE::nFirstBeam, &SFLRTYPE::pBeams,
      [&](long first, long n) {
        return TableHoldsRange("b3d", GetBeamRecordSize(qel::kStampOfFile), first, n);
      },
      [&](_BEAM3D* a, int n, int first) { ReadBeam3DData(a, n, first); });
}

void CDBIO::ReadFloorWallData(SFLRTYPE* floors, int count) {
  LoadMembers(
      floors, count, &SFLRTYPE::nNumWalls, &SFLRTYPE::nFirstWall, &SFLRTYPE::pWalls,
      [&](long first, long n) {
        return TableHoldsRange("w3d", GetWallRecordSize(qel::kStampOfFile), first, n);
      },
      [&](_WALL3D* a, int n, int first) { ReadWall3DData(a, n, first); });
}

void CDBIO::ReadFloorFoundationData(SFLRTYPE* floors, int count) {
  const int size = RecordSize("ftg");
  for (int i = 0; i < count; ++i) {
    SFLRTYPE& f = floors[i];
    if (f.nNumFoundations <= 0) continue;
    Release(f.pFoundations);
    f.pFoundations = nullptr;
    if (!TableHoldsRange("ftg", size, f.nFirstFoundation, f.nNumFoundations)) continue;
    auto* bytes =
        new (std::nothrow) unsigned char[static_cast<std::size_t>(f.nNumFoundations) * size]();
    if (!bytes) continue;
    f.pFoundations = reinterpret_cast<_FOUNDATION3D*>(bytes);
    ReadDB("ftg", bytes, size, f.nFirstFoundation, f.nNumFoundations);
  }
}

void CDBIO::CleanStory(SSTORY* stories, int count) {
  if (!stories) return;
  for (int i = 0; i < count; ++i) {
    Release(stories[i].pBeams);
    Release(stories[i].pColumns);
    Release(stories[i].pWalls);
    Release(stories[i].pBraces);
  }
}

void CDBIO::CleanFloor(SFLRTYPE* floors, int count) {
  if (!floors) return;
  for (int i = 0; i < count; ++i) {
    Release(floors[i].pBeams);
    Release(floors[i].pColumns);
    Release(floors[i].pWalls);
    Release(floors[i].pFoundations);
  }
}

unsigned long long CDBIO::TableBytes(const char* ext) {
  if (m_pMemReadBuffer) return m_pMemReadBuffer->size();
  CFileStatus status;
  if (!ext || !CFile::GetStatus(RecordFilePath(ext), status)) return 0;
  return status.m_size;
}

bool CDBIO::TableHoldsRange(const char* ext, int recordSize, long first, long count) {
  if (recordSize <= 0 || first < 0 || count < 0) return false;
  const unsigned long long records = TableBytes(ext) / static_cast<unsigned>(recordSize);
  return static_cast<unsigned long long>(first) + static_cast<unsigned long long>(count) <= records;
}

// ---- grids -----------------------------------------------------------------------------------

void CDBIO::ReadGridIndex(int* buffer, int count, int start) {
  ReadDB("gri", buffer, RecordSize("gri"), start, count);
}

void CDBIO::ReadGridSysData(CArray<CGridSys, CGridSys&>* grids) {
  if (!grids) return;
  qel::ReadGridSysFile(RecordFilePath("grs"), *grids);
}

// ---- walls on the foundation -----------------------------------------------------------------

void CDBIO::FindFoundationGravityWalls(SSTORY* stories, int count) {
  if (!stories) return;
  for (int k = 0; k < count; ++k) {
    SSTORY& s = stories[k];
    if (!s.pWalls) continue;
    for (int j = 0; j < s.nNumWalls; ++j) {
      _WALL3D& w = s.pWalls[j];
      if (k == 0) {
        w.bIOnFoundation = w.bJOnFoundation = 1;
      } else {
        w.bIOnFoundation = IsPointOnFoundation(&stories[k - 1], w.ptIEnd);
        w.bJOnFoundation = IsPointOnFoundation(&stories[k - 1], w.ptJEnd);
      }
    }
  }
}

int CDBIO::IsPointOnFoundation(SSTORY* below, _POINT2D p) {
  constexpr double kReach = 1.0, kSpanTol = 0.01;
  if (!below) return 1;
  if (below->pColumns)
    for (int i = 0; i < below->nNumColumns; ++i)
      if (Near(below->pColumns[i].ptPlan, p, kReach)) return 0;
  if (below->pBeams)
    for (int i = 0; i < below->nNumBeams; ++i) {
      const _BEAM3D& b = below->pBeams[i];
      if (OnSegment(p, _LINE2D{b.ptSupport1, b.ptSupport2}, kReach, kSpanTol)) return 0;
    }
  if (below->pWalls)
    for (int i = 0; i < below->nNumWalls; ++i) {
      const _WALL3D& w = below->pWalls[i];
      if (OnSegment(p, _LINE2D{w.ptIEnd, w.ptJEnd}, kReach, kSpanTol)) return 0;
    }
  return 1;
}
