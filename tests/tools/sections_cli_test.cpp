// qeldb sections and qeldb import-tables, run as the built program with their own settings file.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli_json.h"
#include "test_support.h"

namespace {

using namespace qeltest;

const char* const kTable =
    "I\n"
    "W8X10 A 7.89 0.17 3.94 0.205\n"
    "W14X22 F 13.7 0.230 5.00 0.335 5.00 0.335 0.735 0.735 6.49 199 29.0 29.0 33.2\n"
    "L\n"
    "L4X4X1/2 A 4 4 0.5\n"
    "ROUNDBAR\n"
    "RB2 2\n";

// DEVINI names a folder whose settings file gives the tables folder and the section table name
// new models take.
class QeldbSections : public ::testing::Test {
 protected:
  QeldbSections() {
    settings_.Write("[MiscDefaults]\nMasterSteelTableName=shop\n[Directories]\ntables=" + tables_ +
                    "\n");
  }
  static constexpr auto Run = RunQeldb;
  SettingsFolders settings_;
  TempDir dir_;
  std::string tables_ = settings_.Folder("tables");
};

TEST_F(QeldbSections, PrintsTheTableBuiltFromTheModelsWorkingCopyOrOneNameInIt) {
  const std::string model = dir_.File("tower");
  WriteText(model + ".tab", kTable);
  auto r = Run({"sections", model + ".qel"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out.rfind("name ", 0), 0u) << r.out;
  for (const char* name : {"W8X10", "W14X22", "L4X4X1/2", "2L4X4X1/2", "RB2", "No Design"})
    EXPECT_NE(r.out.find(std::string("\n") + name + " "), std::string::npos) << name;

  const auto j = RunQeldbJson<nlohmann::ordered_json>({"sections", model});
  ASSERT_TRUE(j.is_array());
  ASSERT_EQ(j.size(), 6u);
  // Every field of the record, in record order, under its own name.
  std::vector<std::string> keys;
  for (auto it = j[1].begin(); it != j[1].end(); ++it) keys.push_back(it.key());
  ASSERT_EQ(keys.size(), 40u);
  EXPECT_EQ(keys.front(), "szName");
  EXPECT_EQ(keys[1], "cCode");
  EXPECT_EQ(keys[2], "fSxTop");
  EXPECT_EQ(keys[28], "cShape");
  EXPECT_EQ(keys.back(), "fT");
  EXPECT_EQ(j[1]["szName"], "W14X22");
  EXPECT_EQ(j[1]["cCode"], "F");
  EXPECT_EQ(j[1]["cShape"], "W");
  EXPECT_EQ(j[1]["fArea"], 6.49);
  EXPECT_EQ(j[1]["fIx"], 199);
  EXPECT_EQ(j[3]["szName"], "2L4X4X1/2");
  EXPECT_EQ(j[4]["cCode"], "") << "a round bar has no code";
  EXPECT_EQ(j[5]["szName"], "No Design");

  // A name is looked up in any case.
  const auto one = RunQeldbJson({"sections", model, "--name", "w14x22"});
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0]["szName"], "W14X22");

  r = Run({"sections", model, "--name", "2l4x4x1/2"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("szName     2L4X4X1/2\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("cShape     L\n"), std::string::npos) << r.out;

  r = Run({"sections", model, "--name", "W99"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("no section named W99"), std::string::npos) << r.err;
}

TEST_F(QeldbSections, FailuresAndTheTablesFolder) {
  auto r = Run({"sections", dir_.File("nothing")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("Fatal Error: Error Opening Master Table"), std::string::npos) << r.err;

  const std::string model = dir_.File("bad");
  WriteText(model + ".tab", "W8X10 A 7.89\n");
  r = Run({"sections", model});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("Incorrect File Format"), std::string::npos) << r.err;

  WriteText(tables_ + "/shop.tab", "FLATBAR\nFB6 A 6 0.5\n");
  EXPECT_EQ(RunQeldbJson({"sections", "--table", "shop"})[0]["fIx"], 9);

  EXPECT_EQ(Run({"sections"}).exitCode, 2);
  EXPECT_EQ(Run({"sections", model, "--table", "shop"}).exitCode, 2);
}

TEST_F(QeldbSections, ImportTablesCopiesTheSharedTablesBesideTheModel) {
  const std::string model = dir_.File("tower");
  ASSERT_EQ(Run({"new", model}).exitCode, 0);
  WriteText(tables_ + "/shop.tab", "W1 A 10 0.5 8 1\n");
  WriteText(tables_ + "/QELCoreBrace.cbd", "not really a brace table");

  auto r = Run({"import-tables", model});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(ReadText(model + ".tab"), "W1 A 10 0.5 8 1\n");
  EXPECT_EQ(ReadText(model + ".cbd"), "not really a brace table");
  EXPECT_NE(r.err.find("qeldb: note: no QELStarSeismic.ssd in the tables folder"),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.out.find("tab  copied"), std::string::npos) << r.out;

  WriteText(tables_ + "/shop.tab", "W2 A 10 0.5 8 1\n");
  r = Run({"import-tables", model + ".qel"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("tab  kept"), std::string::npos) << r.out;
  EXPECT_EQ(ReadText(model + ".tab"), "W1 A 10 0.5 8 1\n");
  r = Run({"import-tables", model, "--force"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(ReadText(model + ".tab"), "W2 A 10 0.5 8 1\n");
  EXPECT_EQ(Run({"sections", model, "--name", "W2"}).exitCode, 0);

  // No section table to copy, or no model at all.
  std::filesystem::remove(tables_ + "/shop.tab");
  r = Run({"import-tables", model, "--force"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("shop.tab"), std::string::npos) << r.err;
  EXPECT_EQ(Run({"import-tables", dir_.File("nothing")}).exitCode, 2);
}

}  // namespace
