// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/flow/daily_flow.h"

#include <algorithm>
#include <cmath>

namespace xsrating {
namespace {

// What is gathered of each day while the intervals are swept.
struct DayTally {
  double integral = 0;  // m³/s × s over the covered part.
  int64_t covered = 0;  // Seconds covered by usable intervals.
  bool broken = false;  // An unusable interval overlaps the day.
};

// The discharge at `t` on the line from (a, qa) to (b, qb), exactly qa and
// qb at the ends.
double Interpolate(RecordTime a, double qa, RecordTime b, double qb,
                   RecordTime t) {
  if (t == a) return qa;
  if (t == b) return qb;
  return qa +
         (qb - qa) * (static_cast<double>(t - a) / static_cast<double>(b - a));
}

}  // namespace

std::vector<DailyFlow> DailyMeans(std::span<const StageReading> readings,
                                  const RecordFlow& flow) {
  std::vector<DailyFlow> days;
  if (readings.empty()) return days;
  const RecordTime first_day = StartOfDay(readings.front().time);
  const RecordTime last_day = StartOfDay(readings.back().time);
  const size_t day_count =
      static_cast<size_t>((last_day - first_day) / kSecondsPerDay) + 1;
  std::vector<DayTally> tallies(day_count);
  for (size_t i = 0; i + 1 < readings.size(); ++i) {
    const RecordTime a = readings[i].time;
    const RecordTime b = readings[i + 1].time;
    const double qa = flow.Discharge(i);
    const double qb = flow.Discharge(i + 1);
    const bool usable =
        b - a <= kSecondsPerDay && std::isfinite(qa) && std::isfinite(qb);
    // The days the interval overlaps for a positive time: from a's to the
    // one holding the instant just before b.
    const size_t from =
        static_cast<size_t>((StartOfDay(a) - first_day) / kSecondsPerDay);
    const size_t to =
        static_cast<size_t>((StartOfDay(b - 1) - first_day) / kSecondsPerDay);
    for (size_t d = from; d <= to; ++d) {
      DayTally& tally = tallies[d];
      if (!usable) {
        tally.broken = true;
        continue;
      }
      const RecordTime day_start =
          first_day + static_cast<RecordTime>(d) * kSecondsPerDay;
      const RecordTime lo = std::max(a, day_start);
      const RecordTime hi = std::min(b, day_start + kSecondsPerDay);
      const double q_lo = Interpolate(a, qa, b, qb, lo);
      const double q_hi = Interpolate(a, qa, b, qb, hi);
      tally.integral += (q_lo + q_hi) / 2 * static_cast<double>(hi - lo);
      tally.covered += hi - lo;
    }
  }
  days.resize(day_count);
  for (size_t d = 0; d < day_count; ++d) {
    days[d].day = first_day + static_cast<RecordTime>(d) * kSecondsPerDay;
    if (!tallies[d].broken && tallies[d].covered == kSecondsPerDay) {
      days[d].mean = tallies[d].integral / static_cast<double>(kSecondsPerDay);
    }
  }
  return days;
}

FlowSummary SummarizeFlow(std::span<const StageReading> readings,
                          const RecordFlow& flow,
                          std::span<const DailyFlow> days) {
  FlowSummary summary;
  summary.readings = static_cast<int64_t>(readings.size());
  if (readings.empty()) return summary;
  summary.first = readings.front().time;
  summary.last = readings.back().time;
  for (size_t i = 0; i < readings.size(); ++i) {
    const double q = flow.Discharge(i);
    if (!std::isfinite(q)) continue;
    // Strictly: the first occurrence is kept.
    if (!summary.largest || q > summary.largest->discharge) {
      summary.largest = FlowExtreme{q, readings[i].time};
    }
    if (!summary.smallest || q < summary.smallest->discharge) {
      summary.smallest = FlowExtreme{q, readings[i].time};
    }
  }
  double sum = 0;
  for (const DailyFlow& day : days) {
    if (day.mean) {
      ++summary.days_with_mean;
      sum += *day.mean;
    } else {
      ++summary.days_missing;
    }
  }
  if (summary.days_with_mean > 0) {
    summary.mean = sum / static_cast<double>(summary.days_with_mean);
    summary.volume = sum * static_cast<double>(kSecondsPerDay);
  }
  return summary;
}

}  // namespace xsrating
