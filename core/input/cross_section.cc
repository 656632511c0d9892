// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/input/cross_section.h"

#include <cstdint>
#include <string>

#include "core/base/encoding.h"
#include "core/input/text_scanner.h"

namespace xsrating {
namespace {

// How a result file of this program begins (in GBK).
constexpr char kResultFileStart[] = "计算时间:";

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

// The two fields of a point, in file order.
enum class Field { kDistance, kElevation };

std::string Which(int point, Field which) {
  return "第 " + std::to_string(point) + " 个测点的" +
         (which == Field::kElevation ? "高程" : "起点距");
}

// True when the line after the scanner's holds numbers only, at least one,
// with the separators of a survey. Reads on.
bool NextLineHoldsNumbers(TextScanner& scan) {
  scan.SkipLine();
  int numbers = 0;
  for (;;) {
    scan.SkipSeparator();
    const int c = scan.Peek();
    if (c == TextScanner::kEnd || TextScanner::IsLineEnd(c)) {
      return numbers > 0;
    }
    double value = 0;
    if (!TextScanner::Number(scan.ReadField(), &value)) return false;
    ++numbers;
  }
}

// What to do about a field `text` at `line` that is not a number, for the
// mistakes that files saved from spreadsheets and typed in Chinese editors
// make; empty for others. May read on.
std::string Advice(TextScanner& scan, const std::string& text, int64_t line,
                   int point, Field which) {
  // Column heads are words: "0，5" is a number with the wrong comma.
  if (line == 1 && point == 1 && which == Field::kDistance &&
      text.find_first_of("0123456789") == std::string::npos &&
      NextLineHoldsNumbers(scan)) {
    return "第 1 行看起来是表头（列名），而地形文件中只能有数字：请删去这一"
           "行。";
  }
  if (HoldsFullWidthComma(text)) {
    return "数据之间请用半角（英文）逗号“,”隔开，不能用全角逗号“，”。";
  }
  return "";
}

// Reads one field and the separator after it. `last_line` is the line of
// the last field read, for messages about what follows it.
Status ReadField(TextScanner& scan, LineLayout& layout, int64_t& last_line,
                 int point, Field which, double* value) {
  for (;;) {
    scan.SkipBlanks();
    if (!scan.TakeLineEnd()) break;
  }
  const int64_t line = scan.line();
  const int first = scan.Peek();
  if (first == TextScanner::kEnd) {
    if (which == Field::kElevation) {
      const std::string ended = "数据在" + AtLine(last_line) + "结束，" +
                                Which(point, Field::kDistance) +
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
      return Status::Error(AtLine(last_line) +
                           "起只有空格、逗号或空行，文件中没有数据。");
    }
    return Status::Error(AtLine(last_line) +
                         "：最后一个数据之后还有多余的逗号、空格或空行。"
                         "数据最后不能有逗号或空格，也不能有空行。");
  }
  if (first == ',') {
    return Status::Error(AtLine(line) + "的逗号前缺少" + Which(point, which) +
                         "：两个逗号之间或行首的逗号前不能是空的。");
  }
  const TextScanner::Field field = scan.ReadField();
  if (!TextScanner::Number(field, value)) {
    // The field's bytes are gone once the scanner reads on for the advice.
    const std::string text(field.text);
    const bool cut = field.cut;
    return Status::Error(AtLine(line) + "的" + scan.Quote(text, cut) +
                         "不是数字（" + Which(point, which) + "）。" +
                         Advice(scan, text, line, point, which));
  }
  last_line = line;
  layout.AddField(line);
  // The separator: blanks with at most one comma among them, or a line end.
  if (!scan.SkipSeparator()) scan.TakeLineEnd();
  return Status::Ok();
}

}  // namespace

Status ParseCrossSection(std::istream& in, CrossSection* section) {
  section->points.clear();
  TextScanner scan(in);
  const bool utf16 = !scan.SkipByteOrderMark();
  if (scan.StartsWith(Utf8ToGbk(kResultFileStart))) {
    return Status::Error(
        StatusKind::kNotASurvey,
        AtLine(1) + "是“" + std::string(kResultFileStart) +
            "”：这是本程序算出的结果文件（文件名以“成果”结尾），"
            "不是地形数据文件。请选择地形数据文件。");
  }
  if (utf16) {
    return Status::Error(
        "文件是 UTF-16 编码的（记事本叫它“Unicode”），地形文件要用 ANSI（GBK）"
        "或 UTF-8 编码：请用记事本打开它，“另存为”时编码选 ANSI 或 UTF-8，"
        "再计算。");
  }
  LineLayout layout;
  int64_t last_line = 1;
  while (scan.Peek() != TextScanner::kEnd) {
    const int point = static_cast<int>(section->points.size()) + 1;
    if (point > kMaxPoints) {
      return Status::Error(AtLine(scan.line()) + "开始了第 " +
                           std::to_string(point) + " 个测点，测点不能超过 " +
                           std::to_string(kMaxPoints) + " 个。");
    }
    SectionPoint p;
    if (Status s = ReadField(scan, layout, last_line, point, Field::kDistance,
                             &p.distance);
        !s.ok()) {
      return s;
    }
    if (Status s = ReadField(scan, layout, last_line, point, Field::kElevation,
                             &p.elevation);
        !s.ok()) {
      return s;
    }
    section->points.push_back(p);
  }
  if (scan.read_failed()) return Status::FileSystemError("读取文件时出错。");
  return Status::Ok();
}

Status ReadCrossSection(const std::string& data_file_path,
                        CrossSection* section) {
  section->points.clear();
  if (data_file_path.empty()) {
    return Status::Error(
        "还没有选择地形数据文件，请先在文件列表中单击地形文件。");
  }
  const Status read = ParseTextFile(
      data_file_path, "地形文件“" + data_file_path + "”",
      [section](std::istream& in) { return ParseCrossSection(in, section); });
  if (!read.ok()) section->points.clear();
  return read;
}

bool StartsLikeResultFile(std::string_view bytes) {
  static const std::string kRunTimeLabel = Utf8ToGbk("计算时间:");
  return bytes.starts_with(kRunTimeLabel);
}

}  // namespace xsrating
