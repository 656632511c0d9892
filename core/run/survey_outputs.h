// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CORE_RUN_SURVEY_OUTPUTS_H_
#define XSRATING_CORE_RUN_SURVEY_OUTPUTS_H_

// The files of one survey's rating, written by one service for every front
// end: the result file, the table for spreadsheets, the figure and the
// rating checked against gaugings, and the flow table of a stage record.
// The command line, both windows' start
// button and the viewer's saves all come here, so a file has the same bytes
// whichever front end wrote it.

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/date_time.h"
#include "core/base/file_io.h"
#include "core/base/status.h"
#include "core/calibration/rating_analysis.h"
#include "core/calibration/rating_checks.h"
#include "core/flow/yearbook.h"
#include "core/hydraulics/rating.h"
#include "core/input/stage_record.h"
#include "core/output/figure_request.h"
#include "core/output/own_files.h"

namespace xsrating {

// Stores the bytes of a file of `kind` at `path`; SaveOwnFile by default.
// Tests stand in for the disk with their own.
using SaveFn = std::function<Status(OwnFile kind, const std::string& path,
                                    std::string_view bytes)>;

// What one output is drawn from: the rating and, when the gaugings were
// checked, the check; when a stage record was converted, the record and its
// discharges.
struct OutputSource {
  const Rating* rating = nullptr;  // Never null.
  const RatingAnalysis* analysis = nullptr;
  const RatingChecks* checks = nullptr;
  std::string gaugings_path;  // The gaugings checked, as given.
  LocalDateTime run_time;     // The time the result file and report record.
  std::string stage_record_path = {};  // As given.
  std::span<const StageReading> stage_readings = {};
  const StageRecordFlow* flow = nullptr;  // Of stage_readings.
};

// The bytes of the file of `kind` drawn from `source`:
//  - kResult: ResultFileBytes;
//  - kTable: RatingTableCsv, with the zones' columns when the rating was
//    computed with zones;
//  - kReport: RatingReportCsv; needs the analysis and the checks. Its 糙率
//    row is the rating's roughness in decimal form, its 比降 row the slope as
//    typed;
//  - kFigure: the figure of format `figure_format` from `figures`, titled
//    after `path`'s name, with the stage record's hydrograph when the
//    source has its flow; fails when there is no renderer or it fails;
//  - kFlowTable: FlowTableCsv of the stage record; needs its flow.
// Fails too for kZones, which no rating holds.
Status OutputBytes(OwnFile kind, const OutputSource& source,
                   const std::string& path, const std::string& figure_format,
                   FigureRenderer* figures, std::string* bytes);

// OutputBytes saved to `path` through `save` (SaveOwnFile when unset): a
// file already there is replaced only when it is an earlier one of `kind`.
Status SaveOutput(OwnFile kind, const OutputSource& source,
                  const std::string& path, const std::string& figure_format,
                  FigureRenderer* figures, const SaveFn& save = {});

// The files a survey's run writes beside the survey, named after it.
struct OutputRequest {
  bool result_file = true;         // name成果.txt
  bool table = false;              // name成果.csv
  std::string figure_format = {};  // "svg" or "png": name成果.svg or .png.
  // The gaugings to check the rating against: name率定.csv; none when empty.
  std::string gaugings_path = {};
  CheckLevels levels = {};  // The report's significance levels.
  // A stage record, already read and checked (ReadStageRecord), to turn into
  // discharges: the flow table beside it (FlowTablePath); none when the path
  // is empty.
  std::string stage_record_path = {};
  std::vector<StageReading> stage_readings = {};
};

// One file written, or tried.
struct OutputFile {
  OwnFile kind;
  std::string path;
  Status status;
};

struct SurveyOutputs {
  // In the order written: the result file, the report, the table, the
  // figure (which shows the gaugings when they could be checked), the flow
  // table.
  std::vector<OutputFile> files;
  // The check against the gaugings, when it succeeded.
  std::optional<RatingAnalysis> analysis;
  std::optional<RatingChecks> checks;
  // The stage record's discharges, when they could be worked out; its
  // warnings are FlowWarnings(flow->flow).
  std::optional<StageRecordFlow> flow;
  // True when every file asked for was written.
  bool AllSaved() const;
};

// Writes what `request` asks for beside rating.params.data_file_path, each
// file through SaveOutput, each whatever became of the others, except that a
// result file that fails stops the rest: the other files describe the result
// file. A gaugings file that cannot be checked fails the report, and the
// figure is drawn without gaugings. The flow table's discharges come from
// the calibrated roughness n_c when gaugings are given, so a check that
// failed fails the flow table too. They are worked out before the figure,
// which then shows their hydrograph; one that fails leaves the figure
// without it.
SurveyOutputs WriteSurveyOutputs(const Rating& rating,
                                 const OutputRequest& request,
                                 const LocalDateTime& run_time,
                                 FigureRenderer* figures,
                                 const SaveFn& save = {});

}  // namespace xsrating

#endif  // XSRATING_CORE_RUN_SURVEY_OUTPUTS_H_
