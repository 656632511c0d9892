// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/input/number_pairs.h"

#include <string_view>

#include "core/base/number_text.h"

namespace xsrating {
namespace {

// A Chinese input method types the full-width comma "，", which is not a
// separator, and full-width digits, which are no number; say so where they
// are to blame.
std::string CommaHint(std::string_view field, const NumberPairNames& names) {
  std::string hint = HoldsFullWidthComma(field)
                         ? std::string("请用半角逗号“,”分开") +
                               names.first_short + "和" + names.second_short +
                               "。"
                         : "";
  if (const std::string full_width = FullWidthHint(field, HalfWidthUse::kField);
      !full_width.empty()) {
    hint += full_width + "。";
  }
  return hint;
}

}  // namespace

Status ParseNumberPairs(
    std::istream& in, const NumberPairNames& names,
    const std::function<Status(const NumberPair&, TextScanner&)>& take) {
  TextScanner scan(in);
  if (!scan.SkipByteOrderMark()) {
    return Status::Error(std::string(names.file) +
                         "是 UTF-16（Unicode）编码的，请用记事本等另存为 ANSI"
                         "（GBK）或 UTF-8 编码的文本文件。");
  }
  bool header_allowed = true;
  bool any = false;
  for (;;) {
    scan.SkipBlanks();
    const int first = scan.Peek();
    if (first == TextScanner::kEnd) break;
    if (scan.TakeLineEnd()) continue;  // A blank line.
    if (first == '#') {
      scan.SkipLine();
      continue;
    }
    NumberPair pair;
    pair.line = scan.line();
    const bool may_be_header = header_allowed;
    header_allowed = false;

    if (first == ',') {
      if (may_be_header) {
        scan.SkipLine();
        continue;
      }
      return Status::Error(AtLine(pair.line) + "的逗号前缺少" + names.first +
                           "：行首的逗号前不能是空的。");
    }
    const TextScanner::Field first_field = scan.ReadField();
    if (!TextScanner::Number(first_field, &pair.first)) {
      // Column heads such as "水位,流量,日期" are words: "0，5" is a pair
      // with the wrong comma and "０.５" one typed in full width, not to be
      // skipped.
      if (may_be_header && !HoldsDigit(first_field.text)) {
        scan.SkipLine();
        continue;
      }
      const std::string hint = CommaHint(first_field.text, names);
      return Status::Error(AtLine(pair.line) + "的" + scan.Quote(first_field) +
                           "不是有效的数字（" + names.first + "）。" + hint);
    }
    // Kept: reading on may replace what the field points to.
    pair.first_text = first_field.text;
    scan.SkipSeparator();
    const int next = scan.Peek();
    if (next == TextScanner::kEnd || TextScanner::IsLineEnd(next)) {
      return Status::Error(AtLine(pair.line) + "只有" + names.first_short +
                           scan.Quote(pair.first_text) + "，缺少" +
                           names.second + "。每行应先写" + names.first_short +
                           "，再写" + names.second_short + "。");
    }
    if (next == ',') {
      return Status::Error(AtLine(pair.line) + "缺少" + names.second +
                           "：两个逗号之间不能是空的。");
    }
    const TextScanner::Field second_field = scan.ReadField();
    if (!TextScanner::Number(second_field, &pair.second)) {
      const std::string hint = CommaHint(second_field.text, names);
      return Status::Error(AtLine(pair.line) + "的" + scan.Quote(second_field) +
                           "不是有效的数字（" + names.second + "）。" + hint);
    }
    pair.second_text = second_field.text;
    if (Status taken = take(pair, scan); !taken.ok()) return taken;
    any = true;
    scan.SkipLine();  // Notes.
  }
  if (scan.read_failed()) {
    return Status::FileSystemError(std::string("读取") + names.file +
                                   "时出错。");
  }
  if (!any) {
    return Status::Error(std::string(names.file) + "中没有数据。每行应先写" +
                         names.first + "，再写" + names.second +
                         "，用逗号、空格或制表符分开。");
  }
  return Status::Ok();
}

}  // namespace xsrating
