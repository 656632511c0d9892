// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CORE_BASE_FILE_IO_PLATFORM_H_
#define XSRATING_CORE_BASE_FILE_IO_PLATFORM_H_

// The primitives that each platform's body of core/base/file_io.h provides
// (file_io_posix.cc, file_io_windows.cc), from which file_io.cc builds the one
// save sequence; not for other callers. A failure is given as its reason in
// the words of DescribeSystemError; an empty text means success.

#include <cstddef>
#include <filesystem>
#include <string>

namespace xsrating {

// What is at the path a save is about to replace.
struct ExistingFile {
  bool exists = false;  // A regular file that may be replaced.
  std::filesystem::perms permissions = std::filesystem::perms::none;
};

// Whether this process may write the existing regular file at `path`, as far
// as permissions that bind it say (the write bits themselves were checked).
bool MayWriteExistingFile(const std::filesystem::path& path);

// A temporary file that CreateTemporaryFile opened.
struct CreatedFile {
  int fd = -1;              // A C runtime descriptor open for writing; -1 when
                            // nothing was created.
  bool name_taken = false;  // Something already had the name: try another.
  std::string reason;       // Why nothing was created, when not name_taken.
};

// Creates a new file at `path`, failing if anything has that name, with the
// permissions a save gives it (see SaveFileAtomically; `existing` is what it
// replaces). While it exists, RemoveTemporaryFileOnSignals knows its path,
// which must stay valid until EndTemporaryFile.
CreatedFile CreateTemporaryFile(const std::filesystem::path& path,
                                const ExistingFile& existing);

// The system's write of some bytes (WriteChunkFn's default).
long WriteChunk(int fd, const char* data, size_t size);

// Gives the open file `fd` the permissions it carries over from `existing`
// (mode & 0666), which the umask may have cut at creation.
std::string KeepPermissions(int fd, const ExistingFile& existing);

// Closes `fd`, reporting a write that failed only when the file was closed.
std::string CloseFile(int fd);

// Moves the closed file `from` over `to` in one step, so that readers of `to`
// see the old file or the new one.
std::string RenameOver(const std::filesystem::path& from,
                       const std::filesystem::path& to);

// Ends the temporary file `path`: removes it unless it was renamed into place
// (`remove` false), and takes it out of RemoveTemporaryFileOnSignals' sight.
void EndTemporaryFile(const std::filesystem::path& path, bool remove);

}  // namespace xsrating

#endif  // XSRATING_CORE_BASE_FILE_IO_PLATFORM_H_
