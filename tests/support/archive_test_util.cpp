#include "archive_test_util.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace qeltest {

void SetFileTime(const std::string& path, std::time_t utc) {
  timespec times[2] = {{utc, 0}, {utc, 0}};
  ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

std::time_t FileTime(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_mtim.tv_sec : -1;
}

std::time_t Utc(int year, int month, int day, int hour, int minute, int second) {
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  return timegm(&tm);
}

TimeZone::TimeZone(const char* tz) {
  tz_.emplace("TZ", tz);
  ::tzset();
}

TimeZone::~TimeZone() {
  tz_.reset();
  ::tzset();
}

std::string PythonZipListing(const std::string& archive) {
  static const char* const kScript = R"(
import sys, zipfile
try:
    z = zipfile.ZipFile(sys.argv[1])
    print(z.comment.decode('latin-1'))
    for i in z.infolist():
        d = z.read(i)
        print('%s|%04d-%02d-%02d %02d:%02d:%02d|%08x|%d|%d|%s' %
              ((i.filename,) + i.date_time + (i.CRC, i.file_size, i.compress_type, d.hex())))
except Exception as e:
    print('error: %s' % e)
)";
  const std::string python = FindProgram("python3");
  if (python.empty()) return "error: python3 is not installed";
  return RunProcess({python, "-c", kScript, archive}).out;
}

}  // namespace qeltest
