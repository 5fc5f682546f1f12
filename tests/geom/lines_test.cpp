// Directions, line equations, distances, the span test and point-line relations.
#include <gtest/gtest.h>

#include <cmath>

#include "geom/primitives.h"
#include "geom_test_util.h"

using geomtest::ExpectPoint;
using geomtest::Seg;

TEST(Lines, DirectionsLengthsAndAngleDifference) {
  const struct {
    _LINE2D l;
    double angle;
  } dirs[] = {{Seg(0, 0, 0, -1), 270},
              {Seg(0, 0, -1, 0), 180},
              {Seg(1, 1, 0, 0), 225},
              {Seg(0, 0, 5, 0), 0}};
  for (const auto& d : dirs) EXPECT_DOUBLE_EQ(GetAngle(&d.l), d.angle) << d.angle;
  _LINE2D east = Seg(0, 0, 5, 0), north = Seg(2, 2, 2, 9);
  EXPECT_DOUBLE_EQ(AngleDifference(&east, &east), 360);  // same direction gives 360, not 0
  EXPECT_DOUBLE_EQ(AngleDifference(&east, &north), 90);
  EXPECT_DOUBLE_EQ(AngleDifference(&north, &east), 270);

  _LINE2D l345 = Seg(1, 1, 4, 5), dot = Seg(1, 1, 1, 1);
  EXPECT_DOUBLE_EQ(Line2DLength(&l345), 5);
  EXPECT_EQ(Line2DLength(&dot), 0);
  _POINT3D a{1, 1, 1}, b{3, 4, 7};
  EXPECT_DOUBLE_EQ(DistanceBtwnPoints3D(&a, &b), 7);
  _POINT2D p{0, 0}, q{0.001, -0.001};
  EXPECT_EQ(IsSamePoint(&p, &q, 0.001), 1);
  q.y = -0.002;
  EXPECT_EQ(IsSamePoint(&p, &q, 0.001), 0);
}

TEST(Lines, LineEquationNormalPointsToPlusXOrPlusY) {
  // A reversed direction gives the same equation; shorter than 0.001 in both components is
  // degenerate (all zero, slope 1e7).
  const struct {
    _LINE2D l;
    double a, b, c, slope;
  } rows[] = {{Seg(0, 0, 0, 10), 1, 0, 0, 1e7},
              {Seg(3, 10, 3, 0), 1, 0, -3, 1e7},
              {Seg(10, 5, 0, 5), 0, 1, -5, 0},
              {Seg(0, 0, 3, 4), 0.8, -0.6, 0, 4.0 / 3.0},
              {Seg(1, 1, 1.0005, 1.0009), 0, 0, 0, 1e7}};
  double eq[3], slope = 0;
  for (const auto& r : rows) {
    SCOPED_TRACE(::testing::Message() << r.l.start.x << "," << r.l.start.y);
    EXPECT_EQ(LineEqPoints(eq, &r.l, &slope), eq);
    EXPECT_NEAR(eq[0], r.a, 1e-15);
    EXPECT_NEAR(eq[1], r.b, 1e-15);
    EXPECT_NEAR(eq[2], r.c, 1e-15);
    EXPECT_DOUBLE_EQ(slope, r.slope);
  }
  const _LINE2D tiny = Seg(1, 1, 1.0005, 1.0009);
  EXPECT_EQ(LineEqPoints(eq, &tiny, nullptr), eq);

  _POINT2D p{2, 0};
  LineEqAnglePoint(eq, 90, &p, &slope);
  EXPECT_NEAR(eq[0], 1, 1e-12);
  EXPECT_NEAR(eq[1], 0, 1e-12);
  EXPECT_NEAR(eq[2], -2, 1e-12);
  LineEqAnglePoint(eq, 180, &p, &slope);  // horizontal through y = 0, normal to +y
  EXPECT_NEAR(eq[1], 1, 1e-12);
  EXPECT_NEAR(eq[2], 0, 1e-12);
}

TEST(Lines, SpanTestIgnoresTheZeroExtent) {
  // Any x passes for a vertical segment; off the line still passes (a span test); with both
  // extents within 0.01 the direction decides which coordinate is tested.
  const struct {
    _LINE2D l;
    _POINT2D p;
    double tol;
    int want;
  } rows[] = {{Seg(0, 0, 0, 10), {5, 3}, 0.001, 3},
              {Seg(0, 0, 0, 10), {5, 10.4}, 0.5, 3},
              {Seg(0, 0, 0, 10), {5, 11}, 0.5, 0},
              {Seg(0, 0, 10, 10), {5, 20}, 0.5, 0},
              {Seg(0, 0, 10, 10), {10.4, -0.4}, 0.5, 3},
              {Seg(0, 0, 0.005, 0), {0.003, 50}, 0.001, 3},
              {Seg(0, 0, 0.005, 0), {1, 0}, 0.001, 0},
              {Seg(0, 0, 0, 0.005), {50, 0.002}, 0.001, 3},
              {Seg(0, 0, 0.005, 0.005), {0.002, 50}, 0.001, 0},
              {Seg(0, 0, 0.005, 0.005), {0.002, 0.004}, 0.001, 3}};
  for (const auto& r : rows) {
    EXPECT_EQ(IsPointInSgmt(&r.p, &r.l, r.tol), r.want)
        << r.l.end.x << "," << r.l.end.y << " at " << r.p.x << "," << r.p.y;
  }
}

