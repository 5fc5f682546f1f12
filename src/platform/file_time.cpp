#include "platform/file_time.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <ctime>

#include "platform/paths.h"

namespace {

// Seconds from 1601-01-01 to 1970-01-01.
constexpr std::int64_t kEpochDelta = 11644473600LL;
constexpr std::int64_t kTicksPerSecond = 10000000LL;

std::uint64_t Ticks(const FILETIME& t) {
  return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

FILETIME FromTicks(std::uint64_t ticks) {
  return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
}

// Splits ticks into whole seconds since 1970 and the 100-ns remainder (floor division, so times
// before 1970 stay ordered).
void SplitTicks(std::uint64_t ticks, std::time_t& seconds, std::int64_t& rest) {
  const auto t = static_cast<std::int64_t>(ticks);
  std::int64_t s = t / kTicksPerSecond;
  rest = t % kTicksPerSecond;
  seconds = static_cast<std::time_t>(s - kEpochDelta);
}

bool TicksFromSeconds(std::int64_t seconds, std::int64_t rest, std::uint64_t& out) {
  const std::int64_t s = seconds + kEpochDelta;
  if (s < 0 || s > INT64_MAX / kTicksPerSecond - 1) return false;
  out = static_cast<std::uint64_t>(s * kTicksPerSecond + rest);
  return true;
}

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

}  // namespace

BOOL FileTimeToLocalFileTime(const FILETIME* utc, FILETIME* local) {
  if (!utc || !local) return FALSE;
  const std::uint64_t ticks = Ticks(*utc);
  if (ticks > static_cast<std::uint64_t>(INT64_MAX)) return FALSE;
  std::time_t seconds;
  std::int64_t rest;
  SplitTicks(ticks, seconds, rest);
  std::tm tm{};
  if (!localtime_r(&seconds, &tm)) return FALSE;
  std::uint64_t out;
  if (!TicksFromSeconds(static_cast<std::int64_t>(seconds) + tm.tm_gmtoff, rest, out)) return FALSE;
  *local = FromTicks(out);
  return TRUE;
}

BOOL LocalFileTimeToFileTime(const FILETIME* local, FILETIME* utc) {
  if (!local || !utc) return FALSE;
  const std::uint64_t ticks = Ticks(*local);
  if (ticks > static_cast<std::uint64_t>(INT64_MAX)) return FALSE;
  std::time_t seconds;
  std::int64_t rest;
  SplitTicks(ticks, seconds, rest);
  // The local reading as calendar fields, then mktime finds the instant it names.
  std::tm tm{};
  if (!gmtime_r(&seconds, &tm)) return FALSE;
  tm.tm_isdst = -1;
  errno = 0;
  const std::time_t instant = std::mktime(&tm);
  if (instant == static_cast<std::time_t>(-1) && errno != 0) return FALSE;
  std::uint64_t out;
  if (!TicksFromSeconds(static_cast<std::int64_t>(instant), rest, out)) return FALSE;
  *utc = FromTicks(out);
  return TRUE;
}

BOOL FileTimeToSystemTime(const FILETIME* time, SYSTEMTIME* fields) {
  if (!time || !fields) return FALSE;
  const std::uint64_t ticks = Ticks(*time);
  if (ticks > static_cast<std::uint64_t>(INT64_MAX)) return FALSE;
  std::time_t seconds;
  std::int64_t rest;
  SplitTicks(ticks, seconds, rest);
  std::tm tm{};
  if (!gmtime_r(&seconds, &tm) || tm.tm_year + 1900 > 30827) return FALSE;
  fields->wYear = static_cast<WORD>(tm.tm_year + 1900);
  fields->wMonth = static_cast<WORD>(tm.tm_mon + 1);
  fields->wDayOfWeek = static_cast<WORD>(tm.tm_wday);
  fields->wDay = static_cast<WORD>(tm.tm_mday);
  fields->wHour = static_cast<WORD>(tm.tm_hour);
  fields->wMinute = static_cast<WORD>(tm.tm_min);
  fields->wSecond = static_cast<WORD>(tm.tm_sec);
  fields->wMilliseconds = static_cast<WORD>(rest / 10000);
  return TRUE;
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* f, FILETIME* time) {
  if (!f || !time) return FALSE;
  if (f->wYear < 1601 || f->wYear > 30827 || f->wMonth < 1 || f->wMonth > 12 || f->wDay < 1 ||
      f->wDay > DaysInMonth(f->wYear, f->wMonth) || f->wHour > 23 || f->wMinute > 59 ||
      f->wSecond > 59 || f->wMilliseconds > 999)
    return FALSE;
  std::tm tm{};
  tm.tm_year = f->wYear - 1900;
  tm.tm_mon = f->wMonth - 1;
  tm.tm_mday = f->wDay;
  tm.tm_hour = f->wHour;
  tm.tm_min = f->wMinute;
  tm.tm_sec = f->wSecond;
  std::uint64_t out;
  if (!TicksFromSeconds(static_cast<std::int64_t>(timegm(&tm)),
                        static_cast<std::int64_t>(f->wMilliseconds) * 10000, out))
    return FALSE;
  *time = FromTicks(out);
  return TRUE;
}

namespace qel {

FILETIME FileTimeFromUnixNs(std::int64_t ns) {
  const std::int64_t floorSeconds =
      ns >= 0 ? ns / 1000000000LL : -((-ns + 999999999LL) / 1000000000LL);
  const std::int64_t restNs = ns - floorSeconds * 1000000000LL;
  std::uint64_t out = 0;
  if (!TicksFromSeconds(floorSeconds, restNs / 100, out)) out = 0;
  return FromTicks(out);
}

std::int64_t UnixNsFromFileTime(const FILETIME& time) {
  const std::uint64_t ticks = Ticks(time);
  constexpr std::int64_t kLimit = INT64_MAX / 100;
  const std::int64_t sinceUnix =
      ticks > static_cast<std::uint64_t>(INT64_MAX)
          ? kLimit
          : static_cast<std::int64_t>(ticks) - kEpochDelta * kTicksPerSecond;
  return (sinceUnix > kLimit ? kLimit : sinceUnix) * 100;
}

BOOL SetFileTimes(const std::string& path, const FILETIME& access, const FILETIME& write) {
  const std::string p = NativePath(path);
  if (p.empty()) return FALSE;
  timespec times[2];
  for (int k = 0; k < 2; ++k) {
    const std::int64_t ns = UnixNsFromFileTime(k == 0 ? access : write);
    std::int64_t s = ns / 1000000000LL, rest = ns % 1000000000LL;
    if (rest < 0) {
      rest += 1000000000LL;
      --s;
    }
    times[k].tv_sec = static_cast<std::time_t>(s);
    times[k].tv_nsec = static_cast<long>(rest);
  }
  return ::utimensat(AT_FDCWD, p.c_str(), times, 0) == 0;
}

}  // namespace qel
