// Polygon tests: centroids, point in polygon (both rules), segments inside polygons, and the
// agreement of the two point-in-polygon rules over random star-shaped polygons. Garbage
// coordinates (NaN, infinities, huge values): fuzz/polygons.cpp.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>

#include "geom/polygon_tests.h"
#include "geom/primitives.h"
#include "geom_test_util.h"

namespace {

using geomtest::ExpectPoint;

const _POINT2D kSquare[4] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
// A U: a 9 x 9 square with a 3 x 6 notch cut down from the top middle.
const _POINT2D kU[8] = {{0, 0}, {9, 0}, {9, 9}, {6, 9}, {6, 3}, {3, 3}, {3, 9}, {0, 9}};

int In(const _POINT2D* pts, int n, double x, double y, int* edge = nullptr) {
  const _POINT2D p{x, y};
  int e = -1;
  const int r = IsPointInPolygon(n, pts, &p, 0.001, &e);
  if (edge != nullptr) *edge = e;
  return r;
}

int In2(const _POINT2D* pts, int n, double x, double y) {
  const _POINT2D p{x, y};
  return IsPointInPolygon2(n, pts, &p);
}

}  // namespace

TEST(Polygon, Centroids) {
  const _POINT2D rect[4] = {{0, 0}, {4, 0}, {4, 2}, {0, 2}};
  _POINT2D c;
  ExpectPoint(*GetPolygonCentroid(&c, 4, rect), 2, 1);
  const _POINT2D closed[5] = {{0, 0}, {4, 0}, {4, 2}, {0, 2}, {0, 0}};
  ExpectPoint(*GetPolygonCentroid(&c, 5, closed), 2, 1);
  const _POINT2D clockwise[4] = {{0, 0}, {0, 2}, {4, 2}, {4, 0}};
  ExpectPoint(*GetPolygonCentroid(&c, 4, clockwise), 2, 1);
  // L shape: 4 x 1 bar (centroid (2, 0.5)) plus 1 x 2 leg (centroid (0.5, 2)).
  const _POINT2D ell[6] = {{0, 0}, {4, 0}, {4, 1}, {1, 1}, {1, 3}, {0, 3}};
  ExpectPoint(*GetPolygonCentroid(&c, 6, ell), 1.5, 1.0);
  // Zero area has no centroid; the result is not finite but nothing crashes.
  const _POINT2D flat[3] = {{0, 0}, {1, 0}, {2, 0}};
  EXPECT_FALSE(std::isfinite(GetPolygonCentroidX(3, flat)));
}

TEST(Polygon, PointInPolygonInsideOutsideAndBoundary) {
  EXPECT_EQ(In(kSquare, 4, -0.01, 5), 0);
  int edge = -1;
  EXPECT_EQ(In(kSquare, 4, 5, 0, &edge), 2);
  EXPECT_EQ(edge, 0);
  EXPECT_EQ(In(kSquare, 4, 0, 5, &edge), 2);  // the closing edge
  EXPECT_EQ(edge, 3);
  EXPECT_EQ(In(kSquare, 4, 10, 10, &edge), 2);  // a vertex: the first edge holding it
  EXPECT_EQ(edge, 1);
  EXPECT_EQ(In(kSquare, 4, 5, -0.0005, &edge), 2);  // within tol outside
  EXPECT_EQ(In(kSquare, 4, 5, -0.01, &edge), 0);

  EXPECT_EQ(In(kU, 8, 4.5, 3, &edge), 2);
  EXPECT_EQ(edge, 4);

  // A repeated vertex makes a zero-length edge; it must not swallow points far away.
  const _POINT2D dup[5] = {{0, 0}, {10, 0}, {10, 0}, {10, 10}, {0, 10}};
  EXPECT_EQ(In(dup, 5, 10, 50), 0);
  EXPECT_EQ(In(dup, 5, 5, 5), 1);

  EXPECT_EQ(In(kSquare, 0, 5, 5), 0);
  EXPECT_EQ(In(nullptr, 4, 5, 5), 0);
  const _POINT2D one[1] = {{1, 1}};
  EXPECT_EQ(In(one, 1, 5, 5), 0);
}

