// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/base/regional.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

#include "core/base/date_time.h"
#include "core/base/number_text.h"

namespace xsrating {
namespace {

struct NumberCase {
  const char* text;
  std::optional<double> value;
  friend void PrintTo(const NumberCase& c, std::ostream* os) { *os << c.text; }
};

class TextToNumberTest : public testing::TestWithParam<NumberCase> {};

TEST_P(TextToNumberTest, ConvertsOrRefuses) {
  const NumberCase& c = GetParam();
  const std::optional<double> got = TextToNumber(c.text);
  ASSERT_EQ(got.has_value(), c.value.has_value()) << "text: [" << c.text << "]";
  if (c.value) {
    EXPECT_EQ(*got, *c.value) << "text: [" << c.text << "]";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, TextToNumberTest,
    testing::Values(
        NumberCase{"0.03", 0.03}, NumberCase{"-2", -2.0}, NumberCase{".5", 0.5},
        NumberCase{"0.", 0.0}, NumberCase{"0", 0.0}, NumberCase{"1e-3", 1e-3},
        NumberCase{"4E-4", 4e-4}, NumberCase{"+7", 7.0},
        NumberCase{"  0.025\t", 0.025}, NumberCase{"1.5e+2", 150.0},
        NumberCase{"00012.50", 12.5}, NumberCase{"1E308", 1e308},
        NumberCase{"1e-400", 0.0},  // Too small is as good as zero.
        NumberCase{"0.0000000000000000000000000001e-300", 0.0},
        NumberCase{"100.69", 100.69},
        // Not numbers.
        NumberCase{"", std::nullopt}, NumberCase{"   ", std::nullopt},
        NumberCase{"-", std::nullopt}, NumberCase{"+", std::nullopt},
        NumberCase{".", std::nullopt}, NumberCase{"-.", std::nullopt},
        NumberCase{"abc", std::nullopt}, NumberCase{"1a", std::nullopt},
        NumberCase{"inf", std::nullopt}, NumberCase{"-inf", std::nullopt},
        NumberCase{"nan", std::nullopt}, NumberCase{"infinity", std::nullopt},
        NumberCase{"1e", std::nullopt}, NumberCase{"1e+", std::nullopt},
        NumberCase{"e5", std::nullopt}, NumberCase{"1.2.3", std::nullopt},
        NumberCase{"0x10", std::nullopt}, NumberCase{"1,5", std::nullopt},
        NumberCase{"1 2", std::nullopt}, NumberCase{"--1", std::nullopt},
        NumberCase{"1e309", std::nullopt}, NumberCase{"-1e400", std::nullopt},
        NumberCase{"１２", std::nullopt}));  // Full-width digits.

TEST(TextToNumberTest, KeepsTheSignOfNegativeZero) {
  const std::optional<double> value = TextToNumber("-0");
  ASSERT_TRUE(value);
  EXPECT_TRUE(std::signbit(*value));
}

TEST(TextToNumberTest, ThousandsOfDigits) {
  EXPECT_FALSE(TextToNumber(std::string(5000, '9')));  // Beyond a double.
  const std::optional<double> tiny =
      TextToNumber("0." + std::string(5000, '0') + "1");
  ASSERT_TRUE(tiny);
  EXPECT_EQ(*tiny, 0.0);
  const std::optional<double> long_mantissa =
      TextToNumber("1." + std::string(5000, '0'));
  ASSERT_TRUE(long_mantissa);
  EXPECT_EQ(*long_mantissa, 1.0);
}

TEST(TextToNumberTest, UsesTheGivenDecimalSeparator) {
  EXPECT_EQ(TextToNumber("0,5", ','), 0.5);
  EXPECT_FALSE(TextToNumber("0.5", ','));
}

// Numbers typed another way, and the decimal form a message suggests.
TEST(DecimalSuggestionTest, GivesTheDecimalFormOfWhatWasMeant) {
  struct Case {
    const char* text;
    std::optional<std::string> decimal;
  };
  const Case cases[] = {{"1/2000", "0.0005"},
                        {"0.5‰", "0.0005"},
                        {" 5‱ ", "0.0005"},
                        {"0.05%", "0.0005"},
                        {"0,0005", "0.0005"},
                        {"0,03", "0.03"},
                        {"1/3000", "0.000333333333333333"},
                        {"2,5‰", "0.0025"},
                        {"1/20000", "0.00005"},
                        {"3/1", "3"},
                        // Numbers already, or nothing that reads as one.
                        {"0.0005", std::nullopt},
                        {"abc", std::nullopt},
                        {"1/0", std::nullopt},
                        {"1/", std::nullopt},
                        {"‰", std::nullopt},
                        {"1,2,3", std::nullopt},
                        {"", std::nullopt},
                        {"1e400‰", std::nullopt}};
  for (const Case& c : cases) {
    EXPECT_EQ(DecimalSuggestion(c.text), c.decimal) << c.text;
  }
  EXPECT_EQ(NotANumberEnding("1/2000"), "不是数字，请写成小数 0.0005。");
  EXPECT_EQ(NotANumberEnding("x"), "不是数字。");
}

// What a Chinese input method left in full width types, in UTF-8 or GBK.
TEST(HalfWidthFormTest, GivesTheHalfWidthTextOfFullWidthNumbers) {
  struct Case {
    std::string text;
    std::optional<std::string> half_width;
    bool holds_digit;
  };
  const Case cases[] = {
      {"０.０３", "0.03", true},
      {"－１２．５", "-12.5", true},
      {"１０，５", "10,5", true},
      {"１／２０００", "1/2000", true},
      {"\xA3\xB1\xA3\xAE\xA3\xB5", "1.5", true},  // GBK "１．５".
      // GBK "埃啊": A3 B0 ("０") across two characters is no digit.
      {"\xB0\xA3\xB0\xA1", std::nullopt, false},
      {"0.03", std::nullopt, true},  // Nothing in full width.
      {"水位", std::nullopt, false},
      {"１号", std::nullopt, true},  // Not a number with other characters.
      {"１\x1B", std::nullopt, true},
      {std::string(100, '1') + "１", std::nullopt,
       true},  // No number is so long.
      {"", std::nullopt, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HalfWidthForm(c.text), c.half_width) << c.text;
    EXPECT_EQ(HoldsDigit(c.text), c.holds_digit) << c.text;
  }
  // A number's hint gives the decimal form of a full-width decimal comma; a
  // field's keeps the comma, which separates fields in a file.
  EXPECT_EQ(FullWidthHint("０，０３", HalfWidthUse::kNumber),
            "“０，０３”是全角字符，请用半角：0.03");
  EXPECT_EQ(FullWidthHint("１０，５", HalfWidthUse::kField),
            "“１０，５”是全角字符，请用半角：10,5");
  EXPECT_EQ(FullWidthHint("abc", HalfWidthUse::kNumber), "");
  EXPECT_EQ(NotANumberEnding("１／２０００"), "是全角字符，请用半角：0.0005。");
}

TEST(DecimalSuggestionTest, DecimalFormHasNoExponent) {
  struct Case {
    double value;
    const char* text;
  };
  const Case cases[] = {{0.0005, "0.0005"}, {52.1, "52.1"},
                        {-3, "-3"},         {-0.0, "0"},
                        {1e-5, "0.00001"},  {123456.25, "123456.25"},
                        {1e300, "1E+300"}};
  for (const Case& c : cases) EXPECT_EQ(DecimalForm(c.value), c.text);
}

TEST(RegionalFormatTest, ShortDateAndLongTime) {
  const LocalDateTime when{2026, 12, 7, 3, 47, 7};
  EXPECT_EQ(FormatShortDate(when), "2026/12/7");
  EXPECT_EQ(FormatLongTime(when), "3:47:07");
  const LocalDateTime evening{2027, 1, 31, 23, 5, 0};
  EXPECT_EQ(FormatShortDate(evening), "2027/1/31");
  EXPECT_EQ(FormatLongTime(evening), "23:05:00");
}

TEST(RegionalFormatTest, EpochSecondsInUtc) {
  struct Case {
    int64_t seconds;
    const char* date;
    const char* time;
  };
  const Case cases[] = {
      {0, "1970/1/1", "0:00:00"},
      {951782400, "2000/2/29", "0:00:00"},  // A leap day.
      {1796615227, "2026/12/7", "3:47:07"},
      {253402300799, "9999/12/31", "23:59:59"},
  };
  for (const Case& c : cases) {
    const LocalDateTime when = UtcFromEpochSeconds(c.seconds);
    EXPECT_EQ(FormatShortDate(when), c.date) << c.seconds;
    EXPECT_EQ(FormatLongTime(when), c.time) << c.seconds;
  }
}

}  // namespace
}  // namespace xsrating
