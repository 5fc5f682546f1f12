// The clipping and tessellation engines, PolygonsIntersect's choice and fall-back, and the label,
// intercept and winding helpers.
#include "geom/polygon_booleans.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "geom/polygon_lib.h"
#include "geom_test_util.h"
#include "test_support.h"

namespace {

using namespace geomtest;

double ListArea(const PolygonList& l) {
  double sum = 0;
  for (const auto& p : l) sum += MeasureArea(p.data(), static_cast<int>(p.size()));
  return sum;
}

// A comb of twelve teeth and a bar across them: twelve pieces, more than any engine returns.
std::vector<P> Comb() {
  std::vector<P> comb{{0, 0}, {24, 0}};
  for (int k = 11; k >= 0; --k) {
    comb.push_back({2.0 * k + 1.5, 5});
    comb.push_back({2.0 * k + 1.5, 10});
    comb.push_back({2.0 * k + 0.5, 10});
    comb.push_back({2.0 * k + 0.5, 5});
  }
  return comb;
}
const std::vector<P> kCombBar{{-1, 6}, {25, 6}, {25, 8}, {-1, 8}};

Outcome Clip(const std::vector<P>& a, const std::vector<P>& b) {
  return Take([&](IntPolygonsInfo* i, int* t, int* r, int* f) {
    return PolygonsIntersectClipper_Error(a.data(), static_cast<int>(a.size()), b.data(),
                                          static_cast<int>(b.size()), i, t, r, f);
  });
}

TEST(ClipperEngine, IdenticalNestedTouchingAndDisjoint) {
  auto a = Square(0, 0, 10), nan = a;
  nan[1].y = NAN;
  const std::vector<P> nearA{{10.0004, 0}, {10, 10}, {0, 10.0004}, {0, 0}};
  // -1 marks a value the row does not check.
  const struct {
    const char* what;
    std::vector<P> a, b;
    bool found;
    int relation, failed, nPolygons, total;
    double area;
  } rows[] = {
      {"identical", a, a, true, 5, 0, 1, 4, 100},
      {"same square, other start, off by < 0.001", a, nearA, true, 5, 0, -1, -1, -1},
      {"A inside B", Square(2, 2, 3), a, true, 3, 0, -1, -1, 9},
      {"B inside A", a, Square(2, 2, 3), true, 4, 0, -1, -1, -1},
      {"overlap", a, Square(5, -5, 10), true, 2, 0, -1, -1, 25},
      {"one shared edge", a, Square(10, 3, 4), false, 1, 0, -1, 0, -1},
      {"vertex 0.0009 off the edge", a, {{10.0009, 5}, {14, 2}, {14, 8}}, false, 1, 0, -1, -1, -1},
      {"apart", a, {{10.002, 5}, {14, 2}, {14, 8}}, false, 0, 0, -1, -1, -1},
      // Beyond the integer range or not numbers: a failure, never a crash.
      {"huge", a, Square(1e15, 0, 10), false, -1, 1, -1, -1, -1},
      {"nan", nan, a, false, -1, 1, -1, -1, -1},
      // One result polygon per tooth, capped at ten.
      {"comb", Comb(), kCombBar, true, 2, 0, 10, 40, 20},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    Outcome o = Clip(row.a, row.b);
    EXPECT_EQ(o.found, row.found);
    EXPECT_EQ(o.failed, row.failed);
    if (row.relation >= 0) {
      EXPECT_EQ(o.relation, row.relation);
    }
    if (row.nPolygons >= 0) {
      EXPECT_EQ(o.info.nPolygons, row.nPolygons);
    }
    if (row.total >= 0) {
      EXPECT_EQ(o.total, row.total);
    }
    if (row.area >= 0) {
      EXPECT_NEAR(o.area, row.area, 1e-9);
    }
  }
  // The plain entry point is the same engine without the failure flag.
  auto b = Square(5, -5, 10);
  IntPolygonsInfo info;
  int total = 0, relation = 0;
  P* r = PolygonsIntersectClipper(a.data(), 4, b.data(), 4, &info, &total, &relation);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(relation, 2);
  EXPECT_NEAR(ResultArea(r, info), 25, 1e-9);
  std::free(r);
}

TEST(ClipperEngine, ListOperations) {
  PolygonList a{Square(0, 0, 10)}, b{Square(5, 0, 10)}, out{{{1, 1}}};
  ASSERT_TRUE(ClipperOpIntersect(a, b, out));
  ASSERT_EQ(out.size(), 1u);
  EXPECT_NEAR(std::fabs(ListArea(out)), 50, 1e-9);
  ASSERT_TRUE(ClipperOpUnion(a, b, out));
  ASSERT_EQ(out.size(), 1u);
  EXPECT_NEAR(std::fabs(ListArea(out)), 150, 1e-9);
  ASSERT_TRUE(ClipperOpDifference(a, b, out));
  EXPECT_NEAR(std::fabs(ListArea(out)), 50, 1e-9);
  for (const auto& p : out.front()) EXPECT_LE(p.x, 5 + 1e-9);
  // A hole: the difference of a square and a smaller one inside it keeps both rings.
  PolygonList inner{Square(2, 2, 2)};
  ASSERT_TRUE(ClipperOpDifference(a, inner, out));
  EXPECT_EQ(out.size(), 2u);
  EXPECT_NEAR(std::fabs(ListArea(out)), 96, 1e-9);
  // Non-zero fill: two overlapping subject squares count as one area.
  PolygonList both{Square(0, 0, 10), Square(5, 0, 10)}, clip{Square(-100, -100, 300)};
  ASSERT_TRUE(ClipperOpIntersect(both, clip, out));
  EXPECT_NEAR(std::fabs(ListArea(out)), 150, 1e-9);
  // An empty result is false and leaves the list empty; so does bad input.
  PolygonList far{Square(50, 50, 1)};
  EXPECT_FALSE(ClipperOpIntersect(a, far, out));
  EXPECT_TRUE(out.empty());
  PolygonList bad{{{0, 0}, {NAN, 1}, {1, 1}}};
  EXPECT_FALSE(ClipperOpUnion(bad, a, out));
  EXPECT_TRUE(out.empty());
}

// Exposes the outline rebuilding for direct tests.
class PolyGeomProbe : public CPolyGeom {
 public:
  using CPolyGeom::BuildPolygons;
  using CPolyGeom::Connections;
  using CPolyGeom::FindPathToStart;
  using CPolyGeom::TessBeginData;
  using CPolyGeom::TessEndData;
};

TEST(TessellationEngine, IntersectionsAreasAndOutlineRebuilding) {
  std::vector<P> a = Square(0, 0, 10), b = Square(5, 5, 10);
  EXPECT_DOUBLE_EQ(CPolyGeom::GetPolygonArea(a.data(), 4), 200.0);  // twice the area
  std::vector<_POINT3D> a3{{0, 0, 7}, {10, 0, 7}, {10, 10, 7}, {0, 10, 7}};
  EXPECT_DOUBLE_EQ(CPolyGeom::Get2DPolygonArea(a3.data(), 4), 200.0);

  CPolyGeom geom;
  PolygonList out;
  ASSERT_TRUE(geom.IntersectPolygons(a, b, out));
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out.front().size(), 4u);
  EXPECT_NEAR(std::fabs(ListArea(out)), 25, 1e-9);
  EXPECT_EQ(geom.Triangles().size() % 3, 0u);
  EXPECT_GE(geom.Triangles().size(), 6u);

