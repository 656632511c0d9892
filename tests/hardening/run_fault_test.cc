// SPDX-License-Identifier: GPL-3.0-or-later
// Faults of the file system during a run: each must give a clear message and
// leave the result file of an earlier run byte for byte as it was, with no
// temporary file beside it.

#include <fcntl.h>
#include <gmock/gmock.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "core/base/encoding.h"
#include "core/base/file_io.h"
#include "core/base/status.h"
#include "core/output/own_files.h"
#include "core/run/run.h"
#include "tests/hardening/hardening_support.h"

namespace xsrating::hardening {
namespace {

namespace fs = std::filesystem;
using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

constexpr char kSurveyName[] = "sec1.txt";
constexpr char kResultName[] = "sec1成果.txt";
constexpr char kFourPoints[] = "0,5\r\n10,0\r\n20,0\r\n30,5\r\n";
constexpr uid_t kNobody = 65534;

LocalDateTime EarlierRunTime() { return {2026, 1, 2, 3, 4, 5}; }
LocalDateTime LaterRunTime() { return {2026, 12, 7, 15, 47, 47}; }

// A run's outcome, as fields that can cross from a child process.
std::vector<std::string> Report(const Status& status,
                                const RecordingSink& sink) {
  std::string shown_saved = "0";
  for (const auto& message : sink.messages) {
    if (message.title == kResultSavedTitle) shown_saved = "1";
  }
  return {status.ok() ? "ok" : "failed", status.message(), shown_saved};
}

// Runs `body` as a user who is held to file permissions: as ourselves when
// we are not root, else in a child that turns into "nobody".
ChildOutcome AsOrdinaryUser(
    const std::function<std::vector<std::string>()>& body) {
  if (geteuid() != 0) {
    ChildOutcome outcome;
    outcome.completed = true;
    outcome.fields = body();
    return outcome;
  }
  return RunInChild([&] {
    if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 ||
        setuid(kNobody) != 0) {
      throw SkipChild{"cannot turn into an ordinary user"};
    }
    return body();
  });
}

// Runs `body` in a child with a mount namespace of its own, after `setup`
// has changed the mounts there; skipped where mounting is not allowed.
ChildOutcome WithPrivateMounts(
    const std::function<void()>& setup,
    const std::function<std::vector<std::string>()>& body) {
  return RunInChild([&] {
    if (unshare(CLONE_NEWNS) != 0 ||
        mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
      throw SkipChild{std::string("no private mount namespace: ") +
                      std::strerror(errno)};
    }
    setup();
    return body();
  });
}

class RunFaultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The folder must be open to an ordinary user for the tests that run as
    // one.
    fs::permissions(dir_.path(), fs::perms::owner_all | fs::perms::group_read |
                                     fs::perms::group_exec |
                                     fs::perms::others_read |
                                     fs::perms::others_exec);
    WriteBytes(survey(), kFourPoints);
    params_.data_file_path = dir_.Utf8(kSurveyName);
    params_.roughness = 0.025;
    params_.slope_text = "0.0004";
    params_.stage_count = 5;
    RecordingSink sink;
    RunHooks hooks;
    hooks.now = EarlierRunTime;
    ASSERT_TRUE(RunComputation(params_, sink, hooks).ok());
    previous_ = ReadBytes(result());
    ASSERT_THAT(previous_, HasSubstr("169.72"));
  }

  fs::path survey() const { return dir_.path() / PathFromUtf8(kSurveyName); }
  fs::path result() const { return dir_.path() / PathFromUtf8(kResultName); }
  std::string result_utf8() const { return dir_.Utf8(kResultName); }

  // A run that would write a different file than the earlier one.
  std::vector<std::string> RunNow(const RunHooks& extra = {}) {
    RunHooks hooks = extra;
    hooks.now = LaterRunTime;
    RecordingSink sink;
    RunParameters params = params_;
    const Status status = RunComputation(params, sink, hooks);
    return Report(status, sink);
  }

  // The earlier result is there byte for byte, and nothing else is new.
  void ExpectEarlierResultKept(const std::vector<std::string>& listing) {
    EXPECT_EQ(ReadBytes(result()), previous_);
    EXPECT_EQ(listing, (std::vector<std::string>{kSurveyName, kResultName}));
  }

  static void ExpectFailed(const ChildOutcome& outcome,
                           const std::vector<std::string>& message_parts) {
    ASSERT_TRUE(outcome.completed) << outcome.failure;
    ASSERT_EQ(outcome.fields.size(), 3u);
    EXPECT_EQ(outcome.fields[0], "failed");
    for (const std::string& part : message_parts) {
      EXPECT_THAT(outcome.fields[1], HasSubstr(part));
    }
    EXPECT_EQ(outcome.fields[2], "0") << "a failed run announced a result";
  }

  TempDir dir_;
  RunParameters params_;
  std::string previous_;
};

