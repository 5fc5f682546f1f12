#include "platform/cdc.h"

#include <cmath>
#include <cstring>

// ---- GDI objects ----------------------------------------------------------------------------

BOOL CGdiObject::DeleteObject() {
  if (!created_ || stock_) return FALSE;
  created_ = false;
  return TRUE;
}

BOOL CPen::CreatePen(int style, int width, COLORREF color) {
  if (created_) return FALSE;  // as in MFC: delete the old pen first
  pen_ = LOGPEN{static_cast<UINT>(style), CPoint(width, 0), color};
  created_ = true;
  return TRUE;
}

int CPen::GetLogPen(LOGPEN* out) const {
  if (!created_ || out == nullptr) return 0;
  *out = pen_;
  return 1;
}

BOOL CFont::CreateFontIndirect(const LOGFONT* font) {
  if (created_ || font == nullptr) return FALSE;
  font_ = *font;
  font_.lfFaceName[LF_FACESIZE - 1] = '\0';
  created_ = true;
  return TRUE;
}

int CFont::GetLogFont(LOGFONT* out) const {
  if (!created_ || out == nullptr) return 0;
  *out = font_;
  return 1;
}

BOOL CBrush::CreateSolidBrush(COLORREF color) {
  LOGBRUSH b{BS_SOLID, color, 0};
  return CreateBrushIndirect(&b);
}

BOOL CBrush::CreateBrushIndirect(const LOGBRUSH* brush) {
  if (created_ || brush == nullptr) return FALSE;
  brush_ = *brush;
  created_ = true;
  return TRUE;
}

int CBrush::GetLogBrush(LOGBRUSH* out) const {
  if (!created_ || out == nullptr) return 0;
  *out = brush_;
  return 1;
}

namespace {

struct StockObjects {
  CBrush brushes[6];
  CPen pens[3];
  CFont systemFont;

  StockObjects() {
    const unsigned greys[5] = {255, 192, 128, 64, 0};
    for (int i = 0; i < 5; ++i) brushes[i].CreateSolidBrush(RGB(greys[i], greys[i], greys[i]));
    LOGBRUSH hollow{BS_NULL, 0, 0};
    brushes[NULL_BRUSH].CreateBrushIndirect(&hollow);
    pens[0].CreatePen(PS_SOLID, 0, RGB(255, 255, 255));
    pens[1].CreatePen(PS_SOLID, 0, RGB(0, 0, 0));
    pens[2].CreatePen(PS_NULL, 0, RGB(0, 0, 0));
    LOGFONT f{};
    f.lfHeight = 16;
    f.lfWeight = FW_BOLD;
    std::strcpy(f.lfFaceName, "System");
    systemFont.CreateFontIndirect(&f);
  }
};

}  // namespace

CGdiObject* StockObject(int index) {
  static StockObjects stock;
  static const bool marked = [] {
    for (CGdiObject& o : stock.brushes) o.stock_ = true;
    for (CGdiObject& o : stock.pens) o.stock_ = true;
    stock.systemFont.stock_ = true;
    return true;
  }();
  (void)marked;
  CGdiObject* object = nullptr;
  if (index >= WHITE_BRUSH && index <= NULL_BRUSH) object = &stock.brushes[index];
  if (index >= WHITE_PEN && index <= NULL_PEN) object = &stock.pens[index - WHITE_PEN];
  if (index == SYSTEM_FONT) object = &stock.systemFont;
  return object;
}

// ---- The context ----------------------------------------------------------------------------

CDC::CDC()
    : pen_(static_cast<CPen*>(StockObject(BLACK_PEN))),
      font_(static_cast<CFont*>(StockObject(SYSTEM_FONT))),
      brush_(static_cast<CBrush*>(StockObject(WHITE_BRUSH))) {}

int CDC::SetMapMode(int mode) {
  if (mode != MM_TEXT && mode != MM_ISOTROPIC && mode != MM_ANISOTROPIC) return 0;
  int previous = mapMode_;
  mapMode_ = mode;
  OnMappingChanged();
  return previous;
}

CPoint CDC::SetWindowOrg(int x, int y) {
  CPoint previous = windowOrg_;
  windowOrg_ = CPoint(x, y);
  OnMappingChanged();
  return previous;
}

CPoint CDC::SetViewportOrg(int x, int y) {
  CPoint previous = viewportOrg_;
  viewportOrg_ = CPoint(x, y);
  OnMappingChanged();
  return previous;
}

CSize CDC::SetWindowExt(int cx, int cy) {
  CSize previous = windowExt_;
  if (mapMode_ == MM_TEXT || cx == 0 || cy == 0) return previous;
  windowExt_ = CSize(cx, cy);
  OnMappingChanged();
  return previous;
}