  // Disjoint: no outline.
  auto far = Square(30, 30, 2);
  ASSERT_TRUE(geom.IntersectPolygons(a, far, out));
  EXPECT_TRUE(out.empty());

  // Point-array forms: relations as the clipper's; ten or more outlines give null.
  std::vector<P> small = Square(2, 2, 3);
  std::vector<P> u{{0, 0}, {9, 0}, {9, 9}, {6, 9}, {6, 3}, {3, 3}, {3, 9}, {0, 9}};
  std::vector<P> bar{{-1, 5}, {10, 5}, {10, 7}, {-1, 7}};
  auto glu = [](const std::vector<P>& x, const std::vector<P>& y) {
    return Take([&](IntPolygonsInfo* i, int* t, int* r, int*) {
      return PolygonsIntersectGLU(x.data(), static_cast<int>(x.size()), y.data(),
                                  static_cast<int>(y.size()), i, t, r);
    });
  };
  auto form = [](auto fn, const std::vector<P>& x, const std::vector<P>& y) {
    return Take([&](IntPolygonsInfo* i, int* t, int*, int*) {
      return fn(x.data(), static_cast<int>(x.size()), y.data(), static_cast<int>(y.size()), i, t);
    });
  };
  Outcome o = glu(small, a);
  ASSERT_TRUE(o.found);
  EXPECT_EQ(o.relation, 3);
  EXPECT_NEAR(o.area, 9, 1e-9);
  o = form(PolygonsIntersect3, a, small);
  ASSERT_TRUE(o.found);
  EXPECT_NEAR(o.area, 9, 1e-9);
  o = glu(u, bar);  // a concave U and a bar: two outlines
  ASSERT_TRUE(o.found);
  EXPECT_EQ(o.info.nPolygons, 2);
  EXPECT_EQ(o.relation, 2);
  EXPECT_NEAR(o.area, 12, 1e-6);  // the tessellator computes crossing points to about 1e-8
  o = form(PolygonsIntersect4, Comb(), kCombBar);
  EXPECT_FALSE(o.found);
  EXPECT_EQ(o.total, 0);

