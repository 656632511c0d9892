// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CORE_BASE_TYPES_H_
#define XSRATING_CORE_BASE_TYPES_H_

#include <cstdint>
#include <string>
#include <vector>

namespace xsrating {

// A section holds at most this many surveyed points.
inline constexpr int kMaxPoints = 1000;
// A table holds at most this many stages; a larger stage count is replaced by
// kFallbackStageCount before a run.
inline constexpr int kMaxStages = 100;
inline constexpr double kFallbackStageCount = 20;

// A roughness zone: from its breakpoint distance up to the next zone's (the
// last to the end of the section), the bed has Manning's n `roughness`.
struct RoughnessZone {
  double from = 0;       // Breakpoint distance, in the survey's unit.
  double roughness = 0;  // Manning's n of the zone.
  int64_t line = 0;      // Line of the zones file it came from; 0 for none.
};

// How a section whose roughness varies across it is computed.
enum class ZoneMethod {
  // Each zone's conveyance by Manning's formula, added up (分区).
  kSubsection,
  // One equivalent roughness for the whole wetted perimeter (综合).
  kComposite,
};

// The four inputs of a run, as the user gave them. Texts are UTF-8.
struct RunParameters {
  std::string data_file_path;  // Survey file; empty until one is chosen.
  double roughness = 0;        // Manning's n.
  std::string slope_text;      // Water-surface slope exactly as typed.
  double stage_count = 0;      // Number of stages M; may be fractional.
  // When not empty, the roughness varies across the section: these zones, in
  // ascending distance, take the place of `roughness`.
  std::vector<RoughnessZone> zones;
  ZoneMethod zone_method = ZoneMethod::kSubsection;
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

#endif  // XSRATING_CORE_BASE_TYPES_H_
