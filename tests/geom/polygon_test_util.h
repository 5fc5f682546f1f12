// Helpers shared by the polygon tests.
#pragma once

#include <cstdlib>
#include <string>

#include "test_support.h"

namespace polytest {

// Points the settings search at a file of our own (section "TESTING", key "PolygonIntMethod"), so
// that the intersection method is read from it and not from the machine's settings.
inline void UseSettings(const std::string& ini) {
  static qeltest::TempDir dir;  // removed when the program exits
  qeltest::WriteText(dir.File("quvol.ini"), ini);
  std::string dev = dir.path().string() + "/";
  setenv("DEVINI", dev.c_str(), 1);
}

}  // namespace polytest
