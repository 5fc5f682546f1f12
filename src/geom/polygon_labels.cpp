// Line intercepts with a polygon, label points, winding normalisation and the plotting hooks.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>

#include "geom/polygon_booleans.h"
#include "geom/polygon_tests.h"
#include "geom/primitives.h"

namespace {

constexpr double kInterceptTol = 0.001;
constexpr double kSameIntercept = 1e-5;

// Orders points by x, then y, treating coordinates within 1e-5 as equal, so near-duplicates
// collapse into one entry.
struct NearLess {
  bool operator()(const _POINT2D& a, const _POINT2D& b) const {
    if (std::fabs(a.x - b.x) > kSameIntercept) return a.x < b.x;
    if (std::fabs(a.y - b.y) > kSameIntercept) return a.y < b.y;
    return false;
  }
};

std::set<_POINT2D, NearLess> Intercepts(const _LINE2D* L, const _POINT2D* pts, int n) {
  std::set<_POINT2D, NearLess> found;
  if (!L || !pts || n < 2) return found;
  // A closing point repeating the first is not an edge of its own.
  if (n > 2 && pts[n - 1].x == pts[0].x && pts[n - 1].y == pts[0].y) --n;
  for (int i = 0; i < n; ++i) {
    _LINE2D edge{pts[i], pts[(i + 1) % n]};
    _POINT2D x{}, y{};
    if (DoSgmtsCross(L, &edge, kInterceptTol, 0, &x) != 0) {
      found.insert(x);
      continue;
    }
    int lap = DoSgmtsLap(L, &edge, kInterceptTol, &x, &y);
    if (lap == 7 || lap == 8) {
      found.insert(x);
      found.insert(y);
    }
  }
  return found;
}

}  // namespace

_POINT2D* GetLineInterceptsWithPolygon(const _LINE2D* L, const _POINT2D* pts, int n, int* count) {
  if (count) *count = 0;
  std::set<_POINT2D, NearLess> found = Intercepts(L, pts, n);
  if (found.empty()) return nullptr;
  auto* out = static_cast<_POINT2D*>(std::malloc(found.size() * sizeof(_POINT2D)));
  if (!out) return nullptr;
  std::copy(found.begin(), found.end(), out);
  if (count) *count = static_cast<int>(found.size());
  return out;
}

_POINT2D GetLabelPointInPolygon(const std::vector<_POINT2D>& outer, const PolygonList& holes) {
  _POINT2D none{0.0, 0.0};
  if (outer.size() < 3) return none;
  const int n = static_cast<int>(outer.size());
  double cy = GetPolygonCentroidY(n, outer.data());
  double xmin, xmax, ymin, ymax;
  GetBoundingXYRange(outer.data(), n, &xmin, &xmax, &ymin, &ymax);
  if (!std::isfinite(cy) || !std::isfinite(xmin) || !std::isfinite(xmax)) return none;

  bool have = false;
  double bar = 0.0;
  _POINT2D best = none;
  for (double y : {cy, (ymin + cy) / 2, (ymax + cy) / 2}) {
    _LINE2D scan{{xmin - 10.0, y}, {xmax + 10.0, y}};
    std::vector<_POINT2D> xs;
    for (const auto& p : Intercepts(&scan, outer.data(), n)) xs.push_back(p);
    for (const auto& h : holes)
      for (const auto& p : Intercepts(&scan, h.data(), static_cast<int>(h.size()))) xs.push_back(p);
    if (xs.size() < 2) continue;
    std::sort(xs.begin(), xs.end(), [](const _POINT2D& a, const _POINT2D& b) { return a.x < b.x; });
    for (size_t i = 0; i + 1 < xs.size(); ++i) {
      _POINT2D mid{(xs[i].x + xs[i + 1].x) / 2, (xs[i].y + xs[i + 1].y) / 2};
      int edge = 0;
      if (IsPointInPolygon(n, outer.data(), &mid, 0.001, &edge) == 0) continue;
      bool inHole = false;
      for (const auto& h : holes)
        if (!h.empty() &&
            IsPointInPolygon(static_cast<int>(h.size()), h.data(), &mid, 0.001, &edge) == 1)
          inHole = true;
      if (inHole) continue;
      double len = std::hypot(xs[i + 1].x - xs[i].x, xs[i + 1].y - xs[i].y);
      if (!have) {
        have = true;
        best = mid;
        bar = len;
      } else if (len > 2.0 * bar) {
        best = mid;
        bar = len;
      }
    }
  }
  return have ? best : none;
}

void FixPolyWindings(PolygonList& polygons) {
  for (auto& p : polygons)
    if (MeasureArea(p.data(), static_cast<int>(p.size())) < -0.001)
      std::reverse(p.begin(), p.end());
}

extern "C" {
void PlotClear() {}
void PlotPolygon(const _POINT2D* /*pts*/, int /*n*/) {}
void Plot2Polygons(const _POINT2D* /*A*/, int /*nA*/, const _POINT2D* /*B*/, int /*nB*/) {}
void PlotSetColor(int /*r*/, int /*g*/, int /*b*/) {}
}
