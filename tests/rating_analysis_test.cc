// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/calibration/rating_analysis.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "core/calibration/rating_checks.h"
#include "core/output/rating_report.h"

namespace xsrating {
namespace {

using testing::HasSubstr;

// A rectangle 10 wide and 5 deep: A = 10 H, P = 10 + 2 H.
const CrossSection kRectangle = {{{0, 5}, {0, 0}, {10, 0}, {10, 5}}};
// Bottom 10 wide, sides 2 across to 1 up, 5 deep: A = (10 + 2 H) H,
// P = 10 + 2 sqrt(5) H.
const CrossSection kTrapezoid = {{{0, 5}, {10, 0}, {20, 0}, {30, 5}}};

// What a gauging should give; n_i and d_i only for a usable one.
struct ExpectedGauging {
  double stage;
  double discharge;
  GaugingUse use;
  double area = 0;
  double perimeter = 0;
  double roughness = 0;
  double deviation_percent = 0;
};

struct ExpectedEquation {
  double a;
  double b;
  double max_deviation_percent;
};

// Every figure worked out by hand from the closed forms above, with
// S = 0.0004 (S^(1/2) = 0.02) and stages 1, 2, 3, 4, 5. Each discharge is
// the one Manning's formula gives at that stage with the roughness n_i named
// beside it, so n_i comes back; n_c is their geometric mean, and
// d_i = n_c / n_i - 1.
struct GaugedCase {
  const char* name;
  CrossSection section;
  double roughness;
  std::vector<ExpectedGauging> gaugings;
  double calibrated_roughness;
  std::optional<double> standard_error_percent;
  int usable_count;
  std::optional<double> extension_percent;
  std::vector<double> discharges;             // Typed roughness, rounded.
  std::vector<double> calibrated_discharges;  // n_c, rounded.
  std::vector<bool> extrapolated;
  ExpectedEquation equation;
  double calibrated_a;
};

const GaugedCase kGaugedCases[] = {
    {"Rectangle",
     kRectangle,
     0.03,
     {
         {0, 3, GaugingUse::kAtOrBelowBed},
         {1, 8.855488076521759, GaugingUse::kUsable, 10, 12, 0.02, 25},
         {6, 100, GaugingUse::kAboveCrest},
         {2, 20.294948611259443, GaugingUse::kUsable, 20, 14, 0.025, 0},
         {4, 43.59449215394436, GaugingUse::kUsable, 40, 18, 0.03125, -20},
     },
     0.025,               // (0.02 * 0.025 * 0.03125)^(1/3)
     22.638462845343543,  // sqrt((25^2 + 0 + 20^2) / 2)
     3,
     100.0 / 3,  // (5 - 4) / (4 - 1)
     {5.9, 16.91, 30.41, 45.41, 61.4},
     {7.08, 20.29, 36.49, 54.49, 73.68},
     {false, false, false, false, true},
     {6.0145886135391775, 1.4579307500617613, 2.3498992100390375},
     7.217220913089273},
    {"TrapezoidOneGauging",
     kTrapezoid,
     0.025,
     {
         {-1, 5, GaugingUse::kAtOrBelowBed},
         {2.5, 54.8820294890058, GaugingUse::kUsable, 37.5, 21.18033988749895,
          0.02, 0},
     },
     0.02,
     std::nullopt,  // k = 1
     1,
     std::nullopt,  // k = 1 and the table reaches beyond it
     {8.47, 29.06, 61.96, 108.4, 169.72},
     {10.59, 36.33, 77.46, 135.5, 212.16},
     {false, false, true, true, true},
     {8.25656929339104, 1.8584500950309397, 3.1571687089359686},
     10.323153142999962},
    {"TrapezoidGaugedToTheCrest",
     kTrapezoid,
     0.025,
     {
         {5, 212.1558001024641, GaugingUse::kUsable, 100, 32.3606797749979,
          0.02, 26.4911064067352},
         {3, 48.410016459969896, GaugingUse::kUsable, 48, 23.41640786499874,
          0.032, -20.943058495790503},
     },
     0.02529822128134704,  // sqrt(0.02 * 0.032)
     33.76966712615138,
     2,
     0.0,  // Nothing above the highest gauging.
     {8.47, 29.06, 61.96, 108.4, 169.72},
     {8.37, 28.72, 61.23, 107.12, 167.72},
     {false, false, false, false, false},
     {8.25656929339104, 1.8584500950309397, 3.1571687089359686},
     8.159392734205221},
    {"TrapezoidTwoGaugingsAtOneStage",
     kTrapezoid,
     0.025,
     {
         {2, 36.33106313144507, GaugingUse::kUsable, 28, 18.94427190999916,
          0.02, 22.474487139158917},
         {2, 24.220708754296712, GaugingUse::kUsable, 28, 18.94427190999916,
          0.03, -18.350341907227374},
     },
     0.024494897427831785,  // sqrt(0.02 * 0.03)
     29.014438134838397,
     2,
     std::nullopt,  // H_gmax = H_gmin
     {8.47, 29.06, 61.96, 108.4, 169.72},
     {8.65, 29.66, 63.24, 110.63, 173.22},
     {false, false, true, true, true},
     {8.25656929339104, 1.8584500950309397, 3.1571687089359686},
     8.430955579283616},
};

void ExpectNear(double actual, double expected, const char* what) {
  EXPECT_NEAR(actual, expected, 1e-9 * std::max(1.0, std::fabs(expected)))
      << what;
}

Status Analyze(const GaugedCase& c, const char* slope_text,
               RatingAnalysis* analysis) {
  StageDischargeTable table;
  if (Status s =
          ComputeStageDischarge(c.section, c.roughness, slope_text, 5, &table);
      !s.ok()) {
    return s;
  }
  std::vector<Gauging> gaugings;
  for (const ExpectedGauging& g : c.gaugings) {
    gaugings.push_back(
        {g.stage, g.discharge, static_cast<long long>(gaugings.size()) + 1});
  }
  return AnalyzeRating(c.section, table, std::stod(slope_text), gaugings,
                       analysis);
}

class GaugedRating : public testing::TestWithParam<GaugedCase> {};

TEST_P(GaugedRating, GivesTheFiguresWorkedOutByHand) {
  const GaugedCase& c = GetParam();
  RatingAnalysis analysis;
  const Status status = Analyze(c, "0.0004", &analysis);
  ASSERT_TRUE(status.ok()) << status.message();

  ASSERT_EQ(analysis.gaugings.size(), c.gaugings.size());
  for (size_t i = 0; i < c.gaugings.size(); ++i) {
    SCOPED_TRACE("gauging " + std::to_string(i + 1));
    const ExpectedGauging& want = c.gaugings[i];
    const GaugingResult& got = analysis.gaugings[i];
    EXPECT_EQ(got.gauging.stage, want.stage);
    EXPECT_EQ(got.use, want.use);
    ASSERT_EQ(got.fit.has_value(), want.use == GaugingUse::kUsable);
    if (!got.fit) continue;
    ExpectNear(got.fit->area, want.area, "A");
    ExpectNear(got.fit->perimeter, want.perimeter, "P");
    ExpectNear(got.fit->hydraulic_radius, want.area / want.perimeter, "R");
    ExpectNear(got.fit->roughness, want.roughness, "n_i");
    ExpectNear(got.fit->deviation_percent, want.deviation_percent, "d_i");
    ExpectNear(got.fit->calibrated_discharge,
               want.discharge / (1 + want.deviation_percent / 100), "Q_c");
  }
  ExpectNear(analysis.calibrated_roughness, c.calibrated_roughness, "n_c");
  EXPECT_EQ(analysis.usable_count, c.usable_count);
  ASSERT_EQ(analysis.standard_error_percent.has_value(),
            c.standard_error_percent.has_value());
  if (c.standard_error_percent) {
    ExpectNear(*analysis.standard_error_percent, *c.standard_error_percent,
               "Se");
  }
  ASSERT_EQ(analysis.extension_percent.has_value(),
            c.extension_percent.has_value());
  if (c.extension_percent) {
    ExpectNear(*analysis.extension_percent, *c.extension_percent, "extension");
  }

  ASSERT_EQ(analysis.rows.size(), c.discharges.size());
  for (size_t j = 0; j < analysis.rows.size(); ++j) {
    SCOPED_TRACE("stage " + std::to_string(j + 1));
    EXPECT_EQ(analysis.rows[j].stage, j + 1.0);
    EXPECT_DOUBLE_EQ(analysis.rows[j].discharge, c.discharges[j]);
    EXPECT_DOUBLE_EQ(analysis.rows[j].calibrated_discharge,
                     c.calibrated_discharges[j]);
    EXPECT_EQ(analysis.rows[j].extrapolated, c.extrapolated[j]);
  }

  ASSERT_TRUE(analysis.equation.has_value());
  EXPECT_EQ(analysis.equation->e, 0);
  ExpectNear(analysis.equation->a, c.equation.a, "a");
  ExpectNear(analysis.equation->b, c.equation.b, "b");
  ExpectNear(analysis.equation->max_deviation_percent,
             c.equation.max_deviation_percent, "largest deviation");
  ASSERT_TRUE(analysis.calibrated_equation.has_value());
  ExpectNear(analysis.calibrated_equation->a, c.calibrated_a, "a_c");
}

// n_c carries S^(1/2): four times the slope doubles it and leaves the
// calibrated table as it was.
TEST_P(GaugedRating, CalibratedTableDoesNotDependOnTheSlope) {
  const GaugedCase& c = GetParam();
  RatingAnalysis gentle;
  RatingAnalysis steep;
  ASSERT_TRUE(Analyze(c, "0.0004", &gentle).ok());
  ASSERT_TRUE(Analyze(c, "0.0016", &steep).ok());
  ExpectNear(steep.calibrated_roughness, 2 * gentle.calibrated_roughness,
             "n_c");
  ASSERT_EQ(steep.rows.size(), gentle.rows.size());
  for (size_t j = 0; j < steep.rows.size(); ++j) {
    EXPECT_DOUBLE_EQ(steep.rows[j].calibrated_discharge,
                     gentle.rows[j].calibrated_discharge);
  }
}

INSTANTIATE_TEST_SUITE_P(Sections, GaugedRating,
                         testing::ValuesIn(kGaugedCases),
                         [](const testing::TestParamInfo<GaugedCase>& info) {
                           return std::string(info.param.name);
                         });

struct RefusedCase {
  const char* name;
  const char* slope_text;
  std::vector<Gauging> gaugings;
  const char* message;  // A part of the message.
};

class RefusedAnalysis : public testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedAnalysis, SaysWhy) {
  const RefusedCase& c = GetParam();
  StageDischargeTable table;
  ASSERT_TRUE(
      ComputeStageDischarge(kTrapezoid, 0.025, c.slope_text, 5, &table).ok());
  RatingAnalysis analysis;
  const Status status = AnalyzeRating(
      kTrapezoid, table, std::stod(c.slope_text), c.gaugings, &analysis);
  ASSERT_FALSE(status.ok());
  EXPECT_THAT(status.message(), HasSubstr(c.message));
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, RefusedAnalysis,
    testing::Values(
        RefusedCase{
            "ZeroSlope", "0", {{2, 30, 1}}, "有实测流量时比降必须大于 0"},
        RefusedCase{"NoGaugingInRange",
                    "0.0004",
                    {{0, 1, 1}, {5.01, 300, 2}},
                    "没有一个实测水位在最低河底 0 与较低堤顶 5 之间"},
        RefusedCase{"NoGauging", "0.0004", {}, "没有实测流量"}),
    [](const testing::TestParamInfo<RefusedCase>& info) {
      return std::string(info.param.name);
    });

struct FitCase {
  const char* name;
  std::vector<StageRow> rows;  // Stage and discharge; the area is not used.
  double e;
  std::optional<ExpectedEquation> expected;
};

class RatingEquationFit : public testing::TestWithParam<FitCase> {};

TEST_P(RatingEquationFit, OverThePositiveDischarges) {
  const FitCase& c = GetParam();
  const std::optional<RatingEquation> fit = FitRatingEquation(c.rows, c.e);
  ASSERT_EQ(fit.has_value(), c.expected.has_value());
  if (!fit) return;
  EXPECT_EQ(fit->e, c.e);
  ExpectNear(fit->a, c.expected->a, "a");
  ExpectNear(fit->b, c.expected->b, "b");
  ExpectNear(fit->max_deviation_percent, c.expected->max_deviation_percent,
             "largest deviation");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RatingEquationFit,
    testing::Values(
        // Q = 2 (H - 1)^1.5 exactly.
        FitCase{"ExactPowerLaw",
                {{2, 0, 2}, {5, 0, 16}, {10, 0, 54}},
                1,
                ExpectedEquation{2, 1.5, 0}},
        FitCase{"ZeroDischargeLeftOut",
                {{1.5, 0, 0}, {2, 0, 2}, {5, 0, 16}, {10, 0, 54}},
                1,
                ExpectedEquation{2, 1.5, 0}},
        // x = ln H = 0, u, 2u and y = ln Q = 0, 2u, 3u with u = ln 2:
        // b = Sxy / Sxx = 3u^2 / 2u^2 = 1.5, ln a = 5u/3 - 1.5u = u/6, so
        // a = 2^(1/6); the equation gives 2^(5/3) at H = 2, the worst row.
        FitCase{"ScatteredPoints",
                {{1, 0, 1}, {2, 0, 4}, {4, 0, 8}},
                0,
                ExpectedEquation{std::pow(2, 1.0 / 6), 1.5,
                                 (4 - std::pow(2, 5.0 / 3)) / 4 * 100}},
        FitCase{"OnePositiveRow", {{1, 0, 0}, {2, 0, 3}}, 0, std::nullopt},
        FitCase{"NoRows", {}, 0, std::nullopt}),
    [](const testing::TestParamInfo<FitCase>& info) {
      return std::string(info.param.name);
    });

TEST(RatingReportTest, FourBlocksWithEmptyCellsForWhatIsNone) {
  RatingAnalysis analysis;
  ASSERT_TRUE(Analyze(kGaugedCases[1], "0.0004", &analysis).ok());
  RatingChecks checks;
  ASSERT_TRUE(CheckRating(analysis, {0.3, 0.1, 0.4}, &checks).ok());
  // One gauging: Se, the extension, the random uncertainty and every test's
  // figures are none. The run's texts as given, a path with a comma quoted.
  const RatingReportRun run = {.data_file_path = "D:\\测站\\a,b.txt",
                               .gaugings_path = "g\"1\".txt",
                               .roughness_text = ".02",
                               .slope_text = "4e-4",
                               .run_time = {2026, 12, 7, 9, 5, 3}};
  EXPECT_EQ(RatingReportCsv(analysis, checks, run),
            "\xEF\xBB\xBF"
            "实测水位,实测流量,面积,湿周,水力半径,反推糙率,率定流量,"
            "相对偏差(%),说明\r\n"
            "-1,5,,,,,,,低于或等于最低河底\r\n"
            "2.5,54.8820294890058,37.5,21.1803398874989,1.77050983124842,"
            "0.02,54.8820294890058,0,\r\n"
            "\r\n"
            "水位,面积,流量,率定流量,外延\r\n"
            "1,12,8.47,10.59,\r\n"
            "2,28,29.06,36.33,\r\n"
            "3,48,61.96,77.46,外延\r\n"
            "4,72,108.4,135.5,外延\r\n"
            "5,100,169.72,212.16,外延\r\n"
            "\r\n"
            "项目,数值\r\n"
            "率定糙率,0.02\r\n"
            "相对标准误差(%),\r\n"
            "实测点数,1\r\n"
            "外延幅度(%),\r\n"
            "关系式a,8.25656929339104\r\n"
            "关系式b,1.85845009503094\r\n"
            "关系式e,0\r\n"
            "关系式最大偏差(%),3.15716870893597\r\n"
            "率定关系式a,10.323153143\r\n"
            "地形文件,\"D:\\测站\\a,b.txt\"\r\n"
            "实测流量文件,\"g\"\"1\"\".txt\"\r\n"
            "糙率,.02\r\n"
            "比降,4e-4\r\n"
            "计算时间,2026/12/7 9:05:03\r\n"
            "关系式,Q=8.257(H−0)^1.858\r\n"
            "系统误差(%),0\r\n"
            "随机不确定度(%),\r\n"
            "\r\n"
            "检验,统计量,临界值,显著性水平,结论\r\n"
            "符号检验,,,0.3,点数不足\r\n"
            "适线检验,,,0.1,点数不足\r\n"
            "偏离数值检验,,,0.4,点数不足\r\n");
}

TEST(RatingReportTest, SummaryInOneLine) {
  struct Case {
    int index;
    const char* summary;
  };
  for (const Case& c : {
           Case{0,
                "率定糙率 n_c = 0.025，相对标准误差 Se = 22.6%，实测点数 "
                "k = 3，外延幅度 33.3%，关系式 Q = 6.015(H − 0)^1.458（最大"
                "偏差 2.35%）；符号检验 合格，适线检验 免检，偏离数值检验 "
                "合格，系统误差 1.67%，随机不确定度 64%"},
           Case{1,
                "率定糙率 n_c = 0.02，相对标准误差 Se = 无，实测点数 k = 1，"
                "外延幅度 无，关系式 Q = 8.257(H − 0)^1.858（最大偏差 "
                "3.16%）；符号检验 点数不足，适线检验 点数不足，偏离数值检验 "
                "点数不足，系统误差 0%，随机不确定度 无"},
       }) {
    RatingAnalysis analysis;
    ASSERT_TRUE(Analyze(kGaugedCases[c.index], "0.0004", &analysis).ok());
    RatingChecks checks;
    ASSERT_TRUE(CheckRating(analysis, CheckLevels(), &checks).ok());
    EXPECT_EQ(RatingSummary(analysis, checks), c.summary);
  }
  // Zero flow below the datum of the stages.
  EXPECT_EQ(EquationText({.a = 2, .b = 1.5, .e = -3}, false),
            "Q=2.000(H+3)^1.500");
}

TEST(RatingReportTest, BesideTheResultFile) {
  EXPECT_EQ(RatingReportPath("D:\\data\\sec1.txt"), "D:\\data\\sec1率定.csv");
}

}  // namespace
}  // namespace xsrating
