// SPDX-License-Identifier: GPL-3.0-or-later
// The time axis of a hydrograph. Its ticks are where a hydrologist reads a
// record: on whole hours, at 0:00, on the 1st, 11th and 21st of a month
// (the 旬 of the yearbooks), on the 1st of a month, on New Year's day; never
// at a 1-2-5 number of days since 1970.
#include <algorithm>
#include <array>
#include <cmath>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "core/input/stage_record.h"
#include "figure/charts.h"

namespace xsrating::figure {
namespace {

constexpr TimeStep kLadder[] = {
    {TimeUnit::kMinute, 10}, {TimeUnit::kMinute, 30}, {TimeUnit::kHour, 1},
    {TimeUnit::kHour, 2},    {TimeUnit::kHour, 3},    {TimeUnit::kHour, 6},
    {TimeUnit::kHour, 12},   {TimeUnit::kDay, 1},     {TimeUnit::kDay, 2},
    {TimeUnit::kDay, 5},     {TimeUnit::kDay, 10},    {TimeUnit::kMonth, 1},
    {TimeUnit::kMonth, 2},   {TimeUnit::kMonth, 3},   {TimeUnit::kMonth, 6},
    {TimeUnit::kYear, 1},    {TimeUnit::kYear, 2},    {TimeUnit::kYear, 5},
    {TimeUnit::kYear, 10},   {TimeUnit::kYear, 20},   {TimeUnit::kYear, 50},
    {TimeUnit::kYear, 100},  {TimeUnit::kYear, 200},
};

// At most this many ticks when the step is chosen for the span.
constexpr size_t kMostChosenTicks = 8;
// And never more than this many, whatever step is asked for.
constexpr size_t kMostTicks = 50;
// Days further from 1970 than this (about 27,000 years) are no calendar
// date: such an axis has no ticks.
constexpr double kFarthestDay = 1e7;

// The 5-day and 10-day marks of a month: 候 and 旬.
constexpr std::array<int, 6> kPentadDays = {1, 6, 11, 16, 21, 26};
constexpr std::array<int, 3> kDekadDays = {1, 11, 21};

double StepDays(TimeStep step) {
  switch (step.unit) {
    case TimeUnit::kMinute:
      return step.count / 1440.0;
    case TimeUnit::kHour:
      return step.count / 24.0;
    case TimeUnit::kDay:
      return step.count;
    case TimeUnit::kMonth:
      return step.count * 30.436875;
    case TimeUnit::kYear:
      break;
  }
  return step.count * 365.2425;
}

int64_t FloorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  if (a % b != 0 && ((a < 0) != (b < 0))) --q;
  return q;
}

// Appends `time` to `*times` while it lies within `to`; false once the
// times are done: past `to`, or more than `limit` of them.
bool Take(RecordTime time, RecordTime to, size_t limit,
          std::vector<RecordTime>* times) {
  if (time > to) return false;
  times->push_back(time);
  return times->size() <= limit;
}

// The ticks of `step` from `from` to `to` (seconds), up to `limit` + 1 of
// them, so that a caller can tell a step with too many.
std::vector<RecordTime> TickTimes(TimeStep step, RecordTime from, RecordTime to,
                                  size_t limit) {
  std::vector<RecordTime> times;
  const LocalDateTime start = RecordDateTime(from);
  if (step.unit == TimeUnit::kDay && step.count >= 5) {
    const std::span<const int> marks = step.count >= 10
                                           ? std::span<const int>(kDekadDays)
                                           : std::span<const int>(kPentadDays);
    for (int year = start.year, month = start.month;; ++month) {
      if (month > 12) {
        month = 1;
        ++year;
      }
      for (int day : marks) {
        const RecordTime time = MakeRecordTime(year, month, day);
        if (time >= from && !Take(time, to, limit, &times)) return times;
      }
    }
  }
  if (step.unit == TimeUnit::kMonth) {
    for (int year = start.year, month = start.month;; ++month) {
      if (month > 12) {
        month = 1;
        ++year;
      }
      if ((month - 1) % step.count != 0) continue;
      const RecordTime time = MakeRecordTime(year, month, 1);
      if (time >= from && !Take(time, to, limit, &times)) return times;
    }
  }
  if (step.unit == TimeUnit::kYear) {
    int year =
        start.year - ((start.year % step.count) + step.count) % step.count;
    for (;; year += step.count) {
      const RecordTime time = MakeRecordTime(year, 1, 1);
      if (time >= from && !Take(time, to, limit, &times)) return times;
    }
  }
  // Minutes, hours and whole days fall on multiples of their length since
  // 1970-01-01 0:00, and so at the same times of every day.
  const int64_t seconds = static_cast<int64_t>(
      std::llround(StepDays(step) * static_cast<double>(kSecondsPerDay)));
  for (int64_t k = -FloorDiv(-from, seconds);; ++k) {
    if (!Take(k * seconds, to, limit, &times)) return times;
  }
}

std::string Digits2(int value) {
  return {static_cast<char>('0' + value / 10 % 10),
          static_cast<char>('0' + value % 10)};
}

std::string YearText(const LocalDateTime& when) {
  return std::to_string(when.year) + "年";
}

std::string MonthText(const LocalDateTime& when) {
  return std::to_string(when.month) + "月";
}

std::string MonthDayText(const LocalDateTime& when) {
  return MonthText(when) + std::to_string(when.day) + "日";
}

std::string TickLabel(TimeStep step, RecordTime time, bool first) {
  const LocalDateTime when = RecordDateTime(time);
  switch (step.unit) {
    case TimeUnit::kMinute:
    case TimeUnit::kHour: {
      if (when.hour == 0 && when.minute == 0) return MonthDayText(when);
      const std::string clock = Digits2(when.hour) + ":" + Digits2(when.minute);
      return first ? MonthDayText(when) + " " + clock : clock;
    }
    case TimeUnit::kDay:
      if (first || (when.month == 1 && when.day == 1)) {
        return YearText(when) + MonthDayText(when);
      }
      return MonthDayText(when);
    case TimeUnit::kMonth:
      return first || when.month == 1 ? YearText(when) + MonthText(when)
                                      : MonthText(when);
    case TimeUnit::kYear:
      break;
  }
  return YearText(when);
}

}  // namespace

