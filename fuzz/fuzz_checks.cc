// SPDX-License-Identifier: GPL-3.0-or-later
#include "fuzz/fuzz_checks.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "core/base/date_time.h"
#include "core/base/encoding.h"
#include "core/base/number_text.h"
#include "core/base/regional.h"
#include "core/base/status.h"
#include "core/base/types.h"
#include "core/flow/yearbook.h"
#include "core/hydraulics/rating.h"
#include "core/hydraulics/roughness_zones.h"
#include "core/hydraulics/stage_discharge.h"
#include "core/input/cross_section.h"
#include "core/input/gaugings.h"
#include "core/input/stage_record.h"
#include "core/input/zones_file.h"
#include "core/output/flow_table.h"
#include "core/output/own_files.h"
#include "core/output/result_file.h"
#include "core/output/zones_file_text.h"
#include "fuzz/reference_geometry.h"

namespace xsrating::hardening {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool IsSeparator(char c) {
  return c == ',' || c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The maximal runs of bytes of `text` that are not separators.
std::vector<std::string_view> SplitFields(std::string_view text) {
  std::vector<std::string_view> fields;
  for (size_t i = 0; i < text.size();) {
    if (IsSeparator(text[i])) {
      ++i;
      continue;
    }
    size_t end = i;
    while (end < text.size() && !IsSeparator(text[end])) ++end;
    fields.push_back(text.substr(i, end - i));
    i = end;
  }
  return fields;
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    size_t length = 0;
    unsigned min = 0;
    unsigned code = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      length = 2;
      min = 0x80;
      code = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      length = 3;
      min = 0x800;
      code = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      length = 4;
      min = 0x10000;
      code = c & 0x07;
    } else {
      return false;
    }
    if (i + length > text.size()) return false;
    for (size_t k = 1; k < length; ++k) {
      const unsigned char t = static_cast<unsigned char>(text[i + k]);
      if ((t & 0xC0) != 0x80) return false;
      code = (code << 6) | (t & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
      return false;
    }
    i += length;
  }
  return true;
}

// A message fit to show: not empty, valid UTF-8, no control characters.
std::string CheckMessage(const std::string& message) {
  if (message.empty()) return "failure without a message";
  if (!IsValidUtf8(message)) return "message is not valid UTF-8: " + message;
  for (char c : message) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) {
      return "message holds a control character: " + message;
    }
  }
  return {};
}

// How many lines the bytes have: line ends (LF, CR LF, lone CR) plus one.
int64_t CountLines(std::string_view bytes) {
  int64_t lines = 1;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\n') {
      ++lines;
    } else if (bytes[i] == '\r') {
      ++lines;
      if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    }
  }
  return lines;
}

// The first line number "第 N 行" that a message names, if any.
std::optional<int64_t> NamedLine(std::string_view message) {
  constexpr std::string_view kBefore = "第 ";
  constexpr std::string_view kAfter = " 行";
  for (size_t at = message.find(kBefore); at != std::string_view::npos;
       at = message.find(kBefore, at + 1)) {
    size_t i = at + kBefore.size();
    int64_t number = 0;
    size_t digits = 0;
    while (i < message.size() && message[i] >= '0' && message[i] <= '9' &&
           digits < 18) {
      number = number * 10 + (message[i] - '0');
      ++i;
      ++digits;
    }
    if (digits > 0 && message.substr(i, kAfter.size()) == kAfter) {
      return number;
    }
  }
  return std::nullopt;
}

