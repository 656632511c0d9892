// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_WIN32_FORM1_WINDOW_H_
#define XSRATING_WIN32_FORM1_WINDOW_H_

// The program's window on Windows, drawn with the system's own controls over
// the form layer. It holds no rule of its own: the boxes, the buttons, the
// texts and the chooser's rules are the form layer's.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/types.h"
#include "core/run/run.h"
#include "form/chooser_rules.h"
#include "form/inputs.h"
#include "form/layout.h"

namespace xsrating {

// Whether the window on Windows has `control`: not the buttons of the Qt
// windows (the viewer, the roughness zones).
bool OnWindows(const ControlLayout& control);

// Tells the user something in a message box owned by a window: the warning
// icon, the title, the text (a lone CR between lines is a line break) and one
// OK button. Returns when the box is dismissed.
class WarningBoxSink : public MessageSink {
 public:
  explicit WarningBoxSink(HWND owner) : owner_(owner) {}
  void ShowWarning(const std::string& text, const std::string& title) override;

 private:
  HWND owner_;
};

// What the window learns from the system; tests replace them.
struct WindowHooks {
  // The drives' roots ("C:\"); every drive letter there is by default.
  std::function<std::vector<std::wstring>()> drives;
  // Whether a drive can be read now (a removable drive without its medium
  // cannot), and its volume label, empty when it tells none; by default from
  // GetVolumeInformationW, else from whether its root can be read.
  std::function<bool(const std::wstring& root, std::wstring* label)> volume;
  // The run's clock and save; RunComputation's own by default.
  RunHooks run;
};

// Form1 with the layout's controls at their twips scaled to the window's dots
// per inch (and laid out again when the window moves to a screen of another
// scale), the layout's typefaces, the tab order with Dir1 focused first, and:
//  - the three boxes apply their texts to the parameters on every edit; a box
//    whose text is not a number is tinted, and when the focus leaves it a
//    balloon says what it should hold;
//  - Drive1 lists the drives with their labels; choosing one makes it the
//    process's current drive and shows its current folder; a drive that is
//    not ready is told and the previous one stays chosen;
//  - Dir1 lists the way from the drive's root to the folder shown and the
//    folder's subfolders; selecting a row lists its "*.txt" files in File1,
//    and a double click or Enter opens it;
//  - selecting a file in File1 sets the survey's path;
//  - 开始 and 请看地形文件格式帮助 call the form layer's commands; after a run
//    File1 shows the folder as it is now; 结束 and closing destroy the
//    window;
//  - Enter presses the focused button, as Space does.
// The buttons of the viewer and the roughness zones are left out.
class Form1Window {
 public:
  // Creates the window, not shown yet, over the process's current folder.
  // Messages go to `sink` when given (it must outlive the window), else to
  // WarningBoxSink. Null when the window cannot be created.
  static std::unique_ptr<Form1Window> Create(HINSTANCE instance,
                                             MessageSink* sink = nullptr,
                                             WindowHooks hooks = {});
  ~Form1Window();
  Form1Window(const Form1Window&) = delete;
  Form1Window& operator=(const Form1Window&) = delete;

  HWND hwnd() const { return hwnd_; }
  // The control named as in the layout ("Text1"); null when there is none.
  HWND Control(std::string_view name) const;
  const RunParameters& parameters() const { return parameters_; }
  // Whether the box of `box` holds a number (it is not marked).
  bool HoldsNumber(InputBox box) const;
  // The folder File1 lists, in UTF-8.
  const std::string& folder() const { return folder_; }

  // Ends the message loop when the window is destroyed.
  void QuitOnDestroy() { quit_on_destroy_ = true; }

 private:
  Form1Window(MessageSink* sink, WindowHooks hooks);

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam,
                                     LPARAM lparam);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  void CreateControls();
  // Places every control and makes the fonts for `dpi`.
  void LayOut(UINT dpi);
  void OnCommand(int id, int code, HWND control);
  void OnBoxEdited(size_t index);
  void OnStart();
  void PressFocusedButton();

  void FillDrives();
  void OnDriveChosen();
  // Shows `folder` (UTF-8, on the chosen drive) in Dir1 and lists its files.
  void ShowFolder(const std::string& folder);
  void ListFiles(const std::string& folder);
  void OnFileChosen();
  std::string DriveRoot(int index) const;

  MessageSink* sink_;
  std::unique_ptr<WarningBoxSink> own_sink_;
  WindowHooks hooks_;
  HWND hwnd_ = nullptr;
  std::vector<HWND> controls_;  // In the order of FormControls().
  std::vector<HFONT> fonts_;
  HBRUSH not_a_number_brush_ = nullptr;
  bool quit_on_destroy_ = false;
  // The control that had the focus when the window was last deactivated.
  HWND saved_focus_ = nullptr;

  RunParameters parameters_;
  bool holds_number_[3] = {true, true, true};
  std::vector<std::wstring> drive_roots_;
  int drive_index_ = -1;
  DriveFolders drive_folders_;
  std::vector<FolderRow> folder_rows_;
  std::string folder_;
};

// Runs the messages of the thread until the window that asked for it is
// destroyed, passing keys through the dialog manager so that Tab, Enter and
// Space work as in a dialog. Returns the exit code.
int RunMessageLoop(HWND window);

}  // namespace xsrating

#endif  // XSRATING_WIN32_FORM1_WINDOW_H_
