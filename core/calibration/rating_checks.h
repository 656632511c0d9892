// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CORE_CALIBRATION_RATING_CHECKS_H_
#define XSRATING_CORE_CALIBRATION_RATING_CHECKS_H_

// The tests a stage-discharge relation must pass before a station's records
// are computed with it: how the gaugings scatter about the calibrated curve.
// From the deviations P_i (%) of the k usable gaugings:
//  - 符号检验 (sign test): are the points balanced on both sides of the
//    curve? K+ counts P_i > 0, and half of each P_i = 0;
//    u = (|K+ - k/2| - 0.5) / (0.5 sqrt(k)) against the normal quantile
//    u(1 - a/2).
//  - 适线检验 (runs test): do the signs alternate along the stage, or does
//    the curve miss a bend? Ordered by stage (equal stages in file order),
//    P_i = 0 left out, n' points with K sign changes between neighbours:
//    not tested when K >= (n' - 1)/2, otherwise
//    u = ((n' - 1)/2 - K - 0.5) / (0.5 sqrt(n' - 1)) against u(1 - a).
//  - 偏离数值检验 (deviation test): is the mean deviation zero?
//    t = P̄ / (S / sqrt(k)), S the sample standard deviation (t = 0 when
//    S = 0), against Student's t(1 - a/2) with k - 1 degrees of freedom,
//    |t| compared.
// A test passes when its statistic is below the critical value.

#include <optional>
#include <span>
#include <string_view>

#include "core/base/status.h"
#include "core/calibration/rating_analysis.h"

namespace xsrating {

// The significance levels a of the three tests, each in (0, 1).
struct CheckLevels {
  double sign = 0.25;
  double runs = 0.05;
  double deviation = 0.20;
};

// Reads "A,B,C", the levels of the sign, runs and deviation tests, into
// *levels. Each is a number (as TextToNumber reads it) strictly between 0 and
// 1. Fails, with a kUsage status that quotes the text, otherwise (giving the
// half-width text of one typed in full width, FullWidthHint); *levels is
// then unchanged.
Status ParseCheckLevels(std::string_view text, CheckLevels* levels);

enum class CheckVerdict {
  kPass,          // 合格
  kFail,          // 不合格
  kNotTested,     // 免检: the signs change often enough.
  kTooFewPoints,  // 点数不足
};

// "合格", "不合格", "免检", "点数不足".
const char* CheckVerdictText(CheckVerdict verdict);

struct CheckResult {
  // u or t as computed, t with its sign (its magnitude is compared); none
  // when not tested or too few points.
  std::optional<double> statistic;
  std::optional<double> critical_value;  // None exactly when statistic is.
  double level = 0;                      // a, as given.
  CheckVerdict verdict = CheckVerdict::kTooFewPoints;
};

struct RatingChecks {
  CheckResult sign;
  CheckResult runs;
  CheckResult deviation;
  // 系统误差 P̄ = sum of P_i / k, in percent; none without points.
  std::optional<double> systematic_error_percent;
  // 随机不确定度 2 sqrt(sum of P_i^2 / (k - 2)), in percent; none for k < 3.
  std::optional<double> random_uncertainty_percent;
};

// A usable gauging's stage and deviation P_i (%).
struct StageDeviation {
  double stage = 0;
  double percent = 0;
};

// The tests and the two figures of `points`, in file order, into *checks.
// Every test is kTooFewPoints with fewer than two points; the runs test also
// when fewer than two have P_i != 0. Sums run in file order. Fails, with a
// kUsage status, only when a level is not strictly between 0 and 1; *checks
// is then unchanged. Critical values come from Boost.Math, which never throws
// here: a level so small that its quantile is beyond a double gives an
// infinite critical value, which every finite statistic is below.
Status CheckDeviations(std::span<const StageDeviation> points,
                       const CheckLevels& levels, RatingChecks* checks);

// CheckDeviations of the usable gaugings of `analysis`, in file order.
Status CheckRating(const RatingAnalysis& analysis, const CheckLevels& levels,
                   RatingChecks* checks);

}  // namespace xsrating

#endif  // XSRATING_CORE_CALIBRATION_RATING_CHECKS_H_
