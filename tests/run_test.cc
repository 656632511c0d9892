// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/run/run.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "core/base/encoding.h"
#include "core/base/file_io.h"
#include "core/output/result_file.h"
#include "core/run/rating_warnings.h"
#include "tests/support/recording_sink.h"
#include "tests/support/temp_dir.h"

namespace xsrating {
namespace {

namespace fs = std::filesystem;
using testing::ElementsAre;
using testing::HasSubstr;

using Message = RecordingSink::Message;

class RunTest : public testing::Test {
 protected:
  void SetUp() override {
    hooks_.now = [] { return LocalDateTime{2026, 12, 7, 9, 5, 3}; };
  }

  // Paths in UTF-8, as the run takes and gives them on every system.
  std::string At(const std::string& name) const {
    const std::u8string text = (dir_ / PathFromUtf8(name)).u8string();
    return std::string(text.begin(), text.end());
  }
  std::string Write(const std::string& name, const std::string& bytes) {
    std::ofstream(dir_ / PathFromUtf8(name), std::ios::binary) << bytes;
    return At(name);
  }
  static std::string Slurp(const std::string& path) {
    std::ifstream in(PathFromUtf8(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) {
      const std::u8string name = entry.path().filename().u8string();
      names.emplace_back(name.begin(), name.end());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  RunParameters VRun() {
    RunParameters params;
    params.data_file_path =
        Write("sec1.txt", "0,5\r\n10,0\r\n20,0\r\n30,5\r\n");
    params.roughness = 0.025;
    params.slope_text = "0.0004";
    params.stage_count = 5;
    return params;
  }

  TempDir temp_;
  const fs::path dir_ = temp_.path();
  RunHooks hooks_;
  RecordingSink sink_;
};

TEST_F(RunTest, WritesTheResultBesideTheSurveyAndSaysWhere) {
  RunParameters params = VRun();
  const Status status = RunComputation(params, sink_, hooks_);
  ASSERT_TRUE(status.ok()) << status.message();
  const std::string result = At("sec1成果.txt");
  EXPECT_THAT(sink_.messages, ElementsAre(Message{result, kResultSavedTitle}));
  const std::string bytes = Slurp(result);
  EXPECT_EQ(bytes.substr(0, bytes.find("\r\n")),
            Utf8ToGbk("计算时间: 2026/12/7 9:05:03"));
  EXPECT_THAT(bytes,
              HasSubstr(Utf8ToGbk("地形测文件：" + params.data_file_path +
                                  "\r\n地形测点数： 4 \r\n")));
  EXPECT_THAT(bytes, HasSubstr(" 5             100           169.72 \r\n"));
  EXPECT_THAT(Files(), ElementsAre("sec1.txt", "sec1成果.txt"));
}

TEST_F(RunTest, StageGuardWarnsFirstThenRunsWithTwentyWhichStays) {
  struct Case {
    double typed;
    bool warns;
    size_t rows;
    bool fraction_warned = false;  // After the result, not instead of it.
  };
  const Case cases[] = {{100, false, 100},
                        {100.5, true, 20},
                        {150, true, 20},
                        {99.9, false, 99, true}};
  for (const Case& c : cases) {
    RunParameters params = VRun();
    params.stage_count = c.typed;
    for (int press = 0; press < 2; ++press) {
      sink_.messages.clear();
      ASSERT_TRUE(RunComputation(params, sink_, hooks_).ok());
      std::vector<Message> expected;
      if (c.warns && press == 0) {
        expected.push_back({kStageGuardText, kStageGuardTitle});
      }
      expected.push_back({At("sec1成果.txt"), kResultSavedTitle});
      if (c.fraction_warned) {
        ASSERT_EQ(sink_.messages.size(), expected.size() + 1);
        EXPECT_EQ(sink_.messages.back().title, kRatingWarningsTitle);
        EXPECT_THAT(sink_.messages.back().text,
                    HasSubstr("点子数量 99.9 不是整数：水位间隔按 99.9 算出，"
                              "表中只有 99 行"));
        sink_.messages.pop_back();
      }
      EXPECT_EQ(sink_.messages, expected) << c.typed << " press " << press;
      EXPECT_EQ(params.stage_count, c.warns ? 20 : c.typed);
      const std::string bytes = Slurp(At("sec1成果.txt"));
      size_t lines = 0;
      for (size_t p = bytes.find("\r\n"); p != std::string::npos;
           p = bytes.find("\r\n", p + 2)) {
        ++lines;
      }
      EXPECT_EQ(lines, 6 + c.rows) << c.typed;
    }
  }
}

TEST_F(RunTest, NoFileChosenStillWarnsThenFailsReading) {
  RunParameters params;
  params.stage_count = 500;
  const Status status = RunComputation(params, sink_, hooks_);
  ASSERT_FALSE(status.ok());
  EXPECT_THAT(status.message(), HasSubstr("还没有选择地形数据文件"));
  EXPECT_THAT(sink_.messages,
              ElementsAre(Message{kStageGuardText, kStageGuardTitle}));
}

TEST_F(RunTest, AFailedRunLeavesTheEarlierResultAsItWas) {
  struct Case {
    const char* name;
    void (*spoil)(RunParameters&);
    const char* message_part;
  };
  const Case cases[] = {
      {"never edited",
       [](RunParameters& p) {
         RunParameters fresh;
         fresh.data_file_path = p.data_file_path;
         p = fresh;
       },
       "点子数量必须在 1 到 100 之间，现在是 0。"},
      {"stage count below one", [](RunParameters& p) { p.stage_count = 0.5; },
       "点子数量必须在 1 到 100 之间，现在是 .5。"},
      {"negative stage count", [](RunParameters& p) { p.stage_count = -5; },
       "点子数量必须在 1 到 100 之间，现在是 -5。"},
      {"zero roughness", [](RunParameters& p) { p.roughness = 0; }, "糙率"},
      {"bad slope", [](RunParameters& p) { p.slope_text = "abc"; }, "比降"},
      {"negative slope", [](RunParameters& p) { p.slope_text = "-1"; }, "负数"},
  };
  const std::string earlier = Utf8ToGbk("计算时间: 2026/1/2 3:04:05\r\n");
  for (const Case& c : cases) {
    RunParameters params = VRun();
    const std::string result = Write("sec1成果.txt", earlier);
    c.spoil(params);
    sink_.messages.clear();
    const Status status = RunComputation(params, sink_, hooks_);
    ASSERT_FALSE(status.ok()) << c.name;
    EXPECT_THAT(status.message(), HasSubstr(c.message_part)) << c.name;
    EXPECT_THAT(status.message(), HasSubstr("sec1.txt")) << c.name;
    EXPECT_TRUE(sink_.messages.empty()) << c.name;
    EXPECT_EQ(Slurp(result), earlier) << c.name;
    EXPECT_THAT(Files(), ElementsAre("sec1.txt", "sec1成果.txt")) << c.name;
  }
}

TEST_F(RunTest, SaveFailureIsReportedNotShownAsSuccess) {
  RunParameters params = VRun();
  hooks_.save = [](const std::string&, std::string_view, const SaveOptions&) {
    return Status::Error("磁盘已满");
  };
  const Status status = RunComputation(params, sink_, hooks_);
  ASSERT_FALSE(status.ok());
  EXPECT_EQ(status.message(), "磁盘已满");
  EXPECT_TRUE(sink_.messages.empty());
}

// The writes of a result file, on the system's own file descriptors: a disk
// that fills or a write that is cut short or interrupted.
TEST_F(RunTest, SavingKeepsTheEarlierResultWhenAWriteFails) {
  const auto system_write = [](int fd, const char* data, size_t size) {
#ifdef _WIN32
    return static_cast<long>(_write(fd, data, static_cast<unsigned>(size)));
#else
    return static_cast<long>(::write(fd, data, size));
#endif
  };
  const auto fail_with = [](int error) {
    errno = error;
    return -1L;
  };
  struct Case {
    const char* name;
    std::function<long(int fd, const char* data, size_t size, int call)> write;
    const char* message_part;  // Empty: the save succeeds.
  };
  const Case cases[] = {
      {"disk full at once",
       [&](int, const char*, size_t, int) { return fail_with(ENOSPC); },
       "磁盘已满"},
      {"disk full after a part",
       [&](int fd, const char* data, size_t size, int call) {
         return call == 0 ? system_write(fd, data, size < 9 ? size : 9)
                          : fail_with(ENOSPC);
       },
       "磁盘已满"},
      {"nothing written", [](int, const char*, size_t, int) { return 0L; },
       "磁盘已满"},
      {"device error",
       [&](int, const char*, size_t, int) { return fail_with(EIO); },
       "磁盘读写错误"},
      {"interrupted and short writes",
       [&](int fd, const char* data, size_t size, int call) {
         return call % 2 == 0 ? fail_with(EINTR)
                              : system_write(fd, data, size < 7 ? size : 7);
       },
       ""},
  };
  const std::string earlier = "an earlier result\r\n";
  const std::string bytes = "a new result, longer than one write\r\n";
  for (const Case& c : cases) {
    const std::string result = Write("sec1成果.txt", earlier);
    int calls = 0;
    SaveOptions options;
    options.kind = "结果文件";
    // The test's earlier file is no result of ours; this save may replace it.
    options.check_existing = [](std::string_view) { return Status::Ok(); };
    options.write_chunk = [&](int fd, const char* data, size_t size) {
      return c.write(fd, data, size, calls++);
    };
    const Status status = SaveFileAtomically(result, bytes, options);
    EXPECT_GT(calls, 0) << c.name;
    if (*c.message_part == '\0') {
      EXPECT_TRUE(status.ok()) << c.name << ": " << status.message();
      EXPECT_EQ(Slurp(result), bytes) << c.name;
    } else {
      ASSERT_FALSE(status.ok()) << c.name;
      EXPECT_THAT(status.message(), HasSubstr(c.message_part)) << c.name;
      EXPECT_THAT(status.message(), HasSubstr(result)) << c.name;
      EXPECT_THAT(status.message(), HasSubstr("原有的结果文件没有改动"))
          << c.name;
      EXPECT_EQ(Slurp(result), earlier) << c.name;
    }
    EXPECT_THAT(Files(), ElementsAre("sec1成果.txt")) << c.name;
  }
}

TEST_F(RunTest, RefusesANameNotEndingInTxt) {
  RunParameters params = VRun();
  params.data_file_path = Write("sec1.dat", "0,5\r\n10,0\r\n20,0\r\n30,5\r\n");
  const Status status = RunComputation(params, sink_, hooks_);
  ASSERT_FALSE(status.ok());
  EXPECT_THAT(status.message(), HasSubstr(".txt"));
  EXPECT_THAT(Files(), ElementsAre("sec1.dat", "sec1.txt"));
}

// The table spills over a levee's land side: written all the same, and the
// warnings follow the closing message in one box.
TEST_F(RunTest, WarnsAfterTheClosingMessage) {
  RunParameters params = VRun();
  params.data_file_path = Write("levee.txt", "-5,4 -2,6 0,5 10,0 20,0 30,5");
  params.slope_text = "0";
  ASSERT_TRUE(RunComputation(params, sink_, hooks_).ok());
  ASSERT_EQ(sink_.messages.size(), 2u);
  EXPECT_EQ(sink_.messages[0],
            (Message{At("levee成果.txt"), kResultSavedTitle}));
  EXPECT_EQ(sink_.messages[1].title, kRatingWarningsTitle);
  EXPECT_THAT(sink_.messages[1].text,
              testing::StartsWith("地形文件“" + params.data_file_path +
                                  "”已算完，但：\r断面起点一端"));
  EXPECT_THAT(sink_.messages[1].text, HasSubstr("\r比降为 0"));
  EXPECT_THAT(Slurp(At("levee成果.txt")),
              HasSubstr(" 5             100.75        0 \r\n"));
}

TEST_F(RunTest, UpperCaseExtensionGivesTheSuffixInLowerCase) {
  RunParameters params = VRun();
  params.data_file_path = Write("A.TXT", "0,5 10,0 20,0 30,5");
  ASSERT_TRUE(RunComputation(params, sink_, hooks_).ok());
  EXPECT_THAT(sink_.messages,
              ElementsAre(Message{At("A成果.txt"), kResultSavedTitle}));
}

TEST_F(RunTest, HandsBackTheRatingItWrote) {
  RunParameters params = VRun();
  params.stage_count = 150;
  Rating rating;
  ASSERT_TRUE(RunComputation(params, sink_, hooks_, &rating).ok());
  EXPECT_EQ(rating.stage_count, 20);
  EXPECT_EQ(rating.section.points.size(), 4u);
  ASSERT_EQ(rating.hydraulic_rows.size(), 20u);
  EXPECT_EQ(Slurp(At("sec1成果.txt")),
            ResultFileBytes(rating, params, hooks_.now()));
}

// Front ends act on the kind of a failure, never on its wording.
TEST_F(RunTest, FailuresSayWhatKindTheyAre) {
  struct Case {
    const char* name;
    void (*spoil)(RunParameters&, const fs::path& dir);
    StatusKind kind;
  };
  const Case cases[] = {
      {"no file chosen",
       [](RunParameters& p, const fs::path&) { p.data_file_path.clear(); },
       StatusKind::kBadInput},
      {"missing file",
       [](RunParameters& p, const fs::path& dir) {
         p.data_file_path = PathToUtf8(dir / "gone.txt");
       },
       StatusKind::kFileSystem},
      {"folder",
       [](RunParameters& p, const fs::path& dir) {
         fs::create_directory(dir / "dir.txt");
         p.data_file_path = PathToUtf8(dir / "dir.txt");
       },
       StatusKind::kFileSystem},
      {"not a number",
       [](RunParameters& p, const fs::path& dir) {
         p.data_file_path = PathToUtf8(dir / "bad.txt");
         std::ofstream(dir / "bad.txt") << "0,5\r\n1x,0\r\n";
       },
       StatusKind::kBadInput},
      {"zero roughness",
       [](RunParameters& p, const fs::path&) { p.roughness = 0; },
       StatusKind::kBadInput},
  };
  for (const Case& c : cases) {
    RunParameters params = VRun();
    c.spoil(params, dir_);
    const Status status = RunComputation(params, sink_, hooks_);
    ASSERT_FALSE(status.ok()) << c.name;
    EXPECT_EQ(status.kind(), c.kind) << c.name << ": " << status.message();
  }
}

// In a batch a survey runs only when its result would replace neither the
// result of an earlier survey of the batch nor another survey of it.
TEST_F(RunTest, BatchRefusesResultPathsThatClash) {
  struct Expected {
    int other = -1;  // The survey the message names too; -1: may run.
    const char* phrase = "";
  };
  struct Case {
    const char* name;
    std::vector<std::string> files;
    std::vector<Expected> expected;
  };
  constexpr char kSameResult[] = "的结果文件是同一个文件";
  constexpr char kIsASurvey[] = "正是本次要计算的另一个地形文件";
  const Case cases[] = {
      {"distinct", {"a.txt", "b.txt", "a.dat"}, {{}, {}, {}}},
      {"case differs", {"A.txt", "A.TXT"}, {{}, {0, kSameResult}}},
      {"same survey twice", {"a.txt", "a.txt"}, {{}, {0, kSameResult}}},
      {"spelled differently",
       {"a.txt", "sub/../a.txt"},
       {{}, {0, kSameResult}}},
      {"three on one name",
       {"A.txt", "b.txt", "A.TXT", "a.txt", "A.Txt"},
       {{}, {}, {0, kSameResult}, {}, {0, kSameResult}}},
      {"result is a later survey",
       {"B.txt", "B成果.txt"},
       {{1, kIsASurvey}, {}}},
      {"result is an earlier survey",
       {"B成果.txt", "B.txt"},
       {{}, {0, kIsASurvey}}},
      // "*.txt" where the surveys have their results already.
      {"an earlier result named as a survey",
       {"C.txt", "C成果.txt", "D成果.txt", "D.txt"},
       {{}, {}, {}, {}}},
  };
  Write("C成果.txt", Utf8ToGbk("计算时间: 2026/1/2 3:04:05\r\n"));
  Write("D成果.txt", Utf8ToGbk("计算时间: 2026/1/2 3:04:05\r\n"));
  Write("B成果.txt", "0,5\r\n10,0\r\n20,0\r\n30,5\r\n");
  for (const Case& c : cases) {
    std::vector<std::string> paths;
    for (const std::string& file : c.files) {
      paths.push_back(At(file));
    }
    const std::vector<Status> clashes = ResultPathClashes(paths);
    ASSERT_EQ(clashes.size(), paths.size()) << c.name;
    for (size_t i = 0; i < paths.size(); ++i) {
      const Expected& e = c.expected[i];
      EXPECT_EQ(clashes[i].ok(), e.other < 0) << c.name << " #" << i;
      if (e.other < 0) continue;
      EXPECT_THAT(clashes[i].message(), HasSubstr(e.phrase)) << c.name;
      EXPECT_THAT(clashes[i].message(), HasSubstr("“" + paths[i] + "”"))
          << c.name;
      EXPECT_THAT(clashes[i].message(), HasSubstr("“" + paths[e.other] + "”"))
          << c.name;
    }
  }
}

}  // namespace
}  // namespace xsrating