// ---- The disk fills or fails while the result is written -----------------

struct WriteFault {
  const char* name;
  // Called for each write; `call` counts from 0.
  std::function<long(int fd, const char* data, size_t size, int call)> write;
  const char* reason;  // What the message must say.
};

// Test names show the case, not its bytes.
void PrintTo(const WriteFault& value, std::ostream* os) { *os << value.name; }

long FailWith(int error) {
  errno = error;
  return -1;
}

const WriteFault kWriteFaults[] = {
    {"FullAtOnce",
     [](int, const char*, size_t, int) { return FailWith(ENOSPC); },
     "磁盘已满"},
    {"FullHalfWay",
     [](int fd, const char* data, size_t size, int call) -> long {
       if (call > 0) return FailWith(ENOSPC);
       return ::write(fd, data, size / 2);
     },
     "磁盘已满"},
    {"WriteMakesNoProgress",
     [](int, const char*, size_t, int) -> long { return 0; }, "磁盘已满"},
    {"QuotaExceeded",
     [](int fd, const char* data, size_t size, int call) -> long {
       if (call > 2) return FailWith(EDQUOT);
       return ::write(fd, data, size < 16 ? size : 16);
     },
     "超出磁盘配额"},
    {"DeviceError", [](int, const char*, size_t, int) { return FailWith(EIO); },
     "磁盘读写错误"},
};

class DiskFaultTest : public RunFaultTest,
                      public ::testing::WithParamInterface<WriteFault> {};

TEST_P(DiskFaultTest, KeepsEarlierResultAndSaysWhy) {
  const WriteFault& fault = GetParam();
  int calls = 0;
  RunHooks hooks;
  hooks.save = [&](const std::string& path, std::string_view bytes,
                   SaveOptions options) {
    options.write_chunk = [&](int fd, const char* data, size_t size) {
      return fault.write(fd, data, size, calls++);
    };
    return SaveFileAtomically(path, bytes, options);
  };
  const std::vector<std::string> report = RunNow(hooks);
  EXPECT_GT(calls, 0) << "the fault was never reached";
  ExpectFailed(ChildOutcome{true, "", report, ""},
               {fault.reason, result_utf8(), "原有的结果文件没有改动"});
  ExpectEarlierResultKept(ListFolder(dir_.path()));
}

INSTANTIATE_TEST_SUITE_P(Writes, DiskFaultTest,
                         ::testing::ValuesIn(kWriteFaults),
                         [](const ::testing::TestParamInfo<WriteFault>& info) {
                           return std::string(info.param.name);
                         });

// The write loop goes on after an interrupted or short write: the file is
// complete and only the new file is left.
TEST_F(RunFaultTest, InterruptedAndShortWritesStillGiveTheWholeFile) {
  RunHooks expected_hooks;
  expected_hooks.now = LaterRunTime;
  std::string expected;
  expected_hooks.save = [&](const std::string&, std::string_view bytes,
                            const SaveOptions&) {
    expected = std::string(bytes);
    return Status::Ok();
  };
  {
    RecordingSink sink;
    RunParameters params = params_;
    ASSERT_TRUE(RunComputation(params, sink, expected_hooks).ok());
  }
  ASSERT_NE(expected, previous_);

  int calls = 0;
  RunHooks hooks;
  hooks.save = [&](const std::string& path, std::string_view bytes,
                   SaveOptions options) {
    options.write_chunk = [&](int fd, const char* data, size_t size) -> long {
      if (calls++ % 2 == 0) return FailWith(EINTR);
      return ::write(fd, data, size < 7 ? size : 7);
    };
    return SaveFileAtomically(path, bytes, options);
  };
  const std::vector<std::string> report = RunNow(hooks);
  EXPECT_EQ(report[0], "ok") << report[1];
  EXPECT_EQ(ReadBytes(result()), expected);
  EXPECT_THAT(ListFolder(dir_.path()), ElementsAre(kSurveyName, kResultName));
}

