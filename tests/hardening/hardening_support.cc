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

}  // namespace xsrating::hardening
