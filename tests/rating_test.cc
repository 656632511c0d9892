// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/hydraulics/rating.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/output/rating_heading.h"
#include "core/run/rating_warnings.h"

namespace xsrating {
namespace {

// The rating of `points` with the other inputs of a run.
Status Rate(std::vector<SectionPoint> points, double roughness,
            const char* slope, double stage_count, Rating* rating) {
  RunParameters params;
  params.roughness = roughness;
  params.slope_text = slope;
  params.stage_count = stage_count;
  return RateSection(CrossSection{std::move(points)}, params, rating);
}

struct KnownCase {
  const char* name;
  std::vector<SectionPoint> points;
  double stage_count;
  int stage;  // 1-based.
  double level;
  double area;
  double perimeter;
  double top_width;
  friend void PrintTo(const KnownCase& c, std::ostream* os) { *os << c.name; }
};

class HydraulicTableTest : public testing::TestWithParam<KnownCase> {};

TEST_P(HydraulicTableTest, MatchesTheHandWorkedSection) {
  const KnownCase& c = GetParam();
  Rating rating;
  const Status status = Rate(c.points, 0.025, "0.0004", c.stage_count, &rating);
  ASSERT_TRUE(status.ok()) << status.message();
  const std::vector<HydraulicRow>& rows = rating.hydraulic_rows;
  ASSERT_GE(rows.size(), static_cast<size_t>(c.stage));
  const HydraulicRow& row = rows[c.stage - 1];
  EXPECT_DOUBLE_EQ(row.stage, c.level);
  EXPECT_DOUBLE_EQ(row.area, c.area);
  EXPECT_NEAR(row.perimeter, c.perimeter, 1e-9);
  EXPECT_DOUBLE_EQ(row.top_width, c.top_width);
  EXPECT_DOUBLE_EQ(row.hydraulic_radius, c.area / row.perimeter);
  EXPECT_DOUBLE_EQ(row.mean_velocity, row.discharge / c.area);

  // The area and discharge are those of the result file's table.
  StageDischargeTable table;
  ASSERT_TRUE(ComputeStageDischarge(CrossSection{c.points}, 0.025, "0.0004",
                                    c.stage_count, &table)
                  .ok());
  EXPECT_EQ(row.area, table.rows[c.stage - 1].area);
  EXPECT_EQ(row.discharge, table.rows[c.stage - 1].discharge);
  EXPECT_EQ(rating.table.rows.size(), rows.size());
  EXPECT_EQ(rating.section.points.size(), c.points.size());
}

const double kRoot2 = std::sqrt(2.0);

INSTANTIATE_TEST_SUITE_P(
    Sections, HydraulicTableTest,
    testing::Values(
        // 4 m wide, walls 3 m high: A = 4h, P = 4 + 2h, T = 4.
        KnownCase{
            "Rectangle", {{0, 3}, {0, 0}, {4, 0}, {4, 3}}, 3, 2, 2, 8, 8, 4},
        KnownCase{"RectangleFull",
                  {{0, 3}, {0, 0}, {4, 0}, {4, 3}},
                  3,
                  3,
                  3,
                  12,
                  10,
                  4},
        // Bed 6 m, banks 1:1, 4 m high: A = h(6 + h), P = 6 + 2h√2.
        KnownCase{"Trapezoid",
                  {{0, 4}, {4, 0}, {10, 0}, {14, 4}},
                  4,
                  2,
                  2,
                  16,
                  6 + 4 * kRoot2,
                  10},
        KnownCase{"V",
                  {{0, 5}, {10, 0}, {20, 0}, {30, 5}},
                  5,
                  3,
                  3,
                  48,
                  10 + 2 * std::sqrt(9.0 + 36.0),
                  22},
        // A bar at 4 splits the water at 3 into two channels.
        KnownCase{"Island",
                  {{0, 5}, {5, 0}, {10, 4}, {15, 0}, {20, 5}},
                  5,
                  3,
                  3,
                  20.25,
                  2 * std::sqrt(18.0) + 2 * std::sqrt(3.75 * 3.75 + 9),
                  13.5},
        // Vertical walls add their wetted height and no width.
        KnownCase{"VerticalBank",
                  {{0, 5}, {2, 5}, {2, 1}, {6, 1}, {6, 5}},
                  4,
                  2,
                  3,
                  8,
                  8,
                  4}),
    [](const testing::TestParamInfo<KnownCase>& info) {
      return info.param.name;
    });

TEST(HydraulicTableTest, ManningByHand) {
  // Rectangle at 2 m: A = 8, P = 8, R = 1, so Q = A √S / n.
  Rating rating;
  ASSERT_TRUE(
      Rate({{0, 3}, {0, 0}, {4, 0}, {4, 3}}, 0.02, "0.001", 3, &rating).ok());
  const std::vector<HydraulicRow>& rows = rating.hydraulic_rows;
  EXPECT_EQ(rows[1].hydraulic_radius, 1);
  EXPECT_EQ(rows[1].discharge, 12.65);  // 8 × 0.0316228 / 0.02 = 12.649.
  EXPECT_DOUBLE_EQ(rows[1].mean_velocity, 12.65 / 8);
}

TEST(HydraulicTableTest, NoAreaMeansNoVelocity) {
  // A V 2 m wide and 1 m deep in steps of 0.01 m: the first stage's water,
  // 0.02 m wide and 0.01 m deep, rounds to no area at all.
  Rating rating;
  ASSERT_TRUE(Rate({{0, 1}, {1, 0}, {2, 1}}, 0.03, "0.001", 100, &rating).ok());
  const std::vector<HydraulicRow>& rows = rating.hydraulic_rows;
  EXPECT_EQ(rows[0].area, 0);
  EXPECT_EQ(rows[0].discharge, 0);
  EXPECT_EQ(rows[0].mean_velocity, 0);
  EXPECT_NEAR(rows[0].top_width, 0.02, 1e-12);
  EXPECT_GT(rows.back().mean_velocity, 0);
}

TEST(HydraulicTableTest, FailsAsTheTableDoesAndKeepsTheSection) {
  Rating rating;
  const Status status =
      Rate({{0, 5}, {10, 0}, {20, 0}, {30, 5}}, 0, "0.0004", 5, &rating);
  ASSERT_FALSE(status.ok());
  EXPECT_EQ(status.kind(), StatusKind::kBadInput);
  EXPECT_NE(status.message().find("糙率"), std::string::npos);
  EXPECT_EQ(rating.section.points.size(), 4u);
  EXPECT_TRUE(rating.table.rows.empty());
  EXPECT_TRUE(rating.hydraulic_rows.empty());
}

// The one stage-count guard of every front end: above 100, strictly, a rating
// has 20 stages.
struct GuardCase {
  double requested;
  double effective;
  size_t rows;
};

class StageGuardTest : public testing::TestWithParam<GuardCase> {};

TEST_P(StageGuardTest, RatesTheEffectiveStageCount) {
  const GuardCase& c = GetParam();
  EXPECT_EQ(ExceedsStageLimit(c.requested), c.effective != c.requested);
  Rating rating;
  ASSERT_TRUE(Rate({{0, 5}, {10, 0}, {20, 0}, {30, 5}}, 0.025, "0.0004",
                   c.requested, &rating)
                  .ok());
  EXPECT_EQ(rating.stage_count, c.effective);
  EXPECT_EQ(rating.table.rows.size(), c.rows);
  EXPECT_EQ(rating.hydraulic_rows.size(), c.rows);
}

INSTANTIATE_TEST_SUITE_P(Counts, StageGuardTest,
                         testing::Values(GuardCase{5, 5, 5},
                                         GuardCase{100, 100, 100},
                                         GuardCase{100.5, 20, 20},
                                         GuardCase{150, 20, 20},
                                         GuardCase{1e300, 20, 20}));

// What a rating that was computed all the same warns about. Each expected
// warning is given by parts of its text, in the order of the warnings.
struct WarningCase {
  const char* name;
  std::vector<SectionPoint> points;
  double roughness;
  const char* slope;
  std::vector<std::vector<std::string>> warnings;
  std::vector<RoughnessZone> zones = {};  // In place of the roughness.
  double stage_count = 5;
  friend void PrintTo(const WarningCase& c, std::ostream* os) { *os << c.name; }
};

class RatingWarningsTest : public testing::TestWithParam<WarningCase> {};

TEST_P(RatingWarningsTest, NamesWhatToCheck) {
  const WarningCase& c = GetParam();
  RunParameters params;
  params.roughness = c.roughness;
  params.slope_text = c.slope;
  params.stage_count = c.stage_count;
  params.zones = c.zones;
  Rating rating;
  ASSERT_TRUE(RateSection(CrossSection{c.points}, params, &rating).ok());
  const std::vector<std::string> warnings = RatingWarnings(rating, params);
  ASSERT_EQ(warnings.size(), c.warnings.size())
      << testing::PrintToString(warnings);
  for (size_t i = 0; i < warnings.size(); ++i) {
    for (const std::string& part : c.warnings[i]) {
      EXPECT_THAT(warnings[i], testing::HasSubstr(part));
    }
    EXPECT_EQ(warnings[i].find_first_of("\r\n"), std::string::npos);
  }
}

const std::vector<SectionPoint> kV = {{0, 5}, {10, 0}, {20, 0}, {30, 5}};
const char kBankRule[] = "地形数据应从一岸最高点到对岸最高点";

INSTANTIATE_TEST_SUITE_P(
    Cases, RatingWarningsTest,
    testing::Values(
        WarningCase{"Plain", kV, 0.025, "0.0004", {}},
        // Stages 1 to 5; a land-side point at 4 behind a levee at 6 lets the
        // water of stage 5 out over the first end.
        WarningCase{"LeveeBeforeTheFirstBank",
                    {{-5, 4}, {-2, 6}, {0, 5}, {10, 0}, {20, 0}, {30, 5}},
                    0.025,
                    "0.0004",
                    {{"起点一端（第 1 个测点，起点距 -5）的高程 4 ",
                      "最高计算水位 5", "从第 5 个水位 5 起", kBankRule}}},
        // 500 for 5: the table goes up to the higher bank, 5, above the
        // other end.
        WarningCase{"MistypedElevation",
                    {{0, 5}, {10, 0}, {15, 500}, {20, 0}, {30, 4.5}},
                    0.025,
                    "0.0004",
                    {{"终点一端（第 5 个测点，起点距 30）的高程 4.5 ",
                      "从第 5 个水位 5 起", kBankRule}}},
        WarningCase{"BothEnds",
                    {{0, 3}, {5, 6}, {10, 1}, {20, 1}, {25, 6}, {30, 3}},
                    0.025,
                    "0.0004",
                    {{"起点一端", "从第 3 个水位 4 起"},
                     {"终点一端（第 6 个测点", "从第 3 个水位 4 起"}}},
        WarningCase{"EndExactlyAtTheTopStage",
                    {{0, 5}, {10, 0}, {20, 0}, {30, 5}, {31, 9}},
                    0.025,
                    "0.0004",
                    {}},
        WarningCase{"RoughnessTooLarge",
                    kV,
                    0.3,
                    "0.0004",
                    {{"糙率 0.3 不在", "0.008 到 0.25 之间"}}},
        WarningCase{"RoughnessTooSmall", kV, 0.0025, "0.0004", {{"糙率"}}},
        WarningCase{"ZoneRoughnessTooLarge",
                    kV,
                    0,
                    "0.0004",
                    {{"糙率 0.3 不在"}},
                    {{0, 0.03}, {10, 0.3}}},
        WarningCase{"RoughnessAtTheBounds", kV, 0.008, "0.1", {}},
        WarningCase{"RoughnessAtTheUpperBound", kV, 0.25, "4e-4", {}},
        WarningCase{"SlopeTooSteep",
                    kV,
                    0.025,
                    "0.5",
                    {{"比降 0.5 大于 0.1", "0.0004"}}},
        WarningCase{"SlopeZero", kV, 0.025, "0", {{"比降为 0", "流量都是 0"}}},
        // The step is (5 - 0) / 7.9 truncated to 0.63, and 7 rows reach
        // 4.41 only.
        WarningCase{"FractionalStageCount",
                    kV,
                    0.025,
                    "0.0004",
                    {{"点子数量 7.9 不是整数", "表中只有 7 行",
                      "最高计算水位 4.41 低于较低一岸的堤顶 5", "例如 8"}},
                    {},
                    7.9},
        WarningCase{"WholeStageCountOfADouble", kV, 0.025, "0.0004", {}, {}, 8},
        WarningCase{"SpillThenParameters",
                    {{-5, 4}, {-2, 6}, {0, 5}, {10, 0}, {20, 0}, {30, 5}},
                    0.5,
                    "-0",
                    {{"起点一端"}, {"糙率"}, {"比降为 0"}}}),
    [](const testing::TestParamInfo<WarningCase>& info) {
      return info.param.name;
    });

TEST(RatingWarningsTest, ParametersThatFailTheRunAreNotWarnedAbout) {
  RunParameters params;
  for (const char* slope : {"abc", "-0.5", ""}) {
    params.roughness = -1;
    params.slope_text = slope;
    EXPECT_TRUE(ParameterWarnings(params).empty()) << slope;
  }
}

TEST(RatingWarningsTest, ExtensionBeyondThirtyPercent) {
  RatingAnalysis analysis;
  analysis.highest_gauged_stage = 48.52;
  for (const std::optional<double> extension :
       {std::optional<double>(), std::optional(0.0), std::optional(30.0)}) {
    analysis.extension_percent = extension;
    EXPECT_EQ(ExtensionWarning(analysis), std::nullopt);
  }
  analysis.extension_percent = 91.11;
  const std::optional<std::string> warning = ExtensionWarning(analysis);
  ASSERT_TRUE(warning);
  EXPECT_THAT(*warning, testing::HasSubstr("外延幅度 91.1%，超过了通常允许的 "
                                           "30%：高于最高实测水位 48.52 "));
}

// A figure's heading names the survey, its roughness or zones, and the
// slope as typed.
TEST(RatingHeadingTest, NamesSurveyRoughnessAndSlope) {
  RunParameters params;
  params.data_file_path = "/data/测站/sec1.txt";
  params.roughness = 0.025;
  params.slope_text = "1/2500";
  EXPECT_EQ(RatingHeading(params),
            "sec1\u3000糙率 n = 0.025\u3000比降 S = 1/2500");
  params.zones = {{0, 0.05, 1}, {10, 0.025, 2}};
  params.zone_method = ZoneMethod::kComposite;
  EXPECT_EQ(RatingHeading(params),
            "sec1\u3000分区糙率 n = 0.05、0.025（综合）\u3000比降 S = 1/2500");
  // Too many to name: the least, the most and the count.
  params.zones.clear();
  for (int i = 0; i < 7; ++i)
    params.zones.push_back({i * 10.0, 0.02 + i / 100.0});
  params.zone_method = ZoneMethod::kSubsection;
  EXPECT_EQ(RatingHeading(params),
            "sec1\u3000分区糙率 n = 0.02～0.08，共 7 区（分区）\u3000比降 S = "
            "1/2500");
}

}  // namespace
}  // namespace xsrating
