// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CORE_BASE_FILE_IO_H_
#define XSRATING_CORE_BASE_FILE_IO_H_

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "core/base/status.h"

namespace xsrating {

// A path from a UTF-8 text, on every platform.
std::filesystem::path PathFromUtf8(std::string_view utf8);
// The UTF-8 text of a path, on every platform: the inverse of PathFromUtf8.
std::string PathToUtf8(const std::filesystem::path& path);

// A short Chinese description of a system error number (errno), such as
// "没有权限" or "磁盘已满".
std::string DescribeSystemError(int error);

// Writes some bytes of `data` to the open file `fd`; returns how many, or -1
// with errno set. The default is the system's write().
using WriteChunkFn = std::function<long(int fd, const char* data, size_t size)>;

// How many opening bytes of an existing file SaveOptions::check_existing sees
// (fewer when the file is shorter).
// Enough for the header line of any of our files and the title and mark of
// a figure, whatever its name.
inline constexpr size_t kOpeningBytes = 4096;

// How one save treats the file it writes. The program's own saves take these
// from OwnFileSaveOptions (core/output/own_files.h), which names the kind of
// file and replaces only an earlier file of that kind.
struct SaveOptions {
  // What the file is, as messages name it: "结果文件", "表格", "图"...
  std::string kind;
  // Called with the opening bytes of a regular file that is already at the
  // path: Ok replaces it, a failure keeps it as it is and is returned as the
  // save's. Unset: a file already at the path is never replaced.
  std::function<Status(std::string_view opening)> check_existing;
  // Lets tests simulate a full disk.
  WriteChunkFn write_chunk;
};

// Replaces the file at `path` (UTF-8) with `bytes`, so that every reader sees
// the file either as it was or complete: the bytes go to a new temporary file
// in the same folder, which is closed and then renamed over `path`. The data
// are not forced to the disk (no fsync), so a power cut soon after may leave
// the old file or, on some file systems, an incomplete new one.
//
// What is at `path` is respected. A folder, a symbolic link (even one to a
// regular file: the link and what it points to are both left alone), anything
// else that is not a regular file, and a read-only file are never replaced;
// nor is a file that options.check_existing refuses, or any file when it
// is unset. A replaced file's
// permissions carry over to the new one without set-id and execute bits
// (mode & 0666); a new file gets 0666 less the umask.
//
// The temporary file has a random name never longer than the name of `path`
// (and at most 16 bytes; a dot and letters and digits when there is room), so
// every name the file system allows for `path` can be saved. While it exists
// its path is known to RemoveTemporaryFileOnSignals.
//
// On failure the temporary file is removed and `path` is untouched; the
// message (kind kFileSystem) names the file and the reason.
Status SaveFileAtomically(const std::string& path, std::string_view bytes,
                          const SaveOptions& options);

// Makes SIGINT, SIGTERM and SIGHUP remove the temporary file that
// SaveFileAtomically is writing, if any, and then end the process by the same
// signal as they would have. A signal that is ignored when this is called
// stays ignored (nohup). For a program's main(), before any thread starts;
// does nothing on Windows.
void RemoveTemporaryFileOnSignals();

}  // namespace xsrating

#endif  // XSRATING_CORE_BASE_FILE_IO_H_
