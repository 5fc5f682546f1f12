// Drawing a grid system on a device context: each grid line a little longer than the grid, radial
// circles as arcs, and a labelled bubble beyond each end that asks for one, kept inside the
// visible part of the window where the caller wants that.
#include <cmath>
#include <cstring>

#include "geom/grid_placement.h"
#include "geom/grid_sys.h"
#include "geom/primitives.h"

const int nGridLabelSize = 50;
const int nGridLabelSizeC = 50;

namespace {

using qel::grid::HasGeometry;
using qel::grid::LineSpan;
using qel::grid::Placement;

// Device units.
constexpr double kOvershoot = 10;     // a line runs this far beyond each end of its grid
constexpr double kBubbleOffset = 30;  // a bubble's centre lies this far beyond the grid's end
constexpr double kBubbleRadius = 20;
constexpr int kLabelDrop = 5;       // the label's baseline sits this far from the bubble's centre
constexpr int kVisibleMargin = 20;  // bubbles keep this far inside the window's client area
constexpr int kLabelHeight = 16;
// A circle's bubbles sit beyond its ends at this tangential offset (device units) and this
// radial one.
constexpr double kArcBubbleAngleOffset = 24;
constexpr double kArcBubbleRadialOffset = 20;
// Text scales closer to 0 than this mean "the default size".
constexpr double kNoTextScale = 0.001;
constexpr double kNoRadius = 0.001;
// Crossings with the visible margin are found to this many device units per plan unit.
constexpr double kCrossTolPerScale = 0.005;
// Device coordinates are kept within this, so absurd plan values cannot overflow an int.
constexpr double kDeviceLimit = 1e9;

bool Scaled(double textScale) { return std::fabs(textScale) >= kNoTextScale; }

LONG ToDeviceUnit(double v) {
  if (!(v > -kDeviceLimit)) return static_cast<LONG>(-kDeviceLimit);  // NaN too
  if (v > kDeviceLimit) return static_cast<LONG>(kDeviceLimit);
  return static_cast<LONG>(std::trunc(v));
}

int BubbleRadius(double textScale) {
  return ToDeviceUnit(Scaled(textScale) ? kBubbleRadius * textScale : kBubbleRadius);
}

double SquaredDistance(double ax, double ay, double bx, double by) {
  return (ax - bx) * (ax - bx) + (ay - by) * (ay - by);
}

}  // namespace

// ---- Mapping and primitives -----------------------------------------------------------------

CPoint CGridSys::ToDevice(_POINT2D const& p) const {
  return CPoint(ToDeviceUnit((p.x - m_ptDrawOrigin.x) * m_dDrawScale),
                ToDeviceUnit((p.y - m_ptDrawOrigin.y) * m_dDrawScale));
}

void CGridSys::DrawLine(_POINT2D const& from, _POINT2D const& to) {
  m_pDC->MoveTo(ToDevice(from));
  m_pDC->LineTo(ToDevice(to));
}

void CGridSys::DrawGridBubble(CPoint const& centre, CString const& label) {
  const int r = BubbleRadius(m_dTextScale);
  m_pDC->Ellipse(centre.x - r, centre.y - r, centre.x + r, centre.y + r);
  m_pDC->TextOut(centre.x, centre.y - kLabelDrop, label);
}

void CGridSys::DrawGridBubble(_POINT2D const& centre, CString const& label) {
  DrawGridBubble(ToDevice(centre), label);
}

void CGridSys::SetAltPointForBubble(_POINT2D& candidate, _POINT2D& reference, int* found,
                                    CPoint* best) {
  const CPoint c(ToDeviceUnit(candidate.x), ToDeviceUnit(candidate.y));
  if (*found == 0) {
    *best = c;
    *found = 1;
    return;
  }
  if (SquaredDistance(best->x, best->y, reference.x, reference.y) >
      SquaredDistance(candidate.x, candidate.y, reference.x, reference.y))
    *best = c;
}

// ---- Bubbles --------------------------------------------------------------------------------

bool CGridSys::VisibleMargin(CRect* rect) const {
  const CWnd* window = m_pDC->GetWindow();
  if (window == nullptr) return false;
  window->GetClientRect(rect);
  rect->DeflateRect(kVisibleMargin, kVisibleMargin);
  m_pDC->DPtoLP(rect);
  rect->NormalizeRect();
  return true;
}

