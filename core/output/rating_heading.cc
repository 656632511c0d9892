// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/output/rating_heading.h"

#include <algorithm>

#include "core/base/file_io.h"
#include "core/hydraulics/roughness_zones.h"
#include "core/output/rating_csv.h"

namespace xsrating {

std::string RatingHeading(const RunParameters& params) {
  constexpr char kApart[] = "\u3000";
  // A few zones are each named; a heading of many would not fit a line.
  constexpr size_t kZonesNamed = 6;
  std::string roughness = "糙率 n = " + CsvNumber(params.roughness);
  if (!params.zones.empty()) {
    roughness = "分区糙率 n = ";
    if (params.zones.size() <= kZonesNamed) {
      for (size_t i = 0; i < params.zones.size(); ++i) {
        roughness += (i > 0 ? "、" : "") + CsvNumber(params.zones[i].roughness);
      }
    } else {
      const auto [least, most] = std::minmax_element(
          params.zones.begin(), params.zones.end(),
          [](const RoughnessZone& a, const RoughnessZone& b) {
            return a.roughness < b.roughness;
          });
      roughness += CsvNumber(least->roughness) + "～" +
                   CsvNumber(most->roughness) + "，共 " +
                   std::to_string(params.zones.size()) + " 区";
    }
    roughness += std::string("（") + ZoneMethodName(params.zone_method) + "）";
  }
  return PathToUtf8(PathFromUtf8(params.data_file_path).stem()) + kApart +
         roughness + kApart + "比降 S = " + params.slope_text;
}

}  // namespace xsrating
