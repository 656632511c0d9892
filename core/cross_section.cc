// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/cross_section.h"

#include <cerrno>
#include <cstdint>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "core/encoding.h"
#include "core/file_io.h"
#include "core/number_text.h"

namespace xsrating {
namespace {

// A field longer than this cannot be a sensible number; keeping it whole would
// let one endless field take unbounded memory.
constexpr size_t kMaxFieldLength = 1000;
// How much of a bad field a message quotes.
constexpr size_t kQuotedFieldLength = 24;
// How a result file of this program begins (in GBK).
constexpr char kResultFileStart[] = "计算时间:";

// Old DOS editors end a text file with Ctrl-Z.
constexpr int kCtrlZ = 0x1A;

// Follows bytes one at a time and tells whether they are strict UTF-8: no
// overlong forms, surrogates or code points above U+10FFFF.
class Utf8Check {
 public:
  void Add(unsigned char c) {
    if (!valid_) return;
    if (pending_ > 0) {
      valid_ = c >= low_ && c <= high_;
      --pending_;
      low_ = 0x80;
      high_ = 0xBF;
      return;
    }
    if (c < 0x80) return;
    if (c >= 0xC2 && c <= 0xDF) {
      pending_ = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
      pending_ = 2;
      if (c == 0xE0) low_ = 0xA0;
      if (c == 0xED) high_ = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      pending_ = 3;
      if (c == 0xF0) low_ = 0x90;
      if (c == 0xF4) high_ = 0x8F;
    } else {
      valid_ = false;
    }
  }
  bool broken() const { return !valid_; }
  // True when the bytes so far are whole UTF-8 characters.
  bool valid() const { return valid_ && pending_ == 0; }

 private:
  bool valid_ = true;
  int pending_ = 0;           // Continuation bytes still due.
  unsigned char low_ = 0x80;  // Bounds of the next continuation byte.
  unsigned char high_ = 0xBF;
};

bool IsAscii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// Reads bytes through its own buffer, one pass, and counts lines. LF, CR LF
// and a lone CR each end a line. A Ctrl-Z that is the last byte of the input
// is taken as its end.
class Scanner {
 public:
  static constexpr int kEnd = -1;

  explicit Scanner(std::istream& in) : in_(in), buffer_(1 << 16) {}

  int Peek() {
    if (pos_ == length_ && !Refill()) return kEnd;
    const int c = static_cast<unsigned char>(buffer_[pos_]);
    if (c == kCtrlZ && pos_ + 1 == length_ &&
        (!in_ || in_.peek() == std::istream::traits_type::eof())) {
      return kEnd;
    }
    return c;
  }
  void Advance() { ++pos_; }
  // Returns true and consumes the next byte when it is `c`.
  bool Take(int c) {
    if (Peek() != c) return false;
    Advance();
    return true;
  }
  // Consumes one line end at the current position, if there is one.
  bool TakeLineEnd() {
    if (Take('\n')) {
      ++line_;
      return true;
    }
    if (Take('\r')) {
      Take('\n');
      ++line_;
      return true;
    }
    return false;
  }
  // Looks at the first bytes of the input without consuming them.
  bool StartsWith(std::string_view prefix) {
    Peek();
    return length_ - pos_ >= prefix.size() &&
           std::string_view(buffer_.data() + pos_, prefix.size()) == prefix;
  }
  void Skip(size_t count) { pos_ += count; }
  // Reads on to the end, feeding `check`; true when all the bytes, with those
  // it already had, are UTF-8. Stops at the first byte that is not.
  bool RestIsUtf8(Utf8Check check) {
    for (int c = Peek(); c != kEnd && !check.broken(); c = Peek()) {
      check.Add(static_cast<unsigned char>(c));
      Advance();
    }
    return check.valid();
  }
  int64_t line() const { return line_; }
  // The line of the last field read, for messages about what follows it.
  int64_t field_line() const { return field_line_; }
  void set_field_line(int64_t line) { field_line_ = line; }

