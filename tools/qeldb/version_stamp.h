// How qeldb shows a record's version stamp: major.minor.patch.
#pragma once

#include <string>

#include "dbio/dbio.h"

namespace qeldb {

inline std::string StampText(unsigned long stamp) {
  unsigned short major = 0;
  unsigned char minor = 0, patch = 0;
  qel::VersionAccess::Parse(stamp, major, minor, patch);
  return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(patch);
}

}  // namespace qeldb