TEST(Polygon, RayThroughAVertexCountsOnce) {
  // With 100,000 vertices around the point every angular gap is 0.0036 degrees, so the test ray
  // passes within 0.0032 of the vertices that bound its gap: the crossing lies within the 0.005
  // vertex radius and has to be counted once through the vertex rule, not twice or never.
  const int n = 100000;
  std::vector<_POINT2D> ring(n);
  for (int i = 0; i < n; ++i) {
    const double a = 2 * M_PI * i / n;
    ring[i] = {100 * std::cos(a), 100 * std::sin(a)};
  }
  EXPECT_EQ(In(ring.data(), n, 0, 0), 1);
  EXPECT_EQ(In(ring.data(), n, 0.5, 0.25), 1);
  EXPECT_EQ(In(ring.data(), n, -3, 7), 1);
  EXPECT_EQ(In(ring.data(), n, 150, 0), 0);
  int edge = -1;
  EXPECT_EQ(In(ring.data(), n, 100, 0, &edge), 2);
  EXPECT_EQ(edge, 0);
}

TEST(Polygon, EvenOddRuleIsHalfOpen) {
  EXPECT_EQ(In2(kSquare, 4, 0, 5), 1);   // left edge belongs
  EXPECT_EQ(In2(kSquare, 4, 10, 5), 0);  // right edge does not
  EXPECT_EQ(In2(kSquare, 4, 5, 0), 1);   // bottom edge belongs
  EXPECT_EQ(In2(kSquare, 4, 5, 10), 0);  // top edge does not
  EXPECT_EQ(In2(kSquare, 0, 5, 5), 0);

  const _RECT2D r{10, 10, -4, -2};  // turned round: [6, 10] x [8, 10]
  _POINT2D p{6, 8};
  EXPECT_EQ(IsPointInRect(&r, &p), 1);
  p = {10, 10};
  EXPECT_EQ(IsPointInRect(&r, &p), 1);
  p = {5.9, 9};
  EXPECT_EQ(IsPointInRect(&r, &p), 0);
  p = {8, 7.9};
  EXPECT_EQ(IsPointInRect(&r, &p), 0);
  const _RECT2D plain{0, 0, 2, 3};
  p = {1, 3.5};
  EXPECT_EQ(IsPointInRect(&plain, &p), 0);
}

TEST(Polygon, SegmentLiesWithinPolygon) {
  int sOn = -1, eOn = -1, lap = -1, sIn = -1, eIn = -1;
  auto within = [&](const _POINT2D* poly, int n, _LINE2D l) {
    return SegmentLiesWithinPolygon(poly, n, &l, 0.001, &sOn, &eOn, &lap, &sIn, &eIn);
  };
  EXPECT_EQ(within(kSquare, 4, {{2, 2}, {8, 8}}), 1);
  EXPECT_EQ(sOn + eOn + lap, 0);
  EXPECT_EQ(sIn, 1);
  EXPECT_EQ(eIn, 1);
  EXPECT_EQ(within(kSquare, 4, {{2, 2}, {12, 2}}), 0);
  EXPECT_EQ(eIn, 0);
  EXPECT_EQ(within(kSquare, 4, {{0, 5}, {10, 5}}), 1);  // ends on edges, middle inside
  EXPECT_EQ(sOn, 1);
  EXPECT_EQ(eOn, 1);
  EXPECT_EQ(lap, 0);
  EXPECT_EQ(within(kSquare, 4, {{2, 0}, {8, 0}}), 0);  // on the boundary, not inside
  EXPECT_EQ(lap, 1);
  const _LINE2D halfChord{{0, 5}, {5, 5}};
  EXPECT_EQ(SegmentLiesWithinPolygon(kSquare, 4, &halfChord, 0.001, nullptr, nullptr, nullptr,
                                     nullptr, nullptr),
            1);
  EXPECT_EQ(within(kU, 8, {{1.5, 6}, {7.5, 6}}), 0);  // both ends inside, crosses the notch
  EXPECT_EQ(sIn, 1);
  EXPECT_EQ(eIn, 1);
  EXPECT_EQ(within(kU, 8, {{1.5, 6}, {1.5, 1.5}}), 1);
  EXPECT_EQ(within(nullptr, 4, {{1.5, 6}, {1.5, 1.5}}), 0);
}

