// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CORE_HYDRAULICS_HYDRAULIC_TABLE_H_
#define XSRATING_CORE_HYDRAULICS_HYDRAULIC_TABLE_H_

// The full hydraulic table of a section, for plots and spreadsheets: beside
// each stage's area and discharge (the same values as the result file), the
// wetted perimeter, hydraulic radius, top width and mean velocity.

#include <vector>

#include "core/base/types.h"
#include "core/hydraulics/stage_discharge.h"

namespace xsrating {

struct HydraulicRow {
  double stage = 0;             // Water level.
  double area = 0;              // Rounded to 0.01, as in the result file.
  double perimeter = 0;         // Wetted perimeter, over every wet part.
  double hydraulic_radius = 0;  // area / perimeter, from the rounded area.
  double top_width = 0;         // Width of the water surface, every wet part.
  double mean_velocity = 0;     // discharge / area; 0 when the area is 0.
  double discharge = 0;         // Rounded to 0.01, as in the result file.
  // The one Manning's n that gives the section's flow (n_eq): the typed
  // roughness when it holds for the whole section; with roughness zones see
  // core/hydraulics/zone_conveyance.h. NaN when there is no flow to speak of.
  double equivalent_roughness = 0;
  // The kinetic-energy coefficient alpha: 1 with one roughness; with zones
  // see core/hydraulics/zone_conveyance.h. NaN when there is no flow.
  double energy_coefficient = 1;
};

// One row per row of `table`, from its geometry and rows; the equivalent
// roughness and the energy coefficient are left for the caller.
std::vector<HydraulicRow> HydraulicRows(const StageDischargeTable& table);

}  // namespace xsrating

#endif  // XSRATING_CORE_HYDRAULICS_HYDRAULIC_TABLE_H_
