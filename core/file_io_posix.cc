// SPDX-License-Identifier: GPL-3.0-or-later
// Saving a file on POSIX systems: mkstemp, write, fchmod, rename.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "core/file_io.h"
#include "core/file_io_platform.h"

namespace xsrating {
namespace {

// The process's umask, read once while the program starts, before any thread
// could create a file: reading it means setting it for a moment.
mode_t ReadUmask() {
  const mode_t mask = umask(0);
  umask(mask);
  return mask;
}
const mode_t kUmaskAtStart = ReadUmask();

// Mode bits for a new result file: those of the file it replaces, or what the
// user's umask gives a newly created file.
mode_t ModeForResult(const std::string& path) {
  struct stat existing;
  if (stat(path.c_str(), &existing) == 0) return existing.st_mode & 07777;
  return 0666 & ~kUmaskAtStart;
}

long SystemWrite(int fd, const char* data, size_t size) {
  return static_cast<long>(::write(fd, data, size));
}

// Writes all of `bytes` to `fd`, going on after partial writes and signals.
// Returns 0 or the errno of the failure; a write that makes no progress counts
// as a full disk.
int WriteAll(int fd, std::string_view bytes, const WriteChunkFn& write) {
  size_t done = 0;
  while (done < bytes.size()) {
    errno = 0;
    const long n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      return n == 0 || errno == 0 ? ENOSPC : errno;
    }
  }
  return 0;
}

}  // namespace

Status ReplaceFile(const std::filesystem::path& target, std::string_view bytes,
                   const WriteChunkFn& write_chunk, const std::string& named) {
  // No fsync: it costs milliseconds a run, the table can be recomputed from
  // the survey at any time, and the file systems in use flush a file that
  // replaces another by rename before the rename itself.
  const std::string pattern = TempFilePattern(target);
  std::vector<char> temp_name(pattern.begin(), pattern.end());
  temp_name.push_back('\0');
  const mode_t mode = ModeForResult(target.string());
  const int fd = mkstemp(temp_name.data());
  if (fd < 0) {
    const int error = errno;
    return Status::FileSystemError("无法在文件夹“" + FolderOf(target) +
                                   "”中写入" + named + "：" +
                                   DescribeSystemError(error) + "。");
  }
  const std::string temp_path(temp_name.data());
  int error = WriteAll(fd, bytes,
                       write_chunk ? write_chunk : WriteChunkFn(SystemWrite));
  if (error == 0 && fchmod(fd, mode) != 0) error = errno;
  if (close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && std::rename(temp_path.c_str(), target.c_str()) != 0) {
    error = errno;
  }
  if (error != 0) {
    unlink(temp_path.c_str());
    return Status::FileSystemError("无法写入" + named + "：" +
                                   DescribeSystemError(error) +
                                   "。原有的结果文件没有改动。");
  }
  return Status::Ok();
}

}  // namespace xsrating
