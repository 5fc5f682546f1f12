// `qeldb plan` and `qeldb grids --svg`: the documents parse, and the PNG shows the grid lines
// where the geometry puts them, found by looking at its pixels.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "geom/grid_file.h"
#include "picture.h"
#include "test_support.h"

namespace {

using qeltest::InkNear;
using qeltest::IsInk;
using qeltest::RunProcess;

qeltest::ProcessResult Qeldb(std::vector<std::string> args) {
  args.insert(args.begin(), QELDB_TOOL_PATH);
  return RunProcess(args);
}

// X grids A at 0, B at 100 and C at 300, C stopping at y = 150; Y grids 1 at 0 and 2 at 200.
// Every grid has bubbles at both ends.
void WriteModel(const std::string& base) {
  CGridSys s(1, "Main", GRID_SYS_ORTHOGONAL, 0, 0, 0, 0);
  CGrid a(1, "A", 0, 0, 0, 0, 0, 1, 1, 0), b(2, "B", 100, 0, 0, 0, 0, 1, 1, 0),
      c(3, "C", 300, 0, 150, 0, 1, 1, 1, 0);
  CGrid one(1, "1", 0, 0, 0, 0, 0, 1, 1, 0), two(2, "2", 200, 0, 0, 0, 0, 1, 1, 0);
  s.m_aXGrids.Add(a);
  s.m_aXGrids.Add(b);
  s.m_aXGrids.Add(c);
  s.m_aYGrids.Add(one);
  s.m_aYGrids.Add(two);
  CArray<CGridSys, CGridSys&> systems;
  systems.Add(s);
  ASSERT_TRUE(qel::WriteGridSysFile((base + ".grs").c_str(), systems));
}

int Count(const pugi::xml_document& doc, const char* xpath) {
  return static_cast<int>(doc.select_nodes(xpath).size());
}

TEST(PlanCommand, PngShowsTheGridWhereTheGeometryPutsIt) {
  qeltest::TempDir dir;
  const std::string model = dir.File("m");
  WriteModel(model);
  auto r = Qeldb({"plan", model, "-o", dir.File("m.png"), "--width", "800"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "wrote " + dir.File("m.png") + "\n");
  const qeldb::Raster pic = qeltest::ReadPng(dir.File("m.png"));
  ASSERT_EQ(pic.width, 800);

  // Half-way down the picture lies inside the plan, below C's end: the three X lines cross it,
  // spaced as 100 to 200.
  const std::vector<int> columns = qeltest::InkRunsInRow(pic, pic.height / 2);
  ASSERT_EQ(columns.size(), 3u);
  const int cA = columns[0], cB = columns[1], cC = columns[2];
  const double scale = (cC - cA) / 300.0;  // pixels per plan unit
  EXPECT_NEAR(cB - cA, 100 * scale, 2);
  EXPECT_GT(cA, 40);  // the plan keeps clear of the picture's edges, bubbles included
  EXPECT_LT(cC, pic.width - 40);

  // Between A and B the two Y lines run across, 200 apart; the lowest ink is line 1.
  const std::vector<int> rows = qeltest::InkRunsInColumn(pic, (cA + cB) / 2);
  ASSERT_GE(rows.size(), 2u);
  const int r2 = rows[rows.size() - 2], r1 = rows.back();
  EXPECT_NEAR(r1 - r2, 200 * scale, 2);
  auto row = [&](double y) { return static_cast<int>(std::lround(r1 - y * scale)); };

  // y points up: C rises from line 1 to y = 150 and is absent near line 2.
  EXPECT_TRUE(InkNear(pic, cC, row(20)));
  EXPECT_TRUE(InkNear(pic, cC, row(140)));
  EXPECT_FALSE(InkNear(pic, cC, row(185), 2));
  // Nothing inside a bay.
  EXPECT_FALSE(InkNear(pic, (cA + cB) / 2, row(100), 3));
  // A's bubbles: circles of radius 20 pixels centred 30 pixels beyond lines 1 and 2.
  for (int centre : {r1 + 30, r2 - 30}) {
    EXPECT_TRUE(InkNear(pic, cA - 20, centre)) << centre;
    EXPECT_TRUE(InkNear(pic, cA + 20, centre)) << centre;
    EXPECT_TRUE(InkNear(pic, cA, centre - 20)) << centre;
  }

  // Without bubbles the same places are blank, and the lines stay.
  r = Qeldb({"plan", model, "-o", dir.File("bare.png"), "--width", "800", "--no-bubbles"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const qeldb::Raster bare = qeltest::ReadPng(dir.File("bare.png"));
  EXPECT_EQ(qeltest::InkRunsInRow(bare, bare.height / 2).size(), 3u);
  const std::vector<int> bareRows = qeltest::InkRunsInColumn(bare, (cA + cB) / 2);
  ASSERT_GE(bareRows.size(), 1u);
  EXPECT_FALSE(InkNear(bare, cA - 20, bareRows.back() + 30, 2));
}

TEST(PlanCommand, SvgDocumentsAndTheRulesForWriting) {
  qeltest::TempDir dir;
  const std::string model = dir.File("m");
  WriteModel(model);

  // To stdout: one bubble per grid end (5 grids, both ends), its label in each, and the title.
  auto r = Qeldb({"plan", model + ".qel"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  pugi::xml_document doc;
  ASSERT_TRUE(doc.load_string(r.out.c_str())) << r.out;
  EXPECT_STREQ(doc.document_element().name(), "svg");
  EXPECT_STREQ(doc.document_element().attribute("width").value(), "1200");
  EXPECT_EQ(Count(doc, "//ellipse"), 10);
  EXPECT_EQ(Count(doc, "//text"), 11);
  EXPECT_STREQ(doc.select_node("//text").node().child_value(), "m: grid systems");

  // `grids --svg` draws the same grids into a file, and will not replace one without --force.
  const std::string svg = dir.File("grids.svg");
  r = Qeldb({"grids", model, "--svg", svg});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  ASSERT_TRUE(doc.load_file(svg.c_str()));
  EXPECT_EQ(Count(doc, "//ellipse"), 10);
  r = Qeldb({"grids", model, "--svg", svg});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("already exists"), std::string::npos) << r.err;
  r = Qeldb({"grids", model, "--svg", svg, "--force"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  // Text scale 2 doubles the bubbles: radius 40 less half the inside-frame pen.
  r = Qeldb({"plan", model, "--text-scale", "2"});
  ASSERT_TRUE(doc.load_string(r.out.c_str()));
  EXPECT_STREQ(doc.select_node("//ellipse").node().attribute("rx").value(), "39.5");

  // A name that is no picture, a missing model and a damaged grid file are refused; nothing is
  // left behind.
  r = Qeldb({"plan", model, "-o", dir.File("m.jpg")});
  EXPECT_EQ(r.exitCode, 2);
  r = Qeldb({"plan", dir.File("none"), "-o", dir.File("none.svg")});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("no grid-system file"), std::string::npos) << r.err;
  qeltest::WriteBytes(dir.File("bad.grs"), {1, 0, 0, 0, 7});
  r = Qeldb({"plan", dir.File("bad"), "-o", dir.File("bad.png")});
  EXPECT_EQ(r.exitCode, 2);
  // Geometry that cannot be drawn is refused rather than drawn off the picture.
  CGridSys far(1, "Far", GRID_SYS_ORTHOGONAL, 0, 0, 0, 0);
  CGrid x(1, "X", 1e300, 0, 0, 0, 0, 1, 1, 0), y(1, "Y", 0, 0, 0, 0, 0, 1, 1, 0);
  far.m_aXGrids.Add(x);
  far.m_aYGrids.Add(y);
  CArray<CGridSys, CGridSys&> farSystems;
  farSystems.Add(far);
  ASSERT_TRUE(qel::WriteGridSysFile(dir.File("far.grs").c_str(), farSystems));
  r = Qeldb({"plan", dir.File("far"), "-o", dir.File("far.svg")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("out of range"), std::string::npos) << r.err;
  int entries = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
    (void)e;
    ++entries;
  }
  EXPECT_EQ(entries, 4);  // m.grs, grids.svg, bad.grs, far.grs and nothing else
}

}  // namespace
