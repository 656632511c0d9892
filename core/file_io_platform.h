// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CORE_FILE_IO_PLATFORM_H_
#define XSRATING_CORE_FILE_IO_PLATFORM_H_

// Shared by the platform bodies of core/file_io.h (file_io_posix.cc,
// file_io_windows.cc); not for other callers.

#include <filesystem>
#include <random>
#include <string>
#include <string_view>

#include "core/file_io.h"
#include "core/status.h"

namespace xsrating {

// A fresh random name for the temporary file that becomes `target`: in the
// target's own folder, so the rename stays on one volume and a half-written
// file never has the target's name; never longer than the target's name.
std::filesystem::path TempFilePath(const std::filesystem::path& target,
                                   std::mt19937_64& random);

// What is at the path a save is about to replace.
struct ExistingFile {
  bool exists = false;  // A regular file that may be replaced.
  std::filesystem::perms permissions = std::filesystem::perms::none;
};

// The failure for a file at `named` that is read-only.
Status ReadOnlyError(const std::string& named);

// The platform's part of SaveFileAtomically, once what is at `target` is
// known to be nothing or a regular file that may be replaced (`existing`):
// writes `bytes` to a temporary file beside it (TempFilePath) and renames
// that over it. `named` names the file in messages.
Status ReplaceThroughTemporaryFile(const std::filesystem::path& target,
                                   std::string_view bytes,
                                   const WriteChunkFn& write_chunk,
                                   const std::string& named,
                                   const ExistingFile& existing);

// Writes all of `bytes` to the open file `fd` with `write`, going on after
// partial writes and signals. Returns 0 or the errno of the failure; a write
// that makes no progress counts as a full disk.
int WriteAll(int fd, std::string_view bytes, const WriteChunkFn& write);

// The folder of `target` as the user knows it ("." for a bare name), UTF-8.
std::string FolderOf(const std::filesystem::path& target);

}  // namespace xsrating

#endif  // XSRATING_CORE_FILE_IO_PLATFORM_H_
