// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CORE_ROUGHNESS_ZONES_H_
#define XSRATING_CORE_ROUGHNESS_ZONES_H_

// Roughness that varies across a section: zones of the bed, each from a
// breakpoint distance to the next, with its own Manning's n (grass on the
// floodplains, gravel in the channel). Here "zone" is a roughness zone, not a
// print zone of the result file.

#include <istream>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/status.h"
#include "core/types.h"

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

// A zones file holds at most this many zones.
inline constexpr int kMaxZones = 1000;

// Reads a zones file: GBK or UTF-8 text, with or without a UTF-8 byte-order
// mark, lines ended by LF, CR LF or a lone CR. Each line that is not blank
// holds a zone: its breakpoint distance, then its roughness, separated by a
// comma, spaces or tabs; whatever follows on the line (a note such as "主槽")
// is ignored. The first line that is neither blank nor a comment is a header
// and is skipped when its first field holds no digit. A line whose first
// character other than blanks is '#' is a comment.
//
// On success *zones holds the zones in file order, at least one, each with
// its line. Fails, with a message that begins with the line ("第 5 行…")
// when there is one, when a field is not a number or is missing, a roughness
// is not above 0, a distance is not greater than the one before, a zone
// beyond kMaxZones is started, the file holds no zone, or it is UTF-16.
// Whether the zones reach the survey's first point is for the run to check
// (CheckZonesReachSection).
Status ParseRoughnessZones(std::istream& in, std::vector<RoughnessZone>* zones);

// Opens the zones file at `path` (UTF-8) and parses it. Fails also when the
// path is empty, the file does not exist, is a folder, a pipe or a device, or
// cannot be read; the message names the file.
Status ReadRoughnessZones(const std::string& path,
                          std::vector<RoughnessZone>* zones);

// Checks zones as a run takes them, whatever they came from: at least one,
// each distance finite and greater than the one before, each roughness finite
// and above 0. A failure names the zone by its line when it has one
// ("第 3 行…"), else by its place ("第 3 个分区…").
Status CheckRoughnessZones(std::span<const RoughnessZone> zones);

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

// The zones as the result file names them: "from~to:n" items joined by ';',
// each number as the file writes it without its sign space, so
// "0~10:.05;10~20:.025".
std::string DescribeZones(std::span<const AppliedZone> zones);

// A zones file that ParseRoughnessZones reads back as `zones`: the header
// line "起点距,糙率", then one "distance,n" line per zone, each number in the
// fewest digits that read back as the same double ("0.025", "1e-05"), every
// line ending in CR LF. UTF-8 without a byte-order mark; its texts are ASCII
// but for the header.
std::string RoughnessZonesText(std::span<const RoughnessZone> zones);

}  // namespace xsrating

#endif  // XSRATING_CORE_ROUGHNESS_ZONES_H_