// ---- The result cannot be written where it belongs ----------------------

TEST_F(RunFaultTest, ResultPathIsAFolder) {
  fs::remove(result());
  fs::create_directory(result());
  WriteBytes(result() / "keep.txt", "kept");
  const std::vector<std::string> report = RunNow();
  ExpectFailed(ChildOutcome{true, "", report, ""},
               {result_utf8(), "同名的文件夹已经存在"});
  EXPECT_EQ(ReadBytes(result() / "keep.txt"), "kept");
  EXPECT_THAT(ListFolder(result()), ElementsAre("keep.txt"));
  EXPECT_THAT(ListFolder(dir_.path()), ElementsAre(kSurveyName, kResultName));
}

// Without write permission on the folder. Root ignores permissions, so as
// root the run is made by a child that has become "nobody".
TEST_F(RunFaultTest, ResultFolderWithoutWritePermission) {
  fs::permissions(
      dir_.path(),
      fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
      fs::perm_options::remove);
  const ChildOutcome outcome = AsOrdinaryUser([&] { return RunNow(); });
  if (!outcome.skip_reason.empty()) GTEST_SKIP() << outcome.skip_reason;
  ExpectFailed(outcome, {result_utf8(), "没有权限"});
  ExpectEarlierResultKept(ListFolder(dir_.path()));
}

// On a read-only mount: a folder bound read-only in a mount namespace of the
// child's own, which even root cannot write.
TEST_F(RunFaultTest, ResultFolderOnReadOnlyMount) {
  const std::string folder = dir_.path().string();
  const ChildOutcome outcome = WithPrivateMounts(
      [&] {
        if (mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) !=
                0 ||
            mount(nullptr, folder.c_str(), nullptr,
                  MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0) {
          throw SkipChild{std::string("cannot bind read-only: ") +
                          std::strerror(errno)};
        }
      },
      [&] { return RunNow(); });
  if (!outcome.skip_reason.empty()) GTEST_SKIP() << outcome.skip_reason;
  ExpectFailed(outcome, {result_utf8(), "磁盘是只读的"});
  ExpectEarlierResultKept(ListFolder(dir_.path()));
}

