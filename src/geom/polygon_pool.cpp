// The vertex pool and the vertex-linking intersection engine.
//
// The engine threads polygons A and B through one pool as two clockwise rings, inserts every
// crossing of their edges into both rings as a pair of matched vertices (MarkSide_ over every A
// edge, ExpandPolygonPoints_), and then traces the common area: it follows A from a vertex where A
// enters B, and at each matched vertex switches to B when B runs into A there.
#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "geom/polygon_lib.h"
#include "geom/tolerance.h"
#include "platform/messages.h"

namespace {

using qel::geom::kMaxResultPolygons;
using qel::geom::kPolyTol;
using qel::geom::kWarnClose;
using qel::geom::kWarnSilent;

constexpr long kMaxExpandSteps = 100000;

// Per-thread state: the pool, the result buffer's capacity and the warning mode.
struct PoolState {
  PolygonVertex* v = nullptr;
  int capacity = 0;
  int count = 0;
  int resultCapacity = 0;
  long steps = 0;  // edge tests of the running expansion
};
thread_local PoolState t_pool;
thread_local int t_mode = kWarnClose;
thread_local unsigned long t_errors = 0;  // every ClipError call, silent or not

bool Valid(int i) { return t_pool.v && i >= 0 && i < t_pool.count; }
PolygonVertex& V(int i) { return t_pool.v[i]; }
_POINT2D Pt(int i) { return _POINT2D{t_pool.v[i].x, t_pool.v[i].y}; }

void Fail(const char* message) {
  ClipError("%s", message);
  t_mode = kWarnClose;
}

double Dist(const _POINT2D& a, const _POINT2D& b) { return std::hypot(a.x - b.x, a.y - b.y); }

bool BoxesMeet(const _POINT2D& a0, const _POINT2D& a1, const _POINT2D& b0, const _POINT2D& b1,
               double margin) {
  return std::min(a0.x, a1.x) <= std::max(b0.x, b1.x) + margin &&
         std::min(b0.x, b1.x) <= std::max(a0.x, a1.x) + margin &&
         std::min(a0.y, a1.y) <= std::max(b0.y, b1.y) + margin &&
         std::min(b0.y, b1.y) <= std::max(a0.y, a1.y) + margin;
}

bool Linked(int i) { return V(V(i).prev).next == i; }

// The first vertex still in its ring, from i on along the (possibly stale) next links; -1 when
// none is found within the pool's size.
int LinkedFrom(int i) {
  for (int guard = 0; Valid(i) && guard <= t_pool.count; ++guard) {
    if (Linked(i)) return i;
    i = V(i).next;
  }
  return -1;
}

bool AllFinite(const _POINT2D* p, int n) {
  for (int i = 0; i < n; ++i)
    if (!std::isfinite(p[i].x) || !std::isfinite(p[i].y)) return false;
  return true;
}

}  // namespace

