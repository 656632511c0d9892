// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_FORM_FORM_CONTROLLER_H_
#define XSRATING_FORM_FORM_CONTROLLER_H_

// The main window's state and its handlers, whatever the window is drawn
// with: the three boxes and their marks, the roughness zones that replace the
// roughness box, the chosen survey, and what each control's event does. A
// window creates its controls from the layout (form/layout.h), forwards
// their events here by the controls' names, and renders the answers that
// come through FormView.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/base/types.h"
#include "core/run/run.h"
#include "form/inputs.h"
#include "form/viewer.h"

namespace xsrating {

// The roughness zones as the zones dialog edits them; no zones is one
// roughness for the whole section, from the roughness box.
struct ZonesChoice {
  std::vector<RoughnessZone> zones;
  ZoneMethod method = ZoneMethod::kSubsection;
};

// The main window as the controller sees it.
class FormView {
 public:
  virtual ~FormView() = default;
  // Shows `text` (UTF-8) in the box of `box`; the change does not come back
  // as an edit.
  virtual void SetBoxText(InputBox box, const std::string& text) = 0;
  // Marks the box of `box` as holding no number (`holds_number` false), with
  // NotANumberHint for its tip, or takes the mark away.
  virtual void MarkBox(InputBox box, bool holds_number) = 0;
  // Lets the box of `box` be typed in, or not.
  virtual void EnableBox(InputBox box, bool enabled) = 0;
  // Puts the focus in the box of `box` with its whole text selected.
  virtual void FocusBox(InputBox box) = 0;
  // Lists the survey's folder as it is now, after a run.
  virtual void RefreshFiles() = 0;
  // Shows the viewer for `request`: one window, opened on the first call
  // and brought to the front and refreshed on each later one.
  virtual void OpenViewer(const ViewRequest& request) = 0;
  // Opens the zones dialog over the window, its file dialogs starting in
  // `folder`, on `choice`; returns whether OK took it, with `choice` then
  // holding what it took.
  virtual bool OpenZonesDialog(const std::string& folder,
                               ZonesChoice* choice) = 0;
  // Ends the window (结束).
  virtual void Close() = 0;
};

// The main window's controller:
//  - an edit of a box applies its text to the parameters (ApplyBoxText) and
//    marks the box while its text is not a number;
//  - 开始 runs with the parameters (PressStart): a box at fault gets the
//    focus, and after a run the file list is listed anew;
//  - 请看地形文件格式帮助 tells the survey's format, 结束 closes;
//  - choosing a file sets the survey's path;
//  - 查看断面与曲线 opens the viewer for the parameters as they stand, with
//    the boxes at fault, changing nothing;
//  - 分区糙率… opens the zones dialog in the survey's folder; while zones are
//    set the roughness box shows ZonesBoxText, cannot be typed in and is not
//    marked, its typed text kept for when the zones are cleared.
class FormController {
 public:
  // `view` and `sink` must outlive the controller; `hooks` are the run's.
  FormController(FormView& view, MessageSink& sink, RunHooks hooks = {});

  // The box of `box` now holds `text` (UTF-8), typed or pasted.
  void OnBoxEdited(InputBox box, const std::string& text);
  // The control named `name` in the layout was pressed (a button). Returns
  // false when no button of the form has that name.
  bool OnButtonPressed(std::string_view name);
  // The file list's `name` (UTF-8) was chosen in `folder`, whose names are
  // set apart by `separator`.
  void OnFileChosen(std::string_view folder, std::string_view name,
                    char separator);
  // The survey at `path` (UTF-8) was chosen, by a chooser that joins the
  // path itself (JoinDataFilePath).
  void SetDataFile(std::string path) {
    params_.data_file_path = std::move(path);
  }

  void PressStart();
  void PressHelp();
  void PressView();
  void PressZones();
  // Sets the roughness zones, as OK in the zones dialog does.
  void SetZones(ZonesChoice choice);

  const RunParameters& parameters() const { return params_; }
  // Whether the box of `box` is unmarked: its text is a number, or zones
  // replace it.
  bool HoldsNumber(InputBox box) const;
  // The boxes' texts as typed; the roughness's is kept while zones replace
  // it.
  BoxTexts Texts() const;

 private:
  FormView& view_;
  MessageSink& sink_;
  RunHooks hooks_;
  RunParameters params_;
  // In the order of kInputBoxes.
  std::string texts_[3];
  bool holds_number_[3] = {true, true, true};
};

// `text` with every line break it holds (a lone CR, CR LF or LF) written as
// `line_break`, for a message box that breaks lines only at that.
std::string WithLineBreaks(std::string_view text, std::string_view line_break);

}  // namespace xsrating

#endif  // XSRATING_FORM_FORM_CONTROLLER_H_
