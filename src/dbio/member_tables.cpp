// The member tables: beams, columns, walls and braces, beam and column finite elements, column
// lines and their index. The versioned ones describe themselves once (record sizes by stamp,
// per-record upgrades) and read through CDBIO::ReadVersionedTable.
#include <cstring>
#include <span>

#include "dbio/dbio.h"
#include "dbio/record_catalogue.h"
#include "dbio/versioned_table.h"
#include "mdf/smdf.h"

namespace {

constexpr unsigned long Stamp(unsigned major, unsigned minor, unsigned patch) {
  return (static_cast<unsigned long>(major) << 16) | (minor << 8) | patch;
}

// Record size by stamp: each step's size holds from its stamp up to the next step's. A range
// that is one stamp wide (14.4.0 beams are 1000 bytes, 14.4.1 beams 1016) is a step whose
// successor starts one patch later.
struct SizeStep {
  unsigned long from;
  int size;
};

constexpr SizeStep kBeamSizes[] = {
    {0, 968},
    {Stamp(14, 3, 0), 984},
    {Stamp(14, 3, 1), 992},
    {Stamp(14, 4, 0), 1000},
    {Stamp(14, 4, 1), 1016},
    {Stamp(14, 4, 2), 1080},
    {Stamp(14, 5, 0), 1136},
    {Stamp(14, 5, 1), 1152},
    {Stamp(14, 5, 2), 1168},
    {Stamp(14, 8, 0), 1216},
    {Stamp(14, 9, 0), 1232},
    {Stamp(15, 91, 0), 1312},
};
constexpr SizeStep kColumnSizes[] = {
    {0, 888}, {Stamp(14, 5, 0), 944}, {Stamp(15, 5, 0), 1000}, {Stamp(17, 3, 0), 1072}};
constexpr SizeStep kWallSizes[] = {{0, 456}, {Stamp(15, 5, 0), 512}, {Stamp(15, 91, 0), 584}};
constexpr SizeStep kBeamFESizes[] = {{0, 40}, {Stamp(14, 4, 0), 160}};
constexpr SizeStep kColLineIndexSizes[] = {
    {0, 448}, {Stamp(14, 4, 0), 896}, {Stamp(14, 4, 1), 952}};

int SizeFor(std::span<const SizeStep> steps, unsigned long stamp) {
  int size = steps.front().size;
  for (const SizeStep& s : steps)
    if (stamp >= s.from) size = s.size;
  return size;
}
int BeamSize(unsigned long s) { return SizeFor(kBeamSizes, s); }
int ColumnSize(unsigned long s) { return SizeFor(kColumnSizes, s); }
int WallSize(unsigned long s) { return SizeFor(kWallSizes, s); }
int BeamFESize(unsigned long s) { return SizeFor(kBeamFESizes, s); }
int ColLineIndexSize(unsigned long s) { return SizeFor(kColLineIndexSizes, s); }

// A versioned table as the record catalogue lists it, with its sizes and upgrade.
qel::VersionedTable Describe(const char* ext, int (*size)(unsigned long)) {
  const qel::RecordFileInfo& info = *qel::FindRecordFile(ext);
  qel::VersionedTable t{info.ext, info.stampOffset, info.currentStamp, info.recordSize, size};
  return t;
}

template <class Record>
void StampAll(Record* records, int count, unsigned long stamp) {
  for (int i = 0; i < count; ++i) records[i].dwVersion = static_cast<DWORD>(stamp);
}

// Beams converted record by record note here whether any needed its links initialised.
struct BeamConversion {
  bool linksInitialised = false;
};

}  // namespace

// ---- link information ------------------------------------------------------------------------

void CDBIO::InitColLinkInfo(_COL3D& column) {
  column.ptLink = {column.dLinkSourceX, column.dLinkSourceY, column.dLinkSourceZ};
  column.adLinkBlock[0] = column.adLinkBlock[1] = column.adLinkBlock[2] = 0;
  column.dLinkBlock4 = 0;
}

void CDBIO::InitBeamLinkInfo(_BEAM3D& beam, bool iEnd, bool jEnd) {
  if (iEnd) {
    beam.ptILink.x = beam.ptIEnd.x;
    beam.ptILink.y = beam.ptIEnd.y;
    beam.bILink = 0;
  }
  if (jEnd) {
    beam.ptJLink.x = beam.ptJEnd.x;
    beam.ptJLink.y = beam.ptJEnd.y;
    beam.bJLink = 0;
  }
}

// ---- upgrades --------------------------------------------------------------------------------
// Records arrive stamped current, their old bytes followed by zeros.