bool SameBits(double a, double b) {
  if (std::isnan(a) && std::isnan(b)) return true;
  return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

std::string Show(double value) {
  char text[64];
  const auto end = std::to_chars(text, text + sizeof text, value).ptr;
  return std::string(text, end);
}

// The value a 15-significant-digit decimal form stands for.
double RoundedTo15Digits(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.14e", value);
  return std::strtod(text, nullptr);
}

std::string CheckParseFailure(std::string_view bytes, const Status& status) {
  if (std::string why = CheckMessage(status.message()); !why.empty()) {
    return why;
  }
  std::string_view body = bytes;
  if (body.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
    body.remove_prefix(kUtf8Bom.size());
  }
  // UTF-16 with a byte-order mark, or without one: a zero byte among the
  // first two.
  const bool utf16 = body.substr(0, 2) == "\xFF\xFE" ||
                     body.substr(0, 2) == "\xFE\xFF" ||
                     body.substr(0, 2).find('\0') != std::string_view::npos;
  const std::optional<int64_t> line = NamedLine(status.message());
  if (!line) {
    if (utf16) return {};
    return "failure message names no line: " + status.message();
  }
  if (*line < 1 || *line > CountLines(bytes)) {
    return "failure message names line " + std::to_string(*line) +
           " of a text with " + std::to_string(CountLines(bytes)) +
           " lines: " + status.message();
  }
  return {};
}

std::string CheckPoints(std::string_view bytes, const CrossSection& section) {
  const std::vector<SectionPoint>& points = section.points;
  if (points.size() > static_cast<size_t>(kMaxPoints)) {
    return "more than kMaxPoints points read";
  }
  // An independent split: maximal runs of bytes that are not separators.
  std::string_view body = bytes;
  if (body.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
    body.remove_prefix(kUtf8Bom.size());
  }
  // A Ctrl-Z as the last byte ends the file.
  if (!body.empty() && body.back() == '\x1A') body.remove_suffix(1);
  const std::vector<std::string_view> fields = SplitFields(body);
  if (fields.size() != 2 * points.size()) {
    return "read " + std::to_string(points.size()) + " points from " +
           std::to_string(fields.size()) + " fields";
  }
  for (size_t k = 0; k < points.size(); ++k) {
    const double values[2] = {points[k].distance, points[k].elevation};
    for (int half = 0; half < 2; ++half) {
      if (!std::isfinite(values[half])) return "a point is not finite";
      const std::optional<double> expected =
          TextToNumber(fields[2 * k + half], '.');
      if (!expected || !SameBits(*expected, values[half])) {
        return "field \"" + std::string(fields[2 * k + half]) + "\" read as " +
               Show(values[half]);
      }
    }
  }

  // Written out in two other layouts, the points read back the same.
  std::string lines;
  std::string one_line;
  for (const SectionPoint& p : points) {
    lines += Show(p.distance) + " , " + Show(p.elevation) + "\r\n";
    if (!one_line.empty()) one_line += ' ';
    one_line += Show(p.distance) + '\t' + Show(p.elevation);
  }
  for (const std::string& text : {lines, one_line}) {
    std::istringstream again(text);
    CrossSection reread;
    const Status status = ParseCrossSection(again, &reread);
    if (!status.ok()) {
      return "points written out do not read back: " + status.message();
    }
    if (reread.points.size() != points.size()) {
      return "points written out read back as another count";
    }
    for (size_t k = 0; k < points.size(); ++k) {
      if (!SameBits(reread.points[k].distance, points[k].distance) ||
          !SameBits(reread.points[k].elevation, points[k].elevation)) {
        return "point " + std::to_string(k + 1) + " reads back differently";
      }
    }
  }
  return {};
}

// The table computed the plain way, one case test per segment and stage.
struct Reference {
  bool levels_ok = false;
  bool ok = false;
  double z_min = 0;
  double z_top = 0;
  double dz = 0;
  std::vector<double> levels;
  std::vector<double> area;
  std::vector<double> perimeter;
  std::vector<StageRow> rows;
};

Reference ComputeReference(const CrossSection& section, double roughness,
                           std::string_view slope_text, double stage_count) {
  Reference ref;
  const std::vector<SectionPoint>& p = section.points;
  const size_t n = p.size();
  if (n < 2) return ref;
  for (size_t k = 1; k < n; ++k) {
    if (p[k].distance < p[k - 1].distance) return ref;
  }
  // Fewer than one stage is refused: it would give an empty table.
  if (!std::isfinite(stage_count) || stage_count < 1 ||
      stage_count >= kMaxStages + 1) {
    return ref;
  }
  std::vector<double> e(n);
  for (size_t k = 0; k < n; ++k) e[k] = p[k].elevation;
  for (size_t i = 0; i + 1 < n; ++i) {
    size_t k = i;
    for (size_t j = i + 1; j < n; ++j) {
      if (e[j] < e[k]) k = j;
    }
    std::swap(e[i], e[k]);
  }
  ref.z_min = e[0];
  ref.z_top = e[n - 2] < e[n - 1] ? e[n - 2] : e[n - 1];
  ref.dz = std::floor((ref.z_top - ref.z_min) * 100 / stage_count) / 100;
  if (!std::isfinite(ref.dz)) return ref;
  for (int j = 1; j <= stage_count; ++j) {
    ref.levels.push_back(j * ref.dz + ref.z_min);
  }
  ref.levels_ok = true;

  const size_t m = ref.levels.size();
  WettedGeometry geometry = ReferenceGeometry(section, ref.levels);
  ref.area = std::move(geometry.area);
  ref.perimeter = std::move(geometry.perimeter);

  const std::optional<double> slope = TextToNumber(slope_text);
  for (size_t j = 0; j < m; ++j) {
    const double area = std::floor(ref.area[j] * 100 + 0.5) / 100;
    if (!(ref.perimeter[j] > 0)) return ref;
    if (!(std::isfinite(roughness) && roughness > 0)) return ref;
    if (!slope || *slope < 0) return ref;
    const double radius = area / ref.perimeter[j];
    const double inverse_n = 1 / roughness;
    const double exponent = 2.0 / 3.0;
    double q =
        ((inverse_n * std::pow(radius, exponent)) * std::pow(*slope, 0.5)) *
        area;
    q = std::floor(q * 100 + 0.5) / 100;
    if (!std::isfinite(area) || !std::isfinite(q)) return ref;
    ref.rows.push_back(StageRow{ref.levels[j], area, q});
  }
  ref.ok = true;
  return ref;
}

std::string CompareSeries(const char* what, const std::vector<double>& got,
                          const std::vector<double>& want) {
  if (got.size() != want.size()) {
    return std::string(what) + ": " + std::to_string(got.size()) +
           " values, the reference has " + std::to_string(want.size());
  }
  for (size_t j = 0; j < got.size(); ++j) {
    if (!SameBits(got[j], want[j])) {
      return std::string(what) + " of stage " + std::to_string(j + 1) + " is " +
             Show(got[j]) + ", the reference gives " + Show(want[j]);
    }
  }
  return {};
}

std::vector<std::string_view> SplitLines(std::string_view bytes) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  for (size_t at = bytes.find("\r\n"); at != std::string_view::npos;
       at = bytes.find("\r\n", start)) {
    lines.push_back(bytes.substr(start, at - start));
    start = at + 2;
  }
  return lines;
}

