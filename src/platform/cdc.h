// A device context to draw on: the subset of MFC's CDC, CPen, CFont, CBrush and CWnd that plan
// drawing uses, with the drawing itself left to a back end (a recording one for tests, an SVG one
// for pictures).
//
// Contract:
// - CDC keeps the drawing state every back end shares: the selected pen, font and brush (stock
//   objects included), the text alignment and colour, the current position, the mapping from
//   logical to device units and the window the context belongs to (none unless SetWindow). The
//   drawing calls take logical coordinates, update the current position as GDI does and hand the
//   call to the back end through the protected On* hooks; the base class draws nothing.
// - Mapping: MM_TEXT maps one logical unit to one device unit (y down); MM_ANISOTROPIC and
//   MM_ISOTROPIC map device = (logical - window origin) * viewport extent / window extent +
//   viewport origin on each axis, so a negative extent flips that axis. Zero extents are refused.
//   DPtoLP and LPtoDP round to the nearest integer.
// - Arc and Ellipse take a bounding box; an arc runs counter-clockwise as seen on the device from
//   the point where the ray from the centre through the start point meets the ellipse to that of
//   the end point (equal points: the whole ellipse).
// - GDI objects cannot be copied. Selecting one returns the object it replaces; a context never
//   owns what is selected into it, so the caller restores the previous object before deleting
//   its own. Selecting an object that was never created (or null) changes nothing and returns null.
#pragma once

#include <cstdint>

#include "platform/crect.h"
#include "platform/cwnd.h"
#include "platform/cstring.h"
#include "platform/win_types.h"

// Pen styles.
constexpr int PS_SOLID = 0;
constexpr int PS_DASH = 1;
constexpr int PS_DOT = 2;
constexpr int PS_DASHDOT = 3;
constexpr int PS_DASHDOTDOT = 4;
constexpr int PS_NULL = 5;
constexpr int PS_INSIDEFRAME = 6;

// Stock objects.
constexpr int WHITE_BRUSH = 0;
constexpr int LTGRAY_BRUSH = 1;
constexpr int GRAY_BRUSH = 2;
constexpr int DKGRAY_BRUSH = 3;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int HOLLOW_BRUSH = NULL_BRUSH;
constexpr int WHITE_PEN = 6;
constexpr int BLACK_PEN = 7;
constexpr int NULL_PEN = 8;
constexpr int SYSTEM_FONT = 13;

// Text alignment: one horizontal and one vertical flag.
constexpr UINT TA_NOUPDATECP = 0;
constexpr UINT TA_LEFT = 0;
constexpr UINT TA_TOP = 0;
constexpr UINT TA_RIGHT = 2;
constexpr UINT TA_CENTER = 6;
constexpr UINT TA_BOTTOM = 8;
constexpr UINT TA_BASELINE = 24;
constexpr UINT GDI_ERROR = 0xFFFFFFFFu;

// Mapping modes.
constexpr int MM_TEXT = 1;
constexpr int MM_ISOTROPIC = 7;
constexpr int MM_ANISOTROPIC = 8;

constexpr LONG FW_NORMAL = 400;
constexpr LONG FW_BOLD = 700;

using LOGFONT = LOGFONTA;

struct LOGPEN {
  UINT lopnStyle;
  CPoint lopnWidth;  // x is the width; y is not used
  COLORREF lopnColor;
};

struct LOGBRUSH {
  UINT lbStyle;  // BS_SOLID or BS_NULL
  COLORREF lbColor;
  std::uintptr_t lbHatch;
};
constexpr UINT BS_SOLID = 0;
constexpr UINT BS_NULL = 1;

class CGdiObject {
 public:
  enum class Kind { kPen, kFont, kBrush };
  virtual ~CGdiObject() = default;
  CGdiObject(const CGdiObject&) = delete;
  CGdiObject& operator=(const CGdiObject&) = delete;

  Kind GetKind() const { return kind_; }
  // Whether a Create* call made the object (stock objects always are).
  bool IsCreated() const { return created_; }
  // Stock objects are shared by every context and are never deleted.
  BOOL DeleteObject();

 protected:
  explicit CGdiObject(Kind kind) : kind_(kind) {}
  bool created_ = false;

 private:
  friend CGdiObject* StockObject(int index);
  Kind kind_;
  bool stock_ = false;
};

class CPen : public CGdiObject {
 public:
  CPen() : CGdiObject(Kind::kPen) {}
  CPen(int style, int width, COLORREF color) : CPen() { CreatePen(style, width, color); }
  BOOL CreatePen(int style, int width, COLORREF color);
  // 0 when the pen was not created.
  int GetLogPen(LOGPEN* out) const;

 private:
  LOGPEN pen_{};
};

class CFont : public CGdiObject {
 public:
  CFont() : CGdiObject(Kind::kFont) {}
  BOOL CreateFontIndirect(const LOGFONT* font);
  // 0 when the font was not created.
  int GetLogFont(LOGFONT* out) const;

