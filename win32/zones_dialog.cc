// SPDX-License-Identifier: GPL-3.0-or-later
#include "win32/zones_dialog.h"

#include <commctrl.h>
#include <windows.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/base/encoding.h"
#include "form/zones.h"
#include "win32/warning_box_sink.h"

namespace xsrating {
namespace {

std::wstring W(std::string_view utf8) { return Utf8ToUtf16(utf8); }

// The dialog's client area and its controls, in pixels at 96 dots per inch,
// scaled to the screen's.
constexpr int kClientWidth = 460;
constexpr int kClientHeight = 424;

struct ControlPlace {
  int id;
  const wchar_t* window_class;
  const char* text;
  DWORD style;
  DWORD ex_style;
  RECT place;  // left, top, width, height
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kButton = kChild | WS_TABSTOP | BS_PUSHBUTTON;
constexpr int kNote = 300;
constexpr int kFromLabel = 301;
constexpr int kRoughnessLabel = 302;
constexpr int kMethodLabel = 303;

// In tab order.
const ControlPlace kPlaces[] = {
    {kNote,
     L"STATIC",
     kZonesNote,
     kChild | SS_LEFT | SS_NOPREFIX,
     0,
     {12, 10, 436, 40}},
    {kZonesTable,
     WC_LISTVIEWW,
     "",
     kChild | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
         LVS_NOSORTHEADER,
     WS_EX_CLIENTEDGE,
     {12, 54, 436, 196}},
    {kFromLabel,
     L"STATIC",
     kZonesFromHead,
     kChild | SS_LEFT | SS_NOPREFIX,
     0,
     {12, 264, 104, 20}},
    {kZonesFromBox,
     L"EDIT",
     "",
     kChild | WS_TABSTOP | ES_AUTOHSCROLL,
     WS_EX_CLIENTEDGE,
     {118, 260, 100, 24}},
    {kRoughnessLabel,
     L"STATIC",
     kZonesRoughnessHead,
     kChild | SS_LEFT | SS_NOPREFIX,
     0,
     {234, 264, 60, 20}},
    {kZonesRoughnessBox,
     L"EDIT",
     "",
     kChild | WS_TABSTOP | ES_AUTOHSCROLL,
     WS_EX_CLIENTEDGE,
     {296, 260, 100, 24}},
    {kZonesAddRow, L"BUTTON", "添加一行", kButton, 0, {12, 296, 100, 28}},
    {kZonesRemoveRow, L"BUTTON", "删除此行", kButton, 0, {120, 296, 100, 28}},
    {kZonesClear, L"BUTTON", "不分区", kButton, 0, {228, 296, 100, 28}},
    {kMethodLabel,
     L"STATIC",
     "算法",
     kChild | SS_LEFT | SS_NOPREFIX,
     0,
     {12, 342, 40, 20}},
    {kZonesMethod,
     L"COMBOBOX",
     "",
     kChild | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
     0,
     {56, 338, 196, 200}},
    {kZonesLoad, L"BUTTON", "读入文件…", kButton, 0, {262, 336, 90, 28}},
    {kZonesSave, L"BUTTON", "存为文件…", kButton, 0, {358, 336, 90, 28}},
    {IDOK,
     L"BUTTON",
     "确定",
     kButton | BS_DEFPUSHBUTTON,
     0,
     {268, 384, 86, 28}},
    {IDCANCEL, L"BUTTON", "取消", kButton, 0, {362, 384, 86, 28}},
};

struct Dialog {
  MessageSink* sink;
  std::unique_ptr<WarningBoxSink> own_sink;
  std::string folder;
  const DialogHooks* hooks;
  ZonesChoice* choice;
  std::vector<ZoneRowTexts> rows;
  HWND hwnd = nullptr;
  HFONT font = nullptr;
  // Set while the dialog fills the row's boxes itself.
  bool filling = false;

