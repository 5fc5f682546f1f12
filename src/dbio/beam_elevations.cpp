// CDBIO::InitBeamZs: every beam's support elevations, end elevations and lengths, recomputed from
// the columns, walls and beams it frames into.
//
// A beam's two link points take the elevation of whatever supports them on the story's floor
// type: the first column within 0.01 (its top offset), else the first wall whose line passes
// within 0.02 (its top offsets interpolated), else the first beam whose support line -- or link
// segment -- carries the point (its support elevations interpolated). "First" is array order;
// the candidates come from a SupportIndex, so a floor of n members costs about n lookups of a few
// candidates each instead of n * n tests.
#include <algorithm>
#include <cmath>
#include <memory>
#include <new>
#include <numbers>
#include <optional>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "dbio/dbio.h"
#include "dbio/record_catalogue.h"
#include "dbio/support_index.h"
#include "dbio/versioned_table.h"
#include "geom/primitives.h"
#include "mdf/smdf.h"

namespace {

constexpr double kColumnTol = 0.01;    // a column at the point, in x and in y
constexpr double kLineTol = 0.02;      // a wall or beam line through the point
constexpr double kSpanTol = 0.01;      // the point within the member's extent
constexpr double kEndClear = 0.01;     // a beam's own ends do not rest on its support line
constexpr double kFlat = 0.001;        // extents below this give no direction to interpolate in
constexpr double kSameLength = 0.001;  // lengths this close are the same
constexpr double kAtEnd = 0.005;       // an end this close to its support takes its elevation
constexpr int kInSpan = 3;             // IsPointInSgmt: within the extent

// The value at p of the line through (a, za) and (b, zb), along x when the x extent is at least
// the y extent, else along y; 0 when both extents are below kFlat. p may lie beyond a and b.
double Interpolate(const _POINT2D& a, double za, const _POINT2D& b, double zb, const _POINT2D& p) {
  const double dx = std::fabs(b.x - a.x), dy = std::fabs(b.y - a.y);
  if (dx < kFlat && dy < kFlat) return 0;
  if (dx >= dy) return za + (zb - za) * (p.x - a.x) / (b.x - a.x);
  return za + (zb - za) * (p.y - a.y) / (b.y - a.y);
}

double Distance3D(const _POINT2D& a, double za, const _POINT2D& b, double zb) {
  const double dx = b.x - a.x, dy = b.y - a.y, dz = zb - za;
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

bool OnLine(const _POINT2D& p, const _POINT2D& a, const _POINT2D& b) {
  const _LINE2D line{a, b};
  return DistancePointToLine(&p, &line) <= kLineTol &&
         IsPointInSgmt(&p, &line, kSpanTol) == kInSpan;
}

_POINT2D Plan(const _POINT3D& p) { return {p.x, p.y}; }

// The members a story's beams look for supports among, with their index.
struct Floor {
  const _COL3D* columns = nullptr;
  const _WALL3D* walls = nullptr;
  const _BEAM3D* beams = nullptr;
  int nColumns = 0, nWalls = 0, nBeams = 0;
  std::unique_ptr<qel::SupportIndex> index;
};

bool BeamCarries(const _BEAM3D& b, const _POINT2D& p) {
  if (OnLine(p, b.ptSupport1, b.ptSupport2) && DistanceBtwnPoints(&p, &b.ptIEnd) >= kEndClear &&
      DistanceBtwnPoints(&p, &b.ptJEnd) >= kEndClear)
    return true;
  if (b.bILink && OnLine(p, b.ptIEnd, Plan(b.ptILink))) return true;
  return b.bJLink && OnLine(p, b.ptJEnd, Plan(b.ptJLink));
}

// The elevation offset (relative to the story) of whatever supports p on the floor; 0 for none.
double SupportOffset(const Floor& f, const _POINT2D& p) {
  using K = qel::SupportIndex;
  const int c = f.index->First(K::kColumns, p, [&](int i) {
    return std::fabs(f.columns[i].ptPlan.x - p.x) <= kColumnTol &&
           std::fabs(f.columns[i].ptPlan.y - p.y) <= kColumnTol;
  });
  if (c >= 0) return f.columns[c].dTopOffset;
  const int w = f.index->First(
      K::kWalls, p, [&](int i) { return OnLine(p, f.walls[i].ptIEnd, f.walls[i].ptJEnd); });
  if (w >= 0) {
    const _WALL3D& wall = f.walls[w];
    return Interpolate(wall.ptIEnd, wall.dITopOffset, wall.ptJEnd, wall.dJTopOffset, p);
  }
  const int b = f.index->First(K::kBeams, p, [&](int i) { return BeamCarries(f.beams[i], p); });
  if (b >= 0) {
    const _BEAM3D& beam = f.beams[b];
    return Interpolate(beam.ptSupport1, beam.dSupport1Elevation, beam.ptSupport2,
                       beam.dSupport2Elevation, p);
  }
  return 0;
}

// The elevation of end 1 (I) or 2 (J) by the beam's end elevation mode, with the stored lengths.
double EndElevation(const _BEAM3D& b, int end) {
  const double z1 = b.dSupport1Elevation, z2 = b.dSupport2Elevation;
  if (b.dwEndElevationMode == 2) return z1;
  if (b.dwEndElevationMode != 0) return z2;
  if (end == 1 && b.fIEndDistance <= kAtEnd) return z1;
  if (end == 2 && static_cast<double>(b.fSupportSpan) - b.fJEndDistance <= kAtEnd) return z2;
  return Interpolate(b.ptSupport1, z1, b.ptSupport2, z2, end == 1 ? b.ptIEnd : b.ptJEnd);
}

void ComputeBeam(_BEAM3D& b, double storyElevation, const Floor& floor) {
  const double e = storyElevation;
  const double zi = e + SupportOffset(floor, Plan(b.ptILink));
  b.dIEndElevation = b.ptILink.z = zi;
  const double zj = e + SupportOffset(floor, Plan(b.ptJLink));
  b.dJEndElevation = b.ptJLink.z = zj;

  bool lengths = true;
  if (b.fIEndDistance == 0 &&
      std::fabs(static_cast<double>(b.fJEndDistance) - b.fSupportSpan) <= kSameLength) {
    b.dSupport1Elevation = zi - e;
    b.dSupport2Elevation = zj - e;
  } else if (b.ptIEnd.x == b.ptJEnd.x && b.ptIEnd.y == b.ptJEnd.y) {
    // A beam without plan length: the slope carries one support's elevation to the other.
    const double rise = std::tan(b.dSlopeAngle * std::numbers::pi / 180.0) *
                        DistanceBtwnPoints(&b.ptSupport1, &b.ptSupport2);
    if (b.ptSupport1.x != b.ptIEnd.x || b.ptSupport1.y != b.ptIEnd.y) {
      b.dSupport2Elevation = zj - e;
      b.dSupport1Elevation = rise + b.dSupport2Elevation;
    } else {
      b.dSupport1Elevation = zi - e;
      b.dSupport2Elevation = rise + b.dSupport1Elevation;
    }
    lengths = false;
  } else {
    b.dSupport1Elevation = Interpolate(b.ptIEnd, zi, b.ptJEnd, zj, b.ptSupport1) - e;
    b.dSupport2Elevation = Interpolate(b.ptIEnd, zi, b.ptJEnd, zj, b.ptSupport2) - e;
  }

  const double z1 = b.dSupport1Elevation, z2 = b.dSupport2Elevation;
  if (lengths) {
    const double endI = EndElevation(b, 1);
    b.fIEndDistance = static_cast<float>(Distance3D(b.ptSupport1, z1, b.ptIEnd, endI));
    const double endJ = EndElevation(b, 2);
    b.fJEndDistance = static_cast<float>(Distance3D(b.ptSupport1, z1, b.ptJEnd, endJ));
    b.fSupportSpan = static_cast<float>(Distance3D(b.ptSupport1, z1, b.ptSupport2, z2));
  }
  const double span = Distance3D(b.ptSupport1, z1, b.ptSupport2, z2);
  if (std::fabs(span - b.fSupportSpan) > kSameLength) b.fSupportSpan = static_cast<float>(span);
}

// One story's columns, beams and walls as read for the computation.
struct StoryMembers {
  std::unique_ptr<_COL3D[]> columns;
  std::unique_ptr<_BEAM3D[]> beams;
  std::unique_ptr<_WALL3D[]> walls;
  bool loaded = false;
  std::optional<Floor> floor;  // built when the story's members serve as a floor type's
};

template <class T>
std::unique_ptr<T[]> Records(long n) {
  return std::unique_ptr<T[]>(new (std::nothrow) T[static_cast<std::size_t>(n)]());
}
// For arrays a successful read fills whole.
template <class T>
std::unique_ptr<T[]> Uninitialised(long n) {
  return std::unique_ptr<T[]>(new (std::nothrow) T[static_cast<std::size_t>(n)]);
}

// True when two stories claim a common beam record; the beams are then all read before any is
// written, so every story sees the records as they were on disk.
bool BeamRangesOverlap(const std::vector<SSTORY>& stories) {
  std::vector<std::pair<long, long>> ranges;
  for (const SSTORY& s : stories)
    if (s.nNumBeams > 0)
      ranges.emplace_back(s.nFirstBeam, static_cast<long>(s.nFirstBeam) + s.nNumBeams);
  std::sort(ranges.begin(), ranges.end());
  for (std::size_t i = 1; i < ranges.size(); ++i)
    if (ranges[i].first < ranges[i - 1].second) return true;
  return false;
}

}  // namespace

// The computation reads the story table, then walks the stories in order. Story k's beams are
// computed with the members of the last story that shares k's floor type (the floor type's
// arrays in the suite's own reading, where each story's arrays are hung on its floor type in
// story order). Members are read when first needed and released once their last user is done,
// so a model costs the memory of a few stories rather than of the whole building; a model whose
// stories share beam records reads all of them first instead. Either way every read sees the
// files as they were, and the writes are the same, in the same order.
void CDBIO::InitBeamZs() {
  if (!m_pMDF) return;
  const int nStories = m_pMDF->NumStories, nFloors = m_pMDF->NumFlrTypes;
  if (nStories <= 0 || !TableHoldsRange("sty", 336, 0, nStories)) return;
  std::vector<SSTORY> stories(static_cast<std::size_t>(nStories));
  if (!ReadStoryData(stories.data(), nStories, 0)) return;

  // The last story of each floor type that a story names (the count of floor types comes from
  // the master data and may be anything: only the ones in use are kept).
  std::unordered_map<int, int> lastOfFloor;
  for (int k = 0; k < nStories; ++k) {
    const int f = stories[k].nFlrType;
    if (f >= 0 && f < nFloors) lastOfFloor[f] = k;
  }
  auto ownerOf = [&](int k) {
    const int f = stories[k].nFlrType;
    return f >= 0 && f < nFloors ? lastOfFloor[f] : -1;
  };

  std::vector<StoryMembers> members(static_cast<std::size_t>(nStories));
  // A story's beams are always read; its columns and walls only when it is the last story of its
  // floor type, the only stories whose columns and walls are looked at.
  auto load = [&](int k) {
    StoryMembers& m = members[k];
    if (m.loaded) return;
    m.loaded = true;
    const SSTORY& s = stories[k];
    const bool supports = ownerOf(k) == k;
    if (supports && s.nNumColumns > 0 &&
        TableHoldsRange("c3d", GetColRecordSize(qel::kStampOfFile), s.nFirstColumn,
                        s.nNumColumns) &&
        (m.columns = Records<_COL3D>(s.nNumColumns)))
      ReadCol3DData(m.columns.get(), s.nNumColumns, s.nFirstColumn);
    if (s.nNumBeams > 0 &&
        TableHoldsRange("b3d", GetBeamRecordSize(qel::kStampOfFile), s.nFirstBeam, s.nNumBeams) &&
        (m.beams = Uninitialised<_BEAM3D>(s.nNumBeams)) &&
        !ReadBeam3DData(m.beams.get(), s.nNumBeams, s.nFirstBeam))
      m.beams.reset();  // beams that could not be read are neither computed nor written
    if (supports && s.nNumWalls > 0 &&
        TableHoldsRange("w3d", GetWallRecordSize(qel::kStampOfFile), s.nFirstWall, s.nNumWalls) &&
        (m.walls = Records<_WALL3D>(s.nNumWalls)))
      ReadWall3DData(m.walls.get(), s.nNumWalls, s.nFirstWall);
  };
  // The suite reads every story's columns and walls, and the first of those reads that meets an
  // old table converts the file on disk. That read is made here for its effect: the first story
  // with any such members reads them, when the table holds as many records as it asks for.
  auto convertOld = [&](const char* ext, LONG SSTORY::*count, LONG SSTORY::*first, int size,
                        auto* type, auto read) {
    using T = std::remove_pointer_t<decltype(type)>;
    const qel::RecordFileInfo* info = qel::FindRecordFile(ext);
    unsigned long stamp = 0;
    if (!ReadFirstRecordStamp(ext, info->stampOffset, stamp) || stamp >= info->currentStamp) return;
    for (const SSTORY& s : stories) {
      if (s.*count <= 0) continue;
      if (TableHoldsRange(ext, size, 0, s.*count))
        if (auto scratch = Records<T>(s.*count)) read(scratch.get(), s.*count, s.*first);
      return;
    }
  };
  convertOld("c3d", &SSTORY::nNumColumns, &SSTORY::nFirstColumn,
             GetColRecordSize(qel::kStampOfFile), static_cast<_COL3D*>(nullptr),
             [&](_COL3D* a, int n, int first) { ReadCol3DData(a, n, first); });
  convertOld("w3d", &SSTORY::nNumWalls, &SSTORY::nFirstWall, GetWallRecordSize(qel::kStampOfFile),
             static_cast<_WALL3D*>(nullptr),
             [&](_WALL3D* a, int n, int first) { ReadWall3DData(a, n, first); });
  auto floorOf = [&](int owner) -> const Floor& {
    load(owner);
    StoryMembers& m = members[owner];
    if (!m.floor) {
      const SSTORY& s = stories[owner];
      Floor& f = m.floor.emplace();
      f.columns = m.columns.get();
      f.beams = m.beams.get();
      f.walls = m.walls.get();
      f.nColumns = f.columns ? s.nNumColumns : 0;
      f.nBeams = f.beams ? s.nNumBeams : 0;
      f.nWalls = f.walls ? s.nNumWalls : 0;
      f.index = std::make_unique<qel::SupportIndex>(f.columns, f.nColumns, f.walls, f.nWalls,
                                                    f.beams, f.nBeams);
    }
    return *m.floor;
  };

  if (BeamRangesOverlap(stories))
    for (int k = 0; k < nStories; ++k) load(k);

  const Floor none{.index =
                       std::make_unique<qel::SupportIndex>(nullptr, 0, nullptr, 0, nullptr, 0)};
  for (int k = 0; k < nStories; ++k) {
    load(k);
    const SSTORY& s = stories[k];
    _BEAM3D* beams = members[k].beams.get();
    if (beams) {
      const int owner = ownerOf(k);
      const Floor& floor = owner >= 0 ? floorOf(owner) : none;
      for (int i = 0; i < s.nNumBeams; ++i) ComputeBeam(beams[i], s.fElevation, floor);
      WriteBeam3DData(beams, s.nNumBeams, s.nFirstBeam, 0);
    }
    // No later story looks at story k's members: a story that serves its floor type is that
    // floor type's last.
    members[k] = StoryMembers{};
  }
}
