// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/gaugings.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "core/text_scanner.h"

namespace xsrating {
namespace {

// A Chinese input method types the full-width comma "，" (GBK A3 AC, UTF-8
// EF BC 8C), which is not a separator; say so where it is to blame.
std::string CommaHint(std::string_view field) {
  return HoldsFullWidthComma(field) ? "请用半角逗号“,”分开水位和流量。" : "";
}

}  // namespace

Status ParseGaugings(std::istream& in, std::vector<Gauging>* gaugings) {
  gaugings->clear();
  TextScanner scan(in);
  if (!scan.SkipByteOrderMark()) {
    return Status::Error(
        "实测流量文件是 UTF-16（Unicode）编码的，请用记事本等另存为 ANSI（GBK）"
        "或 UTF-8 编码的文本文件。");
  }
  bool header_allowed = true;
  for (;;) {
    scan.SkipBlanks();
    const int first = scan.Peek();
    if (first == TextScanner::kEnd) break;
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
    const TextScanner::Field stage_field = scan.ReadField();
    double stage = 0;
    if (!TextScanner::Number(stage_field, &stage)) {
      // Column heads such as "水位,流量,日期".
      if (may_be_header) {
        scan.SkipLine();
        continue;
      }
      const std::string hint = CommaHint(stage_field.text);
      return Status::Error(AtLine(line) + "的" + scan.Quote(stage_field) +
                           "不是有效的数字（实测水位）。" + hint);
    }
    // Kept for a message: reading on may replace what the field points to.
    const std::string stage_text(stage_field.text);
    scan.SkipSeparator();
    const int next = scan.Peek();
    if (next == TextScanner::kEnd || TextScanner::IsLineEnd(next)) {
      return Status::Error(AtLine(line) + "只有水位" + scan.Quote(stage_text) +
                           "，缺少实测流量。每行应先写水位，再写流量。");
    }
    if (next == ',') {
      return Status::Error(AtLine(line) +
                           "缺少实测流量：两个逗号之间不能是空的。");
    }
    const TextScanner::Field discharge_field = scan.ReadField();
    double discharge = 0;
    if (!TextScanner::Number(discharge_field, &discharge)) {
      const std::string hint = CommaHint(discharge_field.text);
      return Status::Error(AtLine(line) + "的" + scan.Quote(discharge_field) +
                           "不是有效的数字（实测流量）。" + hint);
    }
    if (!(discharge > 0)) {
      return Status::Error(AtLine(line) + "的实测流量" +
                           scan.Quote(discharge_field) +
                           "不大于 0，流量必须大于 0。");
    }
    if (gaugings->size() == static_cast<size_t>(kMaxGaugings)) {
      return Status::Error(AtLine(line) + "开始了第 " +
                           std::to_string(kMaxGaugings + 1) +
                           " 个实测流量，实测流量不能超过 " +
                           std::to_string(kMaxGaugings) + " 个。");
    }
    gaugings->push_back({stage, discharge, line});
    scan.SkipLine();  // Date, method, notes.
  }
  if (scan.read_failed()) {
    return Status::FileSystemError("读取实测流量文件时出错。");
  }
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
  const Status read = ParseTextFile(
      path, "实测流量文件“" + path + "”",
      [gaugings](std::istream& in) { return ParseGaugings(in, gaugings); });
  if (!read.ok()) gaugings->clear();
  return read;
}

}  // namespace xsrating
