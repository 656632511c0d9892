// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CORE_FLOW_DAILY_FLOW_H_
#define XSRATING_CORE_FLOW_DAILY_FLOW_H_

// Daily mean discharges by the area-enclosed method (面积包围法) and the
// figures of a whole converted record.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/flow/record_flow.h"
#include "core/input/stage_record.h"

namespace xsrating {

// One calendar day of the record.
struct DailyFlow {
  RecordTime day = 0;          // Its 0:00.
  std::optional<double> mean;  // None: 缺测.
};

// The daily mean of every calendar date from the first reading's to the
// last's, in order. Between consecutive readings the discharge is linear in
// time; at 0:00 and 24:00 it is interpolated between the readings on either
// side unless one falls exactly there; a day's mean is the integral over the
// day divided by 24 h. A day has a mean only when the record starts at or
// before its 0:00 and ends at or after its 24:00, and every interval between
// consecutive readings that overlaps it (for a positive time) is at most
// 24 h long and has a discharge at both ends. So the last date never has a
// mean, and the first only when the record starts at its 0:00.
// `flow` is ConvertStageRecord's for `readings`.
std::vector<DailyFlow> DailyMeans(std::span<const StageReading> readings,
                                  const RecordFlow& flow);

// A discharge of the record and when it first occurs.
struct FlowExtreme {
  double discharge = 0;
  RecordTime time = 0;
};

// The figures of a whole record.
struct FlowSummary {
  int64_t readings = 0;
  RecordTime first = 0;  // The first reading's time.
  RecordTime last = 0;   // The last's.
  int64_t days_with_mean = 0;
  int64_t days_missing = 0;  // 缺测.
  // Over the readings with a discharge; none when no reading has one.
  std::optional<FlowExtreme> largest;
  std::optional<FlowExtreme> smallest;
  // Over the days with a mean: the mean of the daily means, and their sum
  // times 86400 s, in m³; none when no day has a mean.
  std::optional<double> mean;
  std::optional<double> volume;
};

// The figures of `readings` (not empty), converted as `flow`, with their
// daily means `days`.
FlowSummary SummarizeFlow(std::span<const StageReading> readings,
                          const RecordFlow& flow,
                          std::span<const DailyFlow> days);

}  // namespace xsrating

#endif  // XSRATING_CORE_FLOW_DAILY_FLOW_H_
