// SPDX-License-Identifier: GPL-3.0-or-later
// Saving a file on POSIX systems: open a fresh name, write, fchmod, rename;
// and the signal handlers that remove the temporary file of an interrupted
// save.
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>

#include "core/file_io.h"
#include "core/file_io_platform.h"

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

long SystemWrite(int fd, const char* data, size_t size) {
  return static_cast<long>(::write(fd, data, size));
}

}  // namespace

Status ReplaceThroughTemporaryFile(const std::filesystem::path& target,
                                   std::string_view bytes,
                                   const WriteChunkFn& write_chunk,
                                   const std::string& named,
                                   const ExistingFile& existing) {
  // A file we may not write is not ours to replace, though the folder would
  // let us. (A read-only mount is left to fail below, with its own reason.)
  if (existing.exists && access(target.c_str(), W_OK) != 0 &&
      (errno == EACCES || errno == EPERM)) {
    return ReadOnlyError(named);
  }

  // A new file gets what the umask leaves of 0666 from open(); a replaced one
  // its own bits, set again below in case the umask took some away. Never
  // set-id or execute bits: a table is not a program.
  const mode_t mode =
      existing.exists ? static_cast<mode_t>(existing.permissions) & 0666 : 0666;
  std::mt19937_64 random(std::random_device{}());
  std::string temp_path;
  int fd = -1;
  int open_error = 0;
  {
    const CleanupSignalsHeld held;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
      temp_path = PathToUtf8(TempFilePath(target, random));
      fd = open(temp_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                mode);
      open_error = errno;
      if (fd < 0 && open_error != EEXIST) break;
    }
    if (fd >= 0) g_temporary_being_written.store(temp_path.c_str());
  }
  if (fd < 0) {
    return Status::FileSystemError("无法在文件夹“" + FolderOf(target) +
                                   "”中写入" + named + "：" +
                                   DescribeSystemError(open_error) + "。");
  }
  // No fsync: it costs milliseconds a run, the table can be recomputed from
  // the survey at any time, and the file systems in use flush a file that
  // replaces another by rename before the rename itself.
  int error = WriteAll(fd, bytes,
                       write_chunk ? write_chunk : WriteChunkFn(SystemWrite));
  if (error == 0 && existing.exists && fchmod(fd, mode) != 0) error = errno;
  if (close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && std::rename(temp_path.c_str(), target.c_str()) != 0) {
    error = errno;
  }
  if (error != 0) unlink(temp_path.c_str());
  // Only now: a signal before this removes the temporary name, which is gone
  // already or about to be.
  g_temporary_being_written.store(nullptr);
  if (error != 0) {
    return Status::FileSystemError("无法写入" + named + "：" +
                                   DescribeSystemError(error) +
                                   "。原有的结果文件没有改动。");
  }
  return Status::Ok();
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
