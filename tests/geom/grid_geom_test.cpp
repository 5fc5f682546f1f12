// Plan geometry of grid systems, against coordinates worked out by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "geom/grid_sys.h"
#include "geom/primitives.h"
#include "geom_test_util.h"

namespace {

constexpr double kEps = 1e-9;

CGrid G(const char* label, double loc) { return CGrid(0, label, loc, 0, 0, 0, 0, 1, 1, 0); }
CGrid G(const char* label, double loc, int hasMin, double mn, int hasMax, double mx) {
  return CGrid(0, label, loc, mn, mx, hasMin, hasMax, 1, 1, 0);
}

void AddX(CGridSys& s, CGrid g) { s.m_aXGrids.Add(g); }
void AddY(CGridSys& s, CGrid g) { s.m_aYGrids.Add(g); }

void ExpectPt(const _POINT2D& p, double x, double y) { geomtest::ExpectPoint(p, x, y, 1e-6); }

// The four arrays GetGridLines fills.
struct Drawn {
  CArray<_LINE2D, _LINE2D&> lines;
  CStringArray labels;
  CArray<_ARC2D, _ARC2D&> arcs;
  CStringArray arcLabels;
  int Get(CGridSys& s, int clear) { return s.GetGridLines(lines, labels, arcs, arcLabels, clear); }
};

// Origin (100, 50); X grids A at 0 (own minimum -5) and B at 10; Y grids 1 at 0 and 2 at 20.
CGridSys Ortho(double angle) {
  CGridSys s(1, "Ortho", GRID_SYS_ORTHOGONAL, 100, 50, angle, 0);
  AddX(s, G("A", 0, 1, -5, 0, 0));
  AddX(s, G("B", 10));
  AddY(s, G("1", 0));
  AddY(s, G("2", 20));
  return s;
}

// Centre (10, 20), rotated 30 degrees; rays at 0, 60 and 135 degrees; circle r = 10 over the
// rays' span, circle r = 20 over 0..90 degrees.
CGridSys Radial() {
  CGridSys s(2, "Radial", GRID_SYS_RADIAL, 10, 20, 30, 0);
  AddX(s, G("R0", 0));
  AddX(s, G("R60", 60));
  AddX(s, G("R135", 135));
  AddY(s, G("C10", 10));
  AddY(s, G("C20", 20, 1, 0, 1, 90));
  return s;
}

TEST(GridGeom, OrthogonalLinesArePlacedAndRotated) {
  CGridSys s = Ortho(0);
  Drawn d;
  ASSERT_EQ(d.Get(s, 1), 4);
  ASSERT_EQ(d.lines.GetSize(), 4);
  EXPECT_EQ(d.arcs.GetSize(), 0);
  EXPECT_EQ(CString(d.labels[0]), "A");
  EXPECT_EQ(CString(d.labels[3]), "2");
  // A uses its own minimum -5 and runs to the last Y grid.
  ExpectPt(d.lines[0].start, 100, 45);
  ExpectPt(d.lines[0].end, 100, 70);
  ExpectPt(d.lines[1].start, 110, 50);
  ExpectPt(d.lines[1].end, 110, 70);
  // Y lines run from the first to the last X grid.
  ExpectPt(d.lines[3].start, 100, 70);
  ExpectPt(d.lines[3].end, 110, 70);
  EXPECT_EQ(s.IsGridXMM(0), 1);
  EXPECT_EQ(s.IsGridXMM(1), 0);
  // Without clearing, a second query appends.
  EXPECT_EQ(d.Get(s, 0), 4);
  EXPECT_EQ(d.lines.GetSize(), 8);

  // Rotated by 90 degrees: X grid B at 10 lies on the plan line y = 50 + 10, from the first Y
  // grid (x = 100) to the last (x = 100 - 20).
  CGridSys r = Ortho(90);
  ASSERT_EQ(d.Get(r, 1), 4);
  ExpectPt(d.lines[1].start, 100, 60);
  ExpectPt(d.lines[1].end, 80, 60);
  // -90 is the same direction as 270.
  CGridSys n = Ortho(-90);
  _POINT2D p;
  ASSERT_EQ(n.GetGridPoint(1, 0, &p), 1);
  ExpectPt(p, 100, 40);
  double angle = 0;
  ASSERT_EQ(n.GetGridPointAngle(1, 1, &angle), 1);
  EXPECT_EQ(angle, -90);

  // With no Y grids only grids with both own extents give a line.
  CGridSys lone(3, "L", GRID_SYS_ORTHOGONAL, 0, 0, 0, 0);
  AddX(lone, G("P", 1, 1, 0, 0, 0));
  AddX(lone, G("Q", 2, 1, -1, 1, 4));
  ASSERT_EQ(d.Get(lone, 1), 1);
  EXPECT_EQ(CString(d.labels[0]), "Q");
  ExpectPt(d.lines[0].start, 2, -1);
  ExpectPt(d.lines[0].end, 2, 4);
}

TEST(GridGeom, RadialLinesArcsAndPointsMatchHandComputedCoordinates) {
  CGridSys s = Radial();
  _POINT2D p;
  // 135 + 30 = 165 degrees: (10 cos 165, 10 sin 165) = (-9.659258, 2.588190).
  ASSERT_EQ(s.GetGridPoint(2, 0, &p), 1);
  ExpectPt(p, 10 - 9.6592582629, 20 + 2.5881904510);
  // 0 + 30 degrees at radius 20.
  ASSERT_EQ(s.GetGridPoint(0, 1, &p), 1);
  ExpectPt(p, 10 + 17.3205080757, 30);
  // The ray at 135 lies outside the 0..90 span of the second circle.
  EXPECT_EQ(s.GetGridPoint(2, 1, &p), 0);
  EXPECT_EQ(s.IsRadialGridBetweenMinMax(2, 1), 0);
  EXPECT_EQ(s.IsRadialGridBetweenMinMax(1, 1), 1);
  double angle = 0;
  ASSERT_EQ(s.GetGridPointAngle(1, 0, &angle), 1);
  EXPECT_EQ(angle, 90);

  Drawn d;
  ASSERT_EQ(d.Get(s, 1), 5);
  ASSERT_EQ(d.lines.GetSize(), 3);
  ASSERT_EQ(d.arcs.GetSize(), 2);
  // The ray at 60 runs from the first circle's radius to the last one's, pointing up in plan.
  ExpectPt(d.lines[1].start, 10, 30);
  ExpectPt(d.lines[1].end, 10, 40);
  geomtest::ExpectPoint(d.arcs[0].centre, 10, 20, 0);
  EXPECT_EQ(d.arcs[0].radius, 10);
  EXPECT_EQ(d.arcs[0].startAngle, 30);
  EXPECT_EQ(d.arcs[0].endAngle, 165);
  EXPECT_EQ(d.arcs[1].endAngle, 120);
  EXPECT_EQ(CString(d.arcLabels[1]), "C20");

  // A circle spanning more than a whole turn accepts every ray.
  s.m_aYGrids[1].m_dMinExtent = -10;
  s.m_aYGrids[1].m_dMaxExtent = 400;
  EXPECT_EQ(s.GetGridPoint(2, 1, &p), 1);

  // Bad input answers 0; the index form of the span test checks its indices by throwing.
  EXPECT_EQ(s.GetGridPoint(3, 0, &p), 0);
  EXPECT_EQ(s.GetGridPoint(0, -1, &p), 0);
  EXPECT_EQ(s.GetGridPoint(0, 0, nullptr), 0);
  EXPECT_EQ(s.GetGridPointAngle(0, 2, &angle), 0);
  EXPECT_THROW(s.IsRadialGridBetweenMinMax(5, 0), std::out_of_range);
}

TEST(GridGeom, OwnExtentMarginAndTypeOne) {
  CGridSys s(1, "M", GRID_SYS_ORTHOGONAL, 0, 0, 0, 0);
  AddX(s, G("A", 0, 1, 0, 1, 10));
  AddY(s, G("1", 10.004));
  AddY(s, G("2", 10.006));
  AddY(s, G("3", -0.004));
  AddY(s, G("4", -0.006));
  _POINT2D p;
  EXPECT_EQ(s.GetGridPoint(0, 0, &p), 1);
  EXPECT_EQ(s.GetGridPoint(0, 1, &p), 0);
  EXPECT_EQ(s.GetGridPoint(0, 2, &p), 1);
  EXPECT_EQ(s.GetGridPoint(0, 3, &p), 0);
  // The Y family's extents limit the pair too.
  s.m_aYGrids[0].m_bHasMinExtent = 1;
  s.m_aYGrids[0].m_dMinExtent = 0.006;
  EXPECT_EQ(s.GetGridPoint(0, 0, &p), 0);
  // Radial rays honour their radial extents with the same margin.
  CGridSys r(2, "R", GRID_SYS_RADIAL, 0, 0, 0, 0);
  AddX(r, G("R", 0, 1, 5, 0, 0));
  AddY(r, G("a", 4.996));
  AddY(r, G("b", 4.994));
  EXPECT_EQ(r.GetGridPoint(0, 0, &p), 1);
  EXPECT_EQ(r.GetGridPoint(0, 1, &p), 0);

  // Type 1 has no geometry at all.
  CGridSys t = Ortho(0);
  t.m_eType = GRID_SYS_RESERVED;
  Drawn d;
  EXPECT_EQ(d.Get(t, 1), 0);
  EXPECT_EQ(t.GetGridPoint(0, 0, &p), 0);
  double angle;
  EXPECT_EQ(t.GetGridPointAngle(0, 0, &angle), 0);
  _POINT2D lo{-1, -1}, hi{-2, -2};
  EXPECT_EQ(t.GetMinMax(&lo, &hi), 0);
  EXPECT_EQ(lo.x, -1);
  EXPECT_EQ(hi.y, -2);
  t.m_bIncludeAll = 1;
  EXPECT_EQ(t.GetGridLinesEx(), 0);
}

TEST(GridGeom, FencesAndIndexPairs) {
  CGridSys s = Ortho(0);  // points (100|110, 50|70)
  _RECT2D fence{99, 49, 12, 2};
  EXPECT_EQ(s.IsGridPointInFence(0, 0, fence), 1);
  EXPECT_EQ(s.IsGridPointInFence(1, 0, fence), 1);
  EXPECT_EQ(s.IsGridPointInFence(0, 1, fence), 0);
  // Negative sizes are normalised; the boundary counts.
  _RECT2D flipped{110, 70, -10, -20};
  CArray<CPoint, CPoint const&> pairs;
  EXPECT_EQ(s.GetGridPointsInFence(flipped, pairs), 4);
  _RECT2D edge{110, 70, 5, 5};
  EXPECT_EQ(s.IsGridPointInFence(1, 1, edge), 1);
  EXPECT_EQ(s.IsGridPointInFence(5, 1, edge), 0);

  // CRect: (left, top, right - left, bottom - top).
  pairs.RemoveAll();
  EXPECT_EQ(s.GetGridPointsInFence(CRect(105, 40, 115, 80), pairs), 2);
  ASSERT_EQ(pairs.GetSize(), 2);
  EXPECT_EQ(pairs[0], CPoint(1, 0));
  EXPECT_EQ(pairs[1], CPoint(1, 1));
  EXPECT_EQ(s.IsGridPointInFence(0, 0, CRect(100, 50, 100, 50)), 1);

  // The same geometry with the X grids in the other order gives other index pairs.
  CGridSys swapped(1, "S", GRID_SYS_ORTHOGONAL, 100, 50, 0, 0);
  AddX(swapped, G("B", 10));
  AddX(swapped, G("A", 0, 1, -5, 0, 0));
  AddY(swapped, G("1", 0));
  AddY(swapped, G("2", 20));
  pairs.RemoveAll();
  EXPECT_EQ(swapped.GetGridPointsInFence(CRect(105, 40, 115, 80), pairs), 2);
  EXPECT_EQ(pairs[0], CPoint(0, 0));
}

TEST(GridGeom, ExtentsAndLabelsAtAPoint) {
  CGridSys s = Ortho(0);
  _POINT2D lo, hi;
  ASSERT_EQ(s.GetMinMax(&lo, &hi), 1);
  // Grid points span (100..110, 50..70); A's own minimum reaches down to y = 45.
  ExpectPt(lo, 100, 45);
  ExpectPt(hi, 110, 70);

  // Radial: points at radius 10 over 30..165 degrees and at radius 20 over 30..120 (only the
  // rays at 0 and 60 meet it), plus the arc ends of the circle with own extents (30 and 120).
  CGridSys r = Radial();
  ASSERT_EQ(r.GetMinMax(&lo, &hi), 1);
  double c120 = std::cos(120 * M_PI / 180);
  double c165 = std::cos(165 * M_PI / 180);
  EXPECT_NEAR(lo.x, 10 + std::fmin(20 * c120, 10 * c165), 1e-9);
  EXPECT_NEAR(hi.x, 10 + 20 * std::cos(30 * M_PI / 180), 1e-9);
  EXPECT_NEAR(lo.y, 20 + 10 * std::sin(165 * M_PI / 180), 1e-9);
  EXPECT_NEAR(hi.y, 40, 1e-9);  // the ray at 60 meets the outer circle straight up in plan

  // Labels: the first pair within tol of the point.
  CString xl, yl, name;
  _POINT2D at{110.0004, 69.9996};
  EXPECT_EQ(s.GetGridLabelFromPoint(&at, xl, yl, name, 0.001), 1);
  EXPECT_EQ(xl, "B");
  EXPECT_EQ(yl, "2");
  EXPECT_EQ(name, "Ortho");
  _POINT2D away{105.5, 60.25};
  EXPECT_EQ(s.GetGridLabelFromPoint(&away, xl, yl, name, 0.001), 0);
  EXPECT_EQ(xl, "105.500000");
  EXPECT_EQ(yl, "60.250000");
  // The tolerance is strict.
  _POINT2D edge{110.001, 70};
  EXPECT_EQ(s.GetGridLabelFromPoint(&edge, xl, yl, name, 0.001), 0);
}

TEST(GridGeom, NearestLines) {
  CArray<_LINE2D, _LINE2D&> lines;
  _LINE2D zero{{5, 5}, {5, 5}};
  _LINE2D a{{0, 0}, {10, 0}};
  _LINE2D b{{0, 4}, {10, 4}};
  lines.Add(zero);
  lines.Add(a);
  lines.Add(b);
  _LINE2D out{};
  double dist = -1;
  _POINT2D p{5, 2};
  // Equal distances: the first stays. The zero-length segment at distance 3 is skipped.
  EXPECT_EQ(CGridSys::FindClosestLine(p, lines, out, dist), 1);
  EXPECT_EQ(dist, 2);
  EXPECT_EQ(out.start.y, 0);
  // A limit that nothing beats leaves everything as it was.
  dist = 1.5;
  out = zero;
  EXPECT_EQ(CGridSys::FindClosestLine(p, lines, out, dist), 0);
  EXPECT_EQ(dist, 1.5);
  EXPECT_EQ(out.start.x, 5);

  CGridSys s = Ortho(0);
  _POINT2D q{108, 60};  // 2 from B, 8 from A, 10 from both Y lines
  EXPECT_EQ(s.FindClosestGridLine(q, out), 1);
  ExpectPt(out.start, 110, 50);
  dist = 0;
  EXPECT_EQ(s.FindClosestGridLine(q, out, dist), 0);
  _POINT2D r{104, 69};  // 1 from the Y line 2, found after the X lines
  dist = -1;
  EXPECT_EQ(s.FindClosestGridLine(r, out, dist), 1);
  EXPECT_NEAR(dist, 1, kEps);
  ExpectPt(out.end, 110, 70);
  // Arcs take no part.
  CGridSys rad(2, "R", GRID_SYS_RADIAL, 0, 0, 0, 0);
  AddY(rad, G("C", 10, 1, 0, 1, 360));
  dist = -1;
  EXPECT_EQ(rad.FindClosestGridLine(r, out, dist), 0);
}

TEST(GridGeom, AnglesAreNormalisedByWholeTurns) {
  const struct {
    double angle, from, want;
  } norm[] = {{-90, 0, 270},  {720, 0, 0},   {360, 0, 0},   {359.5, 0, 359.5}, {-720, 0, 0},
              {-725, 0, 355}, {10, 90, 370}, {450, 90, 90}, {1000, 90, 280}};
  for (const auto& r : norm)
    EXPECT_EQ(CGridSys::NormalizedAngle(r.angle, r.from), r.want) << r.angle;

  EXPECT_EQ(CGridSys::IsAngleBetweenMinMax(45, 0, 90), 1);
  EXPECT_EQ(CGridSys::IsAngleBetweenMinMax(90, 0, 90), 1);
  EXPECT_EQ(CGridSys::IsAngleBetweenMinMax(135, 0, 90), 0);
  EXPECT_EQ(CGridSys::IsAngleBetweenMinMax(10, 350, 380), 1);  // across 0
  EXPECT_EQ(CGridSys::IsAngleBetweenMinMax(-30, 300, 340), 1);
  EXPECT_EQ(CGridSys::IsAngleBetweenMinMax(-30, 300, 320), 0);
  EXPECT_EQ(CGridSys::IsAngleBetweenMinMax(200, 0, 360.5), 1);  // beyond a whole turn
}

TEST(GridGeom, ExQueriesTakeMarkedGridsAndRecordIndices) {
  CGridSys s = Radial();
  s.m_aXGrids[2].m_bMarked = 1;
  s.m_aYGrids[1].m_bMarked = 1;
  EXPECT_EQ(s.GetGridLinesEx(), 2);
  ASSERT_EQ(s.m_aXLinesEx.GetSize(), 1);
  ASSERT_EQ(s.m_aYArcsEx.GetSize(), 1);
  EXPECT_EQ(s.m_aXIndexEx[0], 2u);
  EXPECT_EQ(s.m_aYIndexEx[0], 1u);
  EXPECT_EQ(CString(s.m_aYLabelsEx[0]), "C20");
  // The ray still runs between the family's first and last circles, marked or not.
  EXPECT_NEAR(Line2DLength(&s.m_aXLinesEx[0]), 10, kEps);
  s.m_bIncludeAll = 1;
  EXPECT_EQ(s.GetGridLinesEx(), 5);
  EXPECT_EQ(s.m_aXIndexEx.GetSize(), 3);
  EXPECT_EQ(s.m_aYIndexEx[1], 1u);

  CGridSys o = Ortho(0);
  o.m_aYGrids[0].m_bMarked = 1;
  EXPECT_EQ(o.GetGridLinesEx(), 1);
  EXPECT_EQ(o.m_aYLinesEx.GetSize(), 1);
  EXPECT_EQ(o.m_aXLinesEx.GetSize(), 0);
}

}  // namespace
