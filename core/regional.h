// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CORE_REGIONAL_H_
#define XSRATING_CORE_REGIONAL_H_

// The system's regional settings: date and time formats and the decimal
// separator. The values are those of a Simplified Chinese system; both the
// window and the command line go through this layer so they agree.

#include <optional>
#include <string>
#include <string_view>

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

// The decimal separator of the regional settings: '.'.
char DecimalSeparator();

// Short date "yyyy/M/d", for example "2026/12/7".
std::string FormatShortDate(const LocalDateTime& when);
// Long time "H:mm:ss", for example "3:47:47".
std::string FormatLongTime(const LocalDateTime& when);

// The current local date and time of the system clock.
LocalDateTime CurrentLocalTime();
// The UTC date and time of `seconds` since 1970-01-01 00:00:00 UTC.
LocalDateTime UtcFromEpochSeconds(long long seconds);

// Converts a text such as "0.03", "-2", ".5", "0.", "1e-3" or " 4E-4 " to a
// number. Accepted: surrounding spaces and tabs, an optional sign, digits with
// at most one `decimal_separator` (at least one digit in all), and an optional
// exponent (e or E, optional sign, digits). Returns nullopt for anything else:
// an empty text, a lone sign or separator, letters, "inf", "nan", or a value
// too large for a double. A value too small for a double becomes 0.
std::optional<double> TextToNumber(std::string_view text,
                                   char decimal_separator);
// As above with the regional decimal separator.
std::optional<double> TextToNumber(std::string_view text);

}  // namespace xsrating

#endif  // XSRATING_CORE_REGIONAL_H_
