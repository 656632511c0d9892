// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CORE_INPUT_TEXT_SCANNER_H_
#define XSRATING_CORE_INPUT_TEXT_SCANNER_H_

// What every text input of the program (the survey, the gaugings, the
// roughness zones) has in common: GBK or UTF-8 bytes, read in one pass, in
// lines ended by LF, CR LF or a lone CR, holding fields separated by commas,
// spaces and tabs.

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <istream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "core/base/encoding.h"
#include "core/base/status.h"

namespace xsrating {
namespace text_scanner_internal {

// The bytes that end a field: comma, space, tab, LF, CR.
constexpr std::array<bool, 256> EndsFieldTable() {
  std::array<bool, 256> table{};
  for (unsigned char c : std::string_view(",\t\n\r ")) table[c] = true;
  return table;
}
inline constexpr std::array<bool, 256> kEndsField = EndsFieldTable();

// The high bit of each byte of `word` equal to `c`, exact for the first such
// byte (a later one may be marked wrongly, which no caller looks at).
constexpr uint64_t BytesEqual(uint64_t word, unsigned char c) {
  constexpr uint64_t kOnes = 0x0101010101010101u;
  constexpr uint64_t kHighs = 0x8080808080808080u;
  const uint64_t diff = word ^ (kOnes * c);
  return (diff - kOnes) & ~diff & kHighs;
}

// The bytes of `word` that end a field, as BytesEqual marks them: the
// lowest marked byte is the first that does.
constexpr uint64_t FieldEnds(uint64_t word) {
  return BytesEqual(word, ',') | BytesEqual(word, ' ') |
         BytesEqual(word, '\t') | BytesEqual(word, '\n') |
         BytesEqual(word, '\r');
}

}  // namespace text_scanner_internal

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
  Field ReadField() {
    if (Peek() != kEnd) {
      // Most fields end inside the buffer: no copy, no byte-by-byte calls.
      const char* data = buffer_.get();
      const size_t limit = std::min(length_, pos_ + kMaxFieldLength + 1);
      size_t end = pos_;
      // Eight bytes at a time while they are there: a number of a survey
      // mostly ends within them, without a branch per byte.
      if constexpr (std::endian::native == std::endian::little) {
        while (end + sizeof(uint64_t) <= limit) {
          uint64_t word;
          std::memcpy(&word, data + end, sizeof word);
          const uint64_t found = text_scanner_internal::FieldEnds(word);
          if (found != 0) {
            end += static_cast<size_t>(std::countr_zero(found)) / 8;
            break;
          }
          end += sizeof word;
        }
      }
      while (end < limit &&
             !text_scanner_internal::kEndsField[static_cast<unsigned char>(
                 data[end])]) {
        ++end;
      }
      if (end < limit) {
        const std::string_view text(data + pos_, end - pos_);
        pos_ = end;
        return {text, false};
      }
    }
    return ReadLongField();
  }

  // Reads the field as a number into *value: exactly what TextToNumber takes
  // with the decimal point '.' (a sign, digits with at most one '.', an
  // exponent). False, *value unspecified, for anything else and for a field
  // that was cut.
  static bool Number(const Field& field, double* value) {
    const std::string_view text = field.text;
    // The common form, read by from_chars in place: an optional '-' and then
    // a digit or '.', which rules out what from_chars takes and we do not
    // ("inf", "nan"). Anything else, and anything from_chars refuses, goes
    // the long way, which tells a number too small (zero) from one too large.
    const size_t lead = !text.empty() && text[0] == '-' ? 1 : 0;
    if (PlainDecimal(text.substr(lead), value)) {
      if (lead == 1) *value = -*value;
      return true;
    }
    if (!field.cut && text.size() > lead &&
        ((text[lead] >= '0' && text[lead] <= '9') || text[lead] == '.')) {
      const auto [ptr, ec] =
          std::from_chars(text.data(), text.data() + text.size(), *value);
      if (ec == std::errc() && ptr == text.data() + text.size()) return true;
    }
    return SlowNumber(field, value);
  }

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
  static bool EndsField(int c) {
    return c == kEnd ||
           text_scanner_internal::kEndsField[static_cast<unsigned char>(c)];
  }

 private:
  // Reads `text` when it is a plain decimal of at most 15 digits with at most
  // one '.' ("52.98", "0.6", "120"): the digits and the power of ten that
  // places the point are then both exact doubles, so their quotient, rounded
  // once, is the nearest double to the text, as from_chars gives it. False,
  // for from_chars to read, for any other text.
  static bool PlainDecimal(std::string_view text, double* value) {
    static constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3, 1e4,  1e5,
                                              1e6,  1e7,  1e8,  1e9, 1e10, 1e11,
                                              1e12, 1e13, 1e14, 1e15};
    constexpr size_t kMaxDigits = 15;  // 10^15 < 2^53.
    if (text.size() > kMaxDigits + 1) return false;
    uint64_t digits = 0;
    size_t count = 0;
    size_t point = text.size();  // Where the '.' is.
    for (size_t i = 0; i < text.size(); ++i) {
      const unsigned digit = static_cast<unsigned char>(text[i]) - '0';
      if (digit < 10) {
        digits = digits * 10 + digit;
        ++count;
      } else if (text[i] == '.' && point == text.size()) {
        point = i;
      } else {
        return false;
      }
    }
    if (count == 0 || count > kMaxDigits) return false;
    const size_t decimals = point == text.size() ? 0 : text.size() - point - 1;
    *value = static_cast<double>(digits) / kPowersOfTen[decimals];
    return true;
  }
  static bool SlowNumber(const Field& field, double* value);
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
