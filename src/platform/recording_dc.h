// A device context that records what is drawn on it, so tests can check drawing call by call.
//
// Contract: every drawing call and every change of pen, font, brush, text alignment, text colour
// or mapping is appended to Calls() in the order made, with logical coordinates exactly as
// passed; nothing is drawn. Arguments by operation:
//   MoveTo, LineTo        x y
//   Arc                   x1 y1 x2 y2 x3 y3 x4 y4
//   Ellipse, Rectangle    x1 y1 x2 y2
//   TextOut               x y, the text in `text`
//   SelectPen             style width colour
//   SelectFont            height weight, the face name in `text`
//   SelectBrush           style colour
//   SetTextAlign          flags
//   SetTextColor          colour
//   Mapping               (none)
#pragma once

#include <string>
#include <vector>

#include "platform/cdc.h"

class CRecordingDC : public CDC {
 public:
  struct Call {
    std::string op;
    std::vector<long> args;
    std::string text;
  };

  const std::vector<Call>& Calls() const { return calls_; }
  // The calls of one operation, in order.
  std::vector<Call> Calls(const std::string& op) const;
  void Clear() { calls_.clear(); }
  // One call per line, "op arg arg ... [text]", for failure messages.
  std::string ToString() const;

 protected:
  void OnMoveTo(CPoint to) override;
  void OnLine(CPoint from, CPoint to) override;
  void OnArc(CRect box, CPoint start, CPoint end) override;
  void OnEllipse(CRect box) override;
  void OnRectangle(CRect box) override;
  void OnTextOut(CPoint at, const CString& text) override;
  void OnSelect(const CGdiObject* object) override;
  void OnTextAlign(UINT flags) override;
  void OnTextColor(COLORREF color) override;
  void OnMappingChanged() override;

 private:
  std::vector<Call> calls_;
};
