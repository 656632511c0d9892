// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/flow/record_flow.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "core/calibration/rating_analysis.h"
#include "core/flow/daily_flow.h"
#include "core/flow/yearbook.h"
#include "core/hydraulics/rating.h"
#include "core/hydraulics/roughness_zones.h"
#include "core/input/cross_section.h"
#include "core/input/stage_record.h"
#include "core/input/zones_file.h"
#include "core/output/flow_table.h"
#include "core/output/own_files.h"
#include "core/output/rating_csv.h"

namespace xsrating {
namespace {

using testing::HasSubstr;
using testing::StartsWith;

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

// A reading `hours` after 2024-06-01 0:00 with its discharge.
struct Timed {
  double hours;
  double discharge;  // kNone for none.
};

// Readings with the given discharges, each its own stage.
struct MadeFlow {
  std::vector<StageReading> readings;
  RecordFlow flow;
};

MadeFlow MakeFlow(const std::vector<Timed>& timed,
                  RecordTime start = MakeRecordTime(2024, 6, 1)) {
  MadeFlow made;
  for (size_t i = 0; i < timed.size(); ++i) {
    const double stage = static_cast<double>(i);
    made.readings.push_back(
        {start + static_cast<RecordTime>(std::lround(timed[i].hours * 3600)),
         stage});
    made.flow.stages.push_back(stage);
    made.flow.discharges.push_back(timed[i].discharge);
    made.flow.notes.push_back(std::isnan(timed[i].discharge)
                                  ? FlowNote::kAboveCrest
                                  : FlowNote::kNone);
    made.flow.stage_of.push_back(static_cast<uint32_t>(i));
  }
  return made;
}

struct DailyCase {
  const char* name;
  std::vector<Timed> readings;
  // From 2024-06-01 on, one per date of the record.
  std::vector<std::optional<double>> means;
};

class DailyMeansTest : public testing::TestWithParam<DailyCase> {};

TEST_P(DailyMeansTest, AreTheDaysIntegralOverTwentyFourHours) {
  const MadeFlow made = MakeFlow(GetParam().readings);
  const std::vector<DailyFlow> days = DailyMeans(made.readings, made.flow);
  ASSERT_EQ(days.size(), GetParam().means.size());
  for (size_t d = 0; d < days.size(); ++d) {
    EXPECT_EQ(days[d].day, MakeRecordTime(2024, 6, 1) +
                               static_cast<RecordTime>(d) * kSecondsPerDay);
    const std::optional<double>& expected = GetParam().means[d];
    ASSERT_EQ(days[d].mean.has_value(), expected.has_value()) << "day " << d;
    if (expected) {
      EXPECT_NEAR(*days[d].mean, *expected, 1e-12) << "day " << d;
    }
  }
}

// Worked by hand: (q(a) + q(b)) / 2 × (b - a) over each piece of a day.
INSTANTIATE_TEST_SUITE_P(
    HandWorked, DailyMeansTest,
    testing::Values(
        // Day 1: 10×12 + 22×6 + (34 + 22)/2×6 = 420 over 24 h; at 24:00 the
        // line from 34 (18:00) to 10 (30:00) is at 22. Day 2: (22 + 10)/2×6
        // + 10×18 = 276.
        DailyCase{"UnevenIntervalsAcrossMidnight",
                  {{0, 10}, {12, 10}, {18, 34}, {30, 10}, {48, 10}},
                  {17.5, 11.5, std::nullopt}},
        DailyCase{"StartsAfterMidnight",
                  {{0.5, 10}, {24, 20}, {48, 20}},
                  {std::nullopt, 20, std::nullopt}},
        DailyCase{"ReadingsExactlyAtMidnight",
                  {{0, 0}, {24, 24}, {48, 0}},
                  {12, 12, std::nullopt}},
        // 6:00 to 31:00 is 25 h: both days it overlaps are missing.
        DailyCase{"GapLongerThanADay",
                  {{0, 10}, {6, 10}, {31, 10}, {48, 10}, {72, 10}},
                  {std::nullopt, std::nullopt, 10, std::nullopt}},
        DailyCase{"GapOfExactlyADay",
                  {{0, 10}, {24, 30}, {48, 10}},
                  {20, 20, std::nullopt}},
        // 36:00 has no discharge; its intervals end at 48:00, before day 3.
        DailyCase{"AboveCrestTouchesOneDay",
                  {{0, 10},
                   {12, 10},
                   {24, 10},
                   {36, kNone},
                   {48, 10},
                   {60, 12},
                   {72, 10}},
                  {10, std::nullopt, 11, std::nullopt}},
        DailyCase{"AboveCrestAtMidnightTouchesBothDays",
                  {{0, 10}, {24, kNone}, {48, 10}, {72, 10}},
                  {std::nullopt, std::nullopt, 10, std::nullopt}},
        // Dry is a discharge of 0: (0 + 6)/2×12 over the day is 1.5.
        DailyCase{
            "Dry", {{0, 0}, {12, 0}, {24, 6}, {48, 6}}, {1.5, 6, std::nullopt}},
        DailyCase{"OneReading", {{5, 1}}, {std::nullopt}}),
    [](const testing::TestParamInfo<DailyCase>& info) {
      return std::string(info.param.name);
    });

TEST(FlowSummaryTest, TakesTheFirstExtremesAndTheCompleteDays) {
  const MadeFlow made =
      MakeFlow({{0, 4}, {6, 8}, {12, 8}, {24, 2}, {30, kNone}, {36, 2}});
  const std::vector<DailyFlow> days = DailyMeans(made.readings, made.flow);
  const FlowSummary summary = SummarizeFlow(made.readings, made.flow, days);
  EXPECT_EQ(summary.readings, 6);
  EXPECT_EQ(summary.days_with_mean, 1);
  EXPECT_EQ(summary.days_missing, 1);
  ASSERT_TRUE(summary.largest && summary.smallest);
  EXPECT_EQ(summary.largest->discharge, 8);
  EXPECT_EQ(RecordTimeText(summary.largest->time), "2024-06-01 06:00");
  EXPECT_EQ(summary.smallest->discharge, 2);
  EXPECT_EQ(RecordTimeText(summary.smallest->time), "2024-06-02 00:00");
  // Day 1: (4 + 8)/2×6 + 8×6 + (8 + 2)/2×12 = 144 over 24 h.
  EXPECT_DOUBLE_EQ(*summary.mean, 6);
  EXPECT_DOUBLE_EQ(*summary.volume, 6 * 86400.0);
}

TEST(YearbookTest, MonthsAndYearsHaveMeansOnlyWhenEveryDayHasOne) {
  // Daily at 0:00 from 2023-01-15 to 2023-03-10 at 2 m³/s, but 50 at
  // 2023-02-10 12:00 and 0.5 at 2023-02-20 0:00.
  std::vector<Timed> timed;
  const RecordTime start = MakeRecordTime(2023, 1, 15);
  for (RecordTime t = start; t <= MakeRecordTime(2023, 3, 10);
       t += kSecondsPerDay) {
    const double hours = static_cast<double>(t - start) / 3600;
    timed.push_back({hours, t == MakeRecordTime(2023, 2, 20) ? 0.5 : 2});
    if (t == MakeRecordTime(2023, 2, 10)) timed.push_back({hours + 12, 50});
  }
  const MadeFlow made = MakeFlow(timed, start);
  const std::vector<DailyFlow> days = DailyMeans(made.readings, made.flow);
  const std::vector<YearbookYear> years =
      YearbookTables(made.readings, made.flow, days);
  ASSERT_EQ(years.size(), 1u);
  const YearbookYear& year = years[0];
  EXPECT_EQ(year.year, 2023);
  const YearbookMonth& jan = year.months[0];
  const YearbookMonth& feb = year.months[1];
  EXPECT_FALSE(jan.daily[13]);
  EXPECT_EQ(jan.daily[14], 2);
  EXPECT_FALSE(jan.mean);  // From the 15th only.
  // Feb 10: (2 + 50)/2 over the day; Feb 19 and 20: (2 + 0.5)/2.
  EXPECT_EQ(feb.daily[9], 26);
  EXPECT_EQ(feb.daily[18], 1.25);
  EXPECT_EQ(feb.daily[19], 1.25);
  EXPECT_FALSE(feb.daily[28]);  // No such date.
  ASSERT_TRUE(feb.mean);
  EXPECT_DOUBLE_EQ(*feb.mean, (25 * 2 + 26 + 1.25 + 1.25) / 28);
  EXPECT_EQ(YearbookNumber(*feb.mean), "2.80");
  EXPECT_FALSE(year.months[2].mean);  // To the 10th only.
  EXPECT_EQ(feb.largest->discharge, 50);
  EXPECT_EQ(feb.largest->day, 10);
  EXPECT_EQ(feb.smallest->discharge, 0.5);
  EXPECT_EQ(feb.smallest->day, 20);
  EXPECT_EQ(jan.smallest->day, 15);  // The first of equals.
  EXPECT_FALSE(year.months[3].largest);
  EXPECT_EQ(year.largest->month, 2);
  EXPECT_EQ(year.smallest->day, 20);
  EXPECT_FALSE(year.mean);
  EXPECT_FALSE(year.volume);
}

TEST(YearbookTest, AWholeYearHasItsMeanAndVolume) {
  std::vector<Timed> timed;
  const RecordTime start = MakeRecordTime(2023, 1, 1);
  for (RecordTime t = start; t <= MakeRecordTime(2024, 1, 1);
       t += kSecondsPerDay) {
    timed.push_back({static_cast<double>(t - start) / 3600, 3});
  }
  const MadeFlow made = MakeFlow(timed, start);
  const std::vector<DailyFlow> days = DailyMeans(made.readings, made.flow);
  const std::vector<YearbookYear> years =
      YearbookTables(made.readings, made.flow, days);
  ASSERT_EQ(years.size(), 2u);
  EXPECT_DOUBLE_EQ(*years[0].mean, 3);
  EXPECT_DOUBLE_EQ(*years[0].volume, 3 * 365 * 86400.0 / 1e8);
  EXPECT_EQ(YearbookNumber(*years[0].volume), "0.946");
  EXPECT_FALSE(years[1].mean);  // 2024 has only its first 0:00.
  EXPECT_EQ(years[1].largest->month, 1);
}

TEST(YearbookNumberTest, ThreeFiguresAtMostThreeDecimalsHalfToEven) {
  const std::pair<double, const char*> cases[] = {
      {12.25, "12.2"},
      {12.75, "12.8"},
      {12.345, "12.3"},
      {1234.5, "1230"},
      {1235, "1240"},
      {1225, "1220"},
      {99.96, "100"},
      {100.5, "100"},
      {2.5, "2.50"},
      {0.125, "0.125"},
      {0.01234, "0.012"},
      {0.09996, "0.100"},
      {0.0004, "0"},
      {0, "0"},
      {1e-9, "0"},
      // 0.0005 is a little above its decimal in binary: not a tie.
      {0.0005, "0.001"},
      {5, "5.00"},
      {123456, "123000"}};
  for (const auto& [value, text] : cases) {
    EXPECT_EQ(YearbookNumber(value), text) << value;
  }
}

// The example survey rated three ways, and its table's own stages read back
// as a stage record.
struct ConversionCase {
  const char* name;
  bool zones;
  bool gaugings;
};

class ConversionTest : public testing::TestWithParam<ConversionCase> {};

TEST_P(ConversionTest, GivesEachStageItsTableRowsDischarge) {
  const std::string examples = XSRATING_EXAMPLES;
  RunParameters params;
  params.data_file_path = examples + "/river_section.txt";
  params.roughness = 0.03;
  params.slope_text = "0.0003";
  params.stage_count = 20;
  if (GetParam().zones) {
    ASSERT_TRUE(
        ReadRoughnessZones(examples + "/river_section_zones.txt", &params.zones)
            .ok());
  }
  Rating rating;
  ASSERT_TRUE(ComputeRating(params, &rating).ok());
  std::optional<RatingAnalysis> analysis;
  if (GetParam().gaugings) {
    analysis.emplace();
    ASSERT_TRUE(AnalyzeGaugings(rating,
                                examples + "/river_section_gaugings.txt",
                                &*analysis)
                    .ok());
  }
  const StageLevelTable& levels = rating.table.levels;
  // Every stage of the table twice, in descending order, then the dry and
  // spilling ends.
  std::vector<StageReading> readings;
  RecordTime time = MakeRecordTime(2024, 1, 1);
  for (int pass = 0; pass < 2; ++pass) {
    for (auto row = rating.table.rows.rbegin(); row != rating.table.rows.rend();
         ++row) {
      readings.push_back({time += 600, row->stage});
    }
  }
  for (double stage : {levels.z_min, levels.z_min - 1, levels.z_top + 0.01,
                       levels.z_top + 5}) {
    readings.push_back({time += 600, stage});
  }
  RecordFlow flow;
  ASSERT_TRUE(ConvertStageRecord(rating, analysis ? &*analysis : nullptr,
                                 params.slope_text, readings, &flow)
                  .ok());
  const size_t rows = rating.table.rows.size();
  for (size_t i = 0; i < 2 * rows; ++i) {
    const size_t j = rows - 1 - i % rows;
    const double expected = analysis ? analysis->rows[j].calibrated_discharge
                                     : rating.table.rows[j].discharge;
    EXPECT_EQ(std::bit_cast<uint64_t>(flow.Discharge(i)),
              std::bit_cast<uint64_t>(expected))
        << "stage " << readings[i].stage;
    const bool extension = analysis && analysis->rows[j].extrapolated;
    EXPECT_EQ(flow.Note(i), extension ? FlowNote::kExtension : FlowNote::kNone);
  }
  EXPECT_EQ(flow.stages.size(), rows + 4);  // Each stage once.
  for (size_t i = 2 * rows; i < 2 * rows + 2; ++i) {
    EXPECT_EQ(flow.Discharge(i), 0);
    EXPECT_EQ(flow.Note(i), FlowNote::kDry);
  }
  for (size_t i = 2 * rows + 2; i < readings.size(); ++i) {
    EXPECT_TRUE(std::isnan(flow.Discharge(i)));
    EXPECT_EQ(flow.Note(i), FlowNote::kAboveCrest);
  }
  EXPECT_EQ(flow.dry_count, 2);
  EXPECT_EQ(flow.above_crest_count, 2);
  EXPECT_EQ(flow.first_above_crest, readings[2 * rows + 2].time);
  const std::vector<std::string> warnings = FlowWarnings(flow);
  ASSERT_FALSE(warnings.empty());
  EXPECT_THAT(warnings[0],
              HasSubstr("有 2 个水位记录高于较低堤顶 51.97（第一个在 "
                        "2024-01-01 07:10）"));
  EXPECT_EQ(warnings.size(), GetParam().gaugings ? 2u : 1u);
  if (GetParam().gaugings) {
    EXPECT_GT(flow.extension_count, 0);
    EXPECT_THAT(warnings[1], HasSubstr("个水位记录高于最高实测水位"));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Ratings, ConversionTest,
    testing::Values(ConversionCase{"TypedRoughness", false, false},
                    ConversionCase{"Zoned", true, false},
                    ConversionCase{"Calibrated", false, true}),
    [](const testing::TestParamInfo<ConversionCase>& info) {
      return std::string(info.param.name);
    });

// Everything, from the example record: the table's blocks and the marks that
// make a later save replace it.
TEST(FlowTableTest, WritesTheBlocksThatASaveRecognisesAsOurs) {
  const std::string examples = XSRATING_EXAMPLES;
  RunParameters params;
  params.data_file_path = examples + "/river_section.txt";
  params.roughness = 0.03;
  params.slope_text = "0.0003";
  params.stage_count = 20;
  Rating rating;
  ASSERT_TRUE(ComputeRating(params, &rating).ok());
  std::vector<StageReading> readings;
  const std::string record = examples + "/river_section_stages.txt";
  ASSERT_TRUE(ReadStageRecord(record, &readings).ok());
  // A reading above the crest, one more day.
  readings.push_back({readings.back().time + 6 * 3600, 52.5});
  StageRecordFlow result;
  ASSERT_TRUE(ComputeStageRecordFlow(rating, nullptr, params.slope_text,
                                     readings, &result)
                  .ok());
  const FlowTableRun run = {record, params.data_file_path, "0.0003",
                            LocalDateTime{2026, 12, 8, 1, 2, 3}};
  const std::string csv = FlowTableCsv(run, rating, readings, result);
  EXPECT_THAT(csv, StartsWith("\xEF\xBB\xBF项目,数值\r\n水位过程文件," +
                              record + "\r\n地形文件," + params.data_file_path +
                              "\r\n糙率,0.03\r\n比降,0.0003\r\n计算时间,"
                              "2026/12/8 1:02:03\r\n记录数,143\r\n起始时间,"
                              "2024-05-31 18:00\r\n终止时间,2024-07-01 "
                              "06:00\r\n河干记录数,0\r\n超出断面记录数,1\r\n"
                              "有效日数,30\r\n缺测日数,2\r\n"));
  EXPECT_THAT(csv, HasSubstr("\r\n\r\n时间,水位,流量,说明\r\n2024-05-31 18:00,"
                             "45.29,"));
  EXPECT_THAT(csv, HasSubstr("\r\n2024-07-01 06:00,52.5,,超出断面\r\n\r\n"
                             "日期,日平均流量,说明\r\n2024-05-31,,缺测\r\n"));
  EXPECT_THAT(csv, HasSubstr("\r\n2024-07-01,,缺测\r\n\r\n逐日平均流量表,"
                             "2024年\r\n日,1月,2月,3月,4月,5月,6月,7月,8月,"
                             "9月,10月,11月,12月\r\n1,,,,,,"));
  EXPECT_THAT(csv, testing::EndsWith("\r\n年平均流量,\r\n年径流量(亿m³),\r\n"));
  // June is whole: its mean is the mean of its thirty days.
  double june = 0;
  for (const DailyFlow& day : result.days) {
    if (RecordDateTime(day.day).month == 6) june += *day.mean;
  }
  EXPECT_THAT(csv, HasSubstr("\r\n平均,,,,,," + YearbookNumber(june / 30) +
                             ",,,,,,\r\n"));
  EXPECT_TRUE(IsOwnFile(OwnFile::kFlowTable, csv.substr(0, kOpeningBytes)));
  EXPECT_FALSE(IsOwnFile(OwnFile::kTable, csv));
  EXPECT_FALSE(IsOwnFile(OwnFile::kFlowTable,
                         "\xEF\xBB\xBF项目,数值\r\n率定糙率,0.03\r\n"));
  EXPECT_FALSE(
      IsOwnFile(OwnFile::kFlowTable, RatingTableCsv(rating.hydraulic_rows)));
  EXPECT_EQ(FlowTablePath("/data/2024年.txt"), "/data/2024年流量.csv");
  EXPECT_EQ(FlowTablePath("/data/记录"), "/data/记录流量.csv");
  EXPECT_EQ(FlowTablePath("/data.d/a.b.txt"), "/data.d/a.b流量.csv");
  EXPECT_EQ(FlowTablePath("/data/.txt"), "/data/.txt流量.csv");
#ifdef _WIN32
  EXPECT_EQ(FlowTablePath("D:\\水文\\2024.txt"), "D:\\水文\\2024流量.csv");
#endif
}

}  // namespace
}  // namespace xsrating
