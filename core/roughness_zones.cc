// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/roughness_zones.h"

#include <charconv>
#include <cmath>
#include <string>

#include "core/number_pairs.h"
#include "core/number_text.h"
#include "core/text_scanner.h"

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

Status ParseRoughnessZones(std::istream& in,
                           std::vector<RoughnessZone>* zones) {
  zones->clear();
  static constexpr NumberPairNames kNames = {"分区糙率文件", "分区起点距",
                                             "起点距", "糙率", "糙率"};
  return ParseNumberPairs(
      in, kNames, [zones](const NumberPair& pair, TextScanner& scan) {
        if (!(pair.second > 0)) {
          return Status::Error(AtLine(pair.line) + "的糙率" +
                               scan.Quote(pair.second_text) +
                               "不大于 0，糙率必须大于 0。");
        }
        if (!zones->empty() && !(pair.first > zones->back().from)) {
          return Status::Error(AtLine(pair.line) + "的起点距" +
                               scan.Quote(pair.first_text) +
                               "不大于上一行的起点距 " +
                               FormatNumberForMessage(zones->back().from) +
                               "，分区起点距必须由小到大排列、不能重复。");
        }
        if (zones->size() == static_cast<size_t>(kMaxZones)) {
          return Status::Error(
              AtLine(pair.line) + "开始了第 " + std::to_string(kMaxZones + 1) +
              " 个分区，分区不能超过 " + std::to_string(kMaxZones) + " 个。");
        }
        zones->push_back({pair.first, pair.second, pair.line});
        return Status::Ok();
      });
}

Status ReadRoughnessZones(const std::string& path,
                          std::vector<RoughnessZone>* zones) {
  zones->clear();
  if (path.empty()) return Status::Error("还没有选择分区糙率文件。");
  const Status read = ParseTextFile(
      path, "分区糙率文件“" + path + "”",
      [zones](std::istream& in) { return ParseRoughnessZones(in, zones); });
  if (!read.ok()) zones->clear();
  return read;
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
  // The shortest digits that read back as the same double: 0.1 stays "0.1",
  // and two distances a hair apart stay apart.
  const auto shortest = [](double value) {
    char buffer[32];
    const std::to_chars_result written =
        std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, written.ptr);
  };
  std::string text = "起点距,糙率\r\n";
  for (const RoughnessZone& zone : zones) {
    text += shortest(zone.from) + "," + shortest(zone.roughness) + "\r\n";
  }
  return text;
}

}  // namespace xsrating
