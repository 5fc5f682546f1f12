// The plan geometry of a grid system: its lines and arcs, grid points, fences, extents, labels
// at a point and nearest lines. Everything is computed in the system's own frame and then placed
// in plan by the system transform (translate to the origin, rotate about it by the angle).
#include <cmath>

#include "geom/grid_placement.h"
#include "geom/grid_sys.h"
#include "geom/primitives.h"

namespace {

using qel::grid::HasGeometry;
using qel::grid::LineSpan;
using qel::grid::Placement;

// A grid point just outside a grid's own extent still counts, so points on lines that were
// entered a hair short are not lost.
constexpr double kPointMargin = 0.005;

// Whether g's own extents let it reach the other family's grid at `location`.
bool ExtentsAdmit(const CGrid& g, double location, double margin) {
  if (g.m_bHasMinExtent && g.m_dMinExtent - margin > location) return false;
  if (g.m_bHasMaxExtent && location > g.m_dMaxExtent + margin) return false;
  return true;
}

bool Taken(const CGridSys& s, const CGrid& g, bool exOnly) {
  return !exOnly || s.m_bIncludeAll || g.m_bMarked;
}

// Calls emit(i, line, usedOwnExtent) for every X line of the system.
template <class Emit>
void ForXLines(const CGridSys& s, bool exOnly, Emit emit) {
  if (!HasGeometry(s.m_eType)) return;
  Placement place(s);
  for (int i = 0; i < s.m_aXGrids.GetSize(); ++i) {
    const CGrid& g = s.m_aXGrids.GetAt(i);
    double from = 0, to = 0;
    if (!Taken(s, g, exOnly) || !LineSpan(g, s.m_aYGrids, &from, &to)) continue;
    _LINE2D line;
    if (s.m_eType == GRID_SYS_ORTHOGONAL) {
      line = {place(g.m_dLocation, from), place(g.m_dLocation, to)};
    } else {
      line = {place.Polar(from, g.m_dLocation), place.Polar(to, g.m_dLocation)};
    }
    emit(i, line, g.m_bHasMinExtent || g.m_bHasMaxExtent);
  }
}

// Calls emitLine(j, line) for every orthogonal Y line, emitArc(j, arc) for every radial circle.
template <class EmitLine, class EmitArc>
void ForYLines(const CGridSys& s, bool exOnly, EmitLine emitLine, EmitArc emitArc) {
  if (!HasGeometry(s.m_eType)) return;
  Placement place(s);
  for (int j = 0; j < s.m_aYGrids.GetSize(); ++j) {
    const CGrid& g = s.m_aYGrids.GetAt(j);
    double from = 0, to = 0;
    if (!Taken(s, g, exOnly) || !LineSpan(g, s.m_aXGrids, &from, &to)) continue;
    if (s.m_eType == GRID_SYS_ORTHOGONAL) {
      emitLine(j, _LINE2D{place(from, g.m_dLocation), place(to, g.m_dLocation)});
    } else {
      emitArc(
          j,
          _ARC2D{{s.m_dOriginX, s.m_dOriginY}, g.m_dLocation, from + s.m_dAngle, to + s.m_dAngle});
    }
  }
}

void Normalise(_RECT2D& r) {
  if (r.width < 0) {
    r.x += r.width;
    r.width = -r.width;
  }
  if (r.height < 0) {
    r.y += r.height;
    r.height = -r.height;
  }
}

bool InRect(const _RECT2D& r, const _POINT2D& p) {
  return r.x <= p.x && p.x <= r.x + r.width && r.y <= p.y && p.y <= r.y + r.height;
}

}  // namespace

// ---- Lines ----------------------------------------------------------------------------------

int CGridSys::GetXGridLines(CArray<_LINE2D, _LINE2D&>& lines, CStringArray& labels) {
  int n = 0;
  ForXLines(*this, false, [&](int i, _LINE2D line, bool own) {
    lines.Add(line);
    labels.Add(m_aXGrids.GetAt(i).m_strLabel);
    if (own) m_aOwnExtentXGrids.Add(static_cast<UINT>(i));
    ++n;
  });
  return n;
}

