// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/hydraulics/stage_discharge.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "fuzz/reference_geometry.h"

namespace xsrating {
namespace {

using testing::HasSubstr;

CrossSection Section(std::vector<SectionPoint> points) {
  return CrossSection{std::move(points)};
}

const CrossSection kVSection = Section({{0, 5}, {10, 0}, {20, 0}, {30, 5}});

TEST(StageDischargeTest, FourPointSectionGivesTheKnownTable) {
  StageDischargeTable table;
  const Status status =
      ComputeStageDischarge(kVSection, 0.025, "0.0004", 5, &table);
  ASSERT_TRUE(status.ok()) << status.message();
  EXPECT_EQ(table.levels.z_min, 0);
  EXPECT_EQ(table.levels.z_top, 5);
  EXPECT_EQ(table.levels.dz, 1);
  const double perimeters[] = {14.4721, 18.9443, 23.4164, 27.8885, 32.3607};
  const double widths[] = {14, 18, 22, 26, 30};
  const StageRow rows[] = {{1, 12, 8.47},
                           {2, 28, 29.06},
                           {3, 48, 61.96},
                           {4, 72, 108.4},
                           {5, 100, 169.72}};
  ASSERT_EQ(table.rows.size(), 5u);
  for (int j = 0; j < 5; ++j) {
    EXPECT_NEAR(table.geometry.perimeter[j], perimeters[j], 1e-4) << j;
    EXPECT_EQ(table.geometry.top_width[j], widths[j]) << j;
    EXPECT_EQ(table.rows[j].stage, rows[j].stage) << j;
    EXPECT_EQ(table.rows[j].area, rows[j].area) << j;
    EXPECT_EQ(table.rows[j].discharge, rows[j].discharge) << j;
  }
}

struct LevelsCase {
  const char* name;
  std::vector<double> elevations;
  double stage_count;
  double z_min;
  double z_top;
  double dz;
  std::vector<double> levels;
  friend void PrintTo(const LevelsCase& c, std::ostream* os) { *os << c.name; }
};

class StageLevelsTest : public testing::TestWithParam<LevelsCase> {};

TEST_P(StageLevelsTest, StepsUpToTheLowerCrest) {
  const LevelsCase& c = GetParam();
  CrossSection section;
  for (size_t k = 0; k < c.elevations.size(); ++k) {
    section.points.push_back({static_cast<double>(k), c.elevations[k]});
  }
  StageLevelTable levels;
  const Status status = StageLevels(section, c.stage_count, &levels);
  ASSERT_TRUE(status.ok()) << status.message();
  EXPECT_EQ(levels.z_min, c.z_min);
  EXPECT_EQ(levels.z_top, c.z_top);
  EXPECT_EQ(levels.dz, c.dz);
  EXPECT_EQ(levels.levels, c.levels);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StageLevelsTest,
    testing::Values(
        LevelsCase{
            "CrestsFiveAndSeven", {5, 0, 1, 7}, 5, 0, 5, 1, {1, 2, 3, 4, 5}},
        LevelsCase{"CrestsSevenAndSeven", {7, 0, 1, 7}, 2, 0, 7, 3.5, {3.5, 7}},
        // The lower crest comes before the higher, or is the very first.
        LevelsCase{
            "CrestFiveThenSeven", {5, 7, 1, 0, 2}, 5, 0, 5, 1, {1, 2, 3, 4, 5}},
        LevelsCase{"HighestFirst", {7, 5, 0, 6}, 2, 0, 6, 3, {3, 6}},
        LevelsCase{"StepIsTruncated",
                   {2.5, 0, 2.5},
                   3,
                   0,
                   2.5,
                   0.83,
                   {0.83, 2 * 0.83, 3 * 0.83}},
        LevelsCase{"FractionalCountUsesItsValue",
                   {4.5, 0, 4.5},
                   4.5,
                   0,
                   4.5,
                   1,
                   {1, 2, 3, 4}},
        LevelsCase{
            "FractionalCountOfOneStage", {5, 0, 5}, 1.9, 0, 5, 2.63, {2.63}},
        LevelsCase{"StagesAboveAHighBed",
                   {100.9, 100, 100.9},
                   3,
                   100,
                   100.9,
                   0.3,
                   {1 * 0.3 + 100.0, 2 * 0.3 + 100.0, 3 * 0.3 + 100.0}},
        LevelsCase{"HundredStages",
                   {1, 0, 1},
                   100,
                   0,
                   1,
                   0.01,
                   [] {
                     std::vector<double> h;
                     for (int j = 1; j <= 100; ++j) h.push_back(j * 0.01);
                     return h;
                   }()}),
    [](const testing::TestParamInfo<LevelsCase>& info) {
      return info.param.name;
    });

struct GeometryCase {
  const char* name;
  CrossSection section;
  double level;
  double area;
  double perimeter;
  double top_width;
  friend void PrintTo(const GeometryCase& c, std::ostream* os) {
    *os << c.name;
  }
};

class WettedGeometryTest : public testing::TestWithParam<GeometryCase> {};

TEST_P(WettedGeometryTest, SumsEveryWetPart) {
  const GeometryCase& c = GetParam();
  const WettedGeometry g = ComputeWettedGeometry(c.section, {c.level});
  EXPECT_DOUBLE_EQ(g.area[0], c.area);
  EXPECT_DOUBLE_EQ(g.perimeter[0], c.perimeter);
  EXPECT_DOUBLE_EQ(g.top_width[0], c.top_width);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WettedGeometryTest,
    testing::Values(
        // Stage 1 of the V: case A with xc = 8, B, then C with xc = 22.
        GeometryCase{"VAtStageOne", kVSection, 1, 12, 10 + 2 * std::sqrt(5.0),
                     14},
        // End points exactly at the water are dry: A with xc = 0, C with 30.
        GeometryCase{"VAtTheCrests", kVSection, 5, 100,
                     10 + 2 * std::sqrt(125.0), 30},
        GeometryCase{"Rectangle", Section({{0, 3}, {0, 0}, {4, 0}, {4, 3}}), 2,
                     8, 8, 4},
        GeometryCase{"VerticalBankInCaseA",
                     Section({{0, 5}, {2, 5}, {2, 1}, {6, 1}, {6, 5}}), 3, 8, 8,
                     4}));

TEST(WettedGeometryTest, IslandIsSummedOverBothChannels) {
  // Bar at 4 between two V channels of depth 5 and 4 below the water at 3.
  const CrossSection section =
      Section({{0, 5}, {5, 0}, {10, 4}, {15, 0}, {20, 5}});
  const WettedGeometry g = ComputeWettedGeometry(section, {3, 4.5});
  // At 3: left channel spans 5*2/5=2..5+5*3/4=8.75, right 11.25..18.
  const double left = 3 * (5 - 2) / 2.0 + 3 * (8.75 - 5) / 2.0;
  const double right = 3 * (15 - 11.25) / 2.0 + 3 * (18 - 15) / 2.0;
  EXPECT_DOUBLE_EQ(g.area[0], left + right);
  EXPECT_DOUBLE_EQ(g.top_width[0], (8.75 - 2) + (18 - 11.25));
  // At 4.5 the bar is under water: one surface from 0.5 to 19.5.
  EXPECT_DOUBLE_EQ(g.top_width[1], 19);
}

TEST(WettedGeometryTest, PointAtTheWaterLevelIsDry) {
  // Point 2 lies exactly at the level: segment 1 is dry, segment 2 falls
  // into the water with its crossing at point 2 itself.
  const CrossSection section = Section({{0, 5}, {4, 2}, {8, 0}, {12, 5}});
  const WettedGeometry g = ComputeWettedGeometry(section, {2});
  const double right_xc = 8 + 2 * (4.0 / 5);
  EXPECT_DOUBLE_EQ(g.top_width[0], 12 - 4 - (12 - right_xc));
  EXPECT_DOUBLE_EQ(g.area[0], 2 * 4 / 2.0 + 2 * (right_xc - 8) / 2);
}

TEST(WettedGeometryTest, MatchesTheCaseByCaseFormulasBitForBit) {
  std::mt19937 random(20261207);
  std::uniform_real_distribution<double> step(0, 8);
  std::uniform_real_distribution<double> bed(-3, 12);
  std::uniform_int_distribution<int> size(2, 300);
  std::bernoulli_distribution repeat(0.1);
  for (int trial = 0; trial < 200; ++trial) {
    CrossSection section;
    double x = step(random);
    const int n = size(random);
    for (int k = 0; k < n; ++k) {
      // Vertical banks, flat stretches and levels hitting points exactly.
      const bool same_x = repeat(random) && k > 0;
      const bool same_z = repeat(random) && k > 0;
      if (!same_x) x += std::round(step(random) * 10) / 10;
      const double z = same_z ? section.points.back().elevation
                              : std::round(bed(random) * 100) / 100;
      section.points.push_back({x, z});
    }
    StageLevelTable levels;
    ASSERT_TRUE(StageLevels(section, 1 + trial % 100, &levels).ok());
    const WettedGeometry fast = ComputeWettedGeometry(section, levels.levels);
    const WettedGeometry plain =
        hardening::ReferenceGeometry(section, levels.levels);
    ASSERT_EQ(fast.area, plain.area) << "trial " << trial;
    ASSERT_EQ(fast.perimeter, plain.perimeter) << "trial " << trial;
    ASSERT_EQ(fast.top_width, plain.top_width) << "trial " << trial;
  }
}

TEST(StageRowTest, RoundsAreaBeforeTheRadius) {
  StageLevelTable levels;
  levels.levels = {1};
  levels.dz = 1;
  WettedGeometry g;
  g.area = {10.005};  // Rounds up to 10.01, which the radius must use.
  g.perimeter = {5};
  g.top_width = {5};
  StageRow row;
  ASSERT_TRUE(ComputeStageRow(levels, g, 1, 0.03, "0.001", &row).ok());
  const double area = std::floor(10.005 * 100 + 0.5) / 100;
  const double q =
      (((1 / 0.03) * std::pow(area / 5, 2.0 / 3.0)) * std::pow(0.001, 0.5)) *
      area;
  EXPECT_EQ(row.area, area);
  EXPECT_EQ(row.discharge, std::floor(q * 100 + 0.5) / 100);
}

TEST(StageRowTest, ZeroSlopeGivesZeroDischarge) {
  StageDischargeTable table;
  ASSERT_TRUE(ComputeStageDischarge(kVSection, 0.025, "0", 2, &table).ok());
  EXPECT_EQ(table.rows[1].discharge, 0);
  ASSERT_TRUE(ComputeStageDischarge(kVSection, 0.025, "-0", 2, &table).ok());
  EXPECT_EQ(table.rows[1].discharge, 0);
}

struct FailureCase {
  const char* name;
  CrossSection section;
  double roughness;
  const char* slope;
  double stage_count;
  std::vector<std::string> message_parts;
  friend void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }
};

class StageDischargeFailureTest : public testing::TestWithParam<FailureCase> {};

TEST_P(StageDischargeFailureTest, SaysWhatIsWrong) {
  const FailureCase& c = GetParam();
  StageDischargeTable table;
  const Status status = ComputeStageDischarge(c.section, c.roughness, c.slope,
                                              c.stage_count, &table);
  ASSERT_FALSE(status.ok());
  for (const std::string& part : c.message_parts) {
    EXPECT_THAT(status.message(), HasSubstr(part));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Failures, StageDischargeFailureTest,
    testing::Values(
        FailureCase{"NoPoints", {}, 0.025, "0.0004", 5, {"没有测点"}},
        FailureCase{"OnePointWhateverTheCount",
                    Section({{0, 1}}),
                    0.025,
                    "0.0004",
                    0.5,
                    {"1 个测点"}},
        FailureCase{"DistancesGoBack",
                    Section({{0, 5}, {10, 0}, {9, 0}, {30, 5}}),
                    0.025,
                    "0.0004",
                    5,
                    {"第 3 个测点", "9", "10"}},
        FailureCase{"NoStageCount",
                    kVSection,
                    0.025,
                    "0.0004",
                    0,
                    {"点子数量必须在 1 到 100 之间，现在是 0。"}},
        // Below one stage the table would be empty; it must not look like a
        // result.
        FailureCase{"StageCountBelowOne",
                    kVSection,
                    0,
                    "not a slope",
                    0.5,
                    {"点子数量必须在 1 到 100 之间，现在是 .5。"}},
        FailureCase{"NegativeStageCount",
                    kVSection,
                    0.025,
                    "0.0004",
                    -5,
                    {"点子数量必须在 1 到 100 之间，现在是 -5。"}},
        // The run's guard replaces such a count; the table itself refuses it.
        FailureCase{"MoreThanAHundredStages",
                    kVSection,
                    0.025,
                    "0.0004",
                    101,
                    {"点子数量必须在 1 到 100 之间，现在是 101。"}},
        FailureCase{"StepTruncatedToZero",
                    Section({{0, 0.5}, {1, 0}, {2, 0.5}}),
                    0.025,
                    "0.0004",
                    100,
                    {"第 1 个水位", "湿周为 0", "水位间隔为 0"}},
        FailureCase{"ZeroRoughness", kVSection, 0, "0.0004", 5, {"糙率"}},
        FailureCase{"NegativeRoughness",
                    kVSection,
                    -0.025,
                    "0.0004",
                    5,
                    {"糙率", "-.025"}},
        FailureCase{
            "InfiniteRoughness", kVSection, INFINITY, "0.0004", 5, {"糙率"}},
        FailureCase{"EmptySlope", kVSection, 0.025, "", 5, {"比降“”不是数字"}},
        FailureCase{
            "SlopeNotANumber", kVSection, 0.025, "4‰", 5, {"比降“4‰”不是数字"}},
        FailureCase{"NegativeSlope",
                    kVSection,
                    0.025,
                    "-0.0004",
                    5,
                    {"比降不能是负数", "-0.0004"}},
        FailureCase{"AreaBeyondRange",
                    Section({{-1e308, 5}, {0, 0}, {1e308, 5}}),
                    0.025,
                    "0.0004",
                    1,
                    {"数值范围"}},
        FailureCase{"CrestsTooFarApart",
                    Section({{0, 1e308}, {1, -1e308}, {2, 1e308}}),
                    0.025,
                    "0.0004",
                    1,
                    {"高程"}}),
    [](const testing::TestParamInfo<FailureCase>& info) {
      return info.param.name;
    });

}  // namespace
}  // namespace xsrating
