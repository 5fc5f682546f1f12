// Grid drawing checked call by call on a recording context. Every expected coordinate is worked
// out in the comments from the plan geometry: device = trunc((plan - view origin) * scale).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "geom/grid_sys.h"
#include "platform/recording_dc.h"

namespace {

CGrid G(const char* label, double loc, int bubbleStart, int bubbleEnd) {
  return CGrid(0, label, loc, 0, 0, 0, 0, bubbleStart, bubbleEnd, 0);
}

void AddX(CGridSys& s, CGrid g) { s.m_aXGrids.Add(g); }
void AddY(CGridSys& s, CGrid g) { s.m_aYGrids.Add(g); }

// The recorded calls of one operation as "op a b c ..." lines.
std::string Lines(const CRecordingDC& dc, const std::string& op) {
  std::string s;
  for (const auto& c : dc.Calls(op)) {
    s += c.op;
    for (long a : c.args) s += " " + std::to_string(a);
    if (!c.text.empty()) s += " \"" + c.text + "\"";
    s += "\n";
  }
  return s;
}

// A context whose caller drew with its own pen and font, as a plan view does.
struct Context {
  CRecordingDC dc;
  CPen pen{PS_SOLID, 2, RGB(10, 20, 30)};
  CFont font;
  Context() {
    LOGFONT f{};
    f.lfHeight = 12;
    f.lfWeight = FW_NORMAL;
    std::strcpy(f.lfFaceName, "Arial");
    font.CreateFontIndirect(&f);
    dc.SelectObject(&pen);
    dc.SelectObject(&font);
    dc.Clear();
  }
};

TEST(GridDraw, OrthogonalLinesBubblesFontAndRestoredState) {
  // Origin (100, 50). X: A at 0 (bubbles at both ends), B at 200 (none). Y: 1 at 0 (start only),
  // 2 at 100 (end only). Drawn at scale 0.5 with the view origin at (21, 11): the overshoot is
  // 10 / 0.5 = 20 plan units and the bubbles lie 30 / 0.5 = 60 beyond the grid's ends.
  CGridSys s(1, "Main", GRID_SYS_ORTHOGONAL, 100, 50, 0, 0);
  AddX(s, G("A", 0, 1, 1));
  AddX(s, G("B", 200, 0, 0));
  AddY(s, G("1", 0, 1, 0));
  AddY(s, G("2", 100, 0, 1));
  Context c;
  CPoint origin(21, 11);
  s.DrawGridLines(&c.dc, origin, 0.5, 1, 0);

  // Bubbles are drawn with a thin pen of the caller's colour, which is put back after each.
  const std::string thin = "SelectPen 6 1 " + std::to_string(RGB(10, 20, 30)) + "\n";
  const std::string back = "SelectPen 0 2 " + std::to_string(RGB(10, 20, 30)) + "\n";
  // A: plan x = 100, y from 50 to 150, so the line runs y 30..170 and the bubbles sit at y -10
  //    and 210. Device x = (100 - 21) * 0.5 = 39.5 -> 39; y: 9.5 -> 9, 79.5 -> 79, -10.5 -> -10
  //    (towards zero), 99.5 -> 99. Bubbles of radius 20, labels 5 below their centres.
  // B: plan x = 300 -> 139.5 -> 139, no bubbles and so no pen change.
  // 1: plan y = 50 -> 19.5 -> 19, x from 100 to 300, line x 80..320 -> 29..149; start bubble at
  //    x 40 -> 9.
  // 2: plan y = 150 -> 69.5 -> 69; end bubble at x 360 -> 169.
  const std::string expected =
      "SetTextAlign 30\nSelectBrush 1 0\nSelectFont 16 400 \"System\"\nMoveTo 39 9\n"
      "LineTo 39 79\n" +
      thin + "Ellipse 19 -30 59 10\nTextOut 39 -15 \"A\"\n" +
      "Ellipse 19 79 59 119\nTextOut 39 94 \"A\"\n" + back + "MoveTo 139 9\nLineTo 139 79\n" +
      "MoveTo 29 19\nLineTo 149 19\n" + thin + "Ellipse -11 -1 29 39\nTextOut 9 14 \"1\"\n" + back +
      "MoveTo 29 69\nLineTo 149 69\n" + thin + "Ellipse 149 49 189 89\nTextOut 169 64 \"2\"\n" +
      back + "SetTextAlign 0\nSelectBrush 0 " + std::to_string(RGB(255, 255, 255)) +
      "\nSelectFont 12 400 \"Arial\"\n";
  EXPECT_EQ(c.dc.ToString(), expected);
  EXPECT_EQ(c.dc.GetCurrentPen(), &c.pen);
  EXPECT_EQ(c.dc.GetCurrentFont(), &c.font);

  // Text scale 2: the caller's face at height 32, bubbles of radius 40 around the same centres.
  c.dc.Clear();
  s.DrawGridLines(&c.dc, origin, 0.5, 1, 2);
  EXPECT_EQ(Lines(c.dc, "SelectFont"),
            "SelectFont 32 400 \"Arial\"\nSelectFont 12 400 \"Arial\"\n");
  EXPECT_EQ(Lines(c.dc, "Ellipse"),
            "Ellipse -1 -50 79 30\nEllipse -1 59 79 139\nEllipse -31 -21 49 59\n"
            "Ellipse 129 29 209 109\n");
  // The labels stay 5 below the centres whatever the scale.
  EXPECT_EQ(
      Lines(c.dc, "TextOut"),
      "TextOut 39 -15 \"A\"\nTextOut 39 94 \"A\"\nTextOut 9 14 \"1\"\nTextOut 169 64 \"2\"\n");
}

TEST(GridDraw, RadialLinesArcsAndArcBubbles) {
  // Centre (50, 50), scale 1, view origin (0, 0). Rays R1 at 0 degrees (end bubble) and R2 at 90
  // (both); circles C1 of radius 100 (both bubbles) and C2 of radius 200 (none), each spanning
  // the rays, 0 to 90 degrees.
  CGridSys s(2, "Ring", GRID_SYS_RADIAL, 50, 50, 0, 0);
  AddX(s, G("R1", 0, 0, 1));
  AddX(s, G("R2", 90, 1, 1));
  AddY(s, G("C1", 100, 1, 1));
  AddY(s, G("C2", 200, 0, 0));
  Context c;
  CPoint origin(0, 0);
  s.DrawGridLines(&c.dc, origin, 1, 1, 0);

  // R1 runs from radius 100 - 10 to 200 + 10: (140, 50) to (260, 50); its end bubble at radius
  // 230: (280, 50). R2 the same upwards, bubbles at radius 70 and 230.
  // C1: its square (-50, -50) to (150, 150), from (150, 50) to (50, 150). Its bubbles lie
  // atan(24 / 100) = 13.50 degrees beyond its ends at sqrt(20^2 + 100^2) = 101.98 from the
  // centre: (50 + 99.16, 50 - 23.80) -> (149, 26) and (50 - 23.80, 50 + 99.16) -> (26, 149).
  EXPECT_EQ(Lines(c.dc, "MoveTo"), "MoveTo 140 50\nMoveTo 50 140\n");
  EXPECT_EQ(Lines(c.dc, "LineTo"), "LineTo 260 50\nLineTo 50 260\n");
  EXPECT_EQ(Lines(c.dc, "Arc"),
            "Arc -50 -50 150 150 150 50 50 150\nArc -150 -150 250 250 250 50 50 250\n");
  EXPECT_EQ(Lines(c.dc, "Ellipse"),
            "Ellipse 260 30 300 70\n"
            "Ellipse 30 100 70 140\nEllipse 30 260 70 300\n"
            "Ellipse 129 6 169 46\nEllipse 6 129 46 169\n");
  EXPECT_EQ(Lines(c.dc, "TextOut"),
            "TextOut 280 45 \"R1\"\nTextOut 50 115 \"R2\"\nTextOut 50 275 \"R2\"\n"
            "TextOut 149 21 \"C1\"\nTextOut 26 144 \"C1\"\n");

  // A ray at the centre with no circles and its own extents 0..50: the inner end and its bubble
  // stop at radius 0 instead of crossing the centre.
  CGridSys spoke(3, "Spoke", GRID_SYS_RADIAL, 50, 50, 0, 0);
  AddX(spoke, CGrid(0, "S", 0, 0, 50, 1, 1, 1, 0, 0));
  c.dc.Clear();
  spoke.DrawGridLines(&c.dc, origin, 1, 1, 0);
  EXPECT_EQ(Lines(c.dc, "MoveTo") + Lines(c.dc, "LineTo") + Lines(c.dc, "Ellipse"),
            "MoveTo 50 50\nLineTo 110 50\nEllipse 30 30 70 70\n");
}

TEST(GridDraw, BubblesOutsideTheWindowMoveToTheNearestMarginCrossing) {
  // A window of 400 x 300 device units drawn with y up: device y = 250 - logical y. Its client
  // area less 20 on every side, (20, 20)-(380, 280), is (20, -30)-(380, 230) in logical units.
  CWnd window(CRect(0, 0, 400, 300));
  Context c;
  c.dc.SetMapMode(MM_ANISOTROPIC);
  c.dc.SetWindowExt(1, 1);
  c.dc.SetViewportExt(1, -1);
  c.dc.SetViewportOrg(0, 250);
  c.dc.SetWindow(&window);
  c.dc.Clear();

  // X grid A at 100 with both bubbles: line y -10..310, bubbles at (100, -30), on the margin's
  // top edge and so inside, and (100, 330), outside. The line through both bubbles meets the
  // margin at (100, -30) and (100, 230); the one nearer (100, 330) is (100, 230).
  // X grid B at 500 lies right of the margin: its bubbles are outside with no crossing at all,
  // so they are not drawn.
  CGridSys s(1, "W", GRID_SYS_ORTHOGONAL, 0, 0, 0, 0);
  AddX(s, G("A", 100, 1, 1));
  AddX(s, G("B", 500, 1, 1));
  AddY(s, G("1", 0, 0, 0));
  AddY(s, G("2", 300, 0, 0));
  CPoint origin(0, 0);
  s.DrawGridLines(&c.dc, origin, 1, 1, 0);
  EXPECT_EQ(Lines(c.dc, "Ellipse"), "Ellipse 80 -50 120 -10\nEllipse 80 210 120 250\n");
  EXPECT_EQ(Lines(c.dc, "TextOut"), "TextOut 100 -35 \"A\"\nTextOut 100 225 \"A\"\n");

  // Without the switch, or on a context of no window, every wanted bubble is drawn where it is.
  const std::string unmoved =
      "Ellipse 80 -50 120 -10\nEllipse 80 310 120 350\n"
      "Ellipse 480 -50 520 -10\nEllipse 480 310 520 350\n";
  c.dc.Clear();
  s.DrawGridLines(&c.dc, origin, 1, 0, 0);
  EXPECT_EQ(Lines(c.dc, "Ellipse"), unmoved);
  c.dc.SetWindow(nullptr);
  c.dc.Clear();
  s.DrawGridLines(&c.dc, origin, 1, 1, 0);
  EXPECT_EQ(Lines(c.dc, "Ellipse"), unmoved);

  // A circle: centre (200, 20), radius 100, its own span 0..180 degrees, in a window of 400 x 150
  // with device y = 150 - logical y, so the margin is (20, 20)-(380, 130) in logical units. Its
  // bubbles, 13.50 degrees beyond the ends at 101.98 from the centre, are (299.16, -3.80) and
  // (100.84, -3.80): both below the margin. The arc meets the margin's bottom edge at (300, 20)
  // and (100, 20), and each bubble moves to the nearer one.
  window.SetClientRect(CRect(0, 0, 400, 150));
  c.dc.SetViewportOrg(0, 150);
  c.dc.SetWindow(&window);
  CGridSys ring(2, "Ring", GRID_SYS_RADIAL, 200, 20, 0, 0);
  AddY(ring, CGrid(0, "C", 100, 0, 180, 1, 1, 1, 1, 0));
  c.dc.Clear();
  ring.DrawGridLines(&c.dc, origin, 1, 1, 0);
  EXPECT_EQ(Lines(c.dc, "Arc"), "Arc 100 -80 300 120 300 20 100 20\n");
  EXPECT_EQ(Lines(c.dc, "Ellipse"), "Ellipse 280 0 320 40\nEllipse 80 0 120 40\n");
}

TEST(GridDraw, NothingToDrawLeavesTheContextAlone) {
  Context c;
  CPoint origin(0, 0);
  // Type 1 systems have no geometry; a zero scale has no drawing; neither touches the context.
  CGridSys plain(1, "P", GRID_SYS_ORTHOGONAL, 0, 0, 0, 0);
  AddX(plain, G("A", 0, 0, 0));
  AddY(plain, G("1", 0, 0, 0));
  AddY(plain, G("2", 10, 0, 0));
  CGridSys reserved(2, "R", GRID_SYS_RESERVED, 0, 0, 0, 0);
  AddX(reserved, G("A", 0, 1, 1));
  AddY(reserved, G("1", 0, 1, 1));
  reserved.DrawGridLines(&c.dc, origin, 1, 1, 0);
  EXPECT_TRUE(c.dc.Calls("LineTo").empty());
  EXPECT_TRUE(c.dc.Calls("Arc").empty());
  c.dc.Clear();
  plain.DrawGridLines(&c.dc, origin, 0, 1, 0);
  EXPECT_TRUE(c.dc.Calls().empty());
}

}  // namespace
