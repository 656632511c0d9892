// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CORE_HYDRAULICS_ZONE_CONVEYANCE_H_
#define XSRATING_CORE_HYDRAULICS_ZONE_CONVEYANCE_H_

// The discharge of a section whose roughness varies across it, by either of
// the two methods of hydraulic practice:
//  - subsection conveyance (分区): each zone's conveyance
//    K_k = A_k (A_k / P_k)^(2/3) / n_k, added up, Q = S^(1/2) sum K_k;
//  - composite roughness (综合): one roughness for the whole wetted perimeter,
//    n_e = (sum P_k n_k^(3/2) / sum P_k)^(2/3), in the table's own formula.
// A_k and P_k are the wetted area and perimeter of zone k: each segment of
// the section is cut at every breakpoint strictly between its ends (the bed
// there on the straight line), and a piece belongs to the zone whose range
// [from, to) holds its midpoint. The lines between zones are no wetted
// perimeter.

#include <cstddef>
#include <span>
#include <vector>

#include "core/base/status.h"
#include "core/base/types.h"
#include "core/hydraulics/roughness_zones.h"
#include "core/hydraulics/stage_discharge.h"

namespace xsrating {

// The wetted area and perimeter of each zone (index k) at each of `levels`:
// the sums over the zone's pieces, unrounded, each piece by
// AddSegmentGeometry. When `total` is not null it is given the section's own
// geometry in the same pass over the segments, the same values as
// ComputeWettedGeometry; with no zones that is all there is to do, and the
// result is empty. Needs zones that ApplyZones gave for `section`.
std::vector<PartGeometry> ComputeZoneGeometry(
    const CrossSection& section, std::span<const AppliedZone> zones,
    const std::vector<double>& levels, WettedGeometry* total = nullptr);

// The flow figures of one stage.
struct ZoneFlow {
  // sum K_k over the zones with P_k > 0.
  double conveyance = 0;
  // n_e, over the zones with P_k > 0; NaN when no zone is wet, and with the
  // method 分区, which does not use it.
  double composite_roughness = 0;
  // The one roughness that gives the section's flow: for 分区
  // A R^(2/3) / sum K_k, with the unrounded total area A and R = A / P; for
  // 综合 n_e. NaN when there is no flow (no zone has area).
  double equivalent_roughness = 0;
  // The kinetic-energy coefficient alpha = (sum K_k^3 / A_k^2) A^2 /
  // (sum K_k)^3 over the zones with A_k > 0; NaN when there is none.
  double energy_coefficient = 0;
};

// The discharge rule of a zoned section, with the flow figures of every
// stage worked out once.
class ZoneRule : public DischargeRule {
 public:
  // `zone_geometry` from ComputeZoneGeometry over `zones`, and `total` the
  // section's own geometry (ComputeWettedGeometry) at the same levels.
  ZoneRule(std::span<const AppliedZone> zones,
           const std::vector<PartGeometry>& zone_geometry,
           const WettedGeometry& total, ZoneMethod method);

  // Always Ok: RateSection checks the zones (CheckRoughnessZones,
  // CheckZonesReachSection) before it makes the rule, wherever they came
  // from.
  Status Check() const override { return Status::Ok(); }
  // 分区: S^(1/2) sum K_k, rounded half up to 0.01. 综合: RowDischarge with
  // n_e in place of the typed roughness.
  double Discharge(size_t index, double area, double perimeter,
                   double slope) const override;

  // The flow figures of the stage at `index`.
  const ZoneFlow& FlowAt(size_t index) const { return flows_[index]; }

 private:
  ZoneMethod method_;
  std::vector<ZoneFlow> flows_;  // One per stage.
};

}  // namespace xsrating

#endif  // XSRATING_CORE_HYDRAULICS_ZONE_CONVEYANCE_H_
