// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/hydraulics/stage_discharge.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "core/base/number_text.h"

namespace xsrating {
namespace {

// A typed text for a message, cut short without splitting a character.
std::string Quoted(std::string_view text) {
  constexpr size_t kLimit = 40;
  std::string shown(text);
  if (shown.size() > kLimit) {
    size_t cut = kLimit;
    while (cut > 0 && (static_cast<unsigned char>(shown[cut]) & 0xC0) == 0x80) {
      --cut;
    }
    shown = shown.substr(0, cut) + "…";
  }
  // A pasted line end or tab would break the message's one line.
  for (char& c : shown) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  return "“" + shown + "”";
}

std::string StageName(int stage) {
  return "第 " + std::to_string(stage) + " 个水位";
}

}  // namespace

std::string StageCountOutOfRangeMessage(double stage_count) {
  return "水位流量关系曲线点子数量必须在 1 到 100 之间，现在是 " +
         FormatNumberForMessage(stage_count) + "。";
}

Status StageLevels(const CrossSection& section, double stage_count,
                   StageLevelTable* levels) {
  const std::vector<SectionPoint>& points = section.points;
  const size_t n = points.size();
  if (n == 0) {
    return Status::Error("地形文件中没有测点数据，至少需要 2 个测点。");
  }
  if (n < 2) {
    return Status::Error(
        "地形文件中只有 1 个测点，至少需要 2 个测点才能计算。");
  }
  // The geometry takes segments in file order and would turn a step back
  // into negative area.
  for (size_t k = 1; k < n; ++k) {
    if (points[k].distance < points[k - 1].distance) {
      return Status::Error("第 " + std::to_string(k + 1) + " 个测点的起点距 " +
                           FormatNumberForMessage(points[k].distance) +
                           " 小于第 " + std::to_string(k) + " 个测点的起点距 " +
                           FormatNumberForMessage(points[k - 1].distance) +
                           "。起点距应由小到大排列。");
    }
  }
  if (!std::isfinite(stage_count)) {
    return Status::Error("水位流量关系曲线点子数量不是有效的数。");
  }
  // Fewer than one stage would give a table with no rows: a result that
  // looks written but says nothing, replacing a good one.
  if (stage_count < 1 || stage_count >= kMaxStages + 1) {
    return Status::Error(StageCountOutOfRangeMessage(stage_count));
  }

  // The lowest and the two highest elevations, as a stable sort would leave
  // them first and last (equal values in file order, which tells -0 from
  // +0), in one pass rather than a sort of them all.
  double lowest = points[0].elevation;
  double highest = -std::numeric_limits<double>::infinity();
  double second = highest;
  for (const SectionPoint& point : points) {
    const double z = point.elevation;
    if (z < lowest) lowest = z;
    if (z >= highest) {
      second = highest;
      highest = z;
    } else if (z >= second) {
      second = z;
    }
  }
  levels->z_min = lowest;
  levels->z_top = second < highest ? second : highest;
  levels->dz =
      std::floor((levels->z_top - levels->z_min) * 100 / stage_count) / 100;
  if (!std::isfinite(levels->dz)) {
    return Status::Error("地形文件的高程相差太大，超出了计算的数值范围。");
  }
  levels->levels.clear();
  for (int j = 1; j <= stage_count; ++j) {
    levels->levels.push_back(static_cast<double>(j) * levels->dz +
                             levels->z_min);
  }
  return Status::Ok();
}

namespace {

// Adds one level's area, perimeter and top width to the arrays that are
// there.
template <bool kTotal, bool kPart>
inline void Add(size_t j, double a, double p, double w, double* __restrict area,
                double* __restrict perimeter, double* __restrict top_width,
                double* __restrict part_area,
                double* __restrict part_perimeter) {
  if constexpr (kTotal) {
    area[j] += a;
    perimeter[j] += p;
    top_width[j] += w;
  }
  if constexpr (kPart) {
    part_area[j] += a;
    part_perimeter[j] += p;
  }
}

// AddSegmentGeometry into the arrays that are there: kTotal the section's
// three, kPart a part's two. Each sum has its own array, and the compiler,
// told that none overlaps another, adds several levels at once; that holds
// only while this is a function of its own, not inlined into its caller.
template <bool kTotal, bool kPart>
[[gnu::noinline]] void AddSegmentTo(
    const SectionPoint& from, const SectionPoint& to,
    const double* __restrict h, size_t m, double* __restrict area,
    double* __restrict perimeter, double* __restrict top_width,
    double* __restrict part_area, double* __restrict part_perimeter) {
  const double x1 = from.distance;
  const double z1 = from.elevation;
  const double x2 = to.distance;
  const double z2 = to.elevation;
  // Levels never fall from one stage to the next, so the stages split into
  // three runs per segment: dry (both ends at or above the water), one end
  // under water (the bank falls in or rises out), and wholly under water.
  const double low = std::min(z1, z2);
  const double high = std::max(z1, z2);
  size_t j = static_cast<size_t>(std::upper_bound(h, h + m, low) - h);
  if (j < m && h[j] <= high) {
    if (z1 > z2) {
      // The bank falls into the water at xc.
      const double run = (x2 - x1) / (z1 - z2);
      for (; j < m && h[j] <= high; ++j) {
        const double depth = h[j] - z2;
        const double xc = x2 - depth * run;
        Add<kTotal, kPart>(j, depth * (x2 - xc) / 2,
                           std::sqrt((xc - x2) * (xc - x2) + depth * depth),
                           x2 - xc, area, perimeter, top_width, part_area,
                           part_perimeter);
      }
    } else {
      // The bank rises out of the water at xc.
      const double run = (x2 - x1) / (z2 - z1);
      for (; j < m && h[j] <= high; ++j) {
        const double depth = h[j] - z1;
        const double xc = x1 + depth * run;
        Add<kTotal, kPart>(
            j, depth * (xc - x1) / 2,
            std::sqrt((xc - x1) * (xc - x1) + (z1 - h[j]) * (z1 - h[j])),
            xc - x1, area, perimeter, top_width, part_area, part_perimeter);
      }
    }
  }
  const double width = x2 - x1;
  const double length =
      std::sqrt((x1 - x2) * (x1 - x2) + (z1 - z2) * (z1 - z2));
  for (; j < m; ++j) {
    Add<kTotal, kPart>(j, ((2 * h[j] - z1) - z2) / 2 * width, length, width,
                       area, perimeter, top_width, part_area, part_perimeter);
  }
}

}  // namespace

void AddSegmentGeometry(const SectionPoint& from, const SectionPoint& to,
                        std::span<const double> levels, WettedGeometry* total,
                        PartGeometry* part) {
  const double* h = levels.data();
  const size_t m = levels.size();
  if (total != nullptr && part != nullptr) {
    AddSegmentTo<true, true>(from, to, h, m, total->area.data(),
                             total->perimeter.data(), total->top_width.data(),
                             part->area.data(), part->perimeter.data());
  } else if (total != nullptr) {
    AddSegmentTo<true, false>(from, to, h, m, total->area.data(),
                              total->perimeter.data(), total->top_width.data(),
                              nullptr, nullptr);
  } else if (part != nullptr) {
    AddSegmentTo<false, true>(from, to, h, m, nullptr, nullptr, nullptr,
                              part->area.data(), part->perimeter.data());
  }
}

WettedGeometry ComputeWettedGeometry(const CrossSection& section,
                                     const std::vector<double>& levels) {
  WettedGeometry geometry(levels.size());
  const std::vector<SectionPoint>& points = section.points;
  for (size_t i = 0; i + 1 < points.size(); ++i) {
    AddSegmentGeometry(points[i], points[i + 1], levels, &geometry, nullptr);
  }
  return geometry;
}

double RowDischarge(double area, double perimeter, double roughness,
                    double slope) {
  const double radius = area / perimeter;
  const double inverse_n = 1 / roughness;
  const double exponent = 2.0 / 3.0;
  const double discharge =
      ((inverse_n * std::pow(radius, exponent)) * std::pow(slope, 0.5)) * area;
  return RoundToHundredth(discharge);
}

Status ManningRule::Check() const {
  if (!(std::isfinite(roughness_) && roughness_ > 0)) {
    return Status::Error("糙率必须是大于 0 的数，现在是 " +
                         FormatNumberForMessage(roughness_) + "。");
  }
  return Status::Ok();
}

double ManningRule::Discharge(size_t /*index*/, double area, double perimeter,
                              double slope) const {
  return RowDischarge(area, perimeter, roughness_, slope);
}

namespace {

// The row of one stage, with the slope text already converted (once per
// table rather than once per row); `slope` is nullopt when it is not a number.
Status MakeRow(const StageLevelTable& levels, const WettedGeometry& geometry,
               int stage, const DischargeRule& rule,
               std::string_view slope_text, const std::optional<double>& slope,
               StageRow* row) {
  const size_t index = static_cast<size_t>(stage - 1);
  const double area = RoundToHundredth(geometry.area[index]);
  const double perimeter = geometry.perimeter[index];
  if (!(perimeter > 0)) {
    std::string why;
    if (levels.dz == 0) {
      why = "最低河底与较低堤顶相差太小，按点子数量分出的水位间隔为 0，";
    }
    return Status::Error(
        StageName(stage) + " " + FormatNumberForMessage(levels.levels[index]) +
        " 没有过水断面（湿周为 0）：" + why + "无法计算流量。");
  }
  if (Status s = rule.Check(); !s.ok()) return s;
  if (!slope) {
    return Status::Error("比降" + Quoted(slope_text) +
                         NotANumberEnding(slope_text));
  }
  if (*slope < 0) {
    return Status::Error("比降不能是负数，现在是" + Quoted(slope_text) + "。");
  }
  const double discharge = rule.Discharge(index, area, perimeter, *slope);
  if (!std::isfinite(area) || !std::isfinite(discharge)) {
    return Status::Error(StageName(stage) +
                         "的面积或流量超出了计算的数值范围，请检查地形数据、"
                         "糙率和比降。");
  }
  row->stage = levels.levels[index];
  row->area = area;
  row->discharge = discharge;
  return Status::Ok();
}

}  // namespace

Status ComputeStageRow(const StageLevelTable& levels,
                       const WettedGeometry& geometry, int stage,
                       double roughness, std::string_view slope_text,
                       StageRow* row) {
  return MakeRow(levels, geometry, stage, ManningRule(roughness), slope_text,
                 TextToNumber(slope_text), row);
}

Status ComputeStageGeometry(const CrossSection& section, double stage_count,
                            StageDischargeTable* table) {
  if (Status s = StageLevels(section, stage_count, &table->levels); !s.ok()) {
    return s;
  }
  table->geometry = ComputeWettedGeometry(section, table->levels.levels);
  table->rows.clear();
  return Status::Ok();
}

Status ComputeStageRows(const DischargeRule& rule, std::string_view slope_text,
                        StageDischargeTable* table) {
  table->rows.clear();
  const int stages = static_cast<int>(table->levels.levels.size());
  const std::optional<double> slope = TextToNumber(slope_text);
  for (int j = 1; j <= stages; ++j) {
    StageRow row;
    if (Status s = MakeRow(table->levels, table->geometry, j, rule, slope_text,
                           slope, &row);
        !s.ok()) {
      return s;
    }
    table->rows.push_back(row);
  }
  return Status::Ok();
}

Status ComputeStageDischarge(const CrossSection& section, double roughness,
                             std::string_view slope_text, double stage_count,
                             StageDischargeTable* table) {
  if (Status s = ComputeStageGeometry(section, stage_count, table); !s.ok()) {
    return s;
  }
  return ComputeStageRows(ManningRule(roughness), slope_text, table);
}

}  // namespace xsrating