  HWND Item(int id) const { return GetDlgItem(hwnd, id); }
  int Selected() const {
    return static_cast<int>(
        SendMessageW(Item(kZonesTable), LVM_GETNEXTITEM, -1, LVNI_SELECTED));
  }
};

int Scale(int pixels, UINT dpi) {
  return MulDiv(pixels, static_cast<int>(dpi), 96);
}

void SetCell(HWND table, int row, int column, const std::string& text) {
  std::wstring wide = W(text);
  LVITEMW item = {};
  item.iSubItem = column;
  item.pszText = wide.data();
  SendMessageW(table, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

void InsertRow(HWND table, int row, const ZoneRowTexts& texts) {
  std::wstring from = W(texts.from);
  LVITEMW item = {};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.pszText = from.data();
  SendMessageW(table, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  SetCell(table, row, 1, texts.roughness);
}

void SelectRow(Dialog& dialog, int row) {
  HWND table = dialog.Item(kZonesTable);
  LVITEMW state = {};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  state.state = row >= 0 ? LVIS_SELECTED | LVIS_FOCUSED : 0;
  SendMessageW(table, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
  if (row >= 0) SendMessageW(table, LVM_ENSUREVISIBLE, row, FALSE);
}

// The boxes under the table edit the selected row; without one they are
// empty and disabled.
void ShowSelectedRow(Dialog& dialog) {
  const int row = dialog.Selected();
  const bool any = row >= 0 && static_cast<size_t>(row) < dialog.rows.size();
  dialog.filling = true;
  SetWindowTextW(dialog.Item(kZonesFromBox),
                 any ? W(dialog.rows[row].from).c_str() : L"");
  SetWindowTextW(dialog.Item(kZonesRoughnessBox),
                 any ? W(dialog.rows[row].roughness).c_str() : L"");
  dialog.filling = false;
  EnableWindow(dialog.Item(kZonesFromBox), any);
  EnableWindow(dialog.Item(kZonesRoughnessBox), any);
  EnableWindow(dialog.Item(kZonesRemoveRow), any);
}

void FillTable(Dialog& dialog) {
  HWND table = dialog.Item(kZonesTable);
  SendMessageW(table, LVM_DELETEALLITEMS, 0, 0);
  for (size_t i = 0; i < dialog.rows.size(); ++i) {
    InsertRow(table, static_cast<int>(i), dialog.rows[i]);
  }
  SelectRow(dialog, dialog.rows.empty() ? -1 : 0);
  ShowSelectedRow(dialog);
}

std::wstring TextOf(HWND control) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1,
                    L'\0');
  text.resize(static_cast<size_t>(
      GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return text;
}

void OnRowEdited(Dialog& dialog, int box) {
  const int row = dialog.Selected();
  if (dialog.filling || row < 0 ||
      static_cast<size_t>(row) >= dialog.rows.size()) {
    return;
  }
  const std::string text = Utf16ToUtf8(TextOf(dialog.Item(box)));
  const int column = box == kZonesFromBox ? 0 : 1;
  (column == 0 ? dialog.rows[row].from : dialog.rows[row].roughness) = text;
  SetCell(dialog.Item(kZonesTable), row, column, text);
}

std::string ChooseZonesFile(Dialog& dialog, bool save) {
  FileDialogRequest request;
  request.save = save;
  request.caption = save ? kZonesSaveCaption : kZonesLoadCaption;
  request.folder = dialog.folder;
  request.filters = {{kZonesFilesFilter, kZonesFilesPattern},
                     {kAllFilesFilter, "*.*"}};
  request.extension = save ? ".txt" : "";
  return dialog.hooks->choose_file
             ? dialog.hooks->choose_file(dialog.hwnd, request)
             : ChooseFile(dialog.hwnd, request);
}

ZoneMethod ChosenMethod(const Dialog& dialog) {
  const LRESULT index =
      SendMessageW(dialog.Item(kZonesMethod), CB_GETCURSEL, 0, 0);
  return index >= 0 &&
                 static_cast<size_t>(index) < std::size(kZoneMethodChoices)
             ? kZoneMethodChoices[index].method
             : ZoneMethod::kSubsection;
}

void OnCommand(Dialog& dialog, int id, int code) {
  switch (id) {
    case kZonesFromBox:
    case kZonesRoughnessBox:
      if (code == EN_CHANGE) OnRowEdited(dialog, id);
      return;
    case kZonesAddRow: {
      dialog.rows.push_back({});
      const int row = static_cast<int>(dialog.rows.size()) - 1;
      InsertRow(dialog.Item(kZonesTable), row, {});
      SelectRow(dialog, row);
      ShowSelectedRow(dialog);
      SetFocus(dialog.Item(kZonesFromBox));
      return;
    }
    case kZonesRemoveRow: {
      const int row = dialog.Selected();
      if (row < 0 || static_cast<size_t>(row) >= dialog.rows.size()) return;
      dialog.rows.erase(dialog.rows.begin() + row);
      SendMessageW(dialog.Item(kZonesTable), LVM_DELETEITEM, row, 0);
      const int next = std::min(row, static_cast<int>(dialog.rows.size()) - 1);
      SelectRow(dialog, next);
      ShowSelectedRow(dialog);
      return;
    }
    case kZonesClear:
      dialog.rows.clear();
      FillTable(dialog);
      return;
    case kZonesLoad: {
      const std::string path = ChooseZonesFile(dialog, false);
      if (path.empty()) return;
      std::vector<ZoneRowTexts> rows;
      if (const Status read = LoadZoneRows(path, &rows); !read.ok()) {
        dialog.sink->ShowWarning(read.message(), kZonesProblemTitle);
        return;
      }
      dialog.rows = std::move(rows);
      FillTable(dialog);
      return;
    }
    case kZonesSave: {
      const std::string path = ChooseZonesFile(dialog, true);
      if (path.empty()) return;
      if (const Status saved = SaveZoneRows(dialog.rows, path); !saved.ok()) {
        dialog.sink->ShowWarning(saved.message(), kZonesProblemTitle);
      }
      return;
    }
    case IDOK: {
      std::vector<RoughnessZone> zones;
      if (const Status status = ZonesFromRows(dialog.rows, &zones);
          !status.ok()) {
        dialog.sink->ShowWarning(status.message(), kZonesProblemTitle);
        return;
      }
      *dialog.choice = {std::move(zones), ChosenMethod(dialog)};
      EndDialog(dialog.hwnd, IDOK);
      return;
    }
    case IDCANCEL:
      EndDialog(dialog.hwnd, IDCANCEL);
      return;
    default:
      return;
  }
}

// The face of Chinese Windows' own dialogs at 9 points, else 宋体 (which a
// system without the first always has, or substitutes).
HFONT DialogFont(UINT dpi) {
  const int height = -MulDiv(9, static_cast<int>(dpi), 72);
  for (const wchar_t* face : {L"Microsoft YaHei UI", L"Microsoft YaHei"}) {
    HFONT font =
        CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                    GB2312_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                    DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    wchar_t found[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, found);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    if (lstrcmpiW(found, face) == 0) return font;
    DeleteObject(font);
  }
  return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                     GB2312_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                     DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"SimSun");
}

void CreateControls(Dialog& dialog) {
  HWND hwnd = dialog.hwnd;
  const UINT dpi = GetDpiForWindow(hwnd);
  HINSTANCE instance =
      reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd, GWLP_HINSTANCE));
  dialog.font = DialogFont(dpi);
  for (const ControlPlace& place : kPlaces) {
    HWND control = CreateWindowExW(
        place.ex_style, place.window_class, W(place.text).c_str(), place.style,
        Scale(place.place.left, dpi), Scale(place.place.top, dpi),
        Scale(place.place.right, dpi), Scale(place.place.bottom, dpi), hwnd,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(place.id)), instance,
        nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(dialog.font),
                 FALSE);
  }
  HWND table = dialog.Item(kZonesTable);
  SendMessageW(table, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
               LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_DOUBLEBUFFER);
  const char* heads[] = {kZonesFromHead, kZonesRoughnessHead};
  for (int column = 0; column < 2; ++column) {
    std::wstring head = W(heads[column]);
    LVCOLUMNW entry = {};
    entry.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    entry.fmt = LVCFMT_LEFT;
    entry.cx = Scale(160, dpi);
    entry.pszText = head.data();
    SendMessageW(table, LVM_INSERTCOLUMNW, column,
                 reinterpret_cast<LPARAM>(&entry));
  }
  // The n column takes the rest of the list's width.
  SendMessageW(table, LVM_SETCOLUMNWIDTH, 1, LVSCW_AUTOSIZE_USEHEADER);
  HWND method = dialog.Item(kZonesMethod);
  for (const ZoneMethodChoice& choice : kZoneMethodChoices) {
    SendMessageW(method, CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(W(choice.text).c_str()));
    if (choice.method == dialog.choice->method) {
      SendMessageW(method, CB_SETCURSEL,
                   SendMessageW(method, CB_GETCOUNT, 0, 0) - 1, 0);
    }
  }
}

// Sizes the dialog for its controls at its scale and centres it over its
// owner.
void PlaceDialog(HWND hwnd) {
  const UINT dpi = GetDpiForWindow(hwnd);
  RECT frame = {0, 0, Scale(kClientWidth, dpi), Scale(kClientHeight, dpi)};
  AdjustWindowRectExForDpi(&frame, GetWindowLongW(hwnd, GWL_STYLE), FALSE,
                           GetWindowLongW(hwnd, GWL_EXSTYLE), dpi);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  RECT owner = {};
  HWND parent = GetWindow(hwnd, GW_OWNER);
  if (parent == nullptr || !GetWindowRect(parent, &owner)) {
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &owner, 0);
  }
  SetWindowPos(hwnd, nullptr, (owner.left + owner.right - width) / 2,
               (owner.top + owner.bottom - height) / 2, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wparam,
                            LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    auto* dialog = reinterpret_cast<Dialog*>(lparam);
    SetWindowLongPtrW(hwnd, DWLP_USER, lparam);
    dialog->hwnd = hwnd;
    if (dialog->sink == nullptr) {
      dialog->own_sink = std::make_unique<WarningBoxSink>(hwnd);
      dialog->sink = dialog->own_sink.get();
    }
    SetWindowTextW(hwnd, W(kZonesDialogTitle).c_str());
    PlaceDialog(hwnd);
    CreateControls(*dialog);
    FillTable(*dialog);
    if (dialog->hooks->shown) dialog->hooks->shown(hwnd);
    SetFocus(dialog->Item(kZonesTable));
    return FALSE;  // The focus is set.
  }
  auto* dialog = reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  if (dialog == nullptr) return FALSE;
  switch (message) {
    case WM_COMMAND:
      OnCommand(*dialog, LOWORD(wparam), HIWORD(wparam));
      return TRUE;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lparam);
      if (header->idFrom == kZonesTable && header->code == LVN_ITEMCHANGED) {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(lparam);
        if ((change->uChanged & LVIF_STATE) &&
            ((change->uNewState ^ change->uOldState) & LVIS_SELECTED)) {
          ShowSelectedRow(*dialog);
        }
      }
      return TRUE;
    }
    case WM_CTLCOLORSTATIC:
      // Labels on the dialog's own face colour.
      SetBkMode(reinterpret_cast<HDC>(wparam), TRANSPARENT);
      return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
    default:
      return FALSE;
  }
}

}  // namespace

