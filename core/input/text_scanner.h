// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CORE_INPUT_TEXT_SCANNER_H_
#define XSRATING_CORE_INPUT_TEXT_SCANNER_H_

// What every text input of the program (the survey, the gaugings, the
// roughness zones) has in common: GBK or UTF-8 bytes, read in one pass, in
// lines ended by LF, CR LF or a lone CR, holding fields separated by commas,
// spaces and tabs.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <istream>
#include <memory>
#include <string>
#include <string_view>

#include "core/base/encoding.h"
#include "core/base/status.h"

namespace xsrating {
// Reads a text through its own buffer, in bulk, one pass with bounded memory
// whatever the input's size, and counts lines in 64 bits. A Ctrl-Z that is
// the very last byte of the input, which old DOS editors add, is taken as its
// end. A reader calls SkipByteOrderMark() first, then reads fields and
// separators with the calls below, and finally checks read_failed().
//
//   TextScanner scan(in);
//   if (!scan.SkipByteOrderMark()) return <the reader's UTF-16 message>;
//   for (scan.SkipBlanks(); scan.Peek() != TextScanner::kEnd; ...) {
//     const int64_t line = scan.line();
//     const TextScanner::Field field = scan.ReadField();
//     double x;
//     if (TextScanner::Number(field, &x)) ...
//     else return Status::Error(..."的" + scan.Quote(field) + "不是数字");
//     scan.SkipSeparator();
//   }
class TextScanner {
 public:
  // Peek() at the end of the input.
  static constexpr int kEnd = -1;
  // No number is longer than this many bytes; a longer field is cut there,
  // so that one endless field cannot take unbounded memory.
  static constexpr size_t kMaxFieldLength = 1000;
  // How much is read at once.
  static constexpr size_t kBufferSize = 1 << 16;

  // A field as read: up to kMaxFieldLength of its bytes, and whether it was
  // longer (the rest is left unread). `text` stays valid only until the next
  // call that reads on.
  struct Field {
    std::string_view text;
    bool cut = false;
  };

  explicit TextScanner(std::istream& in);

  // Skips a UTF-8 byte-order mark at the start. Returns false, consuming
  // nothing, when the input is UTF-16, which this program refuses, each
  // reader with its own message: it starts with a UTF-16 byte-order mark
  // (either order), or has a zero byte among its first two, as UTF-16
  // without a mark has ("0" is 30 00 or 00 30) and no text file does.
  bool SkipByteOrderMark();

  // The next byte (0 to 255), or kEnd.
  int Peek() {
    if (pos_ == length_ && !Refill()) return kEnd;
    return static_cast<unsigned char>(buffer_[pos_]);
  }
  // Consumes the byte Peek() returned; not at the end.
  void Advance() { ++pos_; }
  // Consumes the next byte when it is `c`.
  bool Take(int c) {
    if (Peek() != c) return false;
    Advance();
    return true;
  }
  // True when the input goes on with `prefix`, which is not consumed; for
  // the opening bytes (`prefix` at most a few bytes long).
  bool StartsWith(std::string_view prefix);

  // Consumes one line end (LF, CR LF or a lone CR) if there is one.
  bool TakeLineEnd() {
    const int c = Peek();
    if (c != '\n' && c != '\r') return false;
    Advance();
    if (c == '\r' && Peek() == '\n') Advance();
    ++line_;
    return true;
  }
  // Consumes spaces and tabs.
  void SkipBlanks() {
    while (IsBlank(Peek())) Advance();
  }
  // Consumes the separator after a field within a line: blanks with at most
  // one comma among them. True when there was a comma.
  bool SkipSeparator() {
    SkipBlanks();
    if (!Take(',')) return false;
    SkipBlanks();
    return true;
  }
  // Consumes the rest of the line and its line end.
  void SkipLine();

  // Reads a field: the bytes up to the next comma, space, tab, line end or
  // the end of the input. Empty when one of those comes first.
  Field ReadField();

  // Reads the field as a number into *value: exactly what TextToNumber takes
  // with the decimal point '.' (a sign, digits with at most one '.', an
  // exponent). False, *value unspecified, for anything else and for a field
  // that was cut.
  static bool Number(const Field& field, double* value);

  // A field fit to quote in a message: “…” around at most 24 of its bytes,
  // whole characters only, in UTF-8 whichever encoding the file is in,
  // control characters shown as '?', and "…" when something was left out.
  // The file counts as UTF-8 when the whole input is; to tell, this reads on
  // to the end of the input (stopping at the first byte that is not), after
  // which the scanner is at no particular place: it is for a message just
  // before giving up.
  std::string Quote(std::string_view text, bool cut = false);
  std::string Quote(const Field& field) { return Quote(field.text, field.cut); }

  // The line the next byte is on, from 1.
  int64_t line() const { return line_; }
  // True when reading failed (an error of the device, not the end).
  bool read_failed() const { return in_.bad(); }

  static bool IsBlank(int c) { return c == ' ' || c == '\t'; }
  static bool IsLineEnd(int c) { return c == '\n' || c == '\r'; }
  // True for what ends a field: a separator, a line end, the end.
  static bool EndsField(int c);

 private:
  // Gives up the buffer and reads the next one; false at the end.
  bool Refill();
  // Reads the next buffer, as Refill() without noting the bytes given up.
  bool Fill();
  Field ReadLongField();
  // True when all the input, read so far and still to come, is UTF-8.
  bool InputIsUtf8();

  std::istream& in_;
  std::unique_ptr<char[]> buffer_;  // kBufferSize bytes.
  size_t pos_ = 0;
  size_t length_ = 0;
  bool at_end_ = false;  // The buffer holds the input's last byte.
  // Wide enough for any file: a few gigabytes of line ends overflow an int.
  int64_t line_ = 1;
  // The bytes of the buffers already passed.
  Utf8Check passed_;
  // A field that did not end inside the buffer.
  std::string long_field_;
};

// True when `text` holds the full-width comma "，" (GBK A3 AC, UTF-8
// EF BC 8C) that a Chinese input method types, which separates nothing.
bool HoldsFullWidthComma(std::string_view text);

// A line of a file as messages name it: "第 5 行".
std::string AtLine(int64_t line);

// Opens the text file at `path` (UTF-8) and gives it to `parse`. `named`
// names the file in messages ("地形文件“a.txt”"). Fails, of kind kFileSystem,
// with a message naming the file when it does not exist, is a folder, a pipe
// or a device, or cannot be opened; a failure of `parse` comes back with
// "<named>有误：" before its message, of its own kind.
Status ParseTextFile(const std::string& path, const std::string& named,
                     const std::function<Status(std::istream&)>& parse);

}  // namespace xsrating

#endif  // XSRATING_CORE_INPUT_TEXT_SCANNER_H_
