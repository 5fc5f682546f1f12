// Relations between segments: crossing, shared ends, collinear overlap, and ordering helpers.
#include <algorithm>
#include <cmath>
#include <vector>

#include "geom/primitives.h"

using namespace qel::geom;

namespace {

// The four end-point pairs in the order every relation tests them: L1.start/L2.start,
// L1.start/L2.end, L1.end/L2.start, L1.end/L2.end. Returns the index of the first coincident pair
// or -1.
int FirstCommonEnd(const _LINE2D* L1, const _LINE2D* L2, double tol) {
  const _POINT2D* a[4] = {&L1->start, &L1->start, &L1->end, &L1->end};
  const _POINT2D* b[4] = {&L2->start, &L2->end, &L2->start, &L2->end};
  for (int i = 0; i < 4; ++i) {
    if (IsSamePoint(a[i], b[i], tol)) return i;
  }
  return -1;
}

const _POINT2D& CommonEndOfL1(const _LINE2D* L1, int pair) {
  return pair < 2 ? L1->start : L1->end;
}

// Steps 3 and 4 of the crossing test: the crossing point must lie in both spans; near an end it
// is code 2, otherwise a proper crossing.
int ClassifyCrossing(const _LINE2D* L1, const _LINE2D* L2, double tol, const _POINT2D& x) {
  if (IsPointInSgmt(&x, L1, tol) != kRelSharedEnd || IsPointInSgmt(&x, L2, tol) != kRelSharedEnd) {
    return kRelNone;
  }
  if (IsSamePoint(&x, &L1->start, tol) || IsSamePoint(&x, &L1->end, tol) ||
      IsSamePoint(&x, &L2->start, tol) || IsSamePoint(&x, &L2->end, tol)) {
    return kRelCrossAtEnd;
  }
  return kRelCross;
}

void Put(_POINT2D* out, const _POINT2D& p) {
  if (out != nullptr) *out = p;
}

// One end of a segment seen along the reference direction: its abscissa and the original point.
struct Abscissa {
  double t;
  _POINT2D p;
};

}  // namespace

