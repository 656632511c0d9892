// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/output/result_file.h"

#include <charconv>
#include <cmath>
#include <sstream>

#include "core/base/encoding.h"
#include "core/base/number_text.h"

namespace xsrating {
namespace {

constexpr char kLineEnd[] = "\r\n";

bool IsContinuationByte(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

}  // namespace

bool HasTxtExtension(std::string_view path) {
  if (path.size() < 4) return false;
  const std::string_view tail = path.substr(path.size() - 4);
  constexpr std::string_view kTxt = ".txt";
  for (size_t i = 0; i < 4; ++i) {
    char c = tail[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != kTxt[i]) return false;
  }
  return true;
}

std::string ResultFilePath(std::string_view data_file_path) {
  size_t end = data_file_path.size();
  for (int removed = 0; removed < 4 && end > 0; ++removed) {
    --end;
    while (end > 0 && IsContinuationByte(data_file_path[end])) --end;
  }
  return std::string(data_file_path.substr(0, end)) + kResultSuffix;
}

PrintLine& PrintLine::Text(std::string_view utf8) {
  const size_t start = bytes_.size();
  bytes_ += Utf8ToGbk(utf8);
  // A line end or other control character inside a text would break the
  // file's line structure. GBK trail bytes are never below 0x40.
  for (size_t i = start; i < bytes_.size(); ++i) {
    if (static_cast<unsigned char>(bytes_[i]) < 0x20 || bytes_[i] == 0x7F) {
      bytes_[i] = '?';
    }
  }
  return *this;
}

PrintLine& PrintLine::Number(double value) {
  bytes_ += FormatNumber(value);
  return *this;
}

PrintLine& PrintLine::NextPrintColumn() {
  const size_t next =
      (bytes_.size() / kPrintColumnWidth + 1) * kPrintColumnWidth;
  bytes_.append(next - bytes_.size(), ' ');
  return *this;
}

ResultHeader MakeResultHeader(const RunParameters& params, int point_count,
                              const LocalDateTime& run_time) {
  ResultHeader header;
  header.run_time = run_time;
  header.data_file_path = params.data_file_path;
  header.point_count = point_count;
  header.roughness = params.roughness;
  header.slope_text = params.slope_text;
  return header;
}

void WriteResultHeader(std::ostream& out, const ResultHeader& header) {
  const std::string when =
      FormatShortDate(header.run_time) + " " + FormatLongTime(header.run_time);
  out << PrintLine().Text("计算时间: ").Text(when).bytes() << kLineEnd;
  out << PrintLine().Text("地形测文件：").Text(header.data_file_path).bytes()
      << kLineEnd;
  out << PrintLine().Text("地形测点数：").Number(header.point_count).bytes()
      << kLineEnd;
  PrintLine roughness_line;
  roughness_line.Text("糙率=");
  if (header.zones.size() >= 2) {
    roughness_line.Text(ZoneMethodName(header.zone_method))
        .Text(" ")
        .Text(DescribeZones(header.zones));
  } else {
    roughness_line.Number(header.roughness);
  }
  out << roughness_line.NextPrintColumn()
             .Text("比降=")
             .Text(header.slope_text)
             .bytes()
      << kLineEnd;
  out << kLineEnd;
  out << PrintLine()
             .Text("水位")
             .NextPrintColumn()
             .Text("面积")
             .NextPrintColumn()
             .Text("流量")
             .bytes()
      << kLineEnd;
}

void WriteResultRow(std::ostream& out, const StageRow& row) {
  out << PrintLine()
             .Number(row.stage)
             .NextPrintColumn()
             .Number(row.area)
             .NextPrintColumn()
             .Number(row.discharge)
             .bytes()
      << kLineEnd;
}

void WriteResultFile(std::ostream& out, const ResultHeader& header,
                     std::span<const StageRow> rows) {
  WriteResultHeader(out, header);
  for (const StageRow& row : rows) WriteResultRow(out, row);
}

std::string DescribeZones(std::span<const AppliedZone> zones) {
  std::string text;
  for (const AppliedZone& zone : zones) {
    if (!text.empty()) text += ';';
    text += FormatNumberForMessage(zone.from) + "~" +
            FormatNumberForMessage(zone.to) + ":" +
            FormatNumberForMessage(zone.roughness);
  }
  return text;
}

std::string ResultFileBytes(const Rating& rating, const RunParameters& params,
                            const LocalDateTime& run_time) {
  ResultHeader header = MakeResultHeader(
      params, static_cast<int>(rating.section.points.size()), run_time);
  header.roughness = rating.roughness;
  header.zones = rating.zones;
  header.zone_method = rating.zone_method;
  std::ostringstream bytes;
  WriteResultFile(bytes, header, rating.table.rows);
  return bytes.str();
}

}  // namespace xsrating