  // A tip of B touching A's edge makes the tessellator emit a zero-area triangle; then every edge
  // of the other triangles becomes a connection and the walk must still find the outline.
  std::vector<P> withMid{{0, 0}, {5, 0}, {10, 0}, {10, 10}, {0, 10}};
  std::vector<P> arrow{{5, 0}, {15, 0}, {10, 5}, {15, 10}, {5, 10}};
  CPolyGeom deg;
  ASSERT_TRUE(deg.IntersectPolygons(withMid, arrow, out));
  EXPECT_GE(deg.DegenerateTriangleCount(), 1u);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_NEAR(std::fabs(CPolyGeom::GetPolygonArea(out.front().data(), out.front().size())), 100,
              1e-9);
  for (const auto& p : out.front()) {
    EXPECT_GE(p.x, 5 - 1e-9);
    EXPECT_LE(p.x, 10 + 1e-9);
  }
  std::vector<P> sideMids{{0, 0}, {10, 0}, {10, 5}, {10, 10}, {5, 10}, {0, 10}, {0, 5}};
  ASSERT_TRUE(deg.IntersectPolygons(withMid, sideMids, out));
  EXPECT_GE(deg.DegenerateTriangleCount(), 1u);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out.front().size(), 7u);  // every vertex of both on the common square's outline
  EXPECT_NEAR(std::fabs(CPolyGeom::GetPolygonArea(out.front().data(), 7)), 200, 1e-9);

  // Outline rebuilding from a hand-made connection map: two squares meeting at vertex 2 form a
  // figure eight; the walk through the four-way vertex closes both loops.
  std::vector<_POINT3D> pts{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                            {2, 1, 0}, {2, 2, 0}, {1, 2, 0}};
  PolyGeomProbe probe;
  PolyGeomProbe::Connections c;
  auto link = [&](size_t i, size_t j) {
    double ang = std::atan2(pts[j].y - pts[i].y, pts[j].x - pts[i].x) * 180 / M_PI;
    if (ang < 0) ang += 360;
    c[i][ang] = {j, 1};
    ang = std::atan2(pts[i].y - pts[j].y, pts[i].x - pts[j].x) * 180 / M_PI;
    if (ang < 0) ang += 360;
    c[j][ang] = {i, 1};
  };
  link(0, 1), link(1, 2), link(2, 3), link(3, 0);
  link(2, 4), link(4, 5), link(5, 6), link(6, 2);
  std::vector<std::vector<_POINT3D>> outlines;
  probe.BuildPolygons(c, pts, outlines);
  ASSERT_GE(outlines.size(), 1u);
  double sum = 0;
  for (const auto& o : outlines) sum += std::fabs(CPolyGeom::Get2DPolygonArea(o.data(), o.size()));
  EXPECT_NEAR(sum, 4.0, 1e-12);  // both unit squares, twice the area each
  std::set<size_t> visited;
  PolyGeomProbe::Connections none;
  EXPECT_EQ(probe.FindPathToStart(none, 0, 1, 0, visited, 0), -1);
  EXPECT_EQ(probe.FindPathToStart(none, 0, 1, 0, visited, 51), -1);

  // A primitive the tessellator should never emit is reported as debug output, not as a box.
  qeltest::MessageCapture boxes;
  probe.TessBeginData(0x0001);  // lines
  probe.TessEndData();
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].text, "Unsupported tesselation geometry type: 0x1");
  EXPECT_EQ(boxes.boxes()[0].style, qel::kDebugOutputStyle);
}

