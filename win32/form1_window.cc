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
#include "form/layout.h"
#include "form/start_command.h"
#include "form/texts.h"

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

bool OnWindows(const ControlLayout& control) {
  // The viewer and the roughness zones' dialog are Qt windows, which Debian
  // cannot build for Windows.
  const std::string_view name = control.name;
  return name != kViewButtonName && name != kZonesButtonName;
}

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

std::wstring ListText(HWND list, int index, UINT length_message,
                      UINT text_message) {
  const LRESULT length = SendMessageW(list, length_message, index, 0);
  if (length < 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  SendMessageW(list, text_message, index,
               reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(length));
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

// "c:\data" and "C:\" on the same drive: the letters are compared without
// regard to case.
bool IsOnDrive(std::wstring_view path, std::wstring_view root) {
  return path.size() >= root.size() &&
         CompareStringOrdinal(path.data(), static_cast<int>(root.size()),
                              root.data(), static_cast<int>(root.size()),
                              TRUE) == CSTR_EQUAL;
}

}  // namespace

void WarningBoxSink::ShowWarning(const std::string& text,
                                 const std::string& title) {
  // A lone CR between lines is a line break, as CR LF is.
  std::string lines;
  for (size_t i = 0; i < text.size(); ++i) {
    lines += text[i];
    if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) {
      lines += '\n';
    }
  }
  MessageBoxW(owner_, W(lines).c_str(), W(title).c_str(),
              MB_OK | MB_ICONWARNING);
}

