// `qeldb grids` on grid-system files built byte by byte here.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli_json.h"
#include "golden_bytes.h"
#include "test_support.h"

namespace {

using qeltest::Bytes;

// Runs qeldb with space-separated `args`; what it wrote to stderr follows its stdout in out.
qeltest::ProcessResult Qeldb(const std::string& args) {
  std::vector<std::string> argv;
  std::istringstream in(args);
  for (std::string a; in >> a;) argv.push_back(a);
  auto r = qeltest::RunQeldb(argv);
  r.out += r.err;
  return r;
}

void Grid(Bytes& b, const std::string& label, double loc, int hasMin, double mn, int hasMax,
          double mx) {
  b.I32(1).U8(static_cast<unsigned>(label.size())).Raw(label);
  b.F64(loc).F64(mn).F64(mx).I32(hasMin).I32(hasMax).I32(1).I32(1).I32(0);
}

void Header(Bytes& b, int id, const std::string& name, int type, double x, double y, double a,
            int nX, int nY) {
  b.I32(id).U8(static_cast<unsigned>(name.size())).Raw(name);
  b.I32(type).F64(x).F64(y).F64(a).I32(0).I32(-1).I32(-1).I32(nX).I32(nY);
}

TEST(GridsCommand, PrintsSystemsAsJsonAndText) {
  qeltest::TempDir dir;
  Bytes f;
  f.I32(2);
  // Orthogonal, rotated 90 degrees about (100, 50): X grid at 10 lies on y = 60.
  Header(f, 4, "Core", 0, 100, 50, 90, 2, 2);
  Grid(f, "A", 0, 0, 0, 0, 0);
  Grid(f, "B", 10, 0, 0, 0, 0);
  Grid(f, "1", 0, 0, 0, 0, 0);
  Grid(f, "2", 20, 0, 0, 0, 0);
  // Radial about (0, 0): rays at 0 and 90, one circle of radius 5 over 0..90.
  Header(f, 5, "Ring", 2, 0, 0, 0, 2, 1);
  Grid(f, "R1", 0, 0, 0, 0, 0);
  Grid(f, "R2", 90, 0, 0, 0, 0);
  Grid(f, "C", 5, 1, 0, 1, 90);
  qeltest::WriteBytes(dir.File("m.grs"), f.bytes());

  auto j = qeltest::RunQeldbJson({"grids", dir.File("m")});
  ASSERT_EQ(j.size(), 2u);
  EXPECT_EQ(j[0]["id"], 4);
  EXPECT_EQ(j[0]["name"], "Core");
  EXPECT_EQ(j[0]["type"], "orthogonal");
  EXPECT_EQ(j[0]["angle"], 90.0);
  EXPECT_EQ(j[0]["points"], 4);
  ASSERT_EQ(j[0]["lines"].size(), 4u);
  const auto& b = j[0]["lines"][1];
  EXPECT_EQ(b["label"], "B");
  EXPECT_EQ(b["family"], "x");
  auto near = [](const nlohmann::json& p, double x, double y) {
    EXPECT_NEAR(p[0].get<double>(), x, 1e-9) << p;
    EXPECT_NEAR(p[1].get<double>(), y, 1e-9) << p;
  };
  near(b["start"], 100, 60);
  near(b["end"], 80, 60);
  EXPECT_EQ(j[0]["lines"][3]["family"], "y");
  near(j[0]["min"], 80, 50);
  near(j[0]["max"], 100, 60);

  EXPECT_EQ(j[1]["type"], "radial");
  EXPECT_EQ(j[1]["points"], 2);
  ASSERT_EQ(j[1]["lines"].size(), 3u);
  const auto& arc = j[1]["lines"][2];
  EXPECT_EQ(arc["label"], "C");
  EXPECT_EQ(arc["family"], "y");
  EXPECT_EQ(arc["radius"], 5.0);
  EXPECT_EQ(arc["startAngle"], 0.0);
  EXPECT_EQ(arc["endAngle"], 90.0);
  EXPECT_EQ(arc["center"], nlohmann::json::array({0.0, 0.0}));
  EXPECT_FALSE(arc.contains("start"));

  auto t = Qeldb("grids " + dir.File("m"));
  ASSERT_EQ(t.exitCode, 0) << t.out;
  EXPECT_NE(t.out.find("grid system 4 \"Core\": orthogonal, origin (100, 50), angle 90"),
            std::string::npos)
      << t.out;
  EXPECT_NE(t.out.find("arc centre (0, 0) radius 5 from 0 to 90 degrees"), std::string::npos);
  EXPECT_NE(t.out.find("2 grid points"), std::string::npos);
}

TEST(GridsCommand, BadFilesFailCleanly) {
  qeltest::TempDir dir;
  auto missing = Qeldb("grids " + dir.File("none"));
  EXPECT_EQ(missing.exitCode, 2);
  EXPECT_NE(missing.out.find("no grid-system file"), std::string::npos) << missing.out;

  Bytes cut;
  cut.I32(1);
  Header(cut, 1, "X", 0, 0, 0, 0, 1, 0);
  qeltest::WriteBytes(dir.File("cut.grs"), cut.bytes());
  auto c = Qeldb("grids --json " + dir.File("cut"));
  EXPECT_EQ(c.exitCode, 2);
  EXPECT_NE(c.out.find("ended before"), std::string::npos) << c.out;
}

TEST(GridsCommand, TrailingBytesWarnAndDemoGridsKeepsWhatExists) {
  qeltest::TempDir dir;
  Bytes f;
  f.I32(1);
  Header(f, 1, "X", 0, 0, 0, 0, 0, 0);
  f.Raw("abc");
  qeltest::WriteBytes(dir.File("t.grs"), f.bytes());
  auto r = Qeldb("grids " + dir.File("t.grs"));
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_NE(r.out.find("qeldb: warning: " + dir.File("t.grs") +
                       ": 3 bytes after the last of the 1 grid systems"),
            std::string::npos)
      << r.out;

  ASSERT_EQ(Qeldb("demo-grids " + dir.File("d.qel")).exitCode, 0);
  auto again = Qeldb("demo-grids " + dir.File("d"));
  EXPECT_EQ(again.exitCode, 2);
  EXPECT_NE(again.out.find("--force"), std::string::npos) << again.out;
  EXPECT_EQ(Qeldb("demo-grids --force " + dir.File("d")).exitCode, 0);
  EXPECT_EQ(Qeldb("grids " + dir.File("d.grs")).exitCode, 0);
}

}  // namespace
