// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/flow/record_flow.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <memory>

#include "core/base/number_text.h"
#include "core/hydraulics/zone_conveyance.h"

namespace xsrating {
namespace {

constexpr double kNoDischarge = std::numeric_limits<double>::quiet_NaN();

// The distinct stages of `readings`, in order of first appearance, and the
// index of each reading's: an open-addressing table on the value's bits. A
// long record repeats a few thousand stages a million times, so hashing is
// what keeps the conversion to a pass over the readings.
void CollectStages(std::span<const StageReading> readings,
                   std::vector<double>* stages,
                   std::vector<uint32_t>* stage_of) {
  constexpr uint32_t kEmpty = std::numeric_limits<uint32_t>::max();
  size_t capacity = 1024;
  std::vector<uint32_t> slots(capacity, kEmpty);
  const auto slot_of = [&](uint64_t bits, size_t mask) {
    // Fibonacci hashing spreads stages that differ in their low bits only.
    size_t slot =
        static_cast<size_t>((bits * 0x9E3779B97F4A7C15u) >> 20) & mask;
    while (slots[slot] != kEmpty &&
           std::bit_cast<uint64_t>((*stages)[slots[slot]]) != bits) {
      slot = (slot + 1) & mask;
    }
    return slot;
  };
  stage_of->resize(readings.size());
  for (size_t i = 0; i < readings.size(); ++i) {
    // -0 and 0 are one stage.
    const double stage = readings[i].stage + 0.0;
    const uint64_t bits = std::bit_cast<uint64_t>(stage);
    size_t slot = slot_of(bits, capacity - 1);
    if (slots[slot] == kEmpty) {
      if ((stages->size() + 1) * 2 > capacity) {
        capacity *= 2;
        slots.assign(capacity, kEmpty);
        for (uint32_t k = 0; k < stages->size(); ++k) {
          slots[slot_of(std::bit_cast<uint64_t>((*stages)[k]), capacity - 1)] =
              k;
        }
        slot = slot_of(bits, capacity - 1);
      }
      slots[slot] = static_cast<uint32_t>(stages->size());
      stages->push_back(stage);
    }
    (*stage_of)[i] = slots[slot];
  }
}

// Puts the stages in ascending order and renumbers the readings' indexes.
void SortStages(std::vector<double>* stages, std::vector<uint32_t>* stage_of) {
  std::vector<uint32_t> order(stages->size());
  for (uint32_t k = 0; k < order.size(); ++k) order[k] = k;
  std::sort(order.begin(), order.end(), [stages](uint32_t a, uint32_t b) {
    return (*stages)[a] < (*stages)[b];
  });
  std::vector<uint32_t> rank(order.size());
  std::vector<double> sorted(order.size());
  for (uint32_t r = 0; r < order.size(); ++r) {
    rank[order[r]] = r;
    sorted[r] = (*stages)[order[r]];
  }
  for (uint32_t& index : *stage_of) index = rank[index];
  *stages = std::move(sorted);
}

// The discharges of `levels` (ascending, all within z_min < H <= z_top) as
// rows of a table at those levels.
Status TableDischarges(const Rating& rating, const RatingAnalysis* analysis,
                       std::string_view slope_text, std::vector<double> levels,
                       std::vector<double>* discharges) {
  StageDischargeTable table;
  table.levels = rating.table.levels;
  table.levels.levels = std::move(levels);
  table.geometry = ComputeWettedGeometry(rating.section, table.levels.levels);
  Status computed;
  if (analysis != nullptr) {
    computed = ComputeStageRows(ManningRule(analysis->calibrated_roughness),
                                slope_text, &table);
  } else if (!rating.zones.empty()) {
    const std::vector<PartGeometry> zone_geometry =
        ComputeZoneGeometry(rating.section, rating.zones, table.levels.levels);
    const ZoneRule rule(rating.zones, zone_geometry, table.geometry,
                        rating.zone_method);
    computed = ComputeStageRows(rule, slope_text, &table);
  } else {
    computed =
        ComputeStageRows(ManningRule(rating.roughness), slope_text, &table);
  }
  if (!computed.ok()) return computed.Prefixed("水位过程的流量无法算出：");
  discharges->clear();
  for (const StageRow& row : table.rows) discharges->push_back(row.discharge);
  return Status::Ok();
}

}  // namespace

const char* FlowNoteText(FlowNote note) {
  switch (note) {
    case FlowNote::kNone:
      return "";
    case FlowNote::kDry:
      return "河干";
    case FlowNote::kAboveCrest:
      return "超出断面";
    case FlowNote::kExtension:
      return "外延";
  }
  return "";
}

Status ConvertStageRecord(const Rating& rating, const RatingAnalysis* analysis,
                          std::string_view slope_text,
                          std::span<const StageReading> readings,
                          RecordFlow* flow) {
  *flow = RecordFlow();
  flow->z_min = rating.table.levels.z_min;
  flow->z_top = rating.table.levels.z_top;
  if (analysis != nullptr) {
    flow->calibrated_roughness = analysis->calibrated_roughness;
    flow->highest_gauged_stage = analysis->highest_gauged_stage;
  }
  CollectStages(readings, &flow->stages, &flow->stage_of);
  SortStages(&flow->stages, &flow->stage_of);

  const std::vector<double>& stages = flow->stages;
  const auto wet_begin =
      std::upper_bound(stages.begin(), stages.end(), flow->z_min);
  const auto wet_end = std::upper_bound(wet_begin, stages.end(), flow->z_top);
  std::vector<double> wet_discharges;
  if (wet_begin != wet_end) {
    if (Status s = TableDischarges(rating, analysis, slope_text,
                                   std::vector<double>(wet_begin, wet_end),
                                   &wet_discharges);
        !s.ok()) {
      return s;
    }
  }
  const size_t first_wet = static_cast<size_t>(wet_begin - stages.begin());
  const size_t first_above = static_cast<size_t>(wet_end - stages.begin());
  flow->discharges.assign(stages.size(), kNoDischarge);
  flow->notes.assign(stages.size(), FlowNote::kNone);
  for (size_t k = 0; k < stages.size(); ++k) {
    if (k < first_wet) {
      flow->discharges[k] = 0;
      flow->notes[k] = FlowNote::kDry;
    } else if (k < first_above) {
      flow->discharges[k] = wet_discharges[k - first_wet];
      if (analysis != nullptr && stages[k] > flow->highest_gauged_stage) {
        flow->notes[k] = FlowNote::kExtension;
      }
    } else {
      flow->notes[k] = FlowNote::kAboveCrest;
    }
  }
  for (size_t i = 0; i < readings.size(); ++i) {
    switch (flow->Note(i)) {
      case FlowNote::kDry:
        ++flow->dry_count;
        break;
      case FlowNote::kAboveCrest:
        if (flow->above_crest_count++ == 0) {
          flow->first_above_crest = readings[i].time;
        }
        break;
      case FlowNote::kExtension:
        if (flow->extension_count++ == 0) {
          flow->first_extension = readings[i].time;
        }
        break;
      case FlowNote::kNone:
        break;
    }
  }
  return Status::Ok();
}

std::vector<std::string> FlowWarnings(const RecordFlow& flow) {
  std::vector<std::string> warnings;
  if (flow.above_crest_count > 0) {
    warnings.push_back(
        "有 " + std::to_string(flow.above_crest_count) +
        " 个水位记录高于较低堤顶 " + DecimalForm(flow.z_top) + "（第一个在 " +
        RecordTimeText(flow.first_above_crest) +
        "），水已漫出断面，这些记录没有流量（超出断面），所在各日缺测。");
  }
  if (flow.extension_count > 0) {
    warnings.push_back("有 " + std::to_string(flow.extension_count) +
                       " 个水位记录高于最高实测水位 " +
                       DecimalForm(flow.highest_gauged_stage) + "（第一个在 " +
                       RecordTimeText(flow.first_extension) +
                       "），其流量是关系曲线的外延（外延），请核对。");
  }
  return warnings;
}

}  // namespace xsrating
