// The polygon library: its line equation, point and segment tests, the vertex pool and the
// vertex-linking engine.
#include "geom/polygon_lib.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "geom_test_util.h"
#include "test_support.h"

namespace {

using namespace geomtest;

// Restores the calling thread's warning mode after a test changed it.
struct ModeGuard {
  int saved = GetPolygonWarnMode();
  ~ModeGuard() { SetPolygonWarnMode(saved); }
};

TEST(PolygonLineEquation, ValuesSidesAndFailures) {
  P p{1, 2}, q{4, 6};
  double eq[3];
  SetLineEq(eq, &p, &q);
  EXPECT_DOUBLE_EQ(eq[0], -0.8);  // -(dy)/d
  EXPECT_DOUBLE_EQ(eq[1], 0.6);   // dx/d
  EXPECT_DOUBLE_EQ(eq[2], -0.4);  // (Qy*Px - Py*Qx)/d = (6 - 8)/5
  P left{0, 5}, right{5, 0}, on{2.5, 4};
  EXPECT_LT(LineDistance(&left, eq), 0);
  EXPECT_GT(LineDistance(&right, eq), 0);
  EXPECT_EQ(WhichSide(&left, eq, 0.001), -1);
  EXPECT_EQ(WhichSide(&right, eq, 0.001), 1);
  EXPECT_EQ(WhichSide(&on, eq, 0.001), 0);
  EXPECT_EQ(SetLineEq_Warn(&p, &q, eq, 0), 1);

  // Identical points: the message names them and the equation is (0, 0, -1).
  ModeGuard guard;
  qeltest::MessageCapture boxes;
  SetPolygonWarnMode(0);
  EXPECT_EQ(SetLineEq_Warn(&p, &p, eq, 0), -1);
  EXPECT_EQ(eq[0], 0);
  EXPECT_EQ(eq[1], 0);
  EXPECT_EQ(eq[2], -1);
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].text,
            "Error in polygon intersection:\nSetLineEq() passed two identical points at 1.00 "
            "2.00\n");
  EXPECT_EQ(GetPolygonWarnMode(), qel::geom::kWarnClose);

  // Intersection, parallel lines, parallel shift, angles and interpolation.
  P a0{0, 0}, a1{2, 2}, b0{0, 2}, b1{2, 0}, x;
  double e1[3], e2[3], e3[3];
  SetLineEq(e1, &a0, &a1);
  SetLineEq(e2, &b0, &b1);
  EXPECT_EQ(LineInt(e1, e2, &x), 1);
  ExpectPoint(x, 1, 1, 1e-12);
  LineParallelShift(e1, e3, 1.0);
  EXPECT_EQ(AreLinesParallel(e1, e3), 1);
  EXPECT_EQ(LineInt(e1, e3, &x), 0);
  EXPECT_EQ(x.x, 1e7);
  EXPECT_NEAR(std::fabs(LineDistance(&a0, e3)), 1.0, 1e-12);
  EXPECT_NEAR(PointsAngle(&a0, &b1), 0.0, 1e-12);
  EXPECT_NEAR(PointsAngle(&b1, &a0), 180.0, 1e-12);
  P down{0, -1};
  EXPECT_NEAR(PointsAngle(&a0, &down), 270.0, 1e-12);
  EXPECT_DOUBLE_EQ(Interpolate(1.5, 10, 20, 1, 2), 15);
  EXPECT_EQ(Interpolate(1, 10, 20, 1, 1), 1e7);
  EXPECT_EQ(Interpolate(1, 10, 10, 1, 1), 10);
  LineEqFromPtAngle(e3, &a0, 45);
  EXPECT_NEAR(LineDistance(&a1, e3), 0.0, 1e-12);
  P foot;
  ProjectPtOnLine(&foot, &b0, e1);
  ExpectPoint(foot, 1, 1, 1e-12);
}

