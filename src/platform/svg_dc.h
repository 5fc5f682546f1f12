// A device context that draws into an SVG document: vectors stay vectors and text stays text.
//
// Contract:
// - The picture is width x height device units (one unit = one pixel of a raster made from it),
//   y pointing down, filled with the background colour first unless it is none.
// - Drawing is written in the caller's logical coordinates inside a group whose transform is the
//   context's mapping at the time of drawing, so a mapping with y up (a negative viewport extent)
//   shows the plan upright. Text is counter-scaled at its anchor point, so glyphs are never
//   mirrored and are sized in device units: a font height h maps to |h| times the mapping's
//   vertical scale, a negative height being the character height and a positive one the cell
//   height, as in GDI.
// - Pens: PS_NULL draws no outline; a width of 0 or 1 is one device unit (a cosmetic pen), a
//   wider pen scales with the mapping; dashed styles use GDI's dash pattern in device units.
//   PS_INSIDEFRAME keeps an ellipse's outline inside its bounding box. Brushes fill ellipses and
//   rectangles (the hollow brush fills nothing).
// - Labels are bytes in the Windows Latin-1 range: they are written as their UTF-8 equivalents;
//   control characters are dropped, so the document is always well-formed XML.
#pragma once

#include <optional>
#include <string>

#include "platform/cdc.h"

class CSvgDC : public CDC {
 public:
  CSvgDC(int width, int height, std::optional<COLORREF> background = RGB(255, 255, 255));
  int Width() const { return width_; }
  int Height() const { return height_; }
  // The complete document as drawn so far.
  std::string GetSvg() const;

 protected:
  void OnLine(CPoint from, CPoint to) override;
  void OnArc(CRect box, CPoint start, CPoint end) override;
  void OnEllipse(CRect box) override;
  void OnRectangle(CRect box) override;
  void OnTextOut(CPoint at, const CString& text) override;
  void OnSelect(const CGdiObject* object) override;
  void OnMappingChanged() override;

 private:
  // Starts the mapping group when needed and ends a pending line path.
  void BeginElement();
  void FlushPath();
  std::string PendingPath() const;
  // stroke, stroke-width and dash attributes of the current pen; empty when it draws nothing.
  std::string StrokeAttributes() const;
  std::string FillAttribute() const;
  // The length in logical units of `device` device units along the mapping's mean scale.
  double ToLogical(double device) const;

  int width_, height_;
  std::string head_;  // the root element and background
  std::string body_;
  bool groupOpen_ = false;
  std::string pathData_;  // a run of connected lines, written when it ends
  std::string pathStroke_;
  CPoint pathEnd_;
};
