// Segment relations: crossing codes, collinear overlap topology, ordering helpers, and symmetry
// properties over many random segments.
#include <gtest/gtest.h>

#include <random>

#include "geom/primitives.h"
#include "geom_test_util.h"

using geomtest::ExpectPoint;
using geomtest::Seg;

TEST(Segments, CrossingCodes) {
  _POINT2D out{-1, -1};
  _LINE2D b = Seg(0, 10, 10, 0);
  // A T-junction: the crossing is an end of the stem.
  _LINE2D base = Seg(0, 0, 10, 0);
  _LINE2D stem = Seg(5, 0, 5, 5);
  EXPECT_EQ(DoSgmtsCross(&base, &stem, 0.001, 0, &out), 2);
  ExpectPoint(out, 5, 0);
  // Shared end: reported as L1's end.
  _LINE2D corner = Seg(10.0005, 0, 10, 5);
  EXPECT_EQ(DoSgmtsCross(&base, &corner, 0.001, 0, &out), 3);
  ExpectPoint(out, 10, 0);
  // Lines cross outside the first segment.
  _LINE2D shortA = Seg(0, 0, 1, 1);
  EXPECT_EQ(DoSgmtsReallyCross(&shortA, &b, 0.001, 0, &out), 0);
  // Collinear and touching end to end: parallel for DoSgmtsCross, shared end for the other.
  _LINE2D next = Seg(10, 0, 20, 0);
  EXPECT_EQ(DoSgmtsCross(&base, &next, 0.001, 0, &out), 0);
  EXPECT_EQ(DoSgmtsReallyCross(&base, &next, 0.001, 0, &out), 3);
  ExpectPoint(out, 10, 0);
  _POINT2D lapA;
  _POINT2D lapB;
  EXPECT_EQ(SgmtsLapTplgy(&base, &next, 0.001, &lapA, &lapB), 6);
  ExpectPoint(lapA, 10, 0);
  EXPECT_EQ(AreSgmtsParallel(&base, &next, 1e-9), 4);
  EXPECT_EQ(AreSgmtsParallel(&base, &stem, 1e-9), 0);

  EXPECT_EQ(DoEndPtsOverlap(&base, &stem, 0.001, 0, &out), 0);
  _LINE2D fromEnd = Seg(10, 0, 3, 3);
  EXPECT_EQ(DoEndPtsOverlap(&base, &fromEnd, 0.001, 0, &out), 1);
  ExpectPoint(out, 10, 0);
}

TEST(Segments, CollinearOverlapTopology) {
  // 7: partial overlap, 8: one inside the other (either way round, shared ends included), 9: the
  // same piece; the overlap's ends come sorted left to right. Vertical: the abscissa runs along
  // the segment.
  const struct {
    _LINE2D l1, l2;
    int code;
    _POINT2D a, b;
  } rows[] = {{Seg(0, 0, 10, 0), Seg(5, 0, 15, 0), 7, {5, 0}, {10, 0}},
              {Seg(0, 0, 10, 0), Seg(6, 0, 2, 0), 8, {2, 0}, {6, 0}},
              {Seg(0, 0, 10, 0), Seg(12, 0, -3, 0), 8, {0, 0}, {10, 0}},
              {Seg(0, 0, 10, 0), Seg(0, 0, 4, 0), 8, {0, 0}, {4, 0}},
              {Seg(0, 0, 10, 0), Seg(-4, 0, 10, 0), 8, {0, 0}, {10, 0}},
              {Seg(10, 0, 0, 0), Seg(0, 0, 10, 0), 9, {0, 0}, {10, 0}},
              {Seg(0, 0, 10, 0), Seg(11, 0, 12, 0), 0, {}, {}},
              {Seg(0, 0, 10, 0), Seg(-5, 0, -1, 0), 0, {}, {}},
              {Seg(0, 0, 0, 10), Seg(0, 5, 0, 15), 7, {0, 5}, {0, 10}}};
  for (const auto& r : rows) {
    SCOPED_TRACE(::testing::Message() << r.l2.start.x << "," << r.l2.start.y << " - " << r.l2.end.x
                                      << "," << r.l2.end.y);
    _POINT2D a{-1, -1}, b{-1, -1};
    EXPECT_EQ(SgmtsLapTplgy(&r.l1, &r.l2, 0.001, &a, &b), r.code);
    if (r.code != 0) {
      ExpectPoint(a, r.a.x, r.a.y);
      ExpectPoint(b, r.b.x, r.b.y);
    }
  }
  _POINT2D a, b;
  const _LINE2D base = Seg(0, 0, 10, 0), partial = Seg(5, 0, 15, 0);

  // DoSgmtsLap first requires all four ends on the other line (within 2 * tol).
  _LINE2D above = Seg(0, 1, 10, 1);
  EXPECT_EQ(DoSgmtsLap(&base, &above, 0.01, &a, &b), 0);
  _LINE2D nearly = Seg(5, 0.015, 15, 0.015);
  EXPECT_EQ(DoSgmtsLap(&base, &nearly, 0.01, &a, &b), 7);
  EXPECT_EQ(DoSgmtsLap(&base, &nearly, 0.005, &a, &b), 0);

  // SgmtsRelation: overlap first, crossing otherwise.
  EXPECT_EQ(SgmtsRelation(&base, &partial, 0.001, 0.001, &a, &b), 7);
  _LINE2D cross = Seg(3, -1, 3, 1);
  EXPECT_EQ(SgmtsRelation(&base, &cross, 0.001, 0.001, &a, &b), 1);
  ExpectPoint(a, 3, 0);
}

