// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CORE_OUTPUT_RATING_REPORT_H_
#define XSRATING_CORE_OUTPUT_RATING_REPORT_H_

// The report of a rating checked against gaugings, as a spreadsheet file
// beside the survey's result file.

#include <ostream>
#include <string>
#include <string_view>

#include "core/base/date_time.h"
#include "core/calibration/rating_analysis.h"
#include "core/calibration/rating_checks.h"

namespace xsrating {

// Appended to the survey file's name, less its extension.
inline constexpr char kRatingReportSuffix[] = "率定.csv";

// The report's first line, after the byte-order mark.
inline constexpr char kRatingReportHeader[] =
    "实测水位,实测流量,面积,湿周,水力半径,反推糙率,率定流量,相对偏差(%),说明";

// The report's path: the result file's path with "率定.csv" in place of
// "成果.txt", so D:\data\sec1.txt gives D:\data\sec1率定.csv.
std::string RatingReportPath(std::string_view data_file_path);

// What a report records of the run whose table it checks, so that it stands
// alone. Texts in UTF-8.
struct RatingReportRun {
  std::string data_file_path;  // The survey, as the run was given it.
  std::string gaugings_path;   // The gaugings file, as the run was given it.
  std::string roughness_text;  // The roughness as typed.
  std::string slope_text;      // The slope as typed.
  LocalDateTime run_time;      // As the result file records it.
};

// Writes the report: UTF-8 with a byte-order mark, every line ending in CR LF,
// numbers as CsvNumber writes them (15 significant digits), a value that is
// none left empty. Four blocks, one empty line between them:
//  1. "实测水位,实测流量,面积,湿周,水力半径,反推糙率,率定流量,相对偏差(%),说明"
//     and one row per gauging in file order; a gauging left out has its
//     computed cells empty and the reason in 说明.
//  2. "水位,面积,流量,率定流量,外延" and one row per table row; 外延 is "外延"
//     for an extrapolated row, else empty.
//  3. "项目,数值" and the rows 率定糙率, 相对标准误差(%), 实测点数 (the
//     usable gaugings), 外延幅度(%), 关系式a, 关系式b, 关系式e,
//     关系式最大偏差(%), 率定关系式a, then what `run` records: 地形文件,
//     实测流量文件, 糙率, 比降, 计算时间 (as the result file's first line
//     writes it) and 关系式, the equation written out (EquationText, without
//     spaces), then from `checks` 系统误差(%) and 随机不确定度(%). A text
//     with a comma, a double quote or a line end is quoted as spreadsheets
//     read it ("a,b" as "\"a,b\"").
//  4. "检验,统计量,临界值,显著性水平,结论" and one row each for 符号检验,
//     适线检验 and 偏离数值检验: the statistic and critical value (empty
//     when not computed), the level and the verdict.
void WriteRatingReport(std::ostream& out, const RatingAnalysis& analysis,
                       const RatingChecks& checks, const RatingReportRun& run);
// The same, as the file's bytes.
std::string RatingReportCsv(const RatingAnalysis& analysis,
                            const RatingChecks& checks,
                            const RatingReportRun& run);

// The equation with its numbers, a and b to four significant digits, e in
// full: "Q = 10.00(H − 44.2)^2.415", or with `spaced` false
// "Q=10.00(H−44.2)^2.415"; a negative e as "(H + 3)".
std::string EquationText(const RatingEquation& equation, bool spaced);

// The analysis in one line for the viewer, with the figures to a sensible
// number of digits and the equation written out, for example
// "率定糙率 n_c = 0.03223，相对标准误差 Se = 3.17%，实测点数 k = 10，
// 外延幅度 91.1%，关系式 Q = 10.00(H − 44.2)^2.415（最大偏差 34.3%）；
// 符号检验 合格，适线检验 免检，偏离数值检验 合格，系统误差 0.0452%，
// 随机不确定度 6.71%". A figure that is none is named as such ("无").
std::string RatingSummary(const RatingAnalysis& analysis,
                          const RatingChecks& checks);

}  // namespace xsrating

#endif  // XSRATING_CORE_OUTPUT_RATING_REPORT_H_
