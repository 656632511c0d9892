// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/input/zones_file.h"

#include <cmath>
#include <string>

#include "core/base/number_text.h"
#include "core/input/number_pairs.h"
#include "core/input/text_scanner.h"

namespace xsrating {

std::string ZonePlace(const RoughnessZone& zone, size_t index) {
  return zone.line > 0 ? "第 " + std::to_string(zone.line) + " 行"
                       : "第 " + std::to_string(index + 1) + " 个分区";
}

Status CheckRoughnessZones(std::span<const RoughnessZone> zones) {
  if (zones.empty()) {
    return Status::Error(
        "没有分区糙率：至少要有一个分区，每行写分区起点距和糙率。");
  }
  for (size_t k = 0; k < zones.size(); ++k) {
    const RoughnessZone& zone = zones[k];
    const std::string name = ZonePlace(zone, k);
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

}  // namespace xsrating