// Checks the numbers of a laid-out line from byte `start` on: each starts
// with a space or a minus sign, ends with a space, reads back as the value to
// 15 significant digits, and starts at the first column of the next zone after
// the one before. Sets *end to the byte after the last number.
std::string CheckNumbersAt(std::string_view line, size_t start,
                           const std::vector<double>& values, size_t* end) {
  size_t at = start;
  for (size_t k = 0; k < values.size(); ++k) {
    if (k > 0) {
      const size_t zone = (at / kPrintColumnWidth + 1) * kPrintColumnWidth;
      if (line.substr(at, zone - at).find_first_not_of(' ') !=
          std::string_view::npos) {
        return "no column step before a number";
      }
      at = zone;
    }
    if (at >= line.size() || (line[at] != ' ' && line[at] != '-')) {
      return "a number does not start with a space or minus sign";
    }
    const size_t space = line.find(' ', at + 1);
    if (space == std::string_view::npos) {
      return "a number has no trailing space";
    }
    const std::string_view digits = line.substr(at + 1, space - at - 1);
    // Read as decimal text, not through TextToNumber: 15 digits of a value
    // near the largest double stand for a number beyond it.
    const std::string text(digits);
    const std::string allowed =
        std::string("0123456789E+-") + DecimalSeparator();
    if (text.empty() || text.find_first_not_of(allowed) != std::string::npos) {
      return "number \"" + text + "\" has other characters";
    }
    std::string c_text = text;
    std::replace(c_text.begin(), c_text.end(), DecimalSeparator(), '.');
    char* end = nullptr;
    double read = std::strtod(c_text.c_str(), &end);
    if (end != c_text.c_str() + c_text.size()) {
      return "number \"" + text + "\" does not read";
    }
    if (line[at] == '-') read = -read;
    if (!(read == RoundedTo15Digits(values[k]))) {
      return "number \"" + std::string(digits) + "\" stands for " +
             Show(values[k]);
    }
    at = space + 1;
  }
  *end = at;
  return {};
}

