// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/hydraulics/zone_conveyance.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace xsrating {
namespace {

constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();

}  // namespace

std::vector<WettedGeometry> ComputeZoneGeometry(
    const CrossSection& section, std::span<const AppliedZone> zones,
    const std::vector<double>& levels) {
  std::vector<WettedGeometry> geometry(zones.size(),
                                       WettedGeometry(levels.size()));
  std::vector<double> starts;
  for (const AppliedZone& zone : zones) starts.push_back(zone.from);
  // The zone whose range holds `x`; a vertical piece at a breakpoint belongs
  // to the zone that starts there.
  auto zone_of = [&starts](double x) {
    const auto after = std::upper_bound(starts.begin(), starts.end(), x);
    return after == starts.begin()
               ? size_t{0}
               : static_cast<size_t>(after - starts.begin()) - 1;
  };
  auto add_piece = [&](const SectionPoint& from, const SectionPoint& to) {
    WettedGeometry& zone = geometry[zone_of((from.distance + to.distance) / 2)];
    AddSegmentGeometry(from, to, levels, zone.area.data(),
                       zone.perimeter.data(), zone.top_width.data());
  };

  const std::vector<SectionPoint>& points = section.points;
  for (size_t i = 0; i + 1 < points.size(); ++i) {
    const SectionPoint& a = points[i];
    const SectionPoint& b = points[i + 1];
    SectionPoint start = a;
    // Only breakpoints strictly inside the segment cut it; the first zone's
    // start is the section's own first point.
    for (size_t k = zone_of(a.distance) + 1; k < starts.size(); ++k) {
      const double x = starts[k];
      if (x <= a.distance) continue;
      if (x >= b.distance) break;
      const SectionPoint cut{
          x, a.elevation + (b.elevation - a.elevation) *
                               ((x - a.distance) / (b.distance - a.distance))};
      add_piece(start, cut);
      start = cut;
    }
    add_piece(start, b);
  }
  return geometry;
}

ZoneRule::ZoneRule(std::span<const AppliedZone> zones,
                   const std::vector<WettedGeometry>& zone_geometry,
                   const WettedGeometry& total, ZoneMethod method)
    : method_(method) {
  const double exponent = 2.0 / 3.0;
  std::vector<double> weight;  // n_k^(3/2), for the composite roughness.
  for (const AppliedZone& zone : zones) {
    weight.push_back(std::pow(zone.roughness, 1.5));
  }
  flows_.resize(total.area.size());
  for (size_t index = 0; index < flows_.size(); ++index) {
    ZoneFlow& flow = flows_[index];
    double wet_perimeter = 0;
    double weighted_perimeter = 0;
    double energy = 0;  // sum K_k^3 / A_k^2 over zones with area.
    bool has_area = false;
    for (size_t k = 0; k < zones.size(); ++k) {
      const double area = zone_geometry[k].area[index];
      const double perimeter = zone_geometry[k].perimeter[index];
      if (!(perimeter > 0)) continue;
      const double conveyance =
          area * std::pow(area / perimeter, exponent) / zones[k].roughness;
      flow.conveyance += conveyance;
      wet_perimeter += perimeter;
      weighted_perimeter += perimeter * weight[k];
      if (area > 0) {
        has_area = true;
        energy += conveyance * conveyance * conveyance / (area * area);
      }
    }
    flow.composite_roughness =
        wet_perimeter > 0
            ? std::pow(weighted_perimeter / wet_perimeter, exponent)
            : kNoValue;
    const double area = total.area[index];
    const double perimeter = total.perimeter[index];
    const bool flows = has_area && flow.conveyance > 0;
    if (method_ == ZoneMethod::kComposite) {
      flow.equivalent_roughness = flow.composite_roughness;
    } else {
      flow.equivalent_roughness =
          flows ? area * std::pow(area / perimeter, exponent) / flow.conveyance
                : kNoValue;
    }
    flow.energy_coefficient =
        flows ? energy * (area * area) /
                    (flow.conveyance * flow.conveyance * flow.conveyance)
              : kNoValue;
  }
}

double ZoneRule::Discharge(size_t index, double area, double perimeter,
                           double slope) const {
  const ZoneFlow& flow = FlowAt(index);
  if (method_ == ZoneMethod::kComposite) {
    return RowDischarge(area, perimeter, flow.composite_roughness, slope);
  }
  return RoundToHundredth(std::pow(slope, 0.5) * flow.conveyance);
}

}  // namespace xsrating
