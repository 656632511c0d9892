// SPDX-License-Identifier: GPL-3.0-or-later
#include "win32/form1_window.h"

#include <commctrl.h>
#include <windows.h>

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/base/encoding.h"
#include "form/chooser_rules.h"
#include "form/form_controller.h"
#include "form/layout.h"
#include "form/texts.h"
#include "form/viewer.h"
#include "win32/window_proc.h"
#include "win32/zones_dialog.h"

namespace xsrating {
namespace {

constexpr wchar_t kClassName[] = L"XsratingForm1";
// Control identifiers are this plus the control's place in the layout; below
// it lie IDOK and IDCANCEL, which the dialog manager sends for Enter and Esc.
constexpr int kFirstControlId = 100;
// The drive list's window is as tall as its list when it drops down.
constexpr int kDropDownTwips = 3000;

// A box whose text is not a number: tinted, as a field that needs attention.
constexpr COLORREF kNotANumberBackground = RGB(255, 236, 236);
constexpr COLORREF kNotANumberText = RGB(176, 0, 0);

std::wstring W(std::string_view utf8) { return Utf8ToUtf16(utf8); }

}  // namespace

namespace {

const wchar_t* ClassOf(ControlKind kind) {
  switch (kind) {
    case ControlKind::kLabel:
      return L"STATIC";
    case ControlKind::kButton:
      return L"BUTTON";
    case ControlKind::kTextBox:
      return L"EDIT";
    case ControlKind::kDriveList:
      return L"COMBOBOX";
    case ControlKind::kFolderList:
    case ControlKind::kFileList:
      break;
  }
  return L"LISTBOX";
}

DWORD StyleOf(const ControlLayout& control) {
  const DWORD child = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
  switch (control.kind) {
    case ControlKind::kLabel:
      return child | SS_NOPREFIX |
             (control.centred ? SS_CENTER
              : control.wraps ? SS_LEFT
                              : SS_LEFTNOWORDWRAP);
    case ControlKind::kButton:
      return child | WS_TABSTOP | BS_PUSHBUTTON;
    case ControlKind::kTextBox:
      return child | WS_TABSTOP | ES_AUTOHSCROLL;
    case ControlKind::kDriveList:
      return child | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST |
             CBS_HASSTRINGS;
    case ControlKind::kFolderList:
    case ControlKind::kFileList:
      break;
  }
  return child | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_HASSTRINGS |
         LBS_NOINTEGRALHEIGHT;
}

DWORD ExStyleOf(ControlKind kind) {
  return kind == ControlKind::kTextBox || kind == ControlKind::kFolderList ||
                 kind == ControlKind::kFileList
             ? WS_EX_CLIENTEDGE
             : 0;
}

// The face the font mapper gave `font`.
std::wstring FaceOf(HFONT font) {
  HDC dc = GetDC(nullptr);
  wchar_t face[LF_FACESIZE] = {};
  HGDIOBJ old = SelectObject(dc, font);
  GetTextFaceW(dc, LF_FACESIZE, face);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return face;
}

// The first of `faces` that the system has, else the last one as the font
// mapper substitutes it.
HFONT CreateFaceFont(std::initializer_list<const wchar_t*> faces, int height,
                     int weight, bool underline) {
  HFONT font = nullptr;
  for (const wchar_t* face : faces) {
    if (font != nullptr) DeleteObject(font);
    font = CreateFontW(height, 0, 0, 0, weight, FALSE, underline, FALSE,
                       GB2312_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                       DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
    if (lstrcmpiW(FaceOf(font).c_str(), face) == 0) break;
  }
  return font;
}

HFONT CreateLayoutFont(Typeface face, double points, bool underline, UINT dpi) {
  const int height = -MulDiv(static_cast<int>(points * 100 + 0.5),
                             static_cast<int>(dpi), 72 * 100);
  switch (face) {
    case Typeface::kSongTi:
    case Typeface::kSongTiForLists:
      return CreateFaceFont({L"SimSun"}, height, FW_NORMAL, underline);
    case Typeface::kKaiTi:
      return CreateFaceFont({L"楷体_GB2312", L"KaiTi", L"楷体"}, height,
                            FW_NORMAL, underline);
    case Typeface::kHuaWenHuPo:
      break;
  }
  HFONT font =
      CreateFaceFont({L"华文琥珀", L"STHupo"}, height, FW_NORMAL, underline);
  const std::wstring found = FaceOf(font);
  if (lstrcmpiW(found.c_str(), L"华文琥珀") != 0 &&
      lstrcmpiW(found.c_str(), L"STHupo") != 0) {
    // Where the display face is missing, the heaviest sans-serif comes
    // closest.
    DeleteObject(font);
    font = CreateFaceFont({L"SimHei"}, height, FW_BLACK, underline);
  }
  return font;
}

std::wstring WindowText(HWND hwnd) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(static_cast<size_t>(
      GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

// The names in `folder` (UTF-8) of its subfolders, or of its files, hidden
// and system ones left out.
std::vector<std::string> FolderEntries(const std::string& folder,
                                       bool folders) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW entry;
  HANDLE find =
      FindFirstFileW(W(JoinDataFilePath(folder, "*", '\\')).c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const DWORD attributes = entry.dwFileAttributes;
    const std::wstring_view name = entry.cFileName;
    if (name == L"." || name == L".." ||
        (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) ||
        ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) != folders) {
      continue;
    }
    names.push_back(Utf16ToUtf8(name));
  } while (FindNextFileW(find, &entry));
  FindClose(find);
  return names;
}

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(W(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::wstring> SystemDrives() {
  std::vector<std::wstring> roots;
  wchar_t buffer[512] = {};
  const DWORD length = GetLogicalDriveStringsW(512, buffer);
  for (const wchar_t* root = buffer; root < buffer + length && *root != L'\0';
       root += lstrlenW(root) + 1) {
    roots.emplace_back(root);
  }
  return roots;
}

bool SystemVolume(const std::wstring& root, std::wstring* label) {
  wchar_t name[MAX_PATH + 1] = {};
  if (GetVolumeInformationW(root.c_str(), name, MAX_PATH + 1, nullptr, nullptr,
                            nullptr, nullptr, 0)) {
    *label = name;
    return true;
  }
  // A drive that tells no label may still be readable (a share that keeps
  // its volume to itself); a drive without its medium is not.
  label->clear();
  return GetFileAttributesW(root.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

namespace {

// The chooser's file system, from the window's hooks and the system's own
// calls.
ChooserHooks ChooserHooksOf(const WindowHooks& hooks) {
  ChooserHooks chooser;
  chooser.drives = [drives = hooks.drives] {
    std::vector<std::string> roots;
    for (const std::wstring& root : drives ? drives() : SystemDrives()) {
      roots.push_back(Utf16ToUtf8(root));
    }
    return roots;
  };
  chooser.volume = [volume = hooks.volume](const std::string& root,
                                           std::string* label) {
    std::wstring wide_label;
    const bool ready = volume ? volume(W(root), &wide_label)
                              : SystemVolume(W(root), &wide_label);
    *label = Utf16ToUtf8(wide_label);
    return ready;
  };
  chooser.entries = FolderEntries;
  chooser.is_folder = IsFolder;
  chooser.enter = [](const std::string& folder) {
    SetCurrentDirectoryW(W(folder).c_str());
  };
  chooser.separator = '\\';
  return chooser;
}

std::string CurrentFolder() {
  std::wstring folder(MAX_PATH * 4, L'\0');
  folder.resize(
      GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data()));
  return Utf16ToUtf8(folder);
}

}  // namespace

Form1Window::Form1Window(MessageSink* sink, WindowHooks hooks)
    : sink_(sink),
      hooks_(std::move(hooks)),
      form_(static_cast<FormView&>(*this), relay_, hooks_.run),
      chooser_(static_cast<ChooserView&>(*this), relay_,
               ChooserHooksOf(hooks_)) {
  relay_.to = sink_;
  not_a_number_brush_ = CreateSolidBrush(kNotANumberBackground);
}

std::unique_ptr<Form1Window> Form1Window::Create(HINSTANCE instance,
                                                 MessageSink* sink,
                                                 WindowHooks hooks) {
  WNDCLASSEXW window_class = {};
  if (!GetClassInfoExW(instance, kClassName, &window_class)) {
    window_class.cbSize = sizeof(window_class);
    window_class.lpfnWndProc = WindowProc;
    window_class.hInstance = instance;
    window_class.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = kClassName;
    if (!RegisterClassExW(&window_class)) return nullptr;
  }
  std::unique_ptr<Form1Window> window(new Form1Window(sink, std::move(hooks)));
  // The frame is fixed, as the controls are placed in it.
  CreateWindowExW(WS_EX_CONTROLPARENT, kClassName, W(kWindowCaption).c_str(),
                  WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX |
                      WS_CLIPCHILDREN,
                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                  nullptr, nullptr, instance, window.get());
  if (window->hwnd_ == nullptr) return nullptr;
  if (sink == nullptr) {
    window->own_sink_ = std::make_unique<WarningBoxSink>(window->hwnd_);
    window->sink_ = window->own_sink_.get();
    window->relay_.to = window->sink_;
  }
  window->CreateControls();
  return window;
}

Form1Window::~Form1Window() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
  for (HFONT font : fonts_) DeleteObject(font);
  DeleteObject(not_a_number_brush_);
}

HWND Form1Window::Control(std::string_view name) const {
  const auto controls = FormControls();
  for (size_t i = 0; i < controls.size(); ++i) {
    if (name == controls[i].name) return controls_[i];
  }
  return nullptr;
}

void Form1Window::CreateControls() {
  HINSTANCE instance =
      reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE));
  const auto layout = FormControls();
  for (size_t i = 0; i < layout.size(); ++i) {
    const ControlLayout& control = layout[i];
    controls_.push_back(CreateWindowExW(
        ExStyleOf(control.kind), ClassOf(control.kind), W(control.text).c_str(),
        StyleOf(control), 0, 0, 0, 0, hwnd_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + i)),
        instance, nullptr));
  }
  // Tab goes down the children's stacking order: the focusable controls by
  // tab index, above the labels, which also keeps the help button above the
  // end of the label it overlaps.
  HWND above = HWND_TOP;
  for (const ControlLayout* control : TabOrder()) {
    HWND hwnd = Control(control->name);
    if (hwnd == nullptr) continue;
    SetWindowPos(hwnd, above, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    above = hwnd;
  }
  LayOut(GetDpiForWindow(hwnd_));

  chooser_.Open(CurrentFolder());
  SetFocus(Control("Dir1"));
}

void Form1Window::LayOut(UINT dpi) {
  const int scale = static_cast<int>(dpi);
  std::vector<HFONT> old_fonts = std::move(fonts_);
  fonts_.clear();
  const auto layout = FormControls();
  for (size_t i = 0; i < layout.size(); ++i) {
    if (controls_[i] == nullptr) continue;
    const ControlLayout& control = layout[i];
    const int height = control.kind == ControlKind::kDriveList
                           ? control.twips.height + kDropDownTwips
                           : control.twips.height;
    MoveWindow(controls_[i], TwipsToPixels(control.twips.left, scale),
               TwipsToPixels(control.twips.top, scale),
               TwipsToPixels(control.twips.width, scale),
               TwipsToPixels(height, scale), FALSE);
    fonts_.push_back(
        CreateLayoutFont(control.face, control.points, control.underline, dpi));
    SendMessageW(controls_[i], WM_SETFONT,
                 reinterpret_cast<WPARAM>(fonts_.back()), FALSE);
    if (control.kind == ControlKind::kFolderList ||
        control.kind == ControlKind::kFileList) {
      // Rows a line of the font tall and a pixel more above and below: in a
      // face without a line gap the underscore lies below the descent, and
      // the next row would cover it ("river_section" read as "river
      // section").
      HDC dc = GetDC(controls_[i]);
      HGDIOBJ old = SelectObject(dc, fonts_.back());
      TEXTMETRICW metrics = {};
      GetTextMetricsW(dc, &metrics);
      SelectObject(dc, old);
      ReleaseDC(controls_[i], dc);
      SendMessageW(controls_[i], LB_SETITEMHEIGHT, 0,
                   metrics.tmHeight + metrics.tmExternalLeading + 2);
    }
  }
  RECT frame = {0, 0, TwipsToPixels(kFormWidthTwips, scale),
                TwipsToPixels(kFormHeightTwips, scale)};
  AdjustWindowRectExForDpi(&frame, GetWindowLongW(hwnd_, GWL_STYLE), FALSE,
                           GetWindowLongW(hwnd_, GWL_EXSTYLE), dpi);
  SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left,
               frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(hwnd_, nullptr, TRUE);
  for (HFONT font : old_fonts) DeleteObject(font);
}

LRESULT CALLBACK Form1Window::WindowProc(HWND hwnd, UINT message, WPARAM wparam,
                                         LPARAM lparam) {
  return DispatchToWindow<Form1Window>(hwnd, message, wparam, lparam);
}

LRESULT Form1Window::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wparam), HIWORD(wparam), reinterpret_cast<HWND>(lparam));
      return 0;
    case WM_CTLCOLORSTATIC:
      // Labels on the window's own face colour.
      SetBkMode(reinterpret_cast<HDC>(wparam), TRANSPARENT);
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    case WM_CTLCOLOREDIT:
      for (InputBox box : kInputBoxes) {
        if (reinterpret_cast<HWND>(lparam) ==
                Control(DescribeInput(box).control) &&
            !HoldsNumber(box)) {
          HDC dc = reinterpret_cast<HDC>(wparam);
          SetTextColor(dc, kNotANumberText);
          SetBkColor(dc, kNotANumberBackground);
          return reinterpret_cast<LRESULT>(not_a_number_brush_);
        }
      }
      break;
    case WM_ACTIVATE:
      // The focus comes back to the control that had it, at first Dir1.
      if (LOWORD(wparam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(hwnd_, focus)) saved_focus_ = focus;
      } else {
        SetFocus(saved_focus_ != nullptr ? saved_focus_ : Control("Dir1"));
      }
      return 0;
    case WM_DPICHANGED: {
      LayOut(HIWORD(wparam));
      const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
      SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_DESTROY:
      if (quit_on_destroy_) PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wparam, lparam);
}

