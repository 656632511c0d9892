// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CORE_FLOW_YEARBOOK_H_
#define XSRATING_CORE_FLOW_YEARBOOK_H_

// The yearbook's table of daily mean discharges (逐日平均流量表), one per
// calendar year of a record, and the way yearbooks print a discharge.

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/flow/daily_flow.h"
#include "core/flow/record_flow.h"
#include "core/input/stage_record.h"

namespace xsrating {

// A discharge of a month or a year and the date it first occurs on.
struct DatedFlow {
  double discharge = 0;
  int month = 0;  // 1..12
  int day = 0;    // 1..31
};

struct YearbookMonth {
  // The daily means, index day - 1; none where there is no mean or no such
  // date.
  std::array<std::optional<double>, 31> daily;
  // The mean of the daily means, only when every day of the month has one.
  std::optional<double> mean;
  // The largest and smallest discharge among the month's readings; none
  // when no reading of the month has a discharge.
  std::optional<DatedFlow> largest;
  std::optional<DatedFlow> smallest;
};

struct YearbookYear {
  int year = 0;
  std::array<YearbookMonth, 12> months;
  // Among the year's readings; none when none of them has a discharge.
  std::optional<DatedFlow> largest;
  std::optional<DatedFlow> smallest;
  // Only when every day of the year has a mean: the mean of the daily means,
  // and their sum × 86400 s in 10⁸ m³ (亿m³).
  std::optional<double> mean;
  std::optional<double> volume;
};

// The tables of every calendar year from the first reading's to the last's.
// `flow` and `days` are ConvertStageRecord's and DailyMeans' for `readings`.
std::vector<YearbookYear> YearbookTables(std::span<const StageReading> readings,
                                         const RecordFlow& flow,
                                         std::span<const DailyFlow> days);

// The whole step from a stage record to its discharges, daily means,
// figures and yearbook tables, for every front end.
struct StageRecordFlow {
  RecordFlow flow;
  std::vector<DailyFlow> days;
  FlowSummary summary;
  std::vector<YearbookYear> years;
};

// ConvertStageRecord (with its failures), then DailyMeans, SummarizeFlow and
// YearbookTables. `readings` as ParseStageRecord gives them (not empty).
Status ComputeStageRecordFlow(const Rating& rating,
                              const RatingAnalysis* analysis,
                              std::string_view slope_text,
                              std::span<const StageReading> readings,
                              StageRecordFlow* result);

// A discharge as yearbooks print it: three significant figures and at most
// three decimals, rounded once from the exact value of the double, half to
// even (数值修约): 1234.5 → "1230", 12.345 → "12.3", 12.25 → "12.2", 12.75 →
// "12.8", 99.96 → "100", 2.5 → "2.50", 0.01234 → "0.012". A value that rounds
// to zero is "0". Not for NaN or infinities.
std::string YearbookNumber(double value);

}  // namespace xsrating

#endif  // XSRATING_CORE_FLOW_YEARBOOK_H_
