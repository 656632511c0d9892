// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/rating_report.h"

#include <cstring>
#include <optional>
#include <sstream>

#include "core/result_file.h"
#include "plot/rating_csv.h"

namespace xsrating {
namespace {

constexpr char kLineEnd[] = "\r\n";

std::string Cell(const std::optional<double>& value) {
  return value ? CsvNumber(*value) : std::string();
}

void WriteSummaryRow(std::ostream& out, const char* name,
                     const std::optional<double>& value) {
  out << name << ',' << Cell(value) << kLineEnd;
}

}  // namespace

std::string RatingReportPath(std::string_view data_file_path) {
  std::string path = ResultFilePath(data_file_path);
  // The result path always ends in the result suffix.
  path.resize(path.size() - std::strlen(kResultSuffix));
  path += kRatingReportSuffix;
  return path;
}

void WriteRatingReport(std::ostream& out, const RatingAnalysis& analysis) {
  out << "\xEF\xBB\xBF";
  out << "实测水位,实测流量,面积,湿周,水力半径,反推糙率,率定流量,相对偏差(%),"
         "说明"
      << kLineEnd;
  for (const GaugingResult& result : analysis.gaugings) {
    out << CsvNumber(result.gauging.stage) << ','
        << CsvNumber(result.gauging.discharge) << ',';
    if (result.fit) {
      const GaugingFit& fit = *result.fit;
      for (double value :
           {fit.area, fit.perimeter, fit.hydraulic_radius, fit.roughness,
            fit.calibrated_discharge, fit.deviation_percent}) {
        out << CsvNumber(value) << ',';
      }
    } else {
      out << ",,,,,,";
    }
    out << GaugingUseText(result.use) << kLineEnd;
  }

  out << kLineEnd << "水位,面积,流量,率定流量,外延" << kLineEnd;
  for (const CalibratedRow& row : analysis.rows) {
    out << CsvNumber(row.stage) << ',' << CsvNumber(row.area) << ','
        << CsvNumber(row.discharge) << ','
        << CsvNumber(row.calibrated_discharge) << ','
        << (row.extrapolated ? "外延" : "") << kLineEnd;
  }

  const std::optional<RatingEquation>& equation = analysis.equation;
  out << kLineEnd << "项目,数值" << kLineEnd;
  WriteSummaryRow(out, "率定糙率", analysis.calibrated_roughness);
  WriteSummaryRow(out, "相对标准误差(%)", analysis.standard_error_percent);
  WriteSummaryRow(out, "实测点数", analysis.usable_count);
  WriteSummaryRow(out, "外延幅度(%)", analysis.extension_percent);
  WriteSummaryRow(out, "关系式a",
                  equation ? std::optional(equation->a) : std::nullopt);
  WriteSummaryRow(out, "关系式b",
                  equation ? std::optional(equation->b) : std::nullopt);
  WriteSummaryRow(out, "关系式e",
                  equation ? std::optional(equation->e) : std::nullopt);
  WriteSummaryRow(
      out, "关系式最大偏差(%)",
      equation ? std::optional(equation->max_deviation_percent) : std::nullopt);
  WriteSummaryRow(out, "率定关系式a",
                  analysis.calibrated_equation
                      ? std::optional(analysis.calibrated_equation->a)
                      : std::nullopt);
}

std::string RatingReportCsv(const RatingAnalysis& analysis) {
  std::ostringstream out;
  WriteRatingReport(out, analysis);
  return std::move(out).str();
}

}  // namespace xsrating
