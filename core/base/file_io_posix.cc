// SPDX-License-Identifier: GPL-3.0-or-later
// The save's primitives on POSIX systems: open a fresh name, write, fchmod,
// close, rename; and the signal handlers that remove the temporary file of an
// interrupted save.
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <string>

#include "core/base/file_io.h"
#include "core/base/file_io_platform.h"

namespace xsrating {
namespace {

constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The temporary file being written, for the signal handler: set only while
// a file of that name may exist.
static_assert(std::atomic<const char*>::is_always_lock_free);
std::atomic<const char*> g_temporary_being_written{nullptr};

// Async-signal-safe: an atomic exchange, unlink and raise only.
extern "C" void RemoveTemporaryFileAndDie(int signal) {
  const int saved_errno = errno;
  if (const char* path = g_temporary_being_written.exchange(nullptr)) {
    unlink(path);
  }
  // The handler was reset to the default on entry; the signal is held until
  // this handler returns, and then ends the process.
  raise(signal);
  errno = saved_errno;
}

// Holds back the cleanup signals for its lifetime, so that no signal falls
// between creating the temporary file and making it known to the handler.
class CleanupSignalsHeld {
 public:
  CleanupSignalsHeld() {
    sigset_t held;
    sigemptyset(&held);
    for (const int signal : kCleanupSignals) sigaddset(&held, signal);
    pthread_sigmask(SIG_BLOCK, &held, &before_);
  }
  ~CleanupSignalsHeld() { pthread_sigmask(SIG_SETMASK, &before_, nullptr); }
  CleanupSignalsHeld(const CleanupSignalsHeld&) = delete;
  CleanupSignalsHeld& operator=(const CleanupSignalsHeld&) = delete;

 private:
  sigset_t before_;
};

}  // namespace

bool MayWriteExistingFile(const std::filesystem::path& path) {
  return access(path.c_str(), W_OK) == 0 || (errno != EACCES && errno != EPERM);
}

CreatedFile CreateTemporaryFile(const std::filesystem::path& path,
                                const ExistingFile& existing) {
  // A new file gets what the umask leaves of 0666 from open(); a replaced one
  // its own bits (KeepPermissions). Never set-id or execute bits: a table is
  // not a program.
  const mode_t mode =
      existing.exists ? static_cast<mode_t>(existing.permissions) & 0666 : 0666;
  const CleanupSignalsHeld held;
  CreatedFile created;
  created.fd =
      open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (created.fd >= 0) {
    g_temporary_being_written.store(path.c_str());
  } else if (errno == EEXIST) {
    created.name_taken = true;
  } else {
    created.reason = DescribeSystemError(errno);
  }
  return created;
}

long WriteChunk(int fd, const char* data, size_t size) {
  return static_cast<long>(::write(fd, data, size));
}

std::string KeepPermissions(int fd, const ExistingFile& existing) {
  const mode_t mode = static_cast<mode_t>(existing.permissions) & 0666;
  return fchmod(fd, mode) == 0 ? std::string() : DescribeSystemError(errno);
}

std::string CloseFile(int fd) {
  return close(fd) == 0 ? std::string() : DescribeSystemError(errno);
}

std::string RenameOver(const std::filesystem::path& from,
                       const std::filesystem::path& to) {
  return std::rename(from.c_str(), to.c_str()) == 0
             ? std::string()
             : DescribeSystemError(errno);
}

void EndTemporaryFile(const std::filesystem::path& path, bool remove) {
  if (remove) unlink(path.c_str());
  // Only now: a signal before this removes the temporary name, which is gone
  // already or about to be.
  g_temporary_being_written.store(nullptr);
}

void RemoveTemporaryFileOnSignals() {
  for (const int signal : kCleanupSignals) {
    struct sigaction current;
    if (sigaction(signal, nullptr, &current) != 0 ||
        current.sa_handler == SIG_IGN) {
      continue;
    }
    struct sigaction action = {};
    action.sa_handler = RemoveTemporaryFileAndDie;
    sigemptyset(&action.sa_mask);
    // Back to the default on entry, so that raising the signal again ends
    // the process as the signal would have.
    action.sa_flags = SA_RESETHAND;
    sigaction(signal, &action, nullptr);
  }
}

}  // namespace xsrating
