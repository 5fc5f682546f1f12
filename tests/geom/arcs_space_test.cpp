// Arcs, 3-D segments and the small point and line classes with their raw-double archive form.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "geom/primitives.h"
#include "geom_test_util.h"

namespace {

using geomtest::ExpectPoint;

// The smallest archive the classes need: a byte vector with raw little-endian doubles.
class ByteArchive {
 public:
  explicit ByteArchive(bool storing) : storing_(storing) {}
  bool IsStoring() const { return storing_; }
  ByteArchive& operator<<(double v) {
    unsigned char b[8];
    std::memcpy(b, &v, 8);
    bytes.insert(bytes.end(), b, b + 8);
    return *this;
  }
  ByteArchive& operator>>(double& v) {
    if (pos + 8 > bytes.size()) {
      failed = true;
      v = 0;
      return *this;
    }
    std::memcpy(&v, bytes.data() + pos, 8);
    pos += 8;
    return *this;
  }
  std::vector<unsigned char> bytes;
  size_t pos = 0;
  bool failed = false;

 private:
  bool storing_;
};

}  // namespace

TEST(Arcs, PointsOnArcsAndSpans) {
  auto on = [](const _ARC2D& a, _POINT2D p, double tol) { return IsPointOnArc2d(&p, &a, tol); };
  auto in = [](const _ARC2D& a, _POINT2D p, double tol) { return IsPointInArc2dSgmt(&p, &a, tol); };
  const _ARC2D quarter{{0, 0}, 5, 0, 90};
  EXPECT_EQ(on(quarter, {3, 4.1}, 0.05), 0);
  EXPECT_EQ(on(quarter, {5.5, 0}, 0.5), 1);  // exactly the tolerance off the circle is on it
  // On the circle, outside the span: the circle test alone accepts it.
  EXPECT_EQ(on(quarter, {-3, -4}, 1e-9), 1);
  const _ARC2D aroundZero{{0, 0}, 1, -45, 45};
  EXPECT_EQ(in(aroundZero, {1, -0.5}, 0.001), 1);  // 333.4 degrees, tried as -26.6
  const _ARC2D pastFull{{0, 0}, 1, 300, 420};
  EXPECT_EQ(in(pastFull, {1, 0.5}, 0.001), 1);  // 26.6 degrees, tried as 386.6
  EXPECT_EQ(in(pastFull, {-1, 0.5}, 0.001), 0);
  // The span is open: exactly at start - tol is outside, inside the widened span is in.
  const _ARC2D upper{{0, 0}, 1, 90, 180};
  EXPECT_EQ(in(upper, {1, 0.0}, 5), 0);
  EXPECT_EQ(in(upper, {0.1, 1}, 6), 1);  // 84.3 degrees
  EXPECT_EQ(in(upper, {0.1, 1}, 5), 0);
}

TEST(Arcs, ArcLineIntersections) {
  const _ARC2D circle{{0, 0}, 5, 0, 360};
  const _ARC2D quarter{{0, 0}, 5, 0, 90};
  _POINT2D p1{0, 0};
  _POINT2D p2{0, 0};
  const _LINE2D y3{{-10, 3}, {10, 3}};
  EXPECT_EQ(Arc2dLine2dRelation(&circle, &y3, 1e-6, 0.001, &p1, &p2, 0), 2);
  ExpectPoint(p1, 4, 3);
  ExpectPoint(p2, -4, 3);
  EXPECT_EQ(Arc2dLine2dRelation(&quarter, &y3, 1e-6, 0.001, &p1, &p2, 0), 1);
  ExpectPoint(p1, 4, 3);
  const _LINE2D leftHalf{{-10, 3}, {0, 3}};
  EXPECT_EQ(Arc2dLine2dRelation(&circle, &leftHalf, 1e-6, 0.001, &p1, &p2, 1), 1);
  ExpectPoint(p1, -4, 3);
  EXPECT_EQ(Arc2dLine2dRelation(&circle, &leftHalf, 1e-6, 0.001, &p1, &p2, 0), 2);
  const _LINE2D x3{{3, -10}, {3, 10}};  // vertical: solved in y
  EXPECT_EQ(Arc2dLine2dRelation(&circle, &x3, 1e-6, 0.001, &p1, &p2, 0), 2);
  ExpectPoint(p1, 3, 4);
  ExpectPoint(p2, 3, -4);
  const _LINE2D slanted{{0, -5}, {5, 0}};  // y = x - 5 meets the circle at (0,-5) and (5,0)
  EXPECT_EQ(Arc2dLine2dRelation(&circle, &slanted, 1e-6, 0.001, &p1, &p2, 1), 2);
  ExpectPoint(p1, 5, 0);
  ExpectPoint(p2, 0, -5);
  const _LINE2D tangent{{-10, 5}, {10, 5}};
  EXPECT_EQ(Arc2dLine2dRelation(&circle, &tangent, 1e-6, 0.001, &p1, nullptr, 0), 1);
  ExpectPoint(p1, 0, 5);
  const _LINE2D miss{{-10, 6}, {10, 6}};
  EXPECT_EQ(Arc2dLine2dRelation(&circle, &miss, 1e-6, 0.001, &p1, &p2, 0), 0);
}

