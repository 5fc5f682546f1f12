// qeldb demo-model, stories, members and upgrade, run as the built program on generated models.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli_json.h"
#include "golden_bytes.h"
#include "member_golden.h"
#include "test_support.h"

namespace {

using Json = nlohmann::ordered_json;
using namespace qeltest;

class QeldbModel : public ::testing::Test {
 protected:
  static constexpr auto Run = RunQeldb;
  static Json RunJson(std::vector<std::string> args, int exitCode = 0) {
    return RunQeldbJson<Json>(std::move(args), exitCode);
  }
  static std::vector<std::string> Keys(const Json& row) {
    std::vector<std::string> keys;
    for (auto it = row.begin(); it != row.end(); ++it) keys.push_back(it.key());
    return keys;
  }
  ScopedEnv settings_{"DEVINI", QELDB_SOURCE_DIR "/samples/settings/"};
  TempDir dir_;
};

TEST_F(QeldbModel, DemoModelListsItsStoriesAndMembers) {
  const std::string base = dir_.File("tower");
  auto r = Run({"demo-model", base, "--stories", "3", "--beams-per-story", "12"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::vector<std::string> files;
  for (const auto& e : std::filesystem::directory_iterator(dir_.path()))
    files.push_back(e.path().filename().string());
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files,
            (std::vector<std::string>{
                "tower.b3d", "tower.c3d", "tower.cdc", "tower.cdp", "tower.cmb", "tower.dec",
                "tower.dpt", "tower.flt", "tower.grs", "tower.lca", "tower.lod", "tower.lpt",
                "tower.ndp", "tower.qel", "tower.r3d", "tower.sdc", "tower.sty", "tower.w3d"}));
  // The building's floors and loads come with it: its decks name their properties.
  const Json decks = RunJson({"decks", base});
  ASSERT_FALSE(decks.empty());
  for (const Json& deck : decks) EXPECT_NE(deck["property_name"], "") << deck;
  r = Run({"demo-model", base});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("already exists"), std::string::npos) << r.err;
  EXPECT_EQ(
      Run({"demo-model", base, "--stories", "3", "--beams-per-story", "12", "--force"}).exitCode,
      0);

  const Json stories = RunJson({"stories", base});
  ASSERT_EQ(stories.size(), 3u);
  EXPECT_EQ(Keys(stories[0]),
            (std::vector<std::string>{"index", "floor_type", "elevation", "beams", "columns",
                                      "walls", "braces", "first_beam", "first_column", "first_wall",
                                      "first_brace"}));
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(stories[k]["index"], k);
    EXPECT_EQ(stories[k]["floor_type"], k);
    EXPECT_EQ(stories[k]["beams"], 12);
    EXPECT_EQ(stories[k]["first_beam"], 12 * k);
  }
  EXPECT_LT(stories[0]["elevation"].get<double>(), stories[1]["elevation"].get<double>());

  const Json beams = RunJson({"members", base + ".qel", "beams", "--story", "1"});
  ASSERT_EQ(beams.size(), 12u);
  EXPECT_EQ(Keys(beams[0]),
            (std::vector<std::string>{"index", "stamp", "i_end", "j_end", "support1", "support2",
                                      "support1_elevation", "support2_elevation", "i_end_elevation",
                                      "j_end_elevation", "i_distance", "j_distance", "span",
                                      "i_link", "j_link", "i_link_flag", "j_link_flag"}));
  const double e = stories[1]["elevation"];
  for (std::size_t i = 0; i < beams.size(); ++i) {
    EXPECT_EQ(beams[i]["index"], 12 + static_cast<int>(i));
    EXPECT_EQ(beams[i]["stamp"], "17.1.0");
    EXPECT_NEAR(beams[i]["i_end_elevation"].get<double>(),
                e + beams[i]["support1_elevation"].get<double>(), 1e-9);
  }
  const Json columns = RunJson({"members", base, "columns"});
  EXPECT_EQ(columns.size(), 3 * stories[0]["columns"].get<std::size_t>());
  EXPECT_EQ(Keys(columns[0]), (std::vector<std::string>{"index", "stamp", "point", "top_offset"}));

  // Walls: the lowest story's stand on the foundation; those above stand on the walls below.
  const Json ground = RunJson({"members", base, "walls", "--story", "0"});
  const Json upper = RunJson({"members", base, "walls", "--story", "2"});
  ASSERT_EQ(ground.size(), 2u);
  EXPECT_EQ(Keys(ground[0]),
            (std::vector<std::string>{"index", "stamp", "i_end", "j_end", "i_on_foundation",
                                      "j_on_foundation", "i_top_offset", "j_top_offset",
                                      "elastic_modulus", "wall_type"}));
  EXPECT_EQ(ground[1]["j_on_foundation"], 1);
  EXPECT_EQ(upper[1]["i_on_foundation"], 0);
  EXPECT_EQ(upper[1]["index"], 5);

