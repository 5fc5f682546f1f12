// Points, lines, segments, arcs and 3-D segments in the plane and in space: the toolbox every other
// geometric piece of the library stands on.
//
// Contract: functions take pointers to the plain records of geom_types.h (never null unless said),
// tolerances as arguments, angles in degrees unless said. Nothing throws, nothing is kept between
// calls. Degenerate input gets the documented sentinels: a (0, 0, 0) line equation and slope 1e7
// for a zero-length segment, (1e7, 1e7) for no intersection, 0 for a non-positive length.
// Segment relations answer with the codes of qel::geom::SegmentRelation.
#pragma once

#include "geom/geom_types.h"
#include "geom/numbers.h"
#include "geom/tolerance.h"
#include "platform/cobject.h"

extern "C" {

// ---- points and lines ----
double GetAngle(const _LINE2D* L);  // direction in [0, 360)
// a2 - a1 when a2 > a1, else 360 - (a1 - a2); equal directions give 360.
double AngleDifference(const _LINE2D* L1, const _LINE2D* L2);
double Line2DLength(const _LINE2D* L);
double DistanceBtwnPoints(const _POINT2D* P, const _POINT2D* Q);
double DistanceBtwnPoints3D(const _POINT3D* P, const _POINT3D* Q);
int IsSamePoint(const _POINT2D* P, const _POINT2D* Q, double tol);

// Normal form of the line through L, normal pointing to +x (to +y for a horizontal line). A
// segment shorter than 0.001 in both components gives (0, 0, 0). *slope = dy/dx, 1e7 when dx is 0
// or the segment is degenerate; slope may be null. Returns eq.
double* LineEqPoints(double eq[3], const _LINE2D* L, double* slope);
double* LineEqAnglePoint(double eq[3], double angleDeg, const _POINT2D* P, double* slope);

int IsPointOnLine(const _POINT2D* P, const _LINE2D* L, double tol);  // infinite line
double OffsetPointToLine(const _POINT2D* P, const _LINE2D* L);       // signed distance
double DistancePointToLine(const _POINT2D* P, const _LINE2D* L);
double DistancePointToLineSgmt(const _POINT2D* P, const _LINE2D* L);
// 3 on the segment, 1 on the line outside the span, else 10/20, 2/4, 22/14 by the side of the
// line and its direction. *dist (may be null) = |distance to the line|.
int PointLineRelation(const _POINT2D* P, const _LINE2D* L, double tol, double* dist);
// Span test (not an on-line test): 3 when P lies within the segment's extents widened by tol.
int IsPointInSgmt(const _POINT2D* P, const _LINE2D* L, double tol);

_POINT2D* CrossPoint(_POINT2D* out, const double eq1[3], const double eq2[3]);
int DoLinesCross(const _LINE2D* L1, const _LINE2D* L2, _POINT2D* out);  // 0 parallel, else 1
_POINT2D* GetMidPoint(_POINT2D* out, const _POINT2D* P, const _POINT2D* Q);
_POINT2D* GetPtFromPtAngle(_POINT2D* out, const _POINT2D* P, double angleDeg, double dist);
// end == 1: start + dist along L; otherwise end - dist along L.
_POINT2D* GetPtFromLine(_POINT2D* out, const _LINE2D* L, double dist, int end);
// L shifted sideways (+90 degrees when side == 1, else -90) by offStart at the start and offEnd at
// the end. out may be L.
_LINE2D* SgmtOffsetsSgmt(_LINE2D* out, const _LINE2D* L, double offStart, double offEnd, int side);
_LINE2D* RayFromPointAngle(_LINE2D* out, const _POINT2D* P, double angleDeg, double len);
_LINE2D* VectorFromPointAngle(_LINE2D* out, const _POINT2D* P, double angleDeg, double len);
_LINE2D* LineFromPointAngle(_LINE2D* out, const _POINT2D* P, double angleDeg, double len);

// ---- segment relations ----
int AreSgmtsParallel(const _LINE2D* L1, const _LINE2D* L2, double tol);  // 4 or 0
// 0 none/parallel, 1 proper crossing, 2 crossing at an end, 3 shared end; out (may be null) gets
// the crossing point or the shared end of L1. The fourth argument is not used.
int DoSgmtsCross(const _LINE2D* L1, const _LINE2D* L2, double tol, double unused, _POINT2D* out);
// As DoSgmtsCross, but a shared end is found before the parallel test (parallel segments that
// share an end give 3).
int DoSgmtsReallyCross(const _LINE2D* L1, const _LINE2D* L2, double tol, double unused,
                       _POINT2D* out);
int DoEndPtsOverlap(const _LINE2D* L1, const _LINE2D* L2, double tol, double unused, _POINT2D* out);
// 0 unless all four ends lie within 2*tol of the other line; then SgmtsLapTplgy.
int DoSgmtsLap(const _LINE2D* L1, const _LINE2D* L2, double tol, _POINT2D* outA, _POINT2D* outB);
// Two collinear segments: 0, 6 (end to end), 7 (partial), 8 (one inside the other), 9 (same).
int SgmtsLapTplgy(const _LINE2D* L1, const _LINE2D* L2, double tol, _POINT2D* outA, _POINT2D* outB);
int SubSgmtsLapTplgy(const _PARMSGMT2D* seg, const _PARMSGMT2D* sub, double unused, _POINT2D* outA,
                     _POINT2D* outB);
int SgmtsRelation(const _LINE2D* L1, const _LINE2D* L2, double crossTol, double lapTol,
                  _POINT2D* outA, _POINT2D* outB);
// Swaps A and B when A->B points left (direction in (90.001, 270.001]).
void SortItoJ(_POINT2D* A, _POINT2D* B);
void SortPtLeftToRight(_PARMSGMT2D* seg);
// out = pts ordered by decreasing distance from ref (ties: the later point first). 0 for a null
// array or a negative count, else 1.
int SortListOfPoint2Ds(const _POINT2D* pts, int n, const _POINT2D* ref, _POINT2D* out);
// 1 when L crosses or overlaps (code above 6) an edge of the open polyline poly of n points.
int CheckLineCrossPoly(const _POINT2D* poly, int n, const _LINE2D* L);

// ---- points and segments in space (a segment is six doubles) ----
int IsPointOnLine3d(const _POINT3D* P, const double seg[6], double tol);
int IsPointInSgmt3d(const _POINT3D* P, const double seg[6], double tol);   // 3 or 0
double DistancePointToLineSgmt3d(const _POINT3D* P, const double seg[6]);  // to the infinite line

}  // extern "C"

