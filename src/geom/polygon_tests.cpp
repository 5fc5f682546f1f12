// Point-in-polygon tests, centroids and the pieces of a segment inside a polygon.
#include "geom/polygon_tests.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "geom/primitives.h"

using namespace qel::geom;

namespace {

// Far beyond every tolerance the ray relations use (0.005 and twice that for overlaps).
constexpr double kFarFromRay = 1.0;

// A repeated closing point is left out of the centroid sums.
int EffectiveCount(int n, const _POINT2D* pts) {
  if (n > 1 && pts[n - 1].x == pts[0].x && pts[n - 1].y == pts[0].y) return n - 1;
  return n;
}

// Middle of the widest angular gap between the directions from P to the vertices, so that the
// test ray stays as far as possible from every vertex. Among equal inner gaps the first in
// increasing direction wins; the wrap-around gap (across 0 degrees) wins only when strictly
// larger. The widest gap is found in linear time with one bucket per direction: the widest gap
// is at least the bucket width, so it always runs from the top of one non-empty bucket to the
// bottom of the next, and only the extremes of each bucket matter.
double RayDirection(int n, const _POINT2D* pts, const _POINT2D* P) {
  std::vector<double> dirs(static_cast<size_t>(n));
  double lo = 360.0;
  double hi = 0.0;
  for (int i = 0; i < n; ++i) {
    const double dx = pts[i].x - P->x;
    const double dy = pts[i].y - P->y;
    if (std::fabs(dx) <= kInPolygonTol && std::fabs(dy) <= kInPolygonTol) {
      dirs[i] = 0.0;
    } else {
      const _LINE2D toVertex{*P, pts[i]};
      dirs[i] = GetAngle(&toVertex);
    }
    lo = std::min(lo, dirs[i]);
    hi = std::max(hi, dirs[i]);
  }
  double bestGap = -1.0;
  double bestDir = 0.0;
  if (hi > lo && n > 1) {
    const size_t buckets = static_cast<size_t>(n);
    const double width = (hi - lo) / static_cast<double>(buckets);
    std::vector<double> bmin(buckets, 361.0);
    std::vector<double> bmax(buckets, -1.0);
    for (double d : dirs) {
      // NaN directions (from NaN coordinates) land in bucket 0 rather than in a bad cast.
      const double q = (d - lo) / width;
      size_t k = 0;
      if (q >= static_cast<double>(buckets)) {
        k = buckets - 1;
      } else if (q > 0) {
        k = static_cast<size_t>(q);
      }
      bmin[k] = std::min(bmin[k], d);
      bmax[k] = std::max(bmax[k], d);
    }
    double prevMax = bmax[0];  // bucket 0 holds lo
    for (size_t k = 1; k < buckets; ++k) {
      if (bmax[k] < 0) continue;
      const double gap = bmin[k] - prevMax;
      if (gap > bestGap) {
        bestGap = gap;
        bestDir = prevMax + gap / 2.0;
      }
      prevMax = bmax[k];
    }
  } else if (n > 1) {
    bestGap = 0.0;  // all directions equal: the only inner gaps are empty
    bestDir = lo;
  }
  const double wrap = 360.0 - hi + lo;
  if (wrap > bestGap) {
    bestDir = hi + wrap / 2.0;
    if (bestDir >= 360.0) bestDir -= 360.0;
  }
  return bestDir;
}

bool OnEdge(const _POINT2D* P, const _LINE2D& edge, double tol) {
  double eq[3];
  LineEqPoints(eq, &edge, nullptr);
  if (eq[0] == 0 && eq[1] == 0) {
    // A repeated vertex makes an edge without a line; only the vertex itself is on it.
    return IsSamePoint(P, &edge.start, tol) != 0;
  }
  return std::fabs(eq[0] * P->x + eq[1] * P->y + eq[2]) <= tol &&
         IsPointInSgmt(P, &edge, kInPolygonSpanTol) == kRelSharedEnd;
}

// One coordinate of the centroid: the sum over the edges of (a^2 + ab + b^2) times the change of
// the other coordinate, over three times the sum of (a + b) times that change.
double CentroidCoordinate(int n, const _POINT2D* pts, double _POINT2D::*along,
                          double _POINT2D::*across) {
  if (pts == nullptr) n = 0;
  n = EffectiveCount(n, pts);
  double num = 0.0;
  double den = 0.0;
  for (int i = 0; i < n; ++i) {
    const double a = pts[i].*along, b = pts[(i + 1) % n].*along;
    const double d = pts[(i + 1) % n].*across - pts[i].*across;
    num += (a * a + a * b + b * b) * d;
    den += (a + b) * d;
  }
  return num / (3.0 * den);
}

}  // namespace