TEST(PolygonSegments, ProjectionOnSegmentAndIntersections) {
  P s0{0, 0}, s1{10, 0};
  P mid{4, 3}, before{-0.0005, 1}, farBefore{-1, 0}, beyond{10.0005, 0};
  EXPECT_DOUBLE_EQ(PtPrjctsOnSgmt(&mid, &s0, &s1, nullptr, 0.001), 4);
  EXPECT_EQ(PtPrjctsOnSgmt(&before, &s0, &s1, nullptr, 0.001), 0);  // clamped
  EXPECT_EQ(PtPrjctsOnSgmt(&beyond, &s0, &s1, nullptr, 0.001), 10);
  EXPECT_EQ(PtPrjctsOnSgmt(&farBefore, &s0, &s1, nullptr, 0.001), -1);

  P onMid{5, 0.0009}, offMid{5, 0.002}, nearEnd{10.0009, -0.0009};
  EXPECT_EQ(PGPointOnSegment(&onMid, &s0, &s1, 0.001), 1);
  EXPECT_EQ(PGPointOnSegment(&offMid, &s0, &s1, 0.001), 0);
  EXPECT_EQ(PGPointOnSegment(&nearEnd, &s0, &s1, 0.001), 1);
  EXPECT_EQ(PGPointOnSegment(&beyond, &s0, &s0, 0.001), 0);  // zero length: ends only
  EXPECT_EQ(PGPointOnSegment(&s0, &s0, &s0, 0.001), 1);

  P out;
  // Proper crossing.
  P a0{0, 0}, a1{4, 4}, b0{0, 4}, b1{4, 0};
  ASSERT_EQ(PGSegmentsIntersect(&a0, &a1, nullptr, &b0, &b1, nullptr, 0.001, &out), 1);
  ExpectPoint(out, 2, 2, 1e-12);
  // T: B ends on the middle of A.
  P t0{2, 0}, t1{2, 5};
  ASSERT_EQ(PGSegmentsIntersect(&s0, &s1, nullptr, &t0, &t1, nullptr, 0.001, &out), 1);
  ExpectPoint(out, 2, 0, 1e-12);
  // Shared end point at an angle.
  P u1{10, 7};
  ASSERT_EQ(PGSegmentsIntersect(&s0, &s1, nullptr, &s1, &u1, nullptr, 0.001, &out), 1);
  ExpectPoint(out, 10, 0, 1e-9);
  // Collinear overlap gives nothing; so do segments whose lines cross outside them.
  P c0{5, 0}, c1{15, 0};
  EXPECT_EQ(PGSegmentsIntersect(&s0, &s1, nullptr, &c0, &c1, nullptr, 0.001, &out), 0);
  P d0{20, -5}, d1{20, 5};
  EXPECT_EQ(PGSegmentsIntersect(&s0, &s1, nullptr, &d0, &d1, nullptr, 0.001, &out), 0);
  // B's line passes the end of A beyond it: the end is not on the other segment.
  P e0{12, -1}, e1{12, 1};
  EXPECT_EQ(PGSegmentsIntersect(&s0, &s1, nullptr, &e0, &e1, nullptr, 0.001, &out), 0);
}

TEST(PolygonPointInPolygon, InsideOutsideBoundaryAndDegenerate) {
  ModeGuard guard;
  // A square, and a concave comb whose vertices sit exactly on the vertical through the points.
  auto sq = Square(0, 0, 10);
  std::vector<P> comb{{0, 0}, {6, 0}, {6, 6}, {4, 6}, {4, 2}, {2, 2}, {2, 6}, {0, 6}};
  const struct {
    const std::vector<P>* poly;
    P pt;
    int want;
  } rows[] = {{&sq, {5, 5}, 1},   {&sq, {15, 5}, 0},  {&sq, {5, 12}, 0},
              {&sq, {10, 5}, 2},  {&sq, {0, 0}, 2},   {&comb, {3, 4}, 0},
              {&comb, {1, 4}, 1}, {&comb, {3, 1}, 1}, {&comb, {4, 1}, 1}};
  for (const auto& r : rows) {
    EXPECT_EQ(PGPointInPolygon(&r.pt, r.poly->data(), static_cast<int>(r.poly->size()), 0.001),
              r.want)
        << r.pt.x << "," << r.pt.y;
  }
  P in{5, 5}, edge{10, 5};
  EXPECT_EQ(IsPointOnPolygon(&edge, sq.data(), 4, 0.001), 1);
  EXPECT_EQ(IsPointOnPolygon(&in, sq.data(), 4, 0.001), -1);
  EXPECT_EQ(PGPointInPolygon(&in, sq.data(), 0, 0.001), 0);

  // Every vertex on the point's vertical: -100 with the message, or silently in mode -8.
  std::vector<P> flat{{3, 0}, {3, 5}, {3.0005, 9}};
  P q{3, 2};
  {
    qeltest::MessageCapture boxes;
    SetPolygonWarnMode(0);
    EXPECT_EQ(PGPointInPolygon(&q, flat.data() + 1, 2, 0.001), -100);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text,
              "Error in polygon intersection:\n\nVertical degenerate polygon");
    EXPECT_EQ(GetPolygonWarnMode(), qel::geom::kWarnClose);
  }
  {
    qeltest::MessageCapture boxes;
    P far{3, 100};
    EXPECT_EQ(PGPointInPolygon_Warn(&far, flat.data(), 3, 0.001, qel::geom::kWarnSilent), -100);
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_EQ(GetPolygonWarnMode(), qel::geom::kWarnClose);  // the failure still shows
  }
}

