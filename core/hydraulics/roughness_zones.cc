// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/hydraulics/roughness_zones.h"

#include <cmath>
#include <string>

#include "core/base/number_text.h"
#include "core/input/zones_file.h"

namespace xsrating {
const char* ZoneMethodName(ZoneMethod method) {
  return method == ZoneMethod::kComposite ? kCompositeMethodName
                                          : kSubsectionMethodName;
}

std::optional<ZoneMethod> ZoneMethodFromName(std::string_view name) {
  if (name == kSubsectionMethodName) return ZoneMethod::kSubsection;
  if (name == kCompositeMethodName) return ZoneMethod::kComposite;
  return std::nullopt;
}

Status CheckZonesReachSection(std::span<const RoughnessZone> zones,
                              const CrossSection& section) {
  if (zones.empty() || section.points.empty()) return Status::Ok();
  const double first = section.points.front().distance;
  if (zones.front().from > first) {
    return Status::Error(
        ZonePlace(zones.front(), 0) + "的第一个分区起点距 " +
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

}  // namespace xsrating