TEST(PolygonsIntersectChoice, MethodFallBackAndFailureReport) {
  qel::geom::SetPolygonIntMethod(0);
  IntPolygonsInfo info;
  int total = 0, relation = 0;
  auto a = Square(0, 0, 10);
  // Method 0: the clipping engine answers, so identical squares are recognised (5).
  P* r = PolygonsIntersect(a.data(), 4, a.data(), 4, &info, &total, &relation);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(relation, 5);
  std::free(r);

  // Both engines fail on a coordinate that is not a number: the report lists both polygons and
  // the main window is asked to close.
  auto bad = Square(1, 1, 2);
  bad[0].x = NAN;
  int closes = 0;
  auto prevClose = qel::SetCloseHook([&] { ++closes; });
  {
    qeltest::MessageCapture boxes;
    SetPolygonWarnMode(0);
    r = PolygonsIntersect(bad.data(), 4, a.data(), 4, &info, &total, &relation);
    EXPECT_EQ(r, nullptr);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].caption, "Polygon Intersection Error!");
    const std::string& t = boxes.boxes()[0].text;
    EXPECT_EQ(t.rfind("Polygon intersection algorithm failed for the following input polygons: \n"
                      " \n Polygon A Coords (in, in): (       nan,   1.000000) ",
                      0),
              0u)
        << t;
    EXPECT_NE(t.find(" \n Polygon B Coords (in, in): (  0.000000,   0.000000) ( 10.000000,   "
                     "0.000000) "),
              std::string::npos)
        << t;
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(GetPolygonWarnMode(), qel::geom::kWarnClose);
  }
  // Silent mode: no box and no close request, the result still null, and _Warn says -97.
  {
    qeltest::MessageCapture boxes;
    P* res = reinterpret_cast<P*>(&info);
    EXPECT_EQ(PolygonsIntersect_Warn(bad.data(), 4, a.data(), 4, &info, &total, &relation, &res,
                                     qel::geom::kWarnSilent),
              -97);
    EXPECT_EQ(res, nullptr);
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_EQ(closes, 1);
    // Disjoint polygons are no failure.
    auto far = Square(50, 50, 1);
    EXPECT_EQ(PolygonsIntersect_Warn(far.data(), 4, a.data(), 4, &info, &total, &relation, &res,
                                     qel::geom::kWarnSilent),
              0);
    EXPECT_EQ(res, nullptr);
    EXPECT_EQ(relation, 0);
  }
  qel::SetCloseHook(prevClose);
  SetPolygonWarnMode(qel::geom::kWarnClose);
}

TEST(PolygonsIntersectChoice, MethodOneRunsTheVertexLinkingEngineFirst) {
  auto a = Square(0, 0, 10);
  IntPolygonsInfo info;
  int total = 0, relation = -1;
  qel::geom::SetPolygonIntMethod(1);
  // Identical squares: the vertex-linking engine finds no crossing and no containment (0), where
  // the clipping engine would say 5.
  std::free(PolygonsIntersect(a.data(), 4, a.data(), 4, &info, &total, &relation));
  EXPECT_EQ(relation, 0);
  // Too many vertices for the pool: the vertex-linking engine fails and the clipper answers,
  // silently, and its success gives the warning mode back.
  std::vector<P> many;
  for (int i = 0; i < 1200; ++i) {
    double t = -2 * M_PI * i / 1200;
    many.push_back({5 + 8 * std::cos(t), 5 + 8 * std::sin(t)});
  }
  {
    qeltest::MessageCapture boxes;
    SetPolygonWarnMode(0);
    P* r = PolygonsIntersect(many.data(), 1200, a.data(), 4, &info, &total, &relation);
    EXPECT_NE(r, nullptr);
    EXPECT_EQ(relation, 4);  // the square lies inside
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_NE(GetPolygonWarnMode(), qel::geom::kWarnClose);
    std::free(r);
  }
  SetPolygonWarnMode(qel::geom::kWarnClose);
  qel::geom::ResetPolygonIntMethod();
}

