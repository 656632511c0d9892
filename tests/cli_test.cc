// SPDX-License-Identifier: GPL-3.0-or-later
// Whole runs of xsrating-cli, compared with result files computed
// independently (tests/data/reference_table.py).

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#ifdef _WIN32
#include <process.h>
#include <windows.h>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "core/base/date_time.h"
#include "core/base/encoding.h"
#include "core/base/file_io.h"
#include "core/output/own_files.h"
#include "core/output/result_file.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using testing::HasSubstr;
using testing::Not;

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Paths as the program prints and records them: UTF-8 on every system.
std::string Utf8(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

fs::path Path(const std::string& utf8) { return xsrating::PathFromUtf8(utf8); }

#ifdef _WIN32
int ProcessId() { return _getpid(); }

// One argument of a command line as the C runtime splits it again.
std::wstring Quote(const std::wstring& arg) {
  std::wstring quoted = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted.push_back(c);
  }
  quoted.append(backslashes * 2, L'\\');
  return quoted + L"\"";
}
#else
int ProcessId() { return ::getpid(); }

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}
#endif

struct Outcome {
  int exit_code = -1;
  std::string out;
  std::string err;
};

class CliTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(testing::TempDir()) /
           ("cli_test_" + std::to_string(ProcessId()) + "_" +
            testing::UnitTest::GetInstance()->current_test_info()->name());
    dir_.make_preferred();  // The name of a parameterised test holds a '/'.
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    io_ = fs::path(testing::TempDir()) /
          ("cli_io_" + std::to_string(ProcessId()));
    fs::create_directories(io_);
  }
  void TearDown() override {
    fs::remove_all(dir_);
    fs::remove_all(io_);
  }

  // Runs the program in `cwd` (dir_ when empty) with the given arguments and
  // an environment assignment such as "TZ=UTC"; standard output goes to a
  // file unless `redirect` says otherwise (">/dev/full", POSIX only). On
  // Windows its output, GBK with CR LF line ends in a file, comes back as
  // UTF-8 lines.
  Outcome Run(const std::vector<std::string>& args, const std::string& env = "",
              const fs::path& cwd = {},
              [[maybe_unused]] const std::string& redirect = "") {
    const fs::path folder = cwd.empty() ? dir_ : cwd;
    Outcome outcome;
#ifdef _WIN32
    std::wstring command = Quote(Path(XSRATING_CLI).wstring());
    for (const std::string& arg : args) {
      command.append(L" ").append(Quote(Path(arg).wstring()));
    }
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    const auto create = [&](const char* name) {
      return CreateFileW((io_ / name).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                         &inherited, CREATE_ALWAYS, 0, nullptr);
    };
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = create("out");
    startup.hStdError = create("err");
    const size_t equals = env.find('=');
    const std::wstring name = Path(env.substr(0, equals)).wstring();
    if (!env.empty()) {
      SetEnvironmentVariableW(name.c_str(),
                              Path(env.substr(equals + 1)).c_str());
    }
    PROCESS_INFORMATION process = {};
    const bool started =
        CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0,
                       nullptr, folder.c_str(), &startup, &process);
    if (!env.empty()) SetEnvironmentVariableW(name.c_str(), nullptr);
    CloseHandle(startup.hStdOutput);
    CloseHandle(startup.hStdError);
    if (started) {
      WaitForSingleObject(process.hProcess, INFINITE);
      DWORD code = 0;
      GetExitCodeProcess(process.hProcess, &code);
      outcome.exit_code = static_cast<int>(code);
      CloseHandle(process.hProcess);
      CloseHandle(process.hThread);
    }
    const auto lines = [](std::string gbk) {
      for (size_t at = gbk.find("\r\n"); at != std::string::npos;
           at = gbk.find("\r\n", at)) {
        gbk.erase(at, 1);
      }
      return xsrating::GbkToUtf8(gbk);
    };
    outcome.out = lines(Slurp(io_ / "out"));
    outcome.err = lines(Slurp(io_ / "err"));
#else
    std::string command = "cd " + Quote(folder.string()) + " && " + env + " " +
                          Quote(XSRATING_CLI);
    for (const std::string& arg : args) command.append(" ").append(Quote(arg));
    if (redirect.empty()) {
      command.append(" >").append(Quote((io_ / "out").string()));
    } else {
      command.append(" ").append(redirect);
    }
    command.append(" 2>").append(Quote((io_ / "err").string()));
    const int status = std::system(command.c_str());
    if (WIFEXITED(status)) outcome.exit_code = WEXITSTATUS(status);
    outcome.out = Slurp(io_ / "out");
    outcome.err = Slurp(io_ / "err");
#endif
    return outcome;
  }

  void CopyFixture(const std::string& name) {
    fs::copy_file(fs::path(XSRATING_TEST_DATA) / name, dir_ / name,
                  fs::copy_options::overwrite_existing);
  }

  fs::path dir_;
  fs::path io_;  // The program's output, apart from the folder it works in.
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
  // What standard error says about the table; nothing when empty.
  const char* warning = "";
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
  const fs::path result = dir_ / Path(std::string(c.name) + "成果.txt");
  EXPECT_EQ(outcome.out, Utf8(result) + "\n");
  if (*c.warning == '\0') {
    EXPECT_EQ(outcome.err, "");
  } else {
    EXPECT_THAT(outcome.err, HasSubstr(c.warning));
  }

  std::string expected =
      Slurp(fs::path(XSRATING_TEST_DATA) / (std::string(c.name) + ".expected"));
  const std::string placeholder = "@DIR@/";
  expected.replace(expected.find(placeholder), placeholder.size(),
                   xsrating::Utf8ToGbk(Utf8(dir_ / "")));
  const std::string actual = Slurp(result);
  EXPECT_EQ(WithoutFirstLine(actual), WithoutFirstLine(expected));
  EXPECT_TRUE(actual.starts_with(xsrating::Utf8ToGbk("计算时间: ")));
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, CliFixtureTest,
    testing::Values(FixtureCase{"v_section", "0.025", "0.0004", "5"},
                    FixtureCase{"river_section", "0.03", "0.00025", "20"},
                    // The table as the formulas give it, and a warning that
                    // it stops short of the bank.
                    FixtureCase{
                        "vertical_bank", "0.035", "3e-4", "7.9",
                        "\n水位流量关系曲线点子数量 7.9 不是整数：水位间隔"
                        "按 7.9 算出，表中只有 7 行，最高计算水位 5.51 "
                        "低于较低一岸的堤顶 6.2。"}),
    [](const testing::TestParamInfo<FixtureCase>& info) {
      return std::string(info.param.name);
    });