TEST(Arcs, ArcArcIntersections) {
  const _ARC2D c1{{0, 0}, 5, 0, 360};
  const _ARC2D c2{{8, 0}, 5, 0, 360};
  _POINT2D p1;
  _POINT2D p2;
  EXPECT_EQ(Arc2dArc2dRelation(&c1, &c2, 1e-6, 0.001, &p1, &p2), 2);
  ExpectPoint(p1, 4, -3);
  ExpectPoint(p2, 4, 3);
  const _ARC2D top{{0, 0}, 5, 0, 180};
  EXPECT_EQ(Arc2dArc2dRelation(&top, &c2, 1e-6, 0.001, &p1, &p2), 1);
  ExpectPoint(p1, 4, 3);
  const _ARC2D touching{{10, 0}, 5, 0, 360};
  EXPECT_EQ(Arc2dArc2dRelation(&c1, &touching, 1e-6, 0.001, &p1, &p2), 1);
  ExpectPoint(p1, 5, 0);
  const _ARC2D far{{20, 0}, 5, 0, 360};
  EXPECT_EQ(Arc2dArc2dRelation(&c1, &far, 1e-6, 0.001, &p1, &p2), 0);
  const _ARC2D concentric{{0.01, 0}, 3, 0, 360};  // squared distance 1e-4 <= tol 1e-3
  EXPECT_EQ(Arc2dArc2dRelation(&c1, &concentric, 1e-3, 0.001, &p1, &p2), 0);
}

TEST(Space, SegmentsInSpace) {
  auto dist = [](_POINT3D p, const double* s) { return DistancePointToLineSgmt3d(&p, s); };
  auto in = [](_POINT3D p, const double* s) { return IsPointInSgmt3d(&p, s, 1e-9); };
  const double seg[6] = {0, 0, 0, 10, 0, 0};
  _POINT3D p{5, 3, 4};
  EXPECT_DOUBLE_EQ(dist(p, seg), 5);
  EXPECT_EQ(IsPointOnLine3d(&p, seg, 5.1), 1);
  EXPECT_EQ(IsPointOnLine3d(&p, seg, 5.0), 0);  // strict
  EXPECT_DOUBLE_EQ(dist({25, 0, 3}, seg), 3);   // the infinite line counts, not the segment
  EXPECT_EQ(dist({0, 0, 0}, seg), 0);
  EXPECT_EQ(in({5, 0, 0}, seg), 3);
  EXPECT_EQ(in({15, 0, 0}, seg), 0);
  const double dot[6] = {1, 1, 1, 1, 1, 1};
  EXPECT_DOUBLE_EQ(dist({1, 1, 4}, dot), 3);
}

TEST(PointClasses, OnLineTestAndRawDoubleArchiveForm) {
  const CLine2d line(CPoint2d(0, 0), CPoint2d(10, 0));
  EXPECT_TRUE(line.IsPointOnLine(CPoint2d(5, 0.015), 0.01));  // within 2 * tol of the line
  EXPECT_FALSE(line.IsPointOnLine(CPoint2d(5, 0.025), 0.01));
  EXPECT_FALSE(line.IsPointOnLine(CPoint2d(12, 0), 0.01));

  ByteArchive out(true);
  CPoint2d p(1.5, -2.0);
  p.Serialize(out);
  const std::vector<unsigned char> golden = {0, 0, 0, 0, 0, 0, 0xF8, 0x3F,   // 1.5
                                             0, 0, 0, 0, 0, 0, 0,    0xC0};  // -2.0
  EXPECT_EQ(out.bytes, golden);

  ByteArchive in(false);
  in.bytes = {0, 0, 0, 0, 0, 0, 0x24, 0x40,  // 10.0
              0, 0, 0, 0, 0, 0, 0xF0, 0x3F,  // 1.0
              0, 0, 0, 0, 0, 0, 0x00, 0xC0,  // -2.0
              0, 0, 0, 0, 0, 0, 0x00, 0x00};
  CQELPoint q;
  q.Serialize(in);
  EXPECT_FALSE(in.failed);
  EXPECT_EQ(q.x, 10.0);
  EXPECT_EQ(q.y, 1.0);
  EXPECT_EQ(q.z, -2.0);
  EXPECT_EQ(in.pos, 24u);  // nothing but the three coordinates

  ByteArchive lineOut(true);
  CLine2d l(CPoint2d(1, 2), CPoint2d(3, 4));
  l.Serialize(lineOut);
  ASSERT_EQ(lineOut.bytes.size(), 64u);  // two ends, then the segment
  ByteArchive lineIn(false);
  lineIn.bytes = lineOut.bytes;
  CLine2d back;
  back.Serialize(lineIn);
  EXPECT_EQ(back.m_pt2.y, 4);
  EXPECT_EQ(back.m_line.start.x, 1);
  EXPECT_EQ(back.m_line.end.y, 4);
}

TEST(Arcs, CircleIntersectionsAreSymmetricAndLieOnBothCircles) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> c(-20, 20);
  std::uniform_real_distribution<double> r(1, 25);
  int pairs = 0;
  for (int i = 0; i < 3000; ++i) {
    const _ARC2D a{{c(rng), c(rng)}, r(rng), 0, 360};
    const _ARC2D b{{c(rng), c(rng)}, r(rng), 0, 360};
    _POINT2D p1, p2, q1, q2;
    const int ab = Arc2dArc2dRelation(&a, &b, 1e-6, 0.001, &p1, &p2);
    const int ba = Arc2dArc2dRelation(&b, &a, 1e-6, 0.001, &q1, &q2);
    ASSERT_EQ(ab, ba) << i;
    if (ab == 2) {
      ++pairs;
      for (const _POINT2D* p : {&p1, &p2}) {
        EXPECT_NEAR(DistanceBtwnPoints(p, &a.centre), a.radius, 1e-6);
        EXPECT_NEAR(DistanceBtwnPoints(p, &b.centre), b.radius, 1e-6);
      }
      // The same two points, found in the opposite order.
      ExpectPoint(p1, q2.x, q2.y, 1e-6);
      ExpectPoint(p2, q1.x, q1.y, 1e-6);
    }
  }
  EXPECT_GT(pairs, 500);
}
