// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_TESTS_HARDENING_HARDENING_SUPPORT_H_
#define XSRATING_TESTS_HARDENING_HARDENING_SUPPORT_H_

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/file_io.h"
#include "core/run.h"
#include "tests/support/recording_sink.h"

namespace xsrating::hardening {

// A fresh folder under the system's temporary folder, removed with all it
// holds (whatever its permissions) when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The UTF-8 text of path() / name.
  std::string Utf8(const std::string& name) const;

 private:
  std::filesystem::path path_;
};

// The whole file, or "<missing>" when it cannot be read.
std::string ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::string& bytes);
// Names in a folder, hidden ones included, sorted; UTF-8.
std::vector<std::string> ListFolder(const std::filesystem::path& folder);

// What a function run in a child process reported.
struct ChildOutcome {
  bool completed = false;   // The child ran to its end and reported.
  std::string skip_reason;  // Set when the child could not set itself up.
  std::vector<std::string> fields;  // What the child reported.
  std::string failure;              // How the child ended otherwise.
};

// Runs `body` in a forked child and returns what it reports. The body returns
// its fields, or throws SkipChild when the machine does not allow its setup
// (no privilege to mount, say). The child ends with _exit, so nothing of the
// parent's state is torn down twice.
struct SkipChild {
  std::string reason;
};
ChildOutcome RunInChild(const std::function<std::vector<std::string>()>& body);

// The peak resident memory of a child running `body`, in kilobytes, as the
// kernel accounts it (getrusage); -1 when the child failed.
long PeakChildMemoryKb(const std::function<void()>& body);

// A program started with its output and error going to files.
struct ProcessResult {
  bool exited = false;  // Ended by exit(), not by a signal or the time limit.
  int exit_code = -1;
  int signal = 0;
  bool timed_out = false;
  std::string out;
  std::string err;
  double seconds = 0;
};

class Process {
 public:
  // Starts `argv` with the environment plus `extra_env` ("NAME=value").
  // Output goes to files in `scratch`, which must exist.
  Process(const std::vector<std::string>& argv,
          const std::vector<std::string>& extra_env,
          const std::filesystem::path& scratch);
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  // Waits for the end, killing the program after `limit`.
  ProcessResult Wait(std::chrono::milliseconds limit);

 private:
  pid_t pid_ = -1;
  std::filesystem::path out_path_;
  std::filesystem::path err_path_;
  std::chrono::steady_clock::time_point start_;
};

ProcessResult RunProcess(const std::vector<std::string>& argv,
                         const std::vector<std::string>& extra_env,
                         const std::filesystem::path& scratch,
                         std::chrono::milliseconds limit);

}  // namespace xsrating::hardening

#endif  // XSRATING_TESTS_HARDENING_HARDENING_SUPPORT_H_
