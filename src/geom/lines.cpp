// Points and lines in the plane: directions, lengths, line equations, distances and the span test.
#include <cmath>

#include "geom/primitives.h"

using namespace qel::geom;

namespace {

double DirectionDeg(double dx, double dy) {
  double a = std::atan2(dy, dx) * kDegreesPerRadian;
  if (a < 0) a += 360.0;
  // A tiny negative angle plus 360 rounds to 360; the direction range is [0, 360).
  if (a >= 360.0) a = 0.0;
  return a;
}

bool Near(double a, double b, double tol) { return std::fabs(a - b) <= tol; }

// Brings (a, b, c) to the orientation shared by every line equation: a > 0, or a == 0 and b > 0.
void Orient(double eq[3]) {
  if (eq[0] < 0) {
    eq[0] = -eq[0];
    eq[1] = -eq[1];
    eq[2] = -eq[2];
  }
  if (eq[0] == 0 && eq[1] < 0) {
    eq[0] = -eq[0];
    eq[1] = -eq[1];
    eq[2] = -eq[2];
  }
}

double LineValue(const double eq[3], const _POINT2D* P) {
  return eq[0] * P->x + eq[1] * P->y + eq[2];
}

}  // namespace

extern "C" {

double GetAngle(const _LINE2D* L) {
  return DirectionDeg(L->end.x - L->start.x, L->end.y - L->start.y);
}

double AngleDifference(const _LINE2D* L1, const _LINE2D* L2) {
  const double a1 = GetAngle(L1);
  const double a2 = GetAngle(L2);
  return a2 > a1 ? a2 - a1 : 360.0 - (a1 - a2);
}

static double SafeSqrt(double sq) { return sq > 0 ? std::sqrt(sq) : 0.0; }

double Line2DLength(const _LINE2D* L) {
  const double dx = L->end.x - L->start.x;
  const double dy = L->end.y - L->start.y;
  return SafeSqrt(dx * dx + dy * dy);
}

double DistanceBtwnPoints(const _POINT2D* P, const _POINT2D* Q) {
  const double dx = Q->x - P->x;
  const double dy = Q->y - P->y;
  return SafeSqrt(dx * dx + dy * dy);
}

double DistanceBtwnPoints3D(const _POINT3D* P, const _POINT3D* Q) {
  const double dx = Q->x - P->x;
  const double dy = Q->y - P->y;
  const double dz = Q->z - P->z;
  return SafeSqrt(dx * dx + dy * dy + dz * dz);
}

int IsSamePoint(const _POINT2D* P, const _POINT2D* Q, double tol) {
  return std::fabs(P->x - Q->x) <= tol && std::fabs(P->y - Q->y) <= tol;
}

double* LineEqPoints(double eq[3], const _LINE2D* L, double* slope) {
  const double dx = L->end.x - L->start.x;
  const double dy = L->end.y - L->start.y;
  if (std::fabs(dy) < kDegenerateComponent && std::fabs(dx) < kDegenerateComponent) {
    eq[0] = eq[1] = eq[2] = 0.0;
    if (slope != nullptr) *slope = kInfinity;
    return eq;
  }
  const double k = 1.0 / std::sqrt(dx * dx + dy * dy);
  eq[0] = k * dy;
  eq[1] = -k * dx;
  eq[2] = k * (L->end.x * L->start.y - L->start.x * L->end.y);
  Orient(eq);
  if (slope != nullptr) *slope = dx == 0 ? kInfinity : dy / dx;
  return eq;
}

double* LineEqAnglePoint(double eq[3], double angleDeg, const _POINT2D* P, double* slope) {
  const double r = angleDeg * kRadiansPerDegree;
  eq[0] = std::sin(r);
  eq[1] = -std::cos(r);
  eq[2] = -(eq[0] * P->x + eq[1] * P->y);
  Orient(eq);
  if (slope != nullptr) *slope = std::tan(r);
  return eq;
}

int IsPointOnLine(const _POINT2D* P, const _LINE2D* L, double tol) {
  return std::fabs(OffsetPointToLine(P, L)) <= tol;
}

double OffsetPointToLine(const _POINT2D* P, const _LINE2D* L) {
  double eq[3];
  LineEqPoints(eq, L, nullptr);
  return LineValue(eq, P);
}

double DistancePointToLine(const _POINT2D* P, const _LINE2D* L) {
  return std::fabs(OffsetPointToLine(P, L));
}

double DistancePointToLineSgmt(const _POINT2D* P, const _LINE2D* L) {
  double eq[3];
  LineEqPoints(eq, L, nullptr);
  if (eq[0] == 0 && eq[1] == 0) {
    // A zero-length segment has no line: its distance is the distance to its (only) point.
    return DistanceBtwnPoints(P, &L->start);
  }
  const double d = LineValue(eq, P);
  const _POINT2D foot{P->x - d * eq[0], P->y - d * eq[1]};
  if (IsPointInSgmt(&foot, L, kFootSpanTol) == kRelSharedEnd) return std::fabs(d);
  const double d1 = DistanceBtwnPoints(P, &L->start);
  const double d2 = DistanceBtwnPoints(P, &L->end);
  return d1 < d2 ? d1 : d2;
}

int PointLineRelation(const _POINT2D* P, const _LINE2D* L, double tol, double* dist) {
  double eq[3];
  LineEqPoints(eq, L, nullptr);
  const double d = LineValue(eq, P);
  if (dist != nullptr) *dist = std::fabs(d);
  if (std::fabs(d) <= tol) return IsPointInSgmt(P, L, tol) == kRelSharedEnd ? 3 : 1;
  const double a = GetAngle(L);
  if (Near(a, 0, kAxisAngleTol) || Near(a, 180, kAxisAngleTol) || Near(a, 360, kAxisAngleTol)) {
    return d > 0 ? 10 : 20;
  }
  if (Near(a, 90, kAxisAngleTol) || Near(a, 270, kAxisAngleTol)) return d > 0 ? 2 : 4;
  if ((a > 0 && a < 90) || (a > 180 && a < 270)) return d > 0 ? 22 : 14;
  return d > 0 ? 10 : 20;  // falling to the right
}

int IsPointInSgmt(const _POINT2D* P, const _LINE2D* L, double tol) {
  const double xmin = std::fmin(L->start.x, L->end.x);
  const double xmax = std::fmax(L->start.x, L->end.x);
  const double ymin = std::fmin(L->start.y, L->end.y);
  const double ymax = std::fmax(L->start.y, L->end.y);
  const bool zeroX = xmax - xmin <= kSpanZeroExtent;
  const bool zeroY = ymax - ymin <= kSpanZeroExtent;
  const bool inX = xmin - tol <= P->x && P->x <= xmax + tol;
  const bool inY = ymin - tol <= P->y && P->y <= ymax + tol;
  bool testX = true;
  bool testY = true;
  if (zeroX && !zeroY) {
    testX = false;
  } else if (zeroY && !zeroX) {
    testY = false;
  } else if (zeroX && zeroY) {
    const double a = GetAngle(L);
    if (Near(a, 0, kSpanAxisAngleTol) || Near(a, 180, kSpanAxisAngleTol) ||
        Near(a, 360, kSpanAxisAngleTol)) {
      testY = false;
    } else if (Near(a, 90, kSpanAxisAngleTol) || Near(a, 270, kSpanAxisAngleTol)) {
      testX = false;
    }
  }
  return ((!testX || inX) && (!testY || inY)) ? kRelSharedEnd : kRelNone;
}

_POINT2D* CrossPoint(_POINT2D* out, const double eq1[3], const double eq2[3]) {
  const double det = eq1[0] * eq2[1] - eq2[0] * eq1[1];
  if (std::fabs(det) <= kParallelDeterminant) {
    out->x = out->y = kInfinity;
    return out;
  }
  out->x = (eq1[1] * eq2[2] - eq2[1] * eq1[2]) / det;
  out->y = (eq2[0] * eq1[2] - eq1[0] * eq2[2]) / det;
  return out;
}

int DoLinesCross(const _LINE2D* L1, const _LINE2D* L2, _POINT2D* out) {
  double e1[3];
  double e2[3];
  LineEqPoints(e1, L1, nullptr);
  LineEqPoints(e2, L2, nullptr);
  _POINT2D x;
  CrossPoint(&x, e1, e2);
  if (out != nullptr) *out = x;
  return std::fabs(e1[0] * e2[1] - e2[0] * e1[1]) <= kParallelDeterminant ? 0 : 1;
}

_POINT2D* GetMidPoint(_POINT2D* out, const _POINT2D* P, const _POINT2D* Q) {
  const _POINT2D m{(P->x + Q->x) / 2.0, (P->y + Q->y) / 2.0};
  *out = m;
  return out;
}

_POINT2D* GetPtFromPtAngle(_POINT2D* out, const _POINT2D* P, double angleDeg, double dist) {
  const double r = angleDeg * kRadiansPerDegree;
  const _POINT2D q{P->x + dist * std::cos(r), P->y + dist * std::sin(r)};
  *out = q;
  return out;
}

_POINT2D* GetPtFromLine(_POINT2D* out, const _LINE2D* L, double dist, int end) {
  const double r = GetAngle(L) * kRadiansPerDegree;
  const double ux = std::cos(r);
  const double uy = std::sin(r);
  const _POINT2D q = end == 1 ? _POINT2D{L->start.x + dist * ux, L->start.y + dist * uy}
                              : _POINT2D{L->end.x - dist * ux, L->end.y - dist * uy};
  *out = q;
  return out;
}

_LINE2D* SgmtOffsetsSgmt(_LINE2D* out, const _LINE2D* L, double offStart, double offEnd, int side) {
  double a = GetAngle(L) + (side == 1 ? 90.0 : -90.0);
  if (a > kOffsetAngleWrap) a -= 360.0;
  const double r = a * kRadiansPerDegree;
  const double ux = std::cos(r);
  const double uy = std::sin(r);
  const _LINE2D s{{L->start.x + offStart * ux, L->start.y + offStart * uy},
                  {L->end.x + offEnd * ux, L->end.y + offEnd * uy}};
  *out = s;
  return out;
}

_LINE2D* RayFromPointAngle(_LINE2D* out, const _POINT2D* P, double angleDeg, double len) {
  const _POINT2D p = *P;
  out->start = p;
  GetPtFromPtAngle(&out->end, &p, angleDeg, len);
  return out;
}

_LINE2D* VectorFromPointAngle(_LINE2D* out, const _POINT2D* P, double angleDeg, double len) {
  return RayFromPointAngle(out, P, angleDeg, len);
}

_LINE2D* LineFromPointAngle(_LINE2D* out, const _POINT2D* P, double angleDeg, double len) {
  const _POINT2D p = *P;
  GetPtFromPtAngle(&out->start, &p, angleDeg, -len);
  GetPtFromPtAngle(&out->end, &p, angleDeg, len);
  return out;
}

}  // extern "C"
