// SPDX-License-Identifier: GPL-3.0-or-later
#include "win32/viewer_window.h"

// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <objidl.h>
#include <gdiplus.h>
// clang-format on

#include <algorithm>
#include <utility>

#include "core/base/encoding.h"
#include "figure/charts.h"
#include "figure/figure_request.h"
#include "figure/svg_painter.h"
#include "figure_gdiplus/gdiplus_painter.h"
#include "win32/file_dialogs.h"
#include "win32/warning_box_sink.h"
#include "win32/window_proc.h"

namespace xsrating {
namespace {

constexpr wchar_t kClassName[] = L"XsratingViewer";
constexpr int kFirstId = 100;
constexpr COLORREF kMessageColor = RGB(176, 0, 0);

enum class Kind { kLabel, kTable, kTabs, kButton };

// What a button asks the controller for.
enum class Press { kNone, kImport, kConvert, kSave };

struct ViewerControl {
  const char* name;
  Kind kind;
  const char* text;
  Press press = Press::kNone;
  ViewerFile file = ViewerFile::kPng;  // Of a save button.
};

// In the tab order: the table, then the buttons as they stand left to right.
constexpr ViewerControl kViewerControls[] = {
    {"Message", Kind::kLabel, ""},
    {"Summary", Kind::kLabel, ""},
    {"FlowSummary", Kind::kLabel, ""},
    {"Status", Kind::kLabel, ""},
    {"Table", Kind::kTable, ""},
    {"Tabs", Kind::kTabs, ""},
    {"ImportGaugings", Kind::kButton, "导入实测流量…", Press::kImport},
    {"SaveReport", Kind::kButton, "保存率定表 (CSV)…", Press::kSave,
     ViewerFile::kReport},
    {"ConvertFlow", Kind::kButton, "推求流量…", Press::kConvert},
    {"SaveFlowTable", Kind::kButton, "保存流量表 (CSV)…", Press::kSave,
     ViewerFile::kFlowTable},
    {"SavePng", Kind::kButton, "保存图 (PNG)…", Press::kSave, ViewerFile::kPng},
    {"SaveSvg", Kind::kButton, "保存图 (SVG)…", Press::kSave, ViewerFile::kSvg},
    {"SaveCsv", Kind::kButton, "保存表 (CSV)…", Press::kSave, ViewerFile::kCsv},
};
constexpr size_t kMessage = 0, kSummary = 1, kFlowSummary = 2, kStatus = 3,
                 kTable = 4, kTabs = 5, kFirstButton = 6, kFirstFigureSave = 10;
// The tabs' texts: the curves, then the hydrograph.
constexpr const char* kTabTexts[] = {"水位流量关系曲线", "水位流量过程线"};

std::wstring W(std::string_view utf8) { return Utf8ToUtf16(utf8); }

figure::FigureRequest RequestOf(const ViewerContent& content,
                                std::string title) {
  figure::FigureRequest request;
  request.section = content.section;
  request.rows = content.rows;
  request.zones = content.zones;
  request.analysis = content.analysis;
  request.hydrograph = content.hydrograph;
  request.heading = content.heading;
  request.title = std::move(title);
  return request;
}

// The system's dialogs, asked as the controller says.
std::string SystemOpenDialog(HWND owner, const OpenDialogRequest& request) {
  FileDialogRequest dialog;
  dialog.caption = request.caption;
  dialog.folder = request.folder;
  for (const OpenDialogRequest::Filter& filter : request.filters) {
    dialog.filters.push_back({filter.text, filter.pattern});
  }
  return ChooseFile(owner, dialog);
}

std::string SystemSaveDialog(HWND owner, const SaveDialogRequest& request) {
  FileDialogRequest dialog;
  dialog.save = true;
  dialog.caption = request.caption;
  dialog.suggested = request.suggested;
  dialog.filters.push_back({request.filter_text, request.filter_pattern});
  dialog.extension = request.extension;
  return ChooseFile(owner, dialog);
}

// The width of `text` in the window's font, in pixels.
int TextPixels(HWND hwnd, HFONT font, const std::wstring& text) {
  HDC dc = GetDC(hwnd);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size = {};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(hwnd, dc);
  return size.cx;
}

// The height `text` takes wrapped to `width` pixels; 0 for no text.
int WrappedPixels(HWND hwnd, HFONT font, const std::wstring& text, int width) {
  if (text.empty()) return 0;
  HDC dc = GetDC(hwnd);
  HGDIOBJ old = SelectObject(dc, font);
  RECT box = {0, 0, std::max(width, 1), 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box,
            DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(hwnd, dc);
  return box.bottom - box.top;
}

// One line in a list's head: "水位 (m)" for "水位\n(m)".
std::wstring OneLineHead(const std::string& head) {
  std::wstring line = W(head);
  std::replace(line.begin(), line.end(), L'\n', L' ');
  return line;
}

figure::Rect UnitsOf(const RECT& pixels, double scale) {
  return {pixels.left / scale, pixels.top / scale,
          (pixels.right - pixels.left) / scale,
          (pixels.bottom - pixels.top) / scale};
}

}  // namespace

ViewerWindow::ViewerWindow(ViewerWindowHooks hooks)
    : sink_(hooks.sink), hooks_(std::move(hooks)) {
  if (!hooks_.choose_open) hooks_.choose_open = SystemOpenDialog;
  if (!hooks_.choose_save) hooks_.choose_save = SystemSaveDialog;
}

std::unique_ptr<ViewerWindow> ViewerWindow::Create(HINSTANCE instance,
                                                   HWND owner,
                                                   ViewerWindowHooks hooks) {
  if (!figure::StartGdiplus().ok()) return nullptr;
  const INITCOMMONCONTROLSEX common = {sizeof(common),
                                       ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES};
  InitCommonControlsEx(&common);
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
  std::unique_ptr<ViewerWindow> window(new ViewerWindow(std::move(hooks)));
  CreateWindowExW(WS_EX_CONTROLPARENT, kClassName, W(kViewerCaption).c_str(),
                  WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                  instance, window.get());
  if (window->hwnd_ == nullptr) return nullptr;
  if (window->sink_ == nullptr) {
    window->own_sink_ = std::make_unique<WarningBoxSink>(window->hwnd_);
    window->sink_ = window->own_sink_.get();
  }
  window->controller_ = std::make_unique<ViewerController>(
      *window, *window->sink_, window->hooks_.viewer);
  window->dpi_ = GetDpiForWindow(window->hwnd_);
  window->CreateControls();

  // The preferred size at the window's scale, within the work area of the
  // owner's screen and over the owner.
  const UINT dpi = window->dpi_;
  HMONITOR monitor = MonitorFromWindow(owner != nullptr ? owner : window->hwnd_,
                                       MONITOR_DEFAULTTONEAREST);
  MONITORINFO monitor_info = {};
  monitor_info.cbSize = sizeof(monitor_info);
  GetMonitorInfoW(monitor, &monitor_info);
  const RECT& work = monitor_info.rcWork;
  RECT owner_frame = work;
  if (owner != nullptr) GetWindowRect(owner, &owner_frame);
  RECT frame = {0, 0, 0, 0};
  AdjustWindowRectExForDpi(&frame, WS_OVERLAPPEDWINDOW, FALSE,
                           WS_EX_CONTROLPARENT, dpi);
  const ScreenRect placed = ViewerFrame(
      MulDiv(kViewerPreferredWidth, dpi, 96),
      MulDiv(kViewerPreferredHeight, dpi, 96),
      {work.left, work.top, work.right - work.left, work.bottom - work.top},
      {owner_frame.left, owner_frame.top, owner_frame.right - owner_frame.left,
       owner_frame.bottom - owner_frame.top},
      {-frame.left, -frame.top, frame.right, frame.bottom});
  SetWindowPos(window->hwnd_, nullptr, placed.left, placed.top, placed.width,
               placed.height, SWP_NOZORDER | SWP_NOACTIVATE);
  return window;
}

ViewerWindow::~ViewerWindow() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
  if (font_ != nullptr) DeleteObject(font_);
}

HWND ViewerWindow::Control(std::string_view name) const {
  for (size_t i = 0; i < std::size(kViewerControls); ++i) {
    if (name == kViewerControls[i].name) return controls_[i];
  }
  return nullptr;
}

void ViewerWindow::CreateControls() {
  HINSTANCE instance =
      reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE));
  for (size_t i = 0; i < std::size(kViewerControls); ++i) {
    const ViewerControl& control = kViewerControls[i];
    const wchar_t* window_class = L"STATIC";
    DWORD style = WS_CHILD | WS_VISIBLE;
    DWORD ex_style = 0;
    if (control.kind == Kind::kLabel) {
      style |= SS_NOPREFIX | SS_LEFT;
    } else if (control.kind == Kind::kTable) {
      window_class = WC_LISTVIEWW;
      style |= WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL |
               LVS_NOSORTHEADER;
      ex_style = WS_EX_CLIENTEDGE;
    } else if (control.kind == Kind::kTabs) {
      window_class = WC_TABCONTROLW;
      style |= WS_TABSTOP | WS_CLIPSIBLINGS;
    } else {
      window_class = L"BUTTON";
      style |= WS_TABSTOP | BS_PUSHBUTTON;
    }
    controls_.push_back(CreateWindowExW(
        ex_style, window_class, W(control.text).c_str(), style, 0, 0, 0, 0,
        hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstId + i)),
        instance, nullptr));
  }
  for (int i = 0; i < static_cast<int>(std::size(kTabTexts)); ++i) {
    std::wstring text = W(kTabTexts[i]);
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = text.data();
    TabCtrl_InsertItem(controls_[kTabs], i, &item);
  }
  ListView_SetExtendedListViewStyle(controls_[kTable], LVS_EX_FULLROWSELECT |
                                                           LVS_EX_GRIDLINES |
                                                           LVS_EX_DOUBLEBUFFER);
  MakeFonts(dpi_);
}

