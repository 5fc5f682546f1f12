// qeldb new and qeldb mdf, run as the built program in a scratch folder with its own settings.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli_json.h"
#include "golden_bytes.h"
#include "test_support.h"

namespace {

using qeltest::TempDir;

// The settings file that `new` finds through DEVINI: two values that differ from the built-in
// defaults, so the test sees they were read.
class QeldbMdf : public ::testing::Test {
 protected:
  QeldbMdf() { settings_.Write("[MiscDefaults]\nBeamFy=36\nColTableName = mycols \n"); }
  static constexpr auto Run = qeltest::RunQeldb;
  qeltest::SettingsFolders settings_;
  TempDir dir_;
};

TEST_F(QeldbMdf, NewModelWithTheUsersDefaultsAndNoAccidentalOverwrite) {
  const std::string base = dir_.File("tower");
  auto r = Run({"new", base, "--units", "0", "--job", "Tower A"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string first = qeltest::ReadText(base + ".qel");
  EXPECT_EQ(first.rfind("<?xml ", 0), 0u);

  r = Run({"new", base, "--units", "1"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("--force"), std::string::npos) << r.err;
  EXPECT_EQ(qeltest::ReadText(base + ".qel"), first);

  r = Run({"mdf", base});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("form      xml\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("version   17.3\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("units     0 (English)\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("job name  Tower A\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("  NumStories                 0\n"), std::string::npos) << r.out;

  r = Run({"mdf", base + ".qel", "--field", "DefaultBeamFy", "--field", "ColTableName", "--field",
           "JoistCriteria.DefLoad.UniLoad.Type", "--field", "EuroCodeFactor"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::vector<std::string> lines;
  for (std::size_t at = 0, nl; (nl = r.out.find('\n', at)) != std::string::npos; at = nl + 1)
    lines.push_back(r.out.substr(at, nl - at));
  ASSERT_EQ(lines.size(), 4u) << r.out;
  EXPECT_EQ(lines[0], "36.0");
  EXPECT_EQ(lines[1], "mycols");
  EXPECT_EQ(lines[2].find_first_not_of("-0123456789"), std::string::npos) << lines[2];
  EXPECT_EQ(lines[3].front(), '[');

  // --force replaces the model: a metric one now.
  r = Run({"new", base, "--units", "1", "--force"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  r = Run({"mdf", base, "--field", "Units"});
  EXPECT_EQ(r.out, "1\n");

  r = Run({"mdf", base, "--field", "NoSuchField"});
  EXPECT_EQ(r.exitCode, 2);
  r = Run({"mdf", base, "--field", "JoistCriteria.DefLoad.Nope"});
  EXPECT_EQ(r.exitCode, 2);
  r = Run({"mdf", dir_.File("absent")});
  EXPECT_EQ(r.exitCode, 2);
}

TEST_F(QeldbMdf, JsonHoldsEveryFieldByArchiveNameWithItsType) {
  const std::string base = dir_.File("json");
  ASSERT_EQ(Run({"new", base, "--job", "J"}).exitCode, 0);
  const auto j = qeltest::RunQeldbJson({"mdf", base});
  EXPECT_EQ(j["form"], "xml");
  EXPECT_EQ(j["version"], 17.3);
  const auto& f = j["fields"];
  EXPECT_EQ(f["JobName"], "J");
  EXPECT_EQ(f["Units"], 0);
  EXPECT_EQ(f["Version"], 17.3);
  EXPECT_EQ(f["DefaultBeamFy"], 36);
  EXPECT_EQ(f["dDiaphEccenX"], 5.0);
  ASSERT_TRUE(f["EuroCodeFactor"].is_array());
  EXPECT_EQ(f["EuroCodeFactor"].size(), 21u);
  ASSERT_TRUE(f["JoistCriteria"]["DefLoad"]["UniLoad"].is_object());
  EXPECT_TRUE(f["JoistCriteria"]["DefLoad"]["UniLoad"]["Type"].is_number_integer());
  EXPECT_TRUE(f["JoistCriteria"]["AllowableRatio"].is_number());
  EXPECT_TRUE(f["arHangerTrialGroups[2]"].is_object());
  EXPECT_TRUE(f["arHangerTrialGroups[2]"]["dForRent"].is_number());
  EXPECT_TRUE(f["cmbprmConcrete"]["bCheckBoxArray"].is_array());
  EXPECT_EQ(f["cmbprmConcrete"]["bCheckBoxArray"].size(), 10u);
  EXPECT_EQ(std::string(f["ModelID"]).size(), 36u);
  EXPECT_GT(f.size(), 500u);
}

TEST_F(QeldbMdf, SaveConvertsABinaryModelAndKeepsTheOldFile) {
  const std::string base = dir_.File("old");
  std::vector<unsigned char> image(6152, 0);
  qeltest::PutF32(image, 0, 9.0f);        // Version
  qeltest::PutI32(image, 4, 6);           // NumStories
  qeltest::PutI32(image, 260, 0);         // Units
  std::memcpy(&image[952], "Legacy", 7);  // JobName
  qeltest::WriteBytes(base + ".qel", image);

  auto r = Run({"mdf", base});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("form      binary\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("version   9\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("job name  Legacy\n"), std::string::npos) << r.out;

  r = Run({"mdf", base, "--save"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(qeltest::ReadBytes(base + ".qel.bak"), image);
  const auto j = qeltest::RunQeldbJson({"mdf", base});
  EXPECT_EQ(j["form"], "xml");
  EXPECT_EQ(j["version"], 17.3);
  EXPECT_EQ(j["fields"]["NumStories"], 6);
  EXPECT_EQ(j["fields"]["JobName"], "Legacy");
  EXPECT_EQ(j["fields"]["Version"], 9);

  // A file that is not a master data file is reported, not saved over.
  qeltest::WriteText(base + ".qel", "<?xml version=\"1.0\"?><QELArchive/>");
  r = Run({"mdf", base, "--save"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(qeltest::ReadText(base + ".qel"), "<?xml version=\"1.0\"?><QELArchive/>");
}

TEST_F(QeldbMdf, DamagedFilesWarnExitThreeAndAreNotSavedWithoutForce) {
  const std::string good = dir_.File("good"), base = dir_.File("bom");
  ASSERT_EQ(Run({"new", good}).exitCode, 0);
  const std::string bom = "\xEF\xBB\xBF" + qeltest::ReadText(good + ".qel");
  qeltest::WriteText(base + ".qel", bom);

  auto r = Run({"mdf", base});
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_EQ(r.err.rfind("qeldb: warning: " + base + ".qel: the file is XML text", 0), 0u) << r.err;
  EXPECT_NE(r.err.find("byte-order mark"), std::string::npos) << r.err;
  EXPECT_GE(qeltest::RunQeldbJson({"mdf", base}, 3).at("warnings").size(), 2u);
  r = Run({"--quiet", "mdf", base});
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_EQ(r.err, "");

  r = Run({"mdf", base, "--save"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("--force"), std::string::npos) << r.err;
  EXPECT_EQ(qeltest::ReadText(base + ".qel"), bom);
  EXPECT_FALSE(std::filesystem::exists(base + ".qel.bak"));
  r = Run({"mdf", base, "--save", "--force"});
  EXPECT_EQ(r.exitCode, 3) << r.err;
  EXPECT_EQ(qeltest::ReadText(base + ".qel.bak"), bom);
}

TEST_F(QeldbMdf, SaveRespectsReadOnlyFilesAndKeepsPermissionBits) {
  namespace fs = std::filesystem;
  const std::string base = dir_.File("ro"), path = base + ".qel";
  ASSERT_EQ(Run({"new", base}).exitCode, 0);
  const std::string before = qeltest::ReadText(path);
  fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  auto r = Run({"mdf", base, "--save"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("read-only"), std::string::npos) << r.err;
  EXPECT_EQ(qeltest::ReadText(path), before);
  r = Run({"mdf", base, "--save", "--force"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(fs::status(path).permissions(), fs::perms(0444));

  fs::permissions(path, fs::perms(0640));
  ASSERT_EQ(Run({"mdf", base, "--save"}).exitCode, 0);
  EXPECT_EQ(fs::status(path).permissions(), fs::perms(0640));
}

TEST_F(QeldbMdf, MissingSettingsIsOneNoteThatQuietHides) {
  const std::string base = dir_.File("plain");
  ASSERT_EQ(Run({"new", base}).exitCode, 0);
  TempDir empty;
  qeltest::ScopedEnv devini("DEVINI", (empty.path().string() + "/").c_str());
  qeltest::ScopedEnv common("QELDB_COMMON_APPDATA", empty.File("common").c_str());
  qeltest::ScopedEnv windows("QELDB_WINDOWS_DIR", empty.File("win").c_str());
  auto r = Run({"mdf", base, "--json"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.err, "qeldb: note: no settings file quvol.ini in " + empty.path().string() + ", " +
                       empty.File("common") + "/Quarnel/Engineering/Kestavo or " +
                       empty.File("win") + "; using built-in defaults\n");
  r = Run({"mdf", base, "--quiet"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.err, "");
}

TEST_F(QeldbMdf, SetChangesFieldsByArchiveNameOrWritesNothing) {
  const std::string base = dir_.File("set");
  ASSERT_EQ(Run({"new", base, "--job", "J"}).exitCode, 0);
  const std::string before = qeltest::ReadText(base + ".qel");
  auto r = Run({"mdf", base + ".qel", "--set", "NumStories=12", "--set",
                "JoistCriteria.DefLoad.UniLoad.Type=2", "--set", "JobName=Tower = B", "--set",
                "arHangerTrialGroups[1].bEnabled=1", "--set", "dDiaphEccenX=2.5", "--set",
                "cmbprmSoil.fValues=1,2,3,4,5,6,7,8,9,10"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("set 6 fields"), std::string::npos) << r.out;
  EXPECT_EQ(qeltest::ReadText(base + ".qel.bak"), before);
  const auto f = qeltest::RunQeldbJson({"mdf", base})["fields"];
  EXPECT_EQ(f["NumStories"], 12);
  EXPECT_EQ(f["JoistCriteria"]["DefLoad"]["UniLoad"]["Type"], 2);
  EXPECT_EQ(f["JobName"], "Tower = B");
  EXPECT_EQ(f["arHangerTrialGroups[1]"]["bEnabled"], 1);
  EXPECT_EQ(f["dDiaphEccenX"], 2.5);
  EXPECT_EQ(f["cmbprmSoil"]["fValues"][9], 10);
  EXPECT_EQ(f["DefaultBeamFy"], 36) << "other fields keep their values";

  // A value that does not fit (or no such field) is a usage error and nothing is written.
  const std::string saved = qeltest::ReadText(base + ".qel");
  for (const std::string& bad :
       std::vector<std::string>{"NumStories=twelve", "NumStories=4294967296", "CodeSelection=256",
                                "Version=1e40", "JobName=" + std::string(72, 'x'), "NoSuchField=1",
                                "NumStories", "JoistCriteria=1", "cmbprmSoil.fValues=1,2"}) {
    r = Run({"mdf", base, "--set", "NumStories=3", "--set", bad});
    EXPECT_EQ(r.exitCode, 2) << bad;
    EXPECT_FALSE(r.err.empty()) << bad;
    EXPECT_EQ(qeltest::ReadText(base + ".qel"), saved) << bad;
  }
  EXPECT_NE(Run({"mdf", base, "--set", "NumStories=1", "--json"}).exitCode, 0);
}

}  // namespace
