// Small helpers shared by the plane-geometry and polygon tests.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "geom/polygon_lib.h"
#include "geom/primitives.h"

namespace geomtest {

using P = _POINT2D;

inline _LINE2D Seg(double x1, double y1, double x2, double y2) { return {{x1, y1}, {x2, y2}}; }

inline void ExpectPoint(const _POINT2D& p, double x, double y, double tol = 1e-9) {
  EXPECT_NEAR(p.x, x, tol);
  EXPECT_NEAR(p.y, y, tol);
}

inline std::vector<P> Square(double x0, double y0, double side) {
  return {{x0, y0}, {x0 + side, y0}, {x0 + side, y0 + side}, {x0, y0 + side}};
}

// The summed unsigned area of the pieces an intersection call returned.
inline double ResultArea(const P* pts, const IntPolygonsInfo& info) {
  double sum = 0;
  for (int k = 0; pts && k < info.nPolygons; ++k)
    sum += std::fabs(MeasureArea(pts + info.iStart[k], info.nPoints[k]));
  return sum;
}

// What one intersection call gave back; the point array is copied and freed.
struct Outcome {
  bool found = false;
  IntPolygonsInfo info{};
  int total = -1, relation = -1, failed = -1;
  double area = 0;
  std::vector<P> pts;
};

// Runs `call(info, total, relation, failed)`, which returns a malloc'ed point array or null.
template <class Call>
Outcome Take(Call call) {
  Outcome o;
  P* r = call(&o.info, &o.total, &o.relation, &o.failed);
  o.found = r != nullptr;
  o.area = ResultArea(r, o.info);
  if (r) o.pts.assign(r, r + o.total);
  std::free(r);
  return o;
}

}  // namespace geomtest