void CGridSys::DrawBubbles(CGrid* grid, _POINT2D bubbleStart, _POINT2D bubbleEnd,
                           const MarginCrossings& crossings) {
  const bool wanted[2] = {grid->m_bBubbleAtStart != 0, grid->m_bBubbleAtEnd != 0};
  if (!wanted[0] && !wanted[1]) return;
  const _POINT2D plan[2] = {bubbleStart, bubbleEnd};
  bool moved[2] = {false, false};
  bool shown[2] = {wanted[0], wanted[1]};
  CPoint at[2] = {ToDevice(bubbleStart), ToDevice(bubbleEnd)};

  CRect margin;
  if (m_bDrawBubbles && VisibleMargin(&margin)) {
    const double l = margin.left, t = margin.top, r = margin.right, b = margin.bottom;
    const _LINE2D edges[4] = {
        {{l, t}, {r, t}}, {{r, t}, {r, b}}, {{r, b}, {l, b}}, {{l, b}, {l, t}}};
    for (int k = 0; k < 2; ++k) {
      if (!wanted[k] || margin.PtInRect(at[k])) continue;
      _POINT2D own{static_cast<double>(at[k].x), static_cast<double>(at[k].y)};
      int found = 0;
      CPoint best;
      std::vector<_POINT2D> points;
      for (const _LINE2D& edge : edges) {
        points.clear();
        crossings(edge, points);
        for (_POINT2D& p : points) SetAltPointForBubble(p, own, &found, &best);
      }
      shown[k] = found != 0;
      moved[k] = found != 0;
      if (found) at[k] = best;
    }
  }

  CPen* previous = m_pDC->SelectObject(&m_penBubble);
  for (int k = 0; k < 2; ++k) {
    if (!shown[k]) continue;
    if (moved[k])
      DrawGridBubble(at[k], grid->m_strLabel);
    else
      DrawGridBubble(plan[k], grid->m_strLabel);
  }
  if (previous != nullptr) m_pDC->SelectObject(previous);
}

void CGridSys::DrawGridLabels(CGrid* grid, _POINT2D /*lineStart*/, _POINT2D /*lineEnd*/,
                              _POINT2D bubbleStart, _POINT2D bubbleEnd) {
  // The line through both bubbles, in device units, is what is cut by the margin's edges.
  const CPoint a = ToDevice(bubbleStart), b = ToDevice(bubbleEnd);
  const _LINE2D line{{static_cast<double>(a.x), static_cast<double>(a.y)},
                     {static_cast<double>(b.x), static_cast<double>(b.y)}};
  const double tol = kCrossTolPerScale * m_dDrawScale;
  DrawBubbles(grid, bubbleStart, bubbleEnd, [&](const _LINE2D& edge, std::vector<_POINT2D>& out) {
    _POINT2D p1{}, p2{};
    int code = DoSgmtsLap(&line, &edge, tol, &p1, &p2);
    if (code == qel::geom::kRelNone) code = DoSgmtsCross(&line, &edge, tol, 0.0, &p1);
    if (code >= qel::geom::kRelCross && code <= qel::geom::kRelSharedEnd) out.push_back(p1);
  });
}

// ---- Lines ----------------------------------------------------------------------------------

void CGridSys::DrawStraightGrid(CGrid* grid, double from, double to,
                                const std::function<_POINT2D(double)>& at) {
  const double over = kOvershoot / m_dDrawScale, out = kBubbleOffset / m_dDrawScale;
  const double dir = to >= from ? 1 : -1;
  const _POINT2D lineStart = at(from - dir * over), lineEnd = at(to + dir * over);
  DrawLine(lineStart, lineEnd);
  DrawGridLabels(grid, lineStart, lineEnd, at(from - dir * out), at(to + dir * out));
}

void CGridSys::DrawXGridLines() {
  if (!HasGeometry(m_eType)) return;
  const Placement place(*this);
  for (int i = 0; i < m_aXGrids.GetSize(); ++i) {
    CGrid& g = m_aXGrids.ElementAt(i);
    double from = 0, to = 0;
    if (!LineSpan(g, m_aYGrids, &from, &to)) continue;
    if (m_eType == GRID_SYS_ORTHOGONAL)
      DrawStraightGrid(&g, from, to, [&](double v) { return place(g.m_dLocation, v); });
    else  // a ray: its inner end never passes the centre
      DrawStraightGrid(&g, from, to,
                       [&](double r) { return place.Polar(std::fmax(r, 0.0), g.m_dLocation); });
  }
}

