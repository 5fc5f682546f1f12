// Feeds arbitrary polygons to the three intersection engines, PolygonsIntersect_Warn, the label and
// intercept helpers and the polygon tests (point in polygon, segments inside a polygon).
// Coordinates are small integers (one signed byte each, halved), so vertices often coincide and
// edges overlap: the degenerate cases the engines must survive; five byte values stand for what no
// drawing holds (infinities, a NaN, values beyond the clipping library's range, a step far below
// the tolerance). Each result must be consistent with its layout record, and every answer within
// its range.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "geom/polygon_booleans.h"
#include "geom/polygon_lib.h"
#include "geom/polygon_tests.h"
#include "geom/primitives.h"

namespace {

void Check(const _POINT2D* pts, const IntPolygonsInfo& info, int total) {
  if (info.nPolygons < 0 || info.nPolygons > 10) __builtin_trap();
  int at = 0;
  for (int k = 0; k < info.nPolygons; ++k) {
    if (info.iStart[k] != at || info.nPoints[k] < 1) __builtin_trap();
    at += info.nPoints[k];
  }
  if (at != total || (pts == nullptr) != (total == 0)) __builtin_trap();
  volatile double sink = 0;
  for (int i = 0; i < total; ++i) sink = sink + pts[i].x + pts[i].y;
}

double Coordinate(std::uint8_t byte) {
  switch (byte) {
    case 0x7F:
      return INFINITY;
    case 0x7E:
      return NAN;
    case 0x7D:
      return 1e13;
    case 0x7C:
      return -1e13;
    case 0x7B:
      return 1 + 1e-9;
    default:
      return static_cast<std::int8_t>(byte) / 2.0;
  }
}

void CheckPolygonTests(const std::vector<_POINT2D>& a, const std::vector<_POINT2D>& b) {
  const int n = static_cast<int>(a.size());
  for (const _POINT2D& p : b) {
    int edge = -1;
    const int in = IsPointInPolygon(n, a.data(), &p, 0.001, &edge);
    if (in < 0 || in > 2 || (in == 2 && (edge < 0 || edge >= n))) __builtin_trap();
    const int in2 = IsPointInPolygon2(n, a.data(), &p);
    if (in2 != 0 && in2 != 1) __builtin_trap();
  }
  const _LINE2D l{b.front(), b.back()};
  _LINE2D* pieces = nullptr;
  int count = 0, capacity = 0;
  if (GetPolygLineIntersectSgmts(a.data(), n, &l, 0.001, &pieces, &count, &capacity, 1) != 1 ||
      count > n + 1)
    __builtin_trap();
  std::free(pieces);
  std::vector<_POINT2D> sorted(a.size());
  if (SortListOfPoint2Ds(a.data(), n, &b.front(), sorted.data()) != 1) __builtin_trap();
  int sOn, eOn, lap, sIn, eIn;
  const int within = SegmentLiesWithinPolygon(a.data(), n, &l, 0.001, &sOn, &eOn, &lap, &sIn, &eIn);
  if (within != 0 && within != 1) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3 || size > 2 * 2 * 600 + 1) return 0;
  std::size_t split = 1 + 2 * (data[0] % ((size - 1) / 2 + 1));
  std::vector<_POINT2D> a, b;
  for (std::size_t i = 1; i + 1 < size; i += 2) {
    _POINT2D p{Coordinate(data[i]), Coordinate(data[i + 1])};
    (i < split ? a : b).push_back(p);
  }
  if (a.empty() || b.empty()) return 0;
  const int nA = static_cast<int>(a.size()), nB = static_cast<int>(b.size());
  SetPolygonWarnMode(qel::geom::kWarnSilent);
  IntPolygonsInfo info;
  int total = 0, relation = 0, failed = 0;
  bool own = false;
  _POINT2D* r =
      qel::geom::VertexLinkIntersect(a.data(), nA, b.data(), nB, &info, &total, &relation, &own);
  Check(r, info, total);
  std::free(r);
  r = PolygonsIntersectClipper_Error(a.data(), nA, b.data(), nB, &info, &total, &relation, &failed);
  Check(r, info, total);
  std::free(r);
  r = PolygonsIntersectGLU(a.data(), nA, b.data(), nB, &info, &total, &relation);
  Check(r, info, total);
  std::free(r);
  _POINT2D* w = nullptr;
  PolygonsIntersect_Warn(a.data(), nA, b.data(), nB, &info, &total, &relation, &w,
                         qel::geom::kWarnSilent);
  Check(w, info, total);
  std::free(w);
  _LINE2D line{b.front(), b.back()};
  int count = 0;
  _POINT2D* x = GetLineInterceptsWithPolygon(&line, a.data(), nA, &count);
  if ((x == nullptr) != (count == 0)) __builtin_trap();
  std::free(x);
  GetLabelPointInPolygon(a, {b});
  CheckPolygonTests(a, b);
  return 0;
}
