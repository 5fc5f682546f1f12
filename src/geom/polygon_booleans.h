// Polygon Booleans on the clipping library, intersection by tessellation (CPolyGeom on the GLU
// tessellator), and the helpers used with their results: line intercepts, label points, windings.
//
// Clipping: the clipping library works in integer coordinates. Coordinates are scaled by
// qel::geom::kClipperScale (10^4), so a model length is kept to 0.0001 and the 0.001 comparisons
// made on the results keep their meaning. Coordinates up to about 107,000 units in magnitude use
// the library's fast 64-bit arithmetic; beyond that, up to qel::geom::kClipperMaxCoord (about
// 4.6e14), it switches to its slower 128-bit arithmetic; larger or non-finite coordinates make the
// operation fail (false / *failed = 1), never crash.
//
// Point arrays returned by the functions below are allocated with malloc; callers free them.
#pragma once

#include <cstddef>
#include <list>
#include <map>
#include <set>
#include <vector>

#include "geom/geom_types.h"
#include "geom/polygon_lib.h"

using PolygonList = std::list<std::vector<_POINT2D>>;

// Replace `result` by subject op clip (non-zero fill on both); true only for a non-empty result.
bool ClipperOpIntersect(const PolygonList& subject, const PolygonList& clip, PolygonList& result);
bool ClipperOpUnion(const PolygonList& subject, const PolygonList& clip, PolygonList& result);
bool ClipperOpDifference(const PolygonList& subject, const PolygonList& clip, PolygonList& result);

// Intersection of A (subject) and B (clip) with even-odd fill, in the result form of
// PolygonsIntersect. *failed = 1 when the clipping library failed.
_POINT2D* PolygonsIntersectClipper(const _POINT2D* A, int nA, const _POINT2D* B, int nB,
                                   IntPolygonsInfo* info, int* total, int* relation);
_POINT2D* PolygonsIntersectClipper_Error(const _POINT2D* A, int nA, const _POINT2D* B, int nB,
                                         IntPolygonsInfo* info, int* total, int* relation,
                                         int* failed);

// Intersection by the tessellator: keeps the area covered by both polygons and rebuilds its
// outlines from the triangles.
class CPolyGeom {
 public:
  struct ConnectionInfo {
    size_t vertex = 0;  // index the connection leads to
    int count = 0;      // triangle edges that produced it
  };
  using Connections = std::map<size_t, std::map<double, ConnectionInfo>>;

  CPolyGeom() = default;
  CPolyGeom(const CPolyGeom&) = default;
  CPolyGeom& operator=(const CPolyGeom&) = default;
  ~CPolyGeom() = default;

  // False only when no tessellator can be made.
  bool IntersectPolygons(const std::vector<_POINT2D>& A, const std::vector<_POINT2D>& B,
                         PolygonList& result);

  // Twice the signed area (positive counter-clockwise, y up); the 3-D form ignores z.
  static double GetPolygonArea(const _POINT2D* pts, size_t n);
  static double Get2DPolygonArea(const _POINT3D* pts, size_t n);

  // The triangles of the last IntersectPolygons call, three entries per triangle.
  const std::vector<_POINT3D>& Triangles() const { return m_triangles; }
  size_t DegenerateTriangleCount() const { return m_nDegenerate; }

 protected:
  static void StaticTessBeginData(unsigned int type, void* data);
  static void StaticTessEndData(void* data);
  static void StaticTessVertexData(void* vertex, void* data);
  static void StaticTessEdgeFlagData(unsigned char flag, void* data);
  static void StaticTessCombineData(double coords[3], void* vertexData[4], float weight[4],
                                    void** outData, void* data);
  void TessBeginData(unsigned int type);
  void TessEndData();
  void TessVertexData(const _POINT3D* vertex);
  void TessEdgeFlagData(unsigned char flag);
  void TessCombineData(const double coords[3], void** outData);