void Form1Window::OnCommand(int id, int code, HWND control) {
  if (id == IDOK) {
    // Enter, sent by the dialog manager: it presses the focused button.
    PressFocusedButton();
    return;
  }
  const auto layout = FormControls();
  if (id < kFirstControlId ||
      static_cast<size_t>(id - kFirstControlId) >= layout.size()) {
    return;
  }
  const ControlLayout& source = layout[id - kFirstControlId];
  const std::string_view name = source.name;
  for (InputBox box : kInputBoxes) {
    if (name != DescribeInput(box).control) continue;
    if (code == EN_CHANGE && !setting_text_) {
      form_.OnBoxEdited(box, Utf16ToUtf8(WindowText(control)));
    }
    if (code == EN_KILLFOCUS && !HoldsNumber(box)) {
      // The tint says the box is wrong; the balloon, once the user leaves
      // it, says what it should hold.
      const std::wstring title = W(kNotANumberTitle);
      const std::wstring hint = W(NotANumberHint(box));
      EDITBALLOONTIP balloon = {sizeof(balloon), title.c_str(), hint.c_str(),
                                TTI_WARNING};
      SendMessageW(control, EM_SHOWBALLOONTIP, 0,
                   reinterpret_cast<LPARAM>(&balloon));
    }
    return;
  }
  switch (source.kind) {
    case ControlKind::kButton:
      if (code == BN_CLICKED) form_.OnButtonPressed(name);
      break;
    case ControlKind::kDriveList:
      if (code == CBN_SELCHANGE) {
        chooser_.OnDriveChosen(
            static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0)));
      }
      break;
    case ControlKind::kFolderList: {
      const int row =
          static_cast<int>(SendMessageW(control, LB_GETCURSEL, 0, 0));
      if (code == LBN_DBLCLK) chooser_.OnFolderOpened(row);
      if (code == LBN_SELCHANGE) chooser_.OnFolderSelected(row);
      break;
    }
    case ControlKind::kFileList:
      if (code == LBN_SELCHANGE) {
        const std::optional<std::string> path = chooser_.OnFileChosen(
            static_cast<int>(SendMessageW(control, LB_GETCURSEL, 0, 0)));
        if (path) form_.SetDataFile(*path);
      }
      break;
    case ControlKind::kLabel:
    case ControlKind::kTextBox:
      break;
  }
}