// ---- arcs (typed C++ signatures) ----
int IsPointOnArc2d(const _POINT2D* P, const _ARC2D* arc, double tol);  // full circle
// The direction of P from the centre lies strictly between start - tol and end + tol (degrees).
int IsPointInArc2dSgmt(const _POINT2D* P, const _ARC2D* arc, double tol);
// Number of intersection points (0, 1, 2) of the arc and the line through L (its segment only
// when segmentOnly); the first goes to *P1, the second to *P2 (either may be null).
int Arc2dLine2dRelation(const _ARC2D* arc, const _LINE2D* L, double tol, double spanTol,
                        _POINT2D* P1, _POINT2D* P2, int segmentOnly);
int Arc2dArc2dRelation(const _ARC2D* arc1, const _ARC2D* arc2, double tol, double spanTol,
                       _POINT2D* P1, _POINT2D* P2);

// ---- small serialisable classes ----
// Serialize writes (or reads) the coordinates as raw 8-byte doubles in field order and nothing
// else. The CArchive form is the virtual one; the template form serves any archive offering
// IsStoring(), << double and >> double&.
class CPoint2d : public CObject {
  QEL_DECLARE_SERIAL(CPoint2d)
 public:
  CPoint2d() = default;
  CPoint2d(double px, double py) : x(px), y(py) {}
  CPoint2d(const CPoint2d&) = default;
  CPoint2d& operator=(const CPoint2d&) = default;
  void Serialize(CArchive& ar) override;
  template <class Archive>
  void Serialize(Archive& ar) {
    if (ar.IsStoring()) {
      ar << x << y;
    } else {
      ar >> x >> y;
    }
  }
  double x = 0.0;
  double y = 0.0;
};

class CQELPoint : public CObject {
  QEL_DECLARE_SERIAL(CQELPoint)
 public:
  CQELPoint() = default;
  CQELPoint(double px, double py, double pz) : x(px), y(py), z(pz) {}
  CQELPoint(const CQELPoint&) = default;
  CQELPoint& operator=(const CQELPoint&) = default;
  void Serialize(CArchive& ar) override;
  template <class Archive>
  void Serialize(Archive& ar) {
    if (ar.IsStoring()) {
      ar << x << y << z;
    } else {
      ar >> x >> y >> z;
    }
  }
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
};

// A segment kept both as its two end points and as a _LINE2D; the constructors keep them equal.
class CLine2d : public CObject {
  QEL_DECLARE_SERIAL(CLine2d)
 public:
  CLine2d() = default;
  CLine2d(const CPoint2d& p1, const CPoint2d& p2);
  explicit CLine2d(const _LINE2D& line);
  CLine2d(const CLine2d&) = default;
  CLine2d& operator=(const CLine2d&) = default;
  // Distance from the line at most 2*tol and IsPointInSgmt(P, tol) == 3.
  bool IsPointOnLine(const CPoint2d& P, double tol) const;
  void Serialize(CArchive& ar) override;
  template <class Archive>
  void Serialize(Archive& ar) {
    m_pt1.Serialize(ar);
    m_pt2.Serialize(ar);
    if (ar.IsStoring()) {
      ar << m_line.start.x << m_line.start.y << m_line.end.x << m_line.end.y;
    } else {
      ar >> m_line.start.x >> m_line.start.y >> m_line.end.x >> m_line.end.y;
    }
  }
  CPoint2d m_pt1;
  CPoint2d m_pt2;
  _LINE2D m_line{};
};