TEST_F(CliTest, SourceDateEpochFixesTheTimeLine) {
  CopyFixture("v_section.txt");
  const Outcome outcome =
      Run({"-n", "0.025", "-s", "0.0004", "-m", "5", "v_section.txt"},
          "SOURCE_DATE_EPOCH=1796615227");
  ASSERT_EQ(outcome.exit_code, 0) << outcome.err;
  const std::string result = Slurp(dir_ / Path("v_section成果.txt"));
  EXPECT_TRUE(result.starts_with(
      xsrating::Utf8ToGbk("计算时间: 2026/12/7 3:47:07\r\n地形测文件：" +
                          Utf8(dir_ / "v_section.txt") + "\r\n")));
}

TEST_F(CliTest, StageGuardWarnsOnStandardErrorAndRunsTwenty) {
  CopyFixture("v_section.txt");
  const Outcome outcome =
      Run({"-n", "0.025", "-s", "0.0004", "-m", "150", "v_section.txt"});
  ASSERT_EQ(outcome.exit_code, 0) << outcome.err;
  EXPECT_THAT(outcome.err, HasSubstr("你疯了？要这么多点子！"));
  EXPECT_THAT(outcome.err, HasSubstr("自动按20处理"));
  const std::string result = Slurp(dir_ / Path("v_section成果.txt"));
  size_t lines = 0;
  for (char c : result) lines += c == '\n';
  EXPECT_EQ(lines, 6u + 20u);
  EXPECT_TRUE(result.ends_with(" 5             100           169.72 \r\n"));
}

// Doubtful tables are written as computed; what to check goes to standard
// error, naming the survey.
TEST_F(CliTest, WarnsOnStandardErrorAndStillWritesTheResult) {
  struct Case {
    const char* survey;
    const char* roughness;
    const char* slope;
    const char* warning;  // Empty: none.
  };
  const char* const v = "0,5\r\n10,0\r\n20,0\r\n30,5\r\n";
  const std::string levee = std::string("-5,4\r\n-2,6\r\n") + v;
  const Case cases[] = {
      {v, "0.025", "0.0004", ""},
      {levee.c_str(), "0.025", "0.0004",
       "断面起点一端（第 1 个测点，起点距 -5）的高程 4 低于最高计算水位 5"},
      {v, "0.3", "0", "糙率 0.3 不在天然河道常见的 0.008 到 0.25 之间"},
  };
  for (const Case& c : cases) {
    std::ofstream(dir_ / "s.txt", std::ios::binary) << c.survey;
    const Outcome outcome =
        Run({"-n", c.roughness, "-s", c.slope, "-m", "5", "s.txt"});
    EXPECT_EQ(outcome.exit_code, 0) << outcome.err;
    EXPECT_EQ(outcome.out, Utf8(dir_ / Path("s成果.txt")) + "\n");
    if (*c.warning == '\0') {
      EXPECT_EQ(outcome.err, "");
    } else {
      EXPECT_THAT(outcome.err, HasSubstr("地形文件“" + Utf8(dir_ / "s.txt") +
                                         "”已算完，但：\n"));
      EXPECT_THAT(outcome.err, HasSubstr(c.warning));
    }
    EXPECT_THAT(Slurp(dir_ / Path("s成果.txt")), HasSubstr(" 5 "));
  }
}

TEST_F(CliTest, GoesOnAfterAFailedFileAndReportsIt) {
  CopyFixture("v_section.txt");
  std::ofstream(dir_ / "bad.txt", std::ios::binary) << "0,5\r\n10,x\r\n";
  const Outcome outcome = Run({"-n", "0.025", "-s", "0.0004", "-m", "5",
                               "bad.txt", "missing.txt", "v_section.txt"});
  EXPECT_EQ(outcome.exit_code, 1);
  EXPECT_EQ(outcome.out, Utf8(dir_ / Path("v_section成果.txt")) + "\n");
  EXPECT_THAT(outcome.err, HasSubstr(Utf8(dir_ / "bad.txt")));
  EXPECT_THAT(outcome.err, HasSubstr("第 2 行的“x”不是数字"));
  EXPECT_THAT(outcome.err, HasSubstr("找不到"));
  EXPECT_FALSE(fs::exists(dir_ / Path("bad成果.txt")));
}

// A stage record is read and checked before anything is written; a good one
// gives the flow table beside it, replacing only an earlier one of ours.
TEST_F(CliTest, StageRecordGivesTheFlowTableOrWritesNothing) {
  CopyFixture("v_section.txt");
  const std::vector<std::string> args = {
      "-n", "0.025",          "-s",       "0.0004",       "-m",
      "5",  "--stage-record", "记录.txt", "v_section.txt"};
  const fs::path table = dir_ / Path("记录流量.csv");
  std::ofstream(dir_ / Path("记录.txt"), std::ios::binary)
      << "2024-07-01,0:00,1\r\n2024-07-01,6:00,2\r\n2024-07-01,6:00,3\r\n";
  Outcome outcome = Run(args);
  EXPECT_EQ(outcome.exit_code, 1);
  EXPECT_THAT(outcome.err, HasSubstr("第 3 行的时间 2024-07-01 06:00 不晚于第 "
                                     "2 行的"));
  EXPECT_FALSE(fs::exists(dir_ / Path("v_section成果.txt")));
  EXPECT_FALSE(fs::exists(table));

  // 0 is the bed (河干), 6 spills over the crest at 5.
  std::ofstream(dir_ / Path("记录.txt"), std::ios::binary)
      << "2024-07-01,0:00,0\r\n2024-07-01,12:00,2\r\n2024-07-02,0:00,6\r\n";
  outcome = Run(args);
  EXPECT_EQ(outcome.exit_code, 0) << outcome.err;
  EXPECT_EQ(outcome.out,
            Utf8(dir_ / Path("v_section成果.txt")) + "\n" + Utf8(table) + "\n");
  EXPECT_THAT(outcome.err, HasSubstr("有 1 个水位记录高于较低堤顶 5（第一个在 "
                                     "2024-07-02 00:00）"));
  const std::string csv = Slurp(table);
  EXPECT_THAT(csv, HasSubstr("\r\n2024-07-01 00:00,0,0,河干\r\n"));
  EXPECT_THAT(csv, HasSubstr("\r\n2024-07-02 00:00,6,,超出断面\r\n"));
  EXPECT_THAT(csv, HasSubstr("\r\n2024-07-01,,缺测\r\n"));
  // Run again: ours is replaced; someone else's file is left as it was.
  EXPECT_EQ(Run(args).exit_code, 0);
  std::ofstream(table, std::ios::binary) << "时间,流量\r\n";
  outcome = Run(args);
  EXPECT_EQ(outcome.exit_code, 1);
  EXPECT_THAT(outcome.err, HasSubstr("不是本程序的流量表"));
  EXPECT_EQ(Slurp(table), "时间,流量\r\n");
}