 private:
  bool Refill() {
    pos_ = 0;
    length_ = 0;
    if (!in_) return false;
    in_.read(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    length_ = static_cast<size_t>(in_.gcount());
    return length_ > 0;
  }

  std::istream& in_;
  std::vector<char> buffer_;
  size_t pos_ = 0;
  size_t length_ = 0;
  // Wide enough for any file: a few gigabytes of line ends overflow an int.
  int64_t line_ = 1;
  int64_t field_line_ = 1;
};

// How the numbers fall into lines, to tell which line lacks a number when
// the count comes out odd: in a survey written one pair a line, the one line
// with an odd count of numbers.
class LineLayout {
 public:
  void AddField(int64_t line) {
    if (line != line_) {
      CloseLine();
      line_ = line;
    }
    ++count_;
  }
  // The line of the file's only odd count of numbers, one more or one less
  // than a pair, when every other line holds one pair; 0 otherwise.
  int64_t OddLineAmongPairs() {
    CloseLine();
    const bool one_off = odd_count_ == 1 || odd_count_ == 3;
    return others_ || odd_lines_ != 1 || pair_lines_ == 0 || !one_off
               ? 0
               : odd_line_;
  }
  int odd_count() const { return odd_count_; }

 private:
  void CloseLine() {
    if (count_ % 2 == 1) {
      ++odd_lines_;
      odd_line_ = line_;
      odd_count_ = count_;
    } else if (count_ == 2) {
      ++pair_lines_;
    } else if (count_ > 2) {
      others_ = true;
    }
    count_ = 0;
  }

