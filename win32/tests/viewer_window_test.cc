// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows viewer opened from the window as a person opens it, its
// buttons clicked and its keys pressed, with the dialogs answered by the
// test; and, on a display, the real dialogs and boxes photographed.
#include "win32/viewer_window.h"

// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <objidl.h>
#include <gdiplus.h>
// clang-format on

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/base/encoding.h"
#include "core/base/file_io.h"
#include "core/output/own_files.h"
#include "figure/layout.h"
#include "form/viewer.h"
#include "tests/support/recording_sink.h"
#include "tests/support/temp_dir.h"
#include "win32/form1_window.h"

namespace xsrating {
namespace {

constexpr char kFolder[] = "测站 甲";

// The messages waiting, handled as the message loop would.
void Pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// The screen's pixels under `rect` as a PNG in the folder
// XSRATING_TEST_SHOTS names; nothing when it is not set.
void Photograph(const RECT& rect, const std::string& name) {
  const char* folder = std::getenv("XSRATING_TEST_SHOTS");
  if (folder == nullptr) return;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  SelectObject(memory, old);
  {
    Gdiplus::Bitmap image(bitmap, nullptr);
    UINT count = 0, bytes = 0;
    Gdiplus::GetImageEncodersSize(&count, &bytes);
    std::vector<unsigned char> buffer(bytes);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    Gdiplus::GetImageEncoders(count, bytes, codecs);
    for (UINT i = 0; i < count; ++i) {
      if (std::wstring(codecs[i].MimeType) == L"image/png") {
        const std::wstring path =
            Utf8ToUtf16(std::string(folder) + "\\" + name + ".png");
        EXPECT_EQ(image.Save(path.c_str(), &codecs[i].Clsid, nullptr),
                  Gdiplus::Ok);
      }
    }
  }
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

// Waits on another thread for a dialog box owned by `owner`, photographs the
// screen with it as `name`, and closes it with `command`; the thread that
// opened it is inside the box's modal loop meanwhile.
class DialogCloser {
 public:
  DialogCloser(HWND owner, std::string name, int command)
      : thread_([=, this] {
          for (int i = 0; i < 100 && dialog_ == nullptr; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            HWND found = nullptr;
            while ((found = FindWindowExW(nullptr, found, L"#32770",
                                          nullptr)) != nullptr) {
              if (GetWindow(found, GW_OWNER) == owner) dialog_ = found;
            }
          }
          if (dialog_ == nullptr) return;
          std::this_thread::sleep_for(std::chrono::milliseconds(3000));
          RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN),
                         GetSystemMetrics(SM_CYSCREEN)};
          Photograph(screen, name);
          PostMessageW(dialog_, WM_COMMAND, command, 0);
        }) {}
  ~DialogCloser() {
    if (thread_.joinable()) thread_.join();
  }
  // Whether a box owned by the owner came up (valid once joined).
  bool Found() {
    if (thread_.joinable()) thread_.join();
    return dialog_ != nullptr;
  }

