// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CORE_HYDRAULICS_STAGE_DISCHARGE_H_
#define XSRATING_CORE_HYDRAULICS_STAGE_DISCHARGE_H_

// The stage-discharge table of a section: equally spaced water levels above
// the lowest bed point up to the lower bank crest, each with its wetted area
// and its discharge by Manning's formula Q = A R^(2/3) S^(1/2) / n.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/status.h"
#include "core/base/types.h"

namespace xsrating {

// The water levels of a run.
struct StageLevelTable {
  double z_min = 0;  // Lowest bed elevation.
  double z_top = 0;  // Second-largest elevation: the lower bank crest.
  double dz = 0;     // Stage step, truncated down to a multiple of 0.01.
  std::vector<double>
      levels;  // H(1..M) at levels[0..M-1]; H(j) = j*dz + z_min.
};

// The wetted geometry of every stage, index j-1 for stage j.
struct WettedGeometry {
  WettedGeometry() = default;
  // All zero for `stages` stages.
  explicit WettedGeometry(size_t stages)
      : area(stages, 0.0), perimeter(stages, 0.0), top_width(stages, 0.0) {}

  std::vector<double> area;       // Unrounded, summed in segment order.
  std::vector<double> perimeter;  // Wetted perimeter.
  std::vector<double> top_width;  // Width of the water surface, all wet parts.
};

// The message for a stage count outside 1 to 100, such as -5 or 0.5.
std::string StageCountOutOfRangeMessage(double stage_count);

// Derives the stage levels for `stage_count` stages (floor(M) of them).
// Fails when the section has fewer than two points, when a point's distance
// is smaller than the one before it (the message names the first such
// point), when M is not finite or outside 1 to 100 (below 1 there would be no
// stage at all; above, a run replaces the count before it gets here: see
// core/hydraulics/rating.h; the message is StageCountOutOfRangeMessage), or
// when the elevations are so far apart that the step cannot be formed.
Status StageLevels(const CrossSection& section, double stage_count,
                   StageLevelTable* levels);

// The wetted area and perimeter of a part of a section (a roughness zone) at
// every level, index j-1 for stage j: what the part's conveyance needs.
struct PartGeometry {
  PartGeometry() = default;
  // All zero for `stages` stages.
  explicit PartGeometry(size_t stages)
      : area(stages, 0.0), perimeter(stages, 0.0) {}

  std::vector<double> area;       // Unrounded, summed in segment order.
  std::vector<double> perimeter;  // Wetted perimeter.
};

// Adds what the straight bed from `from` to `to` (`from` the nearer to the
// section's initial point) contributes at each of `levels` (ascending) to
// `total`'s area[j], perimeter[j] and top_width[j] and to `part`'s area[j]
// and perimeter[j], either of them null when it takes nothing: the bank
// falling into the water, the bed under it, or the bank rising out of it,
// each by its own formula, in double precision and in the order written
// there, the same values to both. A point exactly at the water level is dry;
// a vertical bed adds no area and its wetted height to the perimeter. Each
// array holds levels.size() values.
void AddSegmentGeometry(const SectionPoint& from, const SectionPoint& to,
                        std::span<const double> levels, WettedGeometry* total,
                        PartGeometry* part);

// The wetted area, perimeter and top width of every level, over every segment
// from point i to point i+1. A point exactly at the water level is dry. Needs
// a section that StageLevels accepted.
WettedGeometry ComputeWettedGeometry(const CrossSection& section,
                                     const std::vector<double>& levels);

// How a row's discharge is made from its rounded area and its wetted
// perimeter.
class DischargeRule {
 public:
  virtual ~DischargeRule() = default;
  // Ok when the rule can make discharges; else why not (a roughness that is
  // not a number above 0).
  virtual Status Check() const = 0;
  // The discharge of the row at `index` (stage index + 1), rounded half up to
  // 0.01, from its rounded `area`, its wetted `perimeter` (above 0) and the
  // slope (not negative).
  virtual double Discharge(size_t index, double area, double perimeter,
                           double slope) const = 0;
};

// Manning's formula with one roughness for the whole section: RowDischarge.
class ManningRule : public DischargeRule {
 public:
  explicit ManningRule(double roughness) : roughness_(roughness) {}
  // Fails unless the roughness is a finite number above 0.
  Status Check() const override;
  double Discharge(size_t index, double area, double perimeter,
                   double slope) const override;

 private:
  double roughness_;
};

// The row of stage `stage` (1-based): the area rounded to 0.01, the hydraulic
// radius from the rounded area, the discharge rounded to 0.01. Fails when the
// stage has no wetted perimeter (the message names the stage), the roughness
// is not a finite number above 0, the slope text is not a number or is
// negative, or the area or discharge is beyond the range of a double.
Status ComputeStageRow(const StageLevelTable& levels,
                       const WettedGeometry& geometry, int stage,
                       double roughness, std::string_view slope_text,
                       StageRow* row);

// The discharge of a table row, rounded half up to 0.01: R = area / perimeter,
// then (((1 / n) R^(2/3)) S^0.5) A, multiplied in that order, where `area` is
// the row's rounded area. ComputeStageRow makes every row's discharge with it;
// it checks nothing, so the caller makes sure that the perimeter and the
// roughness are above 0 and the slope not negative.
double RowDischarge(double area, double perimeter, double roughness,
                    double slope);

// A whole stage-discharge table.
struct StageDischargeTable {
  StageLevelTable levels;
  WettedGeometry geometry;
  std::vector<StageRow> rows;  // One per stage, ascending.
};

// The first half of a table: StageLevels, then ComputeWettedGeometry; no rows
// yet.
Status ComputeStageGeometry(const CrossSection& section, double stage_count,
                            StageDischargeTable* table);

// The second half: the row of each stage of `table` in ascending order, with
// the discharge by `rule`. Fails, as ComputeStageRow does, at the first stage
// with no wetted perimeter, then when the rule cannot be used or the slope
// text is not a number at or above 0, or a value is beyond a double's range.
Status ComputeStageRows(const DischargeRule& rule, std::string_view slope_text,
                        StageDischargeTable* table);

// ComputeStageGeometry, then ComputeStageRows with ManningRule(roughness).
// Fails with the first failure of those steps; on failure *table is left in
// an unspecified state. The roughness and slope are checked only when a row
// needs them, so a run with no stages never looks at them.
Status ComputeStageDischarge(const CrossSection& section, double roughness,
                             std::string_view slope_text, double stage_count,
                             StageDischargeTable* table);

}  // namespace xsrating

#endif  // XSRATING_CORE_HYDRAULICS_STAGE_DISCHARGE_H_