// As above, for a line that ends with its last number.
std::string CheckNumberLine(std::string_view line, size_t start,
                            const std::vector<double>& values) {
  size_t end = 0;
  if (std::string why = CheckNumbersAt(line, start, values, &end);
      !why.empty()) {
    return why;
  }
  if (end != line.size()) return "a line goes on after its last number";
  return {};
}

std::string CheckResultBytes(const std::string& bytes,
                             const ResultHeader& header,
                             const std::vector<StageRow>& rows) {
  if (bytes.size() < 2 || bytes.substr(bytes.size() - 2) != "\r\n") {
    return "result does not end with CR LF";
  }
  const std::vector<std::string_view> lines = SplitLines(bytes);
  if (lines.size() != 6 + rows.size()) {
    return "result has " + std::to_string(lines.size()) + " lines for " +
           std::to_string(rows.size()) + " rows";
  }
  for (std::string_view line : lines) {
    for (char c : line) {
      const unsigned char u = static_cast<unsigned char>(c);
      if (u < 0x20 || u == 0x7F) return "a result line holds a control byte";
    }
  }
  const auto starts = [](std::string_view line, const char* utf8) {
    const std::string gbk = Utf8ToGbk(utf8);
    return line.substr(0, gbk.size()) == gbk;
  };
  if (!starts(lines[0], "计算时间: ")) return "line 1 is not the run time";
  if (!starts(lines[1], "地形测文件：")) return "line 2 is not the survey file";
  const size_t count_at = Utf8ToGbk("地形测点数：").size();
  if (!starts(lines[2], "地形测点数：")) return "line 3 is not the point count";
  if (std::string why = CheckNumberLine(
          lines[2], count_at, {static_cast<double>(header.point_count)});
      !why.empty()) {
    return "line 3: " + why;
  }
  if (!starts(lines[3], "糙率=")) return "line 4 is not the roughness";
  const size_t slope_at = lines[3].find(Utf8ToGbk("比降="));
  if (slope_at == std::string_view::npos || slope_at % kPrintColumnWidth != 0) {
    return "line 4 has no slope at a zone";
  }
  size_t roughness_end = 0;
  if (std::string why = CheckNumbersAt(lines[3], Utf8ToGbk("糙率=").size(),
                                       {header.roughness}, &roughness_end);
      !why.empty()) {
    return "line 4: " + why;
  }
  if (slope_at != (roughness_end / kPrintColumnWidth + 1) * kPrintColumnWidth) {
    return "line 4: the slope is not in the next zone";
  }
  if (!lines[4].empty()) return "line 5 is not empty";
  const std::string heads = Utf8ToGbk("水位") + std::string(10, ' ') +
                            Utf8ToGbk("面积") + std::string(10, ' ') +
                            Utf8ToGbk("流量");
  if (lines[5] != heads) return "line 6 is not the column heads";
  for (size_t j = 0; j < rows.size(); ++j) {
    if (std::string why = CheckNumberLine(
            lines[6 + j], 0, {rows[j].stage, rows[j].area, rows[j].discharge});
        !why.empty()) {
      return "row " + std::to_string(j + 1) + ": " + why;
    }
  }
  return {};
}

std::string CheckResultPath(const std::string& path) {
  const std::string result = ResultFilePath(path);
  const std::string_view suffix = kResultSuffix;
  if (result.size() < suffix.size() ||
      result.substr(result.size() - suffix.size()) != suffix) {
    return "result path does not end in the suffix";
  }
  const std::string_view stem =
      std::string_view(result).substr(0, result.size() - suffix.size());
  if (std::string_view(path).substr(0, stem.size()) != stem) {
    return "result path is not beside the survey";
  }
  if (IsValidUtf8(path)) {
    size_t removed = 0;
    for (char c : std::string_view(path).substr(stem.size())) {
      if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++removed;
    }
    if (removed != 4 && !stem.empty()) {
      return "result path removes " + std::to_string(removed) + " characters";
    }
    if (!IsValidUtf8(result)) return "result path splits a character";
  }
  return {};
}

}  // namespace

std::string CheckSurveyParse(std::string_view bytes) {
  std::istringstream in{std::string(bytes)};
  CrossSection section;
  const Status status = ParseCrossSection(in, &section);
  if (!status.ok()) return CheckParseFailure(bytes, status);
  return CheckPoints(bytes, section);
}

