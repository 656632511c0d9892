// SPDX-License-Identifier: GPL-3.0-or-later
// The windows' shared layer: what the boxes do with their texts, what the
// start and help buttons say, the chooser's rules and the layout.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/run/run.h"
#include "form/chooser_rules.h"
#include "form/format_help.h"
#include "form/inputs.h"
#include "form/layout.h"
#include "form/start_command.h"
#include "form/texts.h"
#include "form/zones.h"
#include "tests/support/recording_sink.h"
#include "tests/support/temp_dir.h"

namespace xsrating {
namespace {

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

}  // namespace
}  // namespace xsrating
