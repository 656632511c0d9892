// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CORE_CALIBRATION_RATING_ANALYSIS_H_
#define XSRATING_CORE_CALIBRATION_RATING_ANALYSIS_H_

// A computed rating checked against measured gaugings: the roughness each
// gauging implies, the roughness that fits them all, the table with that
// roughness, how far the table reaches beyond the gauged range, and the
// rating as an equation Q = a (H - e)^b.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/status.h"
#include "core/base/types.h"
#include "core/hydraulics/rating.h"
#include "core/hydraulics/stage_discharge.h"
#include "core/input/gaugings.h"

namespace xsrating {

// Whether a gauging lies in the range of the table, z_min < H <= z_top.
enum class GaugingUse {
  kUsable,
  kAtOrBelowBed,  // H <= z_min: no water in the section.
  kAboveCrest,    // H > z_top: the water spills over the lower bank.
};

// Why a gauging is left out: "低于或等于最低河底", "高于较低堤顶"; empty for
// a usable gauging.
const char* GaugingUseText(GaugingUse use);

// The figures of a usable gauging.
struct GaugingFit {
  double area = 0;              // Wetted area A at the gauged stage, unrounded.
  double perimeter = 0;         // Wetted perimeter P.
  double hydraulic_radius = 0;  // R = A / P.
  // Back-calculated roughness n_i = A R^(2/3) S^(1/2) / Q.
  double roughness = 0;
  // Discharge with the calibrated roughness, Q_c = A R^(2/3) S^(1/2) / n_c.
  double calibrated_discharge = 0;
  double deviation_percent = 0;  // (Q - Q_c) / Q_c * 100.
};

struct GaugingResult {
  Gauging gauging;
  GaugingUse use = GaugingUse::kUsable;
  std::optional<GaugingFit> fit;  // None when the gauging is left out.
};

// One row of the table beside its calibrated discharge.
struct CalibratedRow {
  double stage = 0;      // As in the table.
  double area = 0;       // As in the table: rounded to 0.01.
  double discharge = 0;  // As in the table: with the typed roughness.
  // As the table's discharge, with the calibrated roughness instead, rounded
  // to 0.01 the same way.
  double calibrated_discharge = 0;
  bool extrapolated = false;  // Stage above the highest usable gauging.
};

// Q = a (H - e)^b, fitted by least squares on ln Q = ln a + b ln(H - e).
struct RatingEquation {
  double a = 0;
  double b = 0;
  double e = 0;  // Stage of zero flow.
  // Largest of |a (H - e)^b - Q| / Q * 100 over the rows fitted.
  double max_deviation_percent = 0;
};

// a (stage - e)^b.
double EquationDischarge(const RatingEquation& equation, double stage);

// Fits Q = a (H - e)^b over the rows whose discharge is above 0 and whose
// stage is above e, taking their stage and discharge as they stand. None with
// fewer than two such rows, when they all lie at one stage, or when the fit
// is beyond the range of a double.
std::optional<RatingEquation> FitRatingEquation(std::span<const StageRow> rows,
                                                double e);

struct RatingAnalysis {
  std::vector<GaugingResult> gaugings;  // In file order.
  int usable_count = 0;                 // k, at least 1.
  // n_c = exp(mean of ln n_i) over the usable gaugings: the least-squares
  // fit of ln Q to Manning's formula.
  double calibrated_roughness = 0;
  // Se = sqrt(sum of d_i^2 / (k - 1)), in percent; none when k = 1.
  std::optional<double> standard_error_percent;
  double lowest_gauged_stage = 0;   // H_gmin over the usable gaugings.
  double highest_gauged_stage = 0;  // H_gmax.
  std::vector<CalibratedRow> rows;  // One per row of the table.
  // (H_top - H_gmax) / (H_gmax - H_gmin) * 100, H_top the table's highest
  // stage. 0 when H_top <= H_gmax, since nothing is then extrapolated.
  // Otherwise none when k < 2 or H_gmax = H_gmin, and none for a table
  // without rows.
  std::optional<double> extension_percent;
  // Fitted over the table's rows with e = z_min, and over the calibrated
  // table's stages and calibrated discharges.
  std::optional<RatingEquation> equation;
  std::optional<RatingEquation> calibrated_equation;
};

// Checks `table`, which ComputeStageDischarge made for `section` with the
// slope `slope` (the run's slope text as a number), against `gaugings`.
// A gauging is usable when z_min < H <= z_top; its wetted area and perimeter
// come from ComputeWettedGeometry, so that at a table's stage they are the
// table's to the last bit. The calibrated discharges come from RowDischarge
// with the table's rounded areas and perimeters.
//
// Fails when there is no gauging, the slope is not above 0 ("有实测流量时比降
// 必须大于 0"), no gauging is usable, or a figure is beyond the range of a
// double (the message names the gauging's line where one is to blame). On
// failure *analysis is left in an unspecified state.
Status AnalyzeRating(const CrossSection& section,
                     const StageDischargeTable& table, double slope,
                     std::span<const Gauging> gaugings,
                     RatingAnalysis* analysis);

// Why gaugings are not checked against a rating with roughness zones: the
// calibration finds one roughness for the whole section.
inline constexpr char kZonedGaugingsRefused[] =
    "分区糙率时暂不能用实测流量率定糙率：实测流量的率定目前只按全断面一个糙率"
    "计算。";

// The run's own `rating` checked against the gaugings file at
// `gaugings_path` (UTF-8): reads the gaugings (ReadGaugings) and analyses
// them (AnalyzeRating) against rating.section, rating.table and rating.slope,
// so that the report shows the very table the run wrote or the viewer shows.
// The survey is not read again. Fails with kZonedGaugingsRefused for a rating
// computed with roughness zones, and when the slope is no number; otherwise
// returns the first failure (a missing or unreadable gaugings file is
// kFileSystem).
Status AnalyzeGaugings(const Rating& rating, const std::string& gaugings_path,
                       RatingAnalysis* analysis);

}  // namespace xsrating

#endif  // XSRATING_CORE_CALIBRATION_RATING_ANALYSIS_H_
