// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_UI_RATING_VIEWER_H_
#define XSRATING_UI_RATING_VIEWER_H_

// A window that shows a section's rating before (or instead of) writing the
// result file: the figure, the full hydraulic table, and buttons that save
// the figure as PNG or SVG and the table as CSV.

#include <QMargins>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/base/types.h"
#include "core/calibration/rating_analysis.h"
#include "core/calibration/rating_checks.h"
#include "core/hydraulics/rating.h"
#include "core/run/run.h"
#include "figure/figure_request.h"
#include "form/inputs.h"
#include "form/viewer.h"
#include "ui/message_box_sink.h"

class QLabel;
class QPushButton;
class QSplitter;
class QTabWidget;
class QTableWidget;

namespace xsrating {

class ChartView;

// Where the viewer opens (the rectangle inside its frame): ViewerFrame of its
// `preferred` size on the screen's `available` area over the `owner`
// window's frame, less the frame.
QRect ViewerGeometry(const QSize& preferred, const QRect& available,
                     const QRect& owner, const QMargins& frame);

// Asks where to save a file: the parent, the dialog's caption, the suggested
// path, the name filter and the extension given to a name typed without one
// ("png"); returns the chosen path, empty when cancelled.
using SavePathChooser = std::function<QString(
    QWidget* parent, const QString& caption, const QString& suggested,
    const QString& filter, const QString& default_suffix)>;

// The viewer's window over its controller (ViewerController, whose rules
// these are): Show() reads the survey and computes the table the way the
// start button does, but writes no file and shows no message box:
//  - the survey at parameters.data_file_path is read; if it cannot be, the
//    window is empty and its message line holds the reader's own message;
//  - the section is drawn; if a box is empty or not a number, or the
//    computation fails, only the section is shown and the line says what is
//    missing ("只画出了断面。" and the reason);
//  - otherwise the section with the water of the top stage, the two curves
//    and the table are shown. A stage count above 100 is taken as 20, as the
//    run's guard would, without touching the caller's parameters; the line
//    says so, and then gives the rating's warnings (RatingWarnings: water
//    over an end of the section, an unusual roughness or slope) and, with
//    gaugings, ExtensionWarning's.
// The message line is above the charts and hidden while empty. The table
// shows each column with fixed decimals (ColumnDecimals), right-aligned.
// With roughness zones in the parameters the section marks them, the table
// and the saved CSV add the equivalent roughness and the energy coefficient,
// and the gaugings cannot be imported (they are checked against one
// roughness).
// Each Show() replaces what was shown before. Saving writes the file
// atomically and says where on the status line beside the buttons; a failure
// is told through the sink with the saver's message.
// The charts are figure::MakeFigureCharts', each in a ChartView named by the
// chart's id, so that a saved figure holds what the window shows.
// Children are named for tests: "Message", "Status", "SectionChart",
// "DischargeChart", "AreaChart", "Table", "SavePng", "SaveSvg", "SaveCsv", for
// the gaugings "ImportGaugings", "RoughnessChart", "DeviationChart",
// "GaugingsSummary", "SaveReport", and for the stage record "ConvertFlow",
// "HydrographChart" (on a tab of "Lower" beside the curves), "FlowSummary",
// "SaveFlowTable".
class RatingViewer : public QWidget, private ViewerView {
  Q_OBJECT

 public:
  // Messages go to `sink` when one is given (it must outlive the viewer),
  // otherwise to message boxes over the viewer itself, so that the window
  // the user works in stays in front. `choose_path` defaults to the save
  // dialog of ChooseSavePath.
  explicit RatingViewer(MessageSink* sink, SavePathChooser choose_path = {},
                        QWidget* parent = nullptr);

  void Show(const ViewRequest& request);

  // Sizes and places the window for opening over `owner`: ViewerGeometry on
  // the available area of the owner's screen.
  void PlaceOver(const QWidget* owner);

  // Checks the rating shown against the gaugings file at `path` (UTF-8), as
  // xsrating-cli --gaugings does; the survey is not read again, so a survey
  // changed on disk since Show() changes nothing until the next Show(). The
  // stage-discharge chart then shows the gaugings and the calibrated curve, a
  // further chart the back-calculated roughness, another the deviations, and
  // a line the summary (RatingSummary, with the tests at their default
  // levels); the report can be saved. A failure is told through the sink and
  // leaves everything shown as it was, the gaugings checked before included.
  // Later Show() calls check their table against the last file imported; a
  // failure then goes to the message line. The button "导入实测流量…" asks
  // for the file and calls this.
  void ShowGaugings(const std::string& path);
  // Reads the stage record at `path` (UTF-8) and turns it into discharges
  // by the rating shown, as xsrating-cli --stage-record does: the hydrograph
  // on a tab beside the curves' (turned to), the flow summary line, the
  // record's warnings on the message line; the flow table can be saved. A
  // failure is told through the sink and leaves everything shown. The button
  // "推求流量…" asks for the file and calls this.
  void ShowStageRecord(const std::string& path);

  // What the figure and the table show now.
  const figure::FigureRequest& figure() const { return figure_; }
  const ViewerController& controller() const { return *controller_; }
  // The message line; empty when everything could be shown.
  QString message() const;
  // The status line: where the last save went; empty before one.
  QString status() const;

  // The table checked against the gaugings; none without them.
  const std::optional<RatingAnalysis>& analysis() const {
    return controller_->content().analysis;
  }
  // Its tests, at the default levels; none without gaugings.
  const std::optional<RatingChecks>& checks() const {
    return controller_->content().checks;
  }

 private:
  // ViewerView.
  void Refresh() override;
  std::string ChooseOpenPath(const OpenDialogRequest& request) override;
  std::string ChooseSavePath(const SaveDialogRequest& request) override;
  Status FigureBytes(ViewerFile file, const ViewerContent& content,
                     const std::string& title, std::string* bytes) override;

  void ShowCharts();
  // Adds the hydrograph's tab, and turns to it, or takes it away.
  void ShowHydrographTab(bool shown);
  void FillTable();

  std::unique_ptr<MessageBoxSink> own_sink_;
  MessageSink* sink_;
  SavePathChooser choose_path_;
  std::unique_ptr<ViewerController> controller_;
  // What the charts show: the controller's content as the figure draws it.
  figure::FigureRequest figure_;
  QLabel* message_ = nullptr;
  QLabel* status_ = nullptr;
  ChartView* section_view_ = nullptr;
  QSplitter* curves_ = nullptr;  // The views of the other charts.
  ChartView* hydrograph_view_ = nullptr;
  // The curves and, with a stage record, the hydrograph, a tab each.
  QTabWidget* lower_ = nullptr;
  QTableWidget* table_ = nullptr;
  QPushButton* save_png_ = nullptr;
  QPushButton* save_svg_ = nullptr;
  QPushButton* save_csv_ = nullptr;
  QLabel* summary_ = nullptr;
  QPushButton* import_gaugings_ = nullptr;
  QPushButton* save_report_ = nullptr;
  QLabel* flow_summary_ = nullptr;
  QPushButton* convert_flow_ = nullptr;
  QPushButton* save_flow_table_ = nullptr;
};

}  // namespace xsrating

#endif  // XSRATING_UI_RATING_VIEWER_H_