extern "C" {

int AreSgmtsParallel(const _LINE2D* L1, const _LINE2D* L2, double tol) {
  double e1[3];
  double e2[3];
  LineEqPoints(e1, L1, nullptr);
  LineEqPoints(e2, L2, nullptr);
  return std::fabs(e1[0] * e2[1] - e2[0] * e1[1]) <= tol ? kRelParallel : kRelNone;
}

int DoSgmtsCross(const _LINE2D* L1, const _LINE2D* L2, double tol, double /*unused*/,
                 _POINT2D* out) {
  _POINT2D x;
  if (!DoLinesCross(L1, L2, &x)) return kRelNone;
  const int pair = FirstCommonEnd(L1, L2, tol);
  if (pair >= 0) {
    Put(out, CommonEndOfL1(L1, pair));
    return kRelSharedEnd;
  }
  const int code = ClassifyCrossing(L1, L2, tol, x);
  if (code != kRelNone) Put(out, x);
  return code;
}

int DoSgmtsReallyCross(const _LINE2D* L1, const _LINE2D* L2, double tol, double /*unused*/,
                       _POINT2D* out) {
  _POINT2D x;
  const int crossing = DoLinesCross(L1, L2, &x);
  const int pair = FirstCommonEnd(L1, L2, tol);
  if (pair >= 0) {
    Put(out, CommonEndOfL1(L1, pair));
    return kRelSharedEnd;
  }
  if (!crossing) return kRelNone;
  const int code = ClassifyCrossing(L1, L2, tol, x);
  if (code != kRelNone) Put(out, x);
  return code;
}

int DoEndPtsOverlap(const _LINE2D* L1, const _LINE2D* L2, double tol, double /*unused*/,
                    _POINT2D* out) {
  const int pair = FirstCommonEnd(L1, L2, tol);
  if (pair < 0) return 0;
  Put(out, CommonEndOfL1(L1, pair));
  return 1;
}

int DoSgmtsLap(const _LINE2D* L1, const _LINE2D* L2, double tol, _POINT2D* outA, _POINT2D* outB) {
  double e1[3];
  double e2[3];
  LineEqPoints(e1, L1, nullptr);
  LineEqPoints(e2, L2, nullptr);
  auto off = [](const double* e, const _POINT2D& p) {
    return std::fabs(e[0] * p.x + e[1] * p.y + e[2]);
  };
  const double lim = 2.0 * tol;
  if (off(e2, L1->start) > lim || off(e2, L1->end) > lim || off(e1, L2->start) > lim ||
      off(e1, L2->end) > lim) {
    return kRelNone;
  }
  return SgmtsLapTplgy(L1, L2, tol, outA, outB);
}

int SgmtsLapTplgy(const _LINE2D* L1in, const _LINE2D* L2, double tol, _POINT2D* outA,
                  _POINT2D* outB) {
  _LINE2D L1 = *L1in;
  double dir = GetAngle(&L1);
  if (dir > 90.0 && dir < 270.0) {
    std::swap(L1.start, L1.end);
    dir = GetAngle(&L1);
  }
  // Abscissas in L1's frame: translate by -L1.start, rotate by -dir.
  const double c = std::cos(dir * kRadiansPerDegree);
  const double s = std::sin(dir * kRadiansPerDegree);
  auto along = [&](const _POINT2D& p) {
    return Abscissa{(p.x - L1.start.x) * c + (p.y - L1.start.y) * s, p};
  };
  Abscissa s1 = along(L1.start);
  Abscissa e1 = along(L1.end);
  Abscissa s2 = along(L2->start);
  Abscissa e2 = along(L2->end);
  if (e1.t < s1.t) std::swap(s1, e1);
  if (e2.t < s2.t) std::swap(s2, e2);

  const bool startsMeet = std::fabs(s1.t - s2.t) < tol;
  const bool endsMeet = std::fabs(e1.t - e2.t) < tol;
  _POINT2D a;
  _POINT2D b;
  int code;
  if (startsMeet && endsMeet) {
    a = s1.p;
    b = e1.p;
    code = kRelIdentical;
  } else if (startsMeet) {
    a = s1.p;
    b = e1.t < e2.t ? e1.p : e2.p;
    code = kRelContained;
  } else if (endsMeet) {
    a = s1.t > s2.t ? s1.p : s2.p;
    b = e1.p;
    code = kRelContained;
  } else if (std::fabs(e1.t - s2.t) < tol) {
    Put(outA, e1.p);
    return kRelTouchEndToEnd;
  } else if (std::fabs(s1.t - e2.t) < tol) {
    Put(outA, s1.p);
    return kRelTouchEndToEnd;
  } else if (s2.t > s1.t) {
    if (s2.t > e1.t) return kRelNone;
    a = s2.p;
    if (e2.t < e1.t) {
      b = e2.p;
      code = kRelContained;
    } else {
      b = e1.p;
      code = kRelPartialOverlap;
    }
  } else {
    if (s1.t > e2.t) return kRelNone;
    a = s1.p;
    if (e1.t < e2.t) {
      b = e1.p;
      code = kRelContained;
    } else {
      b = e2.p;
      code = kRelPartialOverlap;
    }
  }
  SortItoJ(&a, &b);
  Put(outA, a);
  Put(outB, b);
  return code;
}

int SubSgmtsLapTplgy(const _PARMSGMT2D* seg, const _PARMSGMT2D* sub, double /*unused*/,
                     _POINT2D* outA, _POINT2D* outB) {
  if (sub->startParm > seg->endParm) return kRelNone;
  _POINT2D a = sub->start;
  _POINT2D b;
  int code;
  if (seg->endParm <= sub->endParm) {
    b = seg->end;
    code = kRelPartialOverlap;
  } else {
    b = sub->end;
    code = kRelContained;
  }
  SortItoJ(&a, &b);
  Put(outA, a);
  Put(outB, b);
  return code;
}

int SgmtsRelation(const _LINE2D* L1, const _LINE2D* L2, double crossTol, double lapTol,
                  _POINT2D* outA, _POINT2D* outB) {
  const int lap = DoSgmtsLap(L1, L2, lapTol, outA, outB);
  if (lap != kRelNone) return lap;
  return DoSgmtsCross(L1, L2, crossTol, 0.0, outA);
}

void SortItoJ(_POINT2D* A, _POINT2D* B) {
  const _LINE2D ab{*A, *B};
  const double dir = GetAngle(&ab);
  if (dir > kSortAngleLow && dir <= kSortAngleHigh) std::swap(*A, *B);
}

void SortPtLeftToRight(_PARMSGMT2D* seg) {
  std::swap(seg->start, seg->end);
  std::swap(seg->startParm, seg->endParm);
}

int SortListOfPoint2Ds(const _POINT2D* pts, int n, const _POINT2D* ref, _POINT2D* out) {
  if (pts == nullptr || out == nullptr || ref == nullptr || n < 0) return 0;
  struct Item {
    double d;
    _POINT2D p;
  };
  std::vector<Item> items(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    const double d = DistanceBtwnPoints(&pts[i], ref);
    // NaN would break the ordering the sort relies on; such points go first, as the farthest.
    items[i] = {std::isnan(d) ? HUGE_VAL : d, pts[i]};
  }
  // Increasing and stable, then reversed: decreasing, equal distances with the later point first.
  std::stable_sort(items.begin(), items.end(),
                   [](const Item& a, const Item& b) { return a.d < b.d; });
  for (int i = 0; i < n; ++i) out[i] = items[n - 1 - i].p;
  return 1;
}

int CheckLineCrossPoly(const _POINT2D* poly, int n, const _LINE2D* L) {
  if (poly == nullptr || n < 2) return 0;
  const bool endOnFirst = IsSamePoint(&L->end, &poly[0], kPolyEndMatchTol);
  for (int i = 0; i + 1 < n; ++i) {
    const _LINE2D edge{poly[i], poly[i + 1]};
    _POINT2D x;
    if (DoSgmtsCross(L, &edge, kPolyCrossTol, 0.0, &x) != kRelNone) {
      const bool atStart = IsSamePoint(&x, &L->start, kPolyEndMatchTol);
      const bool atClosingEnd = endOnFirst && IsSamePoint(&x, &L->end, kPolyEndMatchTol);
      if (!atStart && !atClosingEnd) return 1;
    }
    _POINT2D a;
    _POINT2D b;
    if (DoSgmtsLap(L, &edge, kPolyCrossTol, &a, &b) > kRelTouchEndToEnd) return 1;
  }
  return 0;
}

}  // extern "C"