std::string CheckStageRecordParse(std::string_view bytes) {
  std::istringstream in{std::string(bytes)};
  std::vector<StageReading> readings;
  const Status status = ParseStageRecord(in, &readings);
  if (!status.ok()) {
    if (std::string why = CheckMessage(status.message()); !why.empty()) {
      return why;
    }
    if (status.kind() != StatusKind::kBadInput) {
      return "text in memory refused as a file: " + status.message();
    }
    const std::optional<int64_t> line = NamedLine(status.message());
    if (line && (*line < 1 || *line > CountLines(bytes))) {
      return "failure message names line " + std::to_string(*line) +
             " of a text with " + std::to_string(CountLines(bytes)) +
             " lines: " + status.message();
    }
    return readings.empty() ? "" : "readings kept after a failure";
  }
  if (readings.empty() ||
      readings.size() > static_cast<size_t>(kMaxStageRecords) ||
      static_cast<int64_t>(readings.size()) > CountLines(bytes)) {
    return "read " + std::to_string(readings.size()) + " readings";
  }
  for (size_t i = 0; i < readings.size(); ++i) {
    if (!std::isfinite(readings[i].stage)) return "a stage is not finite";
    if (i > 0 && readings[i].time <= readings[i - 1].time) {
      return "reading " + std::to_string(i) + " is not after the one before";
    }
  }
  if (readings.back().time - readings.front().time >
      kMaxStageRecordDays * kSecondsPerDay) {
    return "the record spans too many days";
  }
  RunParameters params;
  params.roughness = 0.025;
  params.slope_text = "0.0004";
  params.stage_count = 5;
  Rating rating;
  const CrossSection v = {{{0, 5}, {10, 0}, {20, 0}, {30, 5}}};
  if (!RateSection(v, params, &rating).ok()) return "the V section fails";
  StageRecordFlow result;
  if (Status s = ComputeStageRecordFlow(rating, nullptr, params.slope_text,
                                        readings, &result);
      !s.ok()) {
    return "conversion failed: " + s.message();
  }
  for (size_t i = 0; i < readings.size(); ++i) {
    const double q = result.flow.Discharge(i);
    const bool above = readings[i].stage > 5;
    if (above != std::isnan(q) || (!above && !(q >= 0))) {
      return "reading " + std::to_string(i) + " has the discharge " +
             std::to_string(q);
    }
  }
  const int64_t span =
      (StartOfDay(readings.back().time) - StartOfDay(readings.front().time)) /
          kSecondsPerDay +
      1;
  if (static_cast<int64_t>(result.days.size()) != span ||
      result.summary.days_with_mean + result.summary.days_missing != span) {
    return "the days do not cover the record";
  }
  const FlowTableRun run = {"r.txt", "v.txt", params.slope_text, {}};
  const std::string csv = FlowTableCsv(run, rating, readings, result);
  if (!IsOwnFile(OwnFile::kFlowTable, csv.substr(0, kOpeningBytes))) {
    return "the flow table is not recognised as ours";
  }
  return {};
}

