// SPDX-License-Identifier: GPL-3.0-or-later
// Whole runs of xsrating-cli, compared with result files computed
// independently (tests/data/reference_table.py).

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/encoding.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using testing::HasSubstr;
using xsrating::ProcessResult;
using xsrating::RunProcess;
using xsrating::TempDir;

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

struct Outcome {
  int exit_code = -1;
  std::string out;
  std::string err;
};

class CliTest : public testing::Test {
 protected:
  // Runs the program in dir_ with the given arguments and environment
  // assignments ("NAME=value").
  Outcome Run(const std::vector<std::string>& args,
              const std::string& env = "") {
    std::vector<std::string> argv = {XSRATING_CLI};
    argv.insert(argv.end(), args.begin(), args.end());
    const ProcessResult run =
        RunProcess(argv,
                   env.empty() ? std::vector<std::string>{}
                               : std::vector<std::string>{env},
                   io_.path(), std::chrono::seconds(60), dir_);
    return {run.exited ? run.exit_code : -1, run.out, run.err};
  }

  void CopyFixture(const std::string& name) {
    fs::copy_file(fs::path(XSRATING_TEST_DATA) / name, dir_ / name,
                  fs::copy_options::overwrite_existing);
  }

  TempDir temp_;
  TempDir io_;  // The program's output, apart from the folder it works in.
  const fs::path dir_ = temp_.path();
};

std::string WithoutFirstLine(const std::string& text) {
  const size_t end = text.find("\r\n");
  return end == std::string::npos ? "" : text.substr(end + 2);
}

struct FixtureCase {
  const char* name;
  const char* roughness;
  const char* slope;
  const char* stages;
  friend void PrintTo(const FixtureCase& c, std::ostream* os) { *os << c.name; }
};

class CliFixtureTest : public CliTest,
                       public testing::WithParamInterface<FixtureCase> {};

TEST_P(CliFixtureTest, ResultMatchesTheExpectedFileByteForByte) {
  const FixtureCase& c = GetParam();
  const std::string survey = std::string(c.name) + ".txt";
  CopyFixture(survey);
  const Outcome outcome =
      Run({"-n", c.roughness, "--slope", c.slope, "-m", c.stages, survey});
  ASSERT_EQ(outcome.exit_code, 0) << outcome.err;
  const fs::path result = dir_ / (std::string(c.name) + "成果.txt");
  EXPECT_EQ(outcome.out, result.string() + "\n");
  EXPECT_EQ(outcome.err, "");

  std::string expected =
      Slurp(fs::path(XSRATING_TEST_DATA) / (std::string(c.name) + ".expected"));
  const std::string placeholder = "@DIR@";
  expected.replace(expected.find(placeholder), placeholder.size(),
                   xsrating::Utf8ToGbk(dir_.string()));
  const std::string actual = Slurp(result);
  EXPECT_EQ(WithoutFirstLine(actual), WithoutFirstLine(expected));
  EXPECT_TRUE(actual.starts_with(xsrating::Utf8ToGbk("计算时间: ")));
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, CliFixtureTest,
    testing::Values(FixtureCase{"v_section", "0.025", "0.0004", "5"},
                    FixtureCase{"river_section", "0.03", "0.00025", "20"},
                    FixtureCase{"vertical_bank", "0.035", "3e-4", "7.9"}),
    [](const testing::TestParamInfo<FixtureCase>& info) {
      return std::string(info.param.name);
    });

TEST_F(CliTest, SourceDateEpochFixesTheTimeLine) {
  CopyFixture("v_section.txt");
  const Outcome outcome =
      Run({"-n", "0.025", "-s", "0.0004", "-m", "5", "v_section.txt"},
          "SOURCE_DATE_EPOCH=1796615227");
  ASSERT_EQ(outcome.exit_code, 0) << outcome.err;
  const std::string result = Slurp(dir_ / "v_section成果.txt");
  EXPECT_TRUE(result.starts_with(
      xsrating::Utf8ToGbk("计算时间: 2026/12/7 3:47:07\r\n地形测文件：" +
                          (dir_ / "v_section.txt").string() + "\r\n")));
}

TEST_F(CliTest, StageGuardWarnsOnStandardErrorAndRunsTwenty) {
  CopyFixture("v_section.txt");
  const Outcome outcome =
      Run({"-n", "0.025", "-s", "0.0004", "-m", "150", "v_section.txt"});
  ASSERT_EQ(outcome.exit_code, 0) << outcome.err;
  EXPECT_THAT(outcome.err, HasSubstr("你疯了？要这么多点子！"));
  EXPECT_THAT(outcome.err, HasSubstr("自动按20处理"));
  const std::string result = Slurp(dir_ / "v_section成果.txt");
  size_t lines = 0;
  for (char c : result) lines += c == '\n';
  EXPECT_EQ(lines, 6u + 20u);
  EXPECT_TRUE(result.ends_with(" 5             100           169.72 \r\n"));
}

TEST_F(CliTest, GoesOnAfterAFailedFileAndReportsIt) {
  CopyFixture("v_section.txt");
  std::ofstream(dir_ / "bad.txt") << "0,5\r\n10,x\r\n";
  const Outcome outcome = Run({"-n", "0.025", "-s", "0.0004", "-m", "5",
                               "bad.txt", "missing.txt", "v_section.txt"});
  EXPECT_EQ(outcome.exit_code, 1);
  EXPECT_EQ(outcome.out, (dir_ / "v_section成果.txt").string() + "\n");
  EXPECT_THAT(outcome.err, HasSubstr((dir_ / "bad.txt").string()));
  EXPECT_THAT(outcome.err, HasSubstr("第 2 行的“x”不是数字"));
  EXPECT_THAT(outcome.err, HasSubstr("找不到"));
  EXPECT_FALSE(fs::exists(dir_ / "bad成果.txt"));
}