TEST(PolygonHelpers, AreaWindingBoundsAndMerge) {
  auto sq = Square(0, 0, 2);
  EXPECT_DOUBLE_EQ(MeasureArea(sq.data(), 4), 4.0);  // counter-clockwise is positive
  double area = 0;
  EXPECT_EQ(IsClockWisePlygn(sq.data(), 4, &area), 1);
  EXPECT_DOUBLE_EQ(area, 4.0);
  ReversePlygnClockWise(sq.data(), 4);
  EXPECT_DOUBLE_EQ(MeasureArea(sq.data(), 4), -4.0);
  EXPECT_EQ(IsClockWisePlygn(sq.data(), 4, &area), 0);
  ExpectPoint(sq[0], 0, 2, 0);

  double x0, x1, y0, y1;
  std::vector<P> tri{{1, 5}, {-2, 3}, {4, -1}};
  GetBoundingXYRange(tri.data(), 3, &x0, &x1, &y0, &y1);
  EXPECT_EQ(x0, -2);
  EXPECT_EQ(x1, 4);
  EXPECT_EQ(y0, -1);
  EXPECT_EQ(y1, 5);

  // Boxes overlapping by no more than the tolerance count as apart.
  auto a = Square(0, 0, 10);
  auto apart = [&](std::vector<P> b) { return IsBoundingApart(a.data(), 4, b.data(), 4, 0.001); };
  EXPECT_EQ(apart(Square(10, 0, 10)), 1);  // touching
  EXPECT_EQ(apart(Square(9.9995, 3, 1)), 1);
  EXPECT_EQ(apart(Square(9.99, 3, 1)), 0);
  EXPECT_EQ(apart(Square(2, -10.0005, 10)), 1);

  // Points within 0.001 of their neighbours' line go; a triangle stays as it is.
  std::vector<P> poly{{0, 0}, {5, 0.0005}, {10, 0}, {10, 10}, {5, 10}, {0, 10}};
  int n = 6;
  MergePolyPts(poly.data(), &n);
  ASSERT_EQ(n, 4);
  EXPECT_EQ(poly[0].x, 0);
  ExpectPoint(poly[1], 10, 0, 0);
  EXPECT_EQ(poly[3].y, 10);
  std::vector<P> thin{{0, 0}, {5, 0.0001}, {10, 0}};
  n = 3;
  MergePolyPts(thin.data(), &n);
  EXPECT_EQ(n, 3);

  std::vector<P> dst(3);
  CopyPolygon(dst.data(), tri.data(), 3);
  EXPECT_EQ(dst[2].x, 4);
}

