// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows window driven as a person drives it: characters typed into the
// boxes, a selection in the lists with its notification, clicks and keys.
#include "win32/form1_window.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/encoding.h"
#include "core/base/file_io.h"
#include "core/run/run.h"
#include "form/format_help.h"
#include "form/layout.h"
#include "form/texts.h"
#include "tests/support/recording_sink.h"
#include "tests/support/temp_dir.h"

namespace xsrating {
namespace {

using testing::ElementsAre;
using Message = RecordingSink::Message;

constexpr char kFolder[] = "测站 甲";

class Form1WindowTest : public testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(dir_.path() / PathFromUtf8(kFolder));
    WriteBytes(dir_.path() / PathFromUtf8(kFolder) / "v_section.txt",
               ReadBytes(XSRATING_EXAMPLES "/v_section.txt"));
    saved_folder_ = std::filesystem::current_path();
    // The window opens on the process's current folder.
    std::filesystem::current_path(dir_.path());
    Open();
  }

  void TearDown() override {
    window_.reset();
    std::filesystem::current_path(saved_folder_);
  }

  void Open(WindowHooks hooks = {}) {
    hooks.run.now = [] { return LocalDateTime{2026, 12, 7, 3, 47, 47}; };
    window_ = Form1Window::Create(GetModuleHandleW(nullptr), &sink_,
                                  std::move(hooks));
    ASSERT_NE(window_, nullptr);
    ShowWindow(window_->hwnd(), SW_SHOW);
    SetForegroundWindow(window_->hwnd());
  }

  HWND Control(const char* name) const { return window_->Control(name); }

  // Characters as the keyboard sends them; '\b' deletes backwards.
  void Type(const char* box, std::string_view keys) {
    SetFocus(Control(box));
    for (wchar_t key : Utf8ToUtf16(keys)) {
      SendMessageW(Control(box), WM_CHAR, key, 1);
    }
  }

  // Selects the row of a list whose text, without its indent, is `text`, and
  // tells the window as a click does. False when there is no such row.
  bool Select(const char* list, std::string_view text) {
    HWND hwnd = Control(list);
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
    SendMessageW(Control(button), BM_CLICK, 0, 0);
  }

  // A key through the dialog manager, as the message loop passes it.
  void Key(UINT key) {
    MSG message = {};
    message.hwnd = GetFocus();
    message.message = WM_KEYDOWN;
    message.wParam = key;
    message.lParam = 1;
    IsDialogMessageW(window_->hwnd(), &message);
  }

  std::string FocusName() const {
    for (const ControlLayout& control : FormControls()) {
      if (Control(control.name) == GetFocus() && GetFocus() != nullptr) {
        return control.name;
      }
    }
    return "(none)";
  }

  TempDir dir_;
  std::filesystem::path saved_folder_;
  RecordingSink sink_;
  std::unique_ptr<Form1Window> window_;
};

TEST_F(Form1WindowTest, ControlsAtTheirTwipsScaledToTheScreen) {
  const int dpi = static_cast<int>(GetDpiForWindow(window_->hwnd()));
  // The script runs this test again with the screen at another scale.
  if (const char* expected = std::getenv("XSRATING_TEST_DPI")) {
    EXPECT_EQ(dpi, std::atoi(expected));
  }
  RECT client;
  GetClientRect(window_->hwnd(), &client);
  EXPECT_EQ(client.right, TwipsToPixels(kFormWidthTwips, dpi));
  EXPECT_EQ(client.bottom, TwipsToPixels(kFormHeightTwips, dpi));
  for (const ControlLayout& control : FormControls()) {
    SCOPED_TRACE(control.name);
    HWND hwnd = Control(control.name);
    if (!OnWindows(control)) {
      EXPECT_EQ(hwnd, nullptr);
      continue;
    }
    ASSERT_NE(hwnd, nullptr);
    RECT rect;
    GetWindowRect(hwnd, &rect);
    MapWindowPoints(nullptr, window_->hwnd(), reinterpret_cast<POINT*>(&rect),
                    2);
    EXPECT_EQ(rect.left, TwipsToPixels(control.twips.left, dpi));
    EXPECT_EQ(rect.top, TwipsToPixels(control.twips.top, dpi));
    EXPECT_EQ(rect.right - rect.left, TwipsToPixels(control.twips.width, dpi));
    if (control.kind != ControlKind::kDriveList) {
      EXPECT_EQ(rect.bottom - rect.top,
                TwipsToPixels(control.twips.height, dpi));
    }
    wchar_t text[64] = {};
    GetWindowTextW(hwnd, text, 64);
    if (control.kind == ControlKind::kLabel ||
        control.kind == ControlKind::kButton) {
      EXPECT_EQ(Utf16ToUtf8(text), control.text);
    }
    LOGFONTW font = {};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)),
               sizeof(font), &font);
    EXPECT_EQ(font.lfHeight,
              -MulDiv(static_cast<int>(control.points * 100 + 0.5), dpi, 7200));
    EXPECT_EQ(font.lfUnderline != 0, control.underline);
  }
  EXPECT_EQ(GetWindowLongW(Control("Label4"), GWL_STYLE) & SS_TYPEMASK,
            static_cast<LONG>(SS_LEFT));  // Wraps.
}

