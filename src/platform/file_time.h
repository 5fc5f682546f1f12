// File times the Win32 way: FILETIME values (100-nanosecond intervals since 1601-01-01), their
// conversions to and from calendar fields and between UTC and local time, and setting a file's
// or folder's times by path.
//
// Contract:
// - Local time is the process's time zone (TZ) at the instant converted, daylight saving
//   included; LocalFileTimeToFileTime takes the local reading as mktime does (an ambiguous or
//   skipped reading resolves as the C library resolves it).
// - SystemTimeToFileTime refuses fields out of range (month 1-12, day within its month, hour < 24,
//   minute and second < 60, milliseconds < 1000, year 1601-30827) and returns FALSE, leaving the
//   output alone; wDayOfWeek is ignored. FileTimeToSystemTime fills every field.
// - SetFileTimes sets access and modification times; Linux keeps no settable creation time, so
//   there is none to set. FALSE when the path does not exist or the times cannot be set.
#pragma once

#include <cstdint>
#include <string>

#include "platform/win_types.h"

BOOL FileTimeToLocalFileTime(const FILETIME* utc, FILETIME* local);
BOOL LocalFileTimeToFileTime(const FILETIME* local, FILETIME* utc);
BOOL FileTimeToSystemTime(const FILETIME* time, SYSTEMTIME* fields);
BOOL SystemTimeToFileTime(const SYSTEMTIME* fields, FILETIME* time);

namespace qel {

// FILETIME <-> nanoseconds since the Unix epoch (1970-01-01 UTC).
FILETIME FileTimeFromUnixNs(std::int64_t ns);
std::int64_t UnixNsFromFileTime(const FILETIME& time);

BOOL SetFileTimes(const std::string& path, const FILETIME& access, const FILETIME& write);

}  // namespace qel
