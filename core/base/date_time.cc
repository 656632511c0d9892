// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/base/date_time.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace xsrating {

std::string FormatShortDate(const LocalDateTime& when) {
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%04d/%d/%d", when.year, when.month,
                when.day);
  return buffer;
}

std::string FormatLongTime(const LocalDateTime& when) {
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%d:%02d:%02d", when.hour, when.minute,
                when.second);
  return buffer;
}

// Windows: date_time_windows.cc.
#ifndef _WIN32
LocalDateTime CurrentLocalTime() {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  return LocalDateTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                       tm.tm_hour,        tm.tm_min,     tm.tm_sec};
}
#endif

LocalDateTime UtcFromEpochSeconds(int64_t seconds) {
  const std::chrono::sys_seconds instant{std::chrono::seconds{seconds}};
  const std::chrono::sys_days day =
      std::chrono::floor<std::chrono::days>(instant);
  const std::chrono::year_month_day date{day};
  const std::chrono::hh_mm_ss<std::chrono::seconds> time{instant - day};
  return LocalDateTime{static_cast<int>(date.year()),
                       static_cast<int>(static_cast<unsigned>(date.month())),
                       static_cast<int>(static_cast<unsigned>(date.day())),
                       static_cast<int>(time.hours().count()),
                       static_cast<int>(time.minutes().count()),
                       static_cast<int>(time.seconds().count())};
}

}  // namespace xsrating
