// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/hydraulics/hydraulic_table.h"

namespace xsrating {

std::vector<HydraulicRow> HydraulicRows(const StageDischargeTable& table) {
  std::vector<HydraulicRow> rows;
  rows.reserve(table.rows.size());
  for (size_t j = 0; j < table.rows.size(); ++j) {
    const StageRow& row = table.rows[j];
    HydraulicRow out;
    out.stage = row.stage;
    out.area = row.area;
    out.perimeter = table.geometry.perimeter[j];
    // The same division the discharge was computed from.
    out.hydraulic_radius = row.area / out.perimeter;
    out.top_width = table.geometry.top_width[j];
    // A sliver of water can round to no area at all.
    out.mean_velocity = row.area > 0 ? row.discharge / row.area : 0;
    out.discharge = row.discharge;
    rows.push_back(out);
  }
  return rows;
}

}  // namespace xsrating