// With a stage record the figure, drawn in the program on every system,
// ends with its hydrograph in a row of its own, and comes before the flow
// table.
TEST_F(CliTest, PlotShowsTheStageRecordsHydrograph) {
  for (const char* name : {"river_section.txt", "river_section_stages.txt"}) {
    fs::copy_file(fs::path(XSRATING_EXAMPLES) / name, dir_ / name);
  }
  for (const bool record : {false, true}) {
    std::vector<std::string> args = {"-n", "0.03", "-s",    "0.0003",
                                     "-m", "20",   "--plot"};
    if (record) {
      args.insert(args.end(), {"--stage-record", "river_section_stages.txt"});
    }
    args.push_back("river_section.txt");
    const Outcome outcome = Run(args);
    EXPECT_EQ(outcome.exit_code, 0) << outcome.err;
    const std::string svg = Slurp(dir_ / Path("river_section成果.svg"));
    EXPECT_THAT(svg, HasSubstr(record ? "height=\"1394\"" : "height=\"944\""));
    EXPECT_EQ(svg.find("水位流量过程线") != std::string::npos, record);
    const size_t table = outcome.out.find("river_section_stages流量.csv");
    EXPECT_EQ(table != std::string::npos, record);
    EXPECT_LT(outcome.out.find("river_section成果.svg"), table);
  }
}

// A folder run twice: the results of the first run, named again as "*.txt"
// names them, are skipped with one note and are no failure; a run of more
// than one file ends with a count.
TEST_F(CliTest, SkipsEarlierResultsAndEndsWithACount) {
  const std::string v = "0,5\r\n10,0\r\n20,0\r\n30,5\r\n";
  std::ofstream(dir_ / "a.txt", std::ios::binary) << v;
  std::ofstream(dir_ / "b.txt", std::ios::binary) << v;
  std::ofstream(dir_ / "g.txt", std::ios::binary)
      << xsrating::Utf8ToGbk("# 实测流量\r\n水位,流量\r\n1,2\r\n");
  std::ofstream(dir_ / "z.txt", std::ios::binary) << "起点距,糙率\n0,0.03\n";
  const std::vector<std::string> run = {"-n",     "0.025", "-s",
                                        "0.0004", "-m",    "5"};
  const auto with = [&run](std::vector<std::string> files) {
    std::vector<std::string> args = run;
    args.insert(args.end(), files.begin(), files.end());
    return args;
  };
  const std::string result = Utf8(dir_ / Path("a成果.txt"));
  struct Case {
    std::vector<std::string> files;
    int exit_code;
    std::vector<std::string> told;  // On standard error.
  };
  const Case cases[] = {
      {{"a.txt", "b.txt"},
       0,
       {"共 2 个文件：算成 2 个，失败 0 个，跳过 0 个。"}},
      {{"a.txt", "a成果.txt", "b.txt", "b成果.txt"},
       0,
       {"跳过 2 个本程序以前算出的结果文件（第一行是“计算时间:”），它们不是"
        "地形文件，例如“" +
            result + "”。\n",
        "共 4 个文件：算成 2 个，失败 0 个，跳过 2 个。"}},
      {{"a成果.txt"},
       0,
       {"跳过“" + result + "”：它是本程序以前算出的结果文件"}},
      {{"a成果.txt", "gone.txt", "a.txt"},
       1,
       {"找不到地形文件", "共 3 个文件：算成 1 个，失败 1 个，跳过 1 个。"}},
      {{"none*.txt", "b.txt"},
       1,
       {"xsrating-cli：没有与“none*.txt”相符的文件。\n",
        "共 2 个文件：算成 1 个，失败 1 个，跳过 0 个。"}},
      // A station's folder: "*.txt" sweeps up its gaugings and zones, which
      // are no surveys and no failures.
      {{"a.txt", "g.txt", "z.txt", "a成果.txt"},
       0,
       {"跳过 2 个不是地形文件的文件，不算失败：\n  地形文件“" +
            Utf8(dir_ / "g.txt") + "”有误：“水位”和“流量”是第 2 行的列名",
        "\n  地形文件“" + Utf8(dir_ / "z.txt") + "”有误：“起点距”和“糙率”",
        "共 4 个文件：算成 1 个，失败 0 个，跳过 3 个。"}},
      // Alone, it is what the user asked for: it fails, with the hint.
      {{"g.txt"},
       1,
       {"xsrating-cli：地形文件“", "这像是实测流量文件", "--gaugings"}},
  };
  for (const Case& c : cases) {
    const Outcome outcome = Run(with(c.files));
    EXPECT_EQ(outcome.exit_code, c.exit_code) << outcome.err;
    for (const std::string& part : c.told) {
      EXPECT_THAT(outcome.err, HasSubstr(part));
    }
    EXPECT_THAT(outcome.err, Not(HasSubstr("请选择地形数据文件")));
  }
  EXPECT_EQ(Run(with({"a.txt"})).err, "");  // One survey: no count.
}

#ifndef _WIN32
// A relative path is recorded as typed behind the working folder; ".." after
// a link to a folder goes where the system takes it.
TEST_F(CliTest, RelativePathsReadAndRecordWhatTheSystemOpens) {
  fs::create_directories(dir_ / "real" / "sub");
  fs::create_directory_symlink(fs::path("real") / "sub", dir_ / "link");
  const std::string four_points = "0,5\r\n10,0\r\n20,0\r\n30,5\r\n";
  std::ofstream(dir_ / "real" / "v.txt") << four_points;
  std::ofstream(dir_ / "w.txt") << four_points;
  struct Case {
    const char* typed;
    const char* recorded;  // Behind dir_.
    const char* result;    // Where the table lands, behind dir_.
  };
  const Case cases[] = {
      {"link/../v.txt", "/link/../v.txt", "/real/v成果.txt"},
      {"./w.txt", "/w.txt", "/w成果.txt"},
      {"real/./sub/../v.txt", "/real/sub/../v.txt", "/real/v成果.txt"},
  };
  for (const Case& c : cases) {
    fs::remove(dir_ / "real" / "v成果.txt");
    fs::remove(dir_ / "w成果.txt");
    const Outcome outcome =
        Run({"-n", "0.025", "-s", "0.0004", "-m", "5", c.typed});
    ASSERT_EQ(outcome.exit_code, 0) << c.typed << ": " << outcome.err;
    const std::string recorded = dir_.string() + c.recorded;
    EXPECT_EQ(outcome.out,
              recorded.substr(0, recorded.size() - 4) + "成果.txt\n");
    const std::string result = Slurp(dir_.string() + c.result);
    EXPECT_THAT(result, HasSubstr(xsrating::Utf8ToGbk("地形测文件：" +
                                                      recorded + "\r\n")))
        << c.typed;
  }
}