 private:
  HWND dialog_ = nullptr;
  std::thread thread_;
};

class ViewerWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    const std::filesystem::path folder = dir_.path() / PathFromUtf8(kFolder);
    std::filesystem::create_directories(folder);
    for (const char* name : {"river_section.txt", "river_section_gaugings.txt",
                             "river_section_stages.txt"}) {
      WriteBytes(folder / name,
                 ReadBytes(std::string(XSRATING_EXAMPLES "/") + name));
    }
    WriteBytes(folder / PathFromUtf8("坏的实测.txt"),
               "水位,流量\r\n45.1,甲\r\n");
    saved_folder_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.path());
  }

  void TearDown() override {
    window_.reset();
    std::filesystem::current_path(saved_folder_);
  }

  // The window over the folder, the survey chosen and the boxes filled, and
  // the viewer opened by its button. With `real_dialogs` the viewer asks
  // with the system's dialogs and tells in its own boxes.
  void OpenViewer(bool real_dialogs = false) {
    WindowHooks hooks;
    hooks.run.now = [] { return LocalDateTime{2026, 12, 7, 3, 47, 47}; };
    hooks.viewer.viewer.now = hooks.run.now;
    if (!real_dialogs) {
      hooks.viewer.choose_open = [this](HWND, const OpenDialogRequest& r) {
        open_requests_.push_back(r);
        return open_answer_;
      };
      hooks.viewer.choose_save = [this](HWND, const SaveDialogRequest& r) {
        save_requests_.push_back(r);
        return save_answer_;
      };
    }
    if (!real_dialogs) hooks.viewer.sink = &viewer_sink_;
    window_ = Form1Window::Create(GetModuleHandleW(nullptr), &sink_,
                                  std::move(hooks));
    ASSERT_NE(window_, nullptr);
    ShowWindow(window_->hwnd(), SW_SHOW);
    ASSERT_TRUE(Select("Dir1", kFolder));
    ASSERT_TRUE(Select("File1", "river_section.txt"));
    Type("Text1", "0.03");
    Type("Text2", "0.00025");
    Type("Text3", "20");
    SendMessageW(window_->Control(kViewButtonName), BM_CLICK, 0, 0);
    ASSERT_NE(window_->viewer(), nullptr);
    viewer_ = window_->viewer();
    Pump();
  }

  void Type(const char* box, const char* text) {
    SetFocus(window_->Control(box));
    for (wchar_t key : Utf8ToUtf16(text)) {
      SendMessageW(window_->Control(box), WM_CHAR, key, 1);
    }
  }

  bool Select(const char* list, const std::string& text) {
    HWND hwnd = window_->Control(list);
    const std::wstring wanted = Utf8ToUtf16(text);
    const int rows = static_cast<int>(SendMessageW(hwnd, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < rows; ++i) {
      std::wstring row(
          static_cast<size_t>(SendMessageW(hwnd, LB_GETTEXTLEN, i, 0)) + 1,
          L'\0');
      row.resize(static_cast<size_t>(SendMessageW(
          hwnd, LB_GETTEXT, i, reinterpret_cast<LPARAM>(row.data()))));
      if (row.substr(row.find_first_not_of(L' ')) != wanted) continue;
      SendMessageW(hwnd, LB_SETCURSEL, i, 0);
      SendMessageW(window_->hwnd(), WM_COMMAND,
                   MAKEWPARAM(GetDlgCtrlID(hwnd), LBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(hwnd));
      return true;
    }
    return false;
  }

  void Click(const char* button) {
    SendMessageW(viewer_->Control(button), BM_CLICK, 0, 0);
    Pump();
  }

  std::string Text(const char* control) const {
    wchar_t text[1024] = {};
    GetWindowTextW(viewer_->Control(control), text, 1024);
    return Utf16ToUtf8(text);
  }

  bool Shown(const char* control) const {
    return IsWindowVisible(viewer_->Control(control)) != 0;
  }

  std::vector<std::string> ChartIds() const {
    std::vector<std::string> ids;
    for (const figure::ChartLayout& chart : viewer_->charts()) {
      ids.push_back(chart.chart.id);
    }
    return ids;
  }

  std::string Path(const std::string& name) const {
    return dir_.Utf8(kFolder) + "\\" + name;
  }

  void ImportGaugings(const std::string& name) {
    open_answer_ = Path(name);
    Click("ImportGaugings");
  }

  TempDir dir_;
  std::filesystem::path saved_folder_;
  RecordingSink sink_;
  RecordingSink viewer_sink_;
  std::unique_ptr<Form1Window> window_;
  ViewerWindow* viewer_ = nullptr;
  std::vector<OpenDialogRequest> open_requests_;
  std::vector<SaveDialogRequest> save_requests_;
  std::string open_answer_;
  std::string save_answer_;
};

TEST_F(ViewerWindowTest, OpensOnTheRunWithTheTableBesideTheSection) {
  OpenViewer();
  EXPECT_TRUE(IsWindowVisible(viewer_->hwnd()));
  wchar_t caption[256] = {};
  GetWindowTextW(viewer_->hwnd(), caption, 256);
  EXPECT_EQ(Utf16ToUtf8(caption), viewer_->controller().caption());
  EXPECT_THAT(Utf16ToUtf8(caption), testing::HasSubstr("river_section.txt"));
  EXPECT_TRUE(viewer_sink_.messages.empty());
  EXPECT_FALSE(Shown("Message"));
  EXPECT_FALSE(Shown("Summary"));

  // Every row of the table, the heads with their units on one line.
  HWND table = viewer_->Control("Table");
  EXPECT_EQ(ListView_GetItemCount(table), 20);
  const std::vector<ViewerTableColumn> columns = viewer_->controller().Table();
  HWND header = ListView_GetHeader(table);
  ASSERT_EQ(Header_GetItemCount(header), static_cast<int>(columns.size()));
  for (int c = 0; c < static_cast<int>(columns.size()); ++c) {
    wchar_t text[64] = {};
    HDITEMW item = {};
    item.mask = HDI_TEXT;
    item.pszText = text;
    item.cchTextMax = 64;
    Header_GetItem(header, c, &item);
    std::string head = columns[c].head;
    std::replace(head.begin(), head.end(), '\n', ' ');
    EXPECT_EQ(Utf16ToUtf8(text), head);
    ListView_GetItemText(table, 19, c, text, 64);
    EXPECT_EQ(Utf16ToUtf8(text), columns[c].cells[19]);
  }

  // The section and the table share the upper half, the curves the lower;
  // every chart inside the client area, none over the table.
  EXPECT_THAT(ChartIds(), testing::SizeIs(3));
  RECT client, table_rect;
  GetClientRect(viewer_->hwnd(), &client);
  GetWindowRect(table, &table_rect);
  MapWindowPoints(nullptr, viewer_->hwnd(),
                  reinterpret_cast<POINT*>(&table_rect), 2);
  const double scale = viewer_->scale();
  for (const figure::ChartLayout& chart : viewer_->charts()) {
    SCOPED_TRACE(chart.chart.id);
    EXPECT_GT(chart.plot.width, 50);
    EXPECT_GT(chart.plot.height, 50);
    EXPECT_GE(chart.box.x * scale, 0);
    EXPECT_LE(chart.box.Right() * scale, client.right + 0.5);
    EXPECT_LE(chart.box.Bottom() * scale, client.bottom + 0.5);
    const bool beside_table = chart.box.y * scale < table_rect.bottom;
    if (beside_table) {
      EXPECT_LE(chart.box.Right() * scale, table_rect.left);
    }
  }
  EXPECT_EQ(viewer_->scale(), GetDpiForWindow(viewer_->hwnd()) / 96.0);
  // The script runs this again with the screen at 144 dpi.
  if (const char* dpi = std::getenv("XSRATING_TEST_DPI")) {
    EXPECT_EQ(viewer_->scale(), std::atoi(dpi) / 96.0);
  }
}

TEST_F(ViewerWindowTest, GaugingsAddTheirChartsAndABrokenFileKeepsThem) {
  OpenViewer();
  ImportGaugings("river_section_gaugings.txt");
  ASSERT_EQ(open_requests_.size(), 1u);
  EXPECT_EQ(open_requests_[0].folder, dir_.Utf8(kFolder));
  EXPECT_TRUE(viewer_sink_.messages.empty());
  EXPECT_EQ(ChartIds().size(), 5u);
  EXPECT_TRUE(Shown("Summary"));
  EXPECT_EQ(Text("Summary"), viewer_->controller().summary());
  EXPECT_FALSE(Text("Summary").empty());
  EXPECT_TRUE(IsWindowEnabled(viewer_->Control("SaveReport")));
  const std::string summary = Text("Summary");
  const std::string message = Text("Message");

  ImportGaugings("坏的实测.txt");
  ASSERT_EQ(viewer_sink_.messages.size(), 1u);
  EXPECT_EQ(viewer_sink_.messages[0].title, kViewerImportFailedTitle);
  EXPECT_THAT(viewer_sink_.messages[0].text,
              testing::HasSubstr("坏的实测.txt"));
  EXPECT_TRUE(sink_.messages.empty()) << "told by the viewer, not the form";
  EXPECT_EQ(ChartIds().size(), 5u);
  EXPECT_EQ(Text("Summary"), summary);
  EXPECT_EQ(Text("Message"), message);

  // Cancelled: nothing changes, nothing is told.
  open_answer_ = "";
  Click("ImportGaugings");
  EXPECT_EQ(viewer_sink_.messages.size(), 1u);
  EXPECT_EQ(ChartIds().size(), 5u);
}

TEST_F(ViewerWindowTest, AStageRecordAddsTheHydrographOnATabOfItsOwn) {
  OpenViewer();
  EXPECT_FALSE(IsWindowEnabled(viewer_->Control("SaveFlowTable")));
  EXPECT_FALSE(Shown("Tabs"));
  open_answer_ = Path("river_section_stages.txt");
  Click("ConvertFlow");
  EXPECT_TRUE(viewer_sink_.messages.empty());
  EXPECT_TRUE(Shown("FlowSummary"));
  EXPECT_EQ(Text("FlowSummary"), viewer_->controller().flow_summary());
  EXPECT_TRUE(IsWindowEnabled(viewer_->Control("SaveFlowTable")));
  // Turned to: the hydrograph in the curves' room, across the whole width.
  ASSERT_TRUE(Shown("Tabs"));
  EXPECT_THAT(ChartIds(),
              testing::ElementsAre("SectionChart", "HydrographChart"));
  const figure::ChartLayout& hydrograph = viewer_->charts().back();
  EXPECT_DOUBLE_EQ(hydrograph.box.x, viewer_->charts().front().box.x);
  RECT client, tabs;
  GetClientRect(viewer_->hwnd(), &client);
  GetWindowRect(viewer_->Control("Tabs"), &tabs);
  MapWindowPoints(nullptr, viewer_->hwnd(), reinterpret_cast<POINT*>(&tabs), 2);
  EXPECT_GT(hydrograph.box.Right() * viewer_->scale(), client.right * 0.9);
  EXPECT_GE(hydrograph.box.y * viewer_->scale(), tabs.bottom - 0.5);
  // Three fifths of the room: legible at 144 dots per inch on 1280 x 800.
  EXPECT_GT(hydrograph.plot.height, 80);

  // The first tab brings the curves back, and a new table keeps the choice.
  TabCtrl_SetCurFocus(viewer_->Control("Tabs"), 0);
  Pump();
  EXPECT_THAT(ChartIds(), testing::ElementsAre("SectionChart", "DischargeChart",
                                               "AreaChart"));
  Type("Text1", "5");
  SendMessageW(window_->Control(kViewButtonName), BM_CLICK, 0, 0);
  Pump();
  EXPECT_THAT(ChartIds(), testing::SizeIs(3));
  EXPECT_TRUE(Shown("Tabs"));
}

TEST_F(ViewerWindowTest, SavesEachFileToAChineseFolder) {
  OpenViewer();
  ImportGaugings("river_section_gaugings.txt");
  open_answer_ = Path("river_section_stages.txt");
  Click("ConvertFlow");
  std::filesystem::create_directories(dir_.path() / PathFromUtf8("保存 图表"));
  const std::string folder = dir_.Utf8("保存 图表");
  struct Case {
    const char* button;
    const char* name;
    OwnFile kind;
  };
  const Case cases[] = {
      {"SavePng", "river_section成果.png", OwnFile::kFigure},
      {"SaveSvg", "river_section成果.svg", OwnFile::kFigure},
      {"SaveCsv", "river_section成果.csv", OwnFile::kTable},
      {"SaveReport", "river_section率定.csv", OwnFile::kReport},
      {"SaveFlowTable", "river_section_stages流量.csv", OwnFile::kFlowTable},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.button);
    const std::string path = folder + "\\" + c.name;
    save_answer_ = path;
    Click(c.button);
    // Saved twice: the second replaces a file of ours.
    Click(c.button);
    EXPECT_TRUE(viewer_sink_.messages.empty());
    const std::string bytes = ReadBytes(PathFromUtf8(path));
    EXPECT_TRUE(
        IsOwnFile(c.kind, std::string_view(bytes).substr(0, kOpeningBytes)));
    EXPECT_THAT(Text("Status"), testing::HasSubstr(c.name));
    if (const char* out = std::getenv("XSRATING_TEST_ARTIFACTS")) {
      WriteBytes(PathFromUtf8(std::string(out) + "\\viewer-" + c.name), bytes);
    }
  }
  ASSERT_EQ(save_requests_.size(), 10u);
  EXPECT_EQ(save_requests_[0].extension, ".png");

  // Not ours: left as it was, and told.
  const std::string other = folder + "\\别人的.csv";
  WriteBytes(PathFromUtf8(other), "别人的表\r\n");
  save_answer_ = other;
  Click("SaveCsv");
  ASSERT_EQ(viewer_sink_.messages.size(), 1u);
  EXPECT_EQ(viewer_sink_.messages[0].title, kViewerSaveFailedTitle);
  EXPECT_EQ(ReadBytes(PathFromUtf8(other)), "别人的表\r\n");
  EXPECT_EQ(Text("Status"), "");
}

