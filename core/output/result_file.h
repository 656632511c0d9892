// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CORE_OUTPUT_RESULT_FILE_H_
#define XSRATING_CORE_OUTPUT_RESULT_FILE_H_

// The result file: a GBK text with CR LF after every line, laid out in print
// zones 14 columns wide. A Chinese character takes two columns (its two GBK
// bytes), so columns line up in a fixed-width font.

#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/date_time.h"
#include "core/base/types.h"
#include "core/hydraulics/rating.h"
#include "core/hydraulics/roughness_zones.h"
#include "core/input/cross_section.h"

namespace xsrating {

// Width of a print column, in characters.
inline constexpr int kPrintColumnWidth = 14;
// Appended to the survey file's name, less its extension.
inline constexpr char kResultSuffix[] = "成果.txt";

// True when `path` ends in ".txt" in any letter case.
bool HasTxtExtension(std::string_view path);

// `data_file_path` without its last four characters, followed by "成果.txt":
// D:\data\sec1.txt gives D:\data\sec1成果.txt. Characters, not bytes: a UTF-8
// sequence is never split. A path of four characters or fewer gives the
// suffix alone.
std::string ResultFilePath(std::string_view data_file_path);

// One line being laid out, in GBK bytes.
class PrintLine {
 public:
  // Appends a UTF-8 text, converted to GBK.
  PrintLine& Text(std::string_view utf8);
  // Appends FormatNumber(value) (core/base/number_text.h).
  PrintLine& Number(double value);
  // Moves to the first column of the next zone, writing spaces. At the first
  // column of a zone already, it moves on to the following zone.
  PrintLine& NextPrintColumn();
  // The line's bytes, without its line end.
  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

// What the header of a result file records.
struct ResultHeader {
  LocalDateTime run_time;
  std::string data_file_path;  // UTF-8; written in GBK, '?' where it cannot.
  int point_count = 0;
  double roughness = 0;
  std::string slope_text;  // Written as typed.
  // With two or more zones line 4 names the method and the zones instead of
  // the roughness: "糙率=分区 0~10:.05;10~20:.025".
  std::vector<AppliedZone> zones;
  ZoneMethod zone_method = ZoneMethod::kSubsection;
};

// The header of the run of `params` over a survey of `point_count` points,
// taken at `run_time`.
ResultHeader MakeResultHeader(const RunParameters& params, int point_count,
                              const LocalDateTime& run_time);

// Writes lines 1 to 6: run time, survey file, point count, roughness and
// slope, an empty line, and the column heads.
void WriteResultHeader(std::ostream& out, const ResultHeader& header);
// Writes one table row: stage, area and discharge in zones 1 to 3.
void WriteResultRow(std::ostream& out, const StageRow& row);
// The whole file: the header, then every row in order.
void WriteResultFile(std::ostream& out, const ResultHeader& header,
                     std::span<const StageRow> rows);

// The zones as the result file names them: "from~to:n" items joined by ';',
// each number as the file writes it without its sign space, so
// "0~10:.05;10~20:.025".
std::string DescribeZones(std::span<const AppliedZone> zones);

// The result file of `rating`, run with `params` at `run_time`: the header
// (MakeResultHeader, with the rating's roughness or zones) and every row of
// rating.table, as WriteResultFile writes them.
std::string ResultFileBytes(const Rating& rating, const RunParameters& params,
                            const LocalDateTime& run_time);

}  // namespace xsrating

#endif  // XSRATING_CORE_OUTPUT_RESULT_FILE_H_