  r = Run({"members", base, "beams", "--story", "3"});
  EXPECT_EQ(r.exitCode, 2);
  r = Run({"stories", dir_.File("nothing")});
  EXPECT_EQ(r.exitCode, 2);

  // A story whose range runs past its table: listed, with a warning, exit code 3.
  std::vector<unsigned char> sty = ReadBytes(base + ".sty");
  PutI32(sty, 2 * 336 + 164, 30);
  WriteBytes(base + ".sty", sty);
  r = Run({"stories", base});
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_NE(r.err.find("qeldb: warning: story 2: its beams (records 30 to 41)"), std::string::npos)
      << r.err;
  EXPECT_EQ(RunJson({"members", base, "beams", "--story", "2"}, 3), Json::array());
}

TEST_F(QeldbModel, UpgradeConvertsOldTablesAndKeepsTheirBytes) {
  const std::string base = dir_.File("old"), fresh = dir_.File("new");
  ASSERT_EQ(Run({"demo-model", base, "--beams-per-story", "12", "--beam-stamp", "14.5.0"}).exitCode,
            0);
  ASSERT_EQ(Run({"demo-model", fresh, "--beams-per-story", "12"}).exitCode, 0);
  // Walls of 11.0.0, which take the master data's defaults and two reads to become current;
  // they stand clear of the frame so that no beam rests on them.
  WriteBytes(base + ".w3d", Concat({
                                WallRecord({-500, 0}, {-400, 0}, 0, 0, 0x000B0000, 456),
                                WallRecord({-500, 0}, {-500, 90}, 0, 0, 0x000B0000, 456),
                            }));
  const auto oldBeams = ReadBytes(base + ".b3d"), oldWalls = ReadBytes(base + ".w3d");

  // Showing an old table converts it in memory only.
  auto r = Run({"members", base, "beams"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.err.find("holds records of 14.5.0"), std::string::npos) << r.err;
  EXPECT_EQ(ReadBytes(base + ".b3d"), oldBeams);

  const Json expected = Json::parse(R"([
    {"ext": "c3d", "from": "17.3.0", "to": "17.3.0", "records": 12},
    {"ext": "w3d", "from": "11.0.0", "to": "17.1.0", "records": 2},
    {"ext": "b3d", "from": "14.5.0", "to": "17.1.0", "records": 36},
    {"ext": "dec", "from": "13.1.0", "to": "13.1.0", "records": 5},
    {"ext": "dpt", "from": "15.5.0", "to": "15.5.0", "records": 2},
    {"ext": "cdp", "from": "15.5.0", "to": "15.5.0", "records": 1},
    {"ext": "ndp", "from": "15.5.0", "to": "15.5.0", "records": 1}])");
  EXPECT_EQ(RunJson({"upgrade", base, "--dry-run"}), expected);
  EXPECT_EQ(ReadBytes(base + ".b3d"), oldBeams);
  EXPECT_FALSE(std::filesystem::exists(base + ".b3d.bak"));

  EXPECT_EQ(RunJson({"upgrade", base}), expected);
  EXPECT_EQ(ReadBytes(base + ".b3d.bak"), oldBeams);
  EXPECT_EQ(ReadBytes(base + ".w3d.bak"), oldWalls);
  EXPECT_FALSE(std::filesystem::exists(base + ".c3d.bak"));
  EXPECT_EQ(ReadBytes(base + ".b3d").size(), 36u * 1312);
  const auto walls = ReadBytes(base + ".w3d");
  ASSERT_EQ(walls.size(), 2u * 584);
  EXPECT_EQ(GetU32(walls, 584 + 188), 0x00110100u);

  // The upgraded beams are those of the same building generated current (up to rounding).
  const Json got = RunJson({"members", base, "beams"}), want = RunJson({"members", fresh, "beams"});
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < got.size(); ++i)
    for (const char* key :
         {"support1_elevation", "support2_elevation", "i_end_elevation", "j_end_elevation", "span"})
      EXPECT_NEAR(got[i][key].get<double>(), want[i][key].get<double>(), 1e-4) << i << key;

  // Nothing left to do the second time.
  for (const Json& row : RunJson({"upgrade", base})) EXPECT_EQ(row["from"], row["to"]);
}

TEST_F(QeldbModel, UpgradeLeavesUnreadableTablesAlone) {
  const std::string base = dir_.File("m");
  ASSERT_EQ(Run({"demo-model", base, "--stories", "1", "--beams-per-story", "4"}).exitCode, 0);
  auto bad = WallRecord({0, 0}, {1, 0}, 0, 0, 0x000F0500, 512);
  bad.resize(700);  // no whole number of 512-byte records
  WriteBytes(base + ".w3d", bad);
  auto r = Run({"upgrade", base});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("m.w3d: 700 bytes are no whole number of 512-byte records"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(ReadBytes(base + ".w3d"), bad);
  EXPECT_FALSE(std::filesystem::exists(base + ".w3d.bak"));

  std::filesystem::remove(base + ".qel");
  EXPECT_EQ(Run({"upgrade", base}).exitCode, 2);
}

}  // namespace