int CGridSys::GetYGridLines(CArray<_LINE2D, _LINE2D&>& lines, CStringArray& labels,
                            CArray<_ARC2D, _ARC2D&>& arcs, CStringArray& arcLabels) {
  int n = 0;
  ForYLines(
      *this, false,
      [&](int j, _LINE2D line) {
        lines.Add(line);
        labels.Add(m_aYGrids.GetAt(j).m_strLabel);
        ++n;
      },
      [&](int j, _ARC2D arc) {
        arcs.Add(arc);
        arcLabels.Add(m_aYGrids.GetAt(j).m_strLabel);
        ++n;
      });
  return n;
}

int CGridSys::GetGridLines(CArray<_LINE2D, _LINE2D&>& xLines, CStringArray& xLabels,
                           CArray<_ARC2D, _ARC2D&>& arcs, CStringArray& arcLabels, int clear) {
  if (clear != 0) {
    xLines.RemoveAll();
    xLabels.RemoveAll();
    arcs.RemoveAll();
    arcLabels.RemoveAll();
    m_aOwnExtentXGrids.RemoveAll();
  }
  int n = GetXGridLines(xLines, xLabels);
  return n + GetYGridLines(xLines, xLabels, arcs, arcLabels);
}

int CGridSys::GetXGridLinesEx() {
  int n = 0;
  ForXLines(*this, true, [&](int i, _LINE2D line, bool) {
    m_aXLinesEx.Add(line);
    m_aXLabelsEx.Add(m_aXGrids.GetAt(i).m_strLabel);
    m_aXIndexEx.Add(static_cast<UINT>(i));
    ++n;
  });
  return n;
}

int CGridSys::GetYGridLinesEx() {
  int n = 0;
  auto record = [&](int j) {
    m_aYLabelsEx.Add(m_aYGrids.GetAt(j).m_strLabel);
    m_aYIndexEx.Add(static_cast<UINT>(j));
    ++n;
  };
  ForYLines(
      *this, true,
      [&](int j, _LINE2D line) {
        m_aYLinesEx.Add(line);
        record(j);
      },
      [&](int j, _ARC2D arc) {
        m_aYArcsEx.Add(arc);
        record(j);
      });
  return n;
}

int CGridSys::GetGridLinesEx() {
  m_aXLinesEx.RemoveAll();
  m_aYLinesEx.RemoveAll();
  m_aYArcsEx.RemoveAll();
  m_aXLabelsEx.RemoveAll();
  m_aYLabelsEx.RemoveAll();
  m_aXIndexEx.RemoveAll();
  m_aYIndexEx.RemoveAll();
  m_aXIndexEx.SetSize(0, 20);
  m_aYIndexEx.SetSize(0, 20);
  int n = GetXGridLinesEx();
  return n + GetYGridLinesEx();
}

int CGridSys::IsGridXMM(int i) const {
  for (UINT k : m_aOwnExtentXGrids)
    if (static_cast<int>(k) == i) return 1;
  return 0;
}

// ---- Points ---------------------------------------------------------------------------------

int CGridSys::PairPoint(CGrid const& x, CGrid const& y, double margin, _POINT2D* pt) const {
  Placement place(*this);
  if (m_eType == GRID_SYS_ORTHOGONAL) {
    if (!ExtentsAdmit(x, y.m_dLocation, margin) || !ExtentsAdmit(y, x.m_dLocation, margin))
      return 0;
    *pt = place(x.m_dLocation, y.m_dLocation);
    return 1;
  }
  if (m_eType == GRID_SYS_RADIAL) {
    if (!ExtentsAdmit(x, y.m_dLocation, margin) || !IsRadialGridBetweenMinMax(x, y)) return 0;
    *pt = place.Polar(y.m_dLocation, x.m_dLocation);
    return 1;
  }
  return 0;
}

int CGridSys::GetGridPointOrtho(CGrid const& x, CGrid const& y, _POINT2D* pt) const {
  return m_eType == GRID_SYS_ORTHOGONAL ? PairPoint(x, y, kPointMargin, pt) : 0;
}