bool RunZonesDialog(HWND owner, MessageSink* sink, const std::string& folder,
                    const DialogHooks& hooks, ZonesChoice* choice) {
  static const bool list_views = [] {
    INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_LISTVIEW_CLASSES};
    return InitCommonControlsEx(&classes) != FALSE;
  }();
  (void)list_views;
  Dialog dialog{sink, nullptr, folder, &hooks, choice, ZoneRows(choice->zones)};

  // An empty template: the controls are made at the screen's scale when the
  // dialog starts. Its words are DWORD-aligned as the system needs.
  struct alignas(4) Template {
    DLGTEMPLATE head;
    WORD menu = 0;
    WORD window_class = 0;
    WORD title = 0;
  } dialog_template = {};
  dialog_template.head.style =
      WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFOREGROUND;
  dialog_template.head.dwExtendedStyle = WS_EX_CONTROLPARENT;
  dialog_template.head.cx = 300;
  dialog_template.head.cy = 260;
  const INT_PTR result = DialogBoxIndirectParamW(
      reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE)),
      &dialog_template.head, owner, DialogProc,
      reinterpret_cast<LPARAM>(&dialog));
  if (dialog.font != nullptr) DeleteObject(dialog.font);
  return result == IDOK;
}

}  // namespace xsrating