void Form1Window::PressFocusedButton() {
  HWND focus = GetFocus();
  if (focus == nullptr || !IsChild(hwnd_, focus)) return;
  if (focus == Control("Dir1")) {
    // Enter opens the selected folder, as a double click does.
    OnCommand(GetDlgCtrlID(focus), LBN_DBLCLK, focus);
    return;
  }
  wchar_t class_name[16] = {};
  GetClassNameW(focus, class_name, 16);
  if (lstrcmpiW(class_name, L"BUTTON") == 0) {
    OnCommand(GetDlgCtrlID(focus), BN_CLICKED, focus);
  }
}

void Form1Window::SetBoxText(InputBox box, const std::string& text) {
  setting_text_ = true;
  SetWindowTextW(Control(DescribeInput(box).control), W(text).c_str());
  setting_text_ = false;
}

void Form1Window::MarkBox(InputBox box, bool) {
  // The colours come from WM_CTLCOLOREDIT, which asks the controller.
  InvalidateRect(Control(DescribeInput(box).control), nullptr, TRUE);
}

void Form1Window::EnableBox(InputBox box, bool enabled) {
  EnableWindow(Control(DescribeInput(box).control), enabled);
}

void Form1Window::FocusBox(InputBox box) {
  HWND edit = Control(DescribeInput(box).control);
  SetFocus(edit);
  SendMessageW(edit, EM_SETSEL, 0, -1);
}

