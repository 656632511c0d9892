// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/gaugings.h"

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "core/encoding.h"
#include "core/file_io.h"
#include "core/number_text.h"

namespace xsrating {
namespace {

// No number is longer than this; the rest of a longer field is skipped rather
// than kept, so that one endless field cannot take unbounded memory.
constexpr size_t kMaxFieldLength = 1000;
// How many characters of a bad field a message quotes.
constexpr size_t kQuotedCharacters = 24;

// Reads bytes through its own buffer in one pass and counts lines. LF, CR LF
// and a lone CR each end a line.
class LineScanner {
 public:
  static constexpr int kEnd = -1;

  explicit LineScanner(std::istream& in) : in_(in), buffer_(1 << 16, '\0') {}

  int Peek() {
    if (pos_ == length_ && !Refill()) return kEnd;
    return static_cast<unsigned char>(buffer_[pos_]);
  }
  void Advance() { ++pos_; }
  bool StartsWith(std::string_view prefix) {
    Peek();
    return length_ - pos_ >= prefix.size() &&
           std::string_view(buffer_.data() + pos_, prefix.size()) == prefix;
  }
  void Skip(size_t count) { pos_ += count; }
  // Consumes a line end at the current position, if there is one.
  bool TakeLineEnd() {
    const int c = Peek();
    if (c != '\n' && c != '\r') return false;
    Advance();
    if (c == '\r' && Peek() == '\n') Advance();
    ++line_;
    return true;
  }
  // Skips what is left of the current line and its line end.
  void SkipLine() {
    for (int c = Peek(); c != kEnd; c = Peek()) {
      if (TakeLineEnd()) return;
      Advance();
    }
  }
  void SkipBlanks() {
    while (Peek() == ' ' || Peek() == '\t') Advance();
  }
  int64_t line() const { return line_; }

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
  std::string buffer_;
  size_t pos_ = 0;
  size_t length_ = 0;
  int64_t line_ = 1;
};

bool EndsField(int c) {
  return c == LineScanner::kEnd || c == ',' || c == ' ' || c == '\t' ||
         c == '\n' || c == '\r';
}

// A field as read: its bytes up to kMaxFieldLength, and whether it was
// longer.
struct Field {
  std::string text;
  bool cut = false;
};

Field ReadField(LineScanner& scan) {
  Field field;
  for (int c = scan.Peek(); !EndsField(c); c = scan.Peek()) {
    if (field.text.size() < kMaxFieldLength) {
      field.text.push_back(static_cast<char>(c));
    } else {
      field.cut = true;
    }
    scan.Advance();
  }
  return field;
}

std::optional<double> FieldNumber(const Field& field) {
  if (field.cut) return std::nullopt;
  return TextToNumber(field.text, '.');
}

// The separator after a field: blanks with at most one comma among them.
void SkipSeparator(LineScanner& scan) {
  scan.SkipBlanks();
  if (scan.Peek() == ',') {
    scan.Advance();
    scan.SkipBlanks();
  }
}

bool IsValidUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    size_t length = 1;
    if (lead >= 0x80) {
      if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
      } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
      } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
      } else {
        return false;
      }
      if (i + length > text.size()) return false;
      for (size_t k = 1; k < length; ++k) {
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
          return false;
        }
      }
    }
    i += length;
  }
  return true;
}

// A field fit to quote in a message: in UTF-8 whichever of the two encodings
// the file is in, short, on one line.
std::string Quote(const Field& field) {
  std::string text =
      IsValidUtf8(field.text) ? field.text : GbkToUtf8(field.text);
  bool cut = field.cut;
  size_t characters = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
    if (characters == kQuotedCharacters) {
      text.resize(i);
      cut = true;
      break;
    }
    ++characters;
  }
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  return "“" + text + (cut ? "…" : "") + "”";
}

// A Chinese input method types the full-width comma "，" (GBK A3 AC, UTF-8
// EF BC 8C), which is not a separator; say so where it is to blame.
std::string CommaHint(const Field& field) {
  const bool full_width =
      field.text.find("\xEF\xBC\x8C") != std::string::npos ||
      field.text.find("\xA3\xAC") != std::string::npos;
  return full_width ? "请用半角逗号“,”分开水位和流量。" : "";
}

std::string AtLine(int64_t line) {
  return "第 " + std::to_string(line) + " 行";
}

}  // namespace

