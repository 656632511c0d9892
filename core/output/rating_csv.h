// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CORE_OUTPUT_RATING_CSV_H_
#define XSRATING_CORE_OUTPUT_RATING_CSV_H_

// The hydraulic table as a spreadsheet file, and the names of the files that
// go beside a survey's result file. Free of Qt, so the command line can write
// the table without a display.

#include <span>
#include <string>
#include <string_view>

#include "core/hydraulics/hydraulic_table.h"

namespace xsrating {

// The header row: stage, area, wetted perimeter, hydraulic radius, top width,
// mean velocity, discharge.
inline constexpr char kRatingCsvHeader[] =
    "水位,面积,湿周,水力半径,水面宽,平均流速,流量";
// The columns a table of roughness zones adds after those: the equivalent
// roughness and the kinetic-energy coefficient.
inline constexpr char kZoneCsvColumns[] = ",综合糙率,动能修正系数";

// A number as the table file writes it: rounded to 15 significant digits (the
// digits a spreadsheet keeps, and those of the result file), without trailing
// zeros, with a zero before the decimal point ("0.025"), '.' as the decimal
// separator whatever the locale, and a minus sign when negative. Magnitudes
// below 1e-4 or from 1e15 take the exponent form "1e-05", "1.5e+16". Zero,
// negative zero included, is "0". So 8.47 is "8.47", 100 is "100" and
// 10 + 2 * sqrt(5) is "14.4721359549996".
std::string CsvNumber(double value);

// A text as one CSV cell: as it is, or in double quotes with its quotes
// doubled when it holds a comma, a quote or a line end that a spreadsheet
// would otherwise split it at.
std::string CsvText(std::string_view text);

// The table as UTF-8 with a byte-order mark, so that a spreadsheet on a
// Chinese Windows system opens it in the right encoding; the header row, then
// one row per HydraulicRow, in order, each value as CsvNumber writes it; every
// line, the last included, ends in CR LF. With `zone_columns` each row ends
// in its equivalent roughness and energy coefficient (kZoneCsvColumns); a
// value that is NaN (no flow) is an empty cell.
std::string RatingTableCsv(std::span<const HydraulicRow> rows,
                           bool zone_columns = false);

// The file beside a survey's result file with `extension` (".csv", ".svg",
// ".png") in place of the result file's ".txt": D:\data\sec1.txt gives
// D:\data\sec1成果.csv. The same rule as ResultFilePath, so every file of a
// survey carries the same name.
std::string RatingFilePath(std::string_view data_file_path,
                           std::string_view extension);

}  // namespace xsrating

#endif  // XSRATING_CORE_OUTPUT_RATING_CSV_H_