extern "C" {

double GetPolygonCentroidX(int n, const _POINT2D* pts) {
  return CentroidCoordinate(n, pts, &_POINT2D::x, &_POINT2D::y);
}

double GetPolygonCentroidY(int n, const _POINT2D* pts) {
  // The same sum with the axes' roles swapped.
  return CentroidCoordinate(n, pts, &_POINT2D::y, &_POINT2D::x);
}

_POINT2D* GetPolygonCentroid(_POINT2D* out, int n, const _POINT2D* pts) {
  const _POINT2D c{GetPolygonCentroidX(n, pts), GetPolygonCentroidY(n, pts)};
  *out = c;
  return out;
}

int IsPointInPolygon(int n, const _POINT2D* pts, const _POINT2D* P, double tol, int* edge) {
  if (n < 1 || pts == nullptr || P == nullptr) return 0;
  auto edgeOf = [&](int i) { return _LINE2D{pts[i], pts[(i + 1) % n]}; };

  // A point on an edge lies within tol of its line and, by the span test, within a few
  // hundredths of its extents; edges whose box is farther away need no test.
  const double reach = tol + 2.0 * kSpanZeroExtent;
  for (int i = 0; i < n; ++i) {
    const _POINT2D& a = pts[i];
    const _POINT2D& b = pts[(i + 1) % n];
    if (P->x < std::min(a.x, b.x) - reach || P->x > std::max(a.x, b.x) + reach ||
        P->y < std::min(a.y, b.y) - reach || P->y > std::max(a.y, b.y) + reach) {
      continue;
    }
    if (OnEdge(P, edgeOf(i), tol)) {
      if (edge != nullptr) *edge = i;
      return 2;
    }
  }

  _LINE2D ray;
  RayFromPointAngle(&ray, P, RayDirection(n, pts, P), kRayLength);

  // An edge whose two ends both lie clearly on one side of the ray's line can neither cross nor
  // overlap the ray: every relation below needs a point within a few thousandths of that line.
  // Skipping such edges up front leaves the answer unchanged and saves the tolerant tests.
  double rayEq[3];
  LineEqPoints(rayEq, &ray, nullptr);
  auto side = [&](const _POINT2D& v) { return rayEq[0] * v.x + rayEq[1] * v.y + rayEq[2]; };

  const double ux = std::cos(GetAngle(&ray) * kRadiansPerDegree);
  const double uy = std::sin(GetAngle(&ray) * kRadiansPerDegree);
  // A vertex lies on the ray when it is within the vertex radius of the ray's line and span.
  auto onRay = [&](int k) {
    if (std::fabs(side(pts[k])) > kInPolygonTol) return false;
    const double t = (pts[k].x - P->x) * ux + (pts[k].y - P->y) * uy;
    return t >= -kInPolygonTol && t <= kRayLength + kInPolygonTol;
  };

  std::vector<char> skip(static_cast<size_t>(n), 0);
  std::vector<char> counted(static_cast<size_t>(n), 0);
  int crossings = 0;
  for (int i = 0; i < n; ++i) {
    if (skip[i]) continue;
    const _LINE2D e = edgeOf(i);
    const double s0 = side(e.start);
    const double s1 = side(e.end);
    if ((s0 > kFarFromRay && s1 > kFarFromRay) || (s0 < -kFarFromRay && s1 < -kFarFromRay)) {
      continue;
    }
    _POINT2D a{0.0, 0.0};
    _POINT2D b{0.0, 0.0};
    int code = DoSgmtsLap(&ray, &e, kInPolygonTol, &a, &b);
    _POINT2D meet = a;
    if (code == kRelNone) code = DoSgmtsCross(&ray, &e, kInPolygonTol, 0.0, &meet);
    if (code == kRelCross) {
      ++crossings;
      counted[i] = 1;
      continue;
    }
    if (code != kRelCrossAtEnd && code != kRelTouchEndToEnd) continue;
    const bool nearStart = IsSamePoint(&meet, &e.start, kInPolygonTol) != 0;
    const bool nearEnd = IsSamePoint(&meet, &e.end, kInPolygonTol) != 0;
    if (!nearStart && !nearEnd) {
      // The crossing is near an end of the ray, not at a vertex: an ordinary crossing.
      ++crossings;
      counted[i] = 1;
      continue;
    }
    // The ray meets vertex V. It crosses the boundary there only when the vertices before and
    // after V lie on opposite sides of the ray. Where edges are shorter than the vertex radius,
    // V's neighbours can lie on the ray as well; the whole run of consecutive vertices within the
    // radius of the ray then counts as one meeting, judged by the vertices just outside it.
    const bool vIsStart = DistanceBtwnPoints(&meet, &e.start) <= DistanceBtwnPoints(&meet, &e.end);
    const int v = vIsStart ? i : (i + 1) % n;
    int first = v;
    int last = v;
    int runEdges = 2;  // edges touching the run: the one into `first` up to the one out of `last`
    while (runEdges < n && onRay((first + n - 1) % n)) {
      first = (first + n - 1) % n;
      ++runEdges;
    }
    while (runEdges < n && onRay((last + 1) % n)) {
      last = (last + 1) % n;
      ++runEdges;
    }
    const int before = (first + n - 1) % n;
    const int after = (last + 1) % n;
    const int rA = PointLineRelation(&pts[before], &ray, tol, nullptr);
    const int rB = PointLineRelation(&pts[after], &ray, tol, nullptr);
    if (runEdges < n && rA != rB && rA != kRelSharedEnd && rB != kRelSharedEnd) {
      ++crossings;
      counted[i] = 1;
    }
    // The other edges at the run must not count the same meeting again: later ones are skipped,
    // an earlier one that counted a crossing has it withdrawn.
    for (int k = 0, o = before; k < runEdges; ++k, o = (o + 1) % n) {
      if (o > i) {
        skip[o] = 1;
      } else if (o < i && counted[o]) {
        --crossings;
        counted[o] = 0;
      }
    }
  }
  return crossings % 2 != 0 ? 1 : 0;
}

int IsPointInPolygon2(int n, const _POINT2D* pts, const _POINT2D* P) {
  if (n < 1 || pts == nullptr || P == nullptr) return 0;
  int inside = 0;
  for (int i = 0, j = n - 1; i < n; j = i++) {
    const _POINT2D& a = pts[i];
    const _POINT2D& b = pts[j];
    if ((a.y <= P->y && P->y < b.y) || (b.y <= P->y && P->y < a.y)) {
      const double x = a.x + (P->y - a.y) * (b.x - a.x) / (b.y - a.y);
      if (P->x < x) inside = !inside;
    }
  }
  return inside;
}

int IsPointInRect(const _RECT2D* rect, const _POINT2D* P) {
  double x = rect->x;
  double y = rect->y;
  double w = rect->width;
  double h = rect->height;
  if (w < 0) {
    x += w;
    w = -w;
  }
  if (h < 0) {
    y += h;
    h = -h;
  }
  return x <= P->x && P->x <= x + w && y <= P->y && P->y <= y + h;
}

int SegmentLiesWithinPolygon(const _POINT2D* pts, int n, const _LINE2D* L, double tol,
                             int* startOnEdge, int* endOnEdge, int* overlapsEdge, int* startIn,
                             int* endIn) {
  int sOn = 0;
  int eOn = 0;
  int lap = 0;
  int crossings = 0;
  int sIn = 0;
  int eIn = 0;
  if (pts != nullptr && n > 0) {
    for (int i = 0; i < n; ++i) {
      const _LINE2D e{pts[i], pts[(i + 1) % n]};
      if (IsPointInSgmt(&L->start, &e, tol) == kRelSharedEnd &&
          DistancePointToLine(&L->start, &e) <= tol) {
        sOn = 1;
      }
      if (IsPointInSgmt(&L->end, &e, tol) == kRelSharedEnd &&
          DistancePointToLine(&L->end, &e) <= tol) {
        eOn = 1;
      }
      _POINT2D a;
      _POINT2D b;
      const int code = DoSgmtsLap(L, &e, tol, &a, &b);
      if (code == kRelPartialOverlap || code == kRelContained || code == kRelIdentical) lap = 1;
      if (DoSgmtsCross(L, &e, tol, 0.0, &a) == kRelCross) ++crossings;
    }
    int unused;
    sIn = IsPointInPolygon(n, pts, &L->start, tol, &unused);
    if (sIn == 0) sIn = IsPointInPolygon2(n, pts, &L->start);
    eIn = IsPointInPolygon(n, pts, &L->end, tol, &unused);
    if (eIn == 0) eIn = IsPointInPolygon2(n, pts, &L->end);
  }
  if (startOnEdge != nullptr) *startOnEdge = sOn;
  if (endOnEdge != nullptr) *endOnEdge = eOn;
  if (overlapsEdge != nullptr) *overlapsEdge = lap;
  if (startIn != nullptr) *startIn = sIn;
  if (endIn != nullptr) *endIn = eIn;
  if (pts == nullptr || n < 1 || crossings > 0) return 0;
  if (sOn && eOn) {
    _POINT2D mid;
    GetMidPoint(&mid, &L->start, &L->end);
    int unused;
    return IsPointInPolygon(n, pts, &mid, tol, &unused) == 1 ? 1 : 0;
  }
  if (sOn) return eIn == 1 ? 1 : 0;
  if (eOn) return sIn == 1 ? 1 : 0;
  return sIn == 1 && eIn == 1 ? 1 : 0;
}

int GetPolygLineIntersectSgmts(const _POINT2D* pts, int n, const _LINE2D* L, double tol,
                               _LINE2D** pieces, int* count, int* capacity, int withBoundary) {
  if (pts == nullptr || L == nullptr || pieces == nullptr || count == nullptr ||
      capacity == nullptr) {
    return 0;
  }
  *count = 0;
  if (n < 1) return 1;
  std::vector<_POINT2D> cuts;
  cuts.reserve(static_cast<size_t>(n) + 2);
  cuts.push_back(L->start);
  for (int i = 0; i < n; ++i) {
    const _LINE2D e{pts[i], pts[(i + 1) % n]};
    _POINT2D x;
    const int code = DoSgmtsCross(L, &e, tol, 0.0, &x);
    if (code == kRelCross || code == kRelCrossAtEnd || code == kRelSharedEnd) cuts.push_back(x);
  }
  cuts.push_back(L->end);
  std::vector<_POINT2D> ordered(cuts.size());
  SortListOfPoint2Ds(cuts.data(), static_cast<int>(cuts.size()), &L->end, ordered.data());

  for (size_t i = 0; i + 1 < ordered.size(); ++i) {
    const _POINT2D& a = ordered[i];
    const _POINT2D& b = ordered[i + 1];
    if (std::fabs(a.x - b.x) <= kMinPieceExtent && std::fabs(a.y - b.y) <= kMinPieceExtent) {
      continue;
    }
    _POINT2D mid;
    GetMidPoint(&mid, &a, &b);
    int unused;
    const int where = IsPointInPolygon(n, pts, &mid, tol, &unused);
    if (!(where == 1 || (where == 2 && withBoundary))) continue;
    if (*count >= *capacity) {
      auto* grown = static_cast<_LINE2D*>(std::realloc(*pieces, sizeof(_LINE2D) * (*count + 1)));
      if (grown == nullptr) return 0;  // the caller keeps what was found so far
      *pieces = grown;
      *capacity = *count + 1;
    }
    (*pieces)[*count] = _LINE2D{a, b};
    ++*count;
  }
  return 1;
}

double GetDistOfLineInsideRectangle(const _POINT2D rectCorners[4], const _LINE2D* L, double tol) {
  if (rectCorners == nullptr || L == nullptr) return 0.0;
  _LINE2D* pieces = nullptr;
  int count = 0;
  int capacity = 0;
  double total = 0.0;
  if (GetPolygLineIntersectSgmts(rectCorners, 4, L, tol, &pieces, &count, &capacity, 1)) {
    for (int i = 0; i < count; ++i) total += Line2DLength(&pieces[i]);
  }
  std::free(pieces);
  return total;
}

void AdjustExtents(_POINT2D* min, _POINT2D* max, const _POINT2D* P, int* first) {
  if (first != nullptr && *first) {
    *first = 0;
    *min = *P;
    *max = *P;
    return;
  }
  min->x = std::min(min->x, P->x);
  min->y = std::min(min->y, P->y);
  max->x = std::max(max->x, P->x);
  max->y = std::max(max->y, P->y);
}

}  // extern "C"
