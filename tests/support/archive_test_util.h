// Helpers for tests of zip archives: file times, the time zone, and reading an archive with an
// independent reader (Python's zipfile).
#pragma once

#include <ctime>
#include <optional>
#include <string>

#include "test_support.h"

namespace qeltest {

// Sets the file's access and modification times to `utc` (seconds since 1970).
void SetFileTime(const std::string& path, std::time_t utc);
// Modification time in whole seconds since 1970, or -1.
std::time_t FileTime(const std::string& path);

// Seconds since 1970 of a UTC calendar reading.
std::time_t Utc(int year, int month, int day, int hour, int minute, int second);

// Switches the process (and the programs it starts) to a time zone for its lifetime: a POSIX TZ
// rule needs no zone database, e.g. "EST5EDT,M3.2.0,M11.1.0".
class TimeZone {
 public:
  explicit TimeZone(const char* tz);
  ~TimeZone();
  TimeZone(const TimeZone&) = delete;
  TimeZone& operator=(const TimeZone&) = delete;

 private:
  std::optional<ScopedEnv> tz_;
};

// Python's zipfile reading the archive: the comment on the first line, then one line per entry
// "name|YYYY-MM-DD hh:mm:ss|crc (8 hex)|size|method|data as hex", in directory order. Reading
// each entry checks its CRC; a failure ends the output with "error: ...".
std::string PythonZipListing(const std::string& archive);

}  // namespace qeltest
