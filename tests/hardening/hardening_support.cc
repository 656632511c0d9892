// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/hardening/hardening_support.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

extern char** environ;

namespace xsrating::hardening {
namespace {

// Makes every folder below `path` writable and searchable again, so that it
// can be removed after a test took the rights away.
void RestorePermissions(const std::filesystem::path& path) {
  std::error_code ec;
  std::filesystem::permissions(path, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ec);
  if (!std::filesystem::is_directory(path, ec)) return;
  for (const auto& entry : std::filesystem::directory_iterator(path, ec)) {
    if (entry.is_symlink(ec)) continue;
    RestorePermissions(entry.path());
  }
}

bool WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

std::string ReadAll(int fd) {
  std::string bytes;
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    bytes.append(buffer, static_cast<size_t>(n));
  }
  return bytes;
}

// Fields travel as a decimal length, a colon and the bytes.
std::string Pack(const std::vector<std::string>& fields) {
  std::string packed;
  for (const std::string& field : fields) {
    packed += std::to_string(field.size()) + ":" + field;
  }
  return packed;
}

std::vector<std::string> Unpack(const std::string& packed) {
  std::vector<std::string> fields;
  size_t at = 0;
  while (at < packed.size()) {
    const size_t colon = packed.find(':', at);
    if (colon == std::string::npos) break;
    const size_t length = std::stoul(packed.substr(at, colon - at));
    fields.push_back(packed.substr(colon + 1, length));
    at = colon + 1 + length;
  }
  return fields;
}

std::string DescribeWaitStatus(int status) {
  if (WIFEXITED(status)) {
    return "exited with status " + std::to_string(WEXITSTATUS(status));
  }
  if (WIFSIGNALED(status)) {
    return "killed by signal " + std::to_string(WTERMSIG(status));
  }
  return "ended with wait status " + std::to_string(status);
}

}  // namespace

TempDir::TempDir() {
  std::string pattern =
      (std::filesystem::temp_directory_path() / "xsrating-hardening.XXXXXX")
          .string();
  if (mkdtemp(pattern.data()) == nullptr) {
    std::perror("mkdtemp");
    std::abort();
  }
  path_ = pattern;
}

TempDir::~TempDir() {
  RestorePermissions(path_);
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string TempDir::Utf8(const std::string& name) const {
  return PathToUtf8(path_ / PathFromUtf8(name));
}

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing>";
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> ListFolder(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    names.push_back(PathToUtf8(entry.path().filename()));
  }
  std::sort(names.begin(), names.end());
  return names;
}

ChildOutcome RunInChild(const std::function<std::vector<std::string>()>& body) {
  ChildOutcome outcome;
  int pipe_fds[2];
  if (pipe(pipe_fds) != 0) {
    outcome.failure = "pipe failed";
    return outcome;
  }
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid < 0) {
    outcome.failure = "fork failed";
    close(pipe_fds[0]);
    close(pipe_fds[1]);
    return outcome;
  }
  if (pid == 0) {
    close(pipe_fds[0]);
    // The first byte says what follows: R a report, S a skip, X a throw.
    std::string report = "R";
    try {
      report += Pack(body());
    } catch (const SkipChild& skip) {
      report = "S";
      report += skip.reason;
    } catch (...) {
      report = "X";
    }
    WriteAll(pipe_fds[1], report);
    close(pipe_fds[1]);
    _exit(0);
  }
  close(pipe_fds[1]);
  const std::string report = ReadAll(pipe_fds[0]);
  close(pipe_fds[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    outcome.failure = "child " + DescribeWaitStatus(status);
  } else if (report.empty() || report[0] == 'X') {
    outcome.failure = "child threw or reported nothing";
  } else if (report[0] == 'S') {
    outcome.skip_reason = report.substr(1);
  } else {
    outcome.completed = true;
    outcome.fields = Unpack(report.substr(1));
  }
  return outcome;
}

long PeakChildMemoryKb(const std::function<void()>& body) {
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    body();
    _exit(0);
  }
  int status = 0;
  struct rusage usage {};
  while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return usage.ru_maxrss;
}

Process::Process(const std::vector<std::string>& argv,
                 const std::vector<std::string>& extra_env,
                 const std::filesystem::path& scratch) {
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

  std::fflush(nullptr);
  start_ = std::chrono::steady_clock::now();
  pid_ = fork();
  if (pid_ == 0) {
    const int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int in = open("/dev/null", O_RDONLY);
    if (out < 0 || err < 0 || in < 0) _exit(126);
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
                         std::chrono::milliseconds limit) {
  Process process(argv, extra_env, scratch);
  return process.Wait(limit);
}

}  // namespace xsrating::hardening
