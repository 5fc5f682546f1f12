// PolygonsIntersect: picks the clipping engine or the vertex-linking engine by the settings,
// falls back to the other on failure, and reports when both fail.
#include <cstdio>
#include <string>

#include "geom/polygon_booleans.h"
#include "geom/polygon_lib.h"
#include "platform/messages.h"

namespace {

void AppendCoords(std::string& text, const _POINT2D* p, int n) {
  char item[64];
  for (int i = 0; p && i < n; ++i) {
    std::snprintf(item, sizeof item, "(%10.6f, %10.6f) ", p[i].x, p[i].y);
    text += item;
  }
}

void ReportFailure(const _POINT2D* A, int nA, const _POINT2D* B, int nB) {
  std::string text = "Polygon intersection algorithm failed for the following input polygons: \n";
  text += " \n Polygon A Coords (in, in): ";
  AppendCoords(text, A, nA);
  text += " \n Polygon B Coords (in, in): ";
  AppendCoords(text, B, nB);
  MessageBoxA(nullptr, text.c_str(), "Polygon Intersection Error!", MB_OK);
  qel::RequestMainWindowClose();
}

thread_local bool t_lastFailed = false;

}  // namespace

extern "C" {

_POINT2D* PolygonsIntersect(const _POINT2D* A, int nA, const _POINT2D* B, int nB,
                            IntPolygonsInfo* info, int* total, int* relation) {
  IntPolygonsInfo scratch;
  if (!info) info = &scratch;
  int totalScratch = 0, relationScratch = 0;
  if (!total) total = &totalScratch;
  if (!relation) relation = &relationScratch;

  // A failed engine leaves the mode at -10; when the other engine then succeeds the caller's mode
  // is put back, so the mode reads -10 afterwards only when both failed.
  const int entryMode = GetPolygonWarnMode();
  t_lastFailed = false;
  bool ownFailed = false;
  int clipFailed = 0;
  _POINT2D* result = nullptr;
  auto succeeded = [&](_POINT2D* r) {
    SetPolygonWarnMode(entryMode);
    return r;
  };
  if (qel::geom::PolygonIntMethod() != 1) {
    result = PolygonsIntersectClipper_Error(A, nA, B, nB, info, total, relation, &clipFailed);
    if (!clipFailed) return result;
    result = qel::geom::VertexLinkIntersect(A, nA, B, nB, info, total, relation, &ownFailed);
    if (!ownFailed) return succeeded(result);
  } else {
    result = qel::geom::VertexLinkIntersect(A, nA, B, nB, info, total, relation, &ownFailed);
    if (!ownFailed) return result;
    result = PolygonsIntersectClipper_Error(A, nA, B, nB, info, total, relation, &clipFailed);
    if (!clipFailed) return succeeded(result);
  }
  t_lastFailed = true;
  SetPolygonWarnMode(qel::geom::kWarnClose);
  // A caller that asked for silence (-8) gets none, not even the failure report.
  if (entryMode != qel::geom::kWarnSilent) ReportFailure(A, nA, B, nB);
  return result;
}

int PolygonsIntersect_Warn(const _POINT2D* A, int nA, const _POINT2D* B, int nB,
                           IntPolygonsInfo* info, int* total, int* relation, _POINT2D** result,
                           int mode) {
  SetPolygonWarnMode(mode);
  _POINT2D* r = PolygonsIntersect(A, nA, B, nB, info, total, relation);
  if (result)
    *result = r;
  else
    std::free(r);
  // Only a failure counts; disjoint polygons also give a null array.
  return !r && t_lastFailed && GetPolygonWarnMode() == qel::geom::kWarnClose ? -97 : 0;
}

}  // extern "C"