TEST(PolygonPool, RingsMatchesCutsAndAddPoint) {
  ModeGuard guard;
  ASSERT_TRUE(qel::geom::ResetPool(5));
  P p0{0, 0}, p1{1, 0}, p2{2, 0}, p3{3, 0};
  int a = InsertVertex(&p0, -1);
  int b = InsertVertex(&p1, a);
  int c = InsertVertex(&p2, b);
  int d = InsertVertex(&p3, a);  // between a and b
  ASSERT_EQ(a, 0);
  ASSERT_EQ(d, 3);
  int count = 0;
  const PolygonVertex* v = qel::geom::PoolRecords(&count);
  ASSERT_EQ(count, 4);
  // Ring a -> d -> b -> c -> a, with the raw record fields.
  EXPECT_EQ(v[a].next, d);
  EXPECT_EQ(v[d].next, b);
  EXPECT_EQ(v[b].next, c);
  EXPECT_EQ(v[c].next, a);
  EXPECT_EQ(v[a].prev, c);
  EXPECT_EQ(v[d].prev, a);
  EXPECT_EQ(v[d].match, -1);
  EXPECT_EQ(v[d].visits, 0);
  EXPECT_EQ(v[d].x, 3);

  // CutSharpTip: a single unmatched vertex between the two is the spike; j right after i is
  // unlinked (-1).
  EXPECT_EQ(CutSharpTip(a, b), d);  // a -> d -> b: d goes
  EXPECT_EQ(v[a].next, b);
  EXPECT_EQ(v[b].prev, a);
  EXPECT_EQ(CutSharpTip(b, c), -1);
  EXPECT_EQ(v[b].next, a);
  EXPECT_EQ(v[a].prev, b);

  // The pool is full after one more: -99 and the message (silent in mode -8).
  SetPolygonWarnMode(qel::geom::kWarnSilent);
  EXPECT_GE(InsertVertex(&p3, a), 0);
  {
    qeltest::MessageCapture boxes;
    EXPECT_EQ(InsertVertex(&p3, a), -99);
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_EQ(GetPolygonWarnMode(), qel::geom::kWarnClose);
    EXPECT_EQ(InsertVertex_Warn(&p3, a, 0), -99);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, "Error in polygon intersection:\nToo many vertices.");
  }

  // A degenerate cut: two vertices far apart in a longer ring.
  ASSERT_TRUE(qel::geom::ResetPool(8));
  int r = InsertVertex(&p0, -1), last = r;
  for (int k = 1; k < 6; ++k) {
    P pk{double(k), double(k * k)};
    last = InsertVertex(&pk, last);
  }
  {
    qeltest::MessageCapture boxes;
    EXPECT_EQ(CutSharpTip_Warn(0, 3, 0), -98);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text,
              "Error in polygon intersection:\nClipping a degenerate polygon.");
  }

  // AddPoint appends until the buffer is full and refuses a point closer than 0.001 to the last.
  ASSERT_TRUE(qel::geom::ResetPool(4, 2));
  P s0{0, 0}, s1{0.0005, 0.0005}, s2{1, 0}, s3{2, 0};
  int i0 = InsertVertex(&s0, -1), i1 = InsertVertex(&s1, i0), i2 = InsertVertex(&s2, i1);
  int i3 = InsertVertex(&s3, i2);
  std::vector<P> out(2);
  int n = 0;
  EXPECT_EQ(AddPoint(i0, out.data(), &n), 1);
  EXPECT_EQ(AddPoint_Warn(i1, out.data(), &n, qel::geom::kWarnSilent), -96);
  EXPECT_EQ(GetPolygonWarnMode(), qel::geom::kWarnClose);
  EXPECT_EQ(n, 1);
  EXPECT_EQ(AddPoint(i2, out.data(), &n), 1);
  EXPECT_EQ(AddPoint(i3, out.data(), &n), 0);  // full
  EXPECT_EQ(n, 2);
  EXPECT_EQ(out[1].x, 1);
  qel::geom::ReleasePool();
}

TEST(PolygonPool, WhichSideEdgePairAtConvexReflexAndStraightVertices) {
  // Blue ring clockwise (interior on the right), corner V = (0,0). Convex: (10,0) -> V -> (0,10)
  // turns right, interior x>0, y>0. Reflex: the same edges the other way, interior everything but
  // that quadrant. Straight: (-10,0) -> V -> (10,0), interior below.
  const P V{0, 0}, q0{10, 0}, q1{0, 10}, l{-10, 0};
  const struct {
    P pt, from, to;
    int want;
  } rows[] = {{{3, 3}, q0, q1, 1},  {{-3, 3}, q0, q1, -1}, {{3, -3}, q0, q1, -1},
              {{0, 5}, q0, q1, 0},  // runs along a blue edge
              {{-3, 3}, q1, q0, 1}, {{3, -3}, q1, q0, 1},  {{3, 3}, q1, q0, -1},
              {{1, -4}, l, q0, 1},  {{1, 4}, l, q0, -1}};
  for (const auto& r : rows) {
    EXPECT_EQ(WhichSideEdgePair(&r.pt, &r.from, &V, &r.to, 0.001), r.want)
        << r.pt.x << "," << r.pt.y << " from " << r.from.x << "," << r.from.y;
  }
}

// ---- The vertex-linking engine -----------------------------------------------------------------

