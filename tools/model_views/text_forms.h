// How qeldb and the Python module show numbers that the files hold: floats by their shortest
// decimal, version stamps as major.minor.patch.
#pragma once

#include <charconv>
#include <cstdlib>
#include <string>

#include "dbio/dbio.h"

namespace qeldb {

// The shortest decimal that reads back as the same float, so 17.3f shows as 17.3, not as the
// double nearest to it.
inline std::string FloatText(float f) {
  char buf[32];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, f);
  return ec == std::errc() ? std::string(buf, end) : std::to_string(f);
}
// The double that FloatText's decimal stands for, for JSON output.
inline double FloatForHumans(float f) { return std::strtod(FloatText(f).c_str(), nullptr); }

// "17.1.0" for 0x00110100.
inline std::string StampText(unsigned long stamp) {
  unsigned short major = 0;
  unsigned char minor = 0, patch = 0;
  qel::VersionAccess::Parse(stamp, major, minor, patch);
  return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(patch);
}

}  // namespace qeldb
