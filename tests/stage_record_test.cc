// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/input/stage_record.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace xsrating {
namespace {

using testing::HasSubstr;

// A reading as the tests write it: the time's text and the stage.
using Reading = std::pair<std::string, double>;

std::vector<Reading> Parse(const std::string& text, Status* status) {
  std::istringstream in(text);
  std::vector<StageReading> readings;
  *status = ParseStageRecord(in, &readings);
  std::vector<Reading> shown;
  for (const StageReading& r : readings) {
    shown.emplace_back(RecordTimeText(r.time), r.stage);
  }
  return shown;
}

struct ReadCase {
  const char* name;
  std::string text;
  std::vector<Reading> expected;
};

class ReadsStageRecords : public testing::TestWithParam<ReadCase> {};

TEST_P(ReadsStageRecords, InFileOrder) {
  Status status;
  const std::vector<Reading> read = Parse(GetParam().text, &status);
  ASSERT_TRUE(status.ok()) << status.message();
  EXPECT_EQ(read, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ReadsStageRecords,
    testing::Values(
        ReadCase{"CommasCrLfAndNotes",
                 "2024-07-01,8:00,52.31,洪峰\r\n2024-07-01,08:05:30,52.4\r\n",
                 {{"2024-07-01 08:00", 52.31}, {"2024-07-01 08:05:30", 52.4}}},
        ReadCase{"SlashesShortFieldsSpacesAndTabs",
                 "2024/7/1 0:00  1.5\n2024/12/31\t23:59\t-2 备注\n",
                 {{"2024-07-01 00:00", 1.5}, {"2024-12-31 23:59", -2}}},
        ReadCase{"Utf8HeaderWithMarkAndBlankLines",
                 "\xEF\xBB\xBF日期,时间,水位\r\n\r\n  \r\n2024-2-29,0:00,3\r\n",
                 {{"2024-02-29 00:00", 3}}},
        ReadCase{"GbkHeader",  // 时间 水位
                 "\xCA\xB1\xBC\xE4 \xCB\xAE\xCE\xBB\n2000-01-01 12:00 7\n",
                 {{"2000-01-01 12:00", 7}}},
        ReadCase{"HeaderStartingWithAComma",
                 ",时间,水位\n2024-01-01,1:00,2\n",
                 {{"2024-01-01 01:00", 2}}},
        ReadCase{"LoneCrCtrlZAndNoLastLineEnd",
                 "1999-12-31,23:00,1\r2000-01-01,0:00,2\x1A",
                 {{"1999-12-31 23:00", 1}, {"2000-01-01 00:00", 2}}},
        ReadCase{"BeforeTheClocksEpoch",
                 "1901-03-01,6:00,10\n",
                 {{"1901-03-01 06:00", 10}}}),
    [](const testing::TestParamInfo<ReadCase>& info) {
      return std::string(info.param.name);
    });

struct FailCase {
  const char* name;
  std::string text;
  const char* message;  // A part of the message.
};

class RefusesStageRecords : public testing::TestWithParam<FailCase> {};

TEST_P(RefusesStageRecords, NamingTheLineAndKeepingNothing) {
  Status status;
  const std::vector<Reading> read = Parse(GetParam().text, &status);
  ASSERT_FALSE(status.ok());
  EXPECT_EQ(status.kind(), StatusKind::kBadInput);
  EXPECT_THAT(status.message(), HasSubstr(GetParam().message));
  EXPECT_TRUE(read.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Files, RefusesStageRecords,
    testing::Values(
        FailCase{
            "TwentyFourHundred", "2024-07-01,23:00,1\n2024-07-01,24:00,2\n",
            "第 2 行的时间“24:00”不在一天之内：一天结束的时刻请写成第二天的 "
            "0:00"},
        FailCase{"HourOutOfRange", "2024-07-01,25:00,1\n",
                 "第 1 行的时间“25:00”不是时间"},
        FailCase{"MinuteOutOfRange", "2024-07-01,8:60,1\n",
                 "第 1 行的时间“8:60”不是时间"},
        FailCase{"OneDigitMinute", "2024-07-01,8:5,1\n",
                 "第 1 行的时间“8:5”不是时间"},
        FailCase{"NoSuchDay", "2023-02-28,0:00,1\n2023-02-29,0:00,1\n",
                 "第 2 行的日期“2023-02-29”不存在：2023 年 2 月只有 28 天"},
        FailCase{"NoSuchMonth", "2023-13-01,0:00,1\n",
                 "第 1 行的日期“2023-13-01”不存在：月份应在 1 到 12 之间"},
        FailCase{"MixedSeparators", "2023-01/01,0:00,1\n",
                 "第 1 行的日期“2023-01/01”不是日期"},
        FailCase{"TwoDigitYear", "24-07-01,0:00,1\n",
                 "第 1 行的日期“24-07-01”不是日期"},
        FailCase{"RepeatedTime",
                 "日期,时间,水位\n2024-07-01,8:00,1\n\n2024-07-01,08:00,2\n",
                 "第 4 行的时间 2024-07-01 08:00 不晚于第 2 行的 2024-07-01 "
                 "08:00"},
        FailCase{"EarlierTime", "2024-07-02,0:00,1\n2024-07-01,23:59:59,2\n",
                 "第 2 行的时间 2024-07-01 23:59:59 不晚于第 1 行的 2024-07-02 "
                 "00:00"},
        FailCase{"NoTime", "2024-07-01,8:00,1\n2024-07-02 \n",
                 "第 2 行只有日期“2024-07-02”，缺少时间和水位"},
        FailCase{"NoStage", "2024-07-01,8:00\n", "第 1 行缺少水位"},
        FailCase{"EmptyStage", "2024-07-01,8:00,,1\n", "第 1 行缺少水位"},
        FailCase{"StageNotANumber", "2024-07-01,8:00,1\n2024-07-01,9:00,abc\n",
                 "第 2 行的水位“abc”不是有效的数字"},
        FailCase{"FullWidthStage", "2024-07-01,8:00,５２.３\n",
                 "第 1 行的水位“５２.３”不是有效的数字。“５２.３”是全角字符，"
                 "请用半角：52.3"},
        FailCase{"FullWidthCommas", "2024-07-01，8:00，1\n",
                 "第 1 行的日期“2024-07-01，8:00，1”不是日期，应写成 "
                 "2024-07-01 或 2024/7/1 这样的年-月-日。请用半角逗号"},
        // A first line with a digit is a reading, and a wrong one.
        FailCase{"HeaderWithADigit", "第1列,时间,水位\n2024-07-01,8:00,1\n",
                 "第 1 行的日期“第1列”不是日期"},
        FailCase{"WordsAfterData", "2024-07-01,8:00,1\n日期,时间,水位\n",
                 "第 2 行的日期“日期”不是日期"},
        FailCase{"EmptyDate", "2024-07-01,8:00,1\n,8:00,1\n",
                 "第 2 行的逗号前缺少日期"},
        FailCase{"TooLong", "1800-01-01,0:00,1\n2001-01-01,0:00,1\n",
                 "第 2 行的时间 2001-01-01 00:00 距第一个记录超过 200 年"},
        FailCase{"OnlyAHeader", "日期,时间,水位\r\n", "水位过程文件中没有数据"},
        FailCase{"Empty", "", "水位过程文件中没有数据"},
        FailCase{"Utf16",
                 std::string("\xFF\xFE"
                             "2\0",
                             4),
                 "水位过程文件是 UTF-16（Unicode）编码的"}),
    [](const testing::TestParamInfo<FailCase>& info) {
      return std::string(info.param.name);
    });

TEST(StageRecordTest, RefusesTheReadingBeyondTheLimit) {
  std::string text;
  text.reserve(static_cast<size_t>(kMaxStageRecords + 1) * 22);
  // One reading a minute from 2000-01-01: 5,000,001 of them.
  for (int64_t i = 0; i <= kMaxStageRecords;) {
    const LocalDateTime day =
        RecordDateTime(MakeRecordTime(2000, 1, 1) + i / 1440 * kSecondsPerDay);
    const std::string date = std::to_string(day.year) + '-' +
                             std::to_string(day.month) + '-' +
                             std::to_string(day.day) + ',';
    for (int minute = 0; minute < 1440 && i <= kMaxStageRecords;
         ++minute, ++i) {
      const char time[] = {static_cast<char>('0' + minute / 600),
                           static_cast<char>('0' + minute / 60 % 10),
                           ':',
                           static_cast<char>('0' + minute % 60 / 10),
                           static_cast<char>('0' + minute % 10),
                           ',',
                           '1',
                           '\n'};
      text += date;
      text.append(time, sizeof time);
    }
  }
  Status status;
  Parse(text, &status);
  EXPECT_THAT(status.message(),
              HasSubstr("第 5000001 行开始了第 5000001 个水位记录"));
}

TEST(StageRecordTest, ReadsAFileAndNamesItWhenItIsMissing) {
  std::vector<StageReading> readings;
  const Status missing = ReadStageRecord("/nonexistent/记录.txt", &readings);
  EXPECT_EQ(missing.kind(), StatusKind::kFileSystem);
  EXPECT_THAT(missing.message(),
              HasSubstr("找不到水位过程文件“/nonexistent/记录.txt”"));
  const Status example = ReadStageRecord(
      std::string(XSRATING_EXAMPLES) + "/river_section_stages.txt", &readings);
  ASSERT_TRUE(example.ok()) << example.message();
  EXPECT_EQ(RecordTimeText(readings.front().time), "2024-05-31 18:00");
  EXPECT_EQ(RecordTimeText(readings.back().time), "2024-07-01 00:00");
}

}  // namespace
}  // namespace xsrating
