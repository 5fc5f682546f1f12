#include "geometry.h"

#include <pybind11/numpy.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "errors.h"
#include "geom/polygon_lib.h"
#include "geom/polygon_tests.h"

namespace py = pybind11;

namespace qelpy {
namespace {

using Points = py::array_t<double, py::array::c_style | py::array::forcecast>;

// `a` as n points: an (n, 2) array of numbers with at least `least` rows.
const _POINT2D* AsPoints(const Points& a, const char* what, py::ssize_t least) {
  if (a.ndim() != 2 || a.shape(1) != 2)
    RaiseValue(std::string(what) + " must be an (n, 2) array of x, y coordinates");
  if (a.shape(0) < least)
    RaiseValue(std::string(what) + " needs at least " + std::to_string(least) + " points");
  if (a.shape(0) > INT_MAX) RaiseValue(std::string(what) + " has too many points");
  static_assert(sizeof(_POINT2D) == 2 * sizeof(double));
  return reinterpret_cast<const _POINT2D*>(a.data());
}

py::tuple Intersect(const Points& a, const Points& b) {
  const _POINT2D* A = AsPoints(a, "a", 3);
  const _POINT2D* B = AsPoints(b, "b", 3);
  const int nA = static_cast<int>(a.shape(0)), nB = static_cast<int>(b.shape(0));
  IntPolygonsInfo info{};
  int total = 0, relation = 0, mode = 0;
  _POINT2D* result = nullptr;
  MessageCapture messages;
  {
    py::gil_scoped_release unlocked;
    PolygonsIntersect_Warn(A, nA, B, nB, &info, &total, &relation, &result, 0);
    mode = GetPolygonWarnMode();
  }
  // The library's array is malloc'd; it is copied out and freed whatever happens next.
  std::unique_ptr<_POINT2D, decltype(&std::free)> owned(result, &std::free);
  if (mode == qel::geom::kWarnClose)
    RaiseValue(messages.Text().empty() ? "polygon intersection failed" : messages.Text());
  py::list polygons;
  const int count = std::min(std::max(info.nPolygons, 0), qel::geom::kMaxResultPolygons);
  for (int i = 0; i < count && result; ++i) {
    const int first = info.iStart[i], k = info.nPoints[i];
    if (first < 0 || k < 0 || first + k > total) RaiseValue("polygon intersection gave bad output");
    Points poly({static_cast<py::ssize_t>(k), static_cast<py::ssize_t>(2)});
    std::memcpy(poly.mutable_data(), result + first, sizeof(_POINT2D) * k);
    polygons.append(poly);
  }
  return py::make_tuple(relation, polygons);
}

py::object InPolygon(const Points& p, const Points& poly, double tol) {
  const _POINT2D* pts = AsPoints(poly, "poly", 3);
  const int n = static_cast<int>(poly.shape(0));
  if (p.ndim() == 1) {
    if (p.shape(0) != 2) RaiseValue("p must be a point (x, y) or an (m, 2) array of points");
    const auto* P = reinterpret_cast<const _POINT2D*>(p.data());
    return py::int_(IsPointInPolygon(n, pts, P, tol, nullptr));
  }
  const _POINT2D* P = AsPoints(p, "p", 0);
  const py::ssize_t m = p.shape(0);
  py::array_t<int> out(m);
  int* codes = out.mutable_data();
  {
    py::gil_scoped_release unlocked;
    for (py::ssize_t i = 0; i < m; ++i) codes[i] = IsPointInPolygon(n, pts, P + i, tol, nullptr);
  }
  return out;
}

}  // namespace

void BindGeometry(py::module_& m) {
  m.def("polygons_intersect", &Intersect, py::arg("a"), py::arg("b"),
        R"(Intersection of two simple polygons.

a, b: (n, 2) arrays of x, y coordinates (n >= 3, the first point not repeated).
Returns (relation, polygons): relation 0 none, 1 touching, 2 overlap, 3 a inside b,
4 b inside a, 5 identical; polygons a list of (k, 2) float64 arrays, the common area's
outlines. The engine is the one the settings file chooses, with the other as fallback;
when both fail, ValueError carries the library's report.)");
  m.def("point_in_polygon", &InPolygon, py::arg("p"), py::arg("poly"), py::arg("tol") = 0.001,
        R"(Where a point lies against a polygon: 0 outside, 1 inside, 2 on the boundary within tol.

p: a point (x, y), or an (m, 2) array of points (the answer is then an int array of m codes).
poly: an (n, 2) array of the polygon's vertices (n >= 3).)");
}

}  // namespace qelpy
