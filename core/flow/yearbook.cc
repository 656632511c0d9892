// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/flow/yearbook.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string_view>
#include <system_error>

namespace xsrating {
namespace {

void KeepExtremes(double q, int month, int day,
                  std::optional<DatedFlow>* largest,
                  std::optional<DatedFlow>* smallest) {
  if (!*largest || q > (*largest)->discharge)
    *largest = DatedFlow{q, month, day};
  if (!*smallest || q < (*smallest)->discharge) {
    *smallest = DatedFlow{q, month, day};
  }
}

// The month's and the year's means of the daily means, where complete.
void CompleteMeans(YearbookYear* year) {
  bool whole_year = true;
  double year_sum = 0;
  int year_days = 0;
  for (int m = 0; m < 12; ++m) {
    YearbookMonth& month = year->months[static_cast<size_t>(m)];
    const RecordTime first = MakeRecordTime(year->year, m + 1, 1);
    const RecordTime next = m == 11 ? MakeRecordTime(year->year + 1, 1, 1)
                                    : MakeRecordTime(year->year, m + 2, 1);
    const int length = static_cast<int>((next - first) / kSecondsPerDay);
    bool whole_month = true;
    double sum = 0;
    for (int d = 0; d < length; ++d) {
      const std::optional<double>& mean = month.daily[static_cast<size_t>(d)];
      if (!mean) {
        whole_month = false;
        continue;
      }
      sum += *mean;
    }
    if (whole_month) month.mean = sum / length;
    whole_year = whole_year && whole_month;
    year_sum += sum;
    year_days += length;
  }
  if (whole_year) {
    year->mean = year_sum / year_days;
    year->volume = year_sum * static_cast<double>(kSecondsPerDay) / 1e8;
  }
}

}  // namespace

std::vector<YearbookYear> YearbookTables(std::span<const StageReading> readings,
                                         const RecordFlow& flow,
                                         std::span<const DailyFlow> days) {
  std::vector<YearbookYear> years;
  if (readings.empty()) return years;
  const int first_year = RecordDateTime(readings.front().time).year;
  const int last_year = RecordDateTime(readings.back().time).year;
  years.resize(static_cast<size_t>(last_year - first_year + 1));
  for (size_t y = 0; y < years.size(); ++y) {
    years[y].year = first_year + static_cast<int>(y);
  }
  for (const DailyFlow& day : days) {
    if (!day.mean) continue;
    const LocalDateTime date = RecordDateTime(day.day);
    years[static_cast<size_t>(date.year - first_year)]
        .months[static_cast<size_t>(date.month - 1)]
        .daily[static_cast<size_t>(date.day - 1)] = day.mean;
  }
  // Readings come in time order: the date is worked out once a day.
  RecordTime day_start = 0;
  LocalDateTime date;
  for (size_t i = 0; i < readings.size(); ++i) {
    const double q = flow.Discharge(i);
    if (!std::isfinite(q)) continue;
    const RecordTime time = readings[i].time;
    if (i == 0 || time < day_start || time >= day_start + kSecondsPerDay) {
      day_start = StartOfDay(time);
      date = RecordDateTime(day_start);
    }
    YearbookYear& year = years[static_cast<size_t>(date.year - first_year)];
    YearbookMonth& month = year.months[static_cast<size_t>(date.month - 1)];
    KeepExtremes(q, date.month, date.day, &month.largest, &month.smallest);
    KeepExtremes(q, date.month, date.day, &year.largest, &year.smallest);
  }
  for (YearbookYear& year : years) CompleteMeans(&year);
  return years;
}

Status ComputeStageRecordFlow(const Rating& rating,
                              const RatingAnalysis* analysis,
                              std::string_view slope_text,
                              std::span<const StageReading> readings,
                              StageRecordFlow* result) {
  *result = StageRecordFlow();
  if (Status s = ConvertStageRecord(rating, analysis, slope_text, readings,
                                    &result->flow);
      !s.ok()) {
    return s;
  }
  result->days = DailyMeans(readings, result->flow);
  result->summary = SummarizeFlow(readings, result->flow, result->days);
  result->years = YearbookTables(readings, result->flow, result->days);
  return Status::Ok();
}

std::string YearbookNumber(double value) {
  // Three significant figures first; a value that still needs more than
  // three decimals (below 0.0995 in size) is rounded to three decimals
  // instead. Either way to_chars rounds the exact binary value once, ties to
  // even.
  if (value == 0) return "0";
  char text[64];
  const std::to_chars_result sci = std::to_chars(
      text, text + sizeof text, value, std::chars_format::scientific, 2);
  const std::string_view written(text, static_cast<size_t>(sci.ptr - text));
  const size_t e = written.find('e');
  const int exponent = std::atoi(std::string(written.substr(e + 1)).c_str());
  std::string result;
  if (exponent >= -1) {
    const bool negative = written[0] == '-';
    const std::string_view mantissa = written.substr(negative ? 1 : 0);
    // "d.dd": the three digits, the point after the `exponent + 1`-th.
    const std::string digits = {mantissa[0], mantissa[2], mantissa[3]};
    if (negative) result += '-';
    if (exponent == -1) {
      result += "0." + digits;
    } else if (exponent < 2) {
      result += digits.substr(0, static_cast<size_t>(exponent) + 1) + "." +
                digits.substr(static_cast<size_t>(exponent) + 1);
    } else {
      result += digits + std::string(static_cast<size_t>(exponent) - 2, '0');
    }
    return result;
  }
  const std::to_chars_result fixed = std::to_chars(
      text, text + sizeof text, value, std::chars_format::fixed, 3);
  result.assign(text, fixed.ptr);
  if (result.find_first_not_of("-0.") == std::string::npos) return "0";
  return result;
}

}  // namespace xsrating
