// CPolyGeom: intersection of two polygons by the GLU tessellator. The tessellator keeps the area
// covered by both contours (winding rule ABS_GEQ_TWO) as triangles; the outline is rebuilt by
// linking the triangles' boundary edges into closed walks.
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "geom/polygon_booleans.h"
#include "platform/messages.h"

namespace {

constexpr size_t kPathBudget = 200000;

double EdgeAngle(const _POINT3D& a, const _POINT3D& b) {
  double d = std::atan2(b.y - a.y, b.x - a.x) * 180.0 / M_PI;
  if (d < 0.0) d += 360.0;
  if (d >= 360.0) d -= 360.0;
  return d;
}

struct PointLess {
  bool operator()(const _POINT3D& a, const _POINT3D& b) const {
    if (a.x != b.x) return a.x < b.x;
    if (a.y != b.y) return a.y < b.y;
    return a.z < b.z;
  }
};

// Twice the signed plan area (x, y) of a closed outline: positive when counter-clockwise.
template <class Point>
double ShoelaceSum(const Point* pts, size_t n) {
  double sum = 0.0;
  for (size_t i = 0; i < n; ++i) {
    const Point& p = pts[i];
    const Point& q = pts[(i + 1) % n];
    sum += p.x * q.y - q.x * p.y;
  }
  return sum;
}

}  // namespace

double CPolyGeom::GetPolygonArea(const _POINT2D* pts, size_t n) { return ShoelaceSum(pts, n); }

double CPolyGeom::Get2DPolygonArea(const _POINT3D* pts, size_t n) { return ShoelaceSum(pts, n); }

// ---- Tessellator callbacks ----------------------------------------------------------------------

void CPolyGeom::StaticTessBeginData(unsigned int type, void* data) {
  static_cast<CPolyGeom*>(data)->TessBeginData(type);
}
void CPolyGeom::StaticTessEndData(void* data) { static_cast<CPolyGeom*>(data)->TessEndData(); }
void CPolyGeom::StaticTessVertexData(void* vertex, void* data) {
  static_cast<CPolyGeom*>(data)->TessVertexData(static_cast<const _POINT3D*>(vertex));
}
void CPolyGeom::StaticTessEdgeFlagData(unsigned char flag, void* data) {
  static_cast<CPolyGeom*>(data)->TessEdgeFlagData(flag);
}
void CPolyGeom::StaticTessCombineData(double coords[3], void* /*vertexData*/[4],
                                      float /*weight*/[4], void** outData, void* data) {
  static_cast<CPolyGeom*>(data)->TessCombineData(coords, outData);
}

void CPolyGeom::TessBeginData(unsigned int type) { m_primitiveType = type; }

void CPolyGeom::TessVertexData(const _POINT3D* vertex) {
  m_primitive.push_back(*vertex);
  m_primitiveFlags.push_back(m_edgeFlag);
}

void CPolyGeom::TessEdgeFlagData(unsigned char flag) { m_edgeFlag = flag; }

void CPolyGeom::TessCombineData(const double coords[3], void** outData) {
  m_combined.push_back(_POINT3D{coords[0], coords[1], coords[2]});
  *outData = &m_combined.back();
}

void CPolyGeom::TessEndData() {
  switch (m_primitiveType) {
    case GL_TRIANGLES:
      AddTessTriangles();
      break;
    case GL_TRIANGLE_STRIP:
      AddTessTriangleStrip();
      break;
    case GL_TRIANGLE_FAN:
      AddTessTriangleFan();
      break;
    default: {
      char text[64];
      std::snprintf(text, sizeof text, "Unsupported tesselation geometry type: 0x%X\n",
                    m_primitiveType);
      OutputDebugStringA(text);
      break;
    }
  }
  m_primitive.clear();
  m_primitiveFlags.clear();
  m_primitiveType = kNoPrimitive;
}

void CPolyGeom::AddTessTriangles() {
  size_t n = m_primitive.size() / 3 * 3;
  for (size_t i = 0; i < n; ++i) {
    m_triangles.push_back(m_primitive[i]);
    m_triangleFlags.push_back(m_primitiveFlags[i]);
  }
}