TEST_F(ViewerWindowTest, EscClosesAndTheButtonOpensItAgain) {
  OpenViewer();
  HWND first = viewer_->hwnd();
  SetFocus(viewer_->Control("SaveCsv"));
  MSG key = {};
  key.hwnd = GetFocus();
  key.message = WM_KEYDOWN;
  key.wParam = VK_ESCAPE;
  key.lParam = 1;
  if (!IsDialogMessageW(first, &key)) DispatchMessageW(&key);
  Pump();
  EXPECT_FALSE(IsWindow(first));
  EXPECT_EQ(window_->viewer(), nullptr);
  SendMessageW(window_->Control(kViewButtonName), BM_CLICK, 0, 0);
  ASSERT_NE(window_->viewer(), nullptr);
  EXPECT_TRUE(IsWindowVisible(window_->viewer()->hwnd()));
}

TEST_F(ViewerWindowTest, FollowsAChangeOfScale) {
  OpenViewer();
  const UINT dpi = GetDpiForWindow(viewer_->hwnd());
  const UINT other = dpi * 3 / 2;
  RECT frame;
  GetWindowRect(viewer_->hwnd(), &frame);
  SendMessageW(viewer_->hwnd(), WM_DPICHANGED, MAKEWPARAM(other, other),
               reinterpret_cast<LPARAM>(&frame));
  EXPECT_DOUBLE_EQ(viewer_->scale(), other / 96.0);
  LOGFONTW font = {};
  GetObjectW(reinterpret_cast<HFONT>(
                 SendMessageW(viewer_->Control("SaveCsv"), WM_GETFONT, 0, 0)),
             sizeof(font), &font);
  EXPECT_EQ(font.lfHeight, -MulDiv(9, static_cast<int>(other), 72));
  // The same room holds the charts in fewer units.
  RECT client;
  GetClientRect(viewer_->hwnd(), &client);
  for (const figure::ChartLayout& chart : viewer_->charts()) {
    EXPECT_LE(chart.box.Right() * viewer_->scale(), client.right + 0.5);
  }
}

