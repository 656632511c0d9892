// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/input/cross_section.h"

#include <cstdint>
#include <string>

#include "core/base/encoding.h"
#include "core/base/number_text.h"
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

// True when the line the scanner is at the start of holds numbers only, at
// least one, with the separators of a survey. Reads on.
bool LineHoldsNumbers(TextScanner& scan) {
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

// The other text inputs of a station, which are picked as surveys by
// mistake: the same folder holds them, with the same ".txt".
struct OtherInput {
  // Two words of its usual column heads, both in the line that heads them.
  const char* first_word;
  const char* second_word;
  const char* what;  // What it is and where it belongs.
};

// In the order they are told apart: gaugings may carry a time column, and a
// stage record has no discharge.
constexpr OtherInput kOtherInputs[] = {
    {"水位", "流量",
     "这像是实测流量文件，不是地形文件。请在“查看断面与曲线”里用“导入实测"
     "流量…”，或在命令行用 --gaugings。"},
    {"起点距", "糙率",
     "这像是分区糙率文件，不是地形文件。请在“分区糙率…”里用“读入文件…”，"
     "或在命令行用 --zones。"},
    {"时间", "水位",
     "这像是水位过程文件，不是地形文件。请在“查看断面与曲线”里用“推求流量…”，"
     "或在命令行用 --stage-record 与地形文件一起给出。"},
};

// The bytes of the rest of the scanner's line, at most enough for a line of
// column heads, and its line end consumed.
std::string RestOfLine(TextScanner& scan) {
  constexpr size_t kHeadsLength = 200;
  std::string rest;
  for (int c = scan.Peek(); c != TextScanner::kEnd && !scan.TakeLineEnd();
       c = scan.Peek()) {
    if (rest.size() < kHeadsLength) rest.push_back(static_cast<char>(c));
    scan.Advance();
  }
  return rest;
}

// The input that a file is when it opens with `first_line` at `line`: that
// input's column heads on its first line, or on the first line after the
// `#` notes there. Reads on past the notes and the line of the heads, whose
// number goes to *heads_line.
const OtherInput* RecognizeOtherInput(TextScanner& scan,
                                      const std::string& first_line,
                                      int64_t line, int64_t* heads_line) {
  // Enough for a title, a station and a unit, as files are headed.
  constexpr int kMostNoteLines = 10;
  std::string heads = first_line;
  *heads_line = line;
  for (int notes = 0; heads.starts_with("#") && notes < kMostNoteLines;
       ++notes) {
    do {
      scan.SkipBlanks();
    } while (scan.TakeLineEnd());
    *heads_line = scan.line();
    heads = RestOfLine(scan);
  }
  Utf8Check check;
  check.Add(heads);
  const std::string words = check.valid() ? heads : GbkToUtf8(heads);
  for (const OtherInput& input : kOtherInputs) {
    if (words.find(input.first_word) != std::string::npos &&
        words.find(input.second_word) != std::string::npos) {
      return &input;
    }
  }
  return nullptr;
}

// What to do about a field `text` that is not a number, for the mistakes
// that Chinese editors and input methods make; empty for others.
std::string Advice(const std::string& text) {
  std::string advice;
  if (HoldsFullWidthComma(text)) {
    advice = "数据之间请用半角（英文）逗号“,”隔开，不能用全角逗号“，”。";
  }
  if (const std::string hint = FullWidthHint(text, HalfWidthUse::kField);
      !hint.empty()) {
    advice += hint + "。";
  }
  return advice;
}

// The failure of field `text` of `point` at `line`, which is not a number,
// with what to do about it; for the file's first field, what the file is when
// it is no survey at all. May read on.
Status NotANumber(TextScanner& scan, const std::string& text, bool cut,
                  int64_t line, int point, Field which) {
  // The file's first field tells what a file that is no survey is; what
  // follows it is read before Quote(), which leaves the scanner anywhere.
  bool column_heads = false;
  if (point == 1 && which == Field::kDistance && !cut) {
    const std::string first_line = text + RestOfLine(scan);
    int64_t heads_line = line;
    if (const OtherInput* input =
            RecognizeOtherInput(scan, first_line, line, &heads_line)) {
      return Status::Error(StatusKind::kOtherInput,
                           std::string("“") + input->first_word + "”和“" +
                               input->second_word + "”是" + AtLine(heads_line) +
                               "的列名，" + input->what);
    }
    // Column heads are words: "0，5" is a number with the wrong comma, and
    // "０ ５" numbers typed in full width.
    column_heads = line == 1 && !first_line.starts_with("#") &&
                   !HoldsDigit(text) && LineHoldsNumbers(scan);
  }
  return Status::Error(
      AtLine(line) + "的" + scan.Quote(text, cut) + "不是数字（" +
      Which(point, which) + "）。" +
      (column_heads ? "第 1 行看起来是表头（列名），而地形文件中只能有数字："
                      "请删去这一行。"
                    : Advice(text)));
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
    return NotANumber(scan, std::string(field.text), field.cut, line, point,
                      which);
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