TimeStep CoarserTimeStep(TimeStep step) {
  for (const TimeStep& next : kLadder) {
    if (StepDays(next) > StepDays(step)) return next;
  }
  return step;
}

Axis MakeTimeAxis(std::string title, double min, double max,
                  std::optional<TimeStep> step) {
  Axis axis;
  axis.title = std::move(title);
  axis.min = min;
  axis.max = max;
  axis.time_step = step.value_or(kLadder[0]);
  axis.step = StepDays(*axis.time_step);
  if (!std::isfinite(min) || !std::isfinite(max) || !(max >= min) ||
      std::fabs(min) > kFarthestDay || std::fabs(max) > kFarthestDay) {
    return axis;
  }
  // A reading's day is its time over 86400 s: a millisecond of slack keeps
  // the ends that fall on a tick despite the division's rounding.
  const double day = static_cast<double>(kSecondsPerDay);
  const auto from = static_cast<RecordTime>(std::ceil(min * day - 1e-3));
  const auto to = static_cast<RecordTime>(std::floor(max * day + 1e-3));
  std::vector<RecordTime> times;
  if (step) {
    times = TickTimes(*step, from, to, kMostTicks - 1);
  } else {
    for (const TimeStep& candidate : kLadder) {
      axis.time_step = candidate;
      times = TickTimes(candidate, from, to, kMostChosenTicks);
      if (times.size() <= kMostChosenTicks) break;
    }
    times.resize(std::min(times.size(), kMostTicks));
  }
  axis.step = StepDays(*axis.time_step);
  for (size_t i = 0; i < times.size(); ++i) {
    axis.ticks.push_back(static_cast<double>(times[i]) / day);
    axis.labels.push_back(TickLabel(*axis.time_step, times[i], i == 0));
  }
  return axis;
}

}  // namespace xsrating::figure
