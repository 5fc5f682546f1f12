// Points and segments in space, and the small point and line classes.
#include <cmath>

#include "geom/primitives.h"
#include "platform/carchive.h"

using namespace qel::geom;

extern "C" {

double DistancePointToLineSgmt3d(const _POINT3D* P, const double seg[6]) {
  const double vx = seg[3] - seg[0];
  const double vy = seg[4] - seg[1];
  const double vz = seg[5] - seg[2];
  const double wx = P->x - seg[0];
  const double wy = P->y - seg[1];
  const double wz = P->z - seg[2];
  const double ww = wx * wx + wy * wy + wz * wz;
  if (ww == 0) return 0.0;  // the point is the start point
  const double vv = vx * vx + vy * vy + vz * vz;
  if (vv == 0) return std::sqrt(ww);
  const double wv = wx * vx + wy * vy + wz * vz;
  const double sq = ww - wv * wv / vv;
  // Rounding can push a zero distance slightly negative.
  return sq > 0 ? std::sqrt(sq) : 0.0;
}

int IsPointOnLine3d(const _POINT3D* P, const double seg[6], double tol) {
  return DistancePointToLineSgmt3d(P, seg) < tol;
}

int IsPointInSgmt3d(const _POINT3D* P, const double seg[6], double tol) {
  const _POINT3D s{seg[0], seg[1], seg[2]};
  const _POINT3D e{seg[3], seg[4], seg[5]};
  const double len = DistanceBtwnPoints3D(&s, &e);
  const double via = DistanceBtwnPoints3D(P, &s) + DistanceBtwnPoints3D(P, &e);
  return std::fabs(len - via) < tol ? kRelSharedEnd : kRelNone;
}

}  // extern "C"

CLine2d::CLine2d(const CPoint2d& p1, const CPoint2d& p2)
    : m_pt1(p1), m_pt2(p2), m_line{{p1.x, p1.y}, {p2.x, p2.y}} {}

CLine2d::CLine2d(const _LINE2D& line)
    : m_pt1(line.start.x, line.start.y), m_pt2(line.end.x, line.end.y), m_line(line) {}

bool CLine2d::IsPointOnLine(const CPoint2d& P, double tol) const {
  const _POINT2D p{P.x, P.y};
  return DistancePointToLine(&p, &m_line) <= 2.0 * tol &&
         IsPointInSgmt(&p, &m_line, tol) == kRelSharedEnd;
}

// The archive forms: the same raw doubles as the template forms, through a CArchive.
QEL_IMPLEMENT_SERIAL(CPoint2d, CObject, 1)
QEL_IMPLEMENT_SERIAL(CQELPoint, CObject, 1)
QEL_IMPLEMENT_SERIAL(CLine2d, CObject, 1)

void CPoint2d::Serialize(CArchive& ar) { Serialize<CArchive>(ar); }
void CQELPoint::Serialize(CArchive& ar) { Serialize<CArchive>(ar); }
void CLine2d::Serialize(CArchive& ar) { Serialize<CArchive>(ar); }