void CPolyGeom::AddTessTriangleStrip() {
  for (size_t k = 0; k + 2 < m_primitive.size(); ++k) {
    size_t order[3] = {k, k + 1, k + 2};
    if (k % 2 == 1) std::swap(order[1], order[2]);
    for (size_t i : order) {
      m_triangles.push_back(m_primitive[i]);
      m_triangleFlags.push_back(m_primitiveFlags[i]);
    }
  }
}

void CPolyGeom::AddTessTriangleFan() {
  for (size_t k = 0; k + 2 < m_primitive.size(); ++k) {
    for (size_t i : {size_t{0}, k + 1, k + 2}) {
      m_triangles.push_back(m_primitive[i]);
      m_triangleFlags.push_back(m_primitiveFlags[i]);
    }
  }
}

void CPolyGeom::TessContour(void* tess, std::vector<_POINT3D>& contour) {
  auto* t = static_cast<GLUtesselator*>(tess);
  gluTessBeginContour(t);
  for (auto& p : contour) gluTessVertex(t, &p.x, &p);
  gluTessEndContour(t);
}

void CPolyGeom::FindDegenerateTriangles() {
  m_degenerate.assign(m_triangles.size(), 0);
  m_nDegenerate = 0;
  for (size_t t = 0; t + 2 < m_triangles.size(); t += 3) {
    const _POINT3D& a = m_triangles[t];
    const _POINT3D& b = m_triangles[t + 1];
    const _POINT3D& c = m_triangles[t + 2];
    double area2 = a.x * b.y - b.x * a.y + b.x * c.y - c.x * b.y + c.x * a.y - a.x * c.y;
    if (area2 == 0.0) {
      m_degenerate[t] = m_degenerate[t + 1] = m_degenerate[t + 2] = 1;
      ++m_nDegenerate;
    }
  }
}

// ---- Outline rebuilding -------------------------------------------------------------------------

void CPolyGeom::RemoveConnection(Connections& connections, size_t v, size_t to) {
  auto it = connections.find(v);
  if (it == connections.end()) return;
  for (auto c = it->second.begin(); c != it->second.end(); ++c) {
    if (c->second.vertex == to) {
      it->second.erase(c);
      return;
    }
  }
}

void CPolyGeom::RemoveConnectionInfos(Connections& connections, size_t v, long previous,
                                      size_t next) {
  auto it = connections.find(v);
  if (it == connections.end()) return;
  if (it->second.size() == 2) {
    connections.erase(it);
    return;
  }
  if (previous >= 0) RemoveConnection(connections, v, static_cast<size_t>(previous));
  RemoveConnection(connections, v, next);
}

long CPolyGeom::FindPathToStart(Connections& connections, size_t start, size_t v, size_t from,
                                std::set<size_t>& visited, int depth) {
  if (depth == 0) m_pathBudget = kPathBudget;
  if (depth > 50) return -1;
  auto it = connections.find(v);
  if (it == connections.end()) return -1;
  bool skippedFrom = false;
  for (const auto& [angle, info] : it->second) {
    (void)angle;
    if (!skippedFrom && info.vertex == from) {
      skippedFrom = true;
      continue;
    }
    size_t prev = v, cur = info.vertex;
    // Follow pass-through vertices (exactly two connections) without a choice.
    for (size_t guard = 0; guard <= connections.size(); ++guard) {
      if (m_pathBudget == 0) return -1;
      --m_pathBudget;
      if (cur == start) return static_cast<long>(info.vertex);
      if (visited.count(cur)) break;
      auto ct = connections.find(cur);
      if (ct == connections.end()) break;
      if (ct->second.size() == 2) {
        auto a = ct->second.begin();
        auto b = std::next(a);
        size_t other = a->second.vertex == prev ? b->second.vertex : a->second.vertex;
        prev = cur;
        cur = other;
        continue;
      }
      visited.insert(cur);
      long r = FindPathToStart(connections, start, cur, prev, visited, depth + 1);
      visited.erase(cur);
      if (r >= 0) return static_cast<long>(info.vertex);
      break;
    }
  }
  return -1;
}

