// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CORE_FILE_IO_PLATFORM_H_
#define XSRATING_CORE_FILE_IO_PLATFORM_H_

// Shared by the platform bodies of core/file_io.h (file_io_posix.cc,
// file_io_windows.cc); not for other callers.

#include <filesystem>
#include <string>

namespace xsrating {

// The name of the temporary file that becomes `target`, for mkstemp: the
// target's own folder, a dot, its name, ".XXXXXX". Beside the target, so the
// rename stays on one volume and a half-written file never has its name.
std::string TempFilePattern(const std::filesystem::path& target);

// The folder of `target` as the user knows it ("." for a bare name), UTF-8.
std::string FolderOf(const std::filesystem::path& target);

}  // namespace xsrating

#endif  // XSRATING_CORE_FILE_IO_PLATFORM_H_