void ViewerWindow::MakeFonts(UINT dpi) {
  // 9 points at this scale in the face Chinese Windows shows its dialogs
  // in; where it is missing, the system's Chinese face (GB2312).
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof(metrics);
  SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics,
                             0, dpi);
  LOGFONTW face = metrics.lfMessageFont;
  face.lfHeight = -MulDiv(9, static_cast<int>(dpi), 72);
  face.lfCharSet = GB2312_CHARSET;
  lstrcpynW(face.lfFaceName, L"Microsoft YaHei", LF_FACESIZE);
  HFONT font = CreateFontIndirectW(&face);
  HFONT old = font_;
  font_ = font;
  for (HWND control : controls_) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  }
  if (old != nullptr) DeleteObject(old);
  dpi_ = dpi;
  scale_ = dpi / 96.0;
}

void ViewerWindow::LayOut() {
  RECT client = {};
  GetClientRect(hwnd_, &client);
  const auto px = [this](int units) { return MulDiv(units, dpi_, 96); };
  const int margin = px(8);
  const int gap = px(6);
  const int width = std::max<int>(client.right - 2 * margin, 1);
  int top = margin;
  int bottom = client.bottom - margin;

  // The figure's and the table's saves along the bottom, right-aligned, the
  // status filling the rest; above them, from the left, the gaugings' and
  // the stage record's buttons, so that the narrowest window has room for
  // all.
  const int button_height = px(26);
  const auto button_width = [&](size_t i) {
    return TextPixels(hwnd_, font_, W(kViewerControls[i].text)) + px(20);
  };
  int right = client.right - margin;
  for (size_t i = std::size(kViewerControls); i-- > kFirstFigureSave;) {
    right -= button_width(i);
    MoveWindow(controls_[i], right, bottom - button_height, button_width(i),
               button_height, FALSE);
    right -= gap;
  }
  MoveWindow(controls_[kStatus], margin, bottom - button_height + px(5),
             std::max(right - margin, 0), button_height - px(5), FALSE);
  bottom -= button_height + gap;
  int left = margin;
  for (size_t i = kFirstButton; i < kFirstFigureSave; ++i) {
    MoveWindow(controls_[i], left, bottom - button_height, button_width(i),
               button_height, FALSE);
    left += button_width(i) + (i == kFirstButton + 1 ? 3 * gap : gap);
  }
  bottom -= button_height + gap;

  // The summary and the message lines, wrapped to the width.
  const auto place_line = [&](size_t index, bool at_top) {
    const std::wstring text =
        W(index == kMessage   ? controller_->message()
          : index == kSummary ? controller_->summary()
                              : controller_->flow_summary());
    const int height = WrappedPixels(hwnd_, font_, text, width);
    ShowWindow(controls_[index], height > 0 ? SW_SHOWNA : SW_HIDE);
    if (height == 0) return;
    if (at_top) {
      MoveWindow(controls_[index], margin, top, width, height, FALSE);
      top += height + gap;
    } else {
      bottom -= height;
      MoveWindow(controls_[index], margin, bottom, width, height, FALSE);
      bottom -= gap;
    }
  };
  place_line(kMessage, true);
  place_line(kFlowSummary, false);
  place_line(kSummary, false);

  PlaceCharts(top, std::max(bottom, top));
  // The controls were moved without drawing: everything is drawn anew once.
  RedrawWindow(hwnd_, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void ViewerWindow::PlaceCharts(int top, int bottom) {
  RECT client = {};
  GetClientRect(hwnd_, &client);
  const int margin = MulDiv(8, dpi_, 96);
  const int gap = MulDiv(6, dpi_, 96);
  const int width = std::max<int>(client.right - 2 * margin, 1);
  // The section beside the table above, the other charts below; with a
  // stage record, the tabs choose between the curves and the hydrograph
  // across the whole width. The section alone when there is no table.
  const bool has_table = controller_->HasTable();
  ShowWindow(controls_[kTable], has_table ? SW_SHOWNA : SW_HIDE);
  const bool has_hydrograph =
      !made_charts_.empty() &&
      made_charts_.back().id == figure::kHydrographChartId;
  const int curves =
      static_cast<int>(made_charts_.size()) - 1 - (has_hydrograph ? 1 : 0);
  const bool below = has_table && curves > 0;
  ShowWindow(controls_[kTabs], below && has_hydrograph ? SW_SHOWNA : SW_HIDE);
  std::vector<std::pair<size_t, RECT>> boxes;
  RECT section = {margin, top, client.right - margin, bottom};
  if (below) {
    // With a stage record the lower charts get three fifths: the hydrograph
    // wants the height more than the section does.
    const int middle = has_hydrograph ? top + (bottom - top) * 2 / 5
                                      : top + (bottom - top) / 2;
    section.bottom = middle - gap / 2;
    section.right = margin + width * 55 / 100;
    MoveWindow(controls_[kTable], section.right + gap, top,
               client.right - margin - section.right - gap,
               section.bottom - top, FALSE);
    int lower_top = middle + gap / 2;
    if (has_hydrograph) {
      // Only the strip of the tabs: the charts under it are the window's own
      // painting, which a tab control's body would cover.
      RECT item = {};
      TabCtrl_GetItemRect(controls_[kTabs], 0, &item);
      const int strip = item.bottom + MulDiv(2, dpi_, 96);
      MoveWindow(controls_[kTabs], margin, lower_top, width, strip, FALSE);
      lower_top += strip;
    }
    if (has_hydrograph && TabCtrl_GetCurSel(controls_[kTabs]) == 1) {
      boxes.push_back({made_charts_.size() - 1,
                       {margin, lower_top, client.right - margin, bottom}});
    } else {
      for (int i = 0; i < curves; ++i) {
        boxes.push_back({static_cast<size_t>(i) + 1,
                         {margin + width * i / curves, lower_top,
                          margin + width * (i + 1) / curves, bottom}});
      }
    }
  }
  boxes.insert(boxes.begin(), {0, section});
  charts_.clear();
  if (made_charts_.empty()) return;
  Gdiplus::Bitmap scratch(1, 1, PixelFormat32bppARGB);
  Gdiplus::Graphics graphics(&scratch);
  figure::GdiplusPainter measure(&graphics, scale_);
  for (const auto& [index, box] : boxes) {
    charts_.push_back(figure::LayOutChart(made_charts_[index],
                                          UnitsOf(box, scale_), measure));
  }
}

void ViewerWindow::Paint() {
  PAINTSTRUCT paint = {};
  HDC screen = BeginPaint(hwnd_, &paint);
  RECT client = {};
  GetClientRect(hwnd_, &client);
  // Drawn whole into a buffer and copied at once: no flicker on resizing.
  HDC buffer = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(
      screen, std::max<int>(client.right, 1), std::max<int>(client.bottom, 1));
  HGDIOBJ old = SelectObject(buffer, bitmap);
  FillRect(buffer, &client, GetSysColorBrush(COLOR_BTNFACE));
  {
    Gdiplus::Graphics graphics(buffer);
    figure::GdiplusPainter painter(&graphics, scale_);
    for (const figure::ChartLayout& chart : charts_) {
      figure::DrawChart(chart, painter);
    }
  }
  BitBlt(screen, 0, 0, client.right, client.bottom, buffer, 0, 0, SRCCOPY);
  SelectObject(buffer, old);
  DeleteObject(bitmap);
  DeleteDC(buffer);
  EndPaint(hwnd_, &paint);
}

void ViewerWindow::Show(const ViewRequest& request) {
  controller_->Show(request);
}

void ViewerWindow::Refresh() {
  const ViewerController& viewer = *controller_;
  SetWindowTextW(hwnd_, W(viewer.caption()).c_str());
  made_charts_ = figure::MakeFigureCharts(RequestOf(viewer.content(), ""));
  // A record just converted is what the user wants to see; converted again
  // by a new table, the tab chosen stays.
  const bool has_hydrograph = viewer.content().hydrograph.has_value();
  if (has_hydrograph != showed_hydrograph_) {
    TabCtrl_SetCurSel(controls_[kTabs], has_hydrograph ? 1 : 0);
    showed_hydrograph_ = has_hydrograph;
  }
  SetWindowTextW(controls_[kMessage], W(viewer.message()).c_str());
  SetWindowTextW(controls_[kSummary], W(viewer.summary()).c_str());
  SetWindowTextW(controls_[kFlowSummary], W(viewer.flow_summary()).c_str());
  SetWindowTextW(controls_[kStatus], W(viewer.status()).c_str());
  FillTable();
  for (size_t i = kFirstButton; i < std::size(kViewerControls); ++i) {
    const ViewerControl& button = kViewerControls[i];
    const bool works = button.press == Press::kImport ? viewer.CanImport()
                       : button.press == Press::kConvert
                           ? viewer.CanConvert()
                           : viewer.CanSave(button.file);
    EnableWindow(controls_[i], works);
  }
  LayOut();
}

void ViewerWindow::FillTable() {
  HWND table = controls_[kTable];
  SendMessageW(table, WM_SETREDRAW, FALSE, 0);
  ListView_DeleteAllItems(table);
  while (ListView_DeleteColumn(table, 0)) {
  }
  const std::vector<ViewerTableColumn> columns = controller_->Table();
  for (size_t c = 0; c < columns.size(); ++c) {
    std::wstring head = OneLineHead(columns[c].head);
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_FMT | LVCF_SUBITEM;
    column.fmt = LVCFMT_RIGHT;
    column.pszText = head.data();
    column.iSubItem = static_cast<int>(c);
    ListView_InsertColumn(table, static_cast<int>(c), &column);
  }
  const size_t rows = columns.empty() ? 0 : columns.front().cells.size();
  for (size_t r = 0; r < rows; ++r) {
    for (size_t c = 0; c < columns.size(); ++c) {
      std::wstring cell = W(columns[c].cells[r]);
      LVITEMW item = {};
      item.mask = LVIF_TEXT;
      item.iItem = static_cast<int>(r);
      item.iSubItem = static_cast<int>(c);
      item.pszText = cell.data();
      if (c == 0) {
        ListView_InsertItem(table, &item);
      } else {
        ListView_SetItem(table, &item);
      }
    }
  }
  // Each column as wide as its head or its widest cell in the table's font,
  // with the list's own margins; the list scrolls across when they do not
  // fit.
  const int padding = MulDiv(16, dpi_, 96);
  for (size_t c = 0; c < columns.size(); ++c) {
    int width = TextPixels(table, font_, OneLineHead(columns[c].head));
    for (const std::string& cell : columns[c].cells) {
      width = std::max(width, TextPixels(table, font_, W(cell)));
    }
    ListView_SetColumnWidth(table, static_cast<int>(c), width + padding);
  }
  SendMessageW(table, WM_SETREDRAW, TRUE, 0);
}

std::string ViewerWindow::ChooseOpenPath(const OpenDialogRequest& request) {
  return hooks_.choose_open(hwnd_, request);
}

std::string ViewerWindow::ChooseSavePath(const SaveDialogRequest& request) {
  return hooks_.choose_save(hwnd_, request);
}

Status ViewerWindow::FigureBytes(ViewerFile file, const ViewerContent& content,
                                 const std::string& title, std::string* bytes) {
  const figure::FigureRequest request = RequestOf(content, title);
  if (file == ViewerFile::kSvg) {
    *bytes = figure::FigureSvg(request);
    return Status::Ok();
  }
  return figure::FigurePng(request, bytes);
}

LRESULT CALLBACK ViewerWindow::WindowProc(HWND hwnd, UINT message,
                                          WPARAM wparam, LPARAM lparam) {
  return DispatchToWindow<ViewerWindow>(hwnd, message, wparam, lparam);
}

LRESULT ViewerWindow::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wparam), HIWORD(wparam));
      return 0;
    case WM_NOTIFY: {
      const auto* notice = reinterpret_cast<const NMHDR*>(lparam);
      if (!controls_.empty() && notice->hwndFrom == controls_[kTabs] &&
          notice->code == TCN_SELCHANGE) {
        LayOut();
      }
      break;
    }
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wparam);
      SetBkMode(dc, TRANSPARENT);
      if (reinterpret_cast<HWND>(lparam) == controls_[kMessage]) {
        SetTextColor(dc, kMessageColor);
      }
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_SIZE:
      if (controller_ != nullptr && !controls_.empty()) LayOut();
      return 0;
    case WM_GETMINMAXINFO: {
      // Room for the buttons and a chart at any scale.
      auto* limits = reinterpret_cast<MINMAXINFO*>(lparam);
      limits->ptMinTrackSize.x = MulDiv(720, dpi_, 96);
      limits->ptMinTrackSize.y = MulDiv(480, dpi_, 96);
      return 0;
    }
    case WM_ERASEBKGND:
      // Paint covers the whole client area.
      return 1;
    case WM_PAINT:
      Paint();
      return 0;
    case WM_DPICHANGED: {
      MakeFonts(HIWORD(wparam));
      FillTable();
      const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
      SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left,
                   suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      LayOut();
      return 0;
    }
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wparam, lparam);
}

void ViewerWindow::OnCommand(int id, int code) {
  if (id == IDCANCEL) {
    // Esc, through the dialog manager.
    DestroyWindow(hwnd_);
    return;
  }
  if (id == IDOK) {
    // Enter presses the focused button.
    HWND focus = GetFocus();
    for (size_t i = kFirstButton; i < std::size(kViewerControls); ++i) {
      if (focus == controls_[i])
        OnCommand(kFirstId + static_cast<int>(i), BN_CLICKED);
    }
    return;
  }
  if (code != BN_CLICKED || id < kFirstId + static_cast<int>(kFirstButton) ||
      id >= kFirstId + static_cast<int>(std::size(kViewerControls))) {
    return;
  }
  const ViewerControl& button =
      kViewerControls[static_cast<size_t>(id - kFirstId)];
  switch (button.press) {
    case Press::kImport:
      controller_->PressImport();
      return;
    case Press::kConvert:
      controller_->PressConvert();
      return;
    case Press::kSave:
      controller_->PressSave(button.file);
      return;
    case Press::kNone:
      return;
  }
}

}  // namespace xsrating