  void AddTessTriangles();
  void AddTessTriangleStrip();
  void AddTessTriangleFan();
  static void TessContour(void* tess, std::vector<_POINT3D>& contour);
  void FindDegenerateTriangles();
  void BuildPolygons(Connections& connections, const std::vector<_POINT3D>& points,
                     std::vector<std::vector<_POINT3D>>& outlines);
  long FindPathToStart(Connections& connections, size_t start, size_t v, size_t from,
                       std::set<size_t>& visited, int depth);
  static void RemoveConnection(Connections& connections, size_t v, size_t to);
  static void RemoveConnectionInfos(Connections& connections, size_t v, long previous, size_t next);
  static std::vector<_POINT3D> Poly2DTo3D(const std::vector<_POINT2D>& poly);
  static std::vector<_POINT2D> Poly3DTo2D(const std::vector<_POINT3D>& poly);
  void FixPolygonWindings(std::vector<std::vector<_POINT3D>>& outlines) const;

 private:
  static constexpr unsigned int kNoPrimitive = 1280;

  unsigned int m_primitiveType = kNoPrimitive;
  std::vector<_POINT3D> m_primitive;
  std::vector<unsigned char> m_primitiveFlags;
  unsigned char m_edgeFlag = 1;
  std::vector<_POINT3D> m_triangles;
  std::vector<unsigned char> m_triangleFlags;
  std::list<_POINT3D> m_combined;
  std::vector<unsigned char> m_degenerate;  // per triangle-list vertex
  size_t m_nDegenerate = 0;
  // Steps left to the current outermost FindPathToStart; the search through vertices with many
  // connections could otherwise take exponential time on a dense connection map.
  size_t m_pathBudget = 0;
};

// Point-array forms of the tessellation intersection. Null when there is no result or when it has
// ten or more outlines.
_POINT2D* PolygonsIntersect4(const _POINT2D* A, int nA, const _POINT2D* B, int nB,
                             IntPolygonsInfo* info, int* total);
_POINT2D* PolygonsIntersect3(const _POINT2D* A, int nA, const _POINT2D* B, int nB,
                             IntPolygonsInfo* info, int* total);
_POINT2D* PolygonsIntersectGLU(const _POINT2D* A, int nA, const _POINT2D* B, int nB,
                               IntPolygonsInfo* info, int* total, int* relation);

// The distinct points where segment L meets the polygon's boundary (malloc'd; null when none).
_POINT2D* GetLineInterceptsWithPolygon(const _LINE2D* L, const _POINT2D* pts, int n, int* count);
// A point well inside `outer` and outside every hole, for a label; (0, 0) when none is found.
_POINT2D GetLabelPointInPolygon(const std::vector<_POINT2D>& outer, const PolygonList& holes);
// Reverses every polygon whose MeasureArea is below -0.001.
void FixPolyWindings(PolygonList& polygons);

// Plotting hooks of the suite's debugging builds: they accept their arguments and draw nothing.
extern "C" {
void PlotClear();
void PlotPolygon(const _POINT2D* pts, int n);
void Plot2Polygons(const _POINT2D* A, int nA, const _POINT2D* B, int nB);
void PlotSetColor(int r, int g, int b);
}

namespace qel::geom {

inline constexpr double kClipperScale = 1e4;
inline constexpr double kClipperMaxCoord = 4.6e14;

// The relation of a result to its inputs, shared by the clipping and tessellation engines: with
// result polygons, 2, or for a single one equal (cyclically, within 0.001) to A and/or B 3, 4, 5;
// with none, 1 when the polygons touch within 0.001, else 0.
int ClassifyIntersection(const _POINT2D* A, int nA, const _POINT2D* B, int nB,
                         const std::vector<std::vector<_POINT2D>>& result);

// Packs outlines into one malloc'd array and *info; null (info cleared) when there are none, when
// there are more than `maxPolygons`, or when allocation fails.
_POINT2D* PackPolygons(const std::vector<std::vector<_POINT2D>>& polys, size_t maxPolygons,
                       IntPolygonsInfo* info, int* total);

}  // namespace qel::geom
