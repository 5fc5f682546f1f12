// Helpers of the table tests: checking record fields by name, and the fixture: settings folders
// whose tables folder is a scratch folder, a model folder beside it, captured message boxes, and
// the process-wide table state forgotten before and after each test.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <sstream>
#include <string>

#include "tables/brace_tables.h"
#include "tables/master_table.h"
#include "tables/sideplate_tables.h"
#include "test_support.h"

namespace qeltest {

// Every float field named in `fields` ("fArea=20 fIx=346.67 ...") agrees with its value to
// `relative` (by default what single precision carries).
inline void ExpectFields(const _MASTERTABLE& m, const std::string& fields, double relative = 2e-6) {
  std::istringstream in(fields);
  std::string item;
  while (in >> item) {
    const std::string name = item.substr(0, item.find('='));
    const double want = std::stod(item.substr(item.find('=') + 1));
    const auto* f =
        std::find_if(std::begin(qel::kMasterTableFields), std::end(qel::kMasterTableFields),
                     [&](const auto& d) { return name == d.name; });
    ASSERT_TRUE(f != std::end(qel::kMasterTableFields) && !f->isChar) << name;
    float v;
    std::memcpy(&v, reinterpret_cast<const char*>(&m) + f->offset, sizeof v);
    EXPECT_NEAR(v, want, std::fabs(want) * relative + 1e-7) << name;
  }
}

// Values of a published table, three significant digits.
inline void ExpectPublished(const _MASTERTABLE& m, const std::string& fields) {
  ExpectFields(m, fields, 0.005);
}

class TablesTest : public ::testing::Test {
 protected:
  TablesTest() : tables_(settings_.Folder("tables")), models_(settings_.Folder("m")) {
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

  SettingsFolders settings_;
  std::string tables_, models_;
  MessageCapture boxes_;
};

}  // namespace qeltest