void CPolyGeom::BuildPolygons(Connections& connections, const std::vector<_POINT3D>& points,
                              std::vector<std::vector<_POINT3D>>& outlines) {
  // Every step removes at least one connection, so this bounds the work.
  size_t budget = 1;
  for (const auto& [v, m] : connections) budget += m.size() + 1;
  while (connections.size() > 2 && budget > 0) {
    while (!connections.empty() && connections.begin()->second.empty())
      connections.erase(connections.begin());
    if (connections.empty()) break;
    size_t start = connections.begin()->first;
    size_t current = start;
    size_t next = connections.begin()->second.begin()->second.vertex;
    long previous = -1;
    std::vector<_POINT3D> outline;
    bool removedAny = false;
    for (;;) {
      if (budget == 0) break;
      --budget;
      if (next == start) {
        // Closing: the last vertex gives up its connections like every other one.
        RemoveConnectionInfos(connections, current, previous, next);
        outline.push_back(points[current]);
        outlines.push_back(std::move(outline));
        removedAny = true;
        break;
      }
      auto nt = connections.find(next);
      if (nt == connections.end()) break;
      RemoveConnectionInfos(connections, current, previous, next);
      removedAny = true;
      outline.push_back(points[current]);
      long cont;
      if (nt->second.size() == 2) {
        auto a = nt->second.begin();
        auto b = std::next(a);
        cont = static_cast<long>(a->second.vertex == current ? b->second.vertex : a->second.vertex);
      } else {
        std::set<size_t> visited;
        cont = FindPathToStart(connections, start, next, current, visited, 0);
      }
      if (cont < 0) break;
      previous = static_cast<long>(current);
      current = next;
      next = static_cast<size_t>(cont);
    }
    if (!removedAny) {
      // A dead start: drop its first connection so the next round makes progress.
      auto it = connections.find(start);
      if (it != connections.end() && !it->second.empty()) it->second.erase(it->second.begin());
    }
  }
}

void CPolyGeom::FixPolygonWindings(std::vector<std::vector<_POINT3D>>& outlines) const {
  double ref = 0.0;
  for (size_t t = 0; t + 2 < m_triangles.size() && ref == 0.0; t += 3)
    ref = Get2DPolygonArea(&m_triangles[t], 3);
  if (ref == 0.0) return;
  for (auto& o : outlines) {
    double a = Get2DPolygonArea(o.data(), o.size());
    if ((a > 0.0) != (ref > 0.0) && a != 0.0) std::reverse(o.begin(), o.end());
  }
}

std::vector<_POINT3D> CPolyGeom::Poly2DTo3D(const std::vector<_POINT2D>& poly) {
  std::vector<_POINT3D> out;
  out.reserve(poly.size());
  for (const auto& p : poly) out.push_back(_POINT3D{p.x, p.y, 0.0});
  return out;
}

std::vector<_POINT2D> CPolyGeom::Poly3DTo2D(const std::vector<_POINT3D>& poly) {
  std::vector<_POINT2D> out;
  out.reserve(poly.size());
  for (const auto& p : poly) out.push_back(_POINT2D{p.x, p.y});
  return out;
}