  int64_t line_ = 0;
  int count_ = 0;
  int odd_lines_ = 0;
  int64_t odd_line_ = 0;
  int odd_count_ = 0;
  int64_t pair_lines_ = 0;
  bool others_ = false;  // A line of two pairs or more.
};

bool IsBlank(int c) { return c == ' ' || c == '\t'; }
bool IsLineEnd(int c) { return c == '\n' || c == '\r'; }
bool EndsField(int c) {
  return c == Scanner::kEnd || c == ',' || IsBlank(c) || IsLineEnd(c);
}

// A piece of the file fit to quote in a message: readable, short, one line.
// `utf8` when the file is UTF-8 rather than GBK.
std::string QuoteField(const std::string& raw, bool cut, bool utf8) {
  std::string shown = raw.substr(0, kQuotedFieldLength);
  // Never end inside a character.
  if (utf8) {
    while (raw.size() > shown.size() && !shown.empty() &&
           (static_cast<unsigned char>(raw[shown.size()]) & 0xC0) == 0x80) {
      shown.pop_back();
    }
  } else {
    size_t i = 0;
    while (raw.size() > shown.size() && i < shown.size()) {
      const unsigned char c = static_cast<unsigned char>(shown[i]);
      const size_t width = c >= 0x81 ? 2 : 1;
      if (i + width > shown.size()) {
        shown.resize(i);
        break;
      }
      i += width;
    }
  }
  cut = cut || raw.size() > shown.size();
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

// The two fields of a point, in file order.
enum class Field { kDistance, kElevation };

std::string Which(int point, Field which) {
  return "第 " + std::to_string(point) + " 个测点的" +
         (which == Field::kElevation ? "高程" : "起点距");
}

std::string AtLine(int64_t line) {
  return "第 " + std::to_string(line) + " 行";
}

// Reads one field and the separator after it.
Status ReadField(Scanner& scan, LineLayout& layout, int point, Field which,
                 double* value) {
  for (;;) {
    if (IsBlank(scan.Peek())) {
      scan.Advance();
    } else if (!scan.TakeLineEnd()) {
      break;
    }
  }
  const int64_t line = scan.line();
  const int first = scan.Peek();
  if (first == Scanner::kEnd) {
    if (which == Field::kElevation) {
      const std::string ended = "数据在" + AtLine(scan.field_line()) +
                                "结束，" + Which(point, Field::kDistance) +
                                "之后缺少高程。";
      if (const int64_t odd = layout.OddLineAmongPairs(); odd != 0) {
        return Status::Error(AtLine(odd) + "有 " +
                             std::to_string(layout.odd_count()) +
                             " 个数，别的行都是一对起点距和高程：这一行多了或"
                             "少了一个数。" +
                             ended);
      }
      return Status::Error(ended);
    }
    if (point == 1) {
      return Status::Error(AtLine(scan.field_line()) +
                           "起只有空格、逗号或空行，文件中没有数据。");
    }
    return Status::Error(AtLine(scan.field_line()) +
                         "：最后一个数据之后还有多余的逗号、空格或空行。"
                         "数据最后不能有逗号或空格，也不能有空行。");
  }
  if (first == ',') {
    return Status::Error(AtLine(line) + "的逗号前缺少" + Which(point, which) +
                         "：两个逗号之间或行首的逗号前不能是空的。");
  }
  std::string field;
  bool cut = false;
  for (int c = scan.Peek(); !EndsField(c); c = scan.Peek()) {
    if (field.size() == kMaxFieldLength) {
      // No number is this long: stop here rather than read on through what
      // may be an endless field.
      cut = true;
      break;
    }
    field.push_back(static_cast<char>(c));
    scan.Advance();
  }
  const std::optional<double> number =
      cut ? std::nullopt : TextToNumber(field, '.');
  if (!number) {
    // What came before the field is numbers and separators, all ASCII; so
    // the file is UTF-8 when the field and all after it are.
    bool utf8 = false;
    if (!IsAscii(field)) {
      Utf8Check check;
      for (char c : field) check.Add(static_cast<unsigned char>(c));
      utf8 = scan.RestIsUtf8(check);
    }
    return Status::Error(AtLine(line) + "的" + QuoteField(field, cut, utf8) +
                         "不是数字（" + Which(point, which) + "）。");
  }
  *value = *number;
  scan.set_field_line(line);
  layout.AddField(line);

  // The separator: blanks with at most one comma among them, or a line end.
  while (IsBlank(scan.Peek())) scan.Advance();
  if (scan.Take(',')) {
    while (IsBlank(scan.Peek())) scan.Advance();
  } else {
    scan.TakeLineEnd();
  }
  return Status::Ok();
}

}  // namespace

Status ParseCrossSection(std::istream& in, CrossSection* section) {
  section->points.clear();
  Scanner scan(in);
  if (scan.StartsWith("\xEF\xBB\xBF")) scan.Skip(3);
  if (scan.StartsWith(Utf8ToGbk(kResultFileStart))) {
    return Status::Error(AtLine(1) + "是“" + std::string(kResultFileStart) +
                         "”：这是本程序算出的结果文件（文件名以“成果”结尾），"
                         "不是地形数据文件。请选择地形数据文件。");
  }
  if (scan.StartsWith("\xFF\xFE") || scan.StartsWith("\xFE\xFF")) {
    return Status::Error(
        "文件是 UTF-16（Unicode）编码的，请用记事本等另存为 ANSI（GBK）编码的"
        "文本文件后再计算。");
  }
  LineLayout layout;
  while (scan.Peek() != Scanner::kEnd) {
    const int point = static_cast<int>(section->points.size()) + 1;
    if (point > kMaxPoints) {
      return Status::Error(AtLine(scan.line()) + "开始了第 " +
                           std::to_string(point) + " 个测点，测点不能超过 " +
                           std::to_string(kMaxPoints) + " 个。");
    }
    SectionPoint p;
    if (Status s =
            ReadField(scan, layout, point, Field::kDistance, &p.distance);
        !s.ok()) {
      return s;
    }
    if (Status s =
            ReadField(scan, layout, point, Field::kElevation, &p.elevation);
        !s.ok()) {
      return s;
    }
    section->points.push_back(p);
  }
  if (in.bad()) return Status::FileSystemError("读取文件时出错。");
  return Status::Ok();
}

Status ReadCrossSection(const std::string& data_file_path,
                        CrossSection* section) {
  section->points.clear();
  if (data_file_path.empty()) {
    return Status::Error(
        "还没有选择地形数据文件，请先在文件列表中单击地形文件。");
  }
  const std::filesystem::path path = PathFromUtf8(data_file_path);
  const std::string named = "地形文件“" + data_file_path + "”";
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (status.type() == std::filesystem::file_type::not_found) {
    return Status::FileSystemError("找不到" + named +
                                   "，它可能已被移动、改名或删除。");
  }
  if (status.type() == std::filesystem::file_type::directory) {
    return Status::FileSystemError(named + "是文件夹，不是文本文件。");
  }
  // A pipe or a device could make the reader wait for ever.
  using std::filesystem::file_type;
  if (status.type() == file_type::fifo || status.type() == file_type::socket ||
      status.type() == file_type::character ||
      status.type() == file_type::block) {
    return Status::FileSystemError(
        named + "不是普通文件（可能是管道或设备），无法读取。");
  }
  errno = 0;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return Status::FileSystemError("无法打开" + named + "：" +
                                   DescribeSystemError(errno) + "。");
  }
  Status status_read = ParseCrossSection(in, section);
  if (!status_read.ok()) {
    section->points.clear();
    return status_read.Prefixed(named + "有误：");
  }
  return Status::Ok();
}

}  // namespace xsrating
