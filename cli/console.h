// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CLI_CONSOLE_H_
#define XSRATING_CLI_CONSOLE_H_

// The command line's standard output, where scripts pick up the paths of the
// files written: every write is checked, so that output that never arrived
// cannot end as a success.

#include <string>
#include <string_view>

namespace xsrating {

// Opens the null device on standard input, output or error where one is
// closed, so that no file the program opens later takes its number and
// receives what is printed there. A standard output found closed counts as
// one that cannot be written.
void GuardStandardStreams();

// Writes ConsoleSafe(line) and a line end to standard output and flushes. The
// first failure is kept for StandardOutputFailure.
void PrintOnStandardOutput(std::string_view line);

// Flushes standard output. Empty when everything written there arrived;
// otherwise a message saying that it could not be written, and why.
std::string StandardOutputFailure();

// `text` with each control character written as "\x1b", so that a path or a
// value with an escape or a line end in it cannot break the line it is shown
// on, nor drive the terminal.
std::string ConsoleSafe(std::string_view text);

// A note for a run whose survey path holds characters that GBK cannot hold,
// which the result file at `result_path` records as '?'; empty when there are
// none.
std::string QuestionMarkNote(const std::string& data_file_path,
                             const std::string& result_path);

}  // namespace xsrating

#endif  // XSRATING_CLI_CONSOLE_H_
