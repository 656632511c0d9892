// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CORE_FILE_IO_H_
#define XSRATING_CORE_FILE_IO_H_

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "core/status.h"

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

// Replaces the file at `path` (UTF-8) with `bytes`, so that every reader sees
// the file either as it was or complete: the bytes go to a new temporary file
// in the same folder, which is closed and then renamed over `path`. The data
// are not forced to the disk (no fsync), so a power cut soon after may leave
// the old file or, on some file systems, an incomplete new one. A file that is
// replaced keeps its permissions; a new one gets those of the umask the program
// started with. On failure the temporary file is removed and `path` is
// untouched; the message (kind kFileSystem) names the file and the reason.
// `write_chunk` lets tests simulate a full disk (POSIX systems only).
Status SaveFileAtomically(const std::string& path, std::string_view bytes,
                          const WriteChunkFn& write_chunk = nullptr);

}  // namespace xsrating

#endif  // XSRATING_CORE_FILE_IO_H_
