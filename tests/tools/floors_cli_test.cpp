// qeldb decks, combos, deflcrit and demo-floors, run as the built program on models in a
// scratch folder.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli_json.h"
#include "golden_bytes.h"
#include "test_support.h"

namespace {

using nlohmann::json;
using namespace qeltest;
using Bytes = std::vector<unsigned char>;

class FloorsCli : public ::testing::Test {
 protected:
  // A metric-keyed absolute limit and a ratio, so the test sees which keys a model reads.
  FloorsCli() {
    settings_.Write(
        "[MiscDefaults]\r\n"
        "DeflCritRatioNonCmpLiveL0=500\r\n"
        "DeflCritAbsNonCmpNet0=1.1\r\n"
        "DeflCritAbsNonCmpNet0Metric=25\r\n"
        "DeflCritName1=Roof\r\n");
  }
  SettingsFolders settings_;
  TempDir dir_;
  std::string base_ = dir_.File("bldg");
};

TEST_F(FloorsCli, DemoModelShowsItsDecksCombosAndCriteria) {
  auto r = RunQeldb({"new", base_});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  r = RunQeldb({"demo-floors", base_ + ".qel"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  r = RunQeldb({"demo-floors", base_});
  EXPECT_EQ(r.exitCode, 2) << "refuses to replace the tables without --force";
  EXPECT_NE(r.err.find("--force"), std::string::npos);
  EXPECT_EQ(RunQeldb({"demo-floors", base_, "--force"}).exitCode, 0);

  const json decks = RunQeldbJson({"decks", base_});
  ASSERT_EQ(decks.size(), 5u);
  EXPECT_EQ(decks[2], json::parse(R"({"index": 2, "stamp": "13.1.0", "kind": 0,
      "property_index": 1, "property_name": "2VLI20 light weight"})"));
  EXPECT_EQ(decks[3]["property_name"], "1.5B22");
  EXPECT_EQ(decks[4]["kind"], 2);
  EXPECT_EQ(decks[4]["property_name"], "Slab 8in");

  EXPECT_EQ(RunQeldbJson({"combos", base_, "cmb"})[2], json::parse(R"({"index": 2, "cases": 3,
      "case_indexes": [0, 1, 2], "valid": true})"));

  // The criteria file holds two; the master data file says two as well.
  json crit = RunQeldbJson({"deflcrit", base_});
  ASSERT_EQ(crit.size(), 2u);
  EXPECT_EQ(crit[1]["name"], "Floors");
  EXPECT_EQ(crit[1]["stamp"], "14.2.0");
  EXPECT_EQ(crit[1]["ratio"]["NonCmp"], json::parse(R"({"DeadL": 0, "LiveL": 480, "Net": 360})"));
  EXPECT_EQ(crit[0]["abs"]["CmpUnshoredTotal"], 1.5);

  std::vector<std::string> exts;
  for (const auto& row : RunQeldbJson({"tables", base_})) exts.push_back(row["ext"]);
  EXPECT_EQ(exts, (std::vector<std::string>{"dec", "dpt", "cdp", "ndp", "lca", "lod", "lpt", "sdc",
                                            "cdc"}));
}

TEST_F(FloorsCli, CriteriaFromTheSettingsFollowTheUnitSystem) {
  ASSERT_EQ(RunQeldb({"new", base_, "--units", "1"}).exitCode, 0);
  json crit = RunQeldbJson({"deflcrit", base_, "--count", "2"});
  ASSERT_EQ(crit.size(), 2u);
  EXPECT_EQ(crit[0]["name"], "Default");
  EXPECT_EQ(crit[0]["stamp"], nullptr);
  EXPECT_EQ(crit[0]["ratio"]["NonCmp"]["LiveL"], 500);
  EXPECT_EQ(crit[0]["ratio"]["CmpShored"]["LiveL"], 360);
  EXPECT_EQ(crit[0]["abs"]["NonCmp"]["Net"], 25) << "a metric model reads the Metric keys";
  EXPECT_EQ(crit[1]["name"], "Roof");

  EXPECT_EQ(RunQeldbJson({"deflcrit", base_, "--concrete", "--count", "1"})[0]["ratio"],
            json::parse(R"({"DeadL": 0, "LiveL": 360,
      "Net": 0, "LT": 240})"));
  EXPECT_EQ(RunQeldb({"deflcrit", dir_.File("nothing")}).exitCode, 2);
}

TEST_F(FloorsCli, CombosReportInvalidAndDamagedTables) {
  Bytes combos(3 * 796);
  PutI32(combos, 0, 2);
  PutI32(combos, 796, 26);  // too many load cases
  PutI32(combos, 2 * 796, 1);
  PutI32(combos, 2 * 796 + 104, -4);
  WriteBytes(base_ + ".lcb", combos);
  json rows = RunQeldbJson({"combos", base_, "lcb"}, 1);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0]["valid"], true);
  EXPECT_EQ(rows[1], json::parse(R"({"index": 1, "cases": 26, "case_indexes": [],
      "valid": false})"));
  EXPECT_EQ(rows[2]["case_indexes"], json::parse("[-4]"));
  EXPECT_EQ(rows[2]["valid"], false);

  combos.resize(796 + 10);  // one good record and the start of another
  WriteBytes(base_ + ".lcb", combos);
  auto r = RunQeldb({"combos", base_, "lcb"});
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_NE(r.err.find("qeldb: warning: "), std::string::npos) << r.err;

  EXPECT_EQ(RunQeldb({"combos", base_, "none"}).exitCode, 2);
  EXPECT_EQ(RunQeldb({"combos", base_, "../x"}).exitCode, 2);
}

TEST_F(FloorsCli, DecksOfAnOldModel) {
  // Two 36-byte decks of 12.0.0 pointing into a 14.0.0 composite table without display names. The
  // names are found by counting the property table at the current record size: 23 old records
  // make 16 current ones, so the table is read in part -- which converts it on disk.
  Bytes dec(72), dpt(23 * 256);
  for (int i = 0; i < 2; ++i) {
    PutI32(dec, i * 36 + 12, i);
    PutU32(dec, i * 36 + 32, 0x000C0000);
  }
  for (int i = 0; i < 23; ++i) {
    std::copy_n("Deck", 4, dpt.begin() + i * 256 + 68);
    PutU32(dpt, i * 256 + 108, 0x000E0000);
  }
  WriteBytes(base_ + ".dec", dec);
  WriteBytes(base_ + ".dpt", dpt);
  auto r = RunQeldb({"decks", base_});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out,
            "index  stamp    kind             property  name\n"
            "    0  13.1.0   0 composite             0  Deck\n"
            "    1  13.1.0   0 composite             1  Deck 2\n");
  EXPECT_EQ(ReadBytes(base_ + ".dpt").size(), 23u * 368);

  dec.resize(dec.size() + 5);
  WriteBytes(base_ + ".dec", dec);
  EXPECT_EQ(RunQeldbJson({"decks", base_}, 3).size(), 2u);
  EXPECT_EQ(RunQeldb({"decks", dir_.File("nothing")}).exitCode, 2);
}

}  // namespace