std::string CheckGaugingsParse(std::string_view bytes) {
  std::istringstream in{std::string(bytes)};
  std::vector<Gauging> gaugings;
  const Status status = ParseGaugings(in, &gaugings);
  if (!status.ok()) {
    if (std::string why = CheckMessage(status.message()); !why.empty()) {
      return why;
    }
    if (status.kind() != StatusKind::kBadInput) {
      return "text in memory refused as a file: " + status.message();
    }
    const std::optional<int64_t> line = NamedLine(status.message());
    if (line && (*line < 1 || *line > CountLines(bytes))) {
      return "failure message names line " + std::to_string(*line) +
             " of a text with " + std::to_string(CountLines(bytes)) +
             " lines: " + status.message();
    }
    return {};
  }
  if (gaugings.empty() || gaugings.size() > static_cast<size_t>(kMaxGaugings)) {
    return "read " + std::to_string(gaugings.size()) + " gaugings";
  }
  // An independent split into lines, and of each line into maximal runs of
  // bytes that are not separators.
  std::string_view body = bytes;
  if (body.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
    body.remove_prefix(kUtf8Bom.size());
  }
  if (!body.empty() && body.back() == '\x1A') body.remove_suffix(1);
  std::vector<std::string_view> lines;
  for (size_t begin = 0;;) {
    const size_t end = body.find_first_of("\r\n", begin);
    lines.push_back(body.substr(begin, end - begin));
    if (end == std::string_view::npos) break;
    begin = end + (body.substr(end, 2) == "\r\n" ? 2 : 1);
  }
  int64_t previous_line = 0;
  for (const Gauging& g : gaugings) {
    if (g.line <= previous_line ||
        g.line > static_cast<int64_t>(lines.size())) {
      return "gauging on line " + std::to_string(g.line) + " after line " +
             std::to_string(previous_line) + " of " +
             std::to_string(lines.size());
    }
    previous_line = g.line;
    if (!std::isfinite(g.stage) || !std::isfinite(g.discharge) ||
        !(g.discharge > 0)) {
      return "gauging on line " + std::to_string(g.line) +
             " is not finite or its discharge not above 0";
    }
    const std::string_view line = lines[static_cast<size_t>(g.line - 1)];
    const std::vector<std::string_view> fields = SplitFields(line);
    const double values[2] = {g.stage, g.discharge};
    for (size_t k = 0; k < 2; ++k) {
      const std::optional<double> expected =
          k < fields.size() ? TextToNumber(fields[k], '.') : std::nullopt;
      if (!expected || !SameBits(*expected, values[k])) {
        return "line " + std::to_string(g.line) + " read as " + Show(g.stage) +
               ", " + Show(g.discharge);
      }
    }
  }
  return {};
}

std::string CheckZonesParse(std::string_view bytes) {
  std::istringstream in{std::string(bytes)};
  std::vector<RoughnessZone> zones;
  const Status status = ParseRoughnessZones(in, &zones);
  if (!status.ok()) {
    if (std::string why = CheckMessage(status.message()); !why.empty()) {
      return why;
    }
    const std::optional<int64_t> line = NamedLine(status.message());
    if (!line) {
      const bool nameless =
          status.message().find("UTF-16") != std::string::npos ||
          status.message().find("没有数据") != std::string::npos;
      return nameless ? std::string()
                      : "failure message names no line: " + status.message();
    }
    if (*line < 1 || *line > CountLines(bytes)) {
      return "failure message names line " + std::to_string(*line) +
             " of a text with " + std::to_string(CountLines(bytes)) + " lines";
    }
    return {};
  }
  if (zones.empty() || zones.size() > static_cast<size_t>(kMaxZones)) {
    return "zones read: " + std::to_string(zones.size());
  }
  if (Status checked = CheckRoughnessZones(zones); !checked.ok()) {
    return "zones read that a run refuses: " + checked.message();
  }
  for (size_t k = 0; k < zones.size(); ++k) {
    if (zones[k].line < 1 || zones[k].line > CountLines(bytes) ||
        (k > 0 && zones[k].line <= zones[k - 1].line)) {
      return "zone " + std::to_string(k) + " on an impossible line";
    }
  }

  std::istringstream saved{RoughnessZonesText(zones)};
  std::vector<RoughnessZone> again;
  if (Status s = ParseRoughnessZones(saved, &again); !s.ok()) {
    return "saved zones do not read back: " + s.message();
  }
  if (again.size() != zones.size()) return "saved zones read back fewer";
  for (size_t k = 0; k < zones.size(); ++k) {
    if (!SameBits(again[k].from, zones[k].from) ||
        !SameBits(again[k].roughness, zones[k].roughness)) {
      return "saved zone " + std::to_string(k) + " reads back different";
    }
  }

  const double x = zones.front().from;
  const CrossSection v{{{x, 5}, {x + 10, 0}, {x + 20, 0}, {x + 30, 5}}};
  RunParameters params;
  params.slope_text = "0.0004";
  params.stage_count = 5;
  params.roughness = 0.03;
  Rating plain;
  if (!RateSection(v, params, &plain).ok()) return {};  // x beyond range.
  params.zones = zones;
  for (ZoneMethod method : {ZoneMethod::kSubsection, ZoneMethod::kComposite}) {
    params.zone_method = method;
    Rating zoned;
    if (Status s = RateSection(v, params, &zoned); !s.ok()) {
      if (s.message().find("超出了计算的数值范围") != std::string::npos) {
        continue;
      }
      return "zoned rating fails: " + s.message();
    }
    for (size_t j = 0; j < plain.table.rows.size(); ++j) {
      const StageRow& a = plain.table.rows[j];
      const StageRow& b = zoned.table.rows[j];
      if (!SameBits(a.stage, b.stage) || !SameBits(a.area, b.area) ||
          !std::isfinite(b.discharge) || b.discharge < 0) {
        return "zoned row " + std::to_string(j + 1) + " is wrong";
      }
    }
  }
  return {};
}

