// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_FORM_VIEWER_H_
#define XSRATING_FORM_VIEWER_H_

// The viewer of a section and its curves, whatever it is drawn with: what it
// shows, its lines, its table's texts, the import of gaugings and the saves.
// A window renders the controller's state and forwards its buttons; it draws
// the charts itself (a figure file's bytes come from the window's painter).

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/date_time.h"
#include "core/base/status.h"
#include "core/base/types.h"
#include "core/calibration/rating_analysis.h"
#include "core/calibration/rating_checks.h"
#include "core/flow/yearbook.h"
#include "core/hydraulics/hydraulic_table.h"
#include "core/hydraulics/rating.h"
#include "core/hydraulics/roughness_zones.h"
#include "core/input/cross_section.h"
#include "core/run/run.h"
#include "core/run/survey_outputs.h"
#include "figure/figure_request.h"
#include "form/inputs.h"

namespace xsrating {

// What the viewer is asked to show: the main window's parameters as they
// stand, and its boxes that are empty or hold no number (their values in
// `parameters` are then stale or unset and are not used).
struct ViewRequest {
  RunParameters parameters;
  InputProblems problems;
};

// What the viewer shows: the survey and, when it could be computed, its
// table. With no rows the curves stay empty and the section has no water.
struct ViewerContent {
  CrossSection section;
  std::vector<HydraulicRow> rows;
  // The roughness zones on the section when its roughness varies across it.
  std::vector<AppliedZone> zones;
  // The table checked against gaugings, and its tests at the default levels;
  // both or neither.
  std::optional<RatingAnalysis> analysis;
  std::optional<RatingChecks> checks;
  // The line above a figure file that says what it shows (RatingHeading).
  std::string heading;
  // The stage record's discharges as the hydrograph draws them, when one was
  // converted by the rating shown.
  std::optional<figure::Hydrograph> hydrograph;
};

// The files the viewer saves.
enum class ViewerFile { kPng, kSvg, kCsv, kReport, kFlowTable };

// What a save dialog offers: its caption, the suggested path (empty without
// a survey), the filter's text ("PNG 图片 (*.png)") and pattern ("*.png"),
// and the extension a name typed without one gets (".png"). UTF-8.
struct SaveDialogRequest {
  ViewerFile file = ViewerFile::kPng;
  std::string caption;
  std::string suggested;
  std::string filter_text;
  std::string filter_pattern;
  std::string extension;
};

// What an open dialog (for gaugings or a stage record) offers: caption, the
// folder it opens in (the survey's, empty without one) and its filters as text
// and pattern.
struct OpenDialogRequest {
  std::string caption;
  std::string folder;
  struct Filter {
    std::string text;     // "文本文件 (*.txt *.csv)"
    std::string pattern;  // "*.txt;*.csv"
  };
  std::vector<Filter> filters;
};

// Message box titles of the viewer.
inline constexpr char kViewerSaveFailedTitle[] = "保存未完成";
inline constexpr char kViewerImportFailedTitle[] = "实测流量未能导入";
inline constexpr char kViewerFlowFailedTitle[] = "流量未能推求";
// The viewer's caption without a survey; with one, " - name.txt" follows.
inline constexpr char kViewerCaption[] = "断面与水位流量关系";

// The viewer window as the controller sees it. Every call comes on the
// window's own thread, from a controller call.
class ViewerView {
 public:
  virtual ~ViewerView() = default;
  // Shows the controller's state anew: caption, lines, charts, table and
  // which buttons work.
  virtual void Refresh() = 0;
  // Asks for a file to open (gaugings, a stage record); its path (UTF-8), empty
  // when cancelled.
  virtual std::string ChooseOpenPath(const OpenDialogRequest& request) = 0;
  // Asks where to save; the path (UTF-8), empty when cancelled. The dialog
  // asks before replacing a file.
  virtual std::string ChooseSavePath(const SaveDialogRequest& request) = 0;
  // The bytes of the figure file `file` (kPng or kSvg) of `content`, titled
  // `title` (the file's name without folder or extension), as the window
  // draws it. Fails with the painter's message.
  virtual Status FigureBytes(ViewerFile file, const ViewerContent& content,
                             const std::string& title, std::string* bytes) = 0;
};

// The viewer's hooks into the world, replaceable in tests.
struct ViewerHooks {
  // The time a report is saved; CurrentLocalTime by default.
  std::function<LocalDateTime()> now;
  // Stores a saved file's bytes by its kind; SaveOwnFile by default.
  SaveFn save;
};

// One column of the viewer's table: its head with the unit after a line
// break ("水位\n(m)"), and each row's text with the column's decimals
// (ColumnDecimals), empty where the value is not a number (no flow has no
// equivalent roughness).
struct ViewerTableColumn {
  std::string head;
  std::vector<std::string> cells;
};

// The places a table column shows: `decimals`, or more up to `max_decimals`
// when some value needs them to show exactly.
int ColumnDecimals(const std::vector<double>& values, int decimals,
                   int max_decimals);

// A rectangle of screen pixels.
struct ScreenRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

// The viewer's size when the screen has room for it, in logical pixels.
inline constexpr int kViewerPreferredWidth = 1100;
inline constexpr int kViewerPreferredHeight = 860;

// Where the viewer's frame opens: its `preferred` size grown by the frame's
// margins, but never larger than the screen's `available` area, centred over
// the `owner` window's frame and moved wholly onto the available area (the
// top edge, with the caption, last).
struct FrameMargins {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};
ScreenRect ViewerFrame(int preferred_width, int preferred_height,
                       const ScreenRect& available, const ScreenRect& owner,
                       const FrameMargins& frame);

// The viewer's state and its buttons:
//  - Show() reads the survey and computes the table the way the start button
//    does, but writes no file and shows no message box:
//    - a survey that cannot be read leaves the viewer empty and the message
//      line holds the reader's own message;
//    - with a box empty or not a number, or a failed computation, only the
//      section is shown and the line says what is missing ("只画出了断面。"
//      and the reason);
//    - otherwise the section with the water of the top stage, the curves and
//      the table. A stage count above 100 is taken as 20, as the run's guard
//      would, without touching the caller's parameters; the line says so,
//      then gives the rating's warnings and, with gaugings,
//      ExtensionWarning's.
//    Each Show() replaces what was shown before and checks the new table
//    against the last gaugings imported; a failure then goes to the line.
//    With roughness zones the gaugings are forgotten and cannot be imported
//    (they are checked against one roughness).
//  - ImportGaugings() checks the rating shown against a gaugings file; a
//    failure is told through the sink and everything shown stays, the
//    gaugings checked before included.
//  - ConvertStageRecord() reads a stage record and turns it into discharges
//    by the rating shown (the calibrated roughness once gaugings are
//    checked), as the command line's --stage-record does: the hydrograph,
//    the flow summary line and the record's warnings on the red line. A
//    record that cannot be read or converted is told through the sink and
//    what was shown stays. The readings are kept: each later Show() or
//    import converts them again by the new rating, so the discharges always
//    belong to the table shown; without a table there are none.
//  - Save() writes a file through the one output service (SaveOutput),
//    replacing only a file of ours, and says where on the status line; a
//    failure is told through the sink with the saver's message and the status
//    line is cleared.
class ViewerController {
 public:
  // `view` and `sink` must outlive the controller.
  ViewerController(ViewerView& view, MessageSink& sink, ViewerHooks hooks = {});