// What scripts read from standard output must arrive; output that cannot be
// written is a failure, whatever was asked for.
TEST_F(CliTest, StandardOutputThatCannotBeWrittenIsAFailure) {
  CopyFixture("v_section.txt");
  const std::vector<std::string> run = {"-n", "0.025", "-s",           "0.0004",
                                        "-m", "5",     "v_section.txt"};
  struct Case {
    std::vector<std::string> args;
    const char* redirect;
    const char* why;
  };
  const Case cases[] = {
      {{"--help"}, ">/dev/full", "磁盘已满"},
      {{"--version"}, ">&-", "标准输出已关闭"},
      {run, ">/dev/full", "磁盘已满"},
      {run, ">&-", "标准输出已关闭"},
  };
  for (const Case& c : cases) {
    const Outcome outcome = Run(c.args, "", {}, c.redirect);
    EXPECT_EQ(outcome.exit_code, 1) << c.args[0] << c.redirect;
    EXPECT_THAT(outcome.err, HasSubstr("无法写入标准输出"));
    EXPECT_THAT(outcome.err, HasSubstr(c.why));
  }
  // The table itself is written all the same.
  EXPECT_TRUE(Slurp(dir_ / "v_section成果.txt").ends_with("169.72 \r\n"));
}

// A path GBK cannot hold whole still runs, and the user is told which
// characters the result file records as '?'.
TEST_F(CliTest, NamesTheCharactersRecordedAsQuestionMarks) {
  struct Case {
    std::string name;
    const char* note;  // Empty: no note at all.
  };
  const Case cases[] = {
      {"한국.txt", "“한”“국”"},
      {"señal😀.txt", "“ñ”“😀”"},
      {"na\xEFve.txt", "“\\xef”"},  // Latin-1, not UTF-8.
      {"河道 断面.txt", ""},
  };
  for (const Case& c : cases) {
    std::ofstream(dir_ / c.name) << "0,5\r\n10,0\r\n20,0\r\n30,5\r\n";
    const Outcome outcome =
        Run({"-n", "0.025", "-s", "0.0004", "-m", "5", c.name});
    EXPECT_EQ(outcome.exit_code, 0) << outcome.err;
    if (*c.note == '\0') {
      EXPECT_EQ(outcome.err, "");
    } else {
      EXPECT_THAT(outcome.err,
                  HasSubstr(std::string(c.note) + "不能用 GBK 编码写出"));
      EXPECT_THAT(outcome.err, HasSubstr("写成了“?”"));
    }
  }
}

// Control characters in a path or a value are shown escaped, never sent raw
// to the terminal or into a line that scripts read.
TEST_F(CliTest, ControlCharactersAreShownEscaped) {
  struct Case {
    std::string name;
    std::string contents;
    std::string roughness;
    int exit_code;
    std::string shown;  // On standard output or standard error.
  };
  const std::string four_points = "0,5\r\n10,0\r\n20,0\r\n30,5\r\n";
  const Case cases[] = {
      {"a\x1b[31mb.txt", four_points, "0.025", 0,
       dir_.string() + "/a\\x1b[31mb成果.txt\n"},
      {"new\nline.txt", "x", "0.025", 1, "new\\x0aline.txt"},
      {"v.txt", four_points, "\x1b]0;", 2, "糙率“\\x1b]0;”不是数字"},
  };
  for (const Case& c : cases) {
    std::ofstream(dir_ / c.name) << c.contents;
    const Outcome outcome =
        Run({"-n", c.roughness, "-s", "0.0004", "-m", "5", c.name});
    EXPECT_EQ(outcome.exit_code, c.exit_code) << outcome.err;
    EXPECT_THAT(outcome.out + outcome.err, HasSubstr(c.shown));
    EXPECT_THAT(outcome.out + outcome.err, Not(HasSubstr("\x1b")));
    EXPECT_THAT(outcome.out + outcome.err, Not(HasSubstr("new\n")));
  }
}
#endif  // _WIN32

// The ways a survey file can be named on the command line, and the path the
// result file records and the program prints for it.
struct PathCase {
  const char* name;
  const char* survey;    // Created under the test's folder, '/' between parts.
  const char* argument;  // As typed; @DIR@ is the test's folder, @DRIVE@ its
                         // drive ("C:").
  const char* recorded;  // Relative to the test's folder, '/' between parts.
  friend void PrintTo(const PathCase& c, std::ostream* os) { *os << c.name; }
};

class CliPathTest : public CliTest,
                    public testing::WithParamInterface<PathCase> {};

TEST_P(CliPathTest, RecordsAndPrintsTheFullPath) {
  const PathCase& c = GetParam();
  const fs::path survey = (dir_ / Path(c.survey)).make_preferred();
  fs::create_directories(survey.parent_path());
  fs::copy_file(fs::path(XSRATING_TEST_DATA) / "v_section.txt", survey);
  std::string argument = c.argument;
  std::string folder = Utf8(dir_);
  // Typed with forward slashes, as Windows accepts too.
  for (char& ch : folder) ch = ch == '\\' ? '/' : ch;
  if (const size_t at = argument.find("@DIR@"); at != std::string::npos) {
    argument.replace(at, 5, folder);
  }
  if (const size_t at = argument.find("@DRIVE@"); at != std::string::npos) {
    argument.replace(at, 7, folder.substr(0, 2));
  }
  const Outcome outcome =
      Run({"-n", "0.025", "-s", "0.0004", "-m", "5", "--", argument});
  ASSERT_EQ(outcome.exit_code, 0) << outcome.err;
  const std::string recorded = Utf8((dir_ / Path(c.recorded)).make_preferred());
  const std::string result = xsrating::ResultFilePath(recorded);
  EXPECT_EQ(outcome.out, result + "\n");
  EXPECT_THAT(
      Slurp(Path(result)),
      HasSubstr(xsrating::Utf8ToGbk("地形测文件：" + recorded + "\r\n")));
}

