// Helpers shared by the polygon tests.
#pragma once

#include <cmath>
#include <cstdlib>
#include <vector>

#include "geom/polygon_lib.h"
#include "test_support.h"

namespace polytest {

using P = _POINT2D;

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

}  // namespace polytest
