// CTime: a point in time in whole seconds since the Unix epoch, broken down in local time.
#pragma once

#include <ctime>

#include "platform/cstring.h"

class CTime {
 public:
  CTime() = default;
  explicit CTime(std::time_t t) : t_(t) {}
  // Local-time fields; out-of-range fields are normalised as mktime does.
  CTime(int year, int month, int day, int hour, int minute, int second);

  static CTime GetCurrentTime() { return CTime(std::time(nullptr)); }
  std::time_t GetTime() const { return t_; }

  int GetYear() const { return Local().tm_year + 1900; }
  int GetMonth() const { return Local().tm_mon + 1; }
  int GetDay() const { return Local().tm_mday; }
  int GetHour() const { return Local().tm_hour; }
  int GetMinute() const { return Local().tm_min; }
  int GetSecond() const { return Local().tm_sec; }
  int GetDayOfWeek() const { return Local().tm_wday + 1; }  // 1 = Sunday

  // strftime format on the local time.
  CString Format(const char* fmt) const;

  friend bool operator==(const CTime& a, const CTime& b) { return a.t_ == b.t_; }
  friend bool operator!=(const CTime& a, const CTime& b) { return a.t_ != b.t_; }
  friend bool operator<(const CTime& a, const CTime& b) { return a.t_ < b.t_; }

 private:
  std::tm Local() const;
  std::time_t t_ = 0;
};
