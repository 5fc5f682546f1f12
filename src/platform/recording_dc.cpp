#include "platform/recording_dc.h"

std::vector<CRecordingDC::Call> CRecordingDC::Calls(const std::string& op) const {
  std::vector<Call> out;
  for (const Call& c : calls_)
    if (c.op == op) out.push_back(c);
  return out;
}

std::string CRecordingDC::ToString() const {
  std::string s;
  for (const Call& c : calls_) {
    s += c.op;
    for (long a : c.args) s += " " + std::to_string(a);
    if (!c.text.empty()) s += " \"" + c.text + "\"";
    s += "\n";
  }
  return s;
}

void CRecordingDC::OnMoveTo(CPoint to) { calls_.push_back({"MoveTo", {to.x, to.y}, {}}); }

void CRecordingDC::OnLine(CPoint, CPoint to) { calls_.push_back({"LineTo", {to.x, to.y}, {}}); }

void CRecordingDC::OnArc(CRect box, CPoint start, CPoint end) {
  calls_.push_back(
      {"Arc", {box.left, box.top, box.right, box.bottom, start.x, start.y, end.x, end.y}, {}});
}

void CRecordingDC::OnEllipse(CRect box) {
  calls_.push_back({"Ellipse", {box.left, box.top, box.right, box.bottom}, {}});
}

void CRecordingDC::OnRectangle(CRect box) {
  calls_.push_back({"Rectangle", {box.left, box.top, box.right, box.bottom}, {}});
}

void CRecordingDC::OnTextOut(CPoint at, const CString& text) {
  calls_.push_back({"TextOut", {at.x, at.y}, text.str()});
}

void CRecordingDC::OnSelect(const CGdiObject* object) {
  switch (object->GetKind()) {
    case CGdiObject::Kind::kPen: {
      LOGPEN p{};
      static_cast<const CPen*>(object)->GetLogPen(&p);
      calls_.push_back(
          {"SelectPen",
           {static_cast<long>(p.lopnStyle), p.lopnWidth.x, static_cast<long>(p.lopnColor)},
           {}});
      break;
    }
    case CGdiObject::Kind::kFont: {
      LOGFONT f{};
      static_cast<const CFont*>(object)->GetLogFont(&f);
      calls_.push_back({"SelectFont", {f.lfHeight, f.lfWeight}, f.lfFaceName});
      break;
    }
    case CGdiObject::Kind::kBrush: {
      LOGBRUSH b{};
      static_cast<const CBrush*>(object)->GetLogBrush(&b);
      calls_.push_back(
          {"SelectBrush", {static_cast<long>(b.lbStyle), static_cast<long>(b.lbColor)}, {}});
      break;
    }
  }
}

void CRecordingDC::OnTextAlign(UINT flags) {
  calls_.push_back({"SetTextAlign", {static_cast<long>(flags)}, {}});
}

void CRecordingDC::OnTextColor(COLORREF color) {
  calls_.push_back({"SetTextColor", {static_cast<long>(color)}, {}});
}

void CRecordingDC::OnMappingChanged() { calls_.push_back({"Mapping", {}, {}}); }