TEST(PolygonsIntersectChoice, TheSettingsFileChoosesUntilAMethodIsSet) {
  qeltest::SettingsFolders folders;
  folders.Write("[TESTING]\nPolygonIntMethod=1\n");
  qel::geom::ResetPolygonIntMethod();
  EXPECT_EQ(qel::geom::PolygonIntMethod(), 1);
  folders.Write("[TESTING]\nOther=1\n");
  EXPECT_EQ(qel::geom::PolygonIntMethod(), 1) << "read once";
  qel::geom::ResetPolygonIntMethod();
  EXPECT_EQ(qel::geom::PolygonIntMethod(), 0) << "a missing key means method 0";
  qel::geom::SetPolygonIntMethod(1);
  EXPECT_EQ(qel::geom::PolygonIntMethod(), 1);
  qel::geom::ResetPolygonIntMethod();
}

TEST(PolygonHelpersOnLists, InterceptsLabelPointsAndWindings) {
  auto sq = Square(0, 0, 10), closed = sq;
  closed.push_back(sq[0]);
  // Through a corner the two edges meeting there give one point, with or without a repeated
  // closing point; along an edge, the overlap's ends.
  const struct {
    _LINE2D l;
    const std::vector<P>* poly;
    int count;
    double x0, x1, y1;  // x1, y1 only with two points
  } rows[] = {{{{-5, 4}, {15, 4}}, &sq, 2, 0, 10, 4},
              {{{-1, -1}, {5, 5}}, &sq, 1, 0, 0, 0},
              {{{-1, -1}, {5, 5}}, &closed, 1, 0, 0, 0},
              {{{2, 0}, {20, 0}}, &sq, 2, 2, 10, 0},
              {{{20, 20}, {30, 30}}, &sq, 0, 0, 0, 0}};
  for (const auto& r : rows) {
    SCOPED_TRACE(::testing::Message()
                 << r.l.start.x << "," << r.l.start.y << " n=" << r.poly->size());
    int count = -1;
    P* x = GetLineInterceptsWithPolygon(&r.l, r.poly->data(), static_cast<int>(r.poly->size()),
                                        &count);
    ASSERT_EQ(count, r.count);
    ASSERT_EQ(x == nullptr, r.count == 0);
    if (r.count > 0) {
      EXPECT_NEAR(x[0].x, r.x0, 1e-9);
    }
    if (r.count == 2) ExpectPoint(x[1], r.x1, r.y1);
    std::free(x);
  }

  // A U whose centroid line crosses both arms: the left arm's crossing comes first and no later
  // interval (the right arm, or the base on the lower scan line) is more than twice as long.
  std::vector<P> u{{0, 0}, {9, 0}, {9, 9}, {5, 9}, {5, 2}, {4, 2}, {4, 9}, {0, 9}};
  P label = GetLabelPointInPolygon(u, {});
  ExpectPoint(label, 2, 326.0 / 74.0);  // the centroid's y
  // A much wider right arm wins on the same scan line.
  std::vector<P> wide{{0, 0}, {20, 0}, {20, 9}, {4, 9}, {4, 3}, {3, 3}, {3, 9}, {0, 9}};
  label = GetLabelPointInPolygon(wide, {});
  ExpectPoint(label, 12, 774.0 / 174.0);
  // A hole across the centroid line: the strip beside it comes first, then the full-width scan
  // line below the hole is more than twice as long and wins.
  PolygonList holes{Square(3, 3, 4)};
  label = GetLabelPointInPolygon(Square(0, 0, 10), holes);
  ExpectPoint(label, 5, 2.5);
  label = GetLabelPointInPolygon({{1, 1}, {2, 2}}, {});
  ExpectPoint(label, 0, 0, 0);

  // Windings: clockwise polygons are turned round, the others left alone.
  PolygonList l{Square(0, 0, 1), {{0, 0}, {0, 1}, {1, 1}, {1, 0}}};
  FixPolyWindings(l);
  for (const auto& p : l) EXPECT_GT(MeasureArea(p.data(), 4), 0);
  EXPECT_EQ(l.back()[0].x, 1);   // reversed
  EXPECT_EQ(l.front()[1].x, 1);  // untouched
}

}  // namespace