CSize CDC::SetViewportExt(int cx, int cy) {
  CSize previous = viewportExt_;
  if (mapMode_ == MM_TEXT || cx == 0 || cy == 0) return previous;
  viewportExt_ = CSize(cx, cy);
  OnMappingChanged();
  return previous;
}

CDC::Mapping CDC::GetMapping() const {
  double sx = 1, sy = 1;
  if (mapMode_ != MM_TEXT) {
    sx = static_cast<double>(viewportExt_.cx) / windowExt_.cx;
    sy = static_cast<double>(viewportExt_.cy) / windowExt_.cy;
  }
  return Mapping{sx, viewportOrg_.x - windowOrg_.x * sx, sy, viewportOrg_.y - windowOrg_.y * sy};
}

void CDC::LPtoDP(CPoint* points, int count) const {
  const Mapping m = GetMapping();
  for (int i = 0; i < count; ++i) {
    points[i].x = static_cast<LONG>(std::lround(points[i].x * m.scaleX + m.offsetX));
    points[i].y = static_cast<LONG>(std::lround(points[i].y * m.scaleY + m.offsetY));
  }
}

void CDC::DPtoLP(CPoint* points, int count) const {
  const Mapping m = GetMapping();
  for (int i = 0; i < count; ++i) {
    points[i].x = static_cast<LONG>(std::lround((points[i].x - m.offsetX) / m.scaleX));
    points[i].y = static_cast<LONG>(std::lround((points[i].y - m.offsetY) / m.scaleY));
  }
}

void CDC::LPtoDP(CRect* rect) const {
  CPoint corners[2] = {CPoint(rect->left, rect->top), CPoint(rect->right, rect->bottom)};
  LPtoDP(corners, 2);
  *rect = CRect(corners[0].x, corners[0].y, corners[1].x, corners[1].y);
}

void CDC::DPtoLP(CRect* rect) const {
  CPoint corners[2] = {CPoint(rect->left, rect->top), CPoint(rect->right, rect->bottom)};
  DPtoLP(corners, 2);
  *rect = CRect(corners[0].x, corners[0].y, corners[1].x, corners[1].y);
}

CPen* CDC::SelectObject(CPen* pen) {
  if (pen == nullptr || !pen->IsCreated()) return nullptr;
  CPen* previous = pen_;
  pen_ = pen;
  OnSelect(pen);
  return previous;
}

CFont* CDC::SelectObject(CFont* font) {
  if (font == nullptr || !font->IsCreated()) return nullptr;
  CFont* previous = font_;
  font_ = font;
  OnSelect(font);
  return previous;
}

CBrush* CDC::SelectObject(CBrush* brush) {
  if (brush == nullptr || !brush->IsCreated()) return nullptr;
  CBrush* previous = brush_;
  brush_ = brush;
  OnSelect(brush);
  return previous;
}

CGdiObject* CDC::SelectObject(CGdiObject* object) {
  if (object == nullptr) return nullptr;
  switch (object->GetKind()) {
    case CGdiObject::Kind::kPen:
      return SelectObject(static_cast<CPen*>(object));
    case CGdiObject::Kind::kFont:
      return SelectObject(static_cast<CFont*>(object));
    case CGdiObject::Kind::kBrush:
      return SelectObject(static_cast<CBrush*>(object));
  }
  return nullptr;
}

CGdiObject* CDC::SelectStockObject(int index) { return SelectObject(StockObject(index)); }

UINT CDC::SetTextAlign(UINT flags) {
  UINT previous = textAlign_;
  textAlign_ = flags;
  OnTextAlign(flags);
  return previous;
}

COLORREF CDC::SetTextColor(COLORREF color) {
  COLORREF previous = textColor_;
  textColor_ = color;
  OnTextColor(color);
  return previous;
}

CPoint CDC::MoveTo(int x, int y) {
  CPoint previous = position_;
  position_ = CPoint(x, y);
  OnMoveTo(position_);
  return previous;
}

BOOL CDC::LineTo(int x, int y) {
  CPoint from = position_;
  position_ = CPoint(x, y);
  OnLine(from, position_);
  return TRUE;
}

BOOL CDC::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  OnArc(CRect(x1, y1, x2, y2), CPoint(x3, y3), CPoint(x4, y4));
  return TRUE;
}

BOOL CDC::Ellipse(int x1, int y1, int x2, int y2) {
  OnEllipse(CRect(x1, y1, x2, y2));
  return TRUE;
}

BOOL CDC::Rectangle(int x1, int y1, int x2, int y2) {
  OnRectangle(CRect(x1, y1, x2, y2));
  return TRUE;
}

BOOL CDC::TextOut(int x, int y, const CString& text) {
  OnTextOut(CPoint(x, y), text);
  return TRUE;
}