 private:
  LOGFONT font_{};
};

class CBrush : public CGdiObject {
 public:
  CBrush() : CGdiObject(Kind::kBrush) {}
  explicit CBrush(COLORREF color) : CBrush() { CreateSolidBrush(color); }
  BOOL CreateSolidBrush(COLORREF color);
  BOOL CreateBrushIndirect(const LOGBRUSH* brush);
  // 0 when the brush was not created.
  int GetLogBrush(LOGBRUSH* out) const;
  // The stock hollow brush: fills nothing.
  bool IsHollow() const { return brush_.lbStyle == BS_NULL; }

 private:
  LOGBRUSH brush_{};
};

// The stock object of that index (WHITE_BRUSH ... SYSTEM_FONT), or null for an unknown index.
CGdiObject* StockObject(int index);

class CDC {
 public:
  CDC();
  virtual ~CDC() = default;
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;

  // ---- The window ----------------------------------------------------------------------------
  // The window the context belongs to, or null for a context of no window (a printer, a bitmap).
  CWnd* GetWindow() const { return window_; }
  void SetWindow(CWnd* window) { window_ = window; }

  // ---- Mapping -------------------------------------------------------------------------------
  int SetMapMode(int mode);  // returns the previous mode, 0 for an unknown one
  int GetMapMode() const { return mapMode_; }
  CPoint SetWindowOrg(int x, int y);
  CPoint SetViewportOrg(int x, int y);
  CSize SetWindowExt(int cx, int cy);  // ignored in MM_TEXT; returns the previous extent
  CSize SetViewportExt(int cx, int cy);
  void DPtoLP(CPoint* points, int count = 1) const;
  void DPtoLP(CRect* rect) const;
  void LPtoDP(CPoint* points, int count = 1) const;
  void LPtoDP(CRect* rect) const;
  // The mapping as device = logical * scale + offset, per axis, in double precision.
  struct Mapping {
    double scaleX, offsetX, scaleY, offsetY;
  };
  Mapping GetMapping() const;

  // ---- Drawing state -------------------------------------------------------------------------
  CPen* SelectObject(CPen* pen);
  CFont* SelectObject(CFont* font);
  CBrush* SelectObject(CBrush* brush);
  // Selects a pen, font or brush by its kind (how a stock object is put back).
  CGdiObject* SelectObject(CGdiObject* object);
  CGdiObject* SelectStockObject(int index);
  CPen* GetCurrentPen() const { return pen_; }
  CFont* GetCurrentFont() const { return font_; }
  CBrush* GetCurrentBrush() const { return brush_; }
  UINT SetTextAlign(UINT flags);  // returns the previous alignment
  UINT GetTextAlign() const { return textAlign_; }
  COLORREF SetTextColor(COLORREF color);  // returns the previous colour
  COLORREF GetTextColor() const { return textColor_; }
  CPoint GetCurrentPosition() const { return position_; }

  // ---- Drawing (logical coordinates) ---------------------------------------------------------
  CPoint MoveTo(int x, int y);  // returns the previous position
  CPoint MoveTo(CPoint p) { return MoveTo(p.x, p.y); }
  BOOL LineTo(int x, int y);
  BOOL LineTo(CPoint p) { return LineTo(p.x, p.y); }
  BOOL Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
  BOOL Ellipse(int x1, int y1, int x2, int y2);
  BOOL Rectangle(int x1, int y1, int x2, int y2);
  BOOL TextOut(int x, int y, const CString& text);

 protected:
  // What a back end draws. Each is called after the state has been updated.
  virtual void OnLine(CPoint /*from*/, CPoint /*to*/) {}
  virtual void OnMoveTo(CPoint /*to*/) {}
  virtual void OnArc(CRect /*box*/, CPoint /*start*/, CPoint /*end*/) {}
  virtual void OnEllipse(CRect /*box*/) {}
  virtual void OnRectangle(CRect /*box*/) {}
  virtual void OnTextOut(CPoint /*at*/, const CString& /*text*/) {}
  // A pen, font or brush was selected, or the alignment, text colour or mapping changed.
  virtual void OnSelect(const CGdiObject* /*object*/) {}
  virtual void OnTextAlign(UINT /*flags*/) {}
  virtual void OnTextColor(COLORREF /*color*/) {}
  virtual void OnMappingChanged() {}

 private:
  CWnd* window_ = nullptr;
  int mapMode_ = MM_TEXT;
  CPoint windowOrg_, viewportOrg_;
  CSize windowExt_{1, 1}, viewportExt_{1, 1};
  CPen* pen_;
  CFont* font_;
  CBrush* brush_;
  UINT textAlign_ = TA_LEFT | TA_TOP;
  COLORREF textColor_ = RGB(0, 0, 0);
  CPoint position_;
};
