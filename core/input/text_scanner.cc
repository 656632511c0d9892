// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/input/text_scanner.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <optional>
#include <system_error>

#include "core/base/encoding.h"
#include "core/base/file_io.h"
#include "core/base/number_text.h"

namespace xsrating {
namespace {

// How much of a bad field a message quotes, in bytes.
constexpr size_t kQuotedFieldLength = 24;
// Old DOS editors end a text file with Ctrl-Z.
constexpr char kCtrlZ = 0x1A;

bool IsAscii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// The bytes at or below the space that end a field, one bit each.
constexpr uint64_t kControlEnds = (uint64_t{1} << ' ') | (uint64_t{1} << '\t') |
                                  (uint64_t{1} << '\n') | (uint64_t{1} << '\r');

// TextScanner::EndsField, inline here where it runs for every byte.
inline bool IsFieldEnd(int c) {
  // One comparison for most bytes of a number, which lie above the space.
  if (c > ' ') return c == ',';
  return c == TextScanner::kEnd || ((kControlEnds >> c) & 1) != 0;
}

// Reads `text` when it is a plain decimal of at most 15 digits with at most
// one '.' ("52.98", "0.6", "120"): the digits and the power of ten that places
// the point are then both exact doubles, so their quotient, rounded once, is
// the nearest double to the text, as from_chars gives it. False, for
// from_chars to read, for any other text.
bool ReadPlainDecimal(std::string_view text, double* value) {
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

}  // namespace

bool TextScanner::EndsField(int c) { return IsFieldEnd(c); }

// The buffer is left uninitialised: only what has been read into it is used.
TextScanner::TextScanner(std::istream& in)
    : in_(in), buffer_(new char[kBufferSize]) {}

bool TextScanner::Refill() {
  // The last buffer stays, for a message that needs to know whether the file
  // is UTF-8; what is given up before it is noted for that.
  if (at_end_) return false;
  passed_.Add(std::string_view(buffer_.get(), length_));
  return Fill();
}

bool TextScanner::Fill() {
  pos_ = 0;
  length_ = 0;
  if (at_end_ || !in_) return false;
  in_.read(buffer_.get(), static_cast<std::streamsize>(kBufferSize));
  length_ = static_cast<size_t>(in_.gcount());
  // Whether this is the last buffer, to know a final Ctrl-Z when it is in
  // it rather than after it.
  at_end_ =
      length_ < kBufferSize || in_.peek() == std::istream::traits_type::eof();
  if (at_end_ && length_ > 0 && buffer_[length_ - 1] == kCtrlZ) --length_;
  return length_ > 0;
}

bool TextScanner::SkipByteOrderMark() {
  if (StartsWith("\xEF\xBB\xBF")) pos_ += 3;
  if (StartsWith("\xFF\xFE") || StartsWith("\xFE\xFF")) return false;
  const int first = Peek();
  return first != 0 && (first == kEnd || !StartsWith(std::string{
                                             static_cast<char>(first), '\0'}));
}

bool TextScanner::StartsWith(std::string_view prefix) {
  Peek();
  return length_ - pos_ >= prefix.size() &&
         std::string_view(buffer_.get() + pos_, prefix.size()) == prefix;
}

void TextScanner::SkipLine() {
  for (int c = Peek(); c != kEnd; c = Peek()) {
    if (TakeLineEnd()) return;
    Advance();
  }
}

TextScanner::Field TextScanner::ReadField() {
  if (Peek() != kEnd) {
    // Most fields end inside the buffer: read them in place, without a copy.
    const char* data = buffer_.get();
    const size_t limit = std::min(length_, pos_ + kMaxFieldLength + 1);
    size_t end = pos_;
    while (end < limit && !IsFieldEnd(static_cast<unsigned char>(data[end]))) {
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

TextScanner::Field TextScanner::ReadLongField() {
  long_field_.clear();
  bool cut = false;
  for (int c = Peek(); !IsFieldEnd(c); c = Peek()) {
    if (long_field_.size() == kMaxFieldLength) {
      // No number is this long: stop here rather than read on through what
      // may be an endless field.
      cut = true;
      break;
    }
    long_field_.push_back(static_cast<char>(c));
    Advance();
  }
  return {long_field_, cut};
}

bool TextScanner::Number(const Field& field, double* value) {
  if (field.cut) return false;
  const std::string_view text = field.text;
  // The common form, read by from_chars in place: an optional '-' and then a
  // digit or '.', which rules out what from_chars takes and we do not ("inf",
  // "nan"). Anything else, and anything from_chars refuses, goes the long
  // way, which tells a number too small (zero) from one too large.
  const size_t lead = !text.empty() && text[0] == '-' ? 1 : 0;
  if (ReadPlainDecimal(text.substr(lead), value)) {
    if (lead == 1) *value = -*value;
    return true;
  }
  if (text.size() > lead &&
      ((text[lead] >= '0' && text[lead] <= '9') || text[lead] == '.')) {
    const auto [ptr, ec] =
        std::from_chars(text.data(), text.data() + text.size(), *value);
    if (ec == std::errc() && ptr == text.data() + text.size()) return true;
  }
  const std::optional<double> number = TextToNumber(text, '.');
  if (number) *value = *number;
  return number.has_value();
}

bool TextScanner::InputIsUtf8() {
  Utf8Check check = passed_;
  do {
    check.Add(std::string_view(buffer_.get(), length_));
  } while (!check.broken() && Fill());
  return check.valid();
}

std::string TextScanner::Quote(std::string_view raw, bool cut) {
  // The view may point into the buffer, which reading on replaces.
  const std::string field(raw);
  const bool utf8 = !IsAscii(field) && InputIsUtf8();
  std::string shown = field.substr(0, kQuotedFieldLength);
  // Never end inside a character.
  if (utf8) {
    while (field.size() > shown.size() && !shown.empty() &&
           (static_cast<unsigned char>(field[shown.size()]) & 0xC0) == 0x80) {
      shown.pop_back();
    }
  } else {
    size_t i = 0;
    while (field.size() > shown.size() && i < shown.size()) {
      const unsigned char c = static_cast<unsigned char>(shown[i]);
      const size_t width = c >= 0x81 ? 2 : 1;
      if (i + width > shown.size()) {
        shown.resize(i);
        break;
      }
      i += width;
    }
  }
  cut = cut || field.size() > shown.size();
  std::string text = utf8 ? shown : GbkToUtf8(shown);
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  // The C1 controls U+0080 to U+009F, which some terminals obey as well.
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    const unsigned char second = static_cast<unsigned char>(text[i + 1]);
    if (text[i] == '\xC2' && second >= 0x80 && second <= 0x9F) {
      text.replace(i, 2, "?");
    }
  }
  return "“" + text + (cut ? "…" : "") + "”";
}

bool HoldsFullWidthComma(std::string_view text) {
  if (text.find("\xEF\xBC\x8C") != std::string_view::npos) return true;
  // GBK, character by character: A3 AC may also be the second byte of one
  // character and the first of the next.
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (static_cast<unsigned char>(text[i]) < 0x81) continue;
    if (text.substr(i, 2) == "\xA3\xAC") return true;
    ++i;
  }
  return false;
}

std::string AtLine(int64_t line) {
  return "第 " + std::to_string(line) + " 行";
}

Status ParseTextFile(const std::string& path, const std::string& named,
                     const std::function<Status(std::istream&)>& parse) {
  const std::filesystem::path file = PathFromUtf8(path);
  std::error_code ec;
  using std::filesystem::file_type;
  switch (std::filesystem::status(file, ec).type()) {
    case file_type::not_found:
      return Status::FileSystemError("找不到" + named +
                                     "，它可能已被移动、改名或删除。");
    case file_type::directory:
      return Status::FileSystemError(named + "是文件夹，不是文本文件。");
    // A pipe or a device could make the reader wait for ever.
    case file_type::fifo:
    case file_type::socket:
    case file_type::character:
    case file_type::block:
      return Status::FileSystemError(
          named + "不是普通文件（可能是管道或设备），无法读取。");
    default:
      break;
  }
  errno = 0;
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    return Status::FileSystemError("无法打开" + named + "：" +
                                   DescribeSystemError(errno) + "。");
  }
  if (Status parsed = parse(in); !parsed.ok()) {
    return parsed.Prefixed(named + "有误：");
  }
  return Status::Ok();
}

}  // namespace xsrating
