// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_UI_FORM1_H_
#define XSRATING_UI_FORM1_H_

#include <QPointer>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "core/base/types.h"
#include "core/run/run.h"
#include "form/inputs.h"
#include "ui/data_file_chooser.h"

class QLineEdit;

namespace xsrating {

class MessageBoxSink;
class RatingViewer;

// The program's window. It owns the run's parameters for its whole life:
//  - Text1 (roughness) and Text3 (stage count) convert their text on every
//    edit with the regional decimal separator. A text that is not a number
//    (an emptied box, a lone sign or decimal point while typing) leaves the
//    last valid value in the parameters; the parameters' value stays 0 while
//    the box was never edited. Text2 (slope) is kept exactly as typed.
//    Any of the three whose text is not a number is marked with a red frame
//    and a tooltip while it stays so.
//  - The drive, folder and file lists choose the survey file.
//  - Command1 runs the computation with the parameters. While a box is empty
//    or holds a non-number it shows one warning naming every such box instead
//    and puts the focus in the first. A failed run is reported with the core's
//    message and the window stays usable; after a run the file list shows the
//    folder as it is now.
//  - Command2 and closing the window end the program; Command3 shows the
//    survey file's format.
//  - Command4 opens the viewer of the section and its curves (one window,
//    brought back and refreshed on each press) for the parameters as they
//    stand; it writes no file and changes no parameter.
//  - Command5 opens the roughness zones (ZonesDialog). While zones are set,
//    Text1 is disabled and says so, its typed text kept for when the zones
//    are cleared, and the start and view buttons use the zones.
//  - Enter or Return on a focused button presses it, as Space does.
// Controls are named as in the layout (Text1, Command1, Dir1, ...), so they
// can be found with findChild.
class Form1 : public QWidget {
  Q_OBJECT

 public:
  // Every message goes to `sink` when one is given (it must outlive the
  // window), else to message boxes owned by the window. `drives` tells the
  // drive list where the drives come from. The lists open on the process's
  // current folder.
  explicit Form1(MessageSink* sink = nullptr, DriveHooks drives = {},
                 QWidget* parent = nullptr);
  ~Form1() override;

  const RunParameters& parameters() const { return parameters_; }
  // Sets the roughness zones (empty: one roughness, from Text1), as OK in the
  // zones dialog does.
  void SetZones(std::vector<RoughnessZone> zones, ZoneMethod method);

 private:
  // A parameter box and whether its text is a number.
  struct NumberBox {
    QLineEdit* edit = nullptr;
    InputBox box = InputBox::kRoughness;
    bool holds_number = true;
  };

  void BuildControls(DriveHooks drives);
  void OnNumberEdited(NumberBox& box);
  BoxTexts Texts() const;
  void OnStartClicked();
  void OnViewClicked();
  void OnZonesClicked();

  RunParameters parameters_;
  std::unique_ptr<MessageBoxSink> own_sink_;
  MessageSink* sink_;
  // In the order of kInputBoxes.
  NumberBox boxes_[3];
  DataFileChooser* chooser_ = nullptr;
  QPointer<RatingViewer> viewer_;
  QString typed_roughness_;  // Text1's own text while zones replace it.
};

}  // namespace xsrating

#endif  // XSRATING_UI_FORM1_H_
