// Tests of points and segments against simple polygons, and bounding boxes.
//
// A polygon is a count n and n points, closed implicitly (the first point is not repeated; the
// centroid functions tolerate a repeated closing point). Nothing throws; scratch memory is freed
// before return. GetPolygLineIntersectSgmts grows the caller's array with realloc, so the caller
// releases it with free().
#pragma once

#include "geom/geom_types.h"

extern "C" {

// Area centroid. A polygon of zero area divides by zero (the result is not finite).
double GetPolygonCentroidX(int n, const _POINT2D* pts);
double GetPolygonCentroidY(int n, const _POINT2D* pts);
_POINT2D* GetPolygonCentroid(_POINT2D* out, int n, const _POINT2D* pts);

// 0 outside, 1 inside, 2 on the boundary within tol (*edge, may be null, = the edge's index).
// A ray of 30000 units cast through the widest angular gap between the vertices decides.
int IsPointInPolygon(int n, const _POINT2D* pts, const _POINT2D* P, double tol, int* edge);
// Plain even-odd crossing rule without tolerance: 0 or 1.
int IsPointInPolygon2(int n, const _POINT2D* pts, const _POINT2D* P);
// Boundary included; a negative width or height is turned round first.
int IsPointInRect(const _RECT2D* rect, const _POINT2D* P);

// 1 when the whole segment L lies inside the polygon. The out-flags (each may be null) report
// whether each end lies on an edge, whether L overlaps an edge, and each end's inside state.
int SegmentLiesWithinPolygon(const _POINT2D* pts, int n, const _LINE2D* L, double tol,
                             int* startOnEdge, int* endOnEdge, int* overlapsEdge, int* startIn,
                             int* endIn);
// The pieces of L inside the polygon (on its boundary too when withBoundary), from L's start to
// its end, written to *pieces (grown with realloc one element at a time when *count reaches
// *capacity). *count = number of pieces. 0 for a null polygon or null out-pointers, else 1.
int GetPolygLineIntersectSgmts(const _POINT2D* pts, int n, const _LINE2D* L, double tol,
                               _LINE2D** pieces, int* count, int* capacity, int withBoundary);
// Length of L inside (or on the boundary of) the rectangle given as four corners.
double GetDistOfLineInsideRectangle(const _POINT2D rectCorners[4], const _LINE2D* L, double tol);
// Grows the box (min, max) to hold P; when *first is set it is cleared and the box becomes P.
void AdjustExtents(_POINT2D* min, _POINT2D* max, const _POINT2D* P, int* first);

}  // extern "C"