namespace qel {

struct MemberTableHooks {
  static void Beam(CDBIO&, unsigned char* record, unsigned long fileStamp, void* context) {
    if (fileStamp >= Stamp(14, 5, 1)) return;
    CDBIO::InitBeamLinkInfo(*reinterpret_cast<_BEAM3D*>(record), true, true);
    static_cast<BeamConversion*>(context)->linksInitialised = true;
  }

  // Beams whose links were initialised have no elevations at their link points yet: the table is
  // rewritten current and every beam's elevations are recomputed from the members it frames
  // into, then the records are read again. Only a successful rewrite goes on, so the
  // recomputation (which reads the beams again) never meets the old table a second time.
  static void BeamsConverted(CDBIO& db, unsigned char* records, long n, void* context);

  static void Column(CDBIO&, unsigned char* record, unsigned long fileStamp, void*) {
    auto& c = *reinterpret_cast<_COL3D*>(record);
    if (fileStamp < Stamp(14, 5, 1)) CDBIO::InitColLinkInfo(c);
    std::memset(c.added1730a, 0, sizeof c.added1730a);
    std::memset(c.added1730b, 0, sizeof c.added1730b);
  }

  static void Wall(CDBIO& db, unsigned char* record, unsigned long s, void*);

  static void ColLineIndex(CDBIO&, unsigned char* record, unsigned long fileStamp, void*) {
    if (fileStamp == Stamp(14, 4, 0)) std::memset(record + 448, 0, 952 - 448);
  }
};

}  // namespace qel

namespace {

using Hooks = qel::MemberTableHooks;

const qel::VersionedTable& BeamTable() {
  static const qel::VersionedTable t = [] {
    auto d = Describe("b3d", BeamSize);
    d.upgrade = Hooks::Beam;
    d.converted = Hooks::BeamsConverted;
    return d;
  }();
  return t;
}

const qel::VersionedTable& ColumnTable() {
  static const qel::VersionedTable t = [] {
    auto d = Describe("c3d", ColumnSize);
    d.upgrade = Hooks::Column;
    return d;
  }();
  return t;
}

// A partial read writes the converted walls back exactly as converted: some come out stamped
// 16.0.0, and the next read finishes their upgrade.
const qel::VersionedTable& WallTable() {
  static const qel::VersionedTable t = [] {
    auto d = Describe("w3d", WallSize);
    d.upgrade = Hooks::Wall;
    d.restampOnWriteBack = false;
    return d;
  }();
  return t;
}

const qel::VersionedTable& BeamFETable() {
  static const qel::VersionedTable t = [] {
    auto d = Describe("bfe", BeamFESize);
    d.truncateOnWriteBack = true;
    return d;
  }();
  return t;
}

const qel::VersionedTable& ColLineIndexTable() {
  static const qel::VersionedTable t = [] {
    auto d = Describe("cli", ColLineIndexSize);
    d.upgrade = Hooks::ColLineIndex;
    d.convertInPlaceOnly = true;
    return d;
  }();
  return t;
}

}  // namespace

void qel::MemberTableHooks::BeamsConverted(CDBIO& db, unsigned char* records, long n,
                                           void* context) {
  if (!static_cast<BeamConversion*>(context)->linksInitialised || db.m_pMemReadBuffer) return;
  auto* beams = reinterpret_cast<_BEAM3D*>(records);
  StampAll(beams, static_cast<int>(n), BeamTable().currentStamp);
  if (!db.WriteDB(BeamTable().ext, beams, BeamTable().currentSize, 0, n, 1)) return;
  db.InitBeamZs();
  db.ReadBeam3DData(beams, static_cast<int>(n), 0);
}

void qel::MemberTableHooks::Wall(CDBIO& db, unsigned char* record, unsigned long s, void*) {
  auto& w = *reinterpret_cast<_WALL3D*>(record);
  const SMDF* mdf = db.m_pMDF;
  if (s < Stamp(12, 0, 1) && mdf) {
    w.dwVersion = Stamp(12, 0, 1);
    if (s < Stamp(12, 0, 0)) {
      w.bLightweightConcrete = mdf->bDefaultWallLWC;
      w.bUseElasticModulus = mdf->bDefaultWallUseElasticModulus;
      w.dFct = mdf->dDefaultWallFct;
      w.fElasticModulus = static_cast<float>(mdf->dDefaultWallElasticModulus);
      w.dFyDistributed = mdf->dDefaultWallFyDistributed;
      w.dFyBoundary = mdf->dDefaultWallFyBoundary;
      w.dFyTiesLinks = mdf->dDefaultWallFyTiesLinks;
    }
  }
  if (s < Stamp(14, 4, 1)) {
    if (s < Stamp(14, 4, 0)) w.fLegacy300 = 1.0f;
    w.nLegacy444 = 3;
    w.nLegacy84 = 0;
    w.dwVersion = Stamp(14, 4, 1);
  }
  if (s >= Stamp(16, 0, 0)) {
    if (w.nKind == 5 && w.bUseElasticModulus)
      w.fElasticModulus = static_cast<float>(w.dElasticModulusSource);
    w.dwVersion = Stamp(17, 1, 0);
    return;
  }
  // Without a master data record these keep the zeros the old layout left.
  if (mdf) {
    w.nWallType = mdf->lWallType;
    w.bIEndGap = mdf->bWallIEndGap;
    w.bJEndGap = mdf->bWallJEndGap;
  }
  w.nLegacy464 = 1;
  w.nLegacy304 = 0;
  w.dwVersion = Stamp(16, 0, 0);
}

