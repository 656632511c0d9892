// SPDX-License-Identifier: GPL-3.0-or-later
// The windows' shared layer: what the boxes do with their texts, what the
// start and help buttons say, the chooser's rules and the layout.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/base/encoding.h"
#include "core/base/file_io.h"
#include "core/output/flow_table.h"
#include "core/output/own_files.h"
#include "core/output/rating_csv.h"
#include "core/run/run.h"
#include "form/chooser.h"
#include "form/chooser_rules.h"
#include "form/form_controller.h"
#include "form/format_help.h"
#include "form/inputs.h"
#include "form/layout.h"
#include "form/start_command.h"
#include "form/texts.h"
#include "form/viewer.h"
#include "form/zones.h"
#include "tests/support/recording_sink.h"
#include "tests/support/temp_dir.h"

namespace xsrating {
namespace {

using testing::AllOf;
using testing::ElementsAre;
using testing::ElementsAreArray;
using testing::HasSubstr;

// A box edited step by step: its text after each step, and the parameter's
// value and the mark ('.' a number, 'x' not) after it.
struct EditCase {
  const char* name;
  InputBox box;
  std::vector<const char*> texts;
  std::vector<double> values;
  const char* marks;
};

class BoxEditTest : public testing::TestWithParam<EditCase> {};

TEST_P(BoxEditTest, KeepsTheLastNumberAndMarksTheRest) {
  const EditCase& edit = GetParam();
  ASSERT_EQ(edit.texts.size(), edit.values.size());
  RunParameters params;
  for (size_t i = 0; i < edit.texts.size(); ++i) {
    SCOPED_TRACE(std::string("text \"") + edit.texts[i] + "\"");
    const bool number = ApplyBoxText(edit.box, edit.texts[i], params);
    EXPECT_EQ(number, edit.marks[i] == '.');
    EXPECT_EQ(edit.box == InputBox::kRoughness ? params.roughness
                                               : params.stage_count,
              edit.values[i]);
  }
  EXPECT_TRUE(params.slope_text.empty());
  EXPECT_TRUE(params.data_file_path.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Typing, BoxEditTest,
    testing::Values(EditCase{"Number",
                             InputBox::kRoughness,
                             {"0", "0.", "0.0", "0.03"},
                             {0, 0, 0, 0.03},
                             "...."},
                    EditCase{"LeadingPoint",
                             InputBox::kRoughness,
                             {".", ".0", ".03"},
                             {0, 0, 0.03},
                             "x.."},
                    EditCase{"LoneMinus",
                             InputBox::kRoughness,
                             {"-", "-.", "-.5"},
                             {0, 0, -0.5},
                             "xx."},
                    EditCase{"ExponentOnTheWay",
                             InputBox::kRoughness,
                             {"2", "2e", "2e-", "2e-2"},
                             {2, 2, 2, 0.02},
                             ".xx."},
                    EditCase{"DeletedThenRetyped",
                             InputBox::kStageCount,
                             {"1", "15", "150", "", "2", "25"},
                             {1, 15, 150, 150, 2, 25},
                             "...x.."},
                    EditCase{"EmptiedKeepsTheLast",
                             InputBox::kStageCount,
                             {"2", "25", "2", ""},
                             {2, 25, 2, 2},
                             "...x"},
                    EditCase{"Fraction",
                             InputBox::kStageCount,
                             {"4", "4.", "4.5"},
                             {4, 4, 4.5},
                             "..."},
                    EditCase{"Letters",
                             InputBox::kStageCount,
                             {"5", "5x", " 5 "},
                             {5, 5, 5},
                             ".x."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SlopeBoxTest, KeepsTheTextAsTypedAndMarksANonNumber) {
  RunParameters params;
  EXPECT_TRUE(ApplyBoxText(InputBox::kSlope, "0.0004", params));
  EXPECT_EQ(params.slope_text, "0.0004");
  EXPECT_FALSE(ApplyBoxText(InputBox::kSlope, " 1/2500 ", params));
  EXPECT_EQ(params.slope_text, " 1/2500 ");
  EXPECT_FALSE(ApplyBoxText(InputBox::kSlope, "", params));
  EXPECT_EQ(params.slope_text, "");
  EXPECT_EQ(params.roughness, 0);
  EXPECT_EQ(NotANumberHint(InputBox::kSlope), "比降须为数字，例如 0.0004");
}

// The three boxes' texts and the one warning the start button gives.
struct ProblemCase {
  const char* name;
  BoxTexts texts;
  const char* title;  // Null: nothing at fault.
  const char* text;
  std::optional<InputBox> focus;
};

class InputProblemsTest : public testing::TestWithParam<ProblemCase> {};

TEST_P(InputProblemsTest, OneWarningNamesEveryBoxAndFocusesTheFirst) {
  const ProblemCase& row = GetParam();
  const InputProblems problems = FindInputProblems(row.texts);
  EXPECT_EQ(problems.first, row.focus);
  if (row.title == nullptr) {
    EXPECT_FALSE(problems.any());
    EXPECT_EQ(DescribeInputProblems(problems), "");
    return;
  }
  EXPECT_TRUE(problems.any());
  EXPECT_EQ(InputProblemsMessage(problems), (Warning{row.text, row.title}));
}

INSTANTIATE_TEST_SUITE_P(
    StartButton, InputProblemsTest,
    testing::Values(
        ProblemCase{"NothingTyped",
                    {"", "", ""},
                    kIncompleteTitle,
                    "“糙率”、“比降”和“水位流量关系曲线点子数量”是空的，"
                    "请填写后再按“开始”。",
                    InputBox::kRoughness},
        ProblemCase{"RoughnessALoneMinus",
                    {"-", "0.0004", "150"},
                    kNotANumberTitle,
                    "“糙率”中不是数字，请改正后再按“开始”。",
                    InputBox::kRoughness},
        ProblemCase{"StageCountEmptied",
                    {"0.025", "0.0004", ""},
                    kIncompleteTitle,
                    "“水位流量关系曲线点子数量”是空的，请填写后再按“开始”。",
                    InputBox::kStageCount},
        ProblemCase{"TwoNotNumbers",
                    {".", "0.0004", "x"},
                    kNotANumberTitle,
                    "“糙率”和“水位流量关系曲线点子数量”中不是数字，"
                    "请改正后再按“开始”。",
                    InputBox::kRoughness},
        ProblemCase{"SlopeLetters",
                    {"0.025", "1/2500", "5"},
                    kNotANumberTitle,
                    "“比降”中不是数字（“1/2500”请写成小数 0.0004），"
                    "请改正后再按“开始”。",
                    InputBox::kSlope},
        ProblemCase{"DecimalCommas",
                    {"0,03", "0,0005", "5"},
                    kNotANumberTitle,
                    "“糙率”和“比降”中不是数字（“0,03”请写成小数 0.03，"
                    "“0,0005”请写成小数 0.0005），请改正后再按“开始”。",
                    InputBox::kRoughness},
        // An input method left in full width: each box gets the half-width
        // text to type, a full-width decimal comma its decimal form.
        ProblemCase{
            "FullWidthDigits",
            {"０.０３", "０，０００５", "２０"},
            kNotANumberTitle,
            "“糙率”、“比降”和“水位流量关系曲线点子数量”中不是数字"
            "（“０.０３”是全角字符，请用半角：0.03，“０，０００５”是全角"
            "字符，请用半角：0.0005，“２０”是全角字符，请用半角：20），"
            "请改正后再按“开始”。",
            InputBox::kRoughness},
        ProblemCase{"FullWidthMinusAndPoint",
                    {"0.025", "－０．５", "5"},
                    kNotANumberTitle,
                    "“比降”中不是数字（“－０．５”是全角字符，请用半角：-0.5），"
                    "请改正后再按“开始”。",
                    InputBox::kSlope},
        ProblemCase{
            "BlankAndLetters",
            {"a", "  ", "5"},
            kIncompleteTitle,
            "“比降”是空的，“糙率”中不是数字，请填写、改正后再按“开始”。",
            InputBox::kRoughness},
        ProblemCase{"IdeographicSpaceIsBlank",
                    {"0.025", "\xE3\x80\x80", "5"},
                    kIncompleteTitle,
                    "“比降”是空的，请填写后再按“开始”。",
                    InputBox::kSlope},
        ProblemCase{
            "AllNumbers", {" 0.025", "4E-4", "5 "}, nullptr, "", std::nullopt},
        // Zones give the roughness: its box is not looked at.
        ProblemCase{"ZonesAndAnEmptySlope",
                    {"分区 3 段", "", "5", true},
                    kIncompleteTitle,
                    "“比降”是空的，请填写后再按“开始”。",
                    InputBox::kSlope},
        ProblemCase{"ZonesAndNumbers",
                    {"", "4E-4", "5", true},
                    nullptr,
                    "",
                    std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

class StartCommandTest : public testing::Test {
 protected:
  std::string Survey() {
    WriteBytes(dir_.path() / "sec1.txt", "0,5\r\n10,0\r\n20,0\r\n30,5\r\n");
    return dir_.Utf8("sec1.txt");
  }

  TempDir dir_;
  // The survey with n = 0.025 and S = 0.0004, as the boxes hold them.
  RunParameters Params(double stage_count) {
    RunParameters params;
    params.data_file_path = Survey();
    params.roughness = 0.025;
    params.slope_text = "0.0004";
    params.stage_count = stage_count;
    return params;
  }

  RecordingSink sink_;
  RunHooks hooks_{[] { return LocalDateTime{2026, 12, 7, 9, 5, 3}; }, {}};
};

TEST_F(StartCommandTest, BoxesAtFaultStopTheRunBeforeTheGuard) {
  RunParameters params = Params(150);
  EXPECT_EQ(PressStart({"0.025", "0.0004", "150x"}, params, sink_, hooks_),
            InputBox::kStageCount);
  ASSERT_EQ(sink_.messages.size(), 1u);
  EXPECT_EQ(sink_.messages[0].title, kNotANumberTitle);
  EXPECT_EQ(params.stage_count, 150);
  EXPECT_THAT(ListFolder(dir_.path()), ElementsAre("sec1.txt"));
}

TEST_F(StartCommandTest, RunsWithTheGuardAndSaysWhere) {
  RunParameters params = Params(150);
  EXPECT_EQ(PressStart({"0.025", "0.0004", "150"}, params, sink_, hooks_),
            std::nullopt);
  EXPECT_THAT(
      sink_.messages,
      ElementsAre(RecordingSink::Message{kStageGuardText, kStageGuardTitle},
                  RecordingSink::Message{dir_.Utf8("sec1成果.txt"),
                                         kResultSavedTitle}));
  EXPECT_EQ(params.stage_count, 20);
}

TEST_F(StartCommandTest, AFailedRunIsToldWithTheCoresMessage) {
  // The box shows 0.5; the stage count holds it.
  RunParameters params = Params(0.5);
  EXPECT_EQ(PressStart({"0.025", "0.0004", "0.5"}, params, sink_, hooks_),
            std::nullopt);
  ASSERT_EQ(sink_.messages.size(), 1u);
  EXPECT_EQ(sink_.messages[0].title, kRunFailedTitle);
  EXPECT_THAT(sink_.messages[0].text, HasSubstr("现在是 .5。"));
  EXPECT_THAT(ListFolder(dir_.path()), ElementsAre("sec1.txt"));
}

TEST(HelpButtonTest, SevenLinesJoinedByALoneCr) {
  RecordingSink sink;
  PressHelp(sink);
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].title, "地形文件格式：");
  const std::string& help = sink.messages[0].text;
  EXPECT_EQ(help, FormatHelpText());
  EXPECT_EQ(help.find('\n'), std::string::npos);
  std::vector<std::string> lines(1);
  for (char c : help) {
    if (c == '\r') {
      lines.emplace_back();
    } else {
      lines.back() += c;
    }
  }
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_TRUE(lines[0].starts_with("txt格式"));
  EXPECT_THAT(lines[5], HasSubstr("不能超过100个"));
  const std::string ask = "使用中有问题请联系 ";
  EXPECT_TRUE(lines[6].starts_with(ask) && lines[6].size() > ask.size() + 6);
  // The last line sends the user to the guide first.
  EXPECT_THAT(lines[6], HasSubstr("使用说明"));
}

struct DriveCase {
  const char* root;
  const char* label;
  const char* shown;
};

class DriveTextTest : public testing::TestWithParam<DriveCase> {};

TEST_P(DriveTextTest, ShowsTheDriveAsTheListDoes) {
  EXPECT_EQ(DriveDisplayText(GetParam().root, GetParam().label),
            GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Drives, DriveTextTest,
    testing::Values(
        DriveCase{"C:\\", "SYSTEM", "c: [SYSTEM]"}, DriveCase{"D:/", "", "d:"},
        DriveCase{"e:\\", "U盘", "e: [U盘]"}, DriveCase{"/", "", "/"},
        DriveCase{"/media/usb", "KINGSTON", "/media/usb [KINGSTON]"},
        DriveCase{"\\\\server\\share\\", "", "\\\\server\\share\\"},
        DriveCase{"/c:", "", "/c:"}));

TEST(ChooserRulesTest, NotReadyNamesTheDriveAsShown) {
  EXPECT_EQ(DriveNotReadyText("a: [FLOPPY]"),
            "驱动器 a: [FLOPPY] 未就绪，请放入磁盘或选择其他驱动器。");
}

TEST(ChooserRulesTest, ListsTxtFilesInAnyCase) {
  for (const char* listed : {"a.txt", "SEC2.TXT", "断面.Txt", ".txt"}) {
    EXPECT_TRUE(IsListedFileName(listed)) << listed;
  }
  for (const char* left_out :
       {"a.txt1", "atxt", "a.tx", "txt", "a.txt.bak", "a成果.csv", ""}) {
    EXPECT_FALSE(IsListedFileName(left_out)) << left_out;
  }
}

TEST(ChooserRulesTest, SortsNamesWithoutRegardToCase) {
  std::vector<std::string> names = {"b.txt", "A.txt",  "断面.txt",
                                    "a.txt", "B2.txt", "_x.txt"};
  SortNames(names);
  EXPECT_THAT(names, ElementsAre("_x.txt", "A.txt", "a.txt", "b.txt", "B2.txt",
                                 "断面.txt"));
}

struct JoinCase {
  const char* folder;
  const char* name;
  char separator;
  const char* path;
};

class JoinPathTest : public testing::TestWithParam<JoinCase> {};

TEST_P(JoinPathTest, OneSeparatorBetweenFolderAndName) {
  const JoinCase& row = GetParam();
  EXPECT_EQ(JoinDataFilePath(row.folder, row.name, row.separator), row.path);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, JoinPathTest,
    testing::Values(JoinCase{"C:\\work", "a.txt", '\\', "C:\\work\\a.txt"},
                    JoinCase{"C:\\", "a.txt", '\\', "C:\\a.txt"},
                    JoinCase{"D:\\数据", "断面1.txt", '\\',
                             "D:\\数据\\断面1.txt"},
                    JoinCase{"/home/hy", "a.txt", '/', "/home/hy/a.txt"},
                    JoinCase{"/", "a.txt", '/', "/a.txt"}));

TEST(ChooserRulesTest, EachDriveKeepsItsCurrentFolder) {
  DriveFolders folders;
  EXPECT_EQ(folders.CurrentFolder("C:\\"), "C:\\");
  folders.Remember("C:\\", "C:\\data\\测站");
  folders.Remember("D:\\", "D:\\x");
  folders.Remember("D:\\", "D:\\y");
  EXPECT_EQ(folders.CurrentFolder("C:\\"), "C:\\data\\测站");
  EXPECT_EQ(folders.CurrentFolder("D:\\"), "D:\\y");
}

TEST(ChooserRulesTest, FolderRowsLeadFromTheRootToTheSubfolders) {
  EXPECT_THAT(FolderRows("C:\\", "C:\\data\\测站", {"乙", "b", "A"}, '\\'),
              ElementsAre(FolderRow{"C:\\", "C:\\", 0, true},
                          FolderRow{"data", "C:\\data", 1, true},
                          FolderRow{"测站", "C:\\data\\测站", 2, true},
                          FolderRow{"A", "C:\\data\\测站\\A", 3, false},
                          FolderRow{"b", "C:\\data\\测站\\b", 3, false},
                          FolderRow{"乙", "C:\\data\\测站\\乙", 3, false}));
  EXPECT_THAT(FolderRows("/", "/", {"home"}, '/'),
              ElementsAre(FolderRow{"/", "/", 0, true},
                          FolderRow{"home", "/home", 1, false}));
  EXPECT_THAT(FolderRows("/media/usb", "/media/usb/", {}, '/'),
              ElementsAre(FolderRow{"/media/usb", "/media/usb", 0, true}));
}

// The zones table of a window: rows of texts to zones and back.
TEST(ZoneRowsTest, TextsToZonesNamingTheRowAtFault) {
  struct Case {
    std::vector<ZoneRowTexts> rows;
    size_t zones;
    const char* message;  // Empty: accepted.
  };
  const Case cases[] = {
      {{{"0", ".05"}, {" ", ""}, {"10", "0.025"}}, 2, ""},
      {{{"", ""}}, 0, ""},  // No zones: one roughness for the section.
      // An input method's ideographic space is as blank as in the boxes.
      {{{"0", ".05"}, {"\u3000", "\u3000 "}}, 1, ""},
      {{{"0", ".05"}, {"10", "n"}}, 0, "第 2 行的糙率不是数字。"},
      {{{"", ".05"}}, 0, "第 1 行的分区起点距不是数字。"},
      // Then the rules of every run, naming the row.
      {{{"0", ".05"}, {"", ""}, {"0", ".03"}},
       0,
       "第 3 行的起点距 0 不大于上一分区的起点距 0，"},
  };
  for (const Case& c : cases) {
    std::vector<RoughnessZone> zones;
    const Status status = ZonesFromRows(c.rows, &zones);
    EXPECT_TRUE(status.message().starts_with(c.message)) << status.message();
    EXPECT_EQ(status.ok(), *c.message == '\0') << c.message;
    if (status.ok()) {
      EXPECT_EQ(zones.size(), c.zones);
    }
  }
  const std::vector<RoughnessZone> zones = {{-2.5, 0.05}, {10, 0.025}};
  EXPECT_EQ(ZoneRows(zones),
            (std::vector<ZoneRowTexts>{{"-2.5", ".05"}, {"10", ".025"}}));
  EXPECT_EQ(ZonesBoxText(zones), "分区 2 段");
}

TEST(LayoutTest, FocusFollowsTheTabIndexes) {
  std::vector<std::string> names;
  for (const ControlLayout* control : TabOrder())
    names.push_back(control->name);
  EXPECT_THAT(names,
              ElementsAreArray({"Dir1", "File1", "Drive1", "Text1", "Text2",
                                "Command1", "Command2", "Text3", "Command3",
                                kViewButtonName, kZonesButtonName}));
}

TEST(LayoutTest, EveryControlLiesInTheClientArea) {
  for (const ControlLayout& control : FormControls()) {
    SCOPED_TRACE(control.name);
    EXPECT_EQ(FindControl(control.name), &control);
    EXPECT_GE(control.twips.left, 0);
    EXPECT_GE(control.twips.top, 0);
    EXPECT_LE(control.twips.left + control.twips.width, kFormWidthTwips);
    // The reminder's box reaches below the client area; its one line of
    // text does not.
    EXPECT_LE(control.twips.top + control.twips.height,
              kFormHeightTwips + (control.twips.top == 7680 ? 30 : 0));
  }
  EXPECT_EQ(FindControl("Text4"), nullptr);
  // The boxes' controls are in the layout.
  for (InputBox box : kInputBoxes) {
    const ControlLayout* control = FindControl(DescribeInput(box).control);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->kind, ControlKind::kTextBox);
  }
}

TEST(LayoutTest, TwipsScaleToTheScreensDotsPerInch) {
  struct Case {
    int twips, dpi, pixels;
  };
  for (const Case& row :
       {Case{14895, 96, 993}, Case{14895, 144, 1490}, Case{14895, 120, 1241},
        Case{735, 192, 98}, Case{7, 96, 0}, Case{8, 96, 1}}) {
    EXPECT_EQ(TwipsToPixels(row.twips, row.dpi), row.pixels)
        << row.twips << " twips at " << row.dpi;
  }
}

// The main window as the controller drives it: every call, in order, as a
// line ("mark 糙率 x", "text 糙率 分区 3 段", "enable 糙率 0", "focus 比降",
// "refresh", "viewer", "zones DIR", "close").
class RecordingFormView : public FormView {
 public:
  void SetBoxText(InputBox box, const std::string& text) override {
    calls.push_back(std::string("text ") + DescribeInput(box).name + " " +
                    text);
  }
  void MarkBox(InputBox box, bool holds_number) override {
    calls.push_back(std::string("mark ") + DescribeInput(box).name +
                    (holds_number ? " ." : " x"));
  }
  void EnableBox(InputBox box, bool enabled) override {
    calls.push_back(std::string("enable ") + DescribeInput(box).name +
                    (enabled ? " 1" : " 0"));
  }
  void FocusBox(InputBox box) override {
    calls.push_back(std::string("focus ") + DescribeInput(box).name);
  }
  void RefreshFiles() override { calls.push_back("refresh"); }
  void OpenViewer(const ViewRequest& request) override {
    calls.push_back("viewer");
    viewed.push_back(request);
  }
  bool OpenZonesDialog(const std::string& folder,
                       ZonesChoice* choice) override {
    calls.push_back("zones " + folder);
    if (!zones_answer) return false;
    *choice = *zones_answer;
    return true;
  }
  void Close() override { calls.push_back("close"); }

  std::vector<std::string> calls;
  std::vector<ViewRequest> viewed;
  std::optional<ZonesChoice> zones_answer;
};

ZonesChoice ThreeZones() {
  return {{{0, 0.05, 1}, {10, 0.025, 2}, {20, 0.05, 3}},
          ZoneMethod::kComposite};
}

// Edits, zones set and cleared, and the buttons, one step a character:
// 'r'/'s'/'c' then a text edits a box, 'Z' sets three zones, 'z' clears
// them, 'B' then a name presses a button.
struct FormStep {
  char action;
  const char* text;
};
struct FormCase {
  const char* name;
  std::vector<FormStep> steps;
  std::vector<std::string> calls;
  double roughness;
};

class FormControllerTest : public testing::TestWithParam<FormCase> {};

TEST_P(FormControllerTest, RendersTheBoxesAndButtonsThroughTheView) {
  RecordingFormView view;
  RecordingSink sink;
  FormController form(view, sink);
  for (const FormStep& step : GetParam().steps) {
    switch (step.action) {
      case 'r':
        form.OnBoxEdited(InputBox::kRoughness, step.text);
        break;
      case 's':
        form.OnBoxEdited(InputBox::kSlope, step.text);
        break;
      case 'c':
        form.OnBoxEdited(InputBox::kStageCount, step.text);
        break;
      case 'Z':
        form.SetZones(ThreeZones());
        break;
      case 'z':
        form.SetZones({});
        break;
      case 'B':
        EXPECT_TRUE(form.OnButtonPressed(step.text)) << step.text;
        break;
    }
  }
  EXPECT_THAT(view.calls, ElementsAreArray(GetParam().calls));
  EXPECT_EQ(form.parameters().roughness, GetParam().roughness);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, FormControllerTest,
    testing::Values(
        // A mark comes and goes once each, not on every key.
        FormCase{"MarkedOnlyWhenItChanges",
                 {{'r', "-"}, {'r', "-."}, {'r', "-.5"}, {'r', "0.5"}},
                 {"mark 糙率 x", "mark 糙率 ."},
                 0.5},
        FormCase{"ZonesTakeTheBoxAndGiveItBack",
                 {{'r', "0.03"}, {'Z', ""}, {'z', ""}},
                 {"text 糙率 分区 3 段", "enable 糙率 0", "text 糙率 0.03",
                  "enable 糙率 1"},
                 0.03},
        // The mark of a wrong text goes while zones replace it, and comes
        // back with the text.
        FormCase{
            "AMarkedBoxUnderZones",
            {{'r', "0.03"}, {'r', "x"}, {'Z', ""}, {'z', ""}},
            {"mark 糙率 x", "text 糙率 分区 3 段", "mark 糙率 .",
             "enable 糙率 0", "text 糙率 x", "mark 糙率 x", "enable 糙率 1"},
            0.03},
        // What is typed while zones are set (a paste into the disabled box)
        // is kept for later and changes no parameter.
        FormCase{"EditsUnderZonesWaitForTheirEnd",
                 {{'Z', ""}, {'r', "0.04"}, {'z', ""}},
                 {"text 糙率 分区 3 段", "enable 糙率 0", "text 糙率 0.04",
                  "enable 糙率 1"},
                 0.04},
        FormCase{"StartStopsAtTheFirstBoxAtFault",
                 {{'r', "0.03"}, {'c', "5"}, {'B', "Command1"}},
                 {"focus 比降"},
                 0.03},
        FormCase{"EndAndViewAndZones",
                 {{'B', "Command2"},
                  {'B', kViewButtonName},
                  {'B', kZonesButtonName}},
                 {"close", "viewer", "zones "},
                 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FormControllerButtonsTest, OnlyTheFormsButtonsArePressed) {
  RecordingFormView view;
  RecordingSink sink;
  FormController form(view, sink);
  for (const char* name : {"Text1", "Label1", "Dir1", "Command9", ""}) {
    EXPECT_FALSE(form.OnButtonPressed(name)) << name;
  }
  EXPECT_TRUE(form.OnButtonPressed("Command3"));
  EXPECT_THAT(sink.messages, ElementsAre(RecordingSink::Message{
                                 FormatHelpText(), kFormatHelpTitle}));
  EXPECT_TRUE(view.calls.empty());
}

TEST(FormControllerViewerTest, TheViewerGetsTheBoxesAtFaultAndChangesNothing) {
  RecordingFormView view;
  RecordingSink sink;
  FormController form(view, sink);
  form.OnBoxEdited(InputBox::kRoughness, "0.025");
  form.OnBoxEdited(InputBox::kStageCount, "500");
  form.OnFileChosen("C:\\测站", "a.txt", '\\');
  form.PressView();
  ASSERT_EQ(view.viewed.size(), 1u);
  const ViewRequest& request = view.viewed[0];
  EXPECT_EQ(request.parameters.data_file_path, "C:\\测站\\a.txt");
  EXPECT_EQ(request.parameters.stage_count, 500);
  EXPECT_THAT(request.problems.empty, ElementsAre("比降"));
  // The viewer's guard works on its copy.
  EXPECT_EQ(form.parameters().stage_count, 500);
  EXPECT_TRUE(sink.messages.empty());
}

// The zones dialog opens in the survey's folder, its roots kept whole.
struct ZonesFolderCase {
  const char* survey;
  const char* folder;
};

class ZonesFolderTest : public testing::TestWithParam<ZonesFolderCase> {};

TEST_P(ZonesFolderTest, OpensInTheSurveysFolder) {
  RecordingFormView view;
  RecordingSink sink;
  FormController form(view, sink);
  form.SetDataFile(GetParam().survey);
  view.zones_answer = ThreeZones();
  form.PressZones();
  EXPECT_THAT(view.calls, ElementsAre(std::string("zones ") + GetParam().folder,
                                      "text 糙率 分区 3 段", "enable 糙率 0"));
  EXPECT_EQ(form.parameters().zone_method, ZoneMethod::kComposite);
  EXPECT_TRUE(form.Texts().roughness_from_zones);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ZonesFolderTest,
    testing::Values(ZonesFolderCase{"C:\\data\\a.txt", "C:\\data"},
                    ZonesFolderCase{"C:\\a.txt", "C:\\"},
                    ZonesFolderCase{"/a.txt", "/"},
                    ZonesFolderCase{"/srv/x/a.txt", "/srv/x"},
                    ZonesFolderCase{"a.txt", ""}, ZonesFolderCase{"", ""}));

TEST(ZonesFolderTest, ACancelledDialogChangesNothing) {
  RecordingFormView view;
  RecordingSink sink;
  FormController form(view, sink);
  form.SetZones(ThreeZones());
  view.calls.clear();
  form.PressZones();
  EXPECT_THAT(view.calls, ElementsAre("zones "));
  EXPECT_EQ(form.parameters().zones.size(), 3u);
}

TEST(FormControllerStartTest, ARunRefreshesTheFilesAndUsesTheZones) {
  TempDir dir;
  WriteBytes(dir.path() / "sec1.txt", "0,5\r\n10,0\r\n20,0\r\n30,5\r\n");
  RecordingFormView view;
  RecordingSink sink;
  FormController form(view, sink,
                      {[] { return LocalDateTime{2026, 12, 7, 9, 5, 3}; }, {}});
  form.SetDataFile(dir.Utf8("sec1.txt"));
  // The roughness box is empty: the zones stand in for it.
  form.SetZones(ThreeZones());
  form.OnBoxEdited(InputBox::kSlope, "0.0004");
  form.OnBoxEdited(InputBox::kStageCount, "5");
  view.calls.clear();
  form.PressStart();
  EXPECT_THAT(view.calls, ElementsAre("refresh"));
  EXPECT_THAT(sink.messages, testing::Contains(RecordingSink::Message{
                                 dir.Utf8("sec1成果.txt"), kResultSavedTitle}));
  EXPECT_THAT(ReadBytes(dir.path() / PathFromUtf8("sec1成果.txt")),
              HasSubstr(Utf8ToGbk("糙率=综合 0~10:.05;10~20:.025;20~30:.05")));
}

struct LineBreakCase {
  const char* text;
  const char* shown;
};

class LineBreakTest : public testing::TestWithParam<LineBreakCase> {};

TEST_P(LineBreakTest, EveryLineBreakBecomesOne) {
  EXPECT_EQ(WithLineBreaks(GetParam().text, "\r\n"), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Texts, LineBreakTest,
                         testing::Values(LineBreakCase{"a\rb", "a\r\nb"},
                                         LineBreakCase{"a\r\nb", "a\r\nb"},
                                         LineBreakCase{"a\nb", "a\r\nb"},
                                         LineBreakCase{"a\r\rb\r",
                                                       "a\r\n\r\nb\r\n"},
                                         LineBreakCase{"\n\r", "\r\n\r\n"},
                                         LineBreakCase{"无换行", "无换行"}));

// A file system of drives, each a map of folders to their subfolders and
// files, and the lists as the chooser fills them.
class ChooserTest : public testing::Test, public ChooserView {
 protected:
  ChooserTest() : chooser_(*this, sink_, Hooks()) {}

  ChooserHooks Hooks() {
    ChooserHooks hooks;
    hooks.drives = [] { return std::vector<std::string>{"C:\\", "D:\\"}; };
    hooks.volume = [this](const std::string& root, std::string* label) {
      *label = root == "C:\\" ? "系统" : "";
      return root != "D:\\" || d_ready_;
    };
    hooks.entries = [this](const std::string& folder, bool folders) {
      return (folders ? subfolders_ : files_)[folder];
    };
    hooks.is_folder = [this](const std::string& path) {
      return subfolders_.count(path) > 0;
    };
    hooks.enter = [this](const std::string& folder) { entered_ = folder; };
    return hooks;
  }

  void ShowDrives(const std::vector<std::string>& texts, int chosen) override {
    drive_texts_ = texts;
    chosen_drive_ = chosen;
  }
  void ChooseDrive(int index) override { chosen_drive_ = index; }
  void ShowFolders(const std::vector<FolderRow>& rows, int shown) override {
    rows_ = rows;
    shown_row_ = shown;
  }
  void ShowFiles(const std::vector<std::string>& names, int selected) override {
    listed_ = names;
    selected_file_ = selected;
  }

  std::map<std::string, std::vector<std::string>> subfolders_ = {
      {"C:\\", {"data", "Apps"}}, {"C:\\data", {}}, {"D:\\", {}}};
  std::map<std::string, std::vector<std::string>> files_ = {
      {"C:\\data", {"b.TXT", "a.txt", "A2.txt", "c.csv"}}, {"D:\\", {"d.txt"}}};
  bool d_ready_ = false;
  std::string entered_;
  RecordingSink sink_;
  ChooserController chooser_;
  std::vector<std::string> drive_texts_;
  int chosen_drive_ = -2;
  std::vector<FolderRow> rows_;
  int shown_row_ = -1;
  std::vector<std::string> listed_;
  int selected_file_ = -2;
};

TEST_F(ChooserTest, OpensOnTheDriveThatHoldsTheFolderInAnyCase) {
  chooser_.Open("c:\\data");
  EXPECT_THAT(drive_texts_, ElementsAre("c: [系统]", "d:"));
  EXPECT_EQ(chosen_drive_, 0);
  EXPECT_EQ(chooser_.folder(), "C:\\data");
  EXPECT_EQ(rows_[shown_row_].path, "C:\\data");
  // Listed as every window lists files: "*.txt" in any case, by name.
  EXPECT_THAT(listed_, ElementsAre("a.txt", "A2.txt", "b.TXT"));
  EXPECT_EQ(selected_file_, -1);
  EXPECT_EQ(chooser_.OnFileChosen(0), "C:\\data\\a.txt");
  EXPECT_EQ(chooser_.OnFileChosen(3), std::nullopt);
}

TEST_F(ChooserTest, ADriveNotReadyIsToldAndTheOldOneChosenAgain) {
  chooser_.Open("C:\\data");
  chooser_.OnDriveChosen(1);
  EXPECT_THAT(sink_.messages,
              ElementsAre(RecordingSink::Message{DriveNotReadyText("d:"),
                                                 kDriveNotReadyTitle}));
  EXPECT_EQ(chosen_drive_, 0);
  EXPECT_EQ(chooser_.folder(), "C:\\data");
  EXPECT_TRUE(entered_.empty());

  // Ready now: its root, then back on C: the folder last shown there.
  d_ready_ = true;
  chooser_.OnDriveChosen(1);
  EXPECT_EQ(entered_, "D:\\");
  EXPECT_THAT(listed_, ElementsAre("d.txt"));
  chooser_.OnDriveChosen(0);
  EXPECT_EQ(entered_, "C:\\data");
  EXPECT_EQ(chooser_.folder(), "C:\\data");
}

TEST_F(ChooserTest, FolderRowsSelectAndOpenAndARefreshKeepsTheFile) {
  chooser_.Open("C:\\");
  ASSERT_EQ(rows_.size(), 3u);  // C:\, Apps, data.
  EXPECT_EQ(rows_[2].path, "C:\\data");
  chooser_.OnFolderSelected(2);
  EXPECT_EQ(chooser_.folder(), "C:\\data");
  EXPECT_EQ(rows_.size(), 3u);  // Selecting lists files only.
  chooser_.OnFileChosen(2);
  files_["C:\\data"].push_back("0.txt");
  chooser_.Refresh();
  EXPECT_THAT(listed_, ElementsAre("0.txt", "a.txt", "A2.txt", "b.TXT"));
  EXPECT_EQ(selected_file_, 3);
  chooser_.OnFolderOpened(2);
  EXPECT_EQ(rows_[shown_row_].path, "C:\\data");
  EXPECT_TRUE(rows_[shown_row_].open);
}

// The viewer's window as the controller drives it: the dialogs' answers and
// the figure's bytes are given, the refreshes counted.
class RecordingViewerView : public ViewerView {
 public:
  void Refresh() override { ++refreshes; }
  std::string ChooseOpenPath(const OpenDialogRequest& request) override {
    opened.push_back(request);
    return open_answer;
  }
  std::string ChooseSavePath(const SaveDialogRequest& request) override {
    asked.push_back(request);
    return save_answer;
  }
  Status FigureBytes(ViewerFile file, const ViewerContent&,
                     const std::string& title, std::string* bytes) override {
    if (!figure_ok) return Status::Error("画不出。");
    *bytes = (file == ViewerFile::kSvg ? "svg " : "png ") + title;
    return Status::Ok();
  }

  int refreshes = 0;
  std::vector<OpenDialogRequest> opened;
  std::vector<SaveDialogRequest> asked;
  std::string open_answer;
  std::string save_answer;
  bool figure_ok = true;
};

class ViewerControllerTest : public testing::Test {
 protected:
  ViewerControllerTest()
      : viewer_(view_, sink_,
                {[] { return LocalDateTime{2026, 12, 7, 9, 5, 3}; },
                 [this](OwnFile kind, const std::string& path,
                        std::string_view bytes) {
                   saved_.push_back({path, std::string(bytes)});
                   return save_status_.ok() ? SaveOwnFile(kind, path, bytes)
                                            : save_status_;
                 }}) {}

  ViewRequest Request(double roughness, const char* slope, double stages) {
    ViewRequest request;
    request.parameters.data_file_path = dir_.Utf8("river_section.txt");
    request.parameters.roughness = roughness;
    request.parameters.slope_text = slope;
    request.parameters.stage_count = stages;
    return request;
  }

  void SetUp() override {
    WriteBytes(dir_.path() / "river_section.txt",
               ReadBytes(XSRATING_EXAMPLES "/river_section.txt"));
  }

  TempDir dir_;
  RecordingViewerView view_;
  RecordingSink sink_;
  Status save_status_ = Status::Ok();
  std::vector<std::pair<std::string, std::string>> saved_;
  ViewerController viewer_;
};

// What Show() shows for a request: the table's rows, the line's start and
// which saves work.
struct ShowCase {
  const char* name;
  const char* survey;  // Within the test's folder.
  double roughness;
  const char* slope;
  double stages;
  bool stage_box_at_fault;
  size_t rows;
  const char* message_start;
  bool figure;
};

class ViewerShowTest : public ViewerControllerTest,
                       public testing::WithParamInterface<ShowCase> {};

TEST_P(ViewerShowTest, ShowsWhatCouldBeComputed) {
  const ShowCase& c = GetParam();
  ViewRequest request = Request(c.roughness, c.slope, c.stages);
  request.parameters.data_file_path = dir_.Utf8(c.survey);
  if (c.stage_box_at_fault) {
    request.problems = FindInputProblems({"0.03", c.slope, "x"});
  }
  viewer_.Show(request);
  EXPECT_EQ(view_.refreshes, 1);
  EXPECT_EQ(viewer_.content().rows.size(), c.rows);
  EXPECT_EQ(viewer_.message().rfind(c.message_start, 0), 0u)
      << viewer_.message();
  EXPECT_EQ(viewer_.CanSave(ViewerFile::kPng), c.figure);
  EXPECT_EQ(viewer_.CanSave(ViewerFile::kSvg), c.figure);
  EXPECT_EQ(viewer_.CanSave(ViewerFile::kCsv), c.rows > 0);
  EXPECT_FALSE(viewer_.CanSave(ViewerFile::kReport));
  EXPECT_EQ(viewer_.CanImport(), c.rows > 0);
  EXPECT_EQ(viewer_.caption(), std::string(kViewerCaption) + " - " + c.survey);
  EXPECT_TRUE(sink_.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Requests, ViewerShowTest,
    testing::Values(
        ShowCase{"Whole", "river_section.txt", 0.03, "0.0004", 8, false, 8, "",
                 true},
        // The guard's 20 on the viewer's copy, said on the line.
        ShowCase{"TooManyStages", "river_section.txt", 0.03, "0.0004", 150,
                 false, 20, "点子数量超过 100，按 20 个计算。", true},
        ShowCase{"ABoxAtFault", "river_section.txt", 0.03, "0.0004", 8, true, 0,
                 "只画出了断面。“水位流量关系曲线点子数量”中不是数字", true},
        ShowCase{"AFailedComputation", "river_section.txt", 0.03, "abc", 8,
                 false, 0, "只画出了断面。", true},
        ShowCase{"NoSurvey", "missing.txt", 0.03, "0.0004", 8, false, 0, "",
                 false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ViewerControllerTest, AFailedImportKeepsTheGaugingsCheckedBefore) {
  viewer_.Show(Request(0.03, "0.0004", 8));
  const std::string gaugings = XSRATING_EXAMPLES "/river_section_gaugings.txt";
  view_.open_answer = gaugings;
  viewer_.PressImport();
  ASSERT_EQ(view_.opened.size(), 1u);
  EXPECT_EQ(view_.opened[0].folder, dir_.path().string());
  ASSERT_TRUE(viewer_.content().analysis.has_value());
  const std::string summary = viewer_.summary();
  EXPECT_THAT(summary, HasSubstr("率定糙率"));
  EXPECT_TRUE(viewer_.CanSave(ViewerFile::kReport));

  WriteBytes(dir_.path() / "broken.txt", "水位,流量\r\n45,abc\r\n");
  viewer_.ImportGaugings(dir_.Utf8("broken.txt"));
  ASSERT_EQ(sink_.messages.size(), 1u);
  EXPECT_EQ(sink_.messages[0].title, kViewerImportFailedTitle);
  EXPECT_EQ(viewer_.summary(), summary);
  EXPECT_EQ(viewer_.gaugings_path(), gaugings);

  // A new Show() checks its table against the gaugings; zones forget them.
  viewer_.Show(Request(0.035, "0.0004", 8));
  EXPECT_TRUE(viewer_.content().analysis.has_value());
  ViewRequest zoned = Request(0.03, "0.0004", 8);
  zoned.parameters.zones = {{0, 0.05, 1}, {30, 0.028, 2}};
  viewer_.Show(zoned);
  EXPECT_FALSE(viewer_.content().analysis.has_value());
  EXPECT_TRUE(viewer_.gaugings_path().empty());
  EXPECT_FALSE(viewer_.CanImport());
  EXPECT_FALSE(viewer_.ImportHint().empty());
  EXPECT_EQ(viewer_.Table().size(), 9u);
}

TEST_F(ViewerControllerTest, SavesSayWhereAndFailuresAreTold) {
  viewer_.Show(Request(0.03, "0.0004", 8));
  EXPECT_EQ(viewer_.Table().size(), 7u);
  EXPECT_EQ(viewer_.Table()[0].head, "水位\n(m)");

  // Cancelled: nothing saved.
  viewer_.PressSave(ViewerFile::kCsv);
  ASSERT_EQ(view_.asked.size(), 1u);
  EXPECT_EQ(view_.asked[0].suggested,
            RatingFilePath(dir_.Utf8("river_section.txt"), ".csv"));
  EXPECT_EQ(view_.asked[0].filter_pattern, "*.csv");
  EXPECT_TRUE(saved_.empty());

  view_.save_answer = dir_.Utf8("表.csv");
  viewer_.PressSave(ViewerFile::kCsv);
  ASSERT_EQ(saved_.size(), 1u);
  EXPECT_EQ(saved_[0].second, RatingTableCsv(viewer_.content().rows));
  EXPECT_EQ(viewer_.status(), "已保存到 " + dir_.Utf8("表.csv"));

  view_.save_answer = dir_.Utf8("图.svg");
  viewer_.PressSave(ViewerFile::kSvg);
  EXPECT_EQ(ReadBytes(dir_.path() / PathFromUtf8("图.svg")), "svg 图");

  // A file not ours is left alone, and the painter's failure is told.
  WriteBytes(dir_.path() / PathFromUtf8("别人的.csv"), "别人的表\r\n");
  view_.save_answer = dir_.Utf8("别人的.csv");
  viewer_.PressSave(ViewerFile::kCsv);
  EXPECT_EQ(ReadBytes(dir_.path() / PathFromUtf8("别人的.csv")),
            "别人的表\r\n");
  EXPECT_TRUE(viewer_.status().empty());
  view_.figure_ok = false;
  viewer_.SaveTo(ViewerFile::kPng, dir_.Utf8("图.png"));
  ASSERT_EQ(sink_.messages.size(), 2u);
  EXPECT_EQ(sink_.messages[0].title, kViewerSaveFailedTitle);
  EXPECT_EQ(sink_.messages[1].text, "画不出。");
  // No report without gaugings.
  EXPECT_FALSE(viewer_.SaveTo(ViewerFile::kReport, dir_.Utf8("r.csv")));
}

TEST_F(ViewerControllerTest, AStageRecordFollowsTheRatingShown) {
  viewer_.Show(Request(0.03, "0.0004", 8));
  EXPECT_TRUE(viewer_.CanConvert());
  EXPECT_FALSE(viewer_.CanSave(ViewerFile::kFlowTable));
  const std::string record = dir_.Utf8("river_section_stages.txt");
  WriteBytes(dir_.path() / "river_section_stages.txt",
             ReadBytes(XSRATING_EXAMPLES "/river_section_stages.txt"));
  view_.open_answer = record;
  viewer_.PressConvert();
  ASSERT_EQ(view_.opened.size(), 1u);
  EXPECT_EQ(view_.opened[0].folder, dir_.path().string());
  ASSERT_TRUE(viewer_.flow().has_value());
  ASSERT_TRUE(viewer_.content().hydrograph.has_value());
  EXPECT_EQ(viewer_.content().hydrograph->days.size(),
            viewer_.flow()->days.size());
  EXPECT_THAT(viewer_.flow_summary(),
              AllOf(HasSubstr("水位记录 142 条"), HasSubstr("最大流量 "),
                    HasSubstr("万m³")));
  const double plain = *viewer_.flow()->summary.mean;

  // A record that cannot be read keeps the one converted before.
  WriteBytes(dir_.path() / "bad.txt", "2024-06-01,24:00,45.3\r\n");
  viewer_.ConvertStageRecord(dir_.Utf8("bad.txt"));
  ASSERT_EQ(sink_.messages.size(), 1u);
  EXPECT_EQ(sink_.messages[0].title, kViewerFlowFailedTitle);
  EXPECT_THAT(sink_.messages[0].text, HasSubstr("第 1 行"));
  EXPECT_EQ(viewer_.stage_record_path(), record);
  ASSERT_TRUE(viewer_.flow().has_value());
  EXPECT_EQ(*viewer_.flow()->summary.mean, plain);

  // The gaugings' calibrated roughness, then a rougher table: each converts
  // the kept readings again.
  viewer_.ImportGaugings(XSRATING_EXAMPLES "/river_section_gaugings.txt");
  ASSERT_TRUE(viewer_.flow()->flow.calibrated_roughness.has_value());
  viewer_.Show(Request(0.035, "0.0004", 8));
  ASSERT_TRUE(viewer_.flow().has_value());
  EXPECT_TRUE(viewer_.flow()->flow.calibrated_roughness.has_value());
  ViewRequest zoned = Request(0.03, "0.0004", 8);
  zoned.parameters.zones = {{0, 0.05, 1}, {30, 0.028, 2}};
  viewer_.Show(zoned);
  ASSERT_TRUE(viewer_.flow().has_value());
  EXPECT_FALSE(viewer_.flow()->flow.calibrated_roughness.has_value());
  EXPECT_NE(*viewer_.flow()->summary.mean, plain);

  // No table, no discharges; the next table has them again.
  viewer_.Show(Request(0.03, "abc", 8));
  EXPECT_FALSE(viewer_.flow().has_value());
  EXPECT_FALSE(viewer_.content().hydrograph.has_value());
  EXPECT_FALSE(viewer_.CanConvert());
  viewer_.Show(Request(0.03, "0.0004", 8));
  ASSERT_TRUE(viewer_.flow().has_value());
  EXPECT_EQ(*viewer_.flow()->summary.mean, plain);

  // Saved beside the record by default, with the command line's bytes.
  viewer_.PressSave(ViewerFile::kFlowTable);
  ASSERT_FALSE(view_.asked.empty());
  EXPECT_EQ(view_.asked.back().suggested, FlowTablePath(record));
  view_.save_answer = FlowTablePath(record);
  viewer_.PressSave(ViewerFile::kFlowTable);
  ASSERT_EQ(saved_.size(), 1u);
  EXPECT_THAT(saved_[0].second, AllOf(HasSubstr("逐日平均流量表,2024年"),
                                      HasSubstr("river_section_stages.txt")));
  EXPECT_EQ(viewer_.status(), "已保存到 " + FlowTablePath(record));
}

struct DecimalsCase {
  std::vector<double> values;
  int decimals;
  int max_decimals;
  int shown;
};

class ColumnDecimalsTest : public testing::TestWithParam<DecimalsCase> {};

TEST_P(ColumnDecimalsTest, MorePlacesOnlyWhereAValueNeedsThem) {
  const DecimalsCase& c = GetParam();
  EXPECT_EQ(ColumnDecimals(c.values, c.decimals, c.max_decimals), c.shown);
}

INSTANTIATE_TEST_SUITE_P(
    Columns, ColumnDecimalsTest,
    testing::Values(DecimalsCase{{1, 2, 5}, 2, 4, 2},         // Whole metres.
                    DecimalsCase{{89.695, 90.695}, 2, 4, 3},  // Millimetres.
                    DecimalsCase{{0.1 + 0.2, 0.7 + 0.1}, 2, 4, 2},  // Sums.
                    DecimalsCase{{1e-5}, 2, 4, 4},    // Finer than the limit.
                    DecimalsCase{{0.8294}, 3, 3, 3},  // A fixed column.
                    // No flow has no equivalent roughness.
                    DecimalsCase{{std::nan(""), 0.0125}, 2, 4, 4}));

struct FrameCase {
  const char* name;
  ScreenRect available;
  ScreenRect owner;
  ScreenRect frame;
};

class ViewerFrameTest : public testing::TestWithParam<FrameCase> {};

TEST_P(ViewerFrameTest, CentredOverTheOwnerAndWhollyOnTheScreen) {
  const FrameCase& c = GetParam();
  EXPECT_EQ(ViewerFrame(1100, 860, c.available, c.owner, {8, 31, 8, 8}),
            c.frame);
}

INSTANTIATE_TEST_SUITE_P(
    Screens, ViewerFrameTest,
    testing::Values(FrameCase{"RoomEnough",
                              {0, 0, 1920, 1040},
                              {460, 220, 1000, 600},
                              {402, 70, 1116, 899}},
                    // 1280 x 800 less a task bar: the work area's height.
                    FrameCase{"SmallScreen",
                              {0, 0, 1280, 760},
                              {140, 100, 1000, 600},
                              {82, 0, 1116, 760}},
                    // An owner near the right edge: moved back onto the screen.
                    FrameCase{"OwnerAtTheEdge",
                              {0, 0, 1920, 1040},
                              {1500, 0, 400, 300},
                              {804, 0, 1116, 899}},
                    // A second screen to the left: its own coordinates.
                    FrameCase{"ScreenToTheLeft",
                              {-1920, 0, 1920, 1040},
                              {-1800, 900, 200, 100},
                              {-1920, 141, 1116, 899}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace xsrating