void Form1Window::RefreshFiles() { chooser_.Refresh(); }

void Form1Window::Close() { DestroyWindow(hwnd_); }

void Form1Window::OpenViewer(const ViewRequest& request) {
  if (hooks_.open_viewer) {
    hooks_.open_viewer(hwnd_, request);
    return;
  }
  if (viewer() == nullptr) {
    viewer_ = ViewerWindow::Create(
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE)),
        hwnd_, hooks_.viewer);
    if (viewer_ == nullptr) {
      relay_.ShowWarning(
          "查看断面与曲线的窗口未能打开：Windows 没有建立窗口，或绘图组件 "
          "GDI+ 无法启动。",
          kViewerCaption);
      return;
    }
  }
  // The open viewer shows the boxes as they stand now.
  viewer_->Show(request);
  ShowWindow(viewer_->hwnd(), SW_SHOW);
  SetForegroundWindow(viewer_->hwnd());
}

bool Form1Window::OpenZonesDialog(const std::string& folder,
                                  ZonesChoice* choice) {
  // The window's own message boxes stand over the dialog while it is open.
  return RunZonesDialog(hwnd_, own_sink_ ? nullptr : sink_,
                        folder.empty() ? CurrentFolder() : folder,
                        hooks_.dialogs, choice);
}

