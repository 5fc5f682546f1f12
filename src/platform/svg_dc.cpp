#include "platform/svg_dc.h"

#include <cmath>
#include <cstdio>
#include <numbers>
#include <vector>

namespace {

// A TrueType face's cell (ascent + descent) is about 1.16 em; GDI's positive font heights are
// cell heights, negative ones character (em) heights.
constexpr double kEmPerCell = 1 / 1.16;
constexpr double kAscentPerEm = 0.93;
constexpr double kDescentPerEm = 0.24;
// The size GDI picks for a height of 0.
constexpr double kDefaultEm = 12;

std::string Num(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.9g", std::fabs(v) < 1e-12 ? 0.0 : v);
  return buf;
}

std::string Colour(COLORREF c) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%02x%02x%02x", GetRValue(c), GetGValue(c), GetBValue(c));
  return buf;
}

// XML-safe text: markup characters escaped, control characters dropped, bytes above 0x7F taken
// as Latin-1 and written as UTF-8.
std::string XmlText(const std::string& bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      default:
        if (c < 0x20 || c == 0x7F) break;
        if (c < 0x80) {
          out += static_cast<char>(c);
        } else {
          out += static_cast<char>(0xC0 | (c >> 6));
          out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
  }
  return out;
}

// GDI's dash patterns, in device units: dash, gap, dash, gap...
std::vector<double> DashPattern(UINT style) {
  switch (style) {
    case PS_DASH:
      return {18, 6};
    case PS_DOT:
      return {3, 3};
    case PS_DASHDOT:
      return {9, 6, 3, 6};
    case PS_DASHDOTDOT:
      return {9, 3, 3, 3, 3, 3};
    default:
      return {};
  }
}

}  // namespace

CSvgDC::CSvgDC(int width, int height, std::optional<COLORREF> background)
    : width_(width), height_(height) {
  head_ = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  head_ += "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" +
           std::to_string(width) + "\" height=\"" + std::to_string(height) + "\" viewBox=\"0 0 " +
           std::to_string(width) + " " + std::to_string(height) + "\">\n";
  if (background)
    head_ += "<rect x=\"0\" y=\"0\" width=\"" + std::to_string(width) + "\" height=\"" +
             std::to_string(height) + "\" fill=\"" + Colour(*background) + "\"/>\n";
}

std::string CSvgDC::GetSvg() const {
  std::string out = head_ + body_ + PendingPath();
  if (groupOpen_) out += "</g>\n";
  return out + "</svg>\n";
}

double CSvgDC::ToLogical(double device) const {
  const Mapping m = GetMapping();
  return device / std::sqrt(std::fabs(m.scaleX * m.scaleY));
}

std::string CSvgDC::PendingPath() const {
  if (pathData_.empty()) return {};
  return "<path d=\"" + pathData_ + "\" fill=\"none\"" + pathStroke_ + "/>\n";
}

void CSvgDC::FlushPath() {
  body_ += PendingPath();
  pathData_.clear();
}

void CSvgDC::BeginElement() {
  FlushPath();
  if (groupOpen_) return;
  const Mapping m = GetMapping();
  body_ += "<g transform=\"matrix(" + Num(m.scaleX) + " 0 0 " + Num(m.scaleY) + " " +
           Num(m.offsetX) + " " + Num(m.offsetY) + ")\">\n";
  groupOpen_ = true;
}

void CSvgDC::OnMappingChanged() {
  FlushPath();
  if (groupOpen_) body_ += "</g>\n";
  groupOpen_ = false;
}

void CSvgDC::OnSelect(const CGdiObject*) { FlushPath(); }

std::string CSvgDC::StrokeAttributes() const {
  LOGPEN pen{};
  if (!GetCurrentPen()->GetLogPen(&pen) || pen.lopnStyle == PS_NULL) return " stroke=\"none\"";
  const Mapping m = GetMapping();
  const double scale = std::sqrt(std::fabs(m.scaleX * m.scaleY));
  const double deviceWidth = pen.lopnWidth.x <= 1 ? 1.0 : pen.lopnWidth.x * scale;
  std::string s =
      " stroke=\"" + Colour(pen.lopnColor) + "\" stroke-width=\"" + Num(deviceWidth / scale) + "\"";
  s += deviceWidth > 1.5 ? " stroke-linecap=\"round\" stroke-linejoin=\"round\"" : "";
  const std::vector<double> dashes = DashPattern(pen.lopnStyle);
  if (!dashes.empty()) {
    // The pattern is in device units, stretched with the line's width as GDI's geometric pens are.
    const double unit = std::fmax(1.0, deviceWidth) / scale;
    std::string list;
    for (double v : dashes) list += (list.empty() ? "" : " ") + Num(v * unit);
    s += " stroke-dasharray=\"" + list + "\"";
  }
  return s;
}

std::string CSvgDC::FillAttribute() const {
  LOGBRUSH b{};
  if (!GetCurrentBrush()->GetLogBrush(&b) || b.lbStyle == BS_NULL) return " fill=\"none\"";
  return " fill=\"" + Colour(b.lbColor) + "\"";
}

void CSvgDC::OnLine(CPoint from, CPoint to) {
  if (!pathData_.empty() && pathEnd_ == from) {
    pathData_ += " L" + std::to_string(to.x) + " " + std::to_string(to.y);
  } else {
    BeginElement();
    pathStroke_ = StrokeAttributes();
    pathData_ = "M" + std::to_string(from.x) + " " + std::to_string(from.y) + " L" +
                std::to_string(to.x) + " " + std::to_string(to.y);
  }
  pathEnd_ = to;
}

