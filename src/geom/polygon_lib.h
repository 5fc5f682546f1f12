// The polygon library: its own line equation, point/segment/polygon tests, the vertex pool and the
// vertex-linking intersection engine, and PolygonsIntersect, which picks an engine and falls back
// to another.
//
// Conventions of this library (not to be mixed with LineEqPoints of the primitives):
//   line equation (a, b, c) from SetLineEq(P, Q): a = -(Qy-Py)/d, b = (Qx-Px)/d,
//   c = (Qy*Px - Py*Qx)/d; the side value of a point is s = -(a*x + b*y + c), negative to the
//   left of P->Q and positive to the right.
//   Polygons are a count and an array of _POINT2D, closed implicitly.
//
// State: the vertex pool, the result buffer and the warning mode belong to the calling thread, so
// two threads may intersect polygons at once; within one thread the mode keeps its documented
// meaning (-8 silent, -10 message box and close request, other values message box only, initial
// -10; every error leaves it at -10).
//
// Results that hand out arrays allocate them with malloc; the caller releases them with free.
#pragma once

#include <cstddef>
#include <cstdint>

#include "geom/geom_types.h"

// One record of the vertex pool. Rings are circular doubly linked lists threaded through prev and
// next; a ring is named by the index of any of its vertices.
struct PolygonVertex {
  double x;
  double y;
  int32_t match;  // coinciding vertex of the other ring, -1 when not an intersection
  int32_t prev;
  int32_t next;
  int32_t visits;  // times the tracing walk has passed this vertex
};
static_assert(sizeof(PolygonVertex) == 32 && offsetof(PolygonVertex, match) == 16 &&
              offsetof(PolygonVertex, prev) == 20 && offsetof(PolygonVertex, next) == 24 &&
              offsetof(PolygonVertex, visits) == 28);

// The layout of an intersection result: polygon k has nPoints[k] points starting at iStart[k] in
// the returned point array.
struct IntPolygonsInfo {
  int32_t nPolygons;
  int32_t nPoints[10];
  int32_t iStart[10];
};
static_assert(sizeof(IntPolygonsInfo) == 84 && offsetof(IntPolygonsInfo, nPoints) == 4 &&
              offsetof(IntPolygonsInfo, iStart) == 44);