int CGridSys::GetGridPointRadial(CGrid const& x, CGrid const& y, _POINT2D* pt) const {
  return m_eType == GRID_SYS_RADIAL ? PairPoint(x, y, kPointMargin, pt) : 0;
}

int CGridSys::GetGridPoint(int i, int j, _POINT2D* pt) const {
  if (pt == nullptr || i < 0 || j < 0 || i >= m_aXGrids.GetSize() || j >= m_aYGrids.GetSize())
    return 0;
  const CGrid& x = m_aXGrids.GetAt(i);
  const CGrid& y = m_aYGrids.GetAt(j);
  if (m_eType == GRID_SYS_ORTHOGONAL) return GetGridPointOrtho(x, y, pt);
  if (m_eType == GRID_SYS_RADIAL) return GetGridPointRadial(x, y, pt);
  return 0;
}

int CGridSys::GetGridPointAngle(int i, int j, double* angle) const {
  if (angle == nullptr || i < 0 || j < 0 || i >= m_aXGrids.GetSize() || j >= m_aYGrids.GetSize())
    return 0;
  if (m_eType == GRID_SYS_ORTHOGONAL) {
    *angle = m_dAngle;
    return 1;
  }
  if (m_eType == GRID_SYS_RADIAL) {
    *angle = m_aXGrids.GetAt(i).m_dLocation + m_dAngle;
    return 1;
  }
  return 0;
}

_RECT2D CGridSys::Rect2dFromCRect(CRect const& rect) {
  return _RECT2D{static_cast<double>(rect.left), static_cast<double>(rect.top),
                 static_cast<double>(rect.right) - rect.left,
                 static_cast<double>(rect.bottom) - rect.top};
}

int CGridSys::IsGridPointInFence(int i, int j, _RECT2D const& fence) const {
  _RECT2D r = fence;
  Normalise(r);
  _POINT2D p;
  return GetGridPoint(i, j, &p) && InRect(r, p) ? 1 : 0;
}

int CGridSys::IsGridPointInFence(int i, int j, CRect const& fence) const {
  return IsGridPointInFence(i, j, Rect2dFromCRect(fence));
}

int CGridSys::GetGridPointsInFence(_RECT2D const& fence, CArray<CPoint, CPoint const&>& out) const {
  int n = 0;
  for (int i = 0; i < m_aXGrids.GetSize(); ++i)
    for (int j = 0; j < m_aYGrids.GetSize(); ++j)
      if (IsGridPointInFence(i, j, fence)) {
        out.Add(CPoint(i, j));
        ++n;
      }
  return n;
}

int CGridSys::GetGridPointsInFence(CRect const& fence, CArray<CPoint, CPoint const&>& out) const {
  return GetGridPointsInFence(Rect2dFromCRect(fence), out);
}

int CGridSys::GetMinMax(_POINT2D* min, _POINT2D* max) const {
  if (min == nullptr || max == nullptr || !HasGeometry(m_eType)) return 0;
  bool any = false;
  _POINT2D lo{}, hi{};
  auto take = [&](_POINT2D p) {
    if (!any) {
      lo = hi = p;
      any = true;
      return;
    }
    lo.x = std::fmin(lo.x, p.x);
    lo.y = std::fmin(lo.y, p.y);
    hi.x = std::fmax(hi.x, p.x);
    hi.y = std::fmax(hi.y, p.y);
  };
  for (const CGrid& x : m_aXGrids)
    for (const CGrid& y : m_aYGrids) {
      _POINT2D p;
      if (PairPoint(x, y, 0.0, &p)) take(p);
    }
  // The free ends of lines drawn to their own extents reach beyond the grid points. For a
  // circle the own extents are angles, so its ends are the arc's end points.
  Placement place(*this);
  const bool ortho = m_eType == GRID_SYS_ORTHOGONAL;
  for (const CGrid& x : m_aXGrids) {
    for (int end = 0; end < 2; ++end) {
      if (!(end == 0 ? x.m_bHasMinExtent : x.m_bHasMaxExtent)) continue;
      double e = end == 0 ? x.m_dMinExtent : x.m_dMaxExtent;
      take(ortho ? place(x.m_dLocation, e) : place.Polar(e, x.m_dLocation));
    }
  }
  for (const CGrid& y : m_aYGrids) {
    for (int end = 0; end < 2; ++end) {
      if (!(end == 0 ? y.m_bHasMinExtent : y.m_bHasMaxExtent)) continue;
      double e = end == 0 ? y.m_dMinExtent : y.m_dMaxExtent;
      take(ortho ? place(e, y.m_dLocation) : place.Polar(y.m_dLocation, e));
    }
  }
  if (!any) return 0;
  *min = lo;
  *max = hi;
  return 1;
}

