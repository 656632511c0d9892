// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CORE_BASE_DATE_TIME_H_
#define XSRATING_CORE_BASE_DATE_TIME_H_

// The date and time of a run: the system clock, and the short-date and
// long-time formats of a Simplified Chinese system's regional settings.

#include <cstdint>
#include <string>

namespace xsrating {

// A calendar date and wall-clock time, as shown to the user.
struct LocalDateTime {
  int year = 1970;
  int month = 1;  // 1..12
  int day = 1;    // 1..31
  int hour = 0;   // 0..23
  int minute = 0;
  int second = 0;
};

// Short date "yyyy/M/d", for example "2026/12/7".
std::string FormatShortDate(const LocalDateTime& when);
// Long time "H:mm:ss", for example "3:47:47".
std::string FormatLongTime(const LocalDateTime& when);

// The current local date and time of the system clock.
LocalDateTime CurrentLocalTime();
// The UTC date and time of `seconds` since 1970-01-01 00:00:00 UTC.
LocalDateTime UtcFromEpochSeconds(int64_t seconds);

}  // namespace xsrating

#endif  // XSRATING_CORE_BASE_DATE_TIME_H_
