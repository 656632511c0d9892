// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_FIGURE_FIGURE_REQUEST_H_
#define XSRATING_FIGURE_FIGURE_REQUEST_H_

// What one figure shows, as the figure layer holds it: the core's figure
// request (core/output/figure_request.h) with the rating's parts copied, so
// that the viewer can keep it and the figure module can rebuild it on its side
// of the C boundary (figure_abi/figure_module.h).

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/base/types.h"
#include "core/calibration/rating_analysis.h"
#include "core/flow/yearbook.h"
#include "core/hydraulics/hydraulic_table.h"
#include "core/hydraulics/rating.h"
#include "core/hydraulics/roughness_zones.h"
#include "core/input/stage_record.h"
#include "core/output/figure_request.h"

namespace xsrating::figure {

// A stage record turned into discharges, as the hydrograph draws it. Times
// are days since 1970-01-01 0:00 of the station's clock (RecordTime / 86400).
struct Hydrograph {
  struct Reading {
    double day = 0;
    double stage = 0;      // m; NaN only on a break.
    double discharge = 0;  // m³/s; NaN where there is none (超出断面).
  };
  // In time order, at most kHydrographReadings of them, breaks included: a
  // record of more is cut into stretches of time of equal length, each of
  // which keeps its first and last readings, those of its highest and
  // lowest discharge and stage, and the two either side of its widest gap,
  // so that no peak is lost. A reading whose stage and discharge are both
  // NaN is a break: the record has a gap of more than 24 h there.
  std::vector<Reading> readings;
  struct Day {
    double day = 0;   // Its 0:00.
    double mean = 0;  // The daily mean; NaN: 缺测.
  };
  std::vector<Day> days;  // Every calendar date of the record, in order.
  double bed = 0;         // The section's lowest point, m.
  double bank_crest = 0;  // Its lower bank crest, m.
};

// Enough readings for a hydrograph a few thousand pixels wide.
inline constexpr size_t kHydrographReadings = 8192;

// The hydrograph of `readings` (in time order) converted as `flow`, in
// O(readings) time and O(kHydrographReadings) memory besides the days. A
// record of at most kHydrographReadings readings and breaks is kept whole.
Hydrograph MakeHydrograph(std::span<const StageReading> readings,
                          const StageRecordFlow& flow);

struct FigureRequest {
  CrossSection section;
  // The hydraulic table, one row per stage; with none the curves stay empty
  // and the section has no water.
  std::vector<HydraulicRow> rows;
  // The roughness zones on the section when there are two or more; the
  // section chart marks them.
  std::vector<AppliedZone> zones;
  // The table checked against gaugings; none without them.
  std::optional<RatingAnalysis> analysis;
  // A stage record's discharges; the figure then has its hydrograph.
  std::optional<Hydrograph> hydrograph = std::nullopt;
  // The line above a figure file's charts (RatingHeading); none when empty.
  std::string heading;
  // The figure file's title (its name, UTF-8); SVG only.
  std::string title;
};

// The figure of the core's request (core/output/figure_request.h), whose
// rating and analysis are copied.
FigureRequest RequestFor(const xsrating::FigureRequest& request);

// The request for the figure of `rating`, checked against gaugings when
// `analysis` is given (copied).
FigureRequest RequestForRating(const Rating& rating,
                               const RatingAnalysis* analysis,
                               std::string heading, std::string title);

}  // namespace xsrating::figure

#endif  // XSRATING_FIGURE_FIGURE_REQUEST_H_
