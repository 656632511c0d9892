// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/calibration/rating_analysis.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <string>

#include "core/base/number_text.h"
#include "core/input/text_scanner.h"

namespace xsrating {
namespace {

Status OutOfRange() {
  return Status::Error(
      "实测流量的率定结果超出了计算的数值范围，请检查实测流量、地形数据和"
      "比降。");
}

}  // namespace

const char* GaugingUseText(GaugingUse use) {
  switch (use) {
    case GaugingUse::kUsable:
      return "";
    case GaugingUse::kAtOrBelowBed:
      return "低于或等于最低河底";
    case GaugingUse::kAboveCrest:
      return "高于较低堤顶";
  }
  return "";
}

double EquationDischarge(const RatingEquation& equation, double stage) {
  return equation.a * std::pow(stage - equation.e, equation.b);
}

std::optional<RatingEquation> FitRatingEquation(std::span<const StageRow> rows,
                                                double e) {
  std::vector<double> x;
  std::vector<double> y;
  for (const StageRow& row : rows) {
    if (row.discharge > 0 && row.stage > e) {
      x.push_back(std::log(row.stage - e));
      y.push_back(std::log(row.discharge));
    }
  }
  const size_t count = x.size();
  if (count < 2) return std::nullopt;
  // About the means: the sums of plain products would cancel badly when the
  // depths differ little.
  const double mean_x = std::accumulate(x.begin(), x.end(), 0.0) / count;
  const double mean_y = std::accumulate(y.begin(), y.end(), 0.0) / count;
  double sxx = 0;
  double sxy = 0;
  for (size_t i = 0; i < count; ++i) {
    sxx += (x[i] - mean_x) * (x[i] - mean_x);
    sxy += (x[i] - mean_x) * (y[i] - mean_y);
  }
  if (!(sxx > 0)) return std::nullopt;
  RatingEquation equation;
  equation.e = e;
  equation.b = sxy / sxx;
  equation.a = std::exp(mean_y - equation.b * mean_x);
  for (const StageRow& row : rows) {
    if (row.discharge > 0 && row.stage > e) {
      const double deviation =
          std::fabs(EquationDischarge(equation, row.stage) - row.discharge) /
          row.discharge * 100;
      equation.max_deviation_percent =
          std::max(equation.max_deviation_percent, deviation);
    }
  }
  if (!std::isfinite(equation.a) || !(equation.a > 0) ||
      !std::isfinite(equation.b) ||
      !std::isfinite(equation.max_deviation_percent)) {
    return std::nullopt;
  }
  return equation;
}

namespace {

// Sorts each gauging into used or left out (at or below the bed, above the
// lower crest) in file order; returns the indexes of those used.
std::vector<size_t> ClassifyGaugings(std::span<const Gauging> gaugings,
                                     double z_min, double z_top,
                                     RatingAnalysis* analysis) {
  std::vector<size_t> usable;
  for (const Gauging& gauging : gaugings) {
    GaugingResult result;
    result.gauging = gauging;
    if (gauging.stage <= z_min) {
      result.use = GaugingUse::kAtOrBelowBed;
    } else if (gauging.stage > z_top) {
      result.use = GaugingUse::kAboveCrest;
    } else {
      usable.push_back(analysis->gaugings.size());
    }
    analysis->gaugings.push_back(result);
  }
  return usable;
}

// The wetted geometry and back-calculated roughness of each gauging used;
// `conveyance` receives Manning's formula without the roughness,
// A R^(2/3) S^(1/2), by gauging index.
Status FitGaugings(const CrossSection& section, double slope,
                   const std::vector<size_t>& usable, RatingAnalysis* analysis,
                   std::vector<double>* conveyance) {
  // The geometry takes its levels in ascending order; each level's area and
  // perimeter are summed segment by segment on their own, so they are the
  // same, bit for bit, as at that level in any other list.
  std::vector<size_t> by_stage = usable;
  std::stable_sort(by_stage.begin(), by_stage.end(), [&](size_t p, size_t q) {
    return analysis->gaugings[p].gauging.stage <
           analysis->gaugings[q].gauging.stage;
  });
  std::vector<double> levels;
  levels.reserve(by_stage.size());
  for (size_t index : by_stage) {
    levels.push_back(analysis->gaugings[index].gauging.stage);
  }
  const WettedGeometry geometry = ComputeWettedGeometry(section, levels);

  const double exponent = 2.0 / 3.0;
  const double root_slope = std::pow(slope, 0.5);
  conveyance->assign(analysis->gaugings.size(), 0.0);
  for (size_t i = 0; i < by_stage.size(); ++i) {
    GaugingResult& result = analysis->gaugings[by_stage[i]];
    GaugingFit fit;
    fit.area = geometry.area[i];
    fit.perimeter = geometry.perimeter[i];
    fit.hydraulic_radius = fit.area / fit.perimeter;
    (*conveyance)[by_stage[i]] =
        (fit.area * std::pow(fit.hydraulic_radius, exponent)) * root_slope;
    fit.roughness = (*conveyance)[by_stage[i]] / result.gauging.discharge;
    // A gauging just above a bed point, or with a discharge of nearly
    // nothing, gives a roughness that the logarithm below cannot take.
    if (!std::isfinite(fit.roughness) || !(fit.roughness > 0)) {
      return Status::Error(
          AtLine(result.gauging.line) + "的实测流量（水位 " +
          FormatNumberForMessage(result.gauging.stage) + "，流量 " +
          FormatNumberForMessage(result.gauging.discharge) +
          "）反推的糙率超出了计算的数值范围，请检查这一行的水位和流量。");
    }
    result.fit = fit;
  }
  return Status::Ok();
}

// The calibrated roughness n_c (the geometric mean of the gaugings'), each
// gauging's deviation from the curve of n_c, the gauged range and Se.
Status Calibrate(const std::vector<size_t>& usable,
                 const std::vector<double>& conveyance,
                 RatingAnalysis* analysis) {
  const int k = static_cast<int>(usable.size());
  // Summed in file order.
  double sum_log = 0;
  for (size_t index : usable) {
    sum_log += std::log(analysis->gaugings[index].fit->roughness);
  }
  const double n_c = std::exp(sum_log / k);
  if (!std::isfinite(n_c) || !(n_c > 0)) return OutOfRange();
  analysis->calibrated_roughness = n_c;

  double sum_squares = 0;
  analysis->lowest_gauged_stage = analysis->gaugings[usable[0]].gauging.stage;
  analysis->highest_gauged_stage = analysis->lowest_gauged_stage;
  for (size_t index : usable) {
    GaugingResult& result = analysis->gaugings[index];
    GaugingFit& fit = *result.fit;
    fit.calibrated_discharge = conveyance[index] / n_c;
    fit.deviation_percent =
        (result.gauging.discharge - fit.calibrated_discharge) /
        fit.calibrated_discharge * 100;
    if (!std::isfinite(fit.calibrated_discharge) ||
        !std::isfinite(fit.deviation_percent)) {
      return OutOfRange();
    }
    sum_squares += fit.deviation_percent * fit.deviation_percent;
    analysis->lowest_gauged_stage =
        std::min(analysis->lowest_gauged_stage, result.gauging.stage);
    analysis->highest_gauged_stage =
        std::max(analysis->highest_gauged_stage, result.gauging.stage);
  }
  if (k >= 2) {
    const double se = std::sqrt(sum_squares / (k - 1));
    if (!std::isfinite(se)) return OutOfRange();
    analysis->standard_error_percent = se;
  }
  return Status::Ok();
}

// The table's rows beside their discharge with n_c, how far the table
// reaches above the gaugings, and the equations fitted to both curves.
Status CalibrateTable(const StageDischargeTable& table, double slope,
                      RatingAnalysis* analysis) {
  const double n_c = analysis->calibrated_roughness;
  const double h_gmax = analysis->highest_gauged_stage;
  const double h_gmin = analysis->lowest_gauged_stage;
  std::vector<StageRow> calibrated;
  calibrated.reserve(table.rows.size());
  for (size_t j = 0; j < table.rows.size(); ++j) {
    const StageRow& row = table.rows[j];
    CalibratedRow out;
    out.stage = row.stage;
    out.area = row.area;
    out.discharge = row.discharge;
    out.calibrated_discharge =
        RowDischarge(row.area, table.geometry.perimeter[j], n_c, slope);
    if (!std::isfinite(out.calibrated_discharge)) return OutOfRange();
    out.extrapolated = row.stage > h_gmax;
    analysis->rows.push_back(out);
    calibrated.push_back({row.stage, row.area, out.calibrated_discharge});
  }

  if (!table.rows.empty()) {
    const double h_top = table.rows.back().stage;
    if (h_top <= h_gmax) {
      analysis->extension_percent = 0.0;
    } else if (analysis->usable_count >= 2 && h_gmax != h_gmin) {
      const double extension = (h_top - h_gmax) / (h_gmax - h_gmin) * 100;
      if (std::isfinite(extension)) analysis->extension_percent = extension;
    }
  }

  const double z_min = table.levels.z_min;
  analysis->equation = FitRatingEquation(table.rows, z_min);
  analysis->calibrated_equation = FitRatingEquation(calibrated, z_min);
  return Status::Ok();
}

}  // namespace

Status AnalyzeRating(const CrossSection& section,
                     const StageDischargeTable& table, double slope,
                     std::span<const Gauging> gaugings,
                     RatingAnalysis* analysis) {
  if (gaugings.empty()) return Status::Error("没有实测流量，无法率定。");
  if (!(slope > 0)) return Status::Error("有实测流量时比降必须大于 0");
  if (!std::isfinite(slope)) return OutOfRange();
  const double z_min = table.levels.z_min;
  const double z_top = table.levels.z_top;

  *analysis = RatingAnalysis();
  const std::vector<size_t> usable =
      ClassifyGaugings(gaugings, z_min, z_top, analysis);
  if (usable.empty()) {
    return Status::Error(
        "没有一个实测水位在最低河底 " + FormatNumberForMessage(z_min) +
        " 与较低堤顶 " + FormatNumberForMessage(z_top) +
        " 之间（高于最低河底、不高于较低堤顶），无法率定糙率。");
  }
  analysis->usable_count = static_cast<int>(usable.size());
  std::vector<double> conveyance;
  if (Status s = FitGaugings(section, slope, usable, analysis, &conveyance);
      !s.ok()) {
    return s;
  }
  if (Status s = Calibrate(usable, conveyance, analysis); !s.ok()) return s;
  return CalibrateTable(table, slope, analysis);
}

Status AnalyzeGaugings(const Rating& rating, const std::string& gaugings_path,
                       RatingAnalysis* analysis) {
  if (!rating.params.zones.empty()) {
    return Status::Error(kZonedGaugingsRefused);
  }
  std::vector<Gauging> gaugings;
  if (Status s = ReadGaugings(gaugings_path, &gaugings); !s.ok()) return s;
  // A table without rows never looked at the slope.
  if (!rating.slope) {
    return Status::Error("比降“" + rating.params.slope_text + "”不是数字。");
  }
  return AnalyzeRating(rating.section, rating.table, *rating.slope, gaugings,
                       analysis);
}

}  // namespace xsrating
