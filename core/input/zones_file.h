// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CORE_INPUT_ZONES_FILE_H_
#define XSRATING_CORE_INPUT_ZONES_FILE_H_

// The zones file: roughness zones of a section as the station keeps them,
// one zone a line (its breakpoint distance, then its Manning's n), and the
// check every set of zones passes, whatever it came from.

#include <cstddef>
#include <istream>
#include <span>
#include <string>
#include <vector>

#include "core/base/status.h"
#include "core/base/types.h"

namespace xsrating {

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

// How messages name a zone: by the line of its file ("第 3 行"), or by its
// place among `zones` when it has no line ("第 3 个分区"); `index` counts from
// 0.
std::string ZonePlace(const RoughnessZone& zone, size_t index);

}  // namespace xsrating

#endif  // XSRATING_CORE_INPUT_ZONES_FILE_H_
