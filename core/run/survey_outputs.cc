// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/run/survey_outputs.h"

#include <utility>

#include "core/base/number_text.h"
#include "core/output/flow_table.h"
#include "core/output/rating_csv.h"
#include "core/output/rating_heading.h"
#include "core/output/rating_report.h"
#include "core/output/result_file.h"

namespace xsrating {
namespace {

Status FigureBytes(const OutputSource& source, const std::string& path,
                   const std::string& format, FigureRenderer* figures,
                   std::string* bytes) {
  if (figures == nullptr) {
    return Status::Error(StatusKind::kUnavailable,
                         "这个版本不能画图，没有写出图“" + path + "”。");
  }
  const FigureRequest request = {
      .rating = source.rating,
      .analysis = source.analysis,
      .format = format,
      // An SVG document is titled with its file's own name, "sec1成果".
      .title = PathToUtf8(PathFromUtf8(path).stem()),
      .heading = RatingHeading(source.rating->params),
      .stage_readings = source.flow != nullptr
                            ? source.stage_readings
                            : std::span<const StageReading>(),
      .flow = source.flow,
  };
  bytes->clear();
  if (Status s = figures->Render(request, bytes); !s.ok()) {
    return s;
  }
  if (bytes->empty()) {
    return Status::Error("图“" + path + "”没有画成：画出的图是空的。");
  }
  return Status::Ok();
}

Status FlowTableBytes(const OutputSource& source, std::string* bytes) {
  if (source.flow == nullptr) {
    return Status::Error("还没有读入水位过程，没有流量表可以保存。");
  }
  const Rating& rating = *source.rating;
  *bytes = FlowTableCsv({.stage_record_path = source.stage_record_path,
                         .data_file_path = rating.params.data_file_path,
                         .slope_text = rating.params.slope_text,
                         .run_time = source.run_time},
                        rating, source.stage_readings, *source.flow);
  return Status::Ok();
}

}  // namespace

Status OutputBytes(OwnFile kind, const OutputSource& source,
                   const std::string& path, const std::string& figure_format,
                   FigureRenderer* figures, std::string* bytes) {
  const Rating& rating = *source.rating;
  switch (kind) {
    case OwnFile::kResult:
      *bytes = ResultFileBytes(rating, rating.params, source.run_time);
      return Status::Ok();
    case OwnFile::kTable:
      *bytes =
          RatingTableCsv(rating.hydraulic_rows, !rating.params.zones.empty());
      return Status::Ok();
    case OwnFile::kReport:
      if (source.analysis == nullptr || source.checks == nullptr) {
        return Status::Error("还没有导入实测流量，没有率定表可以保存。");
      }
      *bytes = RatingReportCsv(
          *source.analysis, *source.checks,
          {.data_file_path = rating.params.data_file_path,
           .gaugings_path = source.gaugings_path,
           .roughness_text = DecimalForm(rating.params.roughness),
           .slope_text = rating.params.slope_text,
           .run_time = source.run_time});
      return Status::Ok();
    case OwnFile::kFigure:
      return FigureBytes(source, path, figure_format, figures, bytes);
    case OwnFile::kFlowTable:
      return FlowTableBytes(source, bytes);
    case OwnFile::kZones:
      break;
  }
  return Status::Error("水位流量关系里没有分区糙率文件可写。");
}

Status SaveOutput(OwnFile kind, const OutputSource& source,
                  const std::string& path, const std::string& figure_format,
                  FigureRenderer* figures, const SaveFn& save) {
  std::string bytes;
  if (Status s =
          OutputBytes(kind, source, path, figure_format, figures, &bytes);
      !s.ok()) {
    return s;
  }
  return save ? save(kind, path, bytes) : SaveOwnFile(kind, path, bytes);
}

bool SurveyOutputs::AllSaved() const {
  for (const OutputFile& file : files) {
    if (!file.status.ok()) return false;
  }
  return true;
}

namespace {

// Why the flow table of a run with gaugings is not written when they could
// not be checked, or Ok.
Status FlowRatingMissing(const OutputRequest& request,
                         const SurveyOutputs& outputs,
                         const std::string& path) {
  if (request.gaugings_path.empty() || outputs.analysis) return Status::Ok();
  return Status::Error("实测流量没有率定成，没有写出流量表“" + path +
                       "”：有实测流量时，流量按率定糙率推求。");
}

// The discharges of `request`'s stage record by `rating`, calibrated when
// `analysis` is given, into outputs->flow; why there are none when they
// cannot be had.
Status ConvertRecord(const Rating& rating, const OutputRequest& request,
                     const RatingAnalysis* analysis, const std::string& path,
                     SurveyOutputs* outputs) {
  StageRecordFlow flow;
  Status converted = FlowRatingMissing(request, *outputs, path);
  if (converted.ok()) {
    converted =
        ComputeStageRecordFlow(rating, analysis, rating.params.slope_text,
                               request.stage_readings, &flow);
  }
  if (converted.ok()) outputs->flow = std::move(flow);
  return converted;
}

}  // namespace

SurveyOutputs WriteSurveyOutputs(const Rating& rating,
                                 const OutputRequest& request,
                                 const LocalDateTime& run_time,
                                 FigureRenderer* figures, const SaveFn& save) {
  SurveyOutputs outputs;
  OutputSource source = {.rating = &rating,
                         .gaugings_path = request.gaugings_path,
                         .run_time = run_time};
  const std::string& survey = rating.params.data_file_path;
  const auto write = [&](OwnFile kind, std::string path,
                         const std::string& format = {}) {
    Status status = SaveOutput(kind, source, path, format, figures, save);
    outputs.files.push_back({kind, std::move(path), std::move(status)});
    return outputs.files.back().status.ok();
  };
  if (request.result_file && !write(OwnFile::kResult, ResultFilePath(survey))) {
    return outputs;
  }
  if (!request.gaugings_path.empty()) {
    RatingAnalysis analysis;
    RatingChecks checks;
    Status checked = AnalyzeGaugings(rating, request.gaugings_path, &analysis);
    if (checked.ok()) checked = CheckRating(analysis, request.levels, &checks);
    if (checked.ok()) {
      outputs.analysis = std::move(analysis);
      outputs.checks = checks;
      source.analysis = &*outputs.analysis;
      source.checks = &*outputs.checks;
      write(OwnFile::kReport, RatingReportPath(survey));
    } else {
      outputs.files.push_back(
          {OwnFile::kReport, RatingReportPath(survey), std::move(checked)});
    }
  }
  // The discharges before the figure, which draws their hydrograph; their
  // table is still the last file written.
  const bool record = !request.stage_record_path.empty();
  std::string flow_path =
      record ? FlowTablePath(request.stage_record_path) : "";
  Status converted = Status::Ok();
  if (record) {
    converted =
        ConvertRecord(rating, request, source.analysis, flow_path, &outputs);
  }
  if (outputs.flow) {
    source.stage_record_path = request.stage_record_path;
    source.stage_readings = request.stage_readings;
    source.flow = &*outputs.flow;
  }
  if (request.table) write(OwnFile::kTable, RatingFilePath(survey, ".csv"));
  if (!request.figure_format.empty()) {
    write(OwnFile::kFigure, RatingFilePath(survey, "." + request.figure_format),
          request.figure_format);
  }
  if (outputs.flow) {
    write(OwnFile::kFlowTable, std::move(flow_path));
  } else if (record) {
    outputs.files.push_back(
        {OwnFile::kFlowTable, std::move(flow_path), std::move(converted)});
  }
  return outputs;
}

}  // namespace xsrating