void CGridSys::DrawYGridLines() {
  if (!HasGeometry(m_eType)) return;
  const Placement place(*this);
  for (int j = 0; j < m_aYGrids.GetSize(); ++j) {
    CGrid& g = m_aYGrids.ElementAt(j);
    double from = 0, to = 0;
    if (!LineSpan(g, m_aXGrids, &from, &to)) continue;
    if (m_eType == GRID_SYS_ORTHOGONAL) {
      DrawStraightGrid(&g, from, to, [&](double u) { return place(u, g.m_dLocation); });
      continue;
    }

    // A circle: an arc exactly between its end angles, counter-clockwise.
    const double R = g.m_dLocation;
    const _POINT2D centre{m_dOriginX, m_dOriginY};
    const CPoint lo = ToDevice({centre.x - R, centre.y - R});
    const CPoint hi = ToDevice({centre.x + R, centre.y + R});
    const CPoint s = ToDevice(place.Polar(R, from)), e = ToDevice(place.Polar(R, to));
    m_pDC->Arc(lo.x, lo.y, hi.x, hi.y, s.x, s.y, e.x, e.y);

    _POINT2D bubbleStart = place.Polar(R, from), bubbleEnd = place.Polar(R, to);
    if (std::fabs(R) > kNoRadius) {
      const double spread =
          std::atan(kArcBubbleAngleOffset / (m_dDrawScale * R)) / qel::geom::kRadiansPerDegree;
      const double radial = kArcBubbleRadialOffset / m_dDrawScale;
      const double dist = std::sqrt(radial * radial + R * R);
      bubbleStart = place.Polar(dist, from - spread);
      bubbleEnd = place.Polar(dist, to + spread);
    }
    const CPoint c = ToDevice(centre);
    const _ARC2D arc{{static_cast<double>(c.x), static_cast<double>(c.y)},
                     R * m_dDrawScale,
                     from + m_dAngle,
                     to + m_dAngle};
    const double tol = kCrossTolPerScale * m_dDrawScale;
    DrawBubbles(&g, bubbleStart, bubbleEnd, [&](const _LINE2D& edge, std::vector<_POINT2D>& out) {
      _POINT2D p1{}, p2{};
      const int n = Arc2dLine2dRelation(&arc, &edge, tol, tol, &p1, &p2, 1);
      if (n >= 1) out.push_back(p1);
      if (n >= 2) out.push_back(p2);
    });
  }
}

// ---- The call -------------------------------------------------------------------------------

void CGridSys::DrawGridLines(CDC* dc, CPoint& origin, double scale, int drawBubbles,
                             double textScale) {
  // Every distance in device units is divided by the scale; without one there is no drawing.
  if (dc == nullptr || !std::isfinite(scale) || scale == 0) return;
  m_pDC = dc;
  m_ptDrawOrigin = origin;
  m_dDrawScale = scale;
  m_dTextScale = textScale;
  m_bDrawBubbles = drawBubbles;

  const UINT previousAlign = dc->SetTextAlign(TA_CENTER | TA_BASELINE);
  CGdiObject* previousBrush = dc->SelectStockObject(NULL_BRUSH);

  // Bubbles are outlined in the caller's colour with an inside-frame pen, so a bubble's outline
  // stays within its radius.
  LOGPEN pen{};
  dc->GetCurrentPen()->GetLogPen(&pen);
  m_penBubble.DeleteObject();
  m_penBubble.CreatePen(PS_INSIDEFRAME, 1, pen.lopnColor);

  LOGFONT font{};
  dc->GetCurrentFont()->GetLogFont(&font);
  if (Scaled(textScale)) {
    font.lfHeight = ToDeviceUnit(textScale * kLabelHeight);
  } else {
    font.lfHeight = kLabelHeight;
    std::memset(font.lfFaceName, 0, sizeof font.lfFaceName);
    std::strcpy(font.lfFaceName, "System");
  }
  m_fontLabel.DeleteObject();
  m_fontLabel.CreateFontIndirect(&font);
  CFont* previousFont = dc->SelectObject(&m_fontLabel);

  DrawXGridLines();
  DrawYGridLines();

  dc->SetTextAlign(previousAlign);
  dc->SelectObject(previousBrush);
  dc->SelectObject(previousFont);
  m_penBubble.DeleteObject();
  m_fontLabel.DeleteObject();
  m_pDC = nullptr;
}
