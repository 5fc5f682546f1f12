#include "plan_picture.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

#include "command.h"
#include "geom/grid_file.h"
#include "model_source.h"
#include "platform/cfile.h"
#include "platform/cmemfile.h"
#include "platform/file_system.h"
#include "platform/svg_dc.h"
#include "svg_raster.h"

namespace qeldb {
namespace {

constexpr int kTitleBand = 44;  // pixels above the plan for the title
constexpr int kEdge = 24;       // pixels between the bubbles' reach and the picture's edge
// The grid drawing puts a bubble's centre this far beyond a line's end, with this radius at a
// text scale of 1 (device units, which are pixels here).
constexpr int kBubbleOffset = 30;
constexpr double kBubbleRadius = 20;
constexpr int kMinPlanPixels = 100;
// Plan coordinates beyond this cannot be placed on integer device units.
constexpr double kMaxCoordinate = 1e8;
constexpr int kArcSamples = 72;
constexpr double kMaxPixelsPerUnit = 1000;

constexpr COLORREF kGridColour = RGB(38, 110, 170);
constexpr COLORREF kBeamColour = RGB(25, 25, 25);
constexpr COLORREF kWallColour = RGB(90, 90, 90);
constexpr COLORREF kTitleColour = RGB(20, 20, 20);
constexpr int kColumnHalf = 5;  // columns are squares this many pixels each side of their point

struct Bounds {
  bool any = false;
  bool outOfRange = false;  // a coordinate that cannot be drawn (not finite, or absurdly large)
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  void Add(const _POINT2D& p) {
    if (!(std::fabs(p.x) <= kMaxCoordinate) || !(std::fabs(p.y) <= kMaxCoordinate)) {
      outOfRange = true;
      return;
    }
    if (!any) {
      x0 = x1 = p.x;
      y0 = y1 = p.y;
      any = true;
      return;
    }
    x0 = std::fmin(x0, p.x);
    x1 = std::fmax(x1, p.x);
    y0 = std::fmin(y0, p.y);
    y1 = std::fmax(y1, p.y);
  }
  void Add(const _ARC2D& a) {
    for (int k = 0; k <= kArcSamples; ++k) {
      const double t = (a.startAngle + (a.endAngle - a.startAngle) * k / kArcSamples) *
                       qel::geom::kRadiansPerDegree;
      Add(_POINT2D{a.centre.x + a.radius * std::cos(t), a.centre.y + a.radius * std::sin(t)});
    }
  }
};

Bounds PlanBounds(const CArray<CGridSys, CGridSys&>& systems, const PlanMembers& members) {
  Bounds b;
  for (const CGridSys& s : systems) {
    CGridSys work(s);
    work.m_bIncludeAll = 1;
    work.GetGridLinesEx();
    for (const _LINE2D& l : work.m_aXLinesEx) b.Add(l.start), b.Add(l.end);
    for (const _LINE2D& l : work.m_aYLinesEx) b.Add(l.start), b.Add(l.end);
    for (const _ARC2D& a : work.m_aYArcsEx) b.Add(a);
  }
  for (const auto* lines : {&members.beams, &members.walls})
    for (const _LINE2D& l : *lines) b.Add(l.start), b.Add(l.end);
  for (const _POINT2D& p : members.columns) b.Add(p);
  return b;
}

// Plan to logical units exactly as the grid drawing maps them, so members and grids agree.
struct PlanMapping {
  CPoint origin;
  double scale = 1;
  CPoint operator()(const _POINT2D& p) const {
    return CPoint(static_cast<int>(std::trunc((p.x - origin.x) * scale)),
                  static_cast<int>(std::trunc((p.y - origin.y) * scale)));
  }
};

void DrawLines(CDC& dc, const PlanMapping& map, const std::vector<_LINE2D>& lines, int width,
               COLORREF colour) {
  if (lines.empty()) return;
  CPen pen(PS_SOLID, width, colour);
  CPen* previous = dc.SelectObject(&pen);
  for (const _LINE2D& l : lines) {
    dc.MoveTo(map(l.start));
    dc.LineTo(map(l.end));
  }
  dc.SelectObject(previous);
}

void DrawColumns(CDC& dc, const PlanMapping& map, const std::vector<_POINT2D>& columns) {
  if (columns.empty()) return;
  CPen pen(PS_SOLID, 1, kBeamColour);
  CBrush brush(kBeamColour);
  CPen* previousPen = dc.SelectObject(&pen);
  CBrush* previousBrush = dc.SelectObject(&brush);
  for (const _POINT2D& p : columns) {
    const CPoint c = map(p);
    dc.Rectangle(c.x - kColumnHalf, c.y - kColumnHalf, c.x + kColumnHalf, c.y + kColumnHalf);
  }
  dc.SelectObject(previousBrush);
  dc.SelectObject(previousPen);
}

void SetFont(CFont& font, LONG height, LONG weight, const char* face) {
  LOGFONT f{};
  f.lfHeight = height;
  f.lfWeight = weight;
  std::strncpy(f.lfFaceName, face, LF_FACESIZE - 1);
  font.CreateFontIndirect(&f);
}

bool EndsWith(const std::string& s, const char* tail) {
  const std::size_t n = std::strlen(tail);
  if (s.size() < n) return false;
  for (std::size_t i = 0; i < n; ++i)
    if (std::tolower(static_cast<unsigned char>(s[s.size() - n + i])) != tail[i]) return false;
  return true;
}

}  // namespace

bool ReadModelGrids(ModelSource& source, CArray<CGridSys, CGridSys&>& systems) {
  const std::string path = source.Describe("grs");
  CString error;
  ULONGLONG trailing = 0;
  qel::GridFileResult result = qel::GridFileResult::kMissing;
  if (!source.FromArchive()) {
    if (RefuseDirectory(path, "a grid-system file")) return false;
    result = qel::ReadGridSysFile(path.c_str(), systems, &error, &trailing);
  } else if (source.Exists("grs")) {
    std::vector<unsigned char> bytes;
    if (source.Read("grs", bytes)) {
      CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
      result = qel::ReadGridSysFile(file, systems, &error, &trailing);
    } else {
      result = qel::GridFileResult::kBad;
      error = (path + ": the entry cannot be read (damaged or too large)").c_str();
    }
  }
  switch (result) {
    case qel::GridFileResult::kMissing:
      Fail(kExitUsage, path + ": no grid-system file");
      return false;
    case qel::GridFileResult::kBad:
      Fail(kExitUsage, error.str());
      return false;
    case qel::GridFileResult::kRead:
      break;
  }
  if (trailing > 0)
    Warn(path + ": " + std::to_string(trailing) + " bytes after the last of the " +
         std::to_string(systems.GetSize()) + " grid systems the file announces");
  return true;
}

bool DrawPlan(const CArray<CGridSys, CGridSys&>& systems, const PlanMembers& members,
              const PlanStyle& style, std::string* svg, std::string* error) {
  const Bounds b = PlanBounds(systems, members);
  if (b.outOfRange) {
    *error = "the plan's coordinates are out of range";
    return false;
  }
  if (!b.any) {
    *error = "nothing to draw: no grid lines and no members";
    return false;
  }
  // Room for the bubbles beyond the lines' ends, and some air.
  const double radius = std::fabs(style.textScale) >= 0.001
                            ? kBubbleRadius * std::fabs(style.textScale)
                            : kBubbleRadius;
  const int margin = kEdge + kBubbleOffset + static_cast<int>(std::ceil(radius));
  const int width = style.width;
  const int available = width - 2 * margin;
  if (available < kMinPlanPixels) {
    *error = "the picture is too narrow for that text scale (at least " +
             std::to_string(2 * margin + kMinPlanPixels) + " pixels)";
    return false;
  }
  const double spanX = b.x1 - b.x0, spanY = b.y1 - b.y0;
  double scale = spanX > 1e-9 ? available / spanX : (spanY > 1e-9 ? available / spanY : 1.0);
  if (kTitleBand + 2 * margin + spanY * scale > kMaxPlanWidth)
    scale = (kMaxPlanWidth - kTitleBand - 2 * margin) / spanY;
  // A plan a hair wide is not magnified without limit: the view's origin is a whole plan unit,
  // and a unit must stay a reasonable number of pixels.
  scale = std::fmin(scale, kMaxPixelsPerUnit);
  const int planWidth = static_cast<int>(std::ceil(spanX * scale));
  const int planHeight = static_cast<int>(std::ceil(spanY * scale));
  const int height = kTitleBand + 2 * margin + planHeight;

  CSvgDC dc(width, height);
  CFont titleFont;
  SetFont(titleFont, -18, FW_BOLD, "DejaVu Sans");
  CFont* previousFont = dc.SelectObject(&titleFont);
  dc.SetTextColor(kTitleColour);
  dc.SetTextAlign(TA_LEFT | TA_BASELINE);
  dc.TextOut(kEdge, 30, style.title.c_str());

  // The plan: y up, its bounds inside the margins (narrow plans centred), the window being the
  // whole picture so the grid drawing keeps bubbles inside it.
  PlanMapping map{CPoint(static_cast<int>(std::floor(b.x0)), static_cast<int>(std::floor(b.y0))),
                  scale};
  const CPoint low = map(_POINT2D{b.x0, b.y0});
  dc.SetMapMode(MM_ANISOTROPIC);
  dc.SetWindowExt(1, 1);
  dc.SetViewportExt(1, -1);
  dc.SetViewportOrg(margin + (available - planWidth) / 2 - low.x, height - margin + low.y);
  CWnd window(CRect(0, 0, width, height));
  dc.SetWindow(&window);

  CFont labelFont;
  SetFont(labelFont, 16, FW_NORMAL, "DejaVu Sans");
  dc.SelectObject(&labelFont);
  CPen gridPen(PS_SOLID, 1, kGridColour);
  CPen* previousPen = dc.SelectObject(&gridPen);
  dc.SetTextColor(kGridColour);
  for (const CGridSys& s : systems) {
    CGridSys work(s);
    if (!style.bubbles)
      for (auto* family : {&work.m_aXGrids, &work.m_aYGrids})
        for (CGrid& g : *family) g.m_bBubbleAtStart = g.m_bBubbleAtEnd = 0;
    work.DrawGridLines(&dc, map.origin, map.scale, 1, style.textScale);
  }

  DrawLines(dc, map, members.walls, 6, kWallColour);
  DrawLines(dc, map, members.beams, 2, kBeamColour);
  DrawColumns(dc, map, members.columns);

  dc.SelectObject(previousPen);
  dc.SelectObject(previousFont);
  *svg = dc.GetSvg();
  return true;
}

std::string ModelDisplayName(const std::string& base) {
  const std::size_t cut = base.find_last_of("/\\");
  return cut == std::string::npos ? base : base.substr(cut + 1);
}

bool IsPictureName(const std::string& path) {
  return EndsWith(path, ".svg") || EndsWith(path, ".png");
}

int WritePicture(const std::string& path, const std::string& svg, bool force) {
  if (!IsPictureName(path)) {
    Fail(kExitUsage, path + ": a picture's name ends in .svg or .png");
    return kExitUsage;
  }
  if (RefuseDirectory(path, "a picture")) return kExitUsage;
  if (!CheckFolderWritable(path)) return ExitCode();
  CFileStatus status;
  if (!force && CFile::GetStatus(path.c_str(), status)) {
    Fail(kExitUsage, path + " already exists (use --force to replace it)");
    return kExitUsage;
  }
  std::vector<unsigned char> png;
  const void* data = svg.data();
  std::size_t size = svg.size();
  if (EndsWith(path, ".png")) {
    Raster raster;
    std::string error;
    if (!RenderSvg(svg, &raster, &error) || !EncodePng(raster, &png, &error)) {
      Fail(kExitFailed, "cannot make " + path + ": " + error);
      return kExitFailed;
    }
    data = png.data();
    size = png.size();
  }
  int err = 0;
  if (!qel::ReplaceFileAtomically(path, data, size, &err)) {
    Fail(kExitFailed, "cannot write " + path + ": " + std::strerror(err));
    return kExitFailed;
  }
  return kExitOk;
}

}  // namespace qeldb
