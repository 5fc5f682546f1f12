// Circular arcs: points on arcs and the intersections of arcs with lines and with other arcs.
#include <cmath>

#include "geom/primitives.h"

using namespace qel::geom;

namespace {

void Put(_POINT2D* out, const _POINT2D& p) {
  if (out != nullptr) *out = p;
}

// Hands accepted candidates to *P1 then *P2 and counts them.
struct Collector {
  _POINT2D* p1;
  _POINT2D* p2;
  int count = 0;
  void Add(const _POINT2D& p) {
    Put(count == 0 ? p1 : p2, p);
    ++count;
  }
};

}  // namespace

int IsPointOnArc2d(const _POINT2D* P, const _ARC2D* arc, double tol) {
  return std::fabs(DistanceBtwnPoints(P, &arc->centre) - arc->radius) <= tol;
}

int IsPointInArc2dSgmt(const _POINT2D* P, const _ARC2D* arc, double tol) {
  const _LINE2D ray{arc->centre, *P};
  const double theta = GetAngle(&ray);
  const double lo = arc->startAngle - tol;
  const double hi = arc->endAngle + tol;
  for (double t : {theta, theta - 360.0, theta + 360.0}) {
    if (t > lo && t < hi) return 1;
  }
  return 0;
}

int Arc2dLine2dRelation(const _ARC2D* arc, const _LINE2D* L, double tol, double spanTol,
                        _POINT2D* P1, _POINT2D* P2, int segmentOnly) {
  double eq[3];
  double m;
  LineEqPoints(eq, L, &m);
  const double cx = arc->centre.x;
  const double cy = arc->centre.y;
  const double r = arc->radius;
  _POINT2D cand[2];
  int n = 0;
  double r1 = 0;
  double r2 = 0;
  if (m < kInfinity) {
    // y = m*x + q substituted into the circle gives a quadratic in x.
    const double q = eq[1] != 0 ? -eq[2] / eq[1] : 0.0;
    const double qc = q - cy;
    n = QuadraticEqn(1.0 + m * m, 2.0 * (m * qc - cx), cx * cx + qc * qc - r * r, &r1, &r2);
    cand[0] = {r1, m * r1 + q};
    cand[1] = {r2, m * r2 + q};
  } else {
    const double x = L->start.x;
    const double dx = x - cx;
    n = QuadraticEqn(1.0, -2.0 * cy, cy * cy + dx * dx - r * r, &r1, &r2);
    cand[0] = {x, r1};
    cand[1] = {x, r2};
  }
  Collector out{P1, P2};
  for (int i = 0; i < n; ++i) {
    const _POINT2D& p = cand[i];
    if (std::fabs(eq[0] * p.x + eq[1] * p.y + eq[2]) > tol) continue;
    if (segmentOnly && IsPointInSgmt(&p, L, spanTol) != kRelSharedEnd) continue;
    if (!IsPointOnArc2d(&p, arc, tol)) continue;
    if (!IsPointInArc2dSgmt(&p, arc, spanTol)) continue;
    out.Add(p);
  }
  return out.count;
}

int Arc2dArc2dRelation(const _ARC2D* arc1, const _ARC2D* arc2, double tol, double spanTol,
                       _POINT2D* P1, _POINT2D* P2) {
  const double dx = arc2->centre.x - arc1->centre.x;
  const double dy = arc2->centre.y - arc1->centre.y;
  const double d2 = dx * dx + dy * dy;
  // The squared centre distance is what is compared with tol.
  if (d2 <= tol) return 0;
  const double r1 = arc1->radius;
  const double r2 = arc2->radius;
  const double a = ((r1 * r1 - r2 * r2) / d2 + 1.0) / 2.0;
  const double h2 = r1 * r1 / d2 - a * a;
  const _POINT2D base{arc1->centre.x + a * dx, arc1->centre.y + a * dy};
  _POINT2D cand[2];
  int n;
  if (h2 > kArcTouchTol) {
    const double h = std::sqrt(h2);
    cand[0] = {base.x + h * dy, base.y - h * dx};
    cand[1] = {base.x - h * dy, base.y + h * dx};
    n = 2;
  } else if (h2 >= -kArcTouchTol) {
    cand[0] = base;
    n = 1;
  } else {
    return 0;
  }
  Collector out{P1, P2};
  for (int i = 0; i < n; ++i) {
    const _POINT2D& p = cand[i];
    if (!IsPointOnArc2d(&p, arc1, tol) || !IsPointOnArc2d(&p, arc2, tol)) continue;
    if (!IsPointInArc2dSgmt(&p, arc1, spanTol) || !IsPointInArc2dSgmt(&p, arc2, spanTol)) continue;
    out.Add(p);
  }
  return out.count;
}
