// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_TESTS_HARDENING_HARDENING_SUPPORT_H_
#define XSRATING_TESTS_HARDENING_HARDENING_SUPPORT_H_

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/base/file_io.h"
#include "core/run/run.h"
#include "tests/support/process.h"
#include "tests/support/recording_sink.h"
#include "tests/support/temp_dir.h"

namespace xsrating::hardening {

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

}  // namespace xsrating::hardening

#endif  // XSRATING_TESTS_HARDENING_HARDENING_SUPPORT_H_
