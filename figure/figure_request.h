// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_FIGURE_FIGURE_REQUEST_H_
#define XSRATING_FIGURE_FIGURE_REQUEST_H_

// What one figure shows, as the figure layer holds it: the core's figure
// request (core/output/figure_request.h) with the rating's parts copied, so
// that the viewer can keep it and the figure module can rebuild it on its side
// of the C boundary (figure_abi/figure_module.h).

#include <optional>
#include <string>
#include <vector>

#include "core/base/types.h"
#include "core/calibration/rating_analysis.h"
#include "core/hydraulics/hydraulic_table.h"
#include "core/hydraulics/rating.h"
#include "core/hydraulics/roughness_zones.h"
#include "core/output/figure_request.h"

namespace xsrating::figure {

struct FigureRequest {
  CrossSection section;
  // The hydraulic table, one row per stage; with none the curves stay empty
  // and the section has no water.
  std::vector<HydraulicRow> rows;
  // The roughness zones on the section when there are two or more; the
  // section chart marks them.
  std::vector<AppliedZone> zones;
  // The table checked against gaugings; none without them.
  std::optional<RatingAnalysis> analysis;
  // The line above a figure file's charts (RatingHeading); none when empty.
  std::string heading;
  // The figure file's title (its name, UTF-8); SVG only.
  std::string title;
};

// The figure of the core's request (core/output/figure_request.h), whose
// rating and analysis are copied.
FigureRequest RequestFor(const xsrating::FigureRequest& request);

// The request for the figure of `rating`, checked against gaugings when
// `analysis` is given (copied).
FigureRequest RequestForRating(const Rating& rating,
                               const RatingAnalysis* analysis,
                               std::string heading, std::string title);

}  // namespace xsrating::figure

#endif  // XSRATING_FIGURE_FIGURE_REQUEST_H_
