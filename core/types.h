// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CORE_TYPES_H_
#define XSRATING_CORE_TYPES_H_

#include <string>
#include <vector>

namespace xsrating {

// A section holds at most this many surveyed points.
inline constexpr int kMaxPoints = 1000;
// A table holds at most this many stages; a larger stage count is replaced by
// kFallbackStageCount before a run.
inline constexpr int kMaxStages = 100;
inline constexpr double kFallbackStageCount = 20;

// The four inputs of a run, as the user gave them. Texts are UTF-8.
struct RunParameters {
  std::string data_file_path;  // Survey file; empty until one is chosen.
  double roughness = 0;        // Manning's n.
  std::string slope_text;      // Water-surface slope exactly as typed.
  double stage_count = 0;      // Number of stages M; may be fractional.
};

// One surveyed point. Lengths are in the survey's unit (normally metres).
struct SectionPoint {
  double distance = 0;   // From the section's initial point on one bank.
  double elevation = 0;  // Ground or bed elevation.
};

// The survey: points in file order, from one bank crest to the other.
// Never reordered.
struct CrossSection {
  std::vector<SectionPoint> points;
};

// One row of the stage-discharge table.
struct StageRow {
  double stage = 0;      // Water level, not rounded.
  double area = 0;       // Wetted area, rounded half up to 0.01.
  double discharge = 0;  // Manning discharge, rounded half up to 0.01.
};

// Rounds half up to 0.01: floor(value * 100 + 0.5) / 100.
double RoundToHundredth(double value);
// Truncates down to a multiple of 0.01: floor(value * 100) / 100.
double TruncateToHundredth(double value);

}  // namespace xsrating

#endif  // XSRATING_CORE_TYPES_H_