TEST(Polygon, PiecesOfALineInsideAPolygon) {
  _LINE2D* pieces = nullptr;
  int count = -1;
  int capacity = 0;
  const _LINE2D across{{-1, 6}, {10, 6}};
  ASSERT_EQ(GetPolygLineIntersectSgmts(kU, 8, &across, 0.001, &pieces, &count, &capacity, 0), 1);
  ASSERT_EQ(count, 2);
  EXPECT_GE(capacity, 2);
  ExpectPoint(pieces[0].start, 0, 6);
  ExpectPoint(pieces[0].end, 3, 6);
  ExpectPoint(pieces[1].start, 6, 6);
  ExpectPoint(pieces[1].end, 9, 6);
  const _LINE2D back{{10, 6}, {-1, 6}};  // pieces follow the line's own direction
  ASSERT_EQ(GetPolygLineIntersectSgmts(kU, 8, &back, 0.001, &pieces, &count, &capacity, 0), 1);
  ASSERT_EQ(count, 2);
  ExpectPoint(pieces[0].start, 9, 6);
  ExpectPoint(pieces[1].end, 0, 6);
  const _LINE2D onBottom{{-1, 0}, {10, 0}};
  ASSERT_EQ(GetPolygLineIntersectSgmts(kSquare, 4, &onBottom, 0.001, &pieces, &count, &capacity, 0),
            1);
  EXPECT_EQ(count, 0);
  ASSERT_EQ(GetPolygLineIntersectSgmts(kSquare, 4, &onBottom, 0.001, &pieces, &count, &capacity, 1),
            1);
  ASSERT_EQ(count, 1);
  ExpectPoint(pieces[0].start, 0, 0);
  ExpectPoint(pieces[0].end, 10, 0);
  std::free(pieces);
  EXPECT_EQ(GetPolygLineIntersectSgmts(nullptr, 4, &across, 0.001, &pieces, &count, &capacity, 0),
            0);

  const _POINT2D rect[4] = {{0, 0}, {10, 0}, {10, 4}, {0, 4}};
  auto inRect = [&](_LINE2D l) { return GetDistOfLineInsideRectangle(rect, &l, 0.001); };
  // Enters at a corner, leaves at (4, 4).
  EXPECT_NEAR(inRect({{-5, -5}, {15, 15}}), 4 * std::sqrt(2.0), 1e-9);
  EXPECT_EQ(inRect({{20, 1}, {25, 1}}), 0);
  EXPECT_NEAR(inRect({{2, 0}, {5, 0}}), 3, 1e-9);
}

TEST(Polygon, ExtentsGrowFromAFirstPoint) {
  _POINT2D lo{99, 99};
  _POINT2D hi{-99, -99};
  int first = 1;
  const _POINT2D pts[3] = {{1, 5}, {-2, 7}, {4, -1}};
  for (const auto& p : pts) AdjustExtents(&lo, &hi, &p, &first);
  EXPECT_EQ(first, 0);
  ExpectPoint(lo, -2, -1);
  ExpectPoint(hi, 4, 7);
}

TEST(Polygon, BothRulesAgreeAwayFromEdgesOnRandomStarPolygons) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> radius(2, 50);
  std::uniform_real_distribution<double> coord(-60, 60);
  std::uniform_int_distribution<int> sides(3, 40);
  int inside = 0;
  int outside = 0;
  for (int poly = 0; poly < 150; ++poly) {
    const int n = sides(rng);
    std::vector<_POINT2D> pts(n);
    for (int i = 0; i < n; ++i) {
      // Increasing angles with random radii: simple, usually concave.
      const double a = (i + 0.5 * std::uniform_real_distribution<double>(0, 1)(rng)) * 2 * M_PI / n;
      const double r = radius(rng);
      pts[i] = {r * std::cos(a), r * std::sin(a)};
    }
    for (int k = 0; k < 60; ++k) {
      const _POINT2D p{coord(rng), coord(rng)};
      double nearest = 1e300;
      for (int i = 0; i < n; ++i) {
        const _LINE2D e{pts[i], pts[(i + 1) % n]};
        nearest = std::fmin(nearest, DistancePointToLineSgmt(&p, &e));
      }
      if (nearest < 0.05) continue;
      int edge;
      const int a = IsPointInPolygon(n, pts.data(), &p, 0.001, &edge);
      const int b = IsPointInPolygon2(n, pts.data(), &p);
      ASSERT_EQ(a, b) << "polygon " << poly << " point " << p.x << "," << p.y;
      (a ? inside : outside)++;
    }
  }
  EXPECT_GT(inside, 500);
  EXPECT_GT(outside, 500);
}
