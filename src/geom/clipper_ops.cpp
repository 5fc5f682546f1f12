// Polygon Booleans on the clipping library (integer coordinates, scaled by kClipperScale).
#include <clipper.hpp>
#include <cmath>
#include <cstdlib>

#include "geom/polygon_booleans.h"
#include "geom/primitives.h"

namespace {

using qel::geom::kClipperMaxCoord;
using qel::geom::kClipperScale;

constexpr double kTouchTol = 0.001;

enum class ClipOutcome { kFailed, kEmpty, kNonEmpty };

bool ToPath(const _POINT2D* p, size_t n, ClipperLib::Path& out) {
  out.clear();
  out.reserve(n);
  for (size_t i = 0; i < n; ++i) {
    if (!std::isfinite(p[i].x) || !std::isfinite(p[i].y) || std::fabs(p[i].x) > kClipperMaxCoord ||
        std::fabs(p[i].y) > kClipperMaxCoord)
      return false;
    out.emplace_back(static_cast<ClipperLib::cInt>(std::llround(p[i].x * kClipperScale)),
                     static_cast<ClipperLib::cInt>(std::llround(p[i].y * kClipperScale)));
  }
  return true;
}

std::vector<_POINT2D> FromPath(const ClipperLib::Path& path) {
  std::vector<_POINT2D> out;
  out.reserve(path.size());
  for (const auto& ip : path)
    out.push_back(_POINT2D{static_cast<double>(ip.X) / kClipperScale,
                           static_cast<double>(ip.Y) / kClipperScale});
  return out;
}

// Runs one operation. The library reports bad input by throwing; that is a failure here.
ClipOutcome Run(ClipperLib::ClipType op, const std::vector<ClipperLib::Path>& subject,
                const std::vector<ClipperLib::Path>& clip, ClipperLib::PolyFillType fill,
                ClipperLib::Paths& solution) {
  solution.clear();
  try {
    ClipperLib::Clipper c;
    for (const auto& p : subject) c.AddPath(p, ClipperLib::ptSubject, true);
    for (const auto& p : clip) c.AddPath(p, ClipperLib::ptClip, true);
    if (!c.Execute(op, solution, fill, fill)) return ClipOutcome::kFailed;
  } catch (...) {
    solution.clear();
    return ClipOutcome::kFailed;
  }
  for (const auto& p : solution)
    if (!p.empty()) return ClipOutcome::kNonEmpty;
  return ClipOutcome::kEmpty;
}

bool ListOp(ClipperLib::ClipType op, const PolygonList& subject, const PolygonList& clip,
            PolygonList& result) {
  result.clear();
  std::vector<ClipperLib::Path> s, c;
  for (const auto& poly : subject) {
    s.emplace_back();
    if (!ToPath(poly.data(), poly.size(), s.back())) return false;
  }
  for (const auto& poly : clip) {
    c.emplace_back();
    if (!ToPath(poly.data(), poly.size(), c.back())) return false;
  }
  ClipperLib::Paths solution;
  if (Run(op, s, c, ClipperLib::pftNonZero, solution) != ClipOutcome::kNonEmpty) return false;
  for (const auto& p : solution)
    if (!p.empty()) result.push_back(FromPath(p));
  return true;
}

bool SamePoint(const _POINT2D& a, const _POINT2D& b) {
  return std::fabs(a.x - b.x) <= kTouchTol && std::fabs(a.y - b.y) <= kTouchTol;
}

// The same polygon within 0.001: equal counts and, from some starting offset, equal points in the
// same direction.
bool SamePolygon(const std::vector<_POINT2D>& r, const _POINT2D* p, int n) {
  if (static_cast<int>(r.size()) != n || n == 0) return false;
  for (int off = 0; off < n; ++off) {
    int k = 0;
    while (k < n && SamePoint(r[k], p[(k + off) % n])) ++k;
    if (k == n) return true;
  }
  return false;
}

// Whether a vertex of P lies within 0.001 of a vertex or an edge of Q.
bool TouchesBoundary(const _POINT2D* P, int nP, const _POINT2D* Q, int nQ) {
  for (int i = 0; i < nP; ++i) {
    for (int j = 0; j < nQ; ++j) {
      if (SamePoint(P[i], Q[j])) return true;
      _LINE2D edge{Q[j], Q[(j + 1) % nQ]};
      if (DistancePointToLine(&P[i], &edge) <= kTouchTol && IsPointInSgmt(&P[i], &edge, kTouchTol))
        return true;
    }
  }
  return false;
}

}  // namespace

bool ClipperOpIntersect(const PolygonList& subject, const PolygonList& clip, PolygonList& result) {
  return ListOp(ClipperLib::ctIntersection, subject, clip, result);
}

