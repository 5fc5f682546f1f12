// The frame of the generated building: an orthogonal grid, stories on up to three floor types,
// a column on every grid point, girders on the grid lines, infill beams across the bays (framing
// into the girders), two walls on the first bay's edges and two braces per story.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "dbio/record_catalogue.h"
#include "geom/grid_file.h"
#include "geom/grid_sys.h"
#include "model_gen.h"

namespace qelgen {
namespace {

constexpr unsigned long kStamp1451 = 0x000E0501;  // older beams lack their link elevations

std::string GridLabel(int i) {
  std::string label;
  for (int n = i + 1; n > 0; n = (n - 1) / 26) label.insert(label.begin(), 'A' + (n - 1) % 26);
  return label;
}

// Grid lines in each direction for `beams` beams per story: the largest square grid whose girders
// take at most half the beams (infill beams take the rest); a single row of bays below four.
void GridSize(int beams, int& nx, int& ny) {
  if (beams < 4) {
    nx = std::max(beams + 1, 2);
    ny = beams == 0 ? 2 : 1;
    return;
  }
  int n = 2;
  while (2L * (n + 1) * n <= std::max(beams / 2, 4)) ++n;
  nx = ny = n;
}

struct Segment {
  _POINT2D a, b;
  double za, zb;  // support elevations relative to the story
};

// The beams of one floor type's plan, girders first (array order decides which beam an infill
// beam frames into, and it must be a girder).
std::vector<Segment> PlanBeams(const Building& bld, const std::vector<double>& tops, int beams) {
  const auto& xs = bld.xs;
  const auto& ys = bld.ys;
  const int nx = static_cast<int>(xs.size()), ny = static_cast<int>(ys.size());
  auto top = [&](int i, int j) { return tops[static_cast<std::size_t>(i) * ny + j]; };
  std::vector<Segment> out;
  for (int j = 0; j < ny; ++j)
    for (int i = 0; i + 1 < nx; ++i)
      out.push_back({{xs[i], ys[j]}, {xs[i + 1], ys[j]}, top(i, j), top(i + 1, j)});
  for (int i = 0; i < nx; ++i)
    for (int j = 0; j + 1 < ny; ++j)
      out.push_back({{xs[i], ys[j]}, {xs[i], ys[j + 1]}, top(i, j), top(i, j + 1)});
  const int bays = (nx - 1) * (ny - 1);
  const int infill = beams - static_cast<int>(out.size());
  for (int bay = 0; bay < bays && infill > 0; ++bay) {
    const int i = bay % (nx - 1), j = bay / (nx - 1);
    const int here = infill / bays + (bay < infill % bays ? 1 : 0);
    for (int t = 0; t < here; ++t) {
      const double f = (t + 1.0) / (here + 1.0);
      const double x = xs[i] + f * (xs[i + 1] - xs[i]);
      // Each end rests on a girder along x: its elevation is the girder's, interpolated.
      const double z0 = top(i, j) + f * (top(i + 1, j) - top(i, j));
      const double z1 = top(i, j + 1) + f * (top(i + 1, j + 1) - top(i, j + 1));
      out.push_back({{x, ys[j]}, {x, ys[j + 1]}, z0, z1});
    }
  }
  return out;
}

double Distance3D(const Segment& s) {
  const double dx = s.b.x - s.a.x, dy = s.b.y - s.a.y, dz = s.zb - s.za;
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

_BEAM3D MakeBeam(const Segment& s, double e, bool withElevations) {
  _BEAM3D b{};
  b.ptIEnd = b.ptSupport1 = s.a;
  b.ptJEnd = b.ptSupport2 = s.b;
  const double za = withElevations ? s.za : 0, zb = withElevations ? s.zb : 0;
  b.dSupport1Elevation = za;
  b.dSupport2Elevation = zb;
  b.fIEndDistance = 0;
  b.fJEndDistance = b.fSupportSpan = static_cast<float>(Distance3D(s));
  b.ptILink = {s.a.x, s.a.y, withElevations ? e + za : 0};
  b.ptJLink = {s.b.x, s.b.y, withElevations ? e + zb : 0};
  b.dIEndElevation = b.ptILink.z;
  b.dJEndElevation = b.ptJLink.z;
  return b;
}

}  // namespace

bool PlanGrid(Context& ctx, std::string& error) {
  int nx = 2, ny = 2;
  GridSize(std::max(ctx.options.beamsPerStory, 0), nx, ny);
  Building& bld = ctx.building;
  bld.xs.assign(1, 0.0);
  bld.ys.assign(1, 0.0);
  for (int i = 1; i < nx; ++i) bld.xs.push_back(bld.xs.back() + std::round(ctx.Uniform(240, 360)));
  for (int j = 1; j < ny; ++j) bld.ys.push_back(bld.ys.back() + std::round(ctx.Uniform(240, 360)));

  CArray<CGridSys, CGridSys&> systems;
  CGridSys frame(1, "Frame", GRID_SYS_ORTHOGONAL, 0, 0, 0, 0);
  for (int i = 0; i < nx; ++i) {
    CGrid g(i + 1, GridLabel(i).c_str(), bld.xs[i], 0, 0, 0, 0, 1, 1, 0);
    frame.m_aXGrids.Add(g);
  }
  for (int j = 0; j < ny; ++j) {
    CGrid g(j + 1, std::to_string(j + 1).c_str(), bld.ys[j], 0, 0, 0, 0, 1, 1, 0);
    frame.m_aYGrids.Add(g);
  }
  // Columns stand where the system puts its grid points.
  for (int i = 0; i < nx; ++i)
    for (int j = 0; j < ny; ++j) {
      _POINT2D p;
      if (!frame.GetGridPoint(i, j, &p) || p.x != bld.xs[i] || p.y != bld.ys[j]) {
        error = "grid point " + GridLabel(i) + std::to_string(j + 1) + " is not where planned";
        return false;
      }
    }
  systems.Add(frame);
  CString message;
  const std::string path = std::string(ctx.db.GetDBName()) + ".grs";
  if (!qel::WriteGridSysFile(path.c_str(), systems, &message)) {
    error = message.str();
    return false;
  }
  ctx.Wrote("grs");
  return true;
}

bool WriteFrame(Context& ctx, std::string& error) {
  Building& bld = ctx.building;
  GeneratorDB& db = ctx.db;
  const int nStories = std::max(ctx.options.stories, 1);
  const int nx = static_cast<int>(bld.xs.size()), ny = static_cast<int>(bld.ys.size());
  const int beamsPerStory = std::max(ctx.options.beamsPerStory, 0);
  const unsigned long beamStamp = ctx.options.beamStamp;
  const int beamSize = db.GetBeamRecordSize(beamStamp);
  const bool withElevations = beamStamp >= kStamp1451;

  // Floor types: the ground floor, the typical floor and the roof (as many as there are stories).
  bld.floorTypes = std::min(nStories, 3);
  auto floorOf = [&](int k) {
    if (k == 0) return 0;
    if (k == nStories - 1 && bld.floorTypes == 3) return 2;
    return 1;
  };
  // Column tops: a few columns of each floor type stop short of the floor.
  std::vector<std::vector<double>> tops(bld.floorTypes);
  std::vector<std::vector<Segment>> plans(bld.floorTypes);
  for (int f = 0; f < bld.floorTypes; ++f) {
    for (int p = 0; p < nx * ny; ++p)
      tops[f].push_back(ctx.Uniform(0, 1) < 0.2 ? -0.25 * std::round(ctx.Uniform(2, 12)) : 0.0);
    plans[f] = PlanBeams(bld, tops[f], beamsPerStory);
  }

  for (const char* ext : {"c3d", "b3d", "w3d", "r3d"}) {
    char none = 0;
    if (!db.WriteDB(ext, &none, 1, 0, 0, 1)) {
      error = "cannot write " + std::string(db.GetDBName()) + "." + ext;
      return false;
    }
    ctx.Wrote(ext);
  }

  bld.stories.clear();
  double elevation = 0;
  std::vector<SSTORY> stories(static_cast<std::size_t>(nStories));
  std::vector<SFLRTYPE> floors(static_cast<std::size_t>(bld.floorTypes));
  Building::Story next{};
  for (int k = 0; k < nStories; ++k) {
    const int f = floorOf(k);
    elevation += std::round(ctx.Uniform(144, 168));
    const auto& plan = plans[f];
    const auto& top = tops[f];
    Building::Story s = next;
    s.elevation = static_cast<float>(elevation);
    s.floorType = f;
    s.columns = nx * ny;
    s.beams = static_cast<int>(plan.size());
    const double e = s.elevation;

    std::vector<_COL3D> columns(static_cast<std::size_t>(s.columns));
    for (int i = 0; i < nx; ++i)
      for (int j = 0; j < ny; ++j) {
        _COL3D& c = columns[static_cast<std::size_t>(i) * ny + j];
        c = _COL3D{};
        c.ptPlan = {bld.xs[i], bld.ys[j]};
        c.dTopOffset = top[static_cast<std::size_t>(i) * ny + j];
        c.dLinkSourceX = c.ptPlan.x;
        c.dLinkSourceY = c.ptPlan.y;
        c.dLinkSourceZ = e + c.dTopOffset;
        CDBIO::InitColLinkInfo(c);
      }

    // Older stamps are written in their own, shorter layout: each record's leading bytes.
    std::vector<unsigned char> beamBytes(static_cast<std::size_t>(s.beams) * beamSize);
    for (int b = 0; b < s.beams; ++b) {
      _BEAM3D beam = MakeBeam(plan[b], e, withElevations);
      beam.dwVersion = static_cast<DWORD>(beamStamp);
      std::memcpy(beamBytes.data() + static_cast<std::size_t>(b) * beamSize, &beam, beamSize);
    }

    // Walls along the first bay's edges, carrying the floor at the columns' tops.
    std::vector<_WALL3D> walls;
    auto wall = [&](int i0, int j0, int i1, int j1) {
      _WALL3D w{};
      w.ptIEnd = {bld.xs[i0], bld.ys[j0]};
      w.ptJEnd = {bld.xs[i1], bld.ys[j1]};
      w.dITopOffset = top[static_cast<std::size_t>(i0) * ny + j0];
      w.dJTopOffset = top[static_cast<std::size_t>(i1) * ny + j1];
      w.dwVersion = static_cast<DWORD>(qel::FindRecordFile("w3d")->currentStamp);
      w.nWallType = ctx.mdf.lWallType;
      w.bLightweightConcrete = ctx.mdf.bDefaultWallLWC;
      w.bUseElasticModulus = ctx.mdf.bDefaultWallUseElasticModulus;
      w.fElasticModulus = static_cast<float>(ctx.mdf.dDefaultWallElasticModulus);
      w.dFct = ctx.mdf.dDefaultWallFct;
      w.bIOnFoundation = w.bJOnFoundation = k == 0;
      walls.push_back(w);
    };
    wall(0, 0, 1, 0);
    if (ny > 1) wall(0, 0, 0, 1);
    s.walls = static_cast<int>(walls.size());
    std::vector<_BRACE3D> braces(2, _BRACE3D{});
    s.braces = static_cast<int>(braces.size());

    const bool ok = db.WriteCol3DData(columns.data(), s.columns, s.firstColumn, 0) &&
                    db.WriteDB("b3d", beamBytes.data(), beamSize, s.firstBeam, s.beams, 0) &&
                    db.WriteWall3DData(walls.data(), s.walls, s.firstWall, 0) &&
                    db.WriteDB("r3d", braces.data(), sizeof(_BRACE3D), s.firstBrace, s.braces, 0);
    if (!ok) {
      error = "cannot write the members of story " + std::to_string(k + 1);
      return false;
    }

    SSTORY& rec = stories[k];
    rec = SSTORY{};
    rec.nFlrType = f;
    rec.fElevation = s.elevation;
    rec.nNumBeams = s.beams;
    rec.nNumColumns = s.columns;
    rec.nNumWalls = s.walls;
    rec.nNumBraces = s.braces;
    rec.nFirstBeam = s.firstBeam;
    rec.nFirstColumn = s.firstColumn;
    rec.nFirstWall = s.firstWall;
    rec.nFirstBrace = s.firstBrace;
    if (floors[f].nNumColumns == 0) {  // a floor type's ranges are those of its first story
      SFLRTYPE& ft = floors[f];
      ft.nNumBeams = s.beams;
      ft.nNumColumns = s.columns;
      ft.nNumWalls = s.walls;
      ft.nFirstBeam = s.firstBeam;
      ft.nFirstColumn = s.firstColumn;
      ft.nFirstWall = s.firstWall;
    }
    bld.stories.push_back(s);
    next.firstBeam = s.firstBeam + s.beams;
    next.firstColumn = s.firstColumn + s.columns;
    next.firstWall = s.firstWall + s.walls;
    next.firstBrace = s.firstBrace + s.braces;
    if (ctx.options.progress) ctx.options.progress(k + 1, nStories);
  }

  if (!db.WriteStoryData(stories.data(), nStories, 0, 1) ||
      !db.WriteFloorData(floors.data(), bld.floorTypes, 0, 1)) {
    error = "cannot write the story and floor-type tables";
    return false;
  }
  ctx.Wrote("sty");
  ctx.Wrote("flt");
  ctx.mdf.NumStories = nStories;
  ctx.mdf.NumFlrTypes = bld.floorTypes;
  return true;
}

}  // namespace qelgen
