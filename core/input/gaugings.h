// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CORE_INPUT_GAUGINGS_H_
#define XSRATING_CORE_INPUT_GAUGINGS_H_

// Discharge measurements at the section (gaugings), as a hydrologist keeps
// them: one per line, stage then discharge, often with a date and notes.

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

#include "core/base/status.h"

namespace xsrating {

// A gaugings file holds at most this many gaugings.
inline constexpr int kMaxGaugings = 10000;

// One measured discharge at a measured stage.
struct Gauging {
  double stage = 0;      // Water level, finite.
  double discharge = 0;  // Above 0.
  int64_t line = 0;      // Line of the file it was read from, from 1.
};

// Reads a gaugings file: GBK or UTF-8 text, with or without a UTF-8
// byte-order mark; lines end in LF, CR LF or a lone CR. Each line that is not
// blank holds a gauging: its first two fields are the stage and the
// discharge, separated by a comma, spaces or tabs (a comma may have blanks on
// either side); whatever follows them on the line (a date, the method, notes)
// is ignored. The first line that is neither blank nor a comment is a header
// and is skipped when its first field holds no digit. A line whose first
// character other than blanks is '#' is a comment.
//
// On success *gaugings holds the gaugings in file order, at least one. Fails,
// with a message that begins with the line ("第 5 行…") when there is one,
// when a field is not a number or is missing, a discharge is not above 0, a
// gauging beyond kMaxGaugings is started, the file holds no gauging, or it is
// UTF-16. Reading is a single pass with bounded memory whatever the input's
// size: only the first two fields of a line are kept, and no more of each
// than a number can take.
Status ParseGaugings(std::istream& in, std::vector<Gauging>* gaugings);

// Opens the gaugings file at `path` (UTF-8) and parses it. Fails also when the
// path is empty, the file does not exist, is a folder, a pipe or a device, or
// cannot be read; the message names the file.
Status ReadGaugings(const std::string& path, std::vector<Gauging>* gaugings);

}  // namespace xsrating

#endif  // XSRATING_CORE_INPUT_GAUGINGS_H_