Outcome Link(const std::vector<P>& a, const std::vector<P>& b) {
  return Take([&](IntPolygonsInfo* i, int* t, int* r, int* f) {
    bool failed = true;
    P* out =
        qel::geom::VertexLinkIntersect(a.empty() ? nullptr : a.data(), static_cast<int>(a.size()),
                                       b.data(), static_cast<int>(b.size()), i, t, r, &failed);
    *f = failed;
    return out;
  });
}

TEST(VertexLinkEngine, OverlapContainmentAndApart) {
  ModeGuard guard;
  SetPolygonWarnMode(0);
  // Two overlapping squares: a 5 x 5 common square.
  auto a = Square(0, 0, 10), b = Square(5, 5, 10);
  Outcome o = Link(a, b);
  ASSERT_TRUE(o.found);
  EXPECT_EQ(o.failed, 0);
  EXPECT_EQ(o.relation, 2);
  ASSERT_EQ(o.info.nPolygons, 1);
  EXPECT_EQ(o.info.nPoints[0], 4);
  EXPECT_EQ(o.info.iStart[0], 0);
  EXPECT_EQ(o.total, 4);
  EXPECT_NEAR(o.area, 25.0, 1e-9);
  for (const P& p : o.pts) {
    EXPECT_GE(p.x, 5 - 1e-9);
    EXPECT_LE(p.x, 10 + 1e-9);
  }
  EXPECT_EQ(GetPolygonWarnMode(), 0);  // success leaves the caller's mode alone

  // Nested: a copy of the inner polygon with relation 3 (A inside) or 4 (B inside).
  auto big = Square(0, 0, 10), small = Square(2, 3, 4);
  for (bool aInside : {true, false}) {
    o = aInside ? Link(small, big) : Link(big, small);
    ASSERT_TRUE(o.found);
    EXPECT_EQ(o.relation, aInside ? 3 : 4);
    ASSERT_EQ(o.total, 4);
    for (int i = 0; i < 4; ++i) {
      ExpectPoint(o.pts[i], small[i].x, small[i].y, 0);
    }
  }

  // Boxes overlapping by at most 0.001: nothing, at once, and no failure.
  o = Link(big, Square(9.9995, 2, 5));
  EXPECT_FALSE(o.found);
  EXPECT_EQ(o.failed, 0);
  EXPECT_EQ(o.relation, 0);
  EXPECT_EQ(o.total, 0);
  EXPECT_EQ(o.info.nPolygons, 0);

  // Overlapping boxes but disjoint polygons (an L and a square in its notch).
  o = Link({{0, 0}, {10, 0}, {10, 2}, {2, 2}, {2, 10}, {0, 10}}, Square(4, 4, 5));
  EXPECT_FALSE(o.found);
  EXPECT_EQ(o.failed, 0);
  EXPECT_EQ(o.relation, 0);
}

TEST(VertexLinkEngine, FailuresAreReportedAndSilentWhenAsked) {
  ModeGuard guard;
  // More vertices than the pool holds: failure, no message box inside the engine (it runs silent),
  // and the mode reads -10 afterwards.
  std::vector<P> many;
  for (int i = 0; i < 1200; ++i) {
    double t = 2 * M_PI * i / 1200;
    many.push_back({10 * std::cos(t), 10 * std::sin(t)});
  }
  auto sq = Square(-5, -5, 10), bad = Square(0, 0, 1);
  bad[2].x = NAN;
  qeltest::MessageCapture boxes;
  SetPolygonWarnMode(0);
  Outcome o = Link(many, sq);
  EXPECT_FALSE(o.found);
  EXPECT_EQ(o.failed, 1);
  EXPECT_EQ(GetPolygonWarnMode(), qel::geom::kWarnClose);
  EXPECT_TRUE(boxes.boxes().empty());
  // Non-finite coordinates fail cleanly; a null input is no intersection rather than a crash.
  o = Link(bad, sq);
  EXPECT_FALSE(o.found);
  EXPECT_EQ(o.failed, 1);
  IntPolygonsInfo info;
  int total = 0, relation = 0;
  bool failed = true;
  EXPECT_EQ(
      qel::geom::VertexLinkIntersect(nullptr, 4, sq.data(), 4, &info, &total, &relation, &failed),
      nullptr);
  EXPECT_FALSE(failed);
}

}  // namespace
