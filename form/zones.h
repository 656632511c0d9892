// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_FORM_ZONES_H_
#define XSRATING_FORM_ZONES_H_

// The roughness zones as a window shows and edits them: a table of texts, one
// zone a row, and what the roughness box says while zones replace it.

#include <span>
#include <string>
#include <vector>

#include "core/base/status.h"
#include "core/base/types.h"
#include "core/input/zones_file.h"

namespace xsrating {

// One row of the zones table: the breakpoint distance and the roughness as
// typed. UTF-8.
struct ZoneRowTexts {
  std::string from;
  std::string roughness;
  friend bool operator==(const ZoneRowTexts&, const ZoneRowTexts&) = default;
};

// The rows that show `zones`: each number as the result file writes it,
// without its spaces, with the regional decimal separator.
std::vector<ZoneRowTexts> ZoneRows(std::span<const RoughnessZone> zones);

// The zones of the rows, with the regional decimal separator; a row whose
// two texts are blank is skipped, and a zone's line is its row, from 1. No
// rows but blank ones give no zones (one roughness for the section). Fails,
// naming the row ("第 2 行的糙率不是数字。"), when a text is not a number, and
// as CheckRoughnessZones does.
Status ZonesFromRows(std::span<const ZoneRowTexts> rows,
                     std::vector<RoughnessZone>* zones);

// What the roughness box shows while zones replace it: "分区 3 段".
std::string ZonesBoxText(std::span<const RoughnessZone> zones);

}  // namespace xsrating

#endif  // XSRATING_FORM_ZONES_H_
