// SPDX-License-Identifier: GPL-3.0-or-later
#include "form/viewer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "core/base/date_time.h"
#include "core/base/number_text.h"
#include "core/calibration/rating_analysis.h"
#include "core/flow/record_flow.h"
#include "core/input/cross_section.h"
#include "core/input/stage_record.h"
#include "core/output/figure_request.h"
#include "core/output/flow_table.h"
#include "core/output/own_files.h"
#include "core/output/rating_csv.h"
#include "core/output/rating_heading.h"
#include "core/output/rating_report.h"
#include "core/run/rating_warnings.h"
#include "core/run/survey_outputs.h"

namespace xsrating {
namespace {

constexpr char kSectionOnly[] = "只画出了断面。";

// Column heads of the table, with units, and the decimals of each column as
// a hydrologist reads them: levels and lengths to the centimetre, areas and
// discharges to the 0.01 the result file rounds them to, radius and velocity
// to three places. A stage column shows more places when the survey's levels
// have them (at most `max_decimals`).
struct Column {
  const char* head;
  double HydraulicRow::*value;
  int decimals;
  int max_decimals;
};
constexpr Column kColumns[] = {
    {"水位\n(m)", &HydraulicRow::stage, 2, 4},
    {"面积\n(m²)", &HydraulicRow::area, 2, 2},
    {"湿周\n(m)", &HydraulicRow::perimeter, 2, 2},
    {"水力半径\n(m)", &HydraulicRow::hydraulic_radius, 3, 3},
    {"水面宽\n(m)", &HydraulicRow::top_width, 2, 2},
    {"平均流速\n(m/s)", &HydraulicRow::mean_velocity, 3, 3},
    {"流量\n(m³/s)", &HydraulicRow::discharge, 2, 2},
    // Shown only with roughness zones.
    {"综合糙率\nn_eq", &HydraulicRow::equivalent_roughness, 4, 4},
    {"动能修正\n系数 α", &HydraulicRow::energy_coefficient, 3, 3},
};
// The columns every table shows; the others belong to roughness zones.
constexpr size_t kPlainColumns = 7;

// `value` with `decimals` places, a point for the decimal sign whatever the
// locale, as the result file writes its numbers.
std::string FixedText(double value, int decimals) {
  char buffer[64];
  const std::to_chars_result end =
      std::to_chars(buffer, buffer + sizeof(buffer), value,
                    std::chars_format::fixed, decimals);
  if (end.ec != std::errc()) return {};
  return std::string(buffer, end.ptr);
}

// Adds `sentence` to the message line's `text`, a space apart.
void AddSentence(const std::string& sentence, std::string* text) {
  if (!text->empty()) *text += ' ';
  *text += sentence;
}

// The name of the file at `path` without its folder, whichever separator it
// uses.
std::string FileNameOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

struct FileKind {
  const char* extension;
  const char* caption;
  const char* filter_text;
  const char* filter_pattern;
  OwnFile own;  // What may be replaced at the chosen path.
};
constexpr FileKind kFileKinds[] = {
    {".png", "保存图", "PNG 图片 (*.png)", "*.png", OwnFile::kFigure},
    {".svg", "保存图", "SVG 矢量图 (*.svg)", "*.svg", OwnFile::kFigure},
    {".csv", "保存水力要素表", "CSV 表格 (*.csv)", "*.csv", OwnFile::kTable},
    {".csv", "保存率定表", "CSV 表格 (*.csv)", "*.csv", OwnFile::kReport},
    {".csv", "保存流量表", "CSV 表格 (*.csv)", "*.csv", OwnFile::kFlowTable},
};

const FileKind& KindOf(ViewerFile file) {
  return kFileKinds[static_cast<int>(file)];
}

}  // namespace

int ColumnDecimals(const std::vector<double>& values, int decimals,
                   int max_decimals) {
  for (; decimals < max_decimals; ++decimals) {
    const bool exact = std::all_of(values.begin(), values.end(), [&](double v) {
      if (!std::isfinite(v)) return true;
      const double shown = std::strtod(FixedText(v, decimals).c_str(), nullptr);
      return std::abs(shown - v) <= 1e-9 * std::max(1.0, std::abs(v));
    });
    if (exact) break;
  }
  return decimals;
}

ScreenRect ViewerFrame(int preferred_width, int preferred_height,
                       const ScreenRect& available, const ScreenRect& owner,
                       const FrameMargins& frame) {
  const int room_width = available.width - frame.left - frame.right;
  const int room_height = available.height - frame.top - frame.bottom;
  ScreenRect outer;
  outer.width =
      std::min(preferred_width, room_width) + frame.left + frame.right;
  outer.height =
      std::min(preferred_height, room_height) + frame.top + frame.bottom;
  // Centred as a window's pixels are counted, the last one inside it.
  const int centre_x = (2 * owner.left + owner.width - 1) / 2;
  const int centre_y = (2 * owner.top + owner.height - 1) / 2;
  outer.left = centre_x - (outer.width - 1) / 2;
  outer.top = centre_y - (outer.height - 1) / 2;
  // Inside the screen; the top edge, with the caption, last.
  const int right = available.left + available.width;
  const int bottom = available.top + available.height;
  if (outer.left + outer.width > right) outer.left = right - outer.width;
  if (outer.left < available.left) outer.left = available.left;
  if (outer.top + outer.height > bottom) outer.top = bottom - outer.height;
  if (outer.top < available.top) outer.top = available.top;
  return outer;
}

ViewerController::ViewerController(ViewerView& view, MessageSink& sink,
                                   ViewerHooks hooks)
    : view_(view), sink_(sink), hooks_(std::move(hooks)) {
  if (!hooks_.now) hooks_.now = CurrentLocalTime;
}

void ViewerController::Show(const ViewRequest& request) {
  const RunParameters& params = request.parameters;
  content_ = ViewerContent();
  content_.heading = RatingHeading(params);
  rating_.reset();
  params_ = params;
  std::string message;

  const std::string file_name = FileNameOf(params.data_file_path);
  caption_ = file_name.empty()
                 ? std::string(kViewerCaption)
                 : std::string(kViewerCaption) + " - " + file_name;

  CrossSection section;
  if (Status read = ReadCrossSection(params.data_file_path, &section);
      !read.ok()) {
    message = read.message();
  } else if (request.problems.any()) {
    content_.section = std::move(section);
    message = std::string(kSectionOnly) +
              DescribeInputProblems(request.problems) + "。";
  } else {
    // The run's rating, without its message box and without changing the
    // main window's parameters.
    Rating rating;
    const Status rated = RateSection(std::move(section), params, &rating);
    if (!rated.ok()) {
      message = std::string(kSectionOnly) + rated.message();
    } else {
      if (ExceedsStageLimit(params.stage_count)) {
        message = "点子数量超过 100，按 " + DecimalForm(rating.stage_count) +
                  " 个计算。";
      }
      // What the run would warn about in its box after the closing message.
      for (const std::string& warning : RatingWarnings(rating, params)) {
        AddSentence(warning, &message);
      }
    }
    content_.section = rating.section;
    content_.rows = rating.hydraulic_rows;
    content_.zones = rating.zones;
    params_.stage_count = rating.stage_count;
    if (rated.ok()) rating_ = std::move(rating);
  }
  // The gaugings are checked against one roughness for the whole section.
  if (!params.zones.empty()) gaugings_path_.clear();
  if (rating_ && !gaugings_path_.empty()) {
    if (Status checked = CheckGaugings(gaugings_path_); !checked.ok()) {
      AddSentence(checked.message(), &message);
    }
  }
  // The kept record's discharges belong to the table just computed.
  ConvertKeptRecord();
  table_message_ = message;
  status_.clear();
  view_.Refresh();
}

OpenDialogRequest ViewerController::ImportDialog() const {
  return {"导入实测流量",
          FolderOf(params_.data_file_path),
          {{"文本文件 (*.txt *.csv)", "*.txt;*.csv"}, {"所有文件 (*)", "*"}}};
}

void ViewerController::PressImport() {
  if (!CanImport()) return;
  const std::string path = view_.ChooseOpenPath(ImportDialog());
  if (!path.empty()) ImportGaugings(path);
}

void ViewerController::ImportGaugings(const std::string& path) {
  if (Status checked = CheckGaugings(path); !checked.ok()) {
    // What was shown stays, the gaugings checked before included.
    sink_.ShowWarning(checked.message(), kViewerImportFailedTitle);
    return;
  }
  gaugings_path_ = path;
  // From now on the discharges come from the calibrated roughness.
  ConvertKeptRecord();
  view_.Refresh();
}

OpenDialogRequest ViewerController::StageRecordDialog() const {
  const std::string& near =
      stage_record_path_.empty() ? params_.data_file_path : stage_record_path_;
  return {"推求流量：选择水位过程文件",
          FolderOf(near),
          {{"水位过程 (*.txt *.csv)", "*.txt;*.csv"}, {"所有文件 (*)", "*"}}};
}

void ViewerController::PressConvert() {
  if (!CanConvert()) return;
  const std::string path = view_.ChooseOpenPath(StageRecordDialog());
  if (!path.empty()) ConvertStageRecord(path);
}

void ViewerController::ConvertStageRecord(const std::string& path) {
  std::vector<StageReading> readings;
  Status status = rating_ ? ReadStageRecord(path, &readings)
                          : Status::Error(
                                "还没有算出水位流量关系，无法推求流量。请先填好"
                                "参数并查看断面与曲线。");
  // What was shown stays until the new record has its discharges.
  StageRecordFlow flow;
  if (status.ok()) status = FlowOf(readings, &flow);
  if (!status.ok()) {
    sink_.ShowWarning(status.message(), kViewerFlowFailedTitle);
    return;
  }
  content_.hydrograph = figure::MakeHydrograph(readings, flow);
  flow_ = std::move(flow);
  stage_record_path_ = path;
  stage_readings_ = std::move(readings);
  flow_message_.clear();
  status_.clear();
  view_.Refresh();
}

Status ViewerController::FlowOf(const std::vector<StageReading>& readings,
                                StageRecordFlow* flow) const {
  const RatingAnalysis* analysis =
      content_.analysis ? &*content_.analysis : nullptr;
  return ComputeStageRecordFlow(*rating_, analysis, rating_->params.slope_text,
                                readings, flow);
}

void ViewerController::ConvertKeptRecord() {
  flow_.reset();
  content_.hydrograph.reset();
  flow_message_.clear();
  if (!rating_ || stage_readings_.empty()) return;
  StageRecordFlow flow;
  if (Status s = FlowOf(stage_readings_, &flow); !s.ok()) {
    flow_message_ = s.message();
    return;
  }
  content_.hydrograph = figure::MakeHydrograph(stage_readings_, flow);
  flow_ = std::move(flow);
}

Status ViewerController::CheckGaugings(const std::string& path) {
  if (!rating_) {
    return Status::Error(
        "还没有算出水位流量关系，无法与实测流量核对。请先填好参数并查看断面与曲"
        "线。");
  }
  // The rating shown, not the survey as it is on disk now: the chart, the
  // table and the saved report must all show one version of the section.
  RatingAnalysis analysis;
  Status status = AnalyzeGaugings(*rating_, path, &analysis);
  RatingChecks checks;
  if (status.ok()) status = CheckRating(analysis, CheckLevels(), &checks);
  if (status.ok()) {
    content_.analysis = std::move(analysis);
    content_.checks = checks;
  }
  return status;
}

std::string ViewerController::message() const {
  std::string message = table_message_;
  if (content_.analysis) {
    if (const std::optional<std::string> warning =
            ExtensionWarning(*content_.analysis)) {
      AddSentence(*warning, &message);
    }
  }
  if (flow_) {
    for (const std::string& warning : FlowWarnings(flow_->flow)) {
      AddSentence(warning, &message);
    }
  }
  if (!flow_message_.empty()) AddSentence(flow_message_, &message);
  return message;
}

namespace {

std::string DischargeAt(const FlowExtreme& extreme) {
  return YearbookNumber(extreme.discharge) + " m³/s（" +
         RecordTimeText(extreme.time) + "）";
}

}  // namespace

std::string ViewerController::flow_summary() const {
  if (!flow_) return {};
  const FlowSummary& s = flow_->summary;
  std::string line = "水位记录 " + std::to_string(s.readings) +
                     " 条，有日平均流量 " + std::to_string(s.days_with_mean) +
                     " 天，缺测 " + std::to_string(s.days_missing) + " 天";
  if (s.largest && s.smallest) {
    line += "；最大流量 " + DischargeAt(*s.largest) + "，最小流量 " +
            DischargeAt(*s.smallest);
  } else {
    line += "；没有一条记录有流量";
  }
  if (s.mean && s.volume) {
    line += "；平均流量 " + YearbookNumber(*s.mean) + " m³/s，径流量 " +
            YearbookNumber(*s.volume / 1e4) + " 万m³";
  }
  return line + "。";
}

std::string ViewerController::summary() const {
  if (!content_.analysis || !content_.checks) return {};
  return RatingSummary(*content_.analysis, *content_.checks);
}

std::vector<ViewerTableColumn> ViewerController::Table() const {
  const size_t shown =
      params_.zones.empty() ? kPlainColumns : std::size(kColumns);
  std::vector<ViewerTableColumn> table;
  for (size_t c = 0; c < shown; ++c) {
    const Column& column = kColumns[c];
    std::vector<double> values;
    values.reserve(content_.rows.size());
    for (const HydraulicRow& row : content_.rows) {
      values.push_back(row.*column.value);
    }
    const int decimals =
        ColumnDecimals(values, column.decimals, column.max_decimals);
    ViewerTableColumn& out = table.emplace_back();
    out.head = column.head;
    for (double value : values) {
      // No flow has no equivalent roughness.
      out.cells.push_back(std::isnan(value) ? std::string()
                                            : FixedText(value, decimals));
    }
  }
  return table;
}

bool ViewerController::CanSave(ViewerFile file) const {
  switch (file) {
    case ViewerFile::kPng:
    case ViewerFile::kSvg:
      return !content_.section.points.empty();
    case ViewerFile::kCsv:
      return HasTable();
    case ViewerFile::kReport:
      return content_.analysis.has_value() && content_.checks.has_value();
    case ViewerFile::kFlowTable:
      return flow_.has_value();
  }
  return false;
}

bool ViewerController::CanImport() const {
  // Checking the gaugings takes one roughness for the whole section.
  return HasTable() && rating_.has_value() && params_.zones.empty();
}

std::string ViewerController::ImportHint() const {
  return params_.zones.empty() ? std::string()
                               : "分区糙率时暂不能导入实测流量率定糙率";
}

SaveDialogRequest ViewerController::SaveDialog(ViewerFile file) const {
  const FileKind& kind = KindOf(file);
  SaveDialogRequest request{
      file,          kind.caption, {}, kind.filter_text, kind.filter_pattern,
      kind.extension};
  if (file == ViewerFile::kFlowTable) {
    if (!stage_record_path_.empty()) {
      request.suggested = FlowTablePath(stage_record_path_);
    }
  } else if (!params_.data_file_path.empty()) {
    request.suggested =
        file == ViewerFile::kReport
            ? RatingReportPath(params_.data_file_path)
            : RatingFilePath(params_.data_file_path, kind.extension);
  }
  return request;
}

void ViewerController::PressSave(ViewerFile file) {
  if (!CanSave(file)) return;
  const std::string path = view_.ChooseSavePath(SaveDialog(file));
  if (path.empty()) return;
  SaveTo(file, path);
}

namespace {

// The view's figure as the output service asks for it: the viewer's own
// charts, drawn by the window's painter.
class ViewFigureRenderer : public FigureRenderer {
 public:
  ViewFigureRenderer(ViewerView& view, const ViewerContent& content)
      : view_(view), content_(content) {}