// Surveys whose results would replace another survey of the call, or the
// result of an earlier one, are not run; the others are.
TEST_F(CliTest, SkipsSurveysWhoseResultsClash) {
  const std::string survey =
      Slurp(fs::path(XSRATING_TEST_DATA) / "v_section.txt");
  for (const char* name : {"A.txt", "A.TXT", "B.txt", "B成果.txt"}) {
    std::ofstream(dir_ / name, std::ios::binary) << survey;
  }
  const Outcome outcome = Run({"-n", "0.025", "-s", "0.0004", "-m", "5",
                               "A.txt", "A.TXT", "B成果.txt", "B.txt"});
  EXPECT_EQ(outcome.exit_code, 1);
  EXPECT_EQ(outcome.out, (dir_ / "A成果.txt").string() + "\n" +
                             (dir_ / "B成果成果.txt").string() + "\n");
  for (const char* part : {"A.TXT”的结果文件", "B.txt”的结果文件"}) {
    EXPECT_THAT(outcome.err, HasSubstr(part));
  }
  EXPECT_EQ(Slurp(dir_ / "B成果.txt"), survey);
}

struct UsageCase {
  const char* name;
  std::vector<std::string> args;
  int exit_code;
  const char* message_part;
  friend void PrintTo(const UsageCase& c, std::ostream* os) { *os << c.name; }
};

class CliUsageTest : public CliTest,
                     public testing::WithParamInterface<UsageCase> {};

TEST_P(CliUsageTest, ExitStatusAndMessage) {
  CopyFixture("v_section.txt");
  const UsageCase& c = GetParam();
  const Outcome outcome = Run(c.args);
  EXPECT_EQ(outcome.exit_code, c.exit_code) << outcome.err;
  EXPECT_THAT(outcome.out + outcome.err, HasSubstr(c.message_part));
  if (c.exit_code != 0) {
    EXPECT_FALSE(fs::exists(dir_ / "v_section成果.txt"));
  }
  // Only a wrong command line points to the help.
  EXPECT_EQ(outcome.err.find("--help 查看用法") != std::string::npos,
            c.exit_code == 2)
      << outcome.err;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliUsageTest,
    testing::Values(
        UsageCase{"Version", {"--version"}, 0, "xsrating-cli"},
        UsageCase{"Help", {"--help"}, 0, "--roughness"},
        UsageCase{"NoArguments", {}, 2, "缺少糙率"},
        UsageCase{"NoFile",
                  {"-n", "0.025", "-s", "0.0004", "-m", "5"},
                  2,
                  "缺少地形数据文件"},
        UsageCase{"RoughnessNotANumber",
                  {"-n", "abc", "-s", "0.0004", "-m", "5", "v_section.txt"},
                  2,
                  "糙率“abc”不是数字"},
        UsageCase{"StagesNotANumber",
                  {"-n", "0.025", "-s", "0.0004", "-m", ".", "v_section.txt"},
                  2,
                  "点子数量“.”不是数字"},
        UsageCase{"UnknownOption",
                  {"-n", "0.025", "-s", "0.0004", "-m", "5", "--colour",
                   "v_section.txt"},
                  2,
                  "无法识别"},
        UsageCase{"NegativeRoughnessRunsAndFails",
                  {"-n", "-0.025", "-s", "0.0004", "-m", "5", "v_section.txt"},
                  1,
                  "糙率必须是大于 0 的数"},
        UsageCase{"SlopeIsCheckedByTheRun",
                  {"-n", "0.025", "-s", "x", "-m", "5", "v_section.txt"},
                  1,
                  "比降“x”不是数字"},
        UsageCase{"MissingFile",
                  {"-n", "0.025", "-s", "0.0004", "-m", "5", "gone.txt"},
                  1,
                  "找不到地形文件"},
        UsageCase{"NegativeStageCount",
                  {"-n", "0.025", "-s", "0.0004", "-m", "-5", "v_section.txt"},
                  1,
                  "必须在 1 到 100 之间，现在是 -5"},
        UsageCase{"StageCountBelowOne",
                  {"-n", "0.025", "-s", "0.0004", "-m", "0.5", "--csv",
                   "v_section.txt"},
                  1,
                  "必须在 1 到 100 之间，现在是 .5"},
        UsageCase{"NotATxtFile",
                  {"-n", "0.025", "-s", "0.0004", "-m", "5", "v_section.dat"},
                  1,
                  ".txt"}),
    [](const testing::TestParamInfo<UsageCase>& info) {
      return std::string(info.param.name);
    });

TEST_F(CliTest, BadSourceDateEpochIsAUsageError) {
  CopyFixture("v_section.txt");
  const Outcome outcome =
      Run({"-n", "0.025", "-s", "0.0004", "-m", "5", "v_section.txt"},
          "SOURCE_DATE_EPOCH=yesterday");
  EXPECT_EQ(outcome.exit_code, 2);
  EXPECT_THAT(outcome.err, HasSubstr("SOURCE_DATE_EPOCH"));
}

}  // namespace
