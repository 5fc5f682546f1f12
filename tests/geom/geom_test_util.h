// Small helpers shared by the plane-geometry tests.
#pragma once

#include <gtest/gtest.h>

#include "geom/primitives.h"

namespace geomtest {

inline _LINE2D Seg(double x1, double y1, double x2, double y2) { return {{x1, y1}, {x2, y2}}; }

inline void ExpectPoint(const _POINT2D& p, double x, double y, double tol = 1e-9) {
  EXPECT_NEAR(p.x, x, tol);
  EXPECT_NEAR(p.y, y, tol);
}

}  // namespace geomtest
