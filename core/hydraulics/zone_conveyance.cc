// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/hydraulics/zone_conveyance.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace xsrating {
namespace {

constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();

}  // namespace

std::vector<PartGeometry> ComputeZoneGeometry(
    const CrossSection& section, std::span<const AppliedZone> zones,
    const std::vector<double>& levels, WettedGeometry* total) {
  if (total != nullptr) *total = WettedGeometry(levels.size());
  std::vector<PartGeometry> geometry(zones.size(), PartGeometry(levels.size()));
  const std::vector<SectionPoint>& points = section.points;
  if (zones.empty()) {
    for (size_t i = 0; i + 1 < points.size(); ++i) {
      AddSegmentGeometry(points[i], points[i + 1], levels, total, nullptr);
    }
    return geometry;
  }
  // Pieces come in order of distance, so the zone of each, and the next
  // breakpoint, are found by walking on from the last. A piece belongs to the
  // zone whose range holds its midpoint; a vertical piece at a breakpoint to
  // the zone that starts there.
  size_t zone = 0;
  auto zone_of = [&](const SectionPoint& from, const SectionPoint& to) {
    const double middle = (from.distance + to.distance) / 2;
    while (zone + 1 < zones.size() && zones[zone + 1].from <= middle) ++zone;
    return &geometry[zone];
  };
  // Only breakpoints strictly inside a segment cut it; the first zone's start
  // is the section's own first point.
  size_t next_break = 1;
  for (size_t i = 0; i + 1 < points.size(); ++i) {
    const SectionPoint& a = points[i];
    const SectionPoint& b = points[i + 1];
    while (next_break < zones.size() && zones[next_break].from <= a.distance) {
      ++next_break;
    }
    if (next_break == zones.size() || zones[next_break].from >= b.distance) {
      // Most segments lie within one zone: one pass adds them to both.
      AddSegmentGeometry(a, b, levels, total, zone_of(a, b));
      continue;
    }
    // The section's sums take the whole segment, the zones' its pieces.
    if (total != nullptr) AddSegmentGeometry(a, b, levels, total, nullptr);
    SectionPoint start = a;
    for (; next_break < zones.size() && zones[next_break].from < b.distance;
         ++next_break) {
      const double x = zones[next_break].from;
      const SectionPoint cut{
          x, a.elevation + (b.elevation - a.elevation) *
                               ((x - a.distance) / (b.distance - a.distance))};
      AddSegmentGeometry(start, cut, levels, nullptr, zone_of(start, cut));
      start = cut;
    }
    AddSegmentGeometry(start, b, levels, nullptr, zone_of(start, b));
  }
  return geometry;
}

ZoneRule::ZoneRule(std::span<const AppliedZone> zones,
                   const std::vector<PartGeometry>& zone_geometry,
                   const WettedGeometry& total, ZoneMethod method)
    : method_(method) {
  const double exponent = 2.0 / 3.0;
  // The composite roughness is worked out only for the method that uses it:
  // its power per stage is a good part of the work of a few zones.
  const bool composite = method_ == ZoneMethod::kComposite;
  std::vector<double> weight;  // n_k^(3/2), for the composite roughness.
  if (composite) {
    for (const AppliedZone& zone : zones) {
      weight.push_back(std::pow(zone.roughness, 1.5));
    }
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
      if (composite) {
        wet_perimeter += perimeter;
        weighted_perimeter += perimeter * weight[k];
      }
      if (area > 0) {
        has_area = true;
        energy += conveyance * conveyance * conveyance / (area * area);
      }
    }
    flow.composite_roughness =
        wet_perimeter > 0
            ? std::pow(weighted_perimeter / wet_perimeter, exponent)
            : kNoValue;  // Also for 分区, where wet_perimeter stays 0.
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
