// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_TESTS_SUPPORT_PROCESS_H_
#define XSRATING_TESTS_SUPPORT_PROCESS_H_

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace xsrating {

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
  // Starts `argv` with the environment plus `extra_env` ("NAME=value"), in
  // `working_dir` when given. Output goes to files in `scratch`, which must
  // exist.
  Process(const std::vector<std::string>& argv,
          const std::vector<std::string>& extra_env,
          const std::filesystem::path& scratch,
          const std::filesystem::path& working_dir = {});
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

// Starts a Process and waits for it.
ProcessResult RunProcess(const std::vector<std::string>& argv,
                         const std::vector<std::string>& extra_env,
                         const std::filesystem::path& scratch,
                         std::chrono::milliseconds limit,
                         const std::filesystem::path& working_dir = {});

}  // namespace xsrating

#endif  // XSRATING_TESTS_SUPPORT_PROCESS_H_
