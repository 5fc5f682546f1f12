// Feeds arbitrary polygons to the three intersection engines and the label and intercept helpers.
// Coordinates are small integers (one signed byte each, halved), so vertices often coincide and
// edges overlap: the degenerate cases the engines must survive. Each result must be consistent
// with its layout record.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "geom/polygon_booleans.h"
#include "geom/polygon_lib.h"

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3 || size > 2 * 2 * 600 + 1) return 0;
  std::size_t split = 1 + 2 * (data[0] % ((size - 1) / 2 + 1));
  std::vector<_POINT2D> a, b;
  for (std::size_t i = 1; i + 1 < size; i += 2) {
    _POINT2D p{static_cast<std::int8_t>(data[i]) / 2.0,
               static_cast<std::int8_t>(data[i + 1]) / 2.0};
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
  _LINE2D line{b.front(), b.back()};
  int count = 0;
  std::free(GetLineInterceptsWithPolygon(&line, a.data(), nA, &count));
  GetLabelPointInPolygon(a, {b});
  return 0;
}
