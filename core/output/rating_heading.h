// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CORE_OUTPUT_RATING_HEADING_H_
#define XSRATING_CORE_OUTPUT_RATING_HEADING_H_

#include <string>

#include "core/base/types.h"

namespace xsrating {

// The line that names a rating for a figure's heading: the survey file's
// name without its folder and extension, the roughness (15 significant
// digits, "0.025") and the slope as typed, set apart by ideographic spaces:
// "v_section　糙率 n = 0.025　比降 S = 0.0004". With zones, their roughnesses
// in order and the method, "分区糙率 n = 0.05、0.025（分区）", or beyond six
// zones the least and the most and their count,
// "分区糙率 n = 0.025～0.05，共 12 区（综合）".
std::string RatingHeading(const RunParameters& params);

}  // namespace xsrating

#endif  // XSRATING_CORE_OUTPUT_RATING_HEADING_H_
