// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/run/rating_warnings.h"

#include <charconv>
#include <cmath>
#include <system_error>

#include "core/base/number_text.h"

namespace xsrating {
namespace {

// A percentage to one decimal, '.' whatever the locale: "91.1%".
std::string Percent(double value) {
  char text[64];
  const std::to_chars_result written = std::to_chars(
      text, text + sizeof text, value, std::chars_format::fixed, 1);
  if (written.ec != std::errc()) return DecimalForm(value) + "%";
  return std::string(text, written.ptr) + "%";
}

// The warning for one end of the section, point `index` (0-based), when the
// water of the table's top stages rises above it.
std::optional<std::string> SpillWarning(const Rating& rating, size_t index) {
  const SectionPoint& end = rating.section.points[index];
  const std::vector<double>& levels = rating.table.levels.levels;
  // Levels ascend, so the first one above the end is the first that spills.
  size_t first = 0;
  while (first < levels.size() && !(levels[first] > end.elevation)) ++first;
  if (first == levels.size()) return std::nullopt;
  const bool start = index == 0;
  return std::string("断面") + (start ? "起点" : "终点") + "一端（第 " +
         std::to_string(index + 1) + " 个测点，起点距 " +
         DecimalForm(end.distance) + "）的高程 " + DecimalForm(end.elevation) +
         " 低于最高计算水位 " + DecimalForm(levels.back()) + "：从第 " +
         std::to_string(first + 1) + " 个水位 " + DecimalForm(levels[first]) +
         " 起，水会漫过这一端，而表中把这一端当作直立的岸壁计算，这些水位的"
         "面积和流量不可信。地形数据应从一岸最高点到对岸最高点：请删去堤顶"
         "以外的测点，并核对是否有高程写错。";
}

// The warning of a stage count with a fraction: the step is worked out with
// the count as typed, but only its whole stages are written, so the table
// stops short of the lower bank crest.
std::optional<std::string> FractionalCountWarning(const Rating& rating) {
  const double count = rating.stage_count;
  const StageLevelTable& levels = rating.table.levels;
  if (!std::isfinite(count) || count == std::floor(count) ||
      levels.levels.empty() || !(levels.levels.back() < levels.z_top)) {
    return std::nullopt;
  }
  const double whole = std::floor(count);
  return "水位流量关系曲线点子数量 " + DecimalForm(count) +
         " 不是整数：水位间隔按 " + DecimalForm(count) + " 算出，表中只有 " +
         DecimalForm(whole) + " 行，最高计算水位 " +
         DecimalForm(levels.levels.back()) + " 低于较低一岸的堤顶 " +
         DecimalForm(levels.z_top) + "。点子数量请填整数，例如 " +
         DecimalForm(whole + 1) + "。";
}

}  // namespace

std::vector<std::string> RatingWarnings(const Rating& rating,
                                        const RunParameters& params) {
  std::vector<std::string> warnings;
  const std::vector<SectionPoint>& points = rating.section.points;
  if (!rating.table.levels.levels.empty() && !points.empty()) {
    if (std::optional<std::string> w = SpillWarning(rating, 0)) {
      warnings.push_back(std::move(*w));
    }
    if (points.size() > 1) {
      if (std::optional<std::string> w =
              SpillWarning(rating, points.size() - 1)) {
        warnings.push_back(std::move(*w));
      }
    }
  }
  if (std::optional<std::string> w = FractionalCountWarning(rating)) {
    warnings.push_back(std::move(*w));
  }
  for (std::string& w : ParameterWarnings(params)) {
    warnings.push_back(std::move(w));
  }
  return warnings;
}

std::vector<std::string> ParameterWarnings(const RunParameters& params) {
  std::vector<std::string> warnings;
  // With zones, each zone's roughness is one the user typed.
  std::vector<double> typed = {params.roughness};
  if (!params.zones.empty()) {
    typed.clear();
    for (const RoughnessZone& zone : params.zones) {
      typed.push_back(zone.roughness);
    }
  }
  for (const double n : typed) {
    if (std::isfinite(n) && n > 0 &&
        (n < kLowestUsualRoughness || n > kHighestUsualRoughness)) {
      warnings.push_back("糙率 " + DecimalForm(n) + " 不在天然河道常见的 " +
                         DecimalForm(kLowestUsualRoughness) + " 到 " +
                         DecimalForm(kHighestUsualRoughness) +
                         " 之间，请核对是否多写或少写了一个 0。");
    }
  }
  if (const std::optional<double> slope = TextToNumber(params.slope_text)) {
    if (*slope == 0) {
      warnings.push_back(
          "比降为 0：按曼宁公式，每个水位的流量都是 0。请填写水面比降，"
          "例如万分之四写 0.0004。");
    } else if (*slope > kHighestUsualSlope) {
      warnings.push_back("比降 " + params.slope_text + " 大于 " +
                         DecimalForm(kHighestUsualSlope) +
                         "，河道水面很少这样陡。比降要写成小数，例如万分之四"
                         "写 0.0004，请核对。");
    }
  }
  return warnings;
}

std::optional<std::string> ExtensionWarning(const RatingAnalysis& analysis) {
  const std::optional<double>& extension = analysis.extension_percent;
  if (!extension || !(*extension > kUsualExtensionLimitPercent)) {
    return std::nullopt;
  }
  return "外延幅度 " + Percent(*extension) + "，超过了通常允许的 " +
         DecimalForm(kUsualExtensionLimitPercent) + "%：高于最高实测水位 " +
         DecimalForm(analysis.highest_gauged_stage) +
         " 的流量是外延的，没有实测流量验证，请慎用。";
}

std::string RatingWarningsMessage(const std::string& data_file_path,
                                  const std::vector<std::string>& warnings) {
  std::string text = "地形文件“" + data_file_path + "”已算完，但：";
  for (const std::string& warning : warnings) text += '\r' + warning;
  return text;
}

}  // namespace xsrating