extern "C" {

int GetPolygonWarnMode() { return t_mode; }
void SetPolygonWarnMode(int mode) { t_mode = mode; }

void ClipError(const char* format, ...) {
  ++t_errors;
  if (t_mode == kWarnSilent) return;
  char body[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(body, sizeof body, format, args);
  va_end(args);
  std::string text = "Error in polygon intersection:\n";
  text += body;
  MessageBoxA(nullptr, text.c_str(), nullptr, MB_OK);
  if (t_mode == kWarnClose) qel::RequestMainWindowClose();
}

int InsertVertex(const _POINT2D* P, int after) {
  if (!t_pool.v || t_pool.count >= t_pool.capacity) {
    Fail("Too many vertices.");
    return -99;
  }
  int i = t_pool.count++;
  PolygonVertex& n = V(i);
  n.x = P->x;
  n.y = P->y;
  n.match = -1;
  n.visits = 0;
  if (!Valid(after) || after == i) {
    n.prev = n.next = i;
  } else {
    n.prev = after;
    n.next = V(after).next;
    V(n.next).prev = i;
    V(after).next = i;
  }
  return i;
}

int InsertVertex_Warn(const _POINT2D* P, int after, int mode) {
  t_mode = mode;
  return InsertVertex(P, after);
}

// The record keeps its prev/next so that a walk standing on it can still move on.
void DeleteVertex(int i) {
  if (!Valid(i)) return;
  int p = V(i).prev, n = V(i).next;
  V(p).next = n;
  V(n).prev = p;
}

int CutSharpTip(int i, int j) {
  if (Valid(i) && Valid(j) && i != j) {
    // Two neighbours standing for one point: j, the one found later, goes. Either order along
    // the ring is accepted, since the ring's direction says nothing about which was found first.
    if (V(i).next == j || V(j).next == i) {
      DeleteVertex(j);
      return -1;
    }
    int t = V(i).next;
    if (V(t).next == j && V(t).match < 0) {
      DeleteVertex(t);
      return t;
    }
    t = V(j).next;
    if (V(t).next == i && V(t).match < 0) {
      DeleteVertex(t);
      return t;
    }
  }
  Fail("Clipping a degenerate polygon.");
  return -98;
}

int CutSharpTip_Warn(int i, int j, int mode) {
  t_mode = mode;
  return CutSharpTip(i, j);
}

int AddPoint(int vertex, _POINT2D* out, int* count) {
  if (!Valid(vertex) || !out || !count) return 0;
  if (*count >= t_pool.resultCapacity) return 0;
  _POINT2D p = Pt(vertex);
  if (*count > 0 && Dist(p, out[*count - 1]) < kPolyTol) {
    Fail("New vertex is too close to last vertex.");
    return -96;
  }
  out[(*count)++] = p;
  return 1;
}

int AddPoint_Warn(int vertex, _POINT2D* out, int* count, int mode) {
  t_mode = mode;
  int r = AddPoint(vertex, out, count);
  t_mode = kWarnClose;
  return r;
}

}  // extern "C"

namespace {

// What CutSharpTip answers besides the index of the spike vertex it removed.
enum CutCode : int {
  kCutNeighbour = -1,  // the two vertices were neighbours: the later one was removed
  kCutFailed = -98,    // no spike between them: the polygon is degenerate
};

// How the walk of MarkSide_ over ring B goes on after one crossing.
enum class Next { kGoOn, kEdgeDone, kFail };

// The A edge under test: its start, its current end and the line through them. A crossing
// inserted into the edge shortens it to a->x.
struct AEdge {
  int a, an;
  _POINT2D pa, pan;
  double eq[3];
  void EndAt(int v, const _POINT2D& p) {
    an = v;
    pan = p;
    SetLineEq(eq, &pa, &pan);
  }
};

// The vertex standing for the crossing x on the edge from -> to: one of its ends when x lies
// within the tolerance of it, else a new vertex after `from` (*inserted set); negative when the
// pool is full.
int VertexAt(const _POINT2D& x, int from, int to, double tol, bool* inserted) {
  *inserted = false;
  if (Dist(x, Pt(from)) <= tol) return from;
  if (Dist(x, Pt(to)) <= tol) return to;
  *inserted = true;
  return InsertVertex(&x, from);
}

// Links the A vertex av to the B vertex *bv. When av already stands for another B vertex, the two
// B vertices are one point of A and ring B loses the spike between them (CutSharpTip's answer
// goes to *cutB); *bv then becomes the old partner and *bStart moves on if it was cut away.
Next LinkAToB(int av, int* bv, bool newB, int* bStart, int* cutB) {
  if (V(av).match < 0 || V(av).match == *bv) {
    V(av).match = *bv;
    return Next::kGoOn;
  }
  const int old = V(av).match;
  const int cut = CutSharpTip(old, *bv);
  *cutB = cut;
  if (cut == kCutFailed) return Next::kFail;
  if (newB || cut == kCutNeighbour) {
    if (newB && Linked(*bv)) DeleteVertex(*bv);
  } else if (V(*bv).match < 0) {
    DeleteVertex(*bv);  // the spike is gone; bv now sits beside old on the same point
  } else {
    Fail("Clipping a degenerate polygon.");
    return Next::kFail;
  }
  if (!Linked(*bStart)) *bStart = LinkedFrom(*bStart);
  if (*bStart < 0) {
    t_mode = kWarnClose;
    return Next::kFail;
  }
  if (cut == kCutNeighbour && V(old).prev == V(old).next && V(old).next == old) {
    Fail("Clipping a degenerate polygon.");
    return Next::kFail;
  }
  *bv = old;
  return Next::kGoOn;
}

// The same from the B side: links bv to the A vertex av, cutting a spike in ring A (answer in
// *cutA) when bv already stands for another A vertex. A newly inserted av is unlinked again and
// the edge gets back its old end `oldEnd`. kEdgeDone when the edge under test was cut away or has
// shrunk to nothing: the caller moves on to the next A edge.
Next LinkBToA(int bv, int av, bool newA, int oldEnd, double tol, AEdge& e, int* cutA) {
  if (V(bv).match < 0 || V(bv).match == av) {
    V(bv).match = av;
    return Next::kGoOn;
  }
  const int old = V(bv).match;
  const int cut = CutSharpTip(old, av);
  *cutA = cut;
  if (cut == kCutFailed) return Next::kFail;
  if (newA) {
    V(av).match = -1;
    if (Linked(av)) DeleteVertex(av);
    e.an = oldEnd;
  } else if (cut == kCutNeighbour) {
    V(av).match = -1;  // av was the later neighbour and is gone
  } else if (cut != av) {
    if (V(av).match == bv || V(av).match < 0) {
      V(av).match = -1;
      DeleteVertex(av);
    } else {
      Fail("Clipping a degenerate polygon.");
      return Next::kFail;
    }
  }
  if (cut == e.a || av == e.a) return Next::kEdgeDone;
  if (cut == e.an || (av == e.an && !newA)) e.an = V(e.a).next;
  if (e.an == e.a) {
    t_mode = kWarnClose;  // no A edge end left
    return Next::kFail;
  }
  e.pan = Pt(e.an);
  if (Dist(e.pa, e.pan) <= tol) return Next::kEdgeDone;
  SetLineEq(e.eq, &e.pa, &e.pan);
  return Next::kGoOn;
}

// One crossing x of the A edge with the B edge b -> bn: both rings get (or already have) a vertex
// for it, and the two are matched.
Next MarkCrossing(const _POINT2D& x, int b, int bn, double tol, AEdge& e, int* bStart, int* cutA,
                  int* cutB) {
  bool newB = false, newA = false;
  int bv = VertexAt(x, b, bn, tol, &newB);
  if (bv < 0) return Next::kFail;
  const int oldEnd = e.an;
  const int av = VertexAt(x, e.a, e.an, tol, &newA);
  if (av < 0) return Next::kFail;
  if (newA) e.EndAt(av, x);
  const Next linked = LinkAToB(av, &bv, newB, bStart, cutB);
  if (linked != Next::kGoOn) return linked;
  return LinkBToA(bv, av, newA, oldEnd, tol, e, cutA);
}

}  // namespace

extern "C" {

// Inserts the crossings of the A edge a->a.next with every edge of ring B into both rings as
// matched vertices. Returns 1, or 0 when the expansion must stop (the mode then reads -10).
int MarkSide_(int a, int ringB, int* cutA, int* cutB) {
  *cutA = *cutB = -1;
  if (!Valid(a) || !Valid(ringB)) return 0;
  const double tol = gdLocalTol1;
  AEdge e{a, V(a).next, Pt(a), Pt(V(a).next), {}};
  if (Dist(e.pa, e.pan) <= tol) return 1;
  const unsigned long errors = t_errors;
  SetLineEq(e.eq, &e.pa, &e.pan);
  int bStart = ringB;
  int b = bStart;
  do {
    if (++t_pool.steps > kMaxExpandSteps) {
      t_mode = kWarnClose;
      return 0;
    }
    const int bn = V(b).next;
    const int ma = V(a).match, man = V(e.an).match;
    const _POINT2D pb = Pt(b), pbn = Pt(bn);
    // Edges already matched at an end are not crossed again. Edges whose boxes are apart by more
    // than twice the tolerance cannot meet; this also keeps nearly parallel edges from reporting
    // a projected point far outside the A edge.
    const bool skip =
        ma == b || ma == bn || man == b || man == bn || !BoxesMeet(e.pa, e.pan, pb, pbn, 2 * tol);
    _POINT2D x;
    if (!skip && Dist(pb, pbn) > 0.0 &&
        PGSegmentsIntersect(&e.pa, &e.pan, e.eq, &pb, &pbn, nullptr, tol, &x)) {
      if (t_errors != errors) return 0;  // a line equation failed inside
      const Next next = MarkCrossing(x, b, bn, tol, e, &bStart, cutA, cutB);
      if (next == Next::kFail) return 0;
      if (next == Next::kEdgeDone) return 1;
    }
    b = LinkedFrom(V(b).next);
    if (b < 0 || V(b).next == b) break;
  } while (b != bStart);
  return 1;
}

int MarkSide(int a, int ringB, int* cutA, int* cutB) { return MarkSide_(a, ringB, cutA, cutB); }

// Runs MarkSide_ over every edge of ring A. Where an edge is split, the walk goes on from the new
// vertex (its far part is an edge of its own); where a cut removes the vertex the walk stands on,
// the walk goes on from that vertex's old successor. Each vertex is marked (visits = 1) once its
// outgoing edge has been tested against the whole of ring B, and the walk ends at the first marked
// vertex, so every edge present after all insertions is tested once. The marks are cleared at the
// end. Returns 1, or 0 on failure (mode -10).
int ExpandPolygonPoints_(int* ringA, int* ringB) {
  if (!Valid(*ringA) || !Valid(*ringB)) return 0;
  t_pool.steps = 0;
  const unsigned long errors = t_errors;
  int cur = *ringA;
  int ok = 1;
  while (Valid(cur) && V(cur).visits == 0) {
    V(cur).visits = 1;
    int cutA = -1, cutB = -1;
    if (!MarkSide_(cur, *ringB, &cutA, &cutB) || t_errors != errors) {
      ok = 0;
      break;
    }
    // A cut may have removed a ring's named vertex or the vertex the walk stands on.
    *ringA = LinkedFrom(*ringA);
    *ringB = LinkedFrom(*ringB);
    cur = LinkedFrom(V(cur).next);
    if (*ringA < 0 || *ringB < 0 || cur < 0 || V(cur).next == cur) {
      t_mode = kWarnClose;
      ok = 0;
      break;
    }
  }
  for (int i = 0; i < t_pool.count; ++i) V(i).visits = 0;
  return ok;
}

int ExpandPolygonPoints(int* ringA, int* ringB) { return ExpandPolygonPoints_(ringA, ringB); }

int WhichSideEdgePair(const _POINT2D* P, const _POINT2D* Q0, const _POINT2D* V, const _POINT2D* Q1,
                      double tol) {
  double eq0[3], eq1[3], eqP[3];
  SetLineEq(eqP, V, P);
  if (std::fabs(LineDistance(Q0, eqP)) <= tol || std::fabs(LineDistance(Q1, eqP)) <= tol) return 0;
  SetLineEq(eq0, Q0, V);
  SetLineEq(eq1, V, Q1);
  int s1 = WhichSide(P, eq0, tol), s2 = WhichSide(P, eq1, tol);
  double t = LineDistance(Q1, eq0);
  if (std::fabs(t) <= tol) {
    if (s1 == 1) return s2 == 1 ? 1 : 0;
    return s1 == -1 && s2 == -1 ? -1 : 0;
  }
  if (t > tol) {
    if (s1 == 1 && s2 == 1) return 1;
    return s1 == -1 || s2 == -1 ? -1 : 0;
  }
  if (s1 == 1 || s2 == 1) return 1;
  return s1 == -1 && s2 == -1 ? -1 : 0;
}

// 1 when the ring of `vertex` runs into the polygon (pts, n) of its match's ring there.
int RedEntersBlue(int vertex, const _POINT2D* pts, int n) {
  if (!Valid(vertex) || !Valid(V(vertex).match)) return 0;
  int m = V(vertex).match;
  _POINT2D p = Pt(V(vertex).next), v = Pt(m), q0 = Pt(V(m).prev), q1 = Pt(V(m).next);
  if (Dist(p, v) > 0.0 && Dist(q0, v) > 0.0 && Dist(q1, v) > 0.0) {
    int s = WhichSideEdgePair(&p, &q0, &v, &q1, kPolyTol);
    if (s != 0) return s == 1 ? 1 : 0;
  }
  // Undecided: the midpoints of the edges leaving the vertex decide, up to the next match.
  int e = vertex;
  for (int guard = 0; guard <= t_pool.count; ++guard) {
    int nx = V(e).next;
    _POINT2D mid{(V(e).x + V(nx).x) / 2, (V(e).y + V(nx).y) / 2};
    int r = PGPointInPolygon(&mid, pts, n, kPolyTol);
    if (r == 1) return 1;
    if (r != 2) return 0;
    if (V(nx).match >= 0 || nx == vertex) return 0;
    e = nx;
  }
  return 0;
}

// Appends the points of the ring from `vertex` up to (not including) the next matched vertex and
// returns that vertex; -1 on failure (a vertex passed twice, or the buffer full).
int GoToNextMatch(int vertex, _POINT2D* out, int* count) {
  int cur = vertex;
  for (;;) {
    if (V(cur).visits > 0) return -1;
    V(cur).visits++;
    if (V(cur).match >= 0) V(V(cur).match).visits++;
    if (AddPoint(cur, out, count) != 1) return -1;
    cur = V(cur).next;
    if (V(cur).match >= 0) return cur;
  }
}

// At a matched vertex of the current ring: the vertex to continue from, which is the match in the
// other ring when the other ring runs into the current polygon there, else the vertex itself.
int ChooseExitPolygon(int vertex, const _POINT2D* currentPts, int currentN) {
  int m = V(vertex).match;
  if (m >= 0 && RedEntersBlue(m, currentPts, currentN)) return m;
  return vertex;
}

// Whether ring `ring` (blue) lies inside polygon (pts, n): the first midpoint of a blue edge that
// is not on the polygon's boundary decides. 1 inside, 0 outside or undecided.
int BlueInsideRed(int ring, const _POINT2D* pts, int n) {
  if (!Valid(ring)) return 0;
  int e = ring;
  int guard = 0;
  do {
    if (++guard > t_pool.count) return 0;
    int nx = V(e).next;
    _POINT2D mid{(V(e).x + V(nx).x) / 2, (V(e).y + V(nx).y) / 2};
    int r = PGPointInPolygon(&mid, pts, n, kPolyTol);
    if (r == 1) return 1;
    if (r == 0 || r < 0) return 0;
    e = nx;
  } while (e != ring);
  return 0;
}

void MergePolyPts(_POINT2D* pts, int* n) {
  bool changed = true;
  while (changed && *n > 3) {
    changed = false;
    for (int i = 0; i<*n&& * n> 3; ++i) {
      const _POINT2D& p = pts[(i + *n - 1) % *n];
      const _POINT2D& q = pts[(i + 1) % *n];
      double d = std::hypot(q.x - p.x, q.y - p.y);
      double off =
          d > 0.0 ? std::fabs((q.x - p.x) * (pts[i].y - p.y) - (q.y - p.y) * (pts[i].x - p.x)) / d
                  : Dist(pts[i], p);
      if (off < kPolyTol) {
        for (int k = i; k + 1 < *n; ++k) pts[k] = pts[k + 1];
        --*n;
        changed = true;
        --i;
      }
    }
  }
}

}  // extern "C"

namespace qel::geom {

unsigned long PolygonErrorCount() { return t_errors; }

const PolygonVertex* PoolRecords(int* count) {
  *count = t_pool.count;
  return t_pool.v;
}

bool ResetPool(int capacity, int resultCapacity) {
  ReleasePool();
  if (capacity <= 0) return false;
  t_pool.resultCapacity = resultCapacity > 0 ? resultCapacity : 0;
  t_pool.v = static_cast<PolygonVertex*>(
      std::calloc(static_cast<size_t>(capacity), sizeof(PolygonVertex)));
  if (!t_pool.v) return false;
  t_pool.capacity = capacity;
  return true;
}

void ReleasePool() {
  std::free(t_pool.v);
  t_pool = PoolState{};
}

namespace {

// Builds a ring of `n` points running with MeasureArea <= 0; returns its first index or -1.
int BuildRing(const _POINT2D* p, int n) {
  bool reverse = MeasureArea(p, n) > 0.0;
  int first = InsertVertex(&p[0], -1);
  int last = first;
  for (int k = 1; k < n && last >= 0; ++k) last = InsertVertex(&p[reverse ? n - k : k], last);
  return last < 0 ? -1 : first;
}

// Traces the common area into buf; false on failure.
bool Trace(int ringA, const _POINT2D* A, int nA, const _POINT2D* B, int nB, _POINT2D* buf,
           IntPolygonsInfo* info, int* total) {
  int count = 0;
  int a = ringA;
  do {
    if (V(a).match >= 0 && V(a).visits == 0 && RedEntersBlue(a, B, nB)) {
      if (info->nPolygons >= kMaxResultPolygons) return false;
      int start = a, startMatch = V(a).match;
      int first = count;
      int cur = a;
      bool onA = true;
      for (int guard = 0;; ++guard) {
        if (guard > 2 * t_pool.count + 2) return false;
        int m = GoToNextMatch(cur, buf, &count);
        if (m < 0) return false;
        if (m == start || m == startMatch) break;
        int next = onA ? ChooseExitPolygon(m, A, nA) : ChooseExitPolygon(m, B, nB);
        if (next != m) onA = !onA;
        cur = next;
        if (cur == start || cur == startMatch) break;
      }
      int n = count - first;
      if (n >= 3) {
        MergePolyPts(buf + first, &n);
        count = first + n;
        info->nPoints[info->nPolygons] = n;
        info->iStart[info->nPolygons] = first;
        info->nPolygons++;
      } else {
        count = first;  // a sliver of fewer than three points has no area
      }
    }
    a = V(a).next;
  } while (a != ringA);
  *total = count;
  return true;
}

}  // namespace

_POINT2D* VertexLinkIntersect(const _POINT2D* A, int nA, const _POINT2D* B, int nB,
                              IntPolygonsInfo* info, int* total, int* relation, bool* failed) {
  *relation = 0;
  *total = 0;
  *failed = false;
  if (info) *info = IntPolygonsInfo{};
  if (!A || !B || nA < 3 || nB < 3 || !info) return nullptr;
  if (!AllFinite(A, nA) || !AllFinite(B, nB)) {
    *failed = true;
    t_mode = kWarnClose;
    return nullptr;
  }
  if (IsBoundingApart(A, nA, B, nB, kPolyTol)) return nullptr;

  int entryMode = t_mode;
  long cap = 2L * (nA + 1L) * (nB + 1L);
  if (cap > kMaxPoolRecords) cap = kMaxPoolRecords;
  if (!ResetPool(static_cast<int>(cap))) {
    MessageBoxA(nullptr, "Vertices", nullptr, MB_OK);
    t_mode = kWarnClose;
    *failed = true;
    return nullptr;
  }
  _POINT2D* buf = nullptr;
  auto fail = [&]() -> _POINT2D* {
    std::free(buf);
    ReleasePool();
    *info = IntPolygonsInfo{};
    *total = 0;
    *relation = 0;
    *failed = true;
    t_mode = kWarnClose;
    return nullptr;
  };

  t_mode = kWarnSilent;
  const unsigned long errors = t_errors;
  int ringA = BuildRing(A, nA);
  int ringB = ringA < 0 ? -1 : BuildRing(B, nB);
  if (ringA < 0 || ringB < 0) return fail();
  if (!ExpandPolygonPoints_(&ringA, &ringB) || t_errors != errors) return fail();

  long rcap = static_cast<long>(nA) * nB;
  if (rcap > kMaxResultPoints) rcap = kMaxResultPoints;
  buf = static_cast<_POINT2D*>(std::malloc(static_cast<size_t>(rcap) * sizeof(_POINT2D)));
  if (!buf) {
    MessageBoxA(nullptr, "IntPolygonsPts", nullptr, MB_OK);
    return fail();
  }
  t_pool.resultCapacity = static_cast<int>(rcap);
  if (!Trace(ringA, A, nA, B, nB, buf, info, total) || t_errors != errors) return fail();

  if (*total == 0) {
    // No crossing traced: containment, decided by the first edge midpoint off the other boundary.
    int inside = 0;
    for (int i = 0; i < nA; ++i) {
      const _POINT2D& p = A[i];
      const _POINT2D& q = A[(i + 1) % nA];
      _POINT2D mid{(p.x + q.x) / 2, (p.y + q.y) / 2};
      int r = PGPointInPolygon(&mid, B, nB, kPolyTol);
      if (r == 2) continue;
      inside = r == 1;
      break;
    }
    const _POINT2D* src = nullptr;
    int n = 0;
    if (inside) {
      src = A;
      n = nA;
      *relation = 3;
    } else if (BlueInsideRed(ringB, A, nA)) {
      src = B;
      n = nB;
      *relation = 4;
    }
    if (t_errors != errors) return fail();
    std::free(buf);
    buf = nullptr;
    if (src) {
      buf = static_cast<_POINT2D*>(std::malloc(static_cast<size_t>(n) * sizeof(_POINT2D)));
      if (!buf) {
        MessageBoxA(nullptr, "IntPolygonsPts", nullptr, MB_OK);
        return fail();
      }
      CopyPolygon(buf, src, n);
      *total = n;
      info->nPolygons = 1;
      info->nPoints[0] = n;
      info->iStart[0] = 0;
    }
  } else {
    *relation = 2;
    void* shrunk = std::realloc(buf, static_cast<size_t>(*total) * sizeof(_POINT2D));
    if (shrunk) buf = static_cast<_POINT2D*>(shrunk);
  }
  ReleasePool();
  t_mode = entryMode;  // success leaves the caller's mode as it was
  return buf;
}

}  // namespace qel::geom
