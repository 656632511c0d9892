// SPDX-License-Identifier: GPL-3.0-or-later
#include "form/zones.h"

#include <optional>

#include "core/base/number_text.h"
#include "core/input/zones_file.h"
#include "core/output/own_files.h"
#include "core/output/zones_file_text.h"
#include "form/inputs.h"

namespace xsrating {
std::vector<ZoneRowTexts> ZoneRows(std::span<const RoughnessZone> zones) {
  std::vector<ZoneRowTexts> rows;
  for (const RoughnessZone& zone : zones) {
    rows.push_back({FormatNumberForMessage(zone.from),
                    FormatNumberForMessage(zone.roughness)});
  }
  return rows;
}

Status ZonesFromRows(std::span<const ZoneRowTexts> rows,
                     std::vector<RoughnessZone>* zones) {
  zones->clear();
  for (size_t i = 0; i < rows.size(); ++i) {
    const ZoneRowTexts& row = rows[i];
    if (IsBlankEntry(row.from) && IsBlankEntry(row.roughness)) continue;
    const std::string at = "第 " + std::to_string(i + 1) + " 行";
    const std::optional<double> from = TextToNumber(row.from);
    if (!from) return Status::Error(at + "的分区起点距不是数字。");
    const std::optional<double> roughness = TextToNumber(row.roughness);
    if (!roughness) return Status::Error(at + "的糙率不是数字。");
    zones->push_back({*from, *roughness, static_cast<int64_t>(i + 1)});
  }
  if (zones->empty()) return Status::Ok();
  return CheckRoughnessZones(*zones);
}

std::string ZonesBoxText(std::span<const RoughnessZone> zones) {
  return "分区 " + std::to_string(zones.size()) + " 段";
}

Status LoadZoneRows(const std::string& path, std::vector<ZoneRowTexts>* rows) {
  std::vector<RoughnessZone> zones;
  if (Status read = ReadRoughnessZones(path, &zones); !read.ok()) return read;
  *rows = ZoneRows(zones);
  return Status::Ok();
}

Status SaveZoneRows(std::span<const ZoneRowTexts> rows,
                    const std::string& path) {
  std::vector<RoughnessZone> zones;
  Status status = ZonesFromRows(rows, &zones);
  if (status.ok() && zones.empty()) {
    status = Status::Error("表中没有分区，没有可保存的分区糙率。");
  }
  if (status.ok()) {
    status = SaveOwnFile(OwnFile::kZones, path, RoughnessZonesText(zones));
  }
  return status;
}

}  // namespace xsrating
