// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/base/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <system_error>

#include "core/base/encoding.h"
#include "core/base/regional.h"

namespace xsrating {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// For a well-formed number text ("123.4e5"), the count of digits before the
// point (leading zeros aside) plus the exponent: above 0 means at least 1.
int64_t DecimalMagnitude(std::string_view normal) {
  const size_t e = normal.find_first_of("eE");
  int64_t whole_digits = 0;
  bool started = false;
  for (char c : normal.substr(0, e)) {
    if (c == '.') break;
    if (c != '0') started = true;
    if (started) ++whole_digits;
  }
  int64_t exponent = 0;
  if (e != std::string_view::npos) {
    std::string_view digits = normal.substr(e + 1);
    const bool negative = !digits.empty() && digits[0] == '-';
    if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) {
      digits.remove_prefix(1);
    }
    // Capped: any exponent this large is out of range either way.
    for (char c : digits)
      exponent = std::min(exponent * 10 + (c - '0'), int64_t{1000000});
    if (negative) exponent = -exponent;
  }
  return whole_digits + exponent;
}

// A text of a file, UTF-8 or GBK, as UTF-8.
std::string AsUtf8(std::string_view text) {
  Utf8Check check;
  check.Add(text);
  return check.valid() ? std::string(text) : GbkToUtf8(text);
}

std::string FullWidthEnding(const std::string& half_width) {
  return "是全角字符，请用半角：" + half_width;
}

}  // namespace

std::optional<double> TextToNumber(std::string_view text,
                                   char decimal_separator) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  text = text.substr(begin, end - begin);

  // Check the shape by hand: from_chars alone would take "inf", "nan" and
  // hexadecimal forms, and refuses a leading '+'.
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  const size_t magnitude_begin = i;
  int digits = 0;
  bool separator_seen = false;
  bool mantissa_nonzero = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (IsDigit(c)) {
      ++digits;
      mantissa_nonzero = mantissa_nonzero || c != '0';
    } else if (c == decimal_separator && !separator_seen) {
      separator_seen = true;
    } else {
      break;
    }
  }
  if (digits == 0) return std::nullopt;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    int exponent_digits = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) ++exponent_digits;
    if (exponent_digits == 0) return std::nullopt;
  }
  if (i != text.size()) return std::nullopt;

  // The digits, with a '.' for the separator, unsigned: from_chars reads
  // them in place unless the separator is another character.
  std::string_view normal = text.substr(magnitude_begin);
  std::string replaced;
  if (separator_seen && decimal_separator != '.') {
    replaced.assign(normal);
    std::replace(replaced.begin(), replaced.end(), decimal_separator, '.');
    normal = replaced;
  }
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

std::string FormatNumber(double value) {
  if (value == 0) return " 0 ";  // Negative zero too.
  char digits[64];
  // Locale-independent, unlike printf: the window's toolkit may have set a
  // locale whose decimal point is a comma. General form with 15 significant
  // digits: plain between 1E-04 and 1E+15, exponent form outside, trailing
  // zeros dropped.
  const auto result =
      std::to_chars(digits, digits + sizeof digits, std::fabs(value),
                    std::chars_format::general, 15);
  std::string text(digits, result.ptr);
  if (text.size() > 1 && text[0] == '0' && text[1] == '.') text.erase(0, 1);
  for (char& c : text) {
    if (c == 'e') c = 'E';
    if (c == '.') c = DecimalSeparator();
  }
  return (value < 0 ? "-" : " ") + text + " ";
}