bool ClipperOpUnion(const PolygonList& subject, const PolygonList& clip, PolygonList& result) {
  return ListOp(ClipperLib::ctUnion, subject, clip, result);
}

bool ClipperOpDifference(const PolygonList& subject, const PolygonList& clip, PolygonList& result) {
  return ListOp(ClipperLib::ctDifference, subject, clip, result);
}

_POINT2D* PolygonsIntersectClipper_Error(const _POINT2D* A, int nA, const _POINT2D* B, int nB,
                                         IntPolygonsInfo* info, int* total, int* relation,
                                         int* failed) {
  IntPolygonsInfo scratch;
  if (!info) info = &scratch;
  *info = IntPolygonsInfo{};
  *total = 0;
  *relation = 0;
  *failed = 0;
  if (!A || !B || nA < 1 || nB < 1) return nullptr;
  std::vector<ClipperLib::Path> s(1), c(1);
  ClipperLib::Paths solution;
  ClipOutcome outcome = ClipOutcome::kFailed;
  if (ToPath(A, static_cast<size_t>(nA), s[0]) && ToPath(B, static_cast<size_t>(nB), c[0]))
    outcome = Run(ClipperLib::ctIntersection, s, c, ClipperLib::pftEvenOdd, solution);
  if (outcome == ClipOutcome::kNonEmpty) {
    std::vector<std::vector<_POINT2D>> polys;
    for (const auto& p : solution) {
      if (p.empty()) continue;
      polys.push_back(FromPath(p));
      if (polys.size() == static_cast<size_t>(qel::geom::kMaxResultPolygons)) break;
    }
    *relation = qel::geom::ClassifyIntersection(A, nA, B, nB, polys);
    return qel::geom::PackPolygons(polys, qel::geom::kMaxResultPolygons, info, total);
  }
  if (outcome == ClipOutcome::kFailed) *failed = 1;
  if (std::isfinite(MeasureArea(A, nA)) && std::isfinite(MeasureArea(B, nB)))
    *relation = qel::geom::ClassifyIntersection(A, nA, B, nB, {});
  return nullptr;
}

_POINT2D* PolygonsIntersectClipper(const _POINT2D* A, int nA, const _POINT2D* B, int nB,
                                   IntPolygonsInfo* info, int* total, int* relation) {
  int failed = 0;
  return PolygonsIntersectClipper_Error(A, nA, B, nB, info, total, relation, &failed);
}

namespace qel::geom {

int ClassifyIntersection(const _POINT2D* A, int nA, const _POINT2D* B, int nB,
                         const std::vector<std::vector<_POINT2D>>& result) {
  if (result.empty()) {
    // Boxes further apart than the tolerance cannot touch; this spares the all-pairs test.
    double ax0, ax1, ay0, ay1, bx0, bx1, by0, by1;
    GetBoundingXYRange(A, nA, &ax0, &ax1, &ay0, &ay1);
    GetBoundingXYRange(B, nB, &bx0, &bx1, &by0, &by1);
    if (ax0 > bx1 + kTouchTol || bx0 > ax1 + kTouchTol || ay0 > by1 + kTouchTol ||
        by0 > ay1 + kTouchTol)
      return 0;
    return TouchesBoundary(A, nA, B, nB) || TouchesBoundary(B, nB, A, nA) ? 1 : 0;
  }
  if (result.size() > 1) return 2;
  bool isA = SamePolygon(result.front(), A, nA);
  bool isB = SamePolygon(result.front(), B, nB);
  if (isA && isB) return 5;
  if (isA) return 3;
  if (isB) return 4;
  return 2;
}

_POINT2D* PackPolygons(const std::vector<std::vector<_POINT2D>>& polys, size_t maxPolygons,
                       IntPolygonsInfo* info, int* total) {
  *info = IntPolygonsInfo{};
  *total = 0;
  if (polys.empty() || polys.size() > maxPolygons || maxPolygons > 10) return nullptr;
  size_t sum = 0;
  for (const auto& p : polys) sum += p.size();
  if (sum == 0 || sum > static_cast<size_t>(INT32_MAX)) return nullptr;
  auto* out = static_cast<_POINT2D*>(std::malloc(sum * sizeof(_POINT2D)));
  if (!out) return nullptr;
  size_t at = 0;
  for (const auto& p : polys) {
    info->nPoints[info->nPolygons] = static_cast<int32_t>(p.size());
    info->iStart[info->nPolygons] = static_cast<int32_t>(at);
    info->nPolygons++;
    for (const auto& q : p) out[at++] = q;
  }
  *total = static_cast<int>(sum);
  return out;
}

}  // namespace qel::geom
