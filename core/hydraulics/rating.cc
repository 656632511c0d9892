// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/hydraulics/rating.h"

#include <algorithm>
#include <utility>

#include "core/base/file_io.h"
#include "core/base/number_text.h"
#include "core/hydraulics/zone_conveyance.h"
#include "core/input/cross_section.h"
#include "core/input/zones_file.h"

namespace xsrating {

bool ExceedsStageLimit(double stage_count) { return stage_count > kMaxStages; }

double EffectiveStageCount(double stage_count) {
  return ExceedsStageLimit(stage_count) ? kFallbackStageCount : stage_count;
}

Status RateSection(CrossSection section, const RunParameters& params,
                   Rating* rating) {
  *rating = Rating();
  rating->params = params;
  rating->slope = TextToNumber(params.slope_text);
  rating->section = std::move(section);
  rating->stage_count = EffectiveStageCount(params.stage_count);
  StageDischargeTable table;
  if (Status s =
          StageLevels(rating->section, rating->stage_count, &table.levels);
      !s.ok()) {
    return s;
  }
  double roughness = params.roughness;
  std::vector<AppliedZone> zones;
  if (!params.zones.empty()) {
    if (Status s = CheckRoughnessZones(params.zones); !s.ok()) return s;
    if (Status s = CheckZonesReachSection(params.zones, rating->section);
        !s.ok()) {
      return s;
    }
    zones = ApplyZones(params.zones, rating->section);
    // One zone is one roughness for the whole section: the ordinary rating,
    // to the last bit.
    if (zones.size() == 1) {
      roughness = zones.front().roughness;
      zones.clear();
    }
  }
  // The section's geometry and, with zones, each zone's, in one pass.
  const std::vector<PartGeometry> zone_geometry = ComputeZoneGeometry(
      rating->section, zones, table.levels.levels, &table.geometry);
  std::vector<HydraulicRow> rows;
  if (zones.empty()) {
    if (Status s =
            ComputeStageRows(ManningRule(roughness), params.slope_text, &table);
        !s.ok()) {
      return s;
    }
    rows = HydraulicRows(table);
    for (HydraulicRow& row : rows) row.equivalent_roughness = roughness;
  } else {
    const ZoneRule rule(zones, zone_geometry, table.geometry,
                        params.zone_method);
    if (Status s = ComputeStageRows(rule, params.slope_text, &table); !s.ok()) {
      return s;
    }
    rows = HydraulicRows(table);
    for (size_t j = 0; j < rows.size(); ++j) {
      const ZoneFlow flow = rule.FlowAt(j);
      rows[j].equivalent_roughness = flow.equivalent_roughness;
      rows[j].energy_coefficient = flow.energy_coefficient;
    }
  }
  rating->hydraulic_rows = std::move(rows);
  rating->table = std::move(table);
  rating->zones = std::move(zones);
  rating->zone_method = params.zone_method;
  rating->roughness = roughness;
  return Status::Ok();
}

Status ComputeRating(const RunParameters& params, Rating* rating) {
  CrossSection section;
  if (Status s = ReadCrossSection(params.data_file_path, &section); !s.ok()) {
    *rating = Rating();
    return s;
  }
  if (Status s = RateSection(std::move(section), params, rating); !s.ok()) {
    return s.Prefixed("地形文件“" + params.data_file_path + "”计算未完成：");
  }
  return Status::Ok();
}

}  // namespace xsrating