// A real full disk: a tiny memory file system, filled to the last byte,
// holding the survey and the earlier result. What the child sees there is
// gone with its mount namespace, so the child checks it and reports.
TEST_F(RunFaultTest, ResultOnAFullFileSystem) {
  const fs::path folder = dir_.path() / "full";
  fs::create_directory(folder);
  const std::string survey_path =
      PathToUtf8(folder / PathFromUtf8(kSurveyName));
  const fs::path result_path = folder / PathFromUtf8(kResultName);
  const ChildOutcome outcome = WithPrivateMounts(
      [&] {
        if (mount("xsrating-full", folder.c_str(), "tmpfs", 0,
                  "size=64k,mode=0755") != 0) {
          throw SkipChild{std::string("cannot mount a small tmpfs: ") +
                          std::strerror(errno)};
        }
        WriteBytes(folder / PathFromUtf8(kSurveyName), kFourPoints);
        WriteBytes(result_path, previous_);
        // Fill what is left, a page at a time, until the disk is full.
        const int fd = open((folder / "filler").c_str(),
                            O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const std::string page(4096, 'x');
        while (::write(fd, page.data(), page.size()) > 0) {
        }
        while (::write(fd, page.data(), 1) > 0) {
        }
        close(fd);
      },
      [&] {
        RunParameters params = params_;
        params.data_file_path = survey_path;
        RecordingSink sink;
        RunHooks hooks;
        hooks.now = LaterRunTime;
        std::vector<std::string> fields =
            Report(RunComputation(params, sink, hooks), sink);
        fields.push_back(ReadBytes(result_path));
        std::string listing;
        for (const std::string& name : ListFolder(folder)) {
          listing += name + "|";
        }
        fields.push_back(listing);
        return fields;
      });
  if (!outcome.skip_reason.empty()) GTEST_SKIP() << outcome.skip_reason;
  ASSERT_TRUE(outcome.completed) << outcome.failure;
  ASSERT_EQ(outcome.fields.size(), 5u);
  ExpectFailed(
      ChildOutcome{
          true, "", {outcome.fields.begin(), outcome.fields.begin() + 3}, ""},
      {"磁盘已满", "原有的结果文件没有改动"});
  EXPECT_EQ(outcome.fields[3], previous_);
  EXPECT_EQ(outcome.fields[4],
            std::string("filler|") + kSurveyName + "|" + kResultName + "|");
}

// ---- Something other than an earlier result at the result's name --------

struct ExistingAtResult {
  const char* name;
  // Puts something at `result` (an earlier result is there already).
  std::function<void(const fs::path& result)> apply;
  const char* reason;  // What the message must say; empty: replaced.
};

// Test names show the case, not its bytes.
void PrintTo(const ExistingAtResult& value, std::ostream* os) {
  *os << value.name;
}

const ExistingAtResult kExistingAtResult[] = {
    {"EarlierResult", [](const fs::path&) {}, ""},
    {"Survey", [](const fs::path& p) { WriteBytes(p, kFourPoints); },
     "不是本程序的结果文件"},
    {"EmptyFile", [](const fs::path& p) { WriteBytes(p, ""); },
     "不是本程序的结果文件"},
    {"FullWidthColon",
     [](const fs::path& p) { WriteBytes(p, Utf8ToGbk("计算时间：2026\r\n")); },
     "不是本程序的结果文件"},
    {"HeaderInUtf8",
     [](const fs::path& p) { WriteBytes(p, "计算时间: 2026/1/2 3:04:05\r\n"); },
     "不是本程序的结果文件"},
    {"ReadOnlyResult",
     [](const fs::path& p) {
       fs::permissions(p, fs::perms::owner_read | fs::perms::group_read |
                              fs::perms::others_read);
     },
     "是只读的"},
    {"LinkToAnEarlierResult",
     [](const fs::path& p) {
       fs::rename(p, p.parent_path() / "elsewhere.txt");
       fs::create_symlink("elsewhere.txt", p);
     },
     "符号链接"},
    {"LinkToDevNull",
     [](const fs::path& p) {
       fs::remove(p);
       fs::create_symlink("/dev/null", p);
     },
     "符号链接"},
    {"NamedPipe",
     [](const fs::path& p) {
       fs::remove(p);
       ASSERT_EQ(mkfifo(p.c_str(), 0644), 0);
     },
     "不是普通文件"},
};

class ExistingAtResultTest
    : public RunFaultTest,
      public ::testing::WithParamInterface<ExistingAtResult> {};

TEST_P(ExistingAtResultTest, ReplacesOnlyAnEarlierResult) {
  const ExistingAtResult& c = GetParam();
  c.apply(result());
  const fs::file_status before = fs::symlink_status(result());
  const std::vector<std::string> listing = ListFolder(dir_.path());
  // Through a link, what it points to; never read from a pipe.
  const std::string bytes =
      fs::is_fifo(before) ? "" : ReadBytes(fs::weakly_canonical(result()));
  const std::vector<std::string> report = RunNow();
  EXPECT_EQ(ListFolder(dir_.path()), listing);
  if (std::string(c.reason).empty()) {
    EXPECT_EQ(report[0], "ok") << report[1];
    EXPECT_NE(ReadBytes(result()), previous_);
    return;
  }
  ExpectFailed(ChildOutcome{true, "", report, ""}, {c.reason, result_utf8()});
  EXPECT_EQ(fs::symlink_status(result()).type(), before.type());
  EXPECT_EQ(fs::symlink_status(result()).permissions(), before.permissions());
  if (!fs::is_fifo(before)) {
    EXPECT_EQ(ReadBytes(fs::weakly_canonical(result())), bytes);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Files, ExistingAtResultTest, ::testing::ValuesIn(kExistingAtResult),
    [](const ::testing::TestParamInfo<ExistingAtResult>& info) {
      return std::string(info.param.name);
    });

// What the owner of a result said about it carries over to the new file,
// except set-id and execute bits; a new file is what the umask makes it.
TEST_F(RunFaultTest, NewResultTakesTheOldModeOrTheUmask) {
  struct Case {
    int old_mode;  // -1: no earlier result.
    mode_t umask;
    int mode;
  };
  const Case cases[] = {
      {0600, 022, 0600}, {0664, 077, 0664}, {04755, 022, 0644}, {0777, 0, 0666},
      {-1, 022, 0644},   {-1, 077, 0600},   {-1, 0, 0666},
  };
  for (const Case& c : cases) {
    if (c.old_mode < 0) {
      fs::remove(result());
    } else {
      WriteBytes(result(), previous_);
      ASSERT_EQ(chmod(result().c_str(), static_cast<mode_t>(c.old_mode)), 0);
    }
    const mode_t umask_before = umask(c.umask);
    const std::vector<std::string> report = RunNow();
    umask(umask_before);
    const std::string name =
        std::to_string(c.old_mode) + " umask " + std::to_string(c.umask);
    ASSERT_EQ(report[0], "ok") << name << ": " << report[1];
    struct stat written;
    ASSERT_EQ(stat(result().c_str(), &written), 0);
    EXPECT_EQ(written.st_mode & 07777, static_cast<mode_t>(c.mode)) << name;
  }
}

// The temporary file's name never makes a legal result name too long.
TEST_F(RunFaultTest, EveryNameTheFileSystemAllowsIsSaved) {
  struct Case {
    std::string result_name;
  };
  const Case cases[] = {
      {std::string(238, 's') + "成果.txt"},  // Survey name of 242 bytes.
      {std::string(245, 's') + "成果.txt"},  // 249 bytes: 255 for the result.
      {"成果.txt"},                          // The survey is ".txt".
      {"ab"},
      {"a"},
  };
  for (const Case& c : cases) {
    const fs::path target = dir_.path() / PathFromUtf8(c.result_name);
    const Status saved =
        SaveOwnFile(OwnFile::kResult, PathToUtf8(target), previous_);
    ASSERT_TRUE(saved.ok()) << c.result_name.size() << ": " << saved.message();
    EXPECT_EQ(ReadBytes(target), previous_);
    fs::remove(target);
    EXPECT_THAT(ListFolder(dir_.path()), ElementsAre(kSurveyName, kResultName))
        << c.result_name.size();
  }
  // A whole run from a survey of the longest such name.
  const std::string survey_name = std::string(245, 's') + ".txt";
  WriteBytes(dir_.path() / survey_name, kFourPoints);
  params_.data_file_path = dir_.Utf8(survey_name);
  const std::vector<std::string> report = RunNow();
  EXPECT_EQ(report[0], "ok") << report[1];
  EXPECT_THAT(
      ReadBytes(dir_.path() / PathFromUtf8(std::string(245, 's') + "成果.txt")),
      HasSubstr("169.72"));
}

// ---- The run is interrupted while it writes ------------------------------

class InterruptedSaveTest : public RunFaultTest,
                            public ::testing::WithParamInterface<int> {
 protected:
  // As the program starts: the signal's own ending, then the cleanup; then
  // a run that receives `signal` half way through writing its result.
  void RunInterruptedBy(int signal) {
    std::signal(signal, SIG_DFL);
    RemoveTemporaryFileOnSignals();
    RunHooks hooks;
    hooks.save = [signal](const std::string& path, std::string_view bytes,
                          SaveOptions options) {
      options.write_chunk = [signal](int fd, const char* data,
                                     size_t size) -> long {
        const long written = ::write(fd, data, size / 2);
        std::raise(signal);
        return written;
      };
      return SaveFileAtomically(path, bytes, options);
    };
    RunNow(hooks);
  }
};

TEST_P(InterruptedSaveTest, RemovesTheTemporaryFileAndEndsBySignal) {
  const int signal = GetParam();
  EXPECT_EXIT(
      {
        RunInterruptedBy(signal);
        std::_Exit(0);
      },
      ::testing::KilledBySignal(signal), "");
  ExpectEarlierResultKept(ListFolder(dir_.path()));
}

INSTANTIATE_TEST_SUITE_P(Signals, InterruptedSaveTest,
                         ::testing::Values(SIGINT, SIGTERM, SIGHUP),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return std::string(sigabbrev_np(info.param));
                         });

// ---- The survey is not there, or not a readable file -------------------

struct SurveyFault {
  const char* name;
  // Breaks the survey at `path` after it was chosen.
  std::function<void(const fs::path& path)> apply;
  const char* reason;
  bool survey_left;  // Something is still at the survey's name.
  bool as_ordinary_user;
};

// Test names show the case, not its bytes.
void PrintTo(const SurveyFault& value, std::ostream* os) { *os << value.name; }

const SurveyFault kSurveyFaults[] = {
    {"Vanished", [](const fs::path& p) { fs::remove(p); }, "找不到", false,
     false},
    {"RenamedAway",
     [](const fs::path& p) { fs::rename(p, p.parent_path() / "moved.dat"); },
     "找不到", false, false},
    {"IsAFolder",
     [](const fs::path& p) {
       fs::remove(p);
       fs::create_directory(p);
     },
     "是文件夹", true, false},
    {"DanglingLink",
     [](const fs::path& p) {
       fs::remove(p);
       fs::create_symlink("nowhere.txt", p);
     },
     "找不到", true, false},
    {"Unreadable",
     [](const fs::path& p) {
       fs::permissions(p, fs::perms::none, fs::perm_options::replace);
     },
     "没有权限", true, true},
    // A named pipe with no writer would block the reader for ever.
    {"NamedPipe",
     [](const fs::path& p) {
       fs::remove(p);
       ASSERT_EQ(mkfifo(p.c_str(), 0644), 0);
     },
     "不是普通文件", true, false},
};

class SurveyFaultTest : public RunFaultTest,
                        public ::testing::WithParamInterface<SurveyFault> {};

TEST_P(SurveyFaultTest, KeepsEarlierResultAndNamesTheFile) {
  const SurveyFault& fault = GetParam();
  fault.apply(survey());
  const auto run = [&] {
    // A reader that blocks would hang the test: end the child instead.
    alarm(30);
    return RunNow();
  };
  const ChildOutcome outcome =
      fault.as_ordinary_user ? AsOrdinaryUser(run) : RunInChild(run);
  if (!outcome.skip_reason.empty()) GTEST_SKIP() << outcome.skip_reason;
  ExpectFailed(outcome, {fault.reason, dir_.Utf8(kSurveyName)});
  EXPECT_EQ(ReadBytes(result()), previous_);
  std::vector<std::string> expected = {kResultName};
  if (fault.survey_left) expected.insert(expected.begin(), kSurveyName);
  if (std::string(fault.name) == "RenamedAway") {
    expected.insert(expected.begin(), "moved.dat");
  }
  EXPECT_EQ(ListFolder(dir_.path()), expected);
}

INSTANTIATE_TEST_SUITE_P(Surveys, SurveyFaultTest,
                         ::testing::ValuesIn(kSurveyFaults),
                         [](const ::testing::TestParamInfo<SurveyFault>& info) {
                           return std::string(info.param.name);
                         });

TEST_F(RunFaultTest, NoSurveyChosenYet) {
  params_.data_file_path.clear();
  const std::vector<std::string> report = RunNow();
  ExpectFailed(ChildOutcome{true, "", report, ""}, {"还没有选择地形数据文件"});
  ExpectEarlierResultKept(ListFolder(dir_.path()));
}

}  // namespace
}  // namespace xsrating::hardening
