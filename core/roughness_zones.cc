// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/roughness_zones.h"

#include <cmath>
#include <string>

#include "core/number_text.h"
#include "core/rating_csv.h"

namespace xsrating {
namespace {

// How a message names a zone: by the line of its file, or by its place.
std::string ZoneName(const RoughnessZone& zone, size_t index) {
  return zone.line > 0 ? "第 " + std::to_string(zone.line) + " 行"
                       : "第 " + std::to_string(index + 1) + " 个分区";
}

}  // namespace

const char* ZoneMethodName(ZoneMethod method) {
  return method == ZoneMethod::kComposite ? kCompositeMethodName
                                          : kSubsectionMethodName;
}

std::optional<ZoneMethod> ZoneMethodFromName(std::string_view name) {
  if (name == kSubsectionMethodName) return ZoneMethod::kSubsection;
  if (name == kCompositeMethodName) return ZoneMethod::kComposite;
  return std::nullopt;
}

Status CheckRoughnessZones(std::span<const RoughnessZone> zones) {
  if (zones.empty()) {
    return Status::Error(
        "没有分区糙率：至少要有一个分区，每行写分区起点距和糙率。");
  }
  for (size_t k = 0; k < zones.size(); ++k) {
    const RoughnessZone& zone = zones[k];
    const std::string name = ZoneName(zone, k);
    if (!std::isfinite(zone.from)) {
      return Status::Error(name + "的起点距不是有效的数。");
    }
    if (!std::isfinite(zone.roughness)) {
      return Status::Error(name + "的糙率不是有效的数。");
    }
    if (!(zone.roughness > 0)) {
      return Status::Error(name + "的糙率 " +
                           FormatNumberForMessage(zone.roughness) +
                           " 不大于 0，糙率必须是大于 0 的数。");
    }
    if (k > 0 && !(zone.from > zones[k - 1].from)) {
      return Status::Error(name + "的起点距 " +
                           FormatNumberForMessage(zone.from) +
                           " 不大于上一分区的起点距 " +
                           FormatNumberForMessage(zones[k - 1].from) +
                           "，分区起点距必须由小到大排列、不能重复。");
    }
  }
  return Status::Ok();
}

Status CheckZonesReachSection(std::span<const RoughnessZone> zones,
                              const CrossSection& section) {
  if (zones.empty() || section.points.empty()) return Status::Ok();
  const double first = section.points.front().distance;
  if (zones.front().from > first) {
    return Status::Error(
        ZoneName(zones.front(), 0) + "的第一个分区起点距 " +
        FormatNumberForMessage(zones.front().from) +
        " 大于地形文件第一个测点的起点距 " + FormatNumberForMessage(first) +
        "，断面起点一侧没有糙率。第一个分区应从断面起点或更小的起点距开始。");
  }
  return Status::Ok();
}

std::vector<AppliedZone> ApplyZones(std::span<const RoughnessZone> zones,
                                    const CrossSection& section) {
  const double first = section.points.front().distance;
  const double last = section.points.back().distance;
  size_t begin = 0;
  while (begin + 1 < zones.size() && zones[begin + 1].from <= first) ++begin;
  std::vector<AppliedZone> applied;
  for (size_t k = begin; k < zones.size(); ++k) {
    if (k > begin && zones[k].from >= last) break;
    applied.push_back(
        {k == begin ? first : zones[k].from, last, zones[k].roughness});
    if (applied.size() > 1) {
      applied[applied.size() - 2].to = zones[k].from;
    }
  }
  return applied;
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

std::string RoughnessZonesText(std::span<const RoughnessZone> zones) {
  std::string text = "起点距,糙率\r\n";
  for (const RoughnessZone& zone : zones) {
    text += CsvNumber(zone.from) + "," + CsvNumber(zone.roughness) + "\r\n";
  }
  return text;
}

}  // namespace xsrating