TEST(Segments, ParametrisedSegmentsAndOrdering) {
  _PARMSGMT2D seg{{0, 0}, {10, 0}, 0, 111, 10, 222};
  _POINT2D a, b;
  const struct {
    _PARMSGMT2D sub;
    int code;
    _POINT2D a, b;
  } subs[] = {{{{5, 0}, {15, 0}, 5, 0, 15, 0}, 7, {5, 0}, {10, 0}},
              {{{2, 0}, {4, 0}, 2, 0, 4, 0}, 8, {2, 0}, {4, 0}},
              {{{11, 0}, {14, 0}, 11, 0, 14, 0}, 0, {}, {}}};
  for (const auto& r : subs) {
    EXPECT_EQ(SubSgmtsLapTplgy(&seg, &r.sub, 0, &a, &b), r.code) << r.sub.start.x;
    if (r.code != 0) {
      ExpectPoint(a, r.a.x, r.a.y);
      ExpectPoint(b, r.b.x, r.b.y);
    }
  }

  SortPtLeftToRight(&seg);
  ExpectPoint(seg.start, 10, 0);
  ExpectPoint(seg.end, 0, 0);
  EXPECT_EQ(seg.startParm, 10);
  EXPECT_EQ(seg.endParm, 0);
  EXPECT_EQ(seg.reserved1, 111);  // untouched
  EXPECT_EQ(seg.reserved2, 222);

  _POINT2D p{10, 0};
  _POINT2D q{0, 0};
  SortItoJ(&p, &q);  // 180 degrees: swapped
  ExpectPoint(p, 0, 0);
  p = {0, 10};
  q = {0, 0};
  SortItoJ(&p, &q);  // 270 degrees: swapped
  ExpectPoint(p, 0, 0);
  SortItoJ(&p, &q);  // now 90 degrees: kept
  ExpectPoint(p, 0, 0);
  ExpectPoint(q, 0, 10);

  const _POINT2D pts[4] = {{1, 0}, {3, 0}, {0, 1}, {2, 0}};
  const _POINT2D ref{0, 0};
  _POINT2D sorted[4];
  ASSERT_EQ(SortListOfPoint2Ds(pts, 4, &ref, sorted), 1);
  ExpectPoint(sorted[0], 3, 0);
  ExpectPoint(sorted[1], 2, 0);
  ExpectPoint(sorted[2], 0, 1);  // equal distances: the later point first
  ExpectPoint(sorted[3], 1, 0);
  EXPECT_EQ(SortListOfPoint2Ds(nullptr, 4, &ref, sorted), 0);
  EXPECT_EQ(SortListOfPoint2Ds(pts, -1, &ref, sorted), 0);
}

