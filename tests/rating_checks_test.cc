// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/calibration/rating_checks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace xsrating {
namespace {

// Quantiles with a closed form or from the printed tables.
const double kNormal875 = 1.1503493803760079;  // u(1 - 0.25/2)
const double kNormal95 = 1.6448536269514722;   // u(1 - 0.05)
const double kNormal90 = 1.2815515655446004;   // u(1 - 0.2/2)
const double kStudent90Df1 =
    std::tan(0.4 * std::numbers::pi);  // tan(pi (p - 1/2))
const double kStudent90Df2 =
    0.8 / std::sqrt(2 * 0.9 * 0.1);  // (2p - 1)/sqrt(2pq)
const double kStudent90Df5 = 1.475884;
const double kStudent90Df7 = 1.414924;
const double kStudent90Df9 = 1.383029;

struct ExpectedTest {
  CheckVerdict verdict;
  std::optional<double> statistic = std::nullopt;
  std::optional<double> critical_value = std::nullopt;
};

struct ChecksCase {
  const char* name;
  std::vector<StageDeviation> points;  // In file order.
  CheckLevels levels;
  ExpectedTest sign;
  ExpectedTest runs;
  ExpectedTest deviation;
  std::optional<double> systematic;
  std::optional<double> random;
};

void PrintTo(const ChecksCase& c, std::ostream* out) { *out << c.name; }

constexpr CheckVerdict kPass = CheckVerdict::kPass;
constexpr CheckVerdict kFail = CheckVerdict::kFail;
constexpr CheckVerdict kNotTested = CheckVerdict::kNotTested;
constexpr CheckVerdict kTooFew = CheckVerdict::kTooFewPoints;

class RatingChecksTest : public testing::TestWithParam<ChecksCase> {};

void ExpectTest(const char* what, const CheckResult& got,
                const ExpectedTest& want, double level) {
  SCOPED_TRACE(what);
  EXPECT_EQ(got.verdict, want.verdict) << CheckVerdictText(got.verdict);
  EXPECT_EQ(got.level, level);
  ASSERT_EQ(got.statistic.has_value(), want.statistic.has_value());
  ASSERT_EQ(got.critical_value.has_value(), want.critical_value.has_value());
  if (want.statistic) {
    EXPECT_NEAR(*got.statistic, *want.statistic, 1e-12);
  }
  // The printed tables give six decimals.
  if (want.critical_value) {
    EXPECT_NEAR(*got.critical_value, *want.critical_value, 1e-6);
  }
}

TEST_P(RatingChecksTest, GivesTheFiguresWorkedOutByHand) {
  const ChecksCase& c = GetParam();
  RatingChecks checks;
  ASSERT_TRUE(CheckDeviations(c.points, c.levels, &checks).ok());
  ExpectTest("符号检验", checks.sign, c.sign, c.levels.sign);
  ExpectTest("适线检验", checks.runs, c.runs, c.levels.runs);
  ExpectTest("偏离数值检验", checks.deviation, c.deviation, c.levels.deviation);
  ASSERT_EQ(checks.systematic_error_percent.has_value(),
            c.systematic.has_value());
  if (c.systematic) {
    EXPECT_NEAR(*checks.systematic_error_percent, *c.systematic, 1e-12);
  }
  ASSERT_EQ(checks.random_uncertainty_percent.has_value(),
            c.random.has_value());
  if (c.random) {
    EXPECT_NEAR(*checks.random_uncertainty_percent, *c.random, 1e-12);
  }
}

INSTANTIATE_TEST_SUITE_P(
    DeviationSets, RatingChecksTest,
    testing::Values(
        // Signs alternate: K+ = 3 of 6, u = -0.5 / (0.5 sqrt 6); K = 5 >=
        // 2.5 changes; P̄ = 0 so t = 0; sum P^2 = 28.
        ChecksCase{"BalancedAndAlternating",
                   {{1, 2}, {2, -1}, {3, 3}, {4, -2}, {5, 1}, {6, -3}},
                   {},
                   {kPass, -0.5 / (0.5 * std::sqrt(6.0)), kNormal875},
                   {kNotTested},
                   {kPass, 0, kStudent90Df5},
                   0,
                   2 * std::sqrt(28 / 4.0)},
        // All above: K+ = 3, u = 1 / (0.5 sqrt 3) = 1.1547, just over
        // 1.1503; no change among 3, u = 0.5 / (0.5 sqrt 2); P̄ = 2, S = 1,
        // t = 2 sqrt 3.
        ChecksCase{"AllAboveTheCurve",
                   {{1, 1}, {2, 2}, {3, 3}},
                   {},
                   {kFail, 1 / (0.5 * std::sqrt(3.0)), kNormal875},
                   {kPass, 0.5 / (0.5 * std::sqrt(2.0)), kNormal95},
                   {kFail, 2 * std::sqrt(3.0), kStudent90Df2},
                   2,
                   2 * std::sqrt(14.0)},
        // The same at a = 0.2 for the sign test, and 0.5 for the deviation
        // test: t(0.75, 2) = 0.5 / sqrt(2 * 0.75 * 0.25) by the closed form.
        ChecksCase{
            "AllAboveTheCurveAtOtherLevels",
            {{1, 1}, {2, 2}, {3, 3}},
            {0.2, 0.05, 0.5},
            {kPass, 1 / (0.5 * std::sqrt(3.0)), kNormal90},
            {kPass, 0.5 / (0.5 * std::sqrt(2.0)), kNormal95},
            {kFail, 2 * std::sqrt(3.0), 0.5 / std::sqrt(2 * 0.75 * 0.25)},
            2,
            2 * std::sqrt(14.0)},
        // In file order the signs alternate; along the stage five below then
        // five above: K = 1 of n' = 10, u = (4.5 - 1 - 0.5) / 1.5 = 2.
        ChecksCase{"CurveMissesABend",
                   {{6, 1},
                    {1, -2},
                    {7, 2},
                    {2, -3},
                    {8, 3},
                    {3, -1},
                    {9, 2},
                    {4, -2},
                    {10, 1},
                    {5, -1}},
                   {},
                   {kPass, -0.5 / (0.5 * std::sqrt(10.0)), kNormal875},
                   {kFail, 2, kNormal95},
                   {kPass, 0, kStudent90Df9},
                   0,
                   2 * std::sqrt(38 / 8.0)},
        // Equal stages keep file order and P = 0 is left out of the runs:
        // +2, -1, +1, -2, -1, -3 changes sign 3 times, >= 2.5. (Sorting the
        // ties otherwise, or counting a zero as a sign, would test it.)
        // K+ = 2 + 2 * 0.5 = 3 of 8; P̄ = -0.5, sum (P - P̄)^2 = 18, so
        // t = -0.5 sqrt 8 / sqrt(18 / 7) = -sqrt(7 / 9).
        ChecksCase{"TiesInStageAndZeros",
                   {{1.0, 2},
                    {1.5, 0},
                    {2.0, -1},
                    {2.0, 1},
                    {2.0, 0},
                    {3.0, -2},
                    {3.0, -1},
                    {4.0, -3}},
                   {},
                   {kPass, 0.5 / (0.5 * std::sqrt(8.0)), kNormal875},
                   {kNotTested},
                   {kPass, -std::sqrt(7 / 9.0), kStudent90Df7},
                   -0.5,
                   2 * std::sqrt(20 / 6.0)},
        // One point off the curve: n' = 1. P̄ = 5/3, S = 5 / sqrt 3, t = 1.
        ChecksCase{"OnlyOnePointOffTheCurve",
                   {{1, 0}, {2, 5}, {3, 0}},
                   {},
                   {kPass, 0, kNormal875},
                   {kTooFew},
                   {kPass, 1, kStudent90Df2},
                   5 / 3.0,
                   10},
        // S = 0 gives t = 0; two equal signs: u = (0.5 - 0 - 0.5) / 0.5.
        ChecksCase{"EqualDeviations",
                   {{1, 3}, {2, 3}},
                   {},
                   {kPass, 0.5 / (0.5 * std::sqrt(2.0)), kNormal875},
                   {kPass, 0, kNormal95},
                   {kPass, 0, kStudent90Df1},
                   3,
                   std::nullopt},
        ChecksCase{"TwoPoints",
                   {{1, 1}, {2, -1}},
                   {},
                   {kPass, -0.5 / (0.5 * std::sqrt(2.0)), kNormal875},
                   {kNotTested},
                   {kPass, 0, kStudent90Df1},
                   0,
                   std::nullopt},
        ChecksCase{"OnePoint",
                   {{1, 3}},
                   {},
                   {kTooFew},
                   {kTooFew},
                   {kTooFew},
                   3,
                   std::nullopt},
        ChecksCase{"NoPoints",
                   {},
                   {},
                   {kTooFew},
                   {kTooFew},
                   {kTooFew},
                   std::nullopt,
                   std::nullopt}),
    [](const testing::TestParamInfo<ChecksCase>& info) {
      return std::string(info.param.name);
    });

// Boost.Math would throw for a quantile beyond a double.
TEST(RatingChecksTest, LevelsAtTheEndsOfTheIntervalStillGiveVerdicts) {
  const StageDeviation points[] = {{1, 1}, {2, 2}, {3, 3}};
  struct Case {
    double level;
    CheckVerdict verdict;  // Of the sign and deviation tests.
  };
  for (const Case& c :
       {Case{1e-300, kPass}, Case{4.9e-324, kPass}, Case{1 - 1e-16, kFail}}) {
    RatingChecks checks;
    ASSERT_TRUE(
        CheckDeviations(points, {c.level, c.level, c.level}, &checks).ok());
    EXPECT_FALSE(std::isnan(*checks.sign.critical_value)) << c.level;
    EXPECT_FALSE(std::isnan(*checks.deviation.critical_value)) << c.level;
    EXPECT_EQ(checks.sign.verdict, c.verdict) << c.level;
    EXPECT_EQ(checks.deviation.verdict, c.verdict) << c.level;
  }
}

TEST(RatingChecksTest, RefusesLevelsOutsideTheOpenInterval) {
  const StageDeviation points[] = {{1, 1}, {2, 2}};
  for (double level : {0.0, 1.0, -0.1, 2.0, std::nan("")}) {
    RatingChecks checks;
    const Status status = CheckDeviations(points, {0.25, level, 0.2}, &checks);
    EXPECT_EQ(status.kind(), StatusKind::kUsage) << level;
    EXPECT_NE(status.message().find("适线检验"), std::string::npos);
  }
}

TEST(ParseCheckLevelsTest, ThreeLevelsBetweenZeroAndOne) {
  struct Case {
    const char* text;
    std::optional<CheckLevels> levels;  // None: refused.
    const char* named = "";             // In the message when refused.
  };
  const Case cases[] = {
      {"0.1,0.01,0.3", CheckLevels{0.1, 0.01, 0.3}},
      {" 0.5 , 1e-3,.9", CheckLevels{0.5, 0.001, 0.9}},
      {"0.1,0.01", std::nullopt, "三个数"},
      {"0.1,0.01,0.3,", std::nullopt, "三个数"},
      {"", std::nullopt, "三个数"},
      {"0.1,,0.3", std::nullopt, "适线检验的“”不是数字"},
      {"0.1,0.01,abc", std::nullopt, "偏离数值检验的“abc”不是数字"},
      {"0,0.01,0.3", std::nullopt, "符号检验的 0 不在 0 与 1 之间"},
      {"0.1,1,0.3", std::nullopt, "适线检验的 1 不在"},
      {"0.1,0.01,-0.3", std::nullopt, "偏离数值检验的 -0.3 不在"},
      // Not the regional decimal comma, whatever the settings.
      {"0,25,0.05,0.2", std::nullopt, "三个数"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    CheckLevels levels{0.7, 0.7, 0.7};
    const Status status = ParseCheckLevels(c.text, &levels);
    if (c.levels) {
      ASSERT_TRUE(status.ok()) << status.message();
      EXPECT_EQ(levels.sign, c.levels->sign);
      EXPECT_EQ(levels.runs, c.levels->runs);
      EXPECT_EQ(levels.deviation, c.levels->deviation);
    } else {
      EXPECT_EQ(status.kind(), StatusKind::kUsage);
      EXPECT_NE(status.message().find(c.named), std::string::npos)
          << status.message();
      EXPECT_EQ(levels.sign, 0.7);  // Unchanged.
    }
  }
}

}  // namespace
}  // namespace xsrating