void CSvgDC::OnArc(CRect box, CPoint start, CPoint end) {
  box.NormalizeRect();
  const double a = box.Width() / 2.0, b = box.Height() / 2.0;
  if (a <= 0 || b <= 0) return;
  const double cx = (box.left + box.right) / 2.0, cy = (box.top + box.bottom) / 2.0;
  // Where the ray from the centre through p meets the ellipse, as a parametric angle.
  auto param = [&](CPoint p) {
    double dx = p.x - cx, dy = p.y - cy;
    if (dx == 0 && dy == 0) return 0.0;
    return std::atan2(dy / b, dx / a);
  };
  const double ts = param(start), te = param(end);
  auto at = [&](double t) { return Num(cx + a * std::cos(t)) + " " + Num(cy + b * std::sin(t)); };
  // Counter-clockwise on the device, whose y points down: in logical coordinates that is the
  // direction of decreasing angle unless the mapping flips one axis.
  const Mapping m = GetMapping();
  const bool flipped = m.scaleX * m.scaleY < 0;
  constexpr double kTurn = 2 * std::numbers::pi;
  double sweep = flipped ? te - ts : ts - te;
  sweep = std::fmod(std::fmod(sweep, kTurn) + kTurn, kTurn);
  const std::string radii = " A" + Num(a) + " " + Num(b) + " 0 ";
  const std::string dir = flipped ? " 1 " : " 0 ";
  std::string d = "M" + at(ts);
  if (sweep < 1e-9) {  // the same ray twice: the whole ellipse, in two halves
    const double half = flipped ? ts + kTurn / 2 : ts - kTurn / 2;
    d += radii + "0" + dir + at(half) + radii + "0" + dir + at(ts);
  } else {
    d += radii + (sweep > kTurn / 2 ? "1" : "0") + dir + at(te);
  }
  BeginElement();
  body_ += "<path d=\"" + d + "\" fill=\"none\"" + StrokeAttributes() + "/>\n";
}

void CSvgDC::OnEllipse(CRect box) {
  box.NormalizeRect();
  double rx = box.Width() / 2.0, ry = box.Height() / 2.0;
  LOGPEN pen{};
  if (GetCurrentPen()->GetLogPen(&pen) && pen.lopnStyle == PS_INSIDEFRAME) {
    const Mapping m = GetMapping();
    const double scale = std::sqrt(std::fabs(m.scaleX * m.scaleY));
    const double half = (pen.lopnWidth.x <= 1 ? 1.0 : pen.lopnWidth.x * scale) / scale / 2;
    rx = std::fmax(0, rx - half);
    ry = std::fmax(0, ry - half);
  }
  BeginElement();
  body_ += "<ellipse cx=\"" + Num((box.left + box.right) / 2.0) + "\" cy=\"" +
           Num((box.top + box.bottom) / 2.0) + "\" rx=\"" + Num(rx) + "\" ry=\"" + Num(ry) + "\"" +
           FillAttribute() + StrokeAttributes() + "/>\n";
}

void CSvgDC::OnRectangle(CRect box) {
  box.NormalizeRect();
  BeginElement();
  body_ += "<rect x=\"" + std::to_string(box.left) + "\" y=\"" + std::to_string(box.top) +
           "\" width=\"" + std::to_string(box.Width()) + "\" height=\"" +
           std::to_string(box.Height()) + "\"" + FillAttribute() + StrokeAttributes() + "/>\n";
}

void CSvgDC::OnTextOut(CPoint at, const CString& text) {
  LOGFONT font{};
  GetCurrentFont()->GetLogFont(&font);
  const Mapping m = GetMapping();
  double em = kDefaultEm;
  if (font.lfHeight < 0) em = -font.lfHeight * std::fabs(m.scaleY);
  if (font.lfHeight > 0) em = font.lfHeight * std::fabs(m.scaleY) * kEmPerCell;

  const UINT align = GetTextAlign();
  const char* anchor = "start";
  if ((align & TA_CENTER) == TA_CENTER)
    anchor = "middle";
  else if (align & TA_RIGHT)
    anchor = "end";
  double baseline = 0;  // device units below the anchor point
  if ((align & TA_BASELINE) == TA_BASELINE)
    baseline = 0;
  else if (align & TA_BOTTOM)
    baseline = -kDescentPerEm * em;
  else
    baseline = kAscentPerEm * em;

  std::string face;
  for (const char* p = font.lfFaceName; *p && p < font.lfFaceName + LF_FACESIZE; ++p)
    if (*p != '\'' && *p != '"' && *p != ',') face += *p;
  std::string family = face.empty() ? "sans-serif" : "'" + XmlText(face) + "', sans-serif";

  BeginElement();
  body_ += "<text transform=\"translate(" + std::to_string(at.x) + " " + std::to_string(at.y) +
           ") scale(" + Num(1 / m.scaleX) + " " + Num(1 / m.scaleY) + ")\" y=\"" + Num(baseline) +
           "\" font-family=\"" + family + "\" font-size=\"" + Num(em) + "\"" +
           (font.lfWeight >= 600 ? " font-weight=\"bold\"" : "") +
           (font.lfItalic ? " font-style=\"italic\"" : "") + " text-anchor=\"" + anchor +
           "\" fill=\"" + Colour(GetTextColor()) + "\">" + XmlText(text.str()) + "</text>\n";
}
