// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/output/rating_report.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>
#include <sstream>
#include <system_error>
#include <utility>

#include "core/output/rating_csv.h"
#include "core/output/result_file.h"

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

// `value` to `digits` significant digits with '.' whatever the locale (the
// window's may say ','), trailing zeros dropped; with `keep_zeros` kept, so
// that 10.0024 is "10.00", not "10".
std::string Digits(double value, int digits, bool keep_zeros = false) {
  char text[400];
  std::to_chars_result written;
  if (keep_zeros && value != 0 && std::isfinite(value)) {
    const int magnitude =
        static_cast<int>(std::floor(std::log10(std::fabs(value))));
    written =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed,
                      std::max(0, digits - 1 - magnitude));
  } else {
    written = std::to_chars(text, text + sizeof text, value,
                            std::chars_format::general, digits);
  }
  if (written.ec != std::errc()) return CsvNumber(value);
  return std::string(text, written.ptr);
}

std::string Percent(const std::optional<double>& value, int digits) {
  return value ? Digits(*value, digits) + "%" : std::string("无");
}

void WriteTextRow(std::ostream& out, const char* name, std::string_view text) {
  out << name << ',' << CsvText(text) << kLineEnd;
}

// The tests in the order the report and the summary give them.
std::array<std::pair<const char*, const CheckResult*>, 3> NamedChecks(
    const RatingChecks& checks) {
  return {{{"符号检验", &checks.sign},
           {"适线检验", &checks.runs},
           {"偏离数值检验", &checks.deviation}}};
}

}  // namespace

std::string RatingReportPath(std::string_view data_file_path) {
  std::string path = ResultFilePath(data_file_path);
  // The result path always ends in the result suffix.
  path.resize(path.size() - std::strlen(kResultSuffix));
  path += kRatingReportSuffix;
  return path;
}

void WriteRatingReport(std::ostream& out, const RatingAnalysis& analysis,
                       const RatingChecks& checks, const RatingReportRun& run) {
  out << "\xEF\xBB\xBF";
  out << kRatingReportHeader << kLineEnd;
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
  WriteTextRow(out, "地形文件", run.data_file_path);
  WriteTextRow(out, "实测流量文件", run.gaugings_path);
  WriteTextRow(out, "糙率", run.roughness_text);
  WriteTextRow(out, "比降", run.slope_text);
  WriteTextRow(
      out, "计算时间",
      FormatShortDate(run.run_time) + " " + FormatLongTime(run.run_time));
  WriteTextRow(out, "关系式",
               equation ? EquationText(*equation, false) : std::string());
  WriteSummaryRow(out, "系统误差(%)", checks.systematic_error_percent);
  WriteSummaryRow(out, "随机不确定度(%)", checks.random_uncertainty_percent);

  out << kLineEnd << "检验,统计量,临界值,显著性水平,结论" << kLineEnd;
  for (const auto& [name, result] : NamedChecks(checks)) {
    out << name << ',' << Cell(result->statistic) << ','
        << Cell(result->critical_value) << ',' << CsvNumber(result->level)
        << ',' << CheckVerdictText(result->verdict) << kLineEnd;
  }
}

std::string RatingReportCsv(const RatingAnalysis& analysis,
                            const RatingChecks& checks,
                            const RatingReportRun& run) {
  std::ostringstream out;
  WriteRatingReport(out, analysis, checks, run);
  return std::move(out).str();
}

std::string EquationText(const RatingEquation& equation, bool spaced) {
  const std::string space = spaced ? " " : "";
  // e is a bed elevation from the survey: shown in full.
  const std::string shift = equation.e < 0
                                ? "+" + space + CsvNumber(-equation.e)
                                : "−" + space + CsvNumber(equation.e);
  return "Q" + space + "=" + space + Digits(equation.a, 4, true) + "(H" +
         space + shift + ")^" + Digits(equation.b, 4, true);
}

std::string RatingSummary(const RatingAnalysis& analysis,
                          const RatingChecks& checks) {
  std::string text =
      "率定糙率 n_c = " + Digits(analysis.calibrated_roughness, 4) +
      "，相对标准误差 Se = " + Percent(analysis.standard_error_percent, 3) +
      "，实测点数 k = " + std::to_string(analysis.usable_count) +
      "，外延幅度 " + Percent(analysis.extension_percent, 3) + "，关系式 ";
  if (const std::optional<RatingEquation>& eq = analysis.equation) {
    text += EquationText(*eq, true) + "（最大偏差 " +
            Digits(eq->max_deviation_percent, 3) + "%）";
  } else {
    text += "无";
  }
  const char* separator = "；";
  for (const auto& [name, result] : NamedChecks(checks)) {
    text +=
        separator + std::string(name) + " " + CheckVerdictText(result->verdict);
    separator = "，";
  }
  text += "，系统误差 " + Percent(checks.systematic_error_percent, 3) +
          "，随机不确定度 " + Percent(checks.random_uncertainty_percent, 3);
  return text;
}

}  // namespace xsrating
