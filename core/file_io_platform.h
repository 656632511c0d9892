// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CORE_FILE_IO_PLATFORM_H_
#define XSRATING_CORE_FILE_IO_PLATFORM_H_

// Shared by the platform bodies of core/file_io.h (file_io_posix.cc,
// file_io_windows.cc); not for other callers.

#include <filesystem>
#include <string>
#include <string_view>

#include "core/file_io.h"
#include "core/status.h"

namespace xsrating {

// The name of the temporary file that becomes `target`, for mkstemp: the
// target's own folder, a dot, its name, ".XXXXXX". Beside the target, so the
// rename stays on one volume and a half-written file never has its name.
std::string TempFilePattern(const std::filesystem::path& target);

// The platform's part of SaveFileAtomically, once `target` is known not to be
// a folder: writes `bytes` to a temporary file beside it and renames that over
// it. `named` names the file in messages.
Status ReplaceFile(const std::filesystem::path& target, std::string_view bytes,
                   const WriteChunkFn& write_chunk, const std::string& named);

// The folder of `target` as the user knows it ("." for a bare name), UTF-8.
std::string FolderOf(const std::filesystem::path& target);

}  // namespace xsrating

#endif  // XSRATING_CORE_FILE_IO_PLATFORM_H_