  Status Render(const FigureRequest& request, std::string* bytes) override {
    const ViewerFile file =
        request.format == "png" ? ViewerFile::kPng : ViewerFile::kSvg;
    return view_.FigureBytes(file, content_, request.title, bytes);
  }

 private:
  ViewerView& view_;
  const ViewerContent& content_;
};

}  // namespace

bool ViewerController::SaveTo(ViewerFile file, const std::string& path) {
  if (!CanSave(file)) return false;
  // The rating shown; a section that could not be rated is drawn alone.
  Rating section_only;
  if (!rating_) {
    section_only.section = content_.section;
    section_only.params = params_;
  }
  const OutputSource source = {
      .rating = rating_ ? &*rating_ : &section_only,
      .analysis = content_.analysis ? &*content_.analysis : nullptr,
      .checks = content_.checks ? &*content_.checks : nullptr,
      .gaugings_path = gaugings_path_,
      // The time of the save: the viewer's table is computed anew each time
      // it is shown.
      .run_time = hooks_.now(),
      .stage_record_path = stage_record_path_,
      .stage_readings = flow_ ? std::span<const StageReading>(stage_readings_)
                              : std::span<const StageReading>(),
      .flow = flow_ ? &*flow_ : nullptr,
  };
  ViewFigureRenderer figures(view_, content_);
  // The save dialog has asked before replacing a file; still only a file of
  // ours is replaced, as on the command line.
  const Status saved = SaveOutput(KindOf(file).own, source, path,
                                  file == ViewerFile::kPng ? "png" : "svg",
                                  &figures, hooks_.save);
  if (!saved.ok()) {
    status_.clear();
    view_.Refresh();
    sink_.ShowWarning(saved.message(), kViewerSaveFailedTitle);
    return false;
  }
  status_ = "已保存到 " + path;
  view_.Refresh();
  return true;
}

}  // namespace xsrating