const PathCase kPathCases[] = {
    {"ChineseName", "黄河断面.txt", "黄河断面.txt", "黄河断面.txt"},
    {"Subfolder", "测站/sec1.txt", "测站/sec1.txt", "测站/sec1.txt"},
    {"Absolute", "sec1.txt", "@DIR@/sec1.txt", "sec1.txt"},
#ifdef _WIN32
    // Windows itself takes ".." by the text, even after a folder that does
    // not exist; elsewhere the system follows the folders (see
    // RelativePathsReadAndRecordWhatTheSystemOpens).
    {"DotDot", "a/sec1.txt", "b/../a/sec1.txt", "a/sec1.txt"},
    {"Backslashes", "测站/sec1.txt", "测站\\sec1.txt", "测站/sec1.txt"},
    {"UpperCaseExtension", "sec1.TXT", "@DIR@\\sec1.TXT", "sec1.TXT"},
    // The drive's own current folder, which is the test's.
    {"DriveRelative", "测站/sec1.txt", "@DRIVE@测站/sec1.txt", "测站/sec1.txt"},
    {"DotDotWithBackslashes", "a/sec1.txt", "b\\..\\a\\sec1.txt", "a/sec1.txt"},
#endif
};

INSTANTIATE_TEST_SUITE_P(Paths, CliPathTest, testing::ValuesIn(kPathCases),
                         [](const testing::TestParamInfo<PathCase>& info) {
                           return std::string(info.param.name);
                         });

// The date and time come from the system's clock and time zone: Asia/Shanghai
// is eight hours ahead of UTC all year. Windows never reads TZ, and its C
// runtime would misread this one as UTC; under Wine, Windows' time zone is
// the one Wine started in, which tests/CMakeLists.txt sets to the same.
TEST_F(CliTest, TakesTheTimeInTheSystemsTimeZone) {
  CopyFixture("v_section.txt");
  const auto utc = std::chrono::floor<std::chrono::seconds>(
      std::chrono::system_clock::now());
  const Outcome outcome =
      Run({"-n", "0.025", "-s", "0.0004", "-m", "5", "v_section.txt"},
          "TZ=Asia/Shanghai");
  ASSERT_EQ(outcome.exit_code, 0) << outcome.err;
  const std::string result = Slurp(dir_ / Path("v_section成果.txt"));
  const std::string line =
      xsrating::GbkToUtf8(result.substr(0, result.find('\r')));
  bool matches = false;
  std::string expected;
  // The run takes a moment, which may cross a second.
  for (int s = 0; s <= 10 && !matches; ++s) {
    const xsrating::LocalDateTime when = xsrating::UtcFromEpochSeconds(
        (utc + std::chrono::hours(8) + std::chrono::seconds(s))
            .time_since_epoch()
            .count());
    expected = "计算时间: " + xsrating::FormatShortDate(when) + " " +
               xsrating::FormatLongTime(when);
    matches = line == expected;
  }
  EXPECT_TRUE(matches) << line << " (near " << expected << ")";
}

#ifdef XSRATING_WITHOUT_FIGURES
TEST_F(CliTest, PngInABuildWithoutFiguresStopsBeforeAnyRun) {
  CopyFixture("v_section.txt");
  const Outcome plot = Run({"-n", "0.025", "-s", "0.0004", "-m", "5",
                            "--plot=png", "--csv", "v_section.txt"});
  EXPECT_EQ(plot.exit_code, 2);
  EXPECT_THAT(plot.err, HasSubstr("不能画 PNG 图"));
  EXPECT_EQ(plot.out, "");
  EXPECT_FALSE(fs::exists(dir_ / Path("v_section成果.txt")));
  EXPECT_FALSE(fs::exists(dir_ / Path("v_section成果.csv")));

  // The SVG needs no module: the program draws it itself.
  const Outcome svg = Run({"-n", "0.025", "-s", "0.0004", "-m", "5", "--plot",
                           "--csv", "v_section.txt"});
  EXPECT_EQ(svg.exit_code, 0) << svg.err;
  EXPECT_TRUE(fs::exists(dir_ / Path("v_section成果.csv")));
  EXPECT_TRUE(fs::exists(dir_ / Path("v_section成果.svg")));
}
#endif

#ifdef _WIN32
// The Windows program draws its figures itself (GDI+ for the PNG): each
// format is written, marked as ours, replaced by the next run, and listed.
TEST_F(CliTest, PlotDrawsInsideTheWindowsProgram) {
  CopyFixture("v_section.txt");
  for (const char* format : {"svg", "png"}) {
    SCOPED_TRACE(format);
    const std::string name = std::string("v_section成果.") + format;
    for (int run = 0; run < 2; ++run) {
      const Outcome plot =
          Run({"-n", "0.025", "-s", "0.0004", "-m", "5",
               std::string("--plot=") + format, "v_section.txt"});
      EXPECT_EQ(plot.exit_code, 0) << plot.err;
      EXPECT_THAT(plot.out, HasSubstr(name));
    }
    const std::string figure = Slurp(dir_ / Path(name));
    EXPECT_TRUE(xsrating::IsOwnFile(
        xsrating::OwnFile::kFigure,
        std::string_view(figure).substr(0, xsrating::kOpeningBytes)));
  }
}

