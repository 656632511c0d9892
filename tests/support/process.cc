// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/process.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <thread>

#include "tests/support/temp_dir.h"

extern char** environ;

namespace xsrating {

Process::Process(const std::vector<std::string>& argv,
                 const std::vector<std::string>& extra_env,
                 const std::filesystem::path& scratch,
                 const std::filesystem::path& working_dir) {
  static std::atomic<int> serial{0};
  const std::string tag =
      std::to_string(getpid()) + "-" + std::to_string(serial.fetch_add(1));
  out_path_ = scratch / (".process-" + tag + ".out");
  err_path_ = scratch / (".process-" + tag + ".err");

  // Everything the child needs is prepared before fork.
  std::vector<std::string> env_strings;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    const std::string name = entry.substr(0, entry.find('='));
    const bool replaced = std::any_of(
        extra_env.begin(), extra_env.end(),
        [&](const auto& x) { return x.substr(0, x.find('=')) == name; });
    if (!replaced) env_strings.push_back(entry);
  }
  env_strings.insert(env_strings.end(), extra_env.begin(), extra_env.end());
  std::vector<char*> env;
  for (std::string& entry : env_strings) env.push_back(entry.data());
  env.push_back(nullptr);
  std::vector<std::string> args = argv;
  std::vector<char*> arg_ptrs;
  for (std::string& arg : args) arg_ptrs.push_back(arg.data());
  arg_ptrs.push_back(nullptr);
  const std::string out_path = out_path_.string();
  const std::string err_path = err_path_.string();
  const std::string cwd = working_dir.string();

  std::fflush(nullptr);
  start_ = std::chrono::steady_clock::now();
  pid_ = fork();
  if (pid_ == 0) {
    const int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int in = open("/dev/null", O_RDONLY);
    if (out < 0 || err < 0 || in < 0) _exit(126);
    if (!cwd.empty() && chdir(cwd.c_str()) != 0) _exit(126);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    execve(arg_ptrs[0], arg_ptrs.data(), env.data());
    _exit(127);
  }
}

Process::~Process() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    int status = 0;
    waitpid(pid_, &status, 0);
  }
  std::error_code ec;
  std::filesystem::remove(out_path_, ec);
  std::filesystem::remove(err_path_, ec);
}

ProcessResult Process::Wait(std::chrono::milliseconds limit) {
  ProcessResult result;
  if (pid_ < 0) return result;
  const auto deadline = start_ + limit;
  int status = 0;
  for (;;) {
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_) break;
    if (done < 0 && errno != EINTR) break;
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
      result.timed_out = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  pid_ = -1;
  result.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start_)
          .count();
  if (!result.timed_out && WIFEXITED(status)) {
    result.exited = true;
    result.exit_code = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    result.signal = WTERMSIG(status);
  }
  result.out = ReadBytes(out_path_);
  result.err = ReadBytes(err_path_);
  return result;
}

ProcessResult RunProcess(const std::vector<std::string>& argv,
                         const std::vector<std::string>& extra_env,
                         const std::filesystem::path& scratch,
                         std::chrono::milliseconds limit,
                         const std::filesystem::path& working_dir) {
  Process process(argv, extra_env, scratch, working_dir);
  return process.Wait(limit);
}

}  // namespace xsrating
