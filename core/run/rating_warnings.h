// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CORE_RUN_RATING_WARNINGS_H_
#define XSRATING_CORE_RUN_RATING_WARNINGS_H_

// What is doubtful about a rating that was computed all the same: the table
// and the result file stay as computed, and the user is told why they may not
// be what was meant. Every warning is one Simplified-Chinese sentence or two
// in UTF-8, without line breaks, fit for a line of a message box, the
// viewer's red line or standard error.

#include <optional>
#include <string>
#include <vector>

#include "core/base/types.h"
#include "core/calibration/rating_analysis.h"
#include "core/hydraulics/rating.h"

namespace xsrating {

// Roughness and slope outside these bounds are seldom meant: a digit too many
// or too few, or a slope typed in per mille. Warned about, never refused.
inline constexpr double kLowestUsualRoughness = 0.008;
inline constexpr double kHighestUsualRoughness = 0.25;
inline constexpr double kHighestUsualSlope = 0.1;
// The usual limit for carrying a rating above the gauged range, as a share of
// the gauged range of stage.
inline constexpr double kUsualExtensionLimitPercent = 30;

// The title under which a run shows its warnings (RunComputation).
inline constexpr char kRatingWarningsTitle[] = "计算结果请核对：";
// The title of a stage record's warnings (FlowWarnings).
inline constexpr char kStageRecordWarningsTitle[] = "水位过程请核对：";

// The warnings of a successful rating of `params`, in this order:
//  1. For each end of the section, the first point and then the last, whose
//     elevation is below the table's highest stage: the water of the top
//     stages spills over that end, which the table treats as a vertical wall.
//     The warning names the end (its point number and distance), its
//     elevation, the first stage above it, and the survey's rule that the data
//     run from the highest point of one bank to the highest point of the
//     other.
//  2. A stage count with a fraction (7.9): the step is worked out with it,
//     but only its whole stages (7) are rows, so the top stage stays below
//     the lower bank crest. The warning names the rows written, the top
//     stage and the crest.
//  3. ParameterWarnings(params).
// Empty when nothing is doubtful. A rating without rows gives only 3.
std::vector<std::string> RatingWarnings(const Rating& rating,
                                        const RunParameters& params);

// The warnings of the parameters alone, before any survey is read:
//  - a typed roughness above 0 outside kLowestUsualRoughness to
//    kHighestUsualRoughness; with zones, each zone's roughness;
//  - a slope above kHighestUsualSlope;
//  - a slope of 0, which makes every discharge 0.
// A roughness not above 0 or a slope that is not a number or is negative
// fails the run with its own message and gives no warning here.
std::vector<std::string> ParameterWarnings(const RunParameters& params);

// The warning of an analysis whose extension exceeds
// kUsualExtensionLimitPercent: how far, and above which gauged stage the table
// is extrapolated. None when the extension is within the limit or is none.
std::optional<std::string> ExtensionWarning(const RatingAnalysis& analysis);

// The one message a run shows for `warnings` of the survey at
// `data_file_path`: a line naming the survey, then one line per warning,
// lines parted by a lone CR (as MessageSink texts are).
std::string RatingWarningsMessage(const std::string& data_file_path,
                                  const std::vector<std::string>& warnings);

}  // namespace xsrating

#endif  // XSRATING_CORE_RUN_RATING_WARNINGS_H_
