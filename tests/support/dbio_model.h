// The fixture of the dbio tests: a model "m" in a scratch folder and a database object over it
// without master data (construction reads nothing, so files may be written after it).
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "test_db.h"
#include "test_support.h"

namespace qeltest {

class ModelTest : public ::testing::Test {
 protected:
  TempDir dir_;
  const std::string base_ = dir_.File("m");
  TestDB db_{CString(base_), nullptr};
};

}  // namespace qeltest
