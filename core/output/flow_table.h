// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CORE_OUTPUT_FLOW_TABLE_H_
#define XSRATING_CORE_OUTPUT_FLOW_TABLE_H_

// The flow table (流量表): a stage record's discharges, daily means and
// yearbook tables as a spreadsheet file beside the record.

#include <span>
#include <string>
#include <string_view>

#include "core/base/date_time.h"
#include "core/flow/yearbook.h"
#include "core/hydraulics/rating.h"
#include "core/input/stage_record.h"

namespace xsrating {

// The first line of every flow table, and the start of its second, by which
// an earlier one of ours is told.
inline constexpr char kFlowTableHeader[] = "项目,数值";
inline constexpr char kFlowTableFirstItem[] = "水位过程文件,";

// What the table says about its run. Texts are UTF-8.
struct FlowTableRun {
  std::string stage_record_path;
  std::string data_file_path;  // The survey.
  std::string slope_text;      // As typed.
  LocalDateTime run_time;
};

// The table beside the stage record: its name without the extension, then
// "流量.csv": D:\data\2024.txt gives D:\data\2024流量.csv.
std::string FlowTablePath(std::string_view stage_record_path);

// The flow table of `readings`, converted by `rating` (with the check
// against gaugings `analysis`, or null) into `result`, as UTF-8 with a
// byte-order mark and CR LF after every line. Blocks, one empty line apart:
//  - 项目,数值: the files, the roughness (as the result file's fourth line
//    names it, or 率定糙率 n_c), the slope, the run's time, the counts, the
//    first and last times, the largest and smallest discharge and when, the
//    mean of the daily means and the volume in 10⁴ m³ (万m³);
//  - 时间,水位,流量,说明: one row a reading, the discharge empty where
//    there is none;
//  - 日期,日平均流量,说明: one row a date, 缺测 where there is no mean;
//  - per year, 逐日平均流量表: 31 rows of daily means by month, then the
//    months' 平均, 最大 and 日期, 最小 and 日期, and the year's figures, in
//    YearbookNumber's form.
// Numbers outside the yearbook tables are written as CsvNumber writes them;
// texts that hold a comma, a quote or a line end are quoted.
std::string FlowTableCsv(const FlowTableRun& run, const Rating& rating,
                         std::span<const StageReading> readings,
                         const StageRecordFlow& result);

}  // namespace xsrating

#endif  // XSRATING_CORE_OUTPUT_FLOW_TABLE_H_
