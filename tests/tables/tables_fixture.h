// The fixture of the table tests: a settings sandbox whose tables folder is a scratch folder, a
// model folder beside it, captured message boxes, and the process-wide table state forgotten
// before and after each test.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "tables/brace_tables.h"
#include "tables/master_table.h"
#include "tables/sideplate_tables.h"
#include "test_support.h"

namespace qeltest {

class TablesTest : public ::testing::Test {
 protected:
  TablesTest()
      : settings_(""), tables_(settings_.Folder("tables")), models_(settings_.Folder("m")) {
    UseSettings("");
  }
  ~TablesTest() override { ForgetTables(); }

  static void ForgetTables() {
    qel::ResetMasterTable();
    qel::ClearBraceProducts(qel::BraceVendor::kCoreBrace);
    qel::ClearBraceProducts(qel::BraceVendor::kStarSeismic);
    qel::ResetSidePlateState();
  }
  // The settings file: `extra` lines, then the tables folder (a [Directories] section in `extra`
  // comes first and so replaces it).
  void UseSettings(const std::string& extra) {
    settings_.Write(extra + "\n[Directories]\ntables=" + tables_ + "\n");
    ForgetTables();
  }
  std::string TableFile(const std::string& name) const { return tables_ + "/" + name; }
  std::string ModelFile(const std::string& name) const { return models_ + "/" + name; }

  SettingsSandbox settings_;
  std::string tables_, models_;
  MessageCapture boxes_;
};

}  // namespace qeltest
