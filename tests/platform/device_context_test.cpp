// The device context: its mapping and state, and the SVG back end checked as a person would see
// it, by rendering the document and looking at pixels whose places follow from the mapping.
#include <gtest/gtest.h>

#include <cstring>
#include <pugixml.hpp>

#include "picture.h"
#include "platform/cdc.h"
#include "platform/svg_dc.h"

namespace {

using namespace qeltest;

// Logical units with y up: device = (2 * x + 10, 90 - 2 * y).
void MapYUp(CDC& dc) {
  dc.SetMapMode(MM_ANISOTROPIC);
  dc.SetWindowExt(1, 1);
  dc.SetViewportExt(2, -2);
  dc.SetViewportOrg(10, 90);
}

TEST(DeviceContext, MappingAndSelection) {
  CDC dc;
  CPoint p(5, 7);
  dc.LPtoDP(&p);
  EXPECT_EQ(p, CPoint(5, 7));  // MM_TEXT: one to one
  dc.SetWindowExt(3, 3);       // ignored in MM_TEXT
  dc.LPtoDP(&p);
  EXPECT_EQ(p, CPoint(5, 7));

  MapYUp(dc);
  CPoint q(30, 20);
  dc.LPtoDP(&q);
  EXPECT_EQ(q, CPoint(70, 50));
  dc.DPtoLP(&q);
  EXPECT_EQ(q, CPoint(30, 20));
  CRect r(10, 10, 110, 90);  // device
  dc.DPtoLP(&r);
  EXPECT_EQ(r, CRect(0, 40, 50, 0));  // y flipped: top and bottom swap until normalised
  r.NormalizeRect();
  EXPECT_EQ(r, CRect(0, 0, 50, 40));
  EXPECT_TRUE(r.PtInRect(CPoint(0, 0)));
  EXPECT_FALSE(r.PtInRect(CPoint(50, 10)));          // right and bottom edges are outside
  EXPECT_EQ(dc.SetViewportExt(0, 5), CSize(2, -2));  // a zero extent is refused
  dc.LPtoDP(&q);
  EXPECT_EQ(q, CPoint(70, 50));

  // Selecting returns what was there; stock objects cannot be deleted; an uncreated pen is not
  // selected.
  CPen* stockPen = dc.GetCurrentPen();
  CPen red(PS_SOLID, 1, RGB(255, 0, 0));
  EXPECT_EQ(dc.SelectObject(&red), stockPen);
  CPen empty;
  EXPECT_EQ(dc.SelectObject(&empty), nullptr);
  EXPECT_EQ(dc.GetCurrentPen(), &red);
  CGdiObject* brush = dc.SelectStockObject(NULL_BRUSH);
  EXPECT_EQ(brush, StockObject(WHITE_BRUSH));
  EXPECT_FALSE(dc.GetCurrentBrush()->DeleteObject());
  EXPECT_TRUE(dc.GetCurrentBrush()->IsHollow());
  EXPECT_EQ(dc.SelectObject(brush), StockObject(NULL_BRUSH));
  LOGFONT f{};
  ASSERT_EQ(dc.GetCurrentFont()->GetLogFont(&f), 1);
  EXPECT_STREQ(f.lfFaceName, "System");
  EXPECT_EQ(f.lfHeight, 16);
}

TEST(SvgDeviceContext, RendersWhereTheMappingSays) {
  CSvgDC dc(200, 100);
  MapYUp(dc);
  CPen black(PS_SOLID, 1, RGB(0, 0, 0));
  dc.SelectObject(&black);

  // Logical (0, 0)-(80, 0) is device y 90 from x 10 to 170; (20, 0)-(20, 40) is device x 50 from
  // y 90 up to y 10.
  dc.MoveTo(0, 0);
  dc.LineTo(80, 0);
  dc.MoveTo(20, 0);
  dc.LineTo(20, 40);
  // A circle of radius 10 about logical (50, 20), from its east point to its north point: on the
  // device, centre (110, 50), radius 20, the quarter towards the upper right.
  dc.SelectStockObject(NULL_BRUSH);
  dc.Arc(40, 10, 60, 30, 60, 20, 50, 30);
  // Text of character height 10 logical (20 pixels), baseline at logical (5, 10), device (20, 70).
  LOGFONT f{};
  f.lfHeight = -10;
  std::strcpy(f.lfFaceName, "DejaVu Sans");
  CFont font;
  font.CreateFontIndirect(&f);
  dc.SelectObject(&font);
  dc.SetTextAlign(TA_LEFT | TA_BASELINE);
  dc.TextOut(5, 10, "H");

  qeldb::Raster pic = RenderSvgForTest(dc.GetSvg());
  ASSERT_EQ(pic.width, 200);
  ASSERT_EQ(pic.height, 100);
  EXPECT_TRUE(InkNear(pic, 90, 90));
  EXPECT_TRUE(InkNear(pic, 160, 90));
  EXPECT_FALSE(InkNear(pic, 180, 90, 2));  // beyond the line's end
  EXPECT_TRUE(InkNear(pic, 50, 30));
  EXPECT_FALSE(InkNear(pic, 50, 5, 2));
  EXPECT_FALSE(InkNear(pic, 90, 60, 2));  // nothing drawn there

  // The arc: 45 degrees up and right of the centre it is drawn; down-right, left and up-left it
  // is not (a clockwise arc would pass through all three).
  EXPECT_TRUE(InkNear(pic, 124, 36));
  EXPECT_FALSE(InkNear(pic, 124, 64, 2));
  EXPECT_FALSE(InkNear(pic, 90, 50, 2));
  EXPECT_FALSE(InkNear(pic, 96, 36, 2));
  EXPECT_FALSE(IsInk(pic, 110, 50));  // hollow

  // The glyph stands upright on its baseline: ink above device y 70, none below it.
  bool above = false, below = false;
  for (int x = 18; x < 42; ++x) {
    for (int y = 54; y < 69; ++y) above = above || IsInk(pic, x, y);
    for (int y = 73; y < 86; ++y) below = below || IsInk(pic, x, y);
  }
  EXPECT_TRUE(above);
  EXPECT_FALSE(below);
}

TEST(SvgDeviceContext, PensBrushesAndWellFormedText) {
  CSvgDC dc(200, 60);
  // A dashed line along y 10: GDI's dashes are 18 on, 6 off.
  CPen dashed(PS_DASH, 1, RGB(0, 0, 0));
  dc.SelectObject(&dashed);
  dc.MoveTo(0, 10);
  dc.LineTo(200, 10);
  // A pen 6 units wide down x 60, and an ellipse filled red without an outline.
  CPen wide(PS_SOLID, 6, RGB(0, 0, 255));
  dc.SelectObject(&wide);
  dc.MoveTo(60, 20);
  dc.LineTo(60, 55);
  CBrush red(RGB(255, 0, 0));
  dc.SelectObject(&red);
  dc.SelectStockObject(NULL_PEN);
  dc.Ellipse(100, 20, 140, 56);
  // Text that is not plain XML: markup characters, a Latin-1 byte, a control character.
  dc.TextOut(150, 40, CString("A&<\xE9\x01"));

  const std::string svg = dc.GetSvg();
  qeldb::Raster pic = RenderSvgForTest(svg);
  auto onDash = [&](int x) { return IsInk(pic, x, 9) || IsInk(pic, x, 10); };
  EXPECT_TRUE(onDash(5));
  EXPECT_FALSE(onDash(21));
  EXPECT_TRUE(onDash(30));
  EXPECT_FALSE(onDash(45));
  EXPECT_TRUE(IsInk(pic, 58, 40));
  EXPECT_TRUE(IsInk(pic, 62, 40));
  EXPECT_FALSE(IsInk(pic, 65, 40));
  const Rgb centre = PixelOverWhite(pic, 120, 38);
  EXPECT_GT(centre.r, 240);
  EXPECT_LT(centre.g, 20);
  EXPECT_LT(centre.b, 20);

  pugi::xml_document doc;
  ASSERT_TRUE(doc.load_string(svg.c_str())) << svg;
  pugi::xml_node text = doc.select_node("//text").node();
  EXPECT_STREQ(text.child_value(), "A&<\xC3\xA9");
}

}  // namespace
