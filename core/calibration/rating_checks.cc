// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/calibration/rating_checks.h"

#include <algorithm>
#include <boost/math/distributions/normal.hpp>
#include <boost/math/distributions/students_t.hpp>
#include <boost/math/policies/policy.hpp>
#include <cmath>
#include <string>
#include <vector>

#include "core/base/number_text.h"

namespace xsrating {
namespace {

namespace bm = boost::math;

// Boost.Math reports its errors by throwing unless told otherwise. The levels
// and degrees of freedom are checked before any quantile is taken, so only an
// overflow (a level of a few 1e-308) can remain: it gives infinity instead of
// an exception.
using QuietPolicy = bm::policies::policy<
    bm::policies::domain_error<bm::policies::ignore_error>,
    bm::policies::pole_error<bm::policies::ignore_error>,
    bm::policies::overflow_error<bm::policies::ignore_error>,
    bm::policies::underflow_error<bm::policies::ignore_error>,
    bm::policies::denorm_error<bm::policies::ignore_error>,
    bm::policies::evaluation_error<bm::policies::ignore_error>,
    bm::policies::rounding_error<bm::policies::ignore_error>,
    bm::policies::indeterminate_result_error<bm::policies::ignore_error>>;
using Normal = bm::normal_distribution<double, QuietPolicy>;
using StudentsT = bm::students_t_distribution<double, QuietPolicy>;

struct NamedLevel {
  const char* test;
  double CheckLevels::*level;
};
constexpr NamedLevel kLevels[] = {
    {"符号检验", &CheckLevels::sign},
    {"适线检验", &CheckLevels::runs},
    {"偏离数值检验", &CheckLevels::deviation},
};

bool InUnitInterval(double level) { return level > 0 && level < 1; }

// The upper quantile: the value that a statistic exceeds with probability
// `tail`. Taken from the complement, so a small tail keeps its digits.
double UpperNormal(double tail) {
  return bm::quantile(bm::complement(Normal(0, 1), tail));
}

// `compared`, the statistic or its magnitude, decides the verdict.
CheckResult Tested(double statistic, double compared, double critical_value,
                   double level) {
  CheckResult result;
  result.statistic = statistic;
  result.critical_value = critical_value;
  result.level = level;
  result.verdict =
      compared < critical_value ? CheckVerdict::kPass : CheckVerdict::kFail;
  return result;
}

CheckResult Untested(double level, CheckVerdict verdict) {
  CheckResult result;
  result.level = level;
  result.verdict = verdict;
  return result;
}

CheckResult SignTest(std::span<const StageDeviation> points, double level) {
  const double k = static_cast<double>(points.size());
  double k_plus = 0;
  for (const StageDeviation& p : points) {
    if (p.percent > 0) {
      k_plus += 1;
    } else if (p.percent == 0) {
      k_plus += 0.5;
    }
  }
  const double u = (std::fabs(k_plus - k / 2) - 0.5) / (0.5 * std::sqrt(k));
  return Tested(u, u, UpperNormal(level / 2), level);
}

CheckResult RunsTest(std::span<const StageDeviation> points, double level) {
  // Along the stage; gaugings at one stage stay in the order of the file.
  std::vector<StageDeviation> by_stage;
  for (const StageDeviation& p : points) {
    if (p.percent != 0) by_stage.push_back(p);
  }
  std::stable_sort(by_stage.begin(), by_stage.end(),
                   [](const StageDeviation& a, const StageDeviation& b) {
                     return a.stage < b.stage;
                   });
  if (by_stage.size() < 2) {
    return Untested(level, CheckVerdict::kTooFewPoints);
  }
  const double n = static_cast<double>(by_stage.size());
  double changes = 0;
  for (size_t i = 1; i < by_stage.size(); ++i) {
    if ((by_stage[i - 1].percent > 0) != (by_stage[i].percent > 0)) {
      changes += 1;
    }
  }
  // Signs that change this often show no bend the curve misses.
  if (changes >= (n - 1) / 2) return Untested(level, CheckVerdict::kNotTested);
  const double u = ((n - 1) / 2 - changes - 0.5) / (0.5 * std::sqrt(n - 1));
  return Tested(u, u, UpperNormal(level), level);
}

CheckResult DeviationTest(std::span<const StageDeviation> points, double mean,
                          double level) {
  const double k = static_cast<double>(points.size());
  double sum_squares = 0;
  for (const StageDeviation& p : points) {
    sum_squares += (p.percent - mean) * (p.percent - mean);
  }
  const double s = std::sqrt(sum_squares / (k - 1));
  const double t = s == 0 ? 0.0 : mean / (s / std::sqrt(k));
  const double critical_value =
      bm::quantile(bm::complement(StudentsT(k - 1), level / 2));
  return Tested(t, std::fabs(t), critical_value, level);
}

}  // namespace

Status ParseCheckLevels(std::string_view text, CheckLevels* levels) {
  const std::string quoted = "显著性水平“" + std::string(text) + "”";
  // An input method left in full width types "０.２５，０.０５，０.２".
  if (const std::string hint = FullWidthHint(text, HalfWidthUse::kField);
      !hint.empty()) {
    return Status::Error(StatusKind::kUsage, "显著性水平" + hint + "。");
  }
  std::vector<std::string_view> fields;
  for (size_t start = 0;;) {
    const size_t comma = text.find(',', start);
    fields.push_back(text.substr(start, comma - start));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  if (fields.size() != std::size(kLevels)) {
    return Status::Error(
        StatusKind::kUsage,
        quoted +
            "应是用逗号分开的三个数，依次为符号检验、适线检验和偏离数值检验的"
            "显著性水平，例如 0.25,0.05,0.2。");
  }
  CheckLevels parsed;
  for (size_t i = 0; i < fields.size(); ++i) {
    // The comma separates the levels, so the decimal separator is '.'
    // whatever the regional settings say.
    const std::optional<double> value = TextToNumber(fields[i], '.');
    if (!value) {
      return Status::Error(StatusKind::kUsage,
                           quoted + "中" + kLevels[i].test + "的“" +
                               std::string(fields[i]) + "”不是数字。");
    }
    if (!InUnitInterval(*value)) {
      return Status::Error(StatusKind::kUsage,
                           quoted + "中" + kLevels[i].test + "的 " +
                               std::string(fields[i]) +
                               " 不在 0 与 1 之间（不含 0 和 1）。");
    }
    parsed.*kLevels[i].level = *value;
  }
  *levels = parsed;
  return Status::Ok();
}

const char* CheckVerdictText(CheckVerdict verdict) {
  switch (verdict) {
    case CheckVerdict::kPass:
      return "合格";
    case CheckVerdict::kFail:
      return "不合格";
    case CheckVerdict::kNotTested:
      return "免检";
    case CheckVerdict::kTooFewPoints:
      return "点数不足";
  }
  return "";
}

Status CheckDeviations(std::span<const StageDeviation> points,
                       const CheckLevels& levels, RatingChecks* checks) {
  for (const NamedLevel& named : kLevels) {
    const double level = levels.*named.level;
    if (!InUnitInterval(level)) {
      return Status::Error(StatusKind::kUsage,
                           std::string(named.test) + "的显著性水平 " +
                               FormatNumberForMessage(level) +
                               " 不在 0 与 1 之间（不含 0 和 1）。");
    }
  }
  RatingChecks result;
  const size_t k = points.size();
  if (k > 0) {
    double sum = 0;
    for (const StageDeviation& p : points) sum += p.percent;
    result.systematic_error_percent = sum / static_cast<double>(k);
  }
  if (k >= 3) {
    double sum_squares = 0;
    for (const StageDeviation& p : points) sum_squares += p.percent * p.percent;
    result.random_uncertainty_percent =
        2 * std::sqrt(sum_squares / static_cast<double>(k - 2));
  }
  if (k < 2) {
    result.sign = Untested(levels.sign, CheckVerdict::kTooFewPoints);
    result.runs = Untested(levels.runs, CheckVerdict::kTooFewPoints);
    result.deviation = Untested(levels.deviation, CheckVerdict::kTooFewPoints);
  } else {
    result.sign = SignTest(points, levels.sign);
    result.runs = RunsTest(points, levels.runs);
    result.deviation = DeviationTest(points, *result.systematic_error_percent,
                                     levels.deviation);
  }
  *checks = result;
  return Status::Ok();
}

Status CheckRating(const RatingAnalysis& analysis, const CheckLevels& levels,
                   RatingChecks* checks) {
  std::vector<StageDeviation> points;
  for (const GaugingResult& result : analysis.gaugings) {
    if (result.fit) {
      points.push_back({result.gauging.stage, result.fit->deviation_percent});
    }
  }
  return CheckDeviations(points, levels, checks);
}

}  // namespace xsrating