// On a display (the script's Xvfb): the viewer with gaugings, a save dialog
// and a failed import's box, photographed; the box is the viewer's own.
TEST_F(ViewerWindowTest, ScreenshotsWithTheSystemsDialogs) {
  if (std::getenv("XSRATING_TEST_SHOTS") == nullptr) {
    GTEST_SKIP() << "no display for screenshots";
  }
  OpenViewer(/*real_dialogs=*/true);
  viewer_->controller().ImportGaugings(Path("river_section_gaugings.txt"));
  viewer_->controller().ConvertStageRecord(Path("river_section_stages.txt"));
  Pump();
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  Pump();
  RECT frame;
  GetWindowRect(viewer_->hwnd(), &frame);
  Photograph(frame, "viewer");
  {
    DialogCloser closer(viewer_->hwnd(), "save-dialog", IDCANCEL);
    Click("SavePng");
    EXPECT_TRUE(closer.Found());
  }
  {
    DialogCloser closer(viewer_->hwnd(), "import-failed", IDOK);
    viewer_->controller().ImportGaugings(Path("坏的实测.txt"));
    EXPECT_TRUE(closer.Found());
  }
  EXPECT_EQ(viewer_->charts().size(), 2u) << "the hydrograph turned to";
}

}  // namespace
}  // namespace xsrating
