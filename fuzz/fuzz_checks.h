// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_FUZZ_FUZZ_CHECKS_H_
#define XSRATING_FUZZ_FUZZ_CHECKS_H_

// What must hold for any input, whatever its bytes. The fuzz targets trap on a
// broken property; the regression tests replay saved inputs through the same
// checks. Each check returns an empty string when everything holds, or a short
// description of the first property that does not.

#include <string>
#include <string_view>

#include "core/input/zones_file.h"
#include "core/output/zones_file_text.h"

namespace xsrating::hardening {

// Reads `bytes` as a survey file. On success: at most 1000 points, all
// finite, exactly the numbers an independent split of the text finds, and the
// same points again when they are written out and read back. On failure: a
// non-empty message in valid UTF-8 without control characters that names a
// line of the input.
std::string CheckSurveyParse(std::string_view bytes);

// Reads `bytes` as a gaugings file. On success: at least one gauging and at
// most kMaxGaugings, on ascending lines of the input, each the first two
// fields of its line as an independent split of the text reads them, its
// stage finite and its discharge finite and above 0. On failure: a message
// as for the survey, of kind kBadInput, naming no line the input lacks.
std::string CheckGaugingsParse(std::string_view bytes);

// Reads `bytes` as a roughness zones file. On failure: a message as for the
// survey, naming a line of the input unless the text is UTF-16 or holds no
// zone. On success: at least one zone and at most kMaxZones, distances finite
// and increasing, roughnesses finite and above 0, each on a line of the input
// after the one before; the zones read back bit for bit from the text the
// window saves (RoughnessZonesText); and a V section starting at the first
// zone, rated by both methods, has the stages and areas of one roughness and
// finite discharges not below 0 (or fails only for values beyond a double).
std::string CheckZonesParse(std::string_view bytes);

// Reads `bytes` as a stage record. On failure: a message as for the survey,
// of kind kBadInput, naming no line the input lacks. On success: 1 to
// kMaxStageRecords readings, stages finite, times strictly increasing and at
// most kMaxStageRecordDays apart; converted by a V section's rating, every
// reading has a discharge not below 0 or is noted above the crest, each
// calendar date from the first to the last has a day, and the flow table
// opens as one of ours.
std::string CheckStageRecordParse(std::string_view bytes);

// One whole run from memory. `input` holds four lines, then the survey bytes:
//   roughness text LF slope text LF stage count text LF survey path LF survey
// A missing line is an empty text. The roughness and stage count texts go
// through the regional conversion as the window's boxes do (a text that is not
// a number leaves the value at 0, as in a fresh window). Then, in the run's
// order: the stage-count guard, reading the survey, the result path, the
// whole table, the result bytes. Checks the table against a plain reference
// computation (bit for bit, and failing exactly when it fails), the result
// bytes against the table (layout, line ends, numbers read back), and every
// failure message as for the survey.
std::string CheckWholeRun(std::string_view input);

}  // namespace xsrating::hardening

#endif  // XSRATING_FUZZ_FUZZ_CHECKS_H_
