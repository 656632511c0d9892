// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/output/zones_file_text.h"

#include <charconv>
#include <string>
#include <string_view>

namespace xsrating {
std::string RoughnessZonesText(std::span<const RoughnessZone> zones) {
  // The shortest digits that read back as the same double: 0.1 stays "0.1",
  // and two distances a hair apart stay apart.
  const auto shortest = [](double value) {
    char buffer[32];
    const std::to_chars_result written =
        std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, written.ptr);
  };
  std::string text(kZonesFileHeader);
  for (const RoughnessZone& zone : zones) {
    text += shortest(zone.from) + "," + shortest(zone.roughness) + "\r\n";
  }
  return text;
}

}  // namespace xsrating