Form1Window::Form1Window(MessageSink* sink, WindowHooks hooks)
    : sink_(sink), hooks_(std::move(hooks)) {
  if (!hooks_.drives) hooks_.drives = SystemDrives;
  if (!hooks_.volume) hooks_.volume = SystemVolume;
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

bool Form1Window::HoldsNumber(InputBox box) const {
  return holds_number_[static_cast<int>(box)];
}

void Form1Window::CreateControls() {
  HINSTANCE instance =
      reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE));
  const auto layout = FormControls();
  for (size_t i = 0; i < layout.size(); ++i) {
    const ControlLayout& control = layout[i];
    if (!OnWindows(control)) {
      controls_.push_back(nullptr);
      continue;
    }
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

  FillDrives();
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
  if (message == WM_NCCREATE) {
    auto* window = static_cast<Form1Window*>(
        reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    window->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
  }
  auto* window =
      reinterpret_cast<Form1Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (window == nullptr) return DefWindowProcW(hwnd, message, wparam, lparam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    window->hwnd_ = nullptr;
    return DefWindowProcW(hwnd, message, wparam, lparam);
  }
  return window->Handle(message, wparam, lparam);
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
  const std::string_view name = layout[id - kFirstControlId].name;
  for (size_t i = 0; i < std::size(kInputBoxes); ++i) {
    if (name != DescribeInput(kInputBoxes[i]).control) continue;
    if (code == EN_CHANGE) OnBoxEdited(i);
    if (code == EN_KILLFOCUS && !holds_number_[i]) {
      // The tint says the box is wrong; the balloon, once the user leaves
      // it, says what it should hold.
      const std::wstring title = W(kNotANumberTitle);
      const std::wstring hint = W(NotANumberHint(kInputBoxes[i]));
      EDITBALLOONTIP balloon = {sizeof(balloon), title.c_str(), hint.c_str(),
                                TTI_WARNING};
      SendMessageW(control, EM_SHOWBALLOONTIP, 0,
                   reinterpret_cast<LPARAM>(&balloon));
    }
    return;
  }
  if (name == "Command1" && code == BN_CLICKED) {
    OnStart();
  } else if (name == "Command2" && code == BN_CLICKED) {
    DestroyWindow(hwnd_);
  } else if (name == "Command3" && code == BN_CLICKED) {
    PressHelp(*sink_);
  } else if (name == "Drive1" && code == CBN_SELCHANGE) {
    OnDriveChosen();
  } else if (name == "Dir1" && (code == LBN_SELCHANGE || code == LBN_DBLCLK)) {
    const LRESULT row = SendMessageW(control, LB_GETCURSEL, 0, 0);
    if (row < 0 || static_cast<size_t>(row) >= folder_rows_.size()) return;
    const std::string path = folder_rows_[row].path;
    if (code == LBN_DBLCLK) {
      ShowFolder(path);
    } else {
      drive_folders_.Remember(Utf16ToUtf8(drive_roots_[drive_index_]), path);
      ListFiles(path);
    }
  } else if (name == "File1" && code == LBN_SELCHANGE) {
    OnFileChosen();
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

void Form1Window::OnBoxEdited(size_t index) {
  HWND edit = Control(DescribeInput(kInputBoxes[index]).control);
  const bool number = ApplyBoxText(kInputBoxes[index],
                                   Utf16ToUtf8(WindowText(edit)), parameters_);
  if (number != holds_number_[index]) {
    holds_number_[index] = number;
    InvalidateRect(edit, nullptr, TRUE);
  }
}

void Form1Window::OnStart() {
  BoxTexts texts;
  std::string* fields[] = {&texts.roughness, &texts.slope, &texts.stage_count};
  for (size_t i = 0; i < std::size(kInputBoxes); ++i) {
    *fields[i] =
        Utf16ToUtf8(WindowText(Control(DescribeInput(kInputBoxes[i]).control)));
  }
  const std::optional<InputBox> stopped_at =
      PressStart(texts, parameters_, *sink_, hooks_.run);
  if (stopped_at.has_value()) {
    HWND edit = Control(DescribeInput(*stopped_at).control);
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    return;
  }
  // The new result file, or nothing new after a failure.
  ListFiles(folder_);
}

std::string Form1Window::DriveRoot(int index) const {
  return Utf16ToUtf8(drive_roots_[index]);
}

void Form1Window::FillDrives() {
  HWND list = Control("Drive1");
  drive_roots_ = hooks_.drives();
  for (const std::wstring& root : drive_roots_) {
    std::wstring label;
    hooks_.volume(root, &label);
    SendMessageW(list, CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(
                     W(DriveDisplayText(Utf16ToUtf8(root), Utf16ToUtf8(label)))
                         .c_str()));
  }
  if (drive_roots_.empty()) return;

  wchar_t current[MAX_PATH * 4] = {};
  GetCurrentDirectoryW(MAX_PATH * 4, current);
  std::wstring folder = current;
  drive_index_ = 0;
  for (size_t i = 0; i < drive_roots_.size(); ++i) {
    if (IsOnDrive(folder, drive_roots_[i])) drive_index_ = static_cast<int>(i);
  }
  const std::wstring& root = drive_roots_[drive_index_];
  // The root as the drive list has it, then the rest of the folder.
  folder = IsOnDrive(folder, root) ? root + folder.substr(root.size()) : root;
  SendMessageW(list, CB_SETCURSEL, drive_index_, 0);
  ShowFolder(Utf16ToUtf8(folder));
}

void Form1Window::OnDriveChosen() {
  HWND list = Control("Drive1");
  const int index = static_cast<int>(SendMessageW(list, CB_GETCURSEL, 0, 0));
  if (index < 0 || index == drive_index_) return;
  std::wstring label;
  if (!hooks_.volume(drive_roots_[index], &label)) {
    sink_->ShowWarning(DriveNotReadyText(Utf16ToUtf8(ListText(
                           list, index, CB_GETLBTEXTLEN, CB_GETLBTEXT))),
                       kDriveNotReadyTitle);
    SendMessageW(list, CB_SETCURSEL, drive_index_, 0);
    return;
  }
  drive_index_ = index;
  std::string folder = drive_folders_.CurrentFolder(DriveRoot(index));
  if (!IsFolder(folder)) folder = DriveRoot(index);
  // The process's current drive and folder follow the list.
  SetCurrentDirectoryW(W(folder).c_str());
  ShowFolder(folder);
}

void Form1Window::ShowFolder(const std::string& folder) {
  HWND list = Control("Dir1");
  const std::string root = DriveRoot(drive_index_);
  folder_rows_ =
      FolderRows(root, folder, FolderEntries(folder, /*folders=*/true), '\\');
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  int shown = 0;
  for (size_t i = 0; i < folder_rows_.size(); ++i) {
    const FolderRow& row = folder_rows_[i];
    const std::wstring text =
        std::wstring(static_cast<size_t>(row.depth) * 2, L' ') + W(row.text);
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    if (row.open) shown = static_cast<int>(i);
  }
  SendMessageW(list, LB_SETCURSEL, shown, 0);
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
  drive_folders_.Remember(root, folder_rows_[shown].path);
  ListFiles(folder_rows_[shown].path);
}

void Form1Window::ListFiles(const std::string& folder) {
  HWND list = Control("File1");
  std::wstring selected;
  const LRESULT current = SendMessageW(list, LB_GETCURSEL, 0, 0);
  if (folder == folder_ && current >= 0) {
    selected =
        ListText(list, static_cast<int>(current), LB_GETTEXTLEN, LB_GETTEXT);
  }
  folder_ = folder;
  std::vector<std::string> names;
  for (std::string& name : FolderEntries(folder, /*folders=*/false)) {
    if (IsListedFileName(name)) names.push_back(std::move(name));
  }
  SortNames(names);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  for (const std::string& name : names) {
    SendMessageW(list, LB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(W(name).c_str()));
  }
  if (!selected.empty()) {
    const LRESULT found =
        SendMessageW(list, LB_FINDSTRINGEXACT, -1,
                     reinterpret_cast<LPARAM>(selected.c_str()));
    if (found >= 0) SendMessageW(list, LB_SETCURSEL, found, 0);
  }
}

void Form1Window::OnFileChosen() {
  HWND list = Control("File1");
  const LRESULT index = SendMessageW(list, LB_GETCURSEL, 0, 0);
  if (index < 0) return;
  parameters_.data_file_path =
      JoinDataFilePath(folder_,
                       Utf16ToUtf8(ListText(list, static_cast<int>(index),
                                            LB_GETTEXTLEN, LB_GETTEXT)),
                       '\\');
}

int RunMessageLoop(HWND window) {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (IsWindow(window) && IsDialogMessageW(window, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

}  // namespace xsrating
