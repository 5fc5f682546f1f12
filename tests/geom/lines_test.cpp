// Directions, line equations, distances, the span test and point-line relations.
#include <gtest/gtest.h>

#include <cmath>

#include "geom/primitives.h"

namespace {

_LINE2D Seg(double x1, double y1, double x2, double y2) { return {{x1, y1}, {x2, y2}}; }

void ExpectPoint(const _POINT2D& p, double x, double y, double tol = 1e-9) {
  EXPECT_NEAR(p.x, x, tol);
  EXPECT_NEAR(p.y, y, tol);
}

}  // namespace

TEST(Lines, DirectionsLengthsAndAngleDifference) {
  _LINE2D down = Seg(0, 0, 0, -1);
  _LINE2D left = Seg(0, 0, -1, 0);
  _LINE2D back = Seg(1, 1, 0, 0);
  _LINE2D east = Seg(0, 0, 5, 0);
  _LINE2D north = Seg(2, 2, 2, 9);
  EXPECT_DOUBLE_EQ(GetAngle(&down), 270);
  EXPECT_DOUBLE_EQ(GetAngle(&left), 180);
  EXPECT_DOUBLE_EQ(GetAngle(&back), 225);
  EXPECT_DOUBLE_EQ(GetAngle(&east), 0);
  // Same direction gives 360, not 0.
  EXPECT_DOUBLE_EQ(AngleDifference(&east, &east), 360);
  EXPECT_DOUBLE_EQ(AngleDifference(&east, &north), 90);
  EXPECT_DOUBLE_EQ(AngleDifference(&north, &east), 270);

  _LINE2D l345 = Seg(1, 1, 4, 5);
  EXPECT_DOUBLE_EQ(Line2DLength(&l345), 5);
  _LINE2D dot = Seg(1, 1, 1, 1);
  EXPECT_EQ(Line2DLength(&dot), 0);
  _POINT3D a{1, 1, 1};
  _POINT3D b{3, 4, 7};
  EXPECT_DOUBLE_EQ(DistanceBtwnPoints3D(&a, &b), 7);
  _POINT2D p{0, 0};
  _POINT2D q{0.001, -0.001};
  EXPECT_EQ(IsSamePoint(&p, &q, 0.001), 1);
  q.y = -0.002;
  EXPECT_EQ(IsSamePoint(&p, &q, 0.001), 0);
}

TEST(Lines, LineEquationNormalPointsToPlusXOrPlusY) {
  double eq[3];
  double slope = 0;
  _LINE2D up = Seg(0, 0, 0, 10);
  LineEqPoints(eq, &up, &slope);
  EXPECT_DOUBLE_EQ(eq[0], 1);
  EXPECT_DOUBLE_EQ(eq[1], 0);
  EXPECT_DOUBLE_EQ(eq[2], 0);
  EXPECT_EQ(slope, 1e7);
  _LINE2D downAt3 = Seg(3, 10, 3, 0);  // reversed direction, same equation
  LineEqPoints(eq, &downAt3, &slope);
  EXPECT_DOUBLE_EQ(eq[0], 1);
  EXPECT_DOUBLE_EQ(eq[2], -3);
  _LINE2D westAt5 = Seg(10, 5, 0, 5);
  LineEqPoints(eq, &westAt5, &slope);
  EXPECT_DOUBLE_EQ(eq[0], 0);
  EXPECT_DOUBLE_EQ(eq[1], 1);
  EXPECT_DOUBLE_EQ(eq[2], -5);
  EXPECT_EQ(slope, 0);
  _LINE2D diag = Seg(0, 0, 3, 4);
  LineEqPoints(eq, &diag, &slope);
  EXPECT_DOUBLE_EQ(eq[0], 0.8);
  EXPECT_DOUBLE_EQ(eq[1], -0.6);
  EXPECT_DOUBLE_EQ(slope, 4.0 / 3.0);
  // Shorter than 0.001 in both components: degenerate.
  _LINE2D tiny = Seg(1, 1, 1.0005, 1.0009);
  LineEqPoints(eq, &tiny, &slope);
  EXPECT_EQ(eq[0], 0);
  EXPECT_EQ(eq[1], 0);
  EXPECT_EQ(eq[2], 0);
  EXPECT_EQ(slope, 1e7);
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
  _LINE2D vert = Seg(0, 0, 0, 10);
  _POINT2D p{5, 3};
  EXPECT_EQ(IsPointInSgmt(&p, &vert, 0.001), 3);  // any x passes for a vertical segment
  p = {5, 10.4};
  EXPECT_EQ(IsPointInSgmt(&p, &vert, 0.5), 3);
  p = {5, 11};
  EXPECT_EQ(IsPointInSgmt(&p, &vert, 0.5), 0);
  _LINE2D diag = Seg(0, 0, 10, 10);
  p = {5, 20};
  EXPECT_EQ(IsPointInSgmt(&p, &diag, 0.5), 0);
  p = {10.4, -0.4};
  EXPECT_EQ(IsPointInSgmt(&p, &diag, 0.5), 3);  // a span test: off the line still passes
  // Both extents within 0.01: the direction decides which coordinate is tested.
  _LINE2D shortEast = Seg(0, 0, 0.005, 0);
  p = {0.003, 50};
  EXPECT_EQ(IsPointInSgmt(&p, &shortEast, 0.001), 3);
  p = {1, 0};
  EXPECT_EQ(IsPointInSgmt(&p, &shortEast, 0.001), 0);
  _LINE2D shortNorth = Seg(0, 0, 0, 0.005);
  p = {50, 0.002};
  EXPECT_EQ(IsPointInSgmt(&p, &shortNorth, 0.001), 3);
  _LINE2D shortDiag = Seg(0, 0, 0.005, 0.005);
  p = {0.002, 50};
  EXPECT_EQ(IsPointInSgmt(&p, &shortDiag, 0.001), 0);
  p = {0.002, 0.004};
  EXPECT_EQ(IsPointInSgmt(&p, &shortDiag, 0.001), 3);
}

