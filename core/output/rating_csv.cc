// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/output/rating_csv.h"

#include <charconv>
#include <cmath>
#include <system_error>

#include "core/output/result_file.h"

namespace xsrating {

std::string CsvText(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
    return std::string(text);
  }
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

std::string CsvNumber(double value) {
  if (value == 0) return "0";
  // The general form of printf's %.15g: plain digits in the ordinary range,
  // the exponent form outside it, trailing zeros dropped. to_chars never looks
  // at the locale.
  char buffer[32];
  const std::to_chars_result written = std::to_chars(
      buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  if (written.ec != std::errc()) return "0";  // Cannot happen: 32 is ample.
  return std::string(buffer, written.ptr);
}

std::string RatingTableCsv(std::span<const HydraulicRow> rows,
                           bool zone_columns) {
  constexpr char kLineEnd[] = "\r\n";
  std::string csv = "\xEF\xBB\xBF";
  csv += kRatingCsvHeader;
  if (zone_columns) csv += kZoneCsvColumns;
  csv += kLineEnd;
  for (const HydraulicRow& row : rows) {
    const double values[] = {
        row.stage,     row.area,          row.perimeter, row.hydraulic_radius,
        row.top_width, row.mean_velocity, row.discharge};
    bool first = true;
    for (double value : values) {
      if (!first) csv += ',';
      first = false;
      csv += CsvNumber(value);
    }
    if (zone_columns) {
      for (double value : {row.equivalent_roughness, row.energy_coefficient}) {
        csv += ',';
        if (!std::isnan(value)) csv += CsvNumber(value);
      }
    }
    csv += kLineEnd;
  }
  return csv;
}

std::string RatingFilePath(std::string_view data_file_path,
                           std::string_view extension) {
  std::string path = ResultFilePath(data_file_path);
  constexpr std::string_view kTxt = ".txt";
  // The result path always ends in the suffix's ".txt".
  path.resize(path.size() - kTxt.size());
  path += extension;
  return path;
}

}  // namespace xsrating
