// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CORE_OUTPUT_ZONES_FILE_TEXT_H_
#define XSRATING_CORE_OUTPUT_ZONES_FILE_TEXT_H_

// A zones file as the program writes it, for the window's zones dialog.

#include <span>
#include <string>
#include <string_view>

#include "core/base/types.h"

namespace xsrating {

// The first line of every zones file the program writes.
inline constexpr std::string_view kZonesFileHeader = "起点距,糙率\r\n";

// A zones file that ParseRoughnessZones reads back as `zones`: the header
// line "起点距,糙率", then one "distance,n" line per zone, each number in the
// fewest digits that read back as the same double ("0.025", "1e-05"), every
// line ending in CR LF. UTF-8 without a byte-order mark; its texts are ASCII
// but for the header.
std::string RoughnessZonesText(std::span<const RoughnessZone> zones);

}  // namespace xsrating

#endif  // XSRATING_CORE_OUTPUT_ZONES_FILE_TEXT_H_
