// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CORE_FLOW_RECORD_FLOW_H_
#define XSRATING_CORE_FLOW_RECORD_FLOW_H_

// A stage record turned into discharges (推流) by the run's own rating, each
// stage read off the section exactly as a row of the table at that stage
// shows it.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/status.h"
#include "core/calibration/rating_analysis.h"
#include "core/hydraulics/rating.h"
#include "core/input/stage_record.h"

namespace xsrating {

// What a reading's discharge says beside its value.
enum class FlowNote : uint8_t {
  kNone,
  kDry,         // 河干: at or below the lowest bed point, Q = 0.
  kAboveCrest,  // 超出断面: above the lower bank crest, no discharge.
  kExtension,   // 外延: above the highest usable gauging.
};

// "", "河干", "超出断面", "外延".
const char* FlowNoteText(FlowNote note);

// The discharges of a stage record. Every distinct stage is worked out once;
// a reading refers to its stage by index.
struct RecordFlow {
  std::vector<double> stages;      // The distinct stages, ascending.
  std::vector<double> discharges;  // Of each stage; NaN where there is none.
  std::vector<FlowNote> notes;     // Of each stage.
  std::vector<uint32_t> stage_of;  // Of each reading, an index into stages.

  double z_min = 0;  // The section's lowest bed point.
  double z_top = 0;  // Its lower bank crest.
  // With gaugings: the calibrated roughness n_c the discharges were made
  // with, and the highest usable gauged stage.
  std::optional<double> calibrated_roughness;
  double highest_gauged_stage = 0;

  int64_t dry_count = 0;             // Readings noted kDry.
  int64_t above_crest_count = 0;     // kAboveCrest.
  int64_t extension_count = 0;       // kExtension.
  RecordTime first_above_crest = 0;  // When above_crest_count > 0.
  RecordTime first_extension = 0;    // When extension_count > 0.

  double Discharge(size_t reading) const {
    return discharges[stage_of[reading]];
  }
  FlowNote Note(size_t reading) const { return notes[stage_of[reading]]; }
};

// Converts `readings` by `rating`, which a run computed with the slope text
// `slope_text`. For stage H:
//  - H <= z_min: Q = 0, kDry;
//  - z_min < H <= z_top: Q as ComputeStageRows makes a table row at level H
//    (the wetted geometry at H, the area rounded to 0.01, the discharge by
//    the rating's rule rounded to 0.01): the rating's roughness or zones
//    with their method, or, when `analysis` (the run's check against
//    gaugings) is given, Manning's formula with its calibrated roughness for
//    the whole section; kExtension above its highest usable gauged stage;
//  - H > z_top: no discharge (NaN), kAboveCrest; never clamped.
// Fails when the rating's rule cannot make a discharge (a slope that is not
// a number, a figure beyond the range of a double); the message says so.
Status ConvertStageRecord(const Rating& rating, const RatingAnalysis* analysis,
                          std::string_view slope_text,
                          std::span<const StageReading> readings,
                          RecordFlow* flow);

// The warnings of a converted record, each one line: readings above the bank
// crest (how many, the first, the crest's elevation) and readings in the
// extension above the gaugings. Empty when there is nothing to say.
std::vector<std::string> FlowWarnings(const RecordFlow& flow);

}  // namespace xsrating

#endif  // XSRATING_CORE_FLOW_RECORD_FLOW_H_