  void Show(const ViewRequest& request);

  // The import button (导入实测流量…): asks the view for a file, then
  // ImportGaugings().
  void PressImport();
  // Checks the rating shown against the gaugings at `path` (UTF-8), as the
  // command line's --gaugings does; the survey is not read again.
  void ImportGaugings(const std::string& path);

  // A save button: asks the view where, then saves there.
  void PressSave(ViewerFile file);
  // Saves `file` at `path`. Returns whether it was saved.
  bool SaveTo(ViewerFile file, const std::string& path);

  // The button 推求流量…: asks the view for a stage record, then
  // ConvertStageRecord().
  void PressConvert();
  // Reads the stage record at `path` (UTF-8) and converts it.
  void ConvertStageRecord(const std::string& path);

  // The state the view renders.
  const ViewerContent& content() const { return content_; }
  // The window's caption: kViewerCaption, " - " and the survey's name.
  const std::string& caption() const { return caption_; }
  // The red line above the charts; empty when everything could be shown.
  std::string message() const;
  // The gaugings' summary line (RatingSummary); empty without gaugings.
  std::string summary() const;
  // The stage record's line: its readings, the days with a mean and the
  // 缺测 ones, the largest and smallest discharge with their times, the mean
  // discharge and the volume, discharges as yearbooks print them; empty
  // without a converted record.
  std::string flow_summary() const;
  // Where the last save went ("已保存到 …"); empty before one and after a
  // failed one.
  const std::string& status() const { return status_; }
  // The table: the plain columns, and with zones the equivalent roughness
  // and the energy coefficient; no cells without rows.
  std::vector<ViewerTableColumn> Table() const;
  bool HasTable() const { return !content_.rows.empty(); }
  bool CanSave(ViewerFile file) const;
  bool CanImport() const;
  // Whether 推求流量… works: there is a rating to convert by.
  bool CanConvert() const { return rating_.has_value(); }
  // Why the import button does not work, for its tooltip; empty when it
  // does or when the reason is plain (no table).
  std::string ImportHint() const;
  // The parameters the table was computed with (the stage count as the
  // guard left it).
  const RunParameters& parameters() const { return params_; }
  const std::string& gaugings_path() const { return gaugings_path_; }
  // The stage record converted, as chosen; empty before one.
  const std::string& stage_record_path() const { return stage_record_path_; }
  // Its discharges by the rating shown; none without.
  const std::optional<StageRecordFlow>& flow() const { return flow_; }

  // The dialogs' requests, as PressImport(), PressConvert() and PressSave()
  // make them.
  OpenDialogRequest ImportDialog() const;
  OpenDialogRequest StageRecordDialog() const;
  SaveDialogRequest SaveDialog(ViewerFile file) const;

 private:
  Status CheckGaugings(const std::string& path);
  // The discharges of `readings` by the rating shown (which there is).
  Status FlowOf(const std::vector<StageReading>& readings,
                StageRecordFlow* flow) const;
  // Converts the kept readings by the rating shown into `flow_` and the
  // hydrograph; none without a rating, and flow_message_ says why when the
  // conversion fails.
  void ConvertKeptRecord();

  ViewerView& view_;
  MessageSink& sink_;
  ViewerHooks hooks_;
  ViewerContent content_;
  std::string caption_ = kViewerCaption;
  // The line of the table shown, less the gaugings' warning.
  std::string table_message_;
  std::string status_;
  // The rating shown, when it could be computed, and the parameters it was
  // computed with: what the gaugings are checked against.
  std::optional<Rating> rating_;
  RunParameters params_;
  std::string gaugings_path_;
  // The stage record as read when it was chosen, and its discharges.
  std::string stage_record_path_;
  std::vector<StageReading> stage_readings_;
  std::optional<StageRecordFlow> flow_;
  // Why the kept record could not be converted by the table shown.
  std::string flow_message_;
};

}  // namespace xsrating

#endif  // XSRATING_FORM_VIEWER_H_
