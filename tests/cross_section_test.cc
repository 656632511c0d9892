// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/input/cross_section.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "core/base/encoding.h"
#include "core/base/number_text.h"

namespace xsrating {
namespace {

using testing::HasSubstr;
using testing::Not;

std::vector<std::pair<double, double>> Pairs(const CrossSection& section) {
  std::vector<std::pair<double, double>> pairs;
  for (const SectionPoint& p : section.points) {
    pairs.emplace_back(p.distance, p.elevation);
  }
  return pairs;
}

Status Parse(const std::string& text, CrossSection* section) {
  std::istringstream in(text);
  return ParseCrossSection(in, section);
}

const std::vector<std::pair<double, double>> kFourPoints = {
    {0, 5}, {10, 0}, {20, 0}, {30, 5}};

class ReadsFourPoints : public testing::TestWithParam<const char*> {};

TEST_P(ReadsFourPoints, WhateverTheSeparatorsAndLineEnds) {
  CrossSection section;
  const Status status = Parse(GetParam(), &section);
  ASSERT_TRUE(status.ok()) << status.message();
  EXPECT_EQ(Pairs(section), kFourPoints);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, ReadsFourPoints,
    testing::Values(
        "0,5\r\n10,0\r\n20,0\r\n30,5\r\n",   // One pair a line, CR LF.
        "0,5\r\n10,0\r\n20,0\r\n30,5",       // No line end at the end.
        "0 5 10 0 20 0 30 5",                // All on one line.
        "0, 5\n10, 0\n20, 0\n30, 5\n",       // Space after the comma, LF.
        "0 , 5\r10 ,0\r20,  0\r30\t,\t5\r",  // Lone CR, tabs, spaces.
        "0,5,10,0,20,0,30,5",                // Commas only.
        "0\n5\n10\n0\n20\n0\n30\n5\n",       // One number a line.
        "  \r\n0,5\n\n10,0\n20,0\n30,5",     // Blank lines before a point.
        "\xEF\xBB\xBF"
        "0,5\r\n10,0\r\n20,0\r\n30,5\r\n",  // UTF-8 mark.
        "0,5\n10,0\n20,0\n30,5,",           // One trailing comma.
        "0,5\n10,0\n20,0\n30,5 ",           // One trailing space.
        "0,5\n10,0\n20,0\n30,5 \r\n",       // Spaces before the last line end.
        "0,5\r\n10,0\r\n20,0\r\n30,5\r\n\x1A",  // A DOS editor's end.
        "0,5\n10,0\n20,0\n30,5\x1A",
        "0.0,5e0\n1e1,-0\n+20,.0\n30.,5.000\n"));  // Number forms.

TEST(CrossSectionTest, EmptyInputHasNoPoints) {
  CrossSection section;
  section.points.push_back({1, 2});  // Nothing of an earlier read survives.
  ASSERT_TRUE(Parse("", &section).ok());
  EXPECT_TRUE(section.points.empty());
  ASSERT_TRUE(Parse("\xEF\xBB\xBF", &section).ok());
  EXPECT_TRUE(section.points.empty());
}

TEST(CrossSectionTest, KeepsTheFileOrder) {
  CrossSection section;
  ASSERT_TRUE(Parse("30,5\n10,0\n20,1\n", &section).ok());
  const std::vector<std::pair<double, double>> expected = {
      {30, 5}, {10, 0}, {20, 1}};
  EXPECT_EQ(Pairs(section), expected);
}

std::string ManyPairs(int count) {
  std::string text;
  for (int k = 0; k < count; ++k) {
    text += std::to_string(k) + "," + std::to_string(k % 7) + "\r\n";
  }
  return text;
}

TEST(CrossSectionTest, HoldsAtMostAThousandPoints) {
  CrossSection section;
  ASSERT_TRUE(Parse(ManyPairs(1000), &section).ok());
  EXPECT_EQ(section.points.size(), 1000u);
  EXPECT_EQ(section.points.back().distance, 999);

  const Status status = Parse(ManyPairs(1001), &section);
  ASSERT_FALSE(status.ok());
  EXPECT_THAT(status.message(), HasSubstr("第 1001 行"));
  EXPECT_THAT(status.message(), HasSubstr("第 1001 个测点"));
  EXPECT_THAT(status.message(), HasSubstr("1000"));
}

struct FailureCase {
  const char* name;
  std::string text;
  std::vector<std::string> message_parts;
  std::vector<std::string> absent_parts = {};
  StatusKind kind = StatusKind::kBadInput;
  friend void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }
};

class RefusesBadSurveys : public testing::TestWithParam<FailureCase> {};

TEST_P(RefusesBadSurveys, NamingTheLineAndThePoint) {
  const FailureCase& c = GetParam();
  CrossSection section;
  const Status status = Parse(c.text, &section);
  ASSERT_FALSE(status.ok());
  for (const std::string& part : c.message_parts) {
    EXPECT_THAT(status.message(), HasSubstr(part));
  }
  for (const std::string& part : c.absent_parts) {
    EXPECT_THAT(status.message(), Not(HasSubstr(part)));
  }
  EXPECT_EQ(status.kind(), c.kind);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, RefusesBadSurveys,
    testing::Values(
        FailureCase{"BlankLineAtTheEnd",
                    "0,5\r\n10,0\r\n20,0\r\n30,5\r\n\r\n",
                    {"第 4 行", "多余"}},
        FailureCase{"CommaAndLineEndAtTheEnd",
                    "0,5\r\n10,0\r\n20,0\r\n30,5,\r\n",
                    {"第 4 行", "多余"}},
        FailureCase{"TwoTrailingCommas", "0,5\n10,0,,", {"第 2 行", "逗号"}},
        FailureCase{"EmptyFieldBetweenCommas",
                    "0,5\n10,,0\n",
                    {"第 2 行", "两个逗号", "第 2 个测点的高程"}},
        FailureCase{"LeadingComma", ",0,5", {"第 1 行", "第 1 个测点的起点距"}},
        FailureCase{"OddNumberOfFields",
                    "0,5\n10,0\n20\n",
                    {"第 3 行", "第 3 个测点", "缺少高程"}},
        FailureCase{"Letters",
                    "0,5\n10,0\n20,abc\n",
                    {"第 3 行", "“abc”", "不是数字", "第 3 个测点的高程"}},
        FailureCase{"LineCountWithLoneCr",
                    "0,5\r10,0\r20,0\r3O,5\r",
                    {"第 4 行", "“3O”", "第 4 个测点的起点距"}},
        FailureCase{"FullWidthComma",
                    "0\xA3\xAC"
                    "5\n1,0\n",  // GBK "0，5".
                    {"第 1 行", "“0，5”", "请用半角（英文）逗号“,”隔开"}},
        FailureCase{"GarbageBytesAreShownSafely",
                    std::string("0,5\n1\0\x01\xFF,2\n", 11),
                    {"第 2 行", "“1???”"}},
        FailureCase{"Infinity", "0,inf\n", {"“inf”"}},
        FailureCase{"TooLargeForADouble", "0,1e999\n", {"“1e999”"}},
        FailureCase{"EndlessField",
                    "0," + std::string(100000, '7'),
                    {"第 1 行", "…”", "不是数字"}},
        FailureCase{"Utf16",
                    "\xFF\xFE"
                    "0\0,\0"
                    "5\0",
                    {"UTF-16", "编码选 ANSI 或 UTF-8"}},
        FailureCase{"Utf16WithoutMark",
                    std::string("0\0,\0"
                                "5\0",
                                6),
                    {"UTF-16", "记事本叫它“Unicode”"}},
        FailureCase{"Utf16BigEndianWithoutMark",
                    std::string("\0"
                                "0\0,",
                                4),
                    {"UTF-16"}},
        FailureCase{"OnlyBlanks", " \r\n\t\r\n", {"第 1 行", "没有数据"}},
        FailureCase{"CtrlZNotAtTheEnd", "0,5\x1A\n10,0\n", {"第 1 行", "“5?”"}},
        FailureCase{"Utf8HeadsWithMark",
                    "\xEF\xBB\xBF起点距,高程\r\n0,5\r\n",
                    {"第 1 行的“起点距”不是数字", "第 1 行看起来是表头（列名）",
                     "请删去这一行"}},
        FailureCase{"Utf8HeadsWithoutMark",
                    "0,5\r\n水位 面积\r\n",
                    {"第 2 行的“水位”不是数字"}},
        FailureCase{"Utf8ControlCharacters",
                    "0,\x1B[0m\xC2\x9B"
                    "31m\r\n",  // ESC and CSI.
                    {"第 1 行的“?[0m?31m”不是数字"}},
        // "水位" in GBK happens to be valid UTF-8; "高程" after it is not.
        FailureCase{"GbkHeadsThatStartLikeUtf8",
                    Utf8ToGbk("水位,高程\r\n0,5\r\n"),
                    {"第 1 行的“水位”不是数字", "表头"}},
        // Full-width digits from an input method are numbers mistyped, never
        // column heads to delete.
        FailureCase{"FullWidthDigitsInGbk",
                    Utf8ToGbk("０．５,５\r\n10,0\r\n"),
                    {"第 1 行的“０．５”不是数字",
                     "“０．５”是全角字符，请用半角：0.5。"},
                    {"表头"}},
        FailureCase{"FullWidthMinusInUtf8",
                    "0,5\r\n10,－１.５\r\n",
                    {"第 2 行的“－１.５”不是数字（第 2 个测点的高程）。",
                     "“－１.５”是全角字符，请用半角：-1.5。"}},
        FailureCase{
            "FullWidthDigitsAndComma",
            Utf8ToGbk("１０，５\r\n"),
            {"请用半角（英文）逗号", "“１０，５”是全角字符，请用半角：10,5"}},
        // The station's other files, picked in the same folder.
        FailureCase{"GaugingsAfterANote",
                    Utf8ToGbk("# 某站 2024 年实测流量\r\n水位,流量,日期\r\n"
                              "44.92,4.12,2024-03-14\r\n"),
                    {"“水位”和“流量”是第 2 行的列名，这像是实测流量文件，不是"
                     "地形文件。请在“查看断面与曲线”里用“导入实测流量…”，或在"
                     "命令行用 --gaugings。"},
                    {"表头"},
                    StatusKind::kOtherInput},
        FailureCase{"GaugingsHeadsFirst",
                    "\xEF\xBB\xBF实测水位 实测流量\n1,2\n",
                    {"是第 1 行的列名，这像是实测流量文件"},
                    {},
                    StatusKind::kOtherInput},
        FailureCase{
            "ZonesAfterNotesAndABlankLine",
            "# 分区糙率\n#\n\n起点距,糙率,说明\n0,0.05,滩地\n",
            {"“起点距”和“糙率”是第 4 行的列名，这像是分区糙率文件", "--zones"},
            {},
            StatusKind::kOtherInput},
        FailureCase{"StageRecord",
                    Utf8ToGbk("日期,时间,水位\r\n2024-06-01,8:00,12.31\r\n"),
                    {"“时间”和“水位”是第 1 行的列名，这像是水位过程文件",
                     "--stage-record"},
                    {},
                    StatusKind::kOtherInput},
        // Heads further down are a survey's fault, not another file.
        FailureCase{"HeadsAfterData",
                    "0,5\n水位,流量\n",
                    {"第 2 行的“水位”不是数字"},
                    {"像是"}},
        FailureCase{"FullWidthCommaInAHeader",
                    Utf8ToGbk("起点距，高程\r\n0,5\r\n"),
                    {"表头"}},
        FailureCase{"ResultFileChosenAsSurvey",
                    Utf8ToGbk("计算时间: 2026/12/7 3:47:47\r\n地形测点数： 4 "
                              "\r\n"),
                    {"第 1 行", "结果文件", "不是地形数据文件"},
                    {},
                    StatusKind::kNotASurvey},
        FailureCase{"OneLineLacksANumber",
                    "0,5\n10,0\n20\n30,5\n",
                    {"第 3 行有 1 个数", "第 4 行结束"}},
        FailureCase{"OneLineHasANumberMore",
                    "0,5\r\n10,0,1\r\n20,0\r\n30,5\r\n",
                    {"第 2 行有 3 个数", "缺少高程"}},
        FailureCase{"OddCountNotOnePairALine",
                    "0 5 10 0\n20\n",
                    {"数据在第 2 行结束"}}),
    [](const testing::TestParamInfo<FailureCase>& info) {
      return info.param.name;
    });

// Plain decimals are read without from_chars; every field must still be the
// number the program's one conversion gives, to the last bit.
TEST(CrossSectionTest, ReadsEveryNumberAsTheConversionDoes) {
  std::vector<std::string> fields = {"0.1",
                                     "-0",
                                     "-0.0",
                                     "5.",
                                     ".5",
                                     "123456789012345",
                                     "1234567890123456",
                                     "9007199254740993",
                                     "0.000000000000001",
                                     "99999999999999.9",
                                     "1e5",
                                     "+2.5",
                                     "-.25e-3",
                                     "4.9e-324",
                                     "1.7976931348623157e308"};
  std::mt19937_64 random(20261207);
  while (fields.size() < 2 * static_cast<size_t>(kMaxPoints)) {
    const size_t digits = 1 + random() % 17;
    std::string field = random() % 4 == 0 ? "-" : "";
    for (size_t d = 0; d < digits; ++d) field += '0' + random() % 10;
    if (random() % 5 != 0) {
      field.insert(field.size() - random() % (digits + 1), 1, '.');
    }
    fields.push_back(field);
  }
  std::string text;
  for (size_t i = 0; i < fields.size(); i += 2) {
    text += fields[i] + "," + fields[i + 1] + "\r\n";
  }
  CrossSection section;
  ASSERT_TRUE(Parse(text, &section).ok());
  ASSERT_EQ(section.points.size() * 2, fields.size());
  for (size_t i = 0; i < fields.size(); ++i) {
    const SectionPoint& p = section.points[i / 2];
    const double read = i % 2 == 0 ? p.distance : p.elevation;
    EXPECT_EQ(std::bit_cast<uint64_t>(read),
              std::bit_cast<uint64_t>(*TextToNumber(fields[i], '.')))
        << fields[i];
  }
}

TEST(CrossSectionTest, ReadingAFileNamesIt) {
  CrossSection section;
  Status status = ReadCrossSection("", &section);
  ASSERT_FALSE(status.ok());
  EXPECT_THAT(status.message(), HasSubstr("还没有选择地形数据文件"));

  status = ReadCrossSection("/nonexistent/folder/sec1.txt", &section);
  ASSERT_FALSE(status.ok());
  EXPECT_THAT(status.message(), HasSubstr("找不到"));
  EXPECT_THAT(status.message(), HasSubstr("/nonexistent/folder/sec1.txt"));

  status = ReadCrossSection(testing::TempDir(), &section);
  ASSERT_FALSE(status.ok());
  EXPECT_THAT(status.message(), HasSubstr("文件夹"));
}

}  // namespace
}  // namespace xsrating
