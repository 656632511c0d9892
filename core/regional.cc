// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/regional.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <system_error>

namespace xsrating {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// For a well-formed number text ("123.4e5"), the count of digits before the
// point (leading zeros aside) plus the exponent: above 0 means at least 1.
long long DecimalMagnitude(std::string_view normal) {
  const size_t e = normal.find('e');
  long long whole_digits = 0;
  bool started = false;
  for (char c : normal.substr(0, e)) {
    if (c == '.') break;
    if (c != '0') started = true;
    if (started) ++whole_digits;
  }
  long long exponent = 0;
  if (e != std::string_view::npos) {
    std::string_view digits = normal.substr(e + 1);
    const bool negative = !digits.empty() && digits[0] == '-';
    if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) {
      digits.remove_prefix(1);
    }
    // Capped: any exponent this large is out of range either way.
    for (char c : digits)
      exponent = std::min(exponent * 10 + (c - '0'), 1000000LL);
    if (negative) exponent = -exponent;
  }
  return whole_digits + exponent;
}

}  // namespace

char DecimalSeparator() { return '.'; }

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

// Windows: regional_windows.cc.
#ifndef _WIN32
LocalDateTime CurrentLocalTime() {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  return LocalDateTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                       tm.tm_hour,        tm.tm_min,     tm.tm_sec};
}
#endif

LocalDateTime UtcFromEpochSeconds(long long seconds) {
  using namespace std::chrono;
  const sys_seconds instant{std::chrono::seconds{seconds}};
  const sys_days day = floor<days>(instant);
  const year_month_day date{day};
  const hh_mm_ss<std::chrono::seconds> time{instant - day};
  return LocalDateTime{static_cast<int>(date.year()),
                       static_cast<int>(static_cast<unsigned>(date.month())),
                       static_cast<int>(static_cast<unsigned>(date.day())),
                       static_cast<int>(time.hours().count()),
                       static_cast<int>(time.minutes().count()),
                       static_cast<int>(time.seconds().count())};
}

std::optional<double> TextToNumber(std::string_view text,
                                   char decimal_separator) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  text = text.substr(begin, end - begin);

  // Check the shape by hand: from_chars alone would take "inf", "nan" and
  // hexadecimal forms, and refuses a leading '+'.
  std::string normal;
  normal.reserve(text.size());
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  int digits = 0;
  bool separator_seen = false;
  bool mantissa_nonzero = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (IsDigit(c)) {
      ++digits;
      mantissa_nonzero = mantissa_nonzero || c != '0';
      normal.push_back(c);
    } else if (c == decimal_separator && !separator_seen) {
      separator_seen = true;
      normal.push_back('.');
    } else {
      break;
    }
  }
  if (digits == 0) return std::nullopt;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    normal.push_back('e');
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
      normal.push_back(text[i]);
      ++i;
    }
    int exponent_digits = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
      normal.push_back(text[i]);
      ++exponent_digits;
    }
    if (exponent_digits == 0) return std::nullopt;
  }
  if (i != text.size()) return std::nullopt;

  double value = 0;
  const auto [ptr, ec] =
      std::from_chars(normal.data(), normal.data() + normal.size(), value);
  if (ptr != normal.data() + normal.size()) return std::nullopt;
  if (ec == std::errc::result_out_of_range) {
    // Too large is not a number for us; too small is as good as zero. The
    // text's own magnitude tells the two apart, as from_chars leaves `value`
    // unspecified.
    if (mantissa_nonzero && DecimalMagnitude(normal) > 0) return std::nullopt;
    value = 0;
  } else if (ec != std::errc()) {
    return std::nullopt;
  }
  if (!std::isfinite(value)) return std::nullopt;
  return negative ? -value : value;
}

std::optional<double> TextToNumber(std::string_view text) {
  return TextToNumber(text, DecimalSeparator());
}

}  // namespace xsrating