int CGridSys::IsSamePoint(_POINT2D* P, _POINT2D* Q, double tol) const {
  return std::fabs(P->x - Q->x) < tol && std::fabs(P->y - Q->y) < tol ? 1 : 0;
}

int CGridSys::GetGridLabelFromPoint(_POINT2D* P, CString& xLabel, CString& yLabel, CString& sysName,
                                    double tol) const {
  sysName = m_strName;
  xLabel.Empty();
  yLabel.Empty();
  if (P == nullptr) return 0;
  for (const CGrid& x : m_aXGrids)
    for (const CGrid& y : m_aYGrids) {
      _POINT2D p;
      if (PairPoint(x, y, 0.0, &p) && IsSamePoint(P, &p, tol)) {
        xLabel = x.m_strLabel;
        yLabel = y.m_strLabel;
        return 1;
      }
    }
  xLabel.Format("%f", P->x);
  yLabel.Format("%f", P->y);
  return 0;
}

// ---- Nearest lines --------------------------------------------------------------------------

int CGridSys::FindClosestLine(_POINT2D const& P, CArray<_LINE2D, _LINE2D&> const& lines,
                              _LINE2D& out, double& dist) {
  int changed = 0;
  for (const _LINE2D& line : lines) {
    if (line.start.x == line.end.x && line.start.y == line.end.y) continue;
    double d = DistancePointToLineSgmt(&P, &line);
    if (dist < 0 || d < dist) {
      dist = d;
      out = line;
      changed = 1;
    }
  }
  return changed;
}

int CGridSys::FindClosestGridLine(_POINT2D const& P, _LINE2D& out, double& dist) const {
  if (dist == 0) return 0;
  CArray<_LINE2D, _LINE2D&> xLines, yLines;
  ForXLines(*this, false, [&](int, _LINE2D line, bool) { xLines.Add(line); });
  ForYLines(
      *this, false, [&](int, _LINE2D line) { yLines.Add(line); }, [](int, const _ARC2D&) {});
  int changed = FindClosestLine(P, xLines, out, dist);
  return FindClosestLine(P, yLines, out, dist) || changed ? 1 : 0;
}

int CGridSys::FindClosestGridLine(_POINT2D const& P, _LINE2D& out) const {
  double dist = -1;
  return FindClosestGridLine(P, out, dist);
}

// ---- Angles ---------------------------------------------------------------------------------

double CGridSys::NormalizedAngle(double angle, double from) {
  double turns = std::fabs(std::trunc((angle - from) / 360.0));
  if (from > angle) {
    double a = angle + turns * 360.0;
    return a < from ? a + 360.0 : a;
  }
  if (angle >= from + 360.0) return angle - turns * 360.0;
  return angle;
}

int CGridSys::IsAngleBetweenMinMax(double const& angle, double const& min, double const& max) {
  double span = max - min;
  if (span > 360) return 1;
  double s = NormalizedAngle(min, 0);
  double a = NormalizedAngle(angle, 0);
  if (s > a) a += 360;
  return s <= a && a <= s + span ? 1 : 0;
}

int CGridSys::IsRadialGridBetweenMinMax(CGrid const& x, CGrid const& y) const {
  if (m_eType != GRID_SYS_RADIAL) return 0;
  double from = 0, to = 0;
  if (!LineSpan(y, m_aXGrids, &from, &to)) return 0;
  return IsAngleBetweenMinMax(x.m_dLocation, from, to);
}

int CGridSys::IsRadialGridBetweenMinMax(int const& i, int const& j) const {
  return IsRadialGridBetweenMinMax(m_aXGrids.GetAt(i), m_aYGrids.GetAt(j));
}