TEST_F(Form1WindowTest, TabFollowsTheTabIndexesFromDir1) {
  EXPECT_EQ(FocusName(), "Dir1");
  std::vector<std::string> order;
  for (int i = 0; i < 9; ++i) {
    Key(VK_TAB);
    order.push_back(FocusName());
  }
  EXPECT_THAT(order,
              ElementsAre("File1", "Drive1", "Text1", "Text2", "Command1",
                          "Command2", "Text3", "Command3", "Dir1"));
}

TEST_F(Form1WindowTest, AWholeRunInAChineseFolder) {
  ASSERT_TRUE(Select("Dir1", kFolder));
  ASSERT_TRUE(Select("File1", "v_section.txt"));
  const std::string folder = dir_.Utf8(kFolder);
  EXPECT_EQ(window_->parameters().data_file_path, folder + "\\v_section.txt");
  Type("Text1", "0.025");
  Type("Text2", "0.0004");
  Type("Text3", "5");
  Click("Command1");

  const std::string result = folder + "\\v_section成果.txt";
  EXPECT_THAT(sink_.messages, ElementsAre(Message{result, kResultSavedTitle}));
  // Byte for byte what the Linux program writes, the path line aside.
  std::string expected = ReadBytes(XSRATING_TEST_DATA "/v_section.expected");
  const std::string actual = ReadBytes(PathFromUtf8(result));
  const auto after_line = [](const std::string& text, int line) {
    size_t at = 0;
    for (int i = 0; i < line; ++i) at = text.find("\r\n", at) + 2;
    return text.substr(at);
  };
  EXPECT_EQ(after_line(actual, 2), after_line(expected, 2));
  EXPECT_EQ(actual.substr(0, actual.find("\r\n")),
            Utf8ToGbk("计算时间: 2026/12/7 3:47:47"));
  EXPECT_EQ(after_line(actual, 1).substr(0, after_line(actual, 1).find('\r')),
            Utf8ToGbk("地形测文件：" + folder + "\\v_section.txt"));

  // The file list shows the new result, the survey still selected.
  HWND files = Control("File1");
  EXPECT_EQ(SendMessageW(files, LB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(SendMessageW(files, LB_GETCURSEL, 0, 0),
            SendMessageW(files, LB_FINDSTRINGEXACT, -1,
                         reinterpret_cast<LPARAM>(L"v_section.txt")));
}

TEST_F(Form1WindowTest, BoxesAtFaultAreMarkedAndStopTheRun) {
  Type("Text1", "-");
  Type("Text2", "0.0004");
  Type("Text3", "150\b\b\b");
  EXPECT_FALSE(window_->HoldsNumber(InputBox::kRoughness));
  EXPECT_TRUE(window_->HoldsNumber(InputBox::kSlope));
  EXPECT_FALSE(window_->HoldsNumber(InputBox::kStageCount));
  EXPECT_EQ(window_->parameters().stage_count, 1);  // The last number.
  Click("Command1");
  ASSERT_EQ(sink_.messages.size(), 1u);
  EXPECT_EQ(sink_.messages[0].title, kIncompleteTitle);
  EXPECT_EQ(FocusName(), "Text1");

  // The box's text is selected: typing replaces it.
  Type("Text1", "5");
  EXPECT_TRUE(window_->HoldsNumber(InputBox::kRoughness));
  EXPECT_EQ(window_->parameters().roughness, 5);
}

TEST_F(Form1WindowTest, EnterAndSpacePressTheFocusedButtonOnly) {
  SetFocus(Control("Text1"));
  Key(VK_RETURN);
  EXPECT_TRUE(sink_.messages.empty());
  SetFocus(Control("Command3"));
  Key(VK_RETURN);
  // Space: the button's own keys, down and up.
  SendMessageW(Control("Command3"), WM_KEYDOWN, VK_SPACE, 1);
  SendMessageW(Control("Command3"), WM_KEYUP, VK_SPACE, 0xC0000001);
  const Message help{FormatHelpText(), kFormatHelpTitle};
  EXPECT_THAT(sink_.messages, ElementsAre(help, help));
}

TEST_F(Form1WindowTest, ADriveNotReadyKeepsThePreviousOne) {
  window_.reset();
  Open({[] {
          return std::vector<std::wstring>{L"Z:\\", L"Q:\\"};
        },
        [](const std::wstring& root, std::wstring* label) {
          *label = L"";
          return root != L"Q:\\";
        },
        {}});
  HWND drives = Control("Drive1");
  const std::string folder = window_->folder();
  SendMessageW(drives, CB_SETCURSEL, 1, 0);
  SendMessageW(window_->hwnd(), WM_COMMAND,
               MAKEWPARAM(GetDlgCtrlID(drives), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(drives));
  EXPECT_THAT(sink_.messages, ElementsAre(Message{DriveNotReadyText("q:"),
                                                  kDriveNotReadyTitle}));
  EXPECT_EQ(SendMessageW(drives, CB_GETCURSEL, 0, 0), 0);
  EXPECT_EQ(window_->folder(), folder);
}

TEST_F(Form1WindowTest, EndClosesTheWindow) {
  HWND hwnd = window_->hwnd();
  Click("Command2");
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_TRUE(sink_.messages.empty());
}

}  // namespace
}  // namespace xsrating
