// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/stage_record_job.h"

#include "cli/console.h"
#include "core/file_io.h"
#include "core/flow/yearbook.h"
#include "core/output/flow_table.h"
#include "core/own_files.h"

namespace xsrating {

Status StageRecordJob::Read(const std::string& path) {
  path_ = path;
  return ReadStageRecord(path, &readings_);
}

Status StageRecordJob::Write(const RunParameters& params, const Rating& rating,
                             const RatingAnalysis* analysis,
                             const LocalDateTime& run_time,
                             MessageSink& sink) const {
  StageRecordFlow result;
  if (Status s = ComputeStageRecordFlow(rating, analysis, params.slope_text,
                                        readings_, &result);
      !s.ok()) {
    return s;
  }
  const FlowTableRun run = {
      .stage_record_path = path_,
      .data_file_path = params.data_file_path,
      .slope_text = params.slope_text,
      .run_time = run_time,
  };
  const std::string table_path = FlowTablePath(path_);
  if (Status s = SaveFileAtomically(
          table_path, FlowTableCsv(run, rating, readings_, result),
          OwnFileSaveOptions(OwnFile::kFlowTable, table_path));
      !s.ok()) {
    return s;
  }
  PrintOnStandardOutput(table_path);
  const std::vector<std::string> warnings = FlowWarnings(result.flow);
  if (!warnings.empty()) {
    std::string text;
    for (const std::string& warning : warnings) {
      if (!text.empty()) text += '\r';
      text += warning;
    }
    sink.ShowWarning(text, kStageRecordWarningsTitle);
  }
  return Status::Ok();
}

}  // namespace xsrating