std::string FormatNumberForMessage(double value) {
  std::string text = FormatNumber(value);
  if (!text.empty() && text.front() == ' ') text.erase(0, 1);
  if (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

std::string DecimalForm(double value) {
  const double magnitude = std::fabs(value);
  if (!std::isfinite(value) || magnitude >= 1e15 ||
      (magnitude < 1e-15 && value != 0)) {
    return FormatNumberForMessage(value);
  }
  if (value == 0) return "0";
  // Digits after the point for 15 significant digits.
  const int exponent = static_cast<int>(std::floor(std::log10(magnitude)));
  char text[64];
  const std::to_chars_result written =
      std::to_chars(text, text + sizeof text, value, std::chars_format::fixed,
                    std::max(0, 14 - exponent));
  if (written.ec != std::errc()) return FormatNumberForMessage(value);
  std::string decimal(text, written.ptr);
  if (const size_t point = decimal.find('.'); point != std::string::npos) {
    decimal.erase(decimal.find_last_not_of('0') + 1);
    if (decimal.back() == '.') {
      decimal.pop_back();
    } else {
      decimal[point] = DecimalSeparator();
    }
  }
  return decimal;
}

std::optional<std::string> DecimalSuggestion(std::string_view text) {
  if (TextToNumber(text)) return std::nullopt;
  std::string typed(text);
  // Spreadsheets of many countries write a decimal comma.
  const char separator = DecimalSeparator();
  std::replace(typed.begin(), typed.end(), separator == '.' ? ',' : '.',
               separator);
  double divisor = 1;
  struct Unit {
    std::string_view sign;
    double divisor;
  };
  for (const Unit& unit :
       {Unit{"‰", 1000}, Unit{"‱", 10000}, Unit{"%", 100}, Unit{"％", 100}}) {
    const size_t end = typed.find_last_not_of(" \t");
    if (end != std::string::npos &&
        std::string_view(typed).substr(0, end + 1).ends_with(unit.sign)) {
      typed.resize(end + 1 - unit.sign.size());
      divisor = unit.divisor;
      break;
    }
  }
  std::optional<double> value;
  if (const size_t slash = typed.find('/'); slash != std::string::npos) {
    const std::optional<double> numerator =
        TextToNumber(std::string_view(typed).substr(0, slash));
    const std::optional<double> denominator =
        TextToNumber(std::string_view(typed).substr(slash + 1));
    if (numerator && denominator && *denominator != 0) {
      value = *numerator / *denominator;
    }
  } else if (divisor != 1 || typed != text) {
    value = TextToNumber(typed);
  }
  if (!value || !std::isfinite(*value / divisor)) return std::nullopt;
  return DecimalForm(*value / divisor);
}

namespace {

// What to type for a text with a HalfWidthForm, as FullWidthHint gives it.
std::optional<std::string> HalfWidthTyping(std::string_view text,
                                           HalfWidthUse use) {
  std::optional<std::string> half = HalfWidthForm(text);
  if (half && use == HalfWidthUse::kNumber && !TextToNumber(*half)) {
    if (std::optional<std::string> decimal = DecimalSuggestion(*half)) {
      half = std::move(decimal);
    }
  }
  return half;
}

}  // namespace

bool HoldsDigit(std::string_view text) {
  if (text.find_first_of("0123456789") != std::string_view::npos) return true;
  // "０" to "９" are U+FF10 to U+FF19, EF BC 90 to EF BC 99 in UTF-8.
  const std::string utf8 = AsUtf8(text);
  for (size_t i = utf8.find("\xEF\xBC"); i != std::string::npos;
       i = utf8.find("\xEF\xBC", i + 1)) {
    const unsigned char last =
        i + 2 < utf8.size() ? static_cast<unsigned char>(utf8[i + 2]) : 0;
    if (last >= 0x90 && last <= 0x99) return true;
  }
  return false;
}

std::optional<std::string> HalfWidthForm(std::string_view text) {
  // No number is longer; a longer text is quoted by no hint.
  constexpr size_t kLongestNumberText = 64;
  if (text.size() > kLongestNumberText) return std::nullopt;
  const std::string utf8 = AsUtf8(text);
  std::string half;
  bool any_full_width = false;
  for (size_t i = 0; i < utf8.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x20 || c == 0x7F) return std::nullopt;  // Never quoted raw.
    if (c < 0x80) {
      half.push_back(static_cast<char>(c));
      continue;
    }
    // U+FF0C to U+FF19, "，－．／０…９", are EF BC 8C to EF BC 99, in the
    // order of ",-./0…9".
    const unsigned char last =
        i + 2 < utf8.size() ? static_cast<unsigned char>(utf8[i + 2]) : 0;
    if (c != 0xEF || utf8[i + 1] != '\xBC' || last < 0x8C || last > 0x99) {
      return std::nullopt;
    }
    half.push_back(static_cast<char>(',' + (last - 0x8C)));
    any_full_width = true;
    i += 2;
  }
  if (!any_full_width) return std::nullopt;
  return half;
}

std::string FullWidthHint(std::string_view text, HalfWidthUse use) {
  const std::optional<std::string> half = HalfWidthTyping(text, use);
  if (!half) return "";
  return "“" + AsUtf8(text) + "”" + FullWidthEnding(*half);
}

std::string NotANumberEnding(std::string_view text) {
  if (const std::optional<std::string> half =
          HalfWidthTyping(text, HalfWidthUse::kNumber)) {
    return FullWidthEnding(*half) + "。";
  }
  if (const std::optional<std::string> decimal = DecimalSuggestion(text)) {
    return "不是数字，请写成小数 " + *decimal + "。";
  }
  return "不是数字。";
}

}  // namespace xsrating
