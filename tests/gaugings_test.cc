// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/input/gaugings.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace xsrating {
namespace {

using testing::HasSubstr;

using Triple = std::tuple<double, double, long long>;  // Stage, Q, line.

std::vector<Triple> Triples(const std::vector<Gauging>& gaugings) {
  std::vector<Triple> triples;
  for (const Gauging& g : gaugings) {
    triples.emplace_back(g.stage, g.discharge, g.line);
  }
  return triples;
}

Status Parse(const std::string& text, std::vector<Gauging>* gaugings) {
  std::istringstream in(text);
  return ParseGaugings(in, gaugings);
}

std::string Lines(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += "1.5,2.5\n";
  return text;
}

std::vector<Triple> LinesRead(int count) {
  std::vector<Triple> triples;
  for (int i = 1; i <= count; ++i) triples.emplace_back(1.5, 2.5, i);
  return triples;
}

struct ReadCase {
  const char* name;
  std::string text;
  std::vector<Triple> expected;
};

class ReadsGaugings : public testing::TestWithParam<ReadCase> {};

TEST_P(ReadsGaugings, InFileOrderWithTheirLines) {
  std::vector<Gauging> gaugings;
  const Status status = Parse(GetParam().text, &gaugings);
  ASSERT_TRUE(status.ok()) << status.message();
  EXPECT_EQ(Triples(gaugings), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ReadsGaugings,
    testing::Values(
        ReadCase{
            "CommasAndCrLf", "1.2,3.4\r\n2,5\r\n", {{1.2, 3.4, 1}, {2, 5, 2}}},
        ReadCase{"SpacesTabsAndExtraFields",
                 "1.2  3.4 2024-07-01 流速仪\n2\t5\t浮标 , 备注\n",
                 {{1.2, 3.4, 1}, {2, 5, 2}}},
        ReadCase{"SpacedCommaAndTrailingComma",
                 "1.2 , 3.4,\n2 ,5\n",
                 {{1.2, 3.4, 1}, {2, 5, 2}}},
        ReadCase{"Utf8HeaderWithMark",
                 "\xEF\xBB\xBF水位,流量,日期\r\n101.5,12\r\n",
                 {{101.5, 12, 2}}},
        ReadCase{"GbkHeader",
                 "\xCB\xAE\xCE\xBB \xC1\xF7\xC1\xBF\n101.5 12\n",  // 水位 流量
                 {{101.5, 12, 2}}},
        ReadCase{"CommentsAndBlankLinesBeforeHeader",
                 "# 某站 2024 年\n\n  \nH,Q\n# 汛期\n1,2\n\n3,4\n",
                 {{1, 2, 6}, {3, 4, 8}}},
        ReadCase{"LoneCrAndNoLastLineEnd", "1,2\r3,4", {{1, 2, 1}, {3, 4, 2}}},
        ReadCase{"NumberForms",
                 "-0.5,1e-3\n+.5,2.\n",
                 {{-0.5, 0.001, 1}, {0.5, 2, 2}}},
        ReadCase{"CtrlZAtTheEnd", "1,2\r\n3,4\r\n\x1A", {{1, 2, 1}, {3, 4, 2}}},
        ReadCase{"AtTheLimit", Lines(kMaxGaugings), LinesRead(kMaxGaugings)}),
    [](const testing::TestParamInfo<ReadCase>& info) {
      return std::string(info.param.name);
    });

struct FailCase {
  const char* name;
  std::string text;
  const char* message;  // A part of the message.
};

class RefusesGaugings : public testing::TestWithParam<FailCase> {};

TEST_P(RefusesGaugings, NamingTheLine) {
  std::vector<Gauging> gaugings;
  const Status status = Parse(GetParam().text, &gaugings);
  ASSERT_FALSE(status.ok());
  EXPECT_THAT(status.message(), HasSubstr(GetParam().message));
}

INSTANTIATE_TEST_SUITE_P(
    Files, RefusesGaugings,
    testing::Values(
        FailCase{"DischargeNotANumber", "H,Q\n1,2\n3,abc\n",
                 "第 3 行的“abc”不是有效的数字（实测流量）"},
        FailCase{"StageNotANumberAfterData", "1,2\n水位,流量\n",
                 "第 2 行的“水位”不是有效的数字（实测水位）"},
        FailCase{"StageTooLarge", "1,2\n1e999,5\n", "第 2 行的“1e999”不是有效"},
        FailCase{"ZeroDischarge", "1,2\n\n3,0\n",
                 "第 3 行的实测流量“0”不大于 0"},
        FailCase{"NegativeDischarge", "1,-2\n",
                 "第 1 行的实测流量“-2”不大于 0"},
        FailCase{"NoDischarge", "1,2\r\n3 \r\n",
                 "第 2 行只有水位“3”，缺少实测流量"},
        FailCase{"EmptyDischarge", "1,,2\n", "第 1 行缺少实测流量"},
        FailCase{"EmptyStage", "1,2\n,2\n", "第 2 行的逗号前缺少实测水位"},
        FailCase{"FullWidthComma", "1,2\n3，4\n",
                 "第 2 行的“3，4”不是有效的数字（实测水位）。请用半角逗号"},
        // Column heads are words: a first line of numbers is no header.
        FailCase{"FullWidthCommaOnTheFirstLine", "3，4\n1,2\n",
                 "第 1 行的“3，4”不是有效的数字（实测水位）。请用半角逗号"},
        FailCase{"FullWidthCommaInGbk",
                 "1,2\n3\xA3\xAC"
                 "4\n",
                 "第 2 行的“3，4”不是有效的数字（实测水位）。请用半角逗号"},
        FailCase{
            "FullWidthDigits", "水位,流量\n１.２,3\n",
            "第 2 行的“１.２”不是有效的数字（实测水位）。“１.２”是全角字符，"
            "请用半角：1.2。"},
        // Full-width digits on the first line are no column heads.
        FailCase{"FullWidthDigitsOnTheFirstLineInGbk",
                 "\xA3\xB1,2\n1,2\n",  // GBK "１,2".
                 "第 1 行的“１”不是有效的数字（实测水位）。“１”是全角字符，"
                 "请用半角：1。"},
        FailCase{"FullWidthDischarge", "1,２\n",
                 "第 1 行的“２”不是有效的数字（实测流量）。“２”是全角字符"},
        FailCase{"CtrlZInsideIsNoEnd", "1,2\n3,4\x1A\n",
                 "第 2 行的“4?”不是有效的数字（实测流量）"},
        // A UTF-8 header makes the file UTF-8: the field is quoted as such,
        // cut at 24 bytes on a whole character.
        FailCase{"LongUtf8FieldQuoted",
                 "水位,流量\n1,2\n3,流量流量流量流量流量\n",
                 "第 3 行的“流量流量流量流量…”不是有效的数字（实测流量）"},
        FailCase{"OnlyAHeader", "水位,流量\r\n# 无\r\n",
                 "实测流量文件中没有数据"},
        FailCase{"Empty", "", "实测流量文件中没有数据"},
        FailCase{"Utf16",
                 std::string("\xFF\xFE"
                             "1\0,\0"
                             "2\0",
                             8),
                 "UTF-16"},
        FailCase{"OneTooMany", "H,Q\n" + Lines(kMaxGaugings + 1),
                 "第 10002 行开始了第 10001 个实测流量"}),
    [](const testing::TestParamInfo<FailCase>& info) {
      return std::string(info.param.name);
    });

TEST(GaugingsTest, FileThatIsNotThereIsNamed) {
  std::vector<Gauging> gaugings;
  const Status status = ReadGaugings("/nonexistent/测流.txt", &gaugings);
  ASSERT_FALSE(status.ok());
  EXPECT_EQ(status.kind(), StatusKind::kFileSystem);
  EXPECT_THAT(status.message(),
              HasSubstr("找不到实测流量文件“/nonexistent/测流.txt”"));
}

}  // namespace
}  // namespace xsrating
