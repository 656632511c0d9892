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
#include "form/chooser.h"
#include "form/form_controller.h"
#include "form/inputs.h"
#include "form/layout.h"
#include "form/viewer.h"
#include "win32/file_dialogs.h"
#include "win32/viewer_window.h"
#include "win32/warning_box_sink.h"

namespace xsrating {

// Passes messages on to the sink the window has once it exists.
class RelaySink : public MessageSink {
 public:
  void ShowWarning(const std::string& text, const std::string& title) override {
    to->ShowWarning(text, title);
  }
  void ShowResultPath(const std::string& path) override {
    to->ShowResultPath(path);
  }
  MessageSink* to = nullptr;
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
  // The file dialogs and what tests do while the zones dialog is open.
  DialogHooks dialogs;
  // Opens the viewer of the section and its curves over `owner`; by default
  // the window's own ViewerWindow, with `viewer`'s dialogs and hooks.
  std::function<void(HWND owner, const ViewRequest& request)> open_viewer;
  ViewerWindowHooks viewer;
};

// Form1 over FormController and ChooserController, which hold its rules,
// with the layout's controls at their twips scaled to the window's dots
// per inch (and laid out again when the window moves to a screen of another
// scale), the layout's typefaces, the tab order with Dir1 focused first, and:
//  - a box whose text is not a number is tinted, and when the focus leaves it
//    a balloon says what it should hold;
//  - Drive1, Dir1 and File1 are plain lists; a double click or Enter on a
//    Dir1 row opens it;
//  - 分区糙率… opens the zones dialog (ZonesDialog);
//  - Enter presses the focused button, as Space does.
class Form1Window : private FormView, private ChooserView {
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
  const RunParameters& parameters() const { return form_.parameters(); }
  // Whether the box of `box` holds a number (it is not marked).
  bool HoldsNumber(InputBox box) const { return form_.HoldsNumber(box); }
  // The folder File1 lists, in UTF-8.
  const std::string& folder() const { return chooser_.folder(); }

  // Ends the message loop when the window is destroyed.
  void QuitOnDestroy() { quit_on_destroy_ = true; }

  // The viewer 查看断面与曲线 opened; null before and once it is closed.
  ViewerWindow* viewer() const {
    return viewer_ != nullptr && viewer_->hwnd() != nullptr ? viewer_.get()
                                                            : nullptr;
  }

 private:
  Form1Window(MessageSink* sink, WindowHooks hooks);

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam,
                                     LPARAM lparam);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  // The class's window procedure (win32/window_proc.h) sets hwnd_ and calls
  // Handle.
  template <typename Window>
  friend LRESULT DispatchToWindow(HWND hwnd, UINT message, WPARAM wparam,
                                  LPARAM lparam);
  void CreateControls();
  // Places every control and makes the fonts for `dpi`.
  void LayOut(UINT dpi);
  void OnCommand(int id, int code, HWND control);
  void PressFocusedButton();

  // FormView.
  void SetBoxText(InputBox box, const std::string& text) override;
  void MarkBox(InputBox box, bool holds_number) override;
  void EnableBox(InputBox box, bool enabled) override;
  void FocusBox(InputBox box) override;
  void RefreshFiles() override;
  void OpenViewer(const ViewRequest& request) override;
  bool OpenZonesDialog(const std::string& folder, ZonesChoice* choice) override;
  void Close() override;
  // ChooserView.
  void ShowDrives(const std::vector<std::string>& texts, int chosen) override;
  void ChooseDrive(int index) override;
  void ShowFolders(const std::vector<FolderRow>& rows, int shown) override;
  void ShowFiles(const std::vector<std::string>& names, int selected) override;

  MessageSink* sink_;
  std::unique_ptr<WarningBoxSink> own_sink_;
  WindowHooks hooks_;
  RelaySink relay_;
  // One viewer, made again once it has been closed.
  std::unique_ptr<ViewerWindow> viewer_;
  FormController form_;
  ChooserController chooser_;
  HWND hwnd_ = nullptr;
  std::vector<HWND> controls_;  // In the order of FormControls().
  std::vector<HFONT> fonts_;
  HBRUSH not_a_number_brush_ = nullptr;
  bool quit_on_destroy_ = false;
  // Set while the window itself sets a box's text.
  bool setting_text_ = false;
  // The control that had the focus when the window was last deactivated.
  HWND saved_focus_ = nullptr;
};

// Runs the messages of the thread until the window that asked for it is
// destroyed, passing keys through the dialog manager so that Tab, Enter and
// Space work as in a dialog. Returns the exit code.
int RunMessageLoop(HWND window);

}  // namespace xsrating

#endif  // XSRATING_WIN32_FORM1_WINDOW_H_
