// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CORE_HYDRAULICS_RATING_H_
#define XSRATING_CORE_HYDRAULICS_RATING_H_

// The rating of a survey, whole: the section, its stage levels and wetted
// geometry, the result file's rows and the full hydraulic table. Every output
// of a run (the result file, the table for spreadsheets, the figure, the
// viewer) is drawn from one Rating, so they always show the same numbers.

#include <optional>
#include <string>
#include <vector>

#include "core/base/date_time.h"
#include "core/base/status.h"
#include "core/base/types.h"
#include "core/hydraulics/hydraulic_table.h"
#include "core/hydraulics/roughness_zones.h"
#include "core/hydraulics/stage_discharge.h"

namespace xsrating {

struct Rating {
  CrossSection section;
  // The stage count the table was computed for: the requested one, or
  // kFallbackStageCount when the request exceeded kMaxStages.
  double stage_count = 0;
  StageDischargeTable table;                 // table.rows: the result file's.
  std::vector<HydraulicRow> hydraulic_rows;  // One per row of the table.
  // The roughness zones as they lie on the section when there are two or
  // more of them; empty when one roughness holds for the whole section.
  std::vector<AppliedZone> zones;
  ZoneMethod zone_method = ZoneMethod::kSubsection;
  // The roughness of the whole section when `zones` is empty: the typed one,
  // or that of the one zone that lies on the section.
  double roughness = 0;
  // What the rating was computed with, as the run was given it: the survey's
  // path, the typed slope text, the roughness or the zones as given.
  RunParameters params;
  // params.slope_text read as a number once, for everything drawn from the
  // rating; none when the text is no number (a rating without rows never
  // needed it).
  std::optional<double> slope;
};

// True when a request for `stage_count` stages is refused and replaced by
// kFallbackStageCount: above kMaxStages, strictly.
bool ExceedsStageLimit(double stage_count);
// The stage count a rating uses for a request of `stage_count`.
double EffectiveStageCount(double stage_count);

// Rates `section` with the roughness, slope and stage count of `params` (its
// data file path is not used): ComputeStageDischarge with the effective stage
// count, then HydraulicRows. With roughness zones in `params`, the zones are
// checked (CheckRoughnessZones, CheckZonesReachSection) and applied to the
// section (ApplyZones): one zone on the section gives exactly the rating of
// its roughness, two or more the discharges of params.zone_method
// (core/hydraulics/zone_conveyance.h) beside the same stages and areas.
// On failure the message is the computation's own and rating->section and
// rating->stage_count are set, the rest empty; rating->params and
// rating->slope are set whatever the outcome.
Status RateSection(CrossSection section, const RunParameters& params,
                   Rating* rating);

// Reads the survey at params.data_file_path and rates it. A failure to read
// comes back as ReadCrossSection gives it (rating->section then empty); a
// failure of the computation names the survey: "地形文件“…”计算未完成：" and
// the computation's message, with rating->section holding the survey.
Status ComputeRating(const RunParameters& params, Rating* rating);

}  // namespace xsrating

#endif  // XSRATING_CORE_HYDRAULICS_RATING_H_
