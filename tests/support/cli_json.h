// The qeldb command tests' way of reading a command's --json output.
#pragma once

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "test_support.h"

namespace qeltest {

// Runs the built qeldb with `args` and --json, expects `exitCode` and returns the output parsed
// (nlohmann::ordered_json keeps the keys in the order printed).
template <class Json = nlohmann::json>
Json RunQeldbJson(std::vector<std::string> args, int exitCode = 0) {
  args.push_back("--json");
  const ProcessResult r = RunQeldb(std::move(args));
  EXPECT_EQ(r.exitCode, exitCode) << r.err;
  return Json::parse(r.out);
}

}  // namespace qeltest