TEST(Lines, PointLineRelationCodes) {
  double d = -1;
  _LINE2D horiz = Seg(0, 0, 10, 0);
  _POINT2D p{5, 1};
  EXPECT_EQ(PointLineRelation(&p, &horiz, 0.01, &d), 10);
  EXPECT_DOUBLE_EQ(d, 1);
  p = {5, -1};
  EXPECT_EQ(PointLineRelation(&p, &horiz, 0.01, &d), 20);
  p = {5, 0.005};
  EXPECT_EQ(PointLineRelation(&p, &horiz, 0.01, &d), 3);
  p = {15, 0};
  EXPECT_EQ(PointLineRelation(&p, &horiz, 0.01, &d), 1);
  _LINE2D vert = Seg(0, 10, 0, 0);  // 270 degrees
  p = {1, 5};
  EXPECT_EQ(PointLineRelation(&p, &vert, 0.01, &d), 2);
  p = {-1, 5};
  EXPECT_EQ(PointLineRelation(&p, &vert, 0.01, nullptr), 4);
  _LINE2D rising = Seg(0, 0, 10, 10);
  p = {10, 0};
  EXPECT_EQ(PointLineRelation(&p, &rising, 0.01, &d), 22);
  EXPECT_NEAR(d, std::sqrt(50.0), 1e-12);
  p = {0, 10};
  EXPECT_EQ(PointLineRelation(&p, &rising, 0.01, &d), 14);
  _LINE2D falling = Seg(0, 10, 10, 0);
  p = {10, 10};
  EXPECT_EQ(PointLineRelation(&p, &falling, 0.01, &d), 10);
  p = {0, 0};
  EXPECT_EQ(PointLineRelation(&p, &falling, 0.01, &d), 20);
}

TEST(Lines, DistancesToLinesAndSegments) {
  _LINE2D horiz = Seg(0, 0, 10, 0);
  _POINT2D p{5, -3};
  EXPECT_DOUBLE_EQ(OffsetPointToLine(&p, &horiz), -3);
  EXPECT_DOUBLE_EQ(DistancePointToLine(&p, &horiz), 3);
  EXPECT_EQ(IsPointOnLine(&p, &horiz, 2.9), 0);
  EXPECT_EQ(IsPointOnLine(&p, &horiz, 3.0), 1);
  EXPECT_DOUBLE_EQ(DistancePointToLineSgmt(&p, &horiz), 3);
  p = {13, 4};  // beyond the end: distance to the end point
  EXPECT_DOUBLE_EQ(DistancePointToLineSgmt(&p, &horiz), 5);
  EXPECT_DOUBLE_EQ(DistancePointToLine(&p, &horiz), 4);
  p = {-3, -4};
  EXPECT_DOUBLE_EQ(DistancePointToLineSgmt(&p, &horiz), 5);
  _LINE2D dot = Seg(1, 1, 1, 1);
  p = {1, 4};
  EXPECT_DOUBLE_EQ(DistancePointToLineSgmt(&p, &dot), 3);
}

TEST(Lines, CrossingPointsAndConstructedPoints) {
  _POINT2D out;
  const double e1[3] = {0, 1, -1};
  const double e2[3] = {0, 1, -2};
  CrossPoint(&out, e1, e2);
  ExpectPoint(out, 1e7, 1e7, 0);
  const double e3[3] = {1, 0, -2};
  const double e4[3] = {0, 1, -3};
  CrossPoint(&out, e3, e4);
  ExpectPoint(out, 2, 3);
  _LINE2D a = Seg(0, 0, 10, 10);
  _LINE2D b = Seg(0, 10, 10, 0);
  EXPECT_EQ(DoLinesCross(&a, &b, &out), 1);
  ExpectPoint(out, 5, 5);
  _LINE2D c = Seg(0, 1, 10, 11);
  EXPECT_EQ(DoLinesCross(&a, &c, &out), 0);

  _POINT2D p{1, 2};
  _POINT2D q{5, -4};
  ExpectPoint(*GetMidPoint(&out, &p, &q), 3, -1);
  ExpectPoint(*GetPtFromPtAngle(&out, &p, 90, 2), 1, 4);
  _LINE2D east = Seg(0, 0, 10, 0);
  ExpectPoint(*GetPtFromLine(&out, &east, 3, 1), 3, 0);
  ExpectPoint(*GetPtFromLine(&out, &east, 3, 0), 7, 0);

  _LINE2D off;
  SgmtOffsetsSgmt(&off, &east, 1, 2, 1);
  ExpectPoint(off.start, 0, 1);
  ExpectPoint(off.end, 10, 2);
  SgmtOffsetsSgmt(&off, &east, 1, 2, 0);
  ExpectPoint(off.start, 0, -1);
  ExpectPoint(off.end, 10, -2);
  _LINE2D south = Seg(0, 0, 0, -10);  // 270 + 90 = 360: the offset points to +x
  SgmtOffsetsSgmt(&off, &south, 1, 1, 1);
  ExpectPoint(off.start, 1, 0);
  ExpectPoint(off.end, 1, -10);
  SgmtOffsetsSgmt(&south, &south, 2, 2, 0);  // in place
  ExpectPoint(south.start, -2, 0);

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