TEST(Segments, LineAgainstOpenPolyline) {
  const _POINT2D poly[3] = {{0, 0}, {10, 0}, {10, 10}};
  // Meeting only at the line's own start, or ending on the polyline's first point, is no
  // crossing; ending on its last point is; an overlap counts; an open polyline has no closing edge.
  const struct {
    _LINE2D l;
    int want;
  } rows[] = {{Seg(5, -5, 5, 5), 1}, {Seg(20, 0, 30, 0), 0},   {Seg(5, 0, 5, -5), 0},
              {Seg(-5, 5, 0, 0), 0}, {Seg(15, 15, 10, 10), 1}, {Seg(2, 0, 8, 0), 1},
              {Seg(2, 6, 6, 2), 0}};
  for (const auto& r : rows) {
    EXPECT_EQ(CheckLineCrossPoly(poly, 3, &r.l), r.want) << r.l.start.x << "," << r.l.start.y;
  }
  const _LINE2D through = Seg(5, -5, 5, 5);
  EXPECT_EQ(CheckLineCrossPoly(poly, 1, &through), 0);
}

TEST(Segments, RelationsAreSymmetricOverRandomSegments) {
  std::mt19937 rng(20261205);
  std::uniform_real_distribution<double> coord(-50, 50);
  std::uniform_int_distribution<int> step(0, 10);
  int crossings = 0;
  for (int i = 0; i < 4000; ++i) {
    _LINE2D a = Seg(coord(rng), coord(rng), coord(rng), coord(rng));
    _LINE2D b = Seg(coord(rng), coord(rng), coord(rng), coord(rng));
    _POINT2D x;
    _POINT2D y;
    const int ab = DoSgmtsCross(&a, &b, 1e-6, 0, &x);
    const int ba = DoSgmtsCross(&b, &a, 1e-6, 0, &y);
    ASSERT_EQ(ab, ba) << i;
    if (ab == 1) {
      ++crossings;
      ExpectPoint(x, y.x, y.y, 1e-7);
      EXPECT_LT(DistancePointToLineSgmt(&x, &a), 1e-7);
      EXPECT_LT(DistancePointToLineSgmt(&x, &b), 1e-7);
    }
    EXPECT_EQ(AreSgmtsParallel(&a, &b, 1e-3), AreSgmtsParallel(&b, &a, 1e-3));
    EXPECT_EQ(DoSgmtsReallyCross(&a, &b, 1e-6, 0, &x), DoSgmtsReallyCross(&b, &a, 1e-6, 0, &y));
    EXPECT_EQ(DoSgmtsLap(&a, &b, 0.5, &x, &y) != 0, DoSgmtsLap(&b, &a, 0.5, &x, &y) != 0);
  }
  EXPECT_GT(crossings, 200);  // the sample really exercises crossings

  // Collinear segments on a slanted line with ends on a grid of ten positions: every topology.
  int seen[10] = {};
  const _POINT2D base{3, -2};
  auto at = [&](int t) { return _POINT2D{base.x + 0.6 * t, base.y + 0.8 * t}; };
  for (int i = 0; i < 3000; ++i) {
    const int t[4] = {step(rng), step(rng), step(rng), step(rng)};
    if (t[0] == t[1] || t[2] == t[3]) continue;
    const _LINE2D a{at(t[0]), at(t[1])};
    const _LINE2D b{at(t[2]), at(t[3])};
    _POINT2D p1;
    _POINT2D p2;
    _POINT2D q1;
    _POINT2D q2;
    const int ab = SgmtsLapTplgy(&a, &b, 1e-6, &p1, &p2);
    const int ba = SgmtsLapTplgy(&b, &a, 1e-6, &q1, &q2);
    ASSERT_EQ(ab, ba) << t[0] << t[1] << t[2] << t[3];
    ++seen[ab];
    if (ab >= 7) {  // the overlap is the same piece whichever segment comes first
      ExpectPoint(p1, q1.x, q1.y, 1e-9);
      ExpectPoint(p2, q2.x, q2.y, 1e-9);
      EXPECT_LE(p1.x, p2.x);  // left to right
    }
  }
  for (int code : {0, 6, 7, 8, 9}) EXPECT_GT(seen[code], 0) << code;
}