std::string CheckWholeRun(std::string_view input) {
  std::string_view texts[4];
  for (std::string_view& text : texts) {
    const size_t end = input.find('\n');
    text = input.substr(0, end);
    input = end == std::string_view::npos ? std::string_view()
                                          : input.substr(end + 1);
  }
  RunParameters params;
  params.roughness = TextToNumber(texts[0]).value_or(0);
  params.slope_text = std::string(texts[1]);
  params.stage_count = TextToNumber(texts[2]).value_or(0);
  params.data_file_path = std::string(texts[3]);

  CrossSection section;
  std::istringstream survey{std::string(input)};
  if (Status s = ParseCrossSection(survey, &section); !s.ok()) {
    return CheckParseFailure(input, s);
  }
  if (std::string why = CheckResultPath(params.data_file_path); !why.empty()) {
    return why;
  }

  // The reference computes the stage count that the run's guard leaves.
  const double stage_count = EffectiveStageCount(params.stage_count);
  const Reference ref = ComputeReference(section, params.roughness,
                                         params.slope_text, stage_count);
  StageLevelTable levels;
  const Status levels_status = StageLevels(section, stage_count, &levels);
  if (levels_status.ok() != ref.levels_ok) {
    return "stage levels " +
           std::string(levels_status.ok() ? "succeed" : "fail") +
           " where the reference does not: " + levels_status.message();
  }
  if (levels_status.ok()) {
    if (!SameBits(levels.z_min, ref.z_min) ||
        !SameBits(levels.z_top, ref.z_top) || !SameBits(levels.dz, ref.dz)) {
      return "zMin, zTop or dz differ from the reference";
    }
    const WettedGeometry geometry =
        ComputeWettedGeometry(section, levels.levels);
    for (std::string why :
         {CompareSeries("level", levels.levels, ref.levels),
          CompareSeries("area", geometry.area, ref.area),
          CompareSeries("perimeter", geometry.perimeter, ref.perimeter)}) {
      if (!why.empty()) return why;
    }
  }

  Rating rating;
  const Status status = RateSection(section, params, &rating);
  if (status.ok() != ref.ok) {
    return "the table " + std::string(status.ok() ? "succeeds" : "fails") +
           " where the reference does not: " + status.message();
  }
  if (!status.ok()) {
    // A slope that is not valid UTF-8 is quoted as typed.
    if (!IsValidUtf8(params.slope_text)) return {};
    return CheckMessage(status.message());
  }
  const std::vector<StageRow>& rows = rating.table.rows;
  if (rows.size() != ref.rows.size()) return "row count differs";
  if (rating.hydraulic_rows.size() != rows.size()) {
    return "the hydraulic table and the result rows differ in length";
  }
  for (size_t j = 0; j < ref.rows.size(); ++j) {
    const StageRow& got = rows[j];
    const StageRow& want = ref.rows[j];
    if (!SameBits(got.stage, want.stage) || !SameBits(got.area, want.area) ||
        !SameBits(got.discharge, want.discharge)) {
      return "row " + std::to_string(j + 1) + " differs from the reference";
    }
    if (!(got.area >= 0) || !(got.discharge >= 0)) {
      return "row " + std::to_string(j + 1) + " has a negative area or flow";
    }
    const HydraulicRow& full = rating.hydraulic_rows[j];
    if (!SameBits(full.stage, got.stage) || !SameBits(full.area, got.area) ||
        !SameBits(full.discharge, got.discharge)) {
      return "hydraulic row " + std::to_string(j + 1) +
             " differs from the result row";
    }
  }

  const LocalDateTime run_time = UtcFromEpochSeconds(1796600867);
  const ResultHeader header = MakeResultHeader(
      params, static_cast<int>(section.points.size()), run_time);
  return CheckResultBytes(ResultFileBytes(rating, params, run_time), header,
                          rows);
}

}  // namespace xsrating::hardening