bool CPolyGeom::IntersectPolygons(const std::vector<_POINT2D>& A, const std::vector<_POINT2D>& B,
                                  PolygonList& result) {
  GLUtesselator* tess = gluNewTess();
  if (!tess) return false;
  result.clear();
  m_primitiveType = kNoPrimitive;
  m_primitive.clear();
  m_primitiveFlags.clear();
  m_edgeFlag = 1;
  m_triangles.clear();
  m_triangleFlags.clear();
  m_combined.clear();
  m_degenerate.clear();
  m_nDegenerate = 0;
  std::vector<_POINT3D> a = Poly2DTo3D(A), b = Poly2DTo3D(B);
  for (const auto* c : {&a, &b})
    for (const auto& p : *c)
      if (!std::isfinite(p.x) || !std::isfinite(p.y)) {
        gluDeleteTess(tess);
        return true;  // nothing sensible to tessellate: an empty result
      }

  gluTessCallback(tess, GLU_TESS_BEGIN_DATA,
                  reinterpret_cast<_GLUfuncptr>(&CPolyGeom::StaticTessBeginData));
  gluTessCallback(tess, GLU_TESS_END_DATA,
                  reinterpret_cast<_GLUfuncptr>(&CPolyGeom::StaticTessEndData));
  gluTessCallback(tess, GLU_TESS_VERTEX_DATA,
                  reinterpret_cast<_GLUfuncptr>(&CPolyGeom::StaticTessVertexData));
  gluTessCallback(tess, GLU_TESS_EDGE_FLAG_DATA,
                  reinterpret_cast<_GLUfuncptr>(&CPolyGeom::StaticTessEdgeFlagData));
  gluTessCallback(tess, GLU_TESS_COMBINE_DATA,
                  reinterpret_cast<_GLUfuncptr>(&CPolyGeom::StaticTessCombineData));
  gluTessProperty(tess, GLU_TESS_WINDING_RULE, GLU_TESS_WINDING_ABS_GEQ_TWO);
  gluTessBeginPolygon(tess, this);
  if (a.size() >= 3) TessContour(tess, a);
  if (b.size() >= 3) TessContour(tess, b);
  gluTessEndPolygon(tess);
  gluDeleteTess(tess);

  FindDegenerateTriangles();
  std::map<_POINT3D, size_t, PointLess> index;
  for (size_t i = 0; i < m_triangles.size(); ++i)
    if (!m_degenerate[i]) index.emplace(m_triangles[i], i);

  Connections connections;
  auto connect = [&](size_t from, size_t to) {
    if (from == to) return;
    auto& slot = connections[from][EdgeAngle(m_triangles[from], m_triangles[to])];
    slot.vertex = to;
    slot.count += 1;
  };
  for (size_t t = 0; t + 2 < m_triangles.size(); t += 3) {
    if (m_degenerate[t]) continue;
    for (size_t e = 0; e < 3; ++e) {
      size_t s = t + e, f = t + (e + 1) % 3;
      if (!m_triangleFlags[s] && m_nDegenerate == 0) continue;
      size_t ia = index[m_triangles[s]], ib = index[m_triangles[f]];
      connect(ia, ib);
      connect(ib, ia);
    }
  }
  std::vector<std::vector<_POINT3D>> outlines;
  BuildPolygons(connections, m_triangles, outlines);
  FixPolygonWindings(outlines);
  for (const auto& o : outlines)
    if (o.size() >= 3) result.push_back(Poly3DTo2D(o));
  return true;
}

// ---- Point-array forms --------------------------------------------------------------------------

_POINT2D* PolygonsIntersect4(const _POINT2D* A, int nA, const _POINT2D* B, int nB,
                             IntPolygonsInfo* info, int* total) {
  IntPolygonsInfo scratch;
  if (!info) info = &scratch;
  *info = IntPolygonsInfo{};
  *total = 0;
  if (!A || !B || nA < 3 || nB < 3) return nullptr;
  std::vector<_POINT2D> a(A, A + nA), b(B, B + nB);
  double sa = CPolyGeom::GetPolygonArea(a.data(), a.size());
  double sb = CPolyGeom::GetPolygonArea(b.data(), b.size());
  if ((sa > 0.0 && sb < 0.0) || (sa < 0.0 && sb > 0.0)) std::reverse(b.begin(), b.end());
  CPolyGeom geom;
  PolygonList outlines;
  if (!geom.IntersectPolygons(a, b, outlines)) return nullptr;
  std::vector<std::vector<_POINT2D>> polys(outlines.begin(), outlines.end());
  return qel::geom::PackPolygons(polys, qel::geom::kMaxResultPolygons - 1, info, total);
}

_POINT2D* PolygonsIntersect3(const _POINT2D* A, int nA, const _POINT2D* B, int nB,
                             IntPolygonsInfo* info, int* total) {
  return PolygonsIntersect4(A, nA, B, nB, info, total);
}

_POINT2D* PolygonsIntersectGLU(const _POINT2D* A, int nA, const _POINT2D* B, int nB,
                               IntPolygonsInfo* info, int* total, int* relation) {
  IntPolygonsInfo scratch;
  if (!info) info = &scratch;
  *relation = 0;
  _POINT2D* pts = PolygonsIntersect4(A, nA, B, nB, info, total);
  if (!A || !B || nA < 1 || nB < 1) return pts;
  std::vector<std::vector<_POINT2D>> polys;
  for (int k = 0; pts && k < info->nPolygons; ++k)
    polys.emplace_back(pts + info->iStart[k], pts + info->iStart[k] + info->nPoints[k]);
  *relation = qel::geom::ClassifyIntersection(A, nA, B, nB, polys);
  return pts;
}