extern "C" {

// ---- Line equation of this library -------------------------------------------------------------
// P == Q reports "SetLineEq() passed two identical points at ..." and gives (0, 0, -1).
void SetLineEq(double* eq, const _POINT2D* P, const _POINT2D* Q);
// Sets the mode, then SetLineEq; 1 when a^2 + b^2 - 1 < 0.001, else -1.
int SetLineEq_Warn(const _POINT2D* P, const _POINT2D* Q, double* eq, int mode);
void LineEqFromPtAngle(double* eq, const _POINT2D* P, double angleDeg);
void LineParallelShift(const double* eq, double* out, double dist);
int AreLinesParallel(const double* eq1, const double* eq2);
void ReverseLine(double* out, const double* eq);
int WhichSide(const _POINT2D* P, const double* eq, double tol);    // 0 on, -1 left, 1 right
double LineDistance(const _POINT2D* P, const double* eq);          // the side value s
int LineInt(const double* eq1, const double* eq2, _POINT2D* out);  // 0 and (1e7,1e7) if parallel
void ProjectPtOnLine(_POINT2D* out, const _POINT2D* P, const double* eq);
int IsPointInBox(const _POINT2D* P, const _POINT2D* A, const _POINT2D* B, double tol);
double PointsAngle(const _POINT2D* P, const _POINT2D* Q);  // degrees in (-0.001, 360)
double Interpolate(double x, double y1, double y2, double x1, double x2);
double SgmtAbcisse(const _POINT2D* P, const _POINT2D* S0, const double* eq);
// Position of P along S0->S1 clamped to [0, length], or -1 when beyond the ends by more than tol.
// eq may be null.
double PtPrjctsOnSgmt(const _POINT2D* P, const _POINT2D* S0, const _POINT2D* S1, const double* eq,
                      double tol);
int PGPointOnSegment(const _POINT2D* P, const _POINT2D* S0, const _POINT2D* S1, double tol);
// 1 with *out = the common point of the two segments (crossing or touching), 0 when none or when
// they are collinear. eqA / eqB may be null.
int PGSegmentsIntersect(const _POINT2D* A0, const _POINT2D* A1, const double* eqA,
                        const _POINT2D* B0, const _POINT2D* B1, const double* eqB, double tol,
                        _POINT2D* out);
int IntersectOrProject(const _POINT2D* S0, const _POINT2D* S1, const double* eqS, const double* eqT,
                       double tol, _POINT2D* out);
int IntersectOrChooseProject(const _POINT2D* S0, const _POINT2D* S1, const double* eqS,
                             const _POINT2D* T0, const _POINT2D* T1, const double* eqT, double tol,
                             _POINT2D* out);

// ---- Polygons ----------------------------------------------------------------------------------
void GetBoundingXYRange(const _POINT2D* pts, int n, double* xmin, double* xmax, double* ymin,
                        double* ymax);
int IsBoundingApart(const _POINT2D* A, int nA, const _POINT2D* B, int nB, double tol);
double MeasureArea(const _POINT2D* pts, int n);  // positive counter-clockwise (y up)
int IsClockWisePlygn(const _POINT2D* pts, int n, double* area);
void ReversePlygnClockWise(_POINT2D* pts, int n);
void CopyPolygon(_POINT2D* dst, const _POINT2D* src, int n);
int IsPointOnPolygon(const _POINT2D* P, const _POINT2D* pts, int n, double tol);
// 2 on the boundary, 1 inside, 0 outside, -100 when every vertex shares the point's x within tol.
int PGPointInPolygon(const _POINT2D* P, const _POINT2D* pts, int n, double tol);
int PGPointInPolygon_Warn(const _POINT2D* P, const _POINT2D* pts, int n, double tol, int mode);

// Intersection of A and B. Returns the malloc'd result points (null when none) laid out by *info;
// *total receives the number of points and *relation 0 none, 1 touching, 2 overlap, 3 A inside B,
// 4 B inside A, 5 identical.
_POINT2D* PolygonsIntersect(const _POINT2D* A, int nA, const _POINT2D* B, int nB,
                            IntPolygonsInfo* info, int* total, int* relation);
// Sets the mode and stores PolygonsIntersect's array in *result; 0, or -97 when the array is null
// and the mode reads -10.
int PolygonsIntersect_Warn(const _POINT2D* A, int nA, const _POINT2D* B, int nB,
                           IntPolygonsInfo* info, int* total, int* relation, _POINT2D** result,
                           int mode);

// ---- Vertex pool and the vertex-linking walk (indices are pool indices of the calling thread) --
int InsertVertex(const _POINT2D* P, int after);  // after < 0 starts a new ring; -99 when full
int InsertVertex_Warn(const _POINT2D* P, int after, int mode);
void DeleteVertex(int i);
int CutSharpTip(int i, int j);  // -1, the removed spike's index, or -98
int CutSharpTip_Warn(int i, int j, int mode);
int AddPoint(int vertex, _POINT2D* out, int* count);  // 1, 0 buffer full, -96 too close
int AddPoint_Warn(int vertex, _POINT2D* out, int* count, int mode);
int MarkSide_(int a, int ringB, int* cutA, int* cutB);
int MarkSide(int a, int ringB, int* cutA, int* cutB);
int ExpandPolygonPoints_(int* ringA, int* ringB);
int ExpandPolygonPoints(int* ringA, int* ringB);
int RedEntersBlue(int vertex, const _POINT2D* pts, int n);
int WhichSideEdgePair(const _POINT2D* P, const _POINT2D* Q0, const _POINT2D* V, const _POINT2D* Q1,
                      double tol);
int GoToNextMatch(int vertex, _POINT2D* out, int* count);
int ChooseExitPolygon(int vertex, const _POINT2D* currentPts, int currentN);
int BlueInsideRed(int ring, const _POINT2D* pts, int n);
void MergePolyPts(_POINT2D* pts, int* n);
void ClipError(const char* format, ...);

// The warning mode of the calling thread.
int GetPolygonWarnMode();
void SetPolygonWarnMode(int mode);

}  // extern "C"

namespace qel::geom {

inline constexpr int kWarnSilent = -8;
inline constexpr int kWarnClose = -10;
inline constexpr int kMaxPoolRecords = 1000;
inline constexpr int kMaxResultPoints = 1000;
inline constexpr int kMaxResultPolygons = 10;
inline constexpr double kPolyTol = 0.001;

// The vertex-linking engine alone. *failed is set when it gave up (the mode then reads -10); a
// null result with *failed == false means no common area.
_POINT2D* VertexLinkIntersect(const _POINT2D* A, int nA, const _POINT2D* B, int nB,
                              IntPolygonsInfo* info, int* total, int* relation, bool* failed);

// How many errors the calling thread has reported through ClipError (silent ones included).
unsigned long PolygonErrorCount();

// Read-only view of the calling thread's pool (for tests): null when no pool is allocated.
const PolygonVertex* PoolRecords(int* count);
// Allocates an empty pool of `capacity` records, with room for `resultCapacity` result points, for
// direct use of the pool functions; frees any previous one. ReleasePool frees it.
bool ResetPool(int capacity, int resultCapacity = 0);
void ReleasePool();

// The intersection method PolygonsIntersect uses: the one set by SetPolygonIntMethod, else the
// settings file's ("TESTING", "PolygonIntMethod", default 0), read once per process through the
// platform's setting source (platform/setting_source.h). ResetPolygonIntMethod forgets both, so
// the next call reads the setting again.
int PolygonIntMethod();
void SetPolygonIntMethod(int method);
void ResetPolygonIntMethod();

}  // namespace qel::geom