void Form1Window::ShowDrives(const std::vector<std::string>& texts,
                             int chosen) {
  HWND list = Control("Drive1");
  SendMessageW(list, CB_RESETCONTENT, 0, 0);
  for (const std::string& text : texts) {
    SendMessageW(list, CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(W(text).c_str()));
  }
  SendMessageW(list, CB_SETCURSEL, chosen, 0);
}

void Form1Window::ChooseDrive(int index) {
  SendMessageW(Control("Drive1"), CB_SETCURSEL, index, 0);
}

void Form1Window::ShowFolders(const std::vector<FolderRow>& rows, int shown) {
  HWND list = Control("Dir1");
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  for (const FolderRow& row : rows) {
    const std::wstring text =
        std::wstring(static_cast<size_t>(row.depth) * 2, L' ') + W(row.text);
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  SendMessageW(list, LB_SETCURSEL, shown, 0);
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

void Form1Window::ShowFiles(const std::vector<std::string>& names,
                            int selected) {
  HWND list = Control("File1");
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  for (const std::string& name : names) {
    SendMessageW(list, LB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(W(name).c_str()));
  }
  if (selected >= 0) SendMessageW(list, LB_SETCURSEL, selected, 0);
}

int RunMessageLoop(HWND window) {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    // Each top-level window of the program (the form, the viewer) gets the
    // keys of its own controls.
    HWND root =
        message.hwnd != nullptr ? GetAncestor(message.hwnd, GA_ROOT) : window;
    if (IsWindow(root) && IsDialogMessageW(root, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

}  // namespace xsrating