TEST(Lines, PointLineRelationCodes) {
  const _LINE2D horiz = Seg(0, 0, 10, 0), vert = Seg(0, 10, 0, 0);  // vert runs at 270 degrees
  const _LINE2D rising = Seg(0, 0, 10, 10), falling = Seg(0, 10, 10, 0);
  const struct {
    const _LINE2D* l;
    _POINT2D p;
    int code;
    double dist;  // negative: not checked
  } rows[] = {{&horiz, {5, 1}, 10, 1},
              {&horiz, {5, -1}, 20, -1},
              {&horiz, {5, 0.005}, 3, -1},
              {&horiz, {15, 0}, 1, -1},
              {&vert, {1, 5}, 2, -1},
              {&vert, {-1, 5}, 4, -1},
              {&rising, {10, 0}, 22, std::sqrt(50.0)},
              {&rising, {0, 10}, 14, -1},
              {&falling, {10, 10}, 10, -1},
              {&falling, {0, 0}, 20, -1}};
  for (const auto& r : rows) {
    double d = -1;
    EXPECT_EQ(PointLineRelation(&r.p, r.l, 0.01, &d), r.code) << r.p.x << "," << r.p.y;
    if (r.dist >= 0) {
      EXPECT_NEAR(d, r.dist, 1e-12);
    }
  }
  const _POINT2D p{-1, 5};
  EXPECT_EQ(PointLineRelation(&p, &vert, 0.01, nullptr), 4);
}

TEST(Lines, DistancesToLinesAndSegments) {
  _LINE2D horiz = Seg(0, 0, 10, 0), dot = Seg(1, 1, 1, 1);
  _POINT2D p{5, -3};
  EXPECT_DOUBLE_EQ(OffsetPointToLine(&p, &horiz), -3);
  EXPECT_DOUBLE_EQ(DistancePointToLine(&p, &horiz), 3);
  EXPECT_EQ(IsPointOnLine(&p, &horiz, 2.9), 0);
  EXPECT_EQ(IsPointOnLine(&p, &horiz, 3.0), 1);
  p = {13, 4};  // beyond the end: distance to the end point
  EXPECT_DOUBLE_EQ(DistancePointToLineSgmt(&p, &horiz), 5);
  EXPECT_DOUBLE_EQ(DistancePointToLine(&p, &horiz), 4);
  p = {-3, -4};
  EXPECT_DOUBLE_EQ(DistancePointToLineSgmt(&p, &horiz), 5);
  p = {1, 4};
  EXPECT_DOUBLE_EQ(DistancePointToLineSgmt(&p, &dot), 3);
}

TEST(Lines, CrossingPointsAndConstructedPoints) {
  _POINT2D out;
  const double e1[3] = {0, 1, -1}, e2[3] = {0, 1, -2}, e3[3] = {1, 0, -2}, e4[3] = {0, 1, -3};
  CrossPoint(&out, e1, e2);
  ExpectPoint(out, 1e7, 1e7, 0);
  CrossPoint(&out, e3, e4);
  ExpectPoint(out, 2, 3);
  _LINE2D a = Seg(0, 0, 10, 10), c = Seg(0, 1, 10, 11);
  EXPECT_EQ(DoLinesCross(&a, &c, &out), 0);

  _POINT2D p{1, 2}, q{5, -4};
  ExpectPoint(*GetMidPoint(&out, &p, &q), 3, -1);
  ExpectPoint(*GetPtFromPtAngle(&out, &p, 90, 2), 1, 4);
  _LINE2D east = Seg(0, 0, 10, 0);
  ExpectPoint(*GetPtFromLine(&out, &east, 3, 1), 3, 0);
  ExpectPoint(*GetPtFromLine(&out, &east, 3, 0), 7, 0);

  // Offsets: side 1 is to the left; south (270 + 90 = 360) offsets to +x; in place works too.
  const _LINE2D south = Seg(0, 0, 0, -10);
  const struct {
    _LINE2D l;
    double d1, d2;
    int side;
    _LINE2D want;
  } offs[] = {{east, 1, 2, 1, Seg(0, 1, 10, 2)},
              {east, 1, 2, 0, Seg(0, -1, 10, -2)},
              {south, 1, 1, 1, Seg(1, 0, 1, -10)},
              {south, 2, 2, 0, Seg(-2, 0, -2, -10)}};
  for (const auto& o : offs) {
    _LINE2D got;
    SgmtOffsetsSgmt(&got, &o.l, o.d1, o.d2, o.side);
    ExpectPoint(got.start, o.want.start.x, o.want.start.y);
    ExpectPoint(got.end, o.want.end.x, o.want.end.y);
  }
  _LINE2D inPlace = south;
  SgmtOffsetsSgmt(&inPlace, &inPlace, 2, 2, 0);
  ExpectPoint(inPlace.start, -2, 0);

  _LINE2D ray;
  RayFromPointAngle(&ray, &p, 90, 2);
  ExpectPoint(ray.start, 1, 2);
  ExpectPoint(ray.end, 1, 4);
  VectorFromPointAngle(&ray, &p, 180, 1);
  ExpectPoint(ray.end, 0, 2);
  LineFromPointAngle(&ray, &p, 0, 2);
  ExpectPoint(ray.start, -1, 2);
  ExpectPoint(ray.end, 3, 2);
}