// As a spreadsheet program keeps a file it shows: open, others may read it but
// neither write, rename nor delete it.
TEST_F(CliTest, AResultHeldOpenElsewhereIsLeftAsItWas) {
  CopyFixture("v_section.txt");
  const fs::path result = dir_ / Path("v_section成果.txt");
  const std::string earlier =
      xsrating::Utf8ToGbk("计算时间: 2026/1/1 0:00:00\r\n");
  std::ofstream(result, std::ios::binary) << earlier;
  const HANDLE held =
      CreateFileW(result.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const Outcome outcome =
      Run({"-n", "0.025", "-s", "0.0004", "-m", "5", "v_section.txt"});
  CloseHandle(held);
  EXPECT_EQ(outcome.exit_code, 1);
  EXPECT_THAT(outcome.err, HasSubstr("正被其他程序打开"));
  EXPECT_THAT(outcome.err, HasSubstr("原有的结果文件没有改动"));
  EXPECT_EQ(Slurp(result), earlier);
  std::vector<std::string> files;
  for (const auto& entry : fs::directory_iterator(dir_)) {
    files.push_back(Utf8(entry.path().filename()));
  }
  std::sort(files.begin(), files.end());
  EXPECT_THAT(files,
              testing::ElementsAre("v_section.txt", "v_section成果.txt"));
}

// A folder at the root of a drive: one backslash between drive and name.
TEST_F(CliTest, SurveyAtTheRootOfADrive) {
  const fs::path root = Path(Utf8(dir_).substr(0, 3));  // "C:\"
  const std::string name = "xsrating_root_" + std::to_string(ProcessId());
  fs::copy_file(fs::path(XSRATING_TEST_DATA) / "v_section.txt",
                root / (name + ".txt"), fs::copy_options::overwrite_existing);
  const Outcome outcome =
      Run({"-n", "0.025", "-s", "0.0004", "-m", "5", name + ".txt"}, "", root);
  const std::string result = Utf8(root) + name + "成果.txt";
  EXPECT_EQ(outcome.exit_code, 0) << outcome.err;
  EXPECT_EQ(outcome.out, result + "\n");
  fs::remove(root / (name + ".txt"));
  fs::remove(Path(result));
}
#endif

#ifndef _WIN32
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
#endif

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
  // The option parser's own words stay out of what the user reads.
  for (const char* english :
       {"required", "expected", "not in", "Usage", "Options", "Positionals",
        "Display", "TEXT", "convert"}) {
    EXPECT_THAT(outcome.out + outcome.err, Not(HasSubstr(english)));
  }
  if (c.exit_code != 0) {
    EXPECT_FALSE(fs::exists(dir_ / Path("v_section成果.txt")));
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
        UsageCase{"Help", {"--help"}, 0, "-n, --roughness 数值"},
        UsageCase{"HelpShowsThePlotValuePlainly",
                  {"--help"},
                  0,
                  "  --plot[=svg|png]  "},
        UsageCase{"HelpListsTheExitCodes", {"-h"}, 0, "退出状态"},
        UsageCase{"HelpNamesSourceDateEpoch", {"-h"}, 0, "SOURCE_DATE_EPOCH"},
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
        UsageCase{"SlopeNotANumber",
                  {"-n", "0.025", "-s", "x", "-m", "5", "v_section.txt"},
                  2,
                  "比降“x”不是数字"},
        UsageCase{"SlopeAsAFraction",
                  {"-n", "0.025", "-s", "1/2000", "-m", "5", "v_section.txt"},
                  2,
                  "比降“1/2000”不是数字，请写成小数 0.0005。"},
        UsageCase{"RoughnessWithADecimalComma",
                  {"-n", "0,03", "-s", "0.0004", "-m", "5", "v_section.txt"},
                  2,
                  "糙率“0,03”不是数字，请写成小数 0.03。"},
        UsageCase{"RoughnessInFullWidth",
                  {"-n", "０.０３", "-s", "0.0004", "-m", "5", "v_section.txt"},
                  2,
                  "糙率“０.０３”是全角字符，请用半角：0.03。"},
        UsageCase{"StagesInFullWidth",
                  {"-n", "0.03", "-s", "0.0004", "-m", "２０", "v_section.txt"},
                  2,
                  "点子数量“２０”是全角字符，请用半角：20。"},
        UsageCase{
            "SlopeAsAFullWidthFraction",
            {"-n", "0.03", "-s", "１／２０００", "-m", "5", "v_section.txt"},
            2,
            "比降“１／２０００”是全角字符，请用半角：0.0005。"},
        UsageCase{"GaugingsWithTwoSurveys",
                  {"-n", "0.025", "-s", "0.0004", "-m", "5", "--gaugings",
                   "g.txt", "v_section.txt", "v_section.txt"},
                  2,
                  "只能给一个地形数据文件"},
        UsageCase{"StageRecordWithTwoSurveys",
                  {"-n", "0.025", "-s", "0.0004", "-m", "5", "--stage-record",
                   "r.txt", "v_section.txt", "v_section.txt"},
                  2,
                  "有 --stage-record 时只能给一个地形数据文件"},
        UsageCase{"MissingStageRecordRunsNothing",
                  {"-n", "0.025", "-s", "0.0004", "-m", "5", "--stage-record",
                   "r.txt", "v_section.txt"},
                  1,
                  "找不到水位过程文件"},
        UsageCase{
            "HelpNamesTheStageRecord", {"--help"}, 0, "--stage-record 文件"},
        UsageCase{
            "HelpNamesTheTestLevels", {"--help"}, 0, "--test-levels A,B,C"},
        UsageCase{"TwoTestLevels",
                  {"-n", "0.025", "-s", "0.0004", "-m", "5", "--gaugings",
                   "g.txt", "--test-levels", "0.25,0.05", "v_section.txt"},
                  2,
                  "--test-levels：显著性水平“0.25,0.05”应是用逗号分开的三个数"},
        UsageCase{
            "TestLevelsInFullWidth",
            {"-n", "0.025", "-s", "0.0004", "-m", "5", "--gaugings", "g.txt",
             "--test-levels", "０.２５，０.０５，０.２", "v_section.txt"},
            2,
            "显著性水平“０.２５，０.０５，０.２”是全角字符，请用半角："
            "0.25,0.05,0.2。"},
        UsageCase{"TestLevelOfOne",
                  {"-n", "0.025", "-s", "0.0004", "-m", "5", "--gaugings",
                   "g.txt", "--test-levels", "0.25,1,0.2", "v_section.txt"},
                  2,
                  "适线检验的 1 不在 0 与 1 之间"},
        UsageCase{"ValueMissingBeforeTheNextOption",
                  {"-n", "-s", "0.0004", "-m", "5", "v_section.txt"},
                  2,
                  "-n、--roughness 后面缺少糙率的值"},
        UsageCase{"ValueMissingAtTheEnd",
                  {"-n", "0.025", "-s", "0.0004", "v_section.txt", "-m"},
                  2,
                  "-m、--stages 后面缺少"},
        UsageCase{"EmptyValueAfterEqualsSign",
                  {"-n", "0.025", "--slope=", "-m", "5", "v_section.txt"},
                  2,
                  "“--slope=”的等号后面是空的"},
        UsageCase{"GivenTwice",
                  {"-n", "0.025", "-n", "0.03", "-s", "0.0004", "-m", "5",
                   "v_section.txt"},
                  2,
                  "-n、--roughness 只能给一次"},
        UsageCase{"UnknownFigureFormat",
                  {"-n", "0.025", "-s", "0.0004", "-m", "5", "--plot=pdf",
                   "v_section.txt"},
                  2,
                  "“--plot=pdf”：图的格式只能是 svg 或 png"},
        UsageCase{"EmptyFigureFormat",
                  {"-n", "0.025", "-s", "0.0004", "-m", "5",
                   "--plot=", "v_section.txt"},
                  2,
                  "“--plot=”的等号后面是空的"},
        UsageCase{"TableWithAValue",
                  {"-n", "0.025", "-s", "0.0004", "-m", "5",
                   "--csv=", "v_section.txt"},
                  2,
                  "--csv 不带值"},
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
        UsageCase{"RoughnessAndZones",
                  {"-n", "0.025", "--zones", "z.txt", "-s", "0.0004", "-m", "5",
                   "v_section.txt"},
                  2,
                  "-n、--roughness 与 --zones 只能给一个"},
        UsageCase{"ZonesWithoutItsFile",
                  {"-s", "0.0004", "-m", "5", "v_section.txt", "--zones="},
                  2,
                  "“--zones=”的等号后面是空的：请在等号后写上它的值"},
        UsageCase{"UnknownZoneMethod",
                  {"--zones", "z.txt", "--zone-method", "平均", "-s", "0.0004",
                   "-m", "5", "v_section.txt"},
                  2,
                  "算法只能是 分区 或 综合"},
        UsageCase{"ZoneMethodWithoutZones",
                  {"-n", "0.025", "--zone-method", "综合", "-s", "0.0004", "-m",
                   "5", "v_section.txt"},
                  2,
                  "请同时用 --zones"},
        UsageCase{"ZonesWithGaugings",
                  {"--zones", "z.txt", "--gaugings", "g.txt", "-s", "0.0004",
                   "-m", "5", "v_section.txt"},
                  2,
                  "--gaugings 暂时不能与 --zones 同用"},
        UsageCase{
            "MissingZonesFile",
            {"--zones", "z.txt", "-s", "0.0004", "-m", "5", "v_section.txt"},
            1,
            "分区糙率文件"},
        UsageCase{"ACsvFileIsToBeRenamed",
                  {"-n", "0.025", "-s", "0.0004", "-m", "5", "v_section.CSV"},
                  1,
                  "地形文件必须是 .txt 文件。每行只有起点距、高程两个数的 CSV "
                  "文件，把文件名改成以 .txt 结尾就可以计算。"},
        UsageCase{"NotATxtFile",
                  {"-n", "0.025", "-s", "0.0004", "-m", "5", "v_section.dat"},
                  1,
                  ".txt"}),
    [](const testing::TestParamInfo<UsageCase>& info) {
      return std::string(info.param.name);
    });

