// Line equation, point, segment and polygon tests of the polygon library.
#include <algorithm>
#include <cmath>

#include "geom/polygon_lib.h"

namespace {

constexpr double kParallelDet = 1e-9;
constexpr double kNoPoint = 1e7;

bool Finite(const _POINT2D* p) { return std::isfinite(p->x) && std::isfinite(p->y); }

}  // namespace

extern "C" {

void SetLineEq(double* eq, const _POINT2D* P, const _POINT2D* Q) {
  double dx = Q->x - P->x, dy = Q->y - P->y;
  double d = std::hypot(dx, dy);
  if (!(d > 0.0)) {
    ClipError("SetLineEq() passed two identical points at %4.2lf %4.2lf\n", P->x, P->y);
    SetPolygonWarnMode(qel::geom::kWarnClose);
    eq[0] = 0.0;
    eq[1] = 0.0;
    eq[2] = -1.0;
    return;
  }
  eq[0] = -dy / d;
  eq[1] = dx / d;
  eq[2] = (Q->y * P->x - P->y * Q->x) / d;
}

int SetLineEq_Warn(const _POINT2D* P, const _POINT2D* Q, double* eq, int mode) {
  SetPolygonWarnMode(mode);
  SetLineEq(eq, P, Q);
  // A unit normal is the sign of a good equation; the failure value (0, 0, -1) is far from one.
  return std::fabs(eq[0] * eq[0] + eq[1] * eq[1] - 1.0) < 0.001 ? 1 : -1;
}

void LineEqFromPtAngle(double* eq, const _POINT2D* P, double angleDeg) {
  double r = angleDeg * M_PI / 180.0;
  double s = std::sin(r), c = std::cos(r);
  eq[0] = -s;
  eq[1] = c;
  eq[2] = s * P->x - c * P->y;
}

void LineParallelShift(const double* eq, double* out, double dist) {
  out[0] = eq[0];
  out[1] = eq[1];
  out[2] = eq[2] - dist * std::sqrt(eq[0] * eq[0] + eq[1] * eq[1]);
}

int AreLinesParallel(const double* eq1, const double* eq2) {
  return std::fabs(eq1[0] * eq2[1] - eq1[1] * eq2[0]) <= 1e-5 ? 1 : 0;
}

void ReverseLine(double* out, const double* eq) {
  out[0] = -eq[0];
  out[1] = -eq[1];
  out[2] = -eq[2];
}

double LineDistance(const _POINT2D* P, const double* eq) {
  return -(eq[0] * P->x + eq[1] * P->y + eq[2]);
}

int WhichSide(const _POINT2D* P, const double* eq, double tol) {
  double s = LineDistance(P, eq);
  if (std::fabs(s) <= tol) return 0;
  return s < 0.0 ? -1 : 1;
}

int LineInt(const double* eq1, const double* eq2, _POINT2D* out) {
  double det = eq1[0] * eq2[1] - eq1[1] * eq2[0];
  if (std::fabs(det) <= kParallelDet) {
    out->x = kNoPoint;
    out->y = kNoPoint;
    return 0;
  }
  out->x = (eq1[1] * eq2[2] - eq2[1] * eq1[2]) / det;
  out->y = (eq2[0] * eq1[2] - eq1[0] * eq2[2]) / det;
  return 1;
}

void ProjectPtOnLine(_POINT2D* out, const _POINT2D* P, const double* eq) {
  double s = LineDistance(P, eq);
  out->x = P->x + s * eq[0];
  out->y = P->y + s * eq[1];
}

int IsPointInBox(const _POINT2D* P, const _POINT2D* A, const _POINT2D* B, double tol) {
  return P->x >= std::min(A->x, B->x) - tol && P->x <= std::max(A->x, B->x) + tol &&
                 P->y >= std::min(A->y, B->y) - tol && P->y <= std::max(A->y, B->y) + tol
             ? 1
             : 0;
}

double PointsAngle(const _POINT2D* P, const _POINT2D* Q) {
  double a = std::atan2(Q->y - P->y, Q->x - P->x) * 180.0 / M_PI;
  return a < -0.001 ? a + 360.0 : a;
}

double Interpolate(double x, double y1, double y2, double x1, double x2) {
  if (x2 == x1) return y2 == y1 ? y2 : kNoPoint;
  return y1 + (y2 - y1) * (x - x1) / (x2 - x1);
}

double SgmtAbcisse(const _POINT2D* P, const _POINT2D* S0, const double* eq) {
  return (P->x - S0->x) * eq[1] - (P->y - S0->y) * eq[0];
}

double PtPrjctsOnSgmt(const _POINT2D* P, const _POINT2D* S0, const _POINT2D* S1, const double* eq,
                      double tol) {
  double own[3];
  if (!eq) {
    SetLineEq(own, S0, S1);
    eq = own;
  }
  double len = std::hypot(S1->x - S0->x, S1->y - S0->y);
  double t = SgmtAbcisse(P, S0, eq);
  if (t < -tol || t > len + tol) return -1.0;
  if (t <= 0.0) return 0.0;
  return t > len ? len : t;
}

int PGPointOnSegment(const _POINT2D* P, const _POINT2D* S0, const _POINT2D* S1, double tol) {
  auto nearEnd = [&](const _POINT2D* E) {
    return std::fabs(P->x - E->x) <= tol && std::fabs(P->y - E->y) <= tol;
  };
  if (nearEnd(S0) || nearEnd(S1)) return 1;
  if (S0->x == S1->x && S0->y == S1->y) return 0;  // zero length: only its ends match
  if (!IsPointInBox(P, S0, S1, tol)) return 0;
  double eq[3];
  SetLineEq(eq, S0, S1);
  if (std::fabs(LineDistance(P, eq)) > tol) return 0;
  return PtPrjctsOnSgmt(P, S0, S1, eq, tol) >= 0.0 ? 1 : 0;
}

int IntersectOrProject(const _POINT2D* S0, const _POINT2D* S1, const double* eqS, const double* eqT,
                       double tol, _POINT2D* out) {
  LineInt(eqS, eqT, out);
  if (PtPrjctsOnSgmt(out, S0, S1, eqS, tol) < 0.0) ProjectPtOnLine(out, S0, eqT);
  return 1;
}

int IntersectOrChooseProject(const _POINT2D* S0, const _POINT2D* S1, const double* eqS,
                             const _POINT2D* T0, const _POINT2D* T1, const double* eqT, double tol,
                             _POINT2D* out) {
  _POINT2D x;
  if (LineInt(eqS, eqT, &x) && PtPrjctsOnSgmt(&x, S0, S1, eqS, tol) >= 0.0 &&
      PtPrjctsOnSgmt(&x, T0, T1, eqT, tol) >= 0.0) {
    *out = x;
    return 1;
  }
  ProjectPtOnLine(&x, S0, eqT);
  if (PtPrjctsOnSgmt(&x, T0, T1, eqT, tol) >= 0.0) {
    *out = x;
    return 1;
  }
  ProjectPtOnLine(&x, T0, eqS);
  if (PtPrjctsOnSgmt(&x, S0, S1, eqS, tol) >= 0.0) {
    *out = x;
    return 1;
  }
  return 0;
}

int PGSegmentsIntersect(const _POINT2D* A0, const _POINT2D* A1, const double* eqA,
                        const _POINT2D* B0, const _POINT2D* B1, const double* eqB, double tol,
                        _POINT2D* out) {
  double ownA[3], ownB[3];
  if (!eqA) {
    SetLineEq(ownA, A0, A1);
    eqA = ownA;
  }
  if (!eqB) {
    SetLineEq(ownB, B0, B1);
    eqB = ownB;
  }
  int sB0 = WhichSide(B0, eqA, tol), sB1 = WhichSide(B1, eqA, tol);
  int sA0 = WhichSide(A0, eqB, tol), sA1 = WhichSide(A1, eqB, tol);
  if ((sB0 != 0 && sB0 == sB1) || (sA0 != 0 && sA0 == sA1)) return 0;
  if (sB0 == 0 && sB1 == 0 && sA0 == 0 && sA1 == 0) return 0;  // collinear
  bool aTouch = sA0 == 0 || sA1 == 0, bTouch = sB0 == 0 || sB1 == 0;
  if (!aTouch && !bTouch) {
    LineInt(eqA, eqB, out);
    return 1;
  }
  // An end lies on the other line. The touching end goes first, so a failed projection falls back
  // to the foot of that end.
  const _POINT2D* at = sA0 == 0 ? A0 : A1;
  const _POINT2D* ao = sA0 == 0 ? A1 : A0;
  const _POINT2D* bt = sB0 == 0 ? B0 : B1;
  const _POINT2D* bo = sB0 == 0 ? B1 : B0;
  if (bTouch && !aTouch) return IntersectOrProject(bt, bo, eqB, eqA, tol, out);
  if (aTouch && !bTouch) return IntersectOrProject(at, ao, eqA, eqB, tol, out);
  return IntersectOrChooseProject(at, ao, eqA, bt, bo, eqB, tol, out);
}

void GetBoundingXYRange(const _POINT2D* pts, int n, double* xmin, double* xmax, double* ymin,
                        double* ymax) {
  *xmin = *xmax = pts[0].x;
  *ymin = *ymax = pts[0].y;
  for (int i = 1; i < n; ++i) {
    *xmin = std::min(*xmin, pts[i].x);
    *xmax = std::max(*xmax, pts[i].x);
    *ymin = std::min(*ymin, pts[i].y);
    *ymax = std::max(*ymax, pts[i].y);
  }
}

int IsBoundingApart(const _POINT2D* A, int nA, const _POINT2D* B, int nB, double tol) {
  double ax0, ax1, ay0, ay1, bx0, bx1, by0, by1;
  GetBoundingXYRange(A, nA, &ax0, &ax1, &ay0, &ay1);
  GetBoundingXYRange(B, nB, &bx0, &bx1, &by0, &by1);
  return ax0 >= bx1 - tol || bx0 >= ax1 - tol || ay0 >= by1 - tol || by0 >= ay1 - tol ? 1 : 0;
}

double MeasureArea(const _POINT2D* pts, int n) {
  double sum = 0.0;
  for (int i = 0; i < n; ++i) {
    const _POINT2D& p = pts[i];
    const _POINT2D& q = pts[(i + 1) % n];
    sum += (p.y + q.y) * (p.x - q.x);
  }
  return 0.5 * sum;
}

int IsClockWisePlygn(const _POINT2D* pts, int n, double* area) {
  double a = MeasureArea(pts, n);
  if (area) *area = std::fabs(a);
  return a > 0.0 ? 1 : 0;
}

void ReversePlygnClockWise(_POINT2D* pts, int n) {
  if (n > 1) std::reverse(pts, pts + n);
}

void CopyPolygon(_POINT2D* dst, const _POINT2D* src, int n) {
  if (n > 0) std::copy(src, src + n, dst);
}

int IsPointOnPolygon(const _POINT2D* P, const _POINT2D* pts, int n, double tol) {
  for (int i = 0; i < n; ++i)
    if (PGPointOnSegment(P, &pts[i], &pts[(i + 1) % n], tol)) return i;
  return -1;
}

int PGPointInPolygon(const _POINT2D* P, const _POINT2D* pts, int n, double tol) {
  if (n < 1 || !pts || !Finite(P)) return 0;
  if (IsPointOnPolygon(P, pts, n, tol) >= 0) return 2;
  int k = 0;
  while (k < n && std::fabs(pts[k].x - P->x) <= tol) ++k;
  if (k == n) {
    ClipError("\nVertical degenerate polygon");
    SetPolygonWarnMode(qel::geom::kWarnClose);
    return -100;
  }
  // A vertical ray upward from P. A crossing is taken between a vertex clearly on one side and the
  // vertex before the next one clearly across, so vertices within tol of the ray are bridged.
  int side = pts[k].x > P->x ? -1 : 1;
  int count = 0;
  for (int step = 1; step <= n; ++step) {
    int j = (k + step) % n;
    if (std::fabs(pts[j].x - P->x) <= tol) continue;
    int sj = pts[j].x > P->x ? -1 : 1;
    if (sj == side) continue;
    const _POINT2D& pi = pts[(j + n - 1) % n];
    const _POINT2D& pj = pts[j];
    double y;
    if (pj.x == pi.x)
      y = pj.y == pi.y ? pj.y : kNoPoint;
    else
      y = pi.y + (P->x - pi.x) * (pj.y - pi.y) / (pj.x - pi.x);
    if (y >= P->y) ++count;
    side = sj;
  }
  return count % 2;
}

int PGPointInPolygon_Warn(const _POINT2D* P, const _POINT2D* pts, int n, double tol, int mode) {
  SetPolygonWarnMode(mode);
  return PGPointInPolygon(P, pts, n, tol);
}

}  // extern "C"
