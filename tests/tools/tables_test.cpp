// qeldb tables, run as the built program on models made in a scratch folder.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli_json.h"
#include "golden_bytes.h"
#include "platform/cfile.h"
#include "test_support.h"

namespace {

using namespace qeltest;

std::vector<unsigned char> Records(std::size_t count, std::size_t size) {
  return std::vector<unsigned char>(count * size, 0);
}

// A model with: two stories, two current beams, one 14.5.0 wall (old size 512, so 512 bytes are
// no whole number of current 584-byte records), a misaligned column file, an empty deck file
// and a master data file. Nothing else.
std::string MakeModel(const TempDir& dir) {
  const std::string base = dir.File("tower");
  WriteBytes(base + ".sty", Records(2, 336));
  auto beams = Records(2, 1312);
  PutU32(beams, 0, 0x00110100);
  PutU32(beams, 1312, 0x00110100);
  WriteBytes(base + ".b3d", beams);
  auto wall = Records(1, 512);
  PutU32(wall, 188, 0x000E0500);
  WriteBytes(base + ".w3d", wall);
  auto cols = Records(1, 1072);
  cols.resize(1072 + 10);
  PutU32(cols, 596, 0x000F0500);
  WriteBytes(base + ".c3d", cols);
  WriteBytes(base + ".dec", {});
  WriteText(base + ".qel", "<x/>");
  WriteText(dir.File("other.b3d"), "not part of the model");
  return base;
}

TEST(QeldbTables, ListsEveryPresentFileInCatalogueOrderAsTextAndJson) {
  TempDir dir;
  const std::string base = MakeModel(dir);
  auto r = RunQeldb({"tables", base});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string expected =
      "ext           bytes    records  stamp\n"
      "sty             672          2  -\n"
      "b3d            2624          2  17.1.0\n"
      "c3d            1082 misaligned  15.5.0\n"
      "w3d             512 misaligned  14.5.0\n"
      "dec               0          0  -\n";
  EXPECT_EQ(r.out, expected);
  EXPECT_EQ(r.err, "");

  // Backslashes in the model name reach the same files.
  std::string windowsStyle = base;
  for (auto& c : windowsStyle)
    if (c == '/') c = '\\';
  auto w = RunQeldb({"tables", windowsStyle});
  EXPECT_EQ(w.exitCode, 0);
  EXPECT_EQ(w.out, expected);

  // An empty versioned table has no record 0 and so no stamp.
  r = RunQeldb({"tables", "--json", base});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(nlohmann::json::parse(r.out), nlohmann::json::parse(R"([
      {"ext": "sty", "bytes": 672, "records": 2, "stamp": null},
      {"ext": "b3d", "bytes": 2624, "records": 2, "stamp": "17.1.0"},
      {"ext": "c3d", "bytes": 1082, "records": null, "stamp": "15.5.0"},
      {"ext": "w3d", "bytes": 512, "records": null, "stamp": "14.5.0"},
      {"ext": "dec", "bytes": 0, "records": 0, "stamp": null}])"));
  // Keys come in the documented order.
  EXPECT_EQ(r.out.find("\"ext\""), r.out.find('"'));
}

TEST(QeldbTables, FileLockedByAnotherProgramIsReportedNotFatal) {
  TempDir dir;
  const std::string base = MakeModel(dir);
  // This process writes the beam table; qeldb, another process, must not wait for it.
  CFile writer((base + ".b3d").c_str(), CFile::modeReadWrite | CFile::shareExclusive);
  const auto j = RunQeldbJson({"tables", base});
  ASSERT_EQ(j.size(), 5u);
  EXPECT_EQ(j[1],
            nlohmann::json::parse(R"({"ext":"b3d","bytes":2624,"records":null,"stamp":null})"));
  auto r = RunQeldb({"tables", base});
  EXPECT_NE(r.out.find("b3d            2624 unreadable  -\n"), std::string::npos) << r.out;
  writer.Close();
  r = RunQeldb({"tables", base});
  EXPECT_NE(r.out.find("b3d            2624          2  17.1.0\n"), std::string::npos) << r.out;
}

TEST(QeldbTables, MissingModelAndBadUsage) {
  TempDir dir;
  auto r = RunQeldb({"tables", dir.File("absent")});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("absent"), std::string::npos) << r.err;

  r = RunQeldb({"tables", dir.File("nofolder/absent"), "--json"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.out, "");

  // A master data file alone is a model without tables: an empty listing, not an error.
  WriteText(dir.File("bare.qel"), "<x/>");
  EXPECT_EQ(RunQeldbJson({"tables", dir.File("bare")}), nlohmann::json::array());

  r = RunQeldb({"tables"});
  EXPECT_NE(r.exitCode, 0) << "MODEL is required";
  r = RunQeldb({"--version"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.out.find("qeldb"), std::string::npos);
}

}  // namespace