// The report comes after the result file, which is the same as without it;
// a failed analysis leaves the result file and no report.
TEST_F(CliTest, GaugingsReportBesideTheResultFile) {
  CopyFixture("river_section.txt");
  fs::copy_file(fs::path(XSRATING_EXAMPLES) / "river_section_gaugings.txt",
                dir_ / "g.txt");
  const std::vector<std::string> run = {
      "-n", "0.03", "-s", "0.0003", "-m", "20", "river_section.txt"};
  const std::string epoch = "SOURCE_DATE_EPOCH=1796615227";
  ASSERT_EQ(Run(run, epoch).exit_code, 0);
  const std::string plain = Slurp(dir_ / Path("river_section成果.txt"));

  std::vector<std::string> gauged = run;
  gauged.insert(gauged.end(), {"--gaugings", "g.txt"});
  const Outcome outcome = Run(gauged, epoch);
  ASSERT_EQ(outcome.exit_code, 0) << outcome.err;
  EXPECT_EQ(outcome.out, Utf8(dir_ / Path("river_section成果.txt")) + "\n" +
                             Utf8(dir_ / Path("river_section率定.csv")) + "\n");
  EXPECT_EQ(Slurp(dir_ / Path("river_section成果.txt")), plain);
  const std::string report = Slurp(dir_ / Path("river_section率定.csv"));
  EXPECT_TRUE(report.starts_with("\xEF\xBB\xBF实测水位,实测流量,"));
  EXPECT_THAT(report, HasSubstr("\r\n52.05,1420,,,,,,,高于较低堤顶\r\n"));
  EXPECT_THAT(report, HasSubstr("\r\n实测点数,10\r\n"));
  // The run it checks, as the result file records it.
  EXPECT_THAT(report,
              HasSubstr("\r\n地形文件," + Utf8(dir_ / "river_section.txt") +
                        "\r\n实测流量文件," + Utf8(dir_ / "g.txt") +
                        "\r\n糙率,0.03\r\n比降,0.0003\r\n"
                        "计算时间,2026/12/7 3:47:07\r\n关系式,Q="));
  EXPECT_THAT(outcome.err,
              HasSubstr("计算结果请核对： 外延幅度 91.1%，超过了"
                        "通常允许的 30%：高于最高实测水位 48.52 "));
  EXPECT_THAT(report, HasSubstr("\r\n\r\n检验,统计量,临界值,显著性水平,结论"
                                "\r\n符号检验,"));
  EXPECT_THAT(report, HasSubstr(",0.25,合格\r\n"));

  // Other levels reach the report; the table is the same.
  std::vector<std::string> levelled = gauged;
  levelled.insert(levelled.end(), {"--test-levels", "0.3,0.1,0.4"});
  ASSERT_EQ(Run(levelled, epoch).exit_code, 0);
  const std::string relevelled = Slurp(dir_ / Path("river_section率定.csv"));
  EXPECT_EQ(relevelled.substr(0, relevelled.find("检验,")),
            report.substr(0, report.find("检验,")));
  for (const char* row :
       {"\r\n符号检验,", "\r\n适线检验,", "\r\n偏离数值检验,"}) {
    EXPECT_THAT(relevelled, HasSubstr(row));
  }
  EXPECT_THAT(relevelled, HasSubstr(",0.3,"));
  EXPECT_THAT(relevelled, HasSubstr(",0.1,"));
  EXPECT_THAT(relevelled, HasSubstr(",0.4,"));

  fs::remove(dir_ / Path("river_section率定.csv"));
  gauged[3] = "0";  // The slope.
  const Outcome failed = Run(gauged, epoch);
  EXPECT_EQ(failed.exit_code, 1);
  EXPECT_THAT(failed.err, HasSubstr("有实测流量时比降必须大于 0"));
  EXPECT_TRUE(fs::exists(dir_ / Path("river_section成果.txt")));
  EXPECT_FALSE(fs::exists(dir_ / Path("river_section率定.csv")));
}

