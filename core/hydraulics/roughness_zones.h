// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CORE_HYDRAULICS_ROUGHNESS_ZONES_H_
#define XSRATING_CORE_HYDRAULICS_ROUGHNESS_ZONES_H_

// Roughness that varies across a section: zones of the bed, each from a
// breakpoint distance to the next, with its own Manning's n (grass on the
// floodplains, gravel in the channel). Here "zone" is a roughness zone, not a
// print column of the result file.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/status.h"
#include "core/base/types.h"

namespace xsrating {

// The words of the two methods, as the result file and the command line
// write them.
inline constexpr char kSubsectionMethodName[] = "分区";
inline constexpr char kCompositeMethodName[] = "综合";

const char* ZoneMethodName(ZoneMethod method);
// The method named `name` exactly ("分区" or "综合"); nullopt for any other.
std::optional<ZoneMethod> ZoneMethodFromName(std::string_view name);

// A zone as it lies on a section: clipped to the survey's distances.
struct AppliedZone {
  double from = 0;
  double to = 0;
  double roughness = 0;
  friend bool operator==(const AppliedZone&, const AppliedZone&) = default;
};

// Fails when the first zone starts beyond the section's first point, which
// would leave the bed before it without a roughness; the message names both
// distances and the zone's line. Ok for a section without points.
Status CheckZonesReachSection(std::span<const RoughnessZone> zones,
                              const CrossSection& section);

// The zones that lie on `section`, in order: from the zone that holds the
// first survey distance up to the last zone that starts before the last
// survey distance (a zone that starts at or beyond it has no bed to cover).
// The first starts at the first survey distance, the last ends at the last,
// and each other ends where the next starts. Needs zones that
// CheckRoughnessZones and CheckZonesReachSection accept and a section with at
// least one point; gives at least one zone then.
std::vector<AppliedZone> ApplyZones(std::span<const RoughnessZone> zones,
                                    const CrossSection& section);

}  // namespace xsrating

#endif  // XSRATING_CORE_HYDRAULICS_ROUGHNESS_ZONES_H_
