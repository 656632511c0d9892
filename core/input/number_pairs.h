// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CORE_INPUT_NUMBER_PAIRS_H_
#define XSRATING_CORE_INPUT_NUMBER_PAIRS_H_

// Texts of two numbers a line, as hydrologists keep gaugings (stage,
// discharge) and roughness zones (distance, n), with notes after them.

#include <cstdint>
#include <functional>
#include <istream>
#include <string>

#include "core/base/status.h"
#include "core/input/text_scanner.h"

namespace xsrating {

// How messages name the file and its two columns.
struct NumberPairNames {
  const char* file;          // "实测流量文件"
  const char* first;         // "实测水位"
  const char* first_short;   // "水位"
  const char* second;        // "实测流量"
  const char* second_short;  // "流量"
};

// One line's two numbers, with their texts as typed for messages.
struct NumberPair {
  int64_t line = 0;  // From 1.
  double first = 0;
  double second = 0;
  std::string first_text;
  std::string second_text;
};

// Reads GBK or UTF-8 text, with or without a UTF-8 byte-order mark, lines
// ended by LF, CR LF or a lone CR. Each line that is not blank holds a pair:
// its first two fields, separated by a comma, spaces or tabs (a comma may
// have blanks on either side); whatever follows them on the line is not read.
// The first line that is neither blank nor a comment is a header and is
// skipped when its first field holds no digit (HoldsDigit: full-width digits
// count); a line whose first character other than blanks is '#' is a
// comment. Gives each pair, in file order, to `take`, which may quote a text
// with scan.Quote() for a failure it returns; its failure ends the reading.
//
// Fails, with a message that begins with the line ("第 5 行…"), when a field
// is missing or is not a number (and says so when a full-width comma or
// full-width digits are to blame: FullWidthHint); without a line when the
// text is UTF-16, holds no pair or cannot be read (kFileSystem).
Status ParseNumberPairs(
    std::istream& in, const NumberPairNames& names,
    const std::function<Status(const NumberPair&, TextScanner&)>& take);

}  // namespace xsrating

#endif  // XSRATING_CORE_INPUT_NUMBER_PAIRS_H_
