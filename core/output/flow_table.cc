// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/output/flow_table.h"

#include <cmath>
#include <optional>
#include <vector>

#include "core/hydraulics/roughness_zones.h"
#include "core/output/rating_csv.h"
#include "core/output/result_file.h"

namespace xsrating {
namespace {

constexpr char kLineEnd[] = "\r\n";

void AddRow(std::string* csv, std::string_view name, std::string_view value) {
  *csv += name;
  *csv += ',';
  *csv += value;
  *csv += kLineEnd;
}

std::string NumberCell(const std::optional<double>& value) {
  return value ? CsvNumber(*value) : std::string();
}

std::string RoughnessCell(const Rating& rating) {
  if (rating.zones.size() >= 2) {
    return CsvText(std::string(ZoneMethodName(rating.zone_method)) + " " +
                   DescribeZones(rating.zones));
  }
  return CsvNumber(rating.roughness);
}

void AddSummaryBlock(const FlowTableRun& run, const Rating& rating,
                     const StageRecordFlow& result, std::string* csv) {
  const RecordFlow& flow = result.flow;
  const FlowSummary& summary = result.summary;
  *csv += kFlowTableHeader;
  *csv += kLineEnd;
  AddRow(csv, "水位过程文件", CsvText(run.stage_record_path));
  AddRow(csv, "地形文件", CsvText(run.data_file_path));
  if (flow.calibrated_roughness) {
    AddRow(csv, "率定糙率", CsvNumber(*flow.calibrated_roughness));
  } else {
    AddRow(csv, "糙率", RoughnessCell(rating));
  }
  AddRow(csv, "比降", CsvText(run.slope_text));
  AddRow(csv, "计算时间",
         FormatShortDate(run.run_time) + " " + FormatLongTime(run.run_time));
  AddRow(csv, "记录数", std::to_string(summary.readings));
  AddRow(csv, "起始时间", RecordTimeText(summary.first));
  AddRow(csv, "终止时间", RecordTimeText(summary.last));
  AddRow(csv, "河干记录数", std::to_string(flow.dry_count));
  AddRow(csv, "超出断面记录数", std::to_string(flow.above_crest_count));
  if (flow.calibrated_roughness) {
    AddRow(csv, "外延记录数", std::to_string(flow.extension_count));
  }
  AddRow(csv, "有效日数", std::to_string(summary.days_with_mean));
  AddRow(csv, "缺测日数", std::to_string(summary.days_missing));
  for (const auto& [name, extreme] :
       {std::pair{"最大流量", &summary.largest},
        std::pair{"最小流量", &summary.smallest}}) {
    AddRow(csv, name, *extreme ? CsvNumber((*extreme)->discharge) : "");
    AddRow(csv, std::string(name) + "时间",
           *extreme ? RecordTimeText((*extreme)->time) : "");
  }
  AddRow(csv, "平均流量", NumberCell(summary.mean));
  AddRow(csv, "径流量(万m³)",
         NumberCell(summary.volume ? std::optional(*summary.volume / 1e4)
                                   : std::nullopt));
}

// One row a reading: the stages and discharges repeat, so each distinct
// stage's cells are written once and copied.
void AddReadingsBlock(std::span<const StageReading> readings,
                      const RecordFlow& flow, std::string* csv) {
  std::vector<std::string> cells(flow.stages.size());
  for (size_t k = 0; k < flow.stages.size(); ++k) {
    cells[k] = ',';
    cells[k] += CsvNumber(flow.stages[k]);
    cells[k] += ',';
    if (std::isfinite(flow.discharges[k])) {
      cells[k] += CsvNumber(flow.discharges[k]);
    }
    cells[k] += ',';
    cells[k] += FlowNoteText(flow.notes[k]);
    cells[k] += kLineEnd;
  }
  *csv += "时间,水位,流量,说明";
  *csv += kLineEnd;
  csv->reserve(csv->size() + readings.size() * 48);
  for (size_t i = 0; i < readings.size(); ++i) {
    AppendRecordTime(readings[i].time, csv);
    *csv += cells[flow.stage_of[i]];
  }
}

void AddDaysBlock(std::span<const DailyFlow> days, std::string* csv) {
  *csv += "日期,日平均流量,说明";
  *csv += kLineEnd;
  for (const DailyFlow& day : days) {
    // The time without its " 00:00".
    std::string date = RecordTimeText(day.day);
    date.resize(10);
    *csv += date;
    *csv += ',';
    if (day.mean) {
      *csv += CsvNumber(*day.mean);
      *csv += ',';
    } else {
      *csv += ",缺测";
    }
    *csv += kLineEnd;
  }
}

std::string YearbookCell(const std::optional<double>& value) {
  return value ? YearbookNumber(*value) : std::string();
}

std::string DateCell(const std::optional<DatedFlow>& flow) {
  std::string cell;
  if (flow) {
    cell += std::to_string(flow->month);
    cell += "月";
    cell += std::to_string(flow->day);
    cell += "日";
  }
  return cell;
}

// A row of the twelve months: its name and one cell a month.
template <typename Cell>
void AddMonthsRow(const YearbookYear& year, std::string_view name, Cell cell,
                  std::string* csv) {
  *csv += name;
  for (const YearbookMonth& month : year.months) {
    *csv += ',';
    *csv += cell(month);
  }
  *csv += kLineEnd;
}

void AddYearBlock(const YearbookYear& year, std::string* csv) {
  AddRow(csv, "逐日平均流量表", std::to_string(year.year) + "年");
  *csv += "日";
  for (int m = 1; m <= 12; ++m) {
    *csv += ',';
    *csv += std::to_string(m);
    *csv += "月";
  }
  *csv += kLineEnd;
  for (size_t d = 0; d < 31; ++d) {
    AddMonthsRow(
        year, std::to_string(d + 1),
        [d](const YearbookMonth& month) {
          return YearbookCell(month.daily[d]);
        },
        csv);
  }
  AddMonthsRow(
      year, "平均",
      [](const YearbookMonth& month) { return YearbookCell(month.mean); }, csv);
  AddMonthsRow(
      year, "最大",
      [](const YearbookMonth& month) {
        return month.largest ? YearbookNumber(month.largest->discharge) : "";
      },
      csv);
  AddMonthsRow(
      year, "日期",
      [](const YearbookMonth& month) {
        return month.largest ? std::to_string(month.largest->day) : "";
      },
      csv);
  AddMonthsRow(
      year, "最小",
      [](const YearbookMonth& month) {
        return month.smallest ? YearbookNumber(month.smallest->discharge) : "";
      },
      csv);
  AddMonthsRow(
      year, "日期",
      [](const YearbookMonth& month) {
        return month.smallest ? std::to_string(month.smallest->day) : "";
      },
      csv);
  *csv += "年最大流量,";
  *csv += year.largest ? YearbookNumber(year.largest->discharge) : "";
  *csv += ',';
  *csv += DateCell(year.largest);
  *csv += kLineEnd;
  *csv += "年最小流量,";
  *csv += year.smallest ? YearbookNumber(year.smallest->discharge) : "";
  *csv += ',';
  *csv += DateCell(year.smallest);
  *csv += kLineEnd;
  AddRow(csv, "年平均流量", YearbookCell(year.mean));
  AddRow(csv, "年径流量(亿m³)", YearbookCell(year.volume));
}

}  // namespace

std::string FlowTablePath(std::string_view stage_record_path) {
  // The folder is kept as written, as the result file's path keeps it.
#ifdef _WIN32
  constexpr std::string_view kSeparators = "/\\";
#else
  constexpr std::string_view kSeparators = "/";
#endif
  const size_t slash = stage_record_path.find_last_of(kSeparators);
  const size_t name_start = slash == std::string_view::npos ? 0 : slash + 1;
  std::string_view name = stage_record_path.substr(name_start);
  // The extension: from the last dot, unless the name begins with it.
  if (const size_t dot = name.rfind('.');
      dot != std::string_view::npos && dot > 0) {
    name = name.substr(0, dot);
  }
  return std::string(stage_record_path.substr(0, name_start)) +
         std::string(name) + "流量.csv";
}

std::string FlowTableCsv(const FlowTableRun& run, const Rating& rating,
                         std::span<const StageReading> readings,
                         const StageRecordFlow& result) {
  std::string csv = "\xEF\xBB\xBF";
  AddSummaryBlock(run, rating, result, &csv);
  csv += kLineEnd;
  AddReadingsBlock(readings, result.flow, &csv);
  csv += kLineEnd;
  AddDaysBlock(result.days, &csv);
  for (const YearbookYear& year : result.years) {
    csv += kLineEnd;
    AddYearBlock(year, &csv);
  }
  return csv;
}

}  // namespace xsrating
