// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_WIN32_VIEWER_WINDOW_H_
#define XSRATING_WIN32_VIEWER_WINDOW_H_

// The viewer of a section and its curves on Windows (查看断面与曲线): the
// system's own controls over the form layer's viewer controller, and the
// charts of the figure layer drawn by the GDI+ painter. It holds no rule of
// its own: what is shown, its lines, the table's texts, the import and the
// saves with their messages are the controller's.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/status.h"
#include "core/run/run.h"
#include "figure/layout.h"
#include "form/viewer.h"

namespace xsrating {

// The dialogs the viewer asks with; tests replace them.
struct ViewerWindowHooks {
  // The open dialog for gaugings and stage records; GetOpenFileNameW by
  // default.
  std::function<std::string(HWND owner, const OpenDialogRequest&)> choose_open;
  // The save dialog, which asks before replacing a file; GetSaveFileNameW by
  // default.
  std::function<std::string(HWND owner, const SaveDialogRequest&)> choose_save;
  // The controller's clock and save.
  ViewerHooks viewer;
  // Where the viewer's messages go (it must outlive the viewer); a message
  // box owned by the viewer when null.
  MessageSink* sink = nullptr;
};

// A resizable top-level window over the screen's work area, laid out as the
// Linux viewer:
//  - the red warnings line on top, shown when there is one;
//  - the section's chart beside the full hydraulic table (a report-view list
//    with the units in the column heads), and below them the other charts
//    side by side; with a stage record, tabs above them choose between them
//    and the hydrograph across the whole width (turned to when the record is
//    converted); without a table the section has the whole room;
//  - the gaugings' summary line and the stage record's; a row of the
//    buttons 导入实测流量…, 保存率定表 (CSV)…, 推求流量… and
//    保存流量表 (CSV)…; at the bottom, where the last save went and the
//    buttons 保存图 (PNG)…, 保存图 (SVG)… and 保存表 (CSV)…. Each button
//    works when the controller says.
// The charts are laid out for the client area's size in units of the
// window's dots per inch, again on every resize and when the window moves to
// a screen of another scale, and painted through a back buffer. Esc closes
// the window; Enter presses the focused button.
class ViewerWindow final : public ViewerView {
 public:
  // Creates the window, not shown yet, owned by nobody (it has a taskbar
  // button of its own) but placed over `owner`. Null when the window cannot
  // be created or GDI+ cannot start.
  static std::unique_ptr<ViewerWindow> Create(HINSTANCE instance, HWND owner,
                                              ViewerWindowHooks hooks = {});
  ~ViewerWindow() override;
  ViewerWindow(const ViewerWindow&) = delete;
  ViewerWindow& operator=(const ViewerWindow&) = delete;

  // Null once the window has been closed.
  HWND hwnd() const { return hwnd_; }
  // The control named "Message", "Summary", "FlowSummary", "Status",
  // "Table", "Tabs", "ImportGaugings", "SaveReport", "ConvertFlow",
  // "SaveFlowTable", "SavePng", "SaveSvg" or "SaveCsv"; null for another name.
  HWND Control(std::string_view name) const;
  ViewerController& controller() { return *controller_; }
  // The charts shown, as last laid out, in units (one unit is a pixel at 96
  // dpi).
  const std::vector<figure::ChartLayout>& charts() const { return charts_; }
  // The pixels a unit is at the window's dots per inch.
  double scale() const { return scale_; }

  // Computes and shows `request` (ViewerController::Show).
  void Show(const ViewRequest& request);

  // ViewerView.
  void Refresh() override;
  std::string ChooseOpenPath(const OpenDialogRequest& request) override;
  std::string ChooseSavePath(const SaveDialogRequest& request) override;
  Status FigureBytes(ViewerFile file, const ViewerContent& content,
                     const std::string& title, std::string* bytes) override;

 private:
  explicit ViewerWindow(ViewerWindowHooks hooks);

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam,
                                     LPARAM lparam);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  // The class's window procedure (win32/window_proc.h) sets hwnd_ and calls
  // Handle.
  template <typename Window>
  friend LRESULT DispatchToWindow(HWND hwnd, UINT message, WPARAM wparam,
                                  LPARAM lparam);
  void CreateControls();
  void MakeFonts(UINT dpi);
  // Places the controls and lays the charts out for the client area.
  void LayOut();
  // Lays the charts out between `top` and `bottom` (pixels of the client
  // area), and places the table and the tabs beside and above them.
  void PlaceCharts(int top, int bottom);
  void FillTable();
  void Paint();
  void OnCommand(int id, int code);

  std::unique_ptr<MessageSink> own_sink_;
  MessageSink* sink_;
  ViewerWindowHooks hooks_;
  std::unique_ptr<ViewerController> controller_;
  HWND hwnd_ = nullptr;
  std::vector<HWND> controls_;  // In the order of kViewerControls.
  HFONT font_ = nullptr;
  UINT dpi_ = 96;
  double scale_ = 1;
  std::vector<figure::Chart> made_charts_;  // Of the content shown.
  std::vector<figure::ChartLayout> charts_;
  bool showed_hydrograph_ = false;  // At the last Refresh.
};

}  // namespace xsrating

#endif  // XSRATING_WIN32_VIEWER_WINDOW_H_