Status ParseGaugings(std::istream& in, std::vector<Gauging>* gaugings) {
  gaugings->clear();
  LineScanner scan(in);
  if (scan.StartsWith("\xEF\xBB\xBF")) scan.Skip(3);
  if (scan.StartsWith("\xFF\xFE") || scan.StartsWith("\xFE\xFF")) {
    return Status::Error(
        "实测流量文件是 UTF-16（Unicode）编码的，请用记事本等另存为 ANSI（GBK）"
        "或 UTF-8 编码的文本文件。");
  }
  bool header_allowed = true;
  for (;;) {
    scan.SkipBlanks();
    const int first = scan.Peek();
    if (first == LineScanner::kEnd) break;
    if (scan.TakeLineEnd()) continue;  // A blank line.
    if (first == '#') {
      scan.SkipLine();
      continue;
    }
    const int64_t line = scan.line();
    const bool may_be_header = header_allowed;
    header_allowed = false;

    if (first == ',') {
      if (may_be_header) {
        scan.SkipLine();
        continue;
      }
      return Status::Error(AtLine(line) +
                           "的逗号前缺少实测水位：行首的逗号前不能是空的。");
    }
    const Field stage_field = ReadField(scan);
    const std::optional<double> stage = FieldNumber(stage_field);
    if (!stage) {
      // Column heads such as "水位,流量,日期".
      if (may_be_header) {
        scan.SkipLine();
        continue;
      }
      return Status::Error(AtLine(line) + "的" + Quote(stage_field) +
                           "不是有效的数字（实测水位）。" +
                           CommaHint(stage_field));
    }
    SkipSeparator(scan);
    const int next = scan.Peek();
    if (next == LineScanner::kEnd || next == '\n' || next == '\r') {
      return Status::Error(AtLine(line) + "只有水位" + Quote(stage_field) +
                           "，缺少实测流量。每行应先写水位，再写流量。");
    }
    if (next == ',') {
      return Status::Error(AtLine(line) +
                           "缺少实测流量：两个逗号之间不能是空的。");
    }
    const Field discharge_field = ReadField(scan);
    const std::optional<double> discharge = FieldNumber(discharge_field);
    if (!discharge) {
      return Status::Error(AtLine(line) + "的" + Quote(discharge_field) +
                           "不是有效的数字（实测流量）。" +
                           CommaHint(discharge_field));
    }
    if (!(*discharge > 0)) {
      return Status::Error(AtLine(line) + "的实测流量" +
                           Quote(discharge_field) +
                           "不大于 0，流量必须大于 0。");
    }
    if (gaugings->size() == static_cast<size_t>(kMaxGaugings)) {
      return Status::Error(AtLine(line) + "开始了第 " +
                           std::to_string(kMaxGaugings + 1) +
                           " 个实测流量，实测流量不能超过 " +
                           std::to_string(kMaxGaugings) + " 个。");
    }
    gaugings->push_back({*stage, *discharge, line});
    scan.SkipLine();  // Date, method, notes.
  }
  if (in.bad()) return Status::Error("读取实测流量文件时出错。");
  if (gaugings->empty()) {
    return Status::Error(
        "实测流量文件中没有数据。每行应先写实测水位，再写实测流量，用逗号、"
        "空格或制表符分开。");
  }
  return Status::Ok();
}

Status ReadGaugings(const std::string& path, std::vector<Gauging>* gaugings) {
  gaugings->clear();
  if (path.empty()) return Status::Error("还没有选择实测流量文件。");
  const std::string named = "实测流量文件“" + path + "”";
  const std::filesystem::path file = PathFromUtf8(path);
  std::error_code ec;
  using std::filesystem::file_type;
  switch (std::filesystem::status(file, ec).type()) {
    case file_type::not_found:
      return Status::Error("找不到" + named + "，它可能已被移动、改名或删除。");
    case file_type::directory:
      return Status::Error(named + "是文件夹，不是文本文件。");
    // A pipe or a device could make the reader wait for ever.
    case file_type::fifo:
    case file_type::socket:
    case file_type::character:
    case file_type::block:
      return Status::Error(named +
                           "不是普通文件（可能是管道或设备），无法读取。");
    default:
      break;
  }
  errno = 0;
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    return Status::Error("无法打开" + named + "：" +
                         DescribeSystemError(errno) + "。");
  }
  if (Status parsed = ParseGaugings(in, gaugings); !parsed.ok()) {
    gaugings->clear();
    return Status::Error(named + "有误：" + parsed.message());
  }
  return Status::Ok();
}

}  // namespace xsrating
