// SPDX-License-Identifier: GPL-3.0-or-later
// A stage record reduced for drawing. Ten years of five-minute readings are
// a million points, a thousand of them to each pixel of a hydrograph: a
// polyline through them all would be slow to draw and megabytes of SVG,
// while thinning them evenly would cut the peaks, which are what a
// hydrologist looks at first. So the record's time span is cut into 819
// buckets, each about a pixel of a figure file's hydrograph, and each keeps
// the readings that draw the same as all of its readings would: its first
// and last, its highest and lowest discharge and stage, and the widest gap
// in it.
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "figure/figure_request.h"

namespace xsrating::figure {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// Readings further apart than a day are not joined: the record has a gap.
constexpr RecordTime kLongestJoin = kSecondsPerDay;
// A bucket keeps at most eight readings, one break within it and one
// before it.
constexpr size_t kKeptPerBucket = 10;
constexpr int64_t kBuckets =
    static_cast<int64_t>(kHydrographReadings / kKeptPerBucket);
constexpr size_t kNone = std::numeric_limits<size_t>::max();

double DischargeOf(const RecordFlow& flow, size_t reading) {
  if (reading >= flow.stage_of.size() ||
      flow.stage_of[reading] >= flow.discharges.size()) {
    return kNaN;
  }
  return flow.Discharge(reading);
}

// Appends kept readings in time order, with a break between two that
// follow each other in the record more than a day apart.
class Keeper {
 public:
  Keeper(std::span<const StageReading> readings, const RecordFlow& flow,
         std::vector<Hydrograph::Reading>* kept)
      : readings_(readings), flow_(flow), kept_(kept) {}

  // Keeps reading `i`, after a break when `may_break` and the reading kept
  // before it is the one before it in the record, more than a day earlier.
  void Keep(size_t i, bool may_break) {
    if (may_break && last_ != kNone && i == last_ + 1 &&
        readings_[i].time - readings_[last_].time > kLongestJoin) {
      const double middle =
          (static_cast<double>(readings_[last_].time) + readings_[i].time) / 2;
      kept_->push_back({middle / kSecondsPerDay, kNaN, kNaN});
    }
    kept_->push_back({static_cast<double>(readings_[i].time) / kSecondsPerDay,
                      readings_[i].stage, DischargeOf(flow_, i)});
    last_ = i;
  }

 private:
  std::span<const StageReading> readings_;
  const RecordFlow& flow_;
  std::vector<Hydrograph::Reading>* kept_;
  size_t last_ = kNone;
};

// The readings of one bucket worth drawing, as indices into the record.
class Bucket {
 public:
  void Add(size_t i, std::span<const StageReading> readings, double q) {
    if (first_ == kNone) {
      first_ = highest_ = lowest_ = i;
    } else {
      const RecordTime gap = readings[i].time - readings[last_].time;
      if (gap > widest_gap_) {
        widest_gap_ = gap;
        before_gap_ = last_;
      }
      if (readings[i].stage > readings[highest_].stage) highest_ = i;
      if (readings[i].stage < readings[lowest_].stage) lowest_ = i;
    }
    last_ = i;
    // A reading without discharge is above the bank crest, so the bucket's
    // highest stage keeps one whenever the bucket has one: the discharge
    // line breaks there.
    if (std::isnan(q)) return;
    if (most_flow_ == kNone || q > most_q_) {
      most_flow_ = i;
      most_q_ = q;
    }
    if (least_flow_ == kNone || q < least_q_) {
      least_flow_ = i;
      least_q_ = q;
    }
  }

  // Keeps the bucket's readings in time order; only the gap before it and
  // its widest gap break the line: any other gap in it is narrower than the
  // bucket, well under a pixel.
  void KeepIn(Keeper* keeper) const {
    if (first_ == kNone) return;
    const size_t after_gap = before_gap_ == kNone ? kNone : before_gap_ + 1;
    std::array<size_t, 8> chosen = {first_,   last_,   most_flow_,  least_flow_,
                                    highest_, lowest_, before_gap_, after_gap};
    std::sort(chosen.begin(), chosen.end());
    size_t previous = kNone;
    for (size_t i : chosen) {
      if (i == kNone || i == previous) continue;
      keeper->Keep(i, i == first_ || i == after_gap);
      previous = i;
    }
  }

 private:
  size_t first_ = kNone;
  size_t last_ = kNone;
  size_t most_flow_ = kNone;
  size_t least_flow_ = kNone;
  size_t highest_ = kNone;
  size_t lowest_ = kNone;
  size_t before_gap_ = kNone;  // The reading before the widest gap.
  RecordTime widest_gap_ = kLongestJoin;
  double most_q_ = 0;
  double least_q_ = 0;
};

// The number of gaps of more than a day between consecutive readings.
size_t CountGaps(std::span<const StageReading> readings) {
  size_t gaps = 0;
  for (size_t i = 1; i < readings.size(); ++i) {
    if (readings[i].time - readings[i - 1].time > kLongestJoin) ++gaps;
  }
  return gaps;
}

}  // namespace

Hydrograph MakeHydrograph(std::span<const StageReading> readings,
                          const StageRecordFlow& flow) {
  Hydrograph hydrograph;
  hydrograph.bed = flow.flow.z_min;
  hydrograph.bank_crest = flow.flow.z_top;
  for (const DailyFlow& day : flow.days) {
    hydrograph.days.push_back({static_cast<double>(day.day) / kSecondsPerDay,
                               day.mean.value_or(kNaN)});
  }
  if (readings.empty()) return hydrograph;
  Keeper keeper(readings, flow.flow, &hydrograph.readings);
  // A short record is drawn whole, each gap a break.
  if (readings.size() <= kHydrographReadings &&
      readings.size() + CountGaps(readings) <= kHydrographReadings) {
    hydrograph.readings.reserve(readings.size() + CountGaps(readings));
    for (size_t i = 0; i < readings.size(); ++i) keeper.Keep(i, true);
    return hydrograph;
  }
  hydrograph.readings.reserve(kHydrographReadings);
  const RecordTime start = readings.front().time;
  // One more than the span, so that the last reading falls in the last
  // bucket; 200 years of seconds times the buckets stay far within int64.
  const int64_t span = readings.back().time - start + 1;
  Bucket bucket;
  int64_t index = 0;
  for (size_t i = 0; i < readings.size(); ++i) {
    const int64_t at = (readings[i].time - start) * kBuckets / span;
    if (at != index) {
      bucket.KeepIn(&keeper);
      bucket = Bucket();
      index = at;
    }
    bucket.Add(i, readings, DischargeOf(flow.flow, i));
  }
  bucket.KeepIn(&keeper);
  return hydrograph;
}

}  // namespace xsrating::figure