// A zones file of one zone gives the very result file of its roughness; two
// zones name themselves on line 4 and add two columns to the table.
TEST_F(CliTest, ZonesFileTakesThePlaceOfTheRoughness) {
  CopyFixture("river_section.txt");
  const std::string epoch = "SOURCE_DATE_EPOCH=1796615227";
  const fs::path result = dir_ / Path("river_section成果.txt");
  ASSERT_EQ(Run({"-n", "0.03", "-s", "0.0003", "-m", "20", "river_section.txt"},
                epoch)
                .exit_code,
            0);
  const std::string plain = Slurp(result);
  std::ofstream(dir_ / "one.txt") << "起点距,糙率\n0,0.03\n";
  std::ofstream(dir_ / "two.txt") << "# 左滩 主槽\n-5 .05\n60\t0.025 主槽\n";
  const std::vector<std::string> zoned = {
      "-s", "0.0003", "-m", "20", "--csv", "river_section.txt", "--zones"};
  std::vector<std::string> one = zoned;
  one.push_back("one.txt");
  const Outcome same = Run(one, epoch);
  ASSERT_EQ(same.exit_code, 0) << same.err;
  EXPECT_EQ(Slurp(result), plain);

  std::vector<std::string> two = zoned;
  two.insert(two.end(), {"two.txt", "--zone-method", "综合"});
  const Outcome outcome = Run(two, epoch);
  ASSERT_EQ(outcome.exit_code, 0) << outcome.err;
  const std::string text = xsrating::GbkToUtf8(Slurp(result));
  // 30 columns: 比降= at the fourth print column.
  EXPECT_THAT(text, HasSubstr("\r\n糙率=综合 0~60:.05;60~131:.025" +
                              std::string(12, ' ') + "比降=0.0003\r\n"));
  // The stages and areas (the first two print columns of each row) are those
  // of one roughness; the discharges are the zones'.
  const auto stages_and_areas = [](const std::string& file) {
    std::string columns;
    for (size_t end = file.find("\r\n "); end != std::string::npos;
         end = file.find("\r\n", end + 2)) {
      columns += file.substr(end + 2, 28) + "|";
    }
    return columns;
  };
  EXPECT_EQ(stages_and_areas(text),
            stages_and_areas(xsrating::GbkToUtf8(plain)));
  EXPECT_NE(text, xsrating::GbkToUtf8(plain));
  EXPECT_THAT(Slurp(dir_ / Path("river_section成果.csv")),
              HasSubstr(",流量,综合糙率,动能修正系数\r\n"));
}

struct BadZonesCase {
  const char* name;
  const char* zones;
  const char* message_part;
  friend void PrintTo(const BadZonesCase& c, std::ostream* os) {
    *os << c.name;
  }
};

class CliBadZonesTest : public CliTest,
                        public testing::WithParamInterface<BadZonesCase> {};

// Each failure names its line, and nothing at all is written.
TEST_P(CliBadZonesTest, NamesTheLineAndWritesNothing) {
  const BadZonesCase& c = GetParam();
  CopyFixture("v_section.txt");
  std::ofstream(dir_ / "z.txt", std::ios::binary) << c.zones;
  const Outcome outcome = Run({"--zones", "z.txt", "-s", "0.0004", "-m", "5",
                               "--csv", "v_section.txt"});
  EXPECT_EQ(outcome.exit_code, 1);
  EXPECT_THAT(outcome.err, HasSubstr(c.message_part));
  EXPECT_EQ(outcome.out, "");
  EXPECT_EQ(xsrating::ListFolder(dir_),
            (std::vector<std::string>{"v_section.txt", "z.txt"}));
}

INSTANTIATE_TEST_SUITE_P(
    Files, CliBadZonesTest,
    testing::Values(
        BadZonesCase{"NotANumber", "0,0.03\n10,abc\n",
                     "第 2 行的“abc”不是有效的数字（糙率）"},
        BadZonesCase{"RoughnessZero", "起点距,糙率\r\n0,0.03\r\n5,0\r\n",
                     "第 3 行的糙率“0”不大于 0"},
        BadZonesCase{"DistancesNotIncreasing", "0,0.03\n10,0.02\n10,0.04\n",
                     "第 3 行的起点距“10”不大于上一行的起点距 10"},
        BadZonesCase{"RoughnessMissing", "0,0.03\n\n5\n",
                     "第 3 行只有起点距“5”，缺少糙率"},
        BadZonesCase{"DistanceMissing", "0,0.03\n,0.02\n",
                     "第 2 行的逗号前缺少分区起点距"},
        BadZonesCase{
            "FullWidthComma", "10，0.02\n",
            "第 1 行的“10，0.02”不是有效的数字（分区起点距）。请用半角逗号"},
        BadZonesCase{
            "StartsAfterTheSurvey", "# 河槽\n5,0.03\n20,0.02\n",
            "第 2 行的第一个分区起点距 5 大于地形文件第一个测点的起点距 0"},
        BadZonesCase{"OnlyComments", "# 无\n", "分区糙率文件中没有数据"},
        // Not a header to skip: a zone typed in full width.
        BadZonesCase{
            "FullWidthDigitsOnTheFirstLine", "０,0.03\n10,0.02\n",
            "第 1 行的“０”不是有效的数字（分区起点距）。“０”是全角字符，"
            "请用半角：0。"},
        BadZonesCase{"Utf16",
                     "\xFF\xFE"
                     "0\0,\0"
                     "1\0",
                     "UTF-16"}),
    [](const testing::TestParamInfo<BadZonesCase>& info) {
      return std::string(info.param.name);
    });

#ifndef _WIN32
// The report checks the run's own rating, and the look for an earlier result
// is part of the one read: a run with --csv and --gaugings opens the survey
// once, so all the files show one version of it.
TEST_F(CliTest, ARunOpensTheSurveyOnce) {
  CopyFixture("river_section.txt");
  fs::copy_file(fs::path(XSRATING_EXAMPLES) / "river_section_gaugings.txt",
                dir_ / "g.txt");
  const fs::path trace = io_ / "trace";
  // Opens of the survey and of the gaugings, as strace logs them.
  const auto opens = [&](std::vector<std::string> args) {
    // The prefix runs the program under strace. A sanitizer build's leak
    // check cannot work under ptrace, so it is off for this run only.
    const Outcome outcome =
        Run(args,
            "ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 "
            "strace -f -qq -e trace=open,openat,openat2 -o " +
                Quote(trace.string()));
    EXPECT_EQ(outcome.exit_code, 0) << outcome.err;
    std::ifstream log(trace);
    std::pair<int, int> counts;
    for (std::string line; std::getline(log, line);) {
      if (line.find("/river_section.txt\"") != std::string::npos) {
        ++counts.first;
      }
      if (line.find("/g.txt\"") != std::string::npos) ++counts.second;
    }
    return counts;
  };
  const std::vector<std::string> run = {
      "-n", "0.03", "-s", "0.0003", "-m", "20", "--csv", "river_section.txt"};
  std::vector<std::string> gauged = run;
  gauged.insert(gauged.begin(), {"--gaugings", "g.txt"});
  const std::pair<int, int> plain = opens(run);
  const std::pair<int, int> with_gaugings = opens(gauged);
  EXPECT_EQ(plain.first, 1);
  EXPECT_EQ(with_gaugings.first, 1);
  EXPECT_EQ(with_gaugings.second, 1);
}
#endif

TEST_F(CliTest, BadSourceDateEpochIsAUsageError) {
  CopyFixture("v_section.txt");
  const Outcome outcome =
      Run({"-n", "0.025", "-s", "0.0004", "-m", "5", "v_section.txt"},
          "SOURCE_DATE_EPOCH=yesterday");
  EXPECT_EQ(outcome.exit_code, 2);
  EXPECT_THAT(outcome.err, HasSubstr("SOURCE_DATE_EPOCH"));
}

}  // namespace
