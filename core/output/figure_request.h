// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CORE_OUTPUT_FIGURE_REQUEST_H_
#define XSRATING_CORE_OUTPUT_FIGURE_REQUEST_H_

// What a figure file shows, in the one shape every front end hands to its
// figure renderer, and the renderer a front end supplies: the core writes the
// figure's bytes as one of its own files but draws nothing itself.

#include <span>
#include <string>

#include "core/base/status.h"
#include "core/calibration/rating_analysis.h"
#include "core/flow/yearbook.h"
#include "core/hydraulics/rating.h"
#include "core/input/stage_record.h"

namespace xsrating {

struct FigureRequest {
  // The rating drawn: its section, hydraulic table and zones. Never null;
  // kept by the caller while the figure is drawn.
  const Rating* rating = nullptr;
  // The rating checked against gaugings; null without them.
  const RatingAnalysis* analysis = nullptr;
  std::string format;   // "svg" or "png".
  std::string title;    // The file's name without folder and extension.
  std::string heading;  // The line above the charts (RatingHeading).
  // A stage record and its discharges, for the hydrograph below the charts;
  // no readings and null without one. Kept by the caller, as the rating.
  std::span<const StageReading> stage_readings = {};
  const StageRecordFlow* flow = nullptr;  // Of stage_readings.
};

class FigureRenderer {
 public:
  virtual ~FigureRenderer() = default;
  // Draws `request` into *bytes, the whole file. A failure says why in
  // Simplified Chinese; *bytes is then not to be used. Empty bytes are never
  // a success.
  virtual Status Render(const FigureRequest& request, std::string* bytes) = 0;
};

}  // namespace xsrating

#endif  // XSRATING_CORE_OUTPUT_FIGURE_REQUEST_H_
