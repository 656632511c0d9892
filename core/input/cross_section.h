// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CORE_INPUT_CROSS_SECTION_H_
#define XSRATING_CORE_INPUT_CROSS_SECTION_H_

#include <istream>
#include <string>
#include <string_view>

#include "core/base/status.h"
#include "core/base/types.h"

namespace xsrating {

// Reads a survey: numbers separated by a comma, spaces and tabs, or a line end
// (LF, CR LF or a lone CR), alternating distance and elevation. A comma may
// have spaces on either side. A UTF-8 byte-order mark at the start is skipped,
// and a Ctrl-Z as the very last byte, which old DOS editors add, ends the
// input. The last elevation may be followed by one separator (a comma or
// spaces) or by the line end of its line, and by nothing else.
//
// On success *section holds the points in file order (possibly none). Fails,
// with a message naming the line and the point, when a field is not a number,
// a field is empty (two commas in a row), the data end inside a point or
// after extra separators (naming the one line with an odd count of numbers
// when all others hold one pair), or a point beyond kMaxPoints is started; and
// at once, saying so, for a result file of this program (of kind
// kNotASurvey). A file whose first line (or first line after its `#` notes)
// holds the column heads of another input of a station fails with
// kOtherInput, naming that line and saying which input it looks like and
// where it belongs: 水位 and 流量 for gaugings, 起点距 and 糙率 for roughness
// zones, 时间 and 水位 for a stage record. A field that is not a number is
// quoted as GBK, or as UTF-8 when the whole input is valid UTF-8; one typed
// in full-width digits is given in half-width (FullWidthHint).
// Reading is a single pass with bounded memory, whatever the input's size; it
// stops at the first field too long to be a number.
Status ParseCrossSection(std::istream& in, CrossSection* section);

// Opens the survey file at `data_file_path` (UTF-8) and parses it. Fails also
// when no file has been chosen (empty path), the file does not exist, is a
// folder, a pipe or a device, or cannot be read; the message names the file.
Status ReadCrossSection(const std::string& data_file_path,
                        CrossSection* section);

// True when `bytes` begin as a result file does: with the GBK bytes of
// "计算时间:". How a run knows that a file it would replace is an earlier
// result and not, say, a survey.
bool StartsLikeResultFile(std::string_view bytes);

}  // namespace xsrating

#endif  // XSRATING_CORE_INPUT_CROSS_SECTION_H_