// ---- size functions --------------------------------------------------------------------------

int CDBIO::GetBeamRecordSize(unsigned long v) { return GetVersionedRecordSize(BeamTable(), v); }
int CDBIO::GetColRecordSize(unsigned long v) { return GetVersionedRecordSize(ColumnTable(), v); }
int CDBIO::GetWallRecordSize(unsigned long v) { return GetVersionedRecordSize(WallTable(), v); }
int CDBIO::GetBeamFERecordSize(unsigned long v) { return GetVersionedRecordSize(BeamFETable(), v); }
int CDBIO::GetColLineIndexRecordSize(unsigned long v) {
  return GetVersionedRecordSize(ColLineIndexTable(), v);
}

// ---- readers and writers ---------------------------------------------------------------------

int CDBIO::ReadBeam3DData(_BEAM3D* buffer, int count, int start) {
  BeamConversion conversion;
  return ReadVersionedTable(BeamTable(), buffer, count, start, &conversion);
}

int CDBIO::WriteBeam3DData(_BEAM3D* buffer, int count, int start, int truncate) {
  if (!buffer) return 0;
  StampAll(buffer, count, BeamTable().currentStamp);
  return WriteDB("b3d", buffer, sizeof(_BEAM3D), start, count, truncate);
}

int CDBIO::ReadCol3DData(_COL3D* buffer, int count, int start) {
  return ReadVersionedTable(ColumnTable(), buffer, count, start);
}

int CDBIO::WriteCol3DData(_COL3D* buffer, int count, int start, int truncate) {
  if (!buffer) return 0;
  StampAll(buffer, count, ColumnTable().currentStamp);
  return WriteDB("c3d", buffer, sizeof(_COL3D), start, count, truncate);
}

bool CDBIO::ReadWall3DData(_WALL3D* buffer, int count, int start) {
  return ReadVersionedTable(WallTable(), buffer, count, start) == 1;
}

int CDBIO::WriteWall3DData(_WALL3D* buffer, int count, int start, int truncate) {
  return WriteDB("w3d", buffer, sizeof(_WALL3D), start, count, truncate);
}

void CDBIO::ReadBrace3DData(_BRACE3D* buffer, int count, int start) {
  ReadDB("r3d", buffer, sizeof(_BRACE3D), start, count);
}

int CDBIO::WriteBrace3DData(_BRACE3D* buffer, int count) {
  return WriteDB("r3d", buffer, sizeof(_BRACE3D), 0, count, 0);
}

int CDBIO::ReadBeamFEs(_BEAMFE* buffer, int count, int start) {
  return ReadVersionedTable(BeamFETable(), buffer, count, start);
}

int CDBIO::WriteBeamFEs(_BEAMFE* buffer, int count, int start, int truncate) {
  if (!buffer) return 0;
  StampAll(buffer, count, BeamFETable().currentStamp);
  return WriteDB("bfe", buffer, sizeof(_BEAMFE), start, count, truncate);
}

void CDBIO::ReadColFEs(_COLUMNFE* buffer, int count) {
  ReadDB("cfe", buffer, sizeof(_COLUMNFE), 0, count);
}

void CDBIO::ReadColLine(COLLINESTRUCT* buffer, int count, int index) {
  long first = 0;
  if (__builtin_mul_overflow(static_cast<long>(count), static_cast<long>(index), &first)) return;
  ReadDB("cln", buffer, sizeof(COLLINESTRUCT), first, count);
}

int CDBIO::ReadColLineIndex(COLLINEINDEXSTRUCT* buffer, int count) {
  return ReadVersionedTable(ColLineIndexTable(), buffer, count, 0);
}

int CDBIO::WriteColLineIndex(COLLINEINDEXSTRUCT* buffer, int count) {
  if (!buffer) return 0;
  StampAll(buffer, count, ColLineIndexTable().currentStamp);
  return WriteDB("cli", buffer, sizeof(COLLINEINDEXSTRUCT), 0, count, 0);
}
