// SPDX-License-Identifier: GPL-3.0-or-later
// The save's primitives on Windows: the temporary file is created with the
// wide-character API (so any name works, whatever the ANSI code page) and
// moved over the result with MoveFileExW.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <system_error>

#include "core/base/file_io.h"
#include "core/base/file_io_platform.h"

namespace xsrating {
namespace {

// A short Chinese description of a Windows error code, in the words of
// DescribeSystemError.
std::string DescribeWindowsError(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
      return DescribeSystemError(ENOENT);
    case ERROR_ACCESS_DENIED:
      return DescribeSystemError(EACCES);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return DescribeSystemError(ENOSPC);
    case ERROR_WRITE_PROTECT:
      return DescribeSystemError(EROFS);
    case ERROR_FILENAME_EXCED_RANGE:
      return DescribeSystemError(ENAMETOOLONG);
    case ERROR_INVALID_NAME:
      return "文件名中有 Windows 不允许的字符";
    case ERROR_NOT_READY:
      return "驱动器未就绪";
    default:
      return "Windows 错误 " + std::to_string(error);
  }
}

// Whether the file at `path` is open in another program that did not allow
// it to be deleted or renamed meanwhile, as spreadsheet programs and many
// editors keep the files they show.
bool HeldOpenElsewhere(const std::wstring& path) {
  const HANDLE probe =
      CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (probe != INVALID_HANDLE_VALUE) {
    CloseHandle(probe);
    return false;
  }
  return GetLastError() == ERROR_SHARING_VIOLATION;
}

}  // namespace

// The read-only attribute, Windows' only word on it here, was checked as the
// write bits.
bool MayWriteExistingFile(const std::filesystem::path&) { return true; }

// The new file keeps the attributes of a new one, whatever it replaces.
CreatedFile CreateTemporaryFile(const std::filesystem::path& path,
                                const ExistingFile&) {
  CreatedFile created;
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    created.name_taken = error == ERROR_FILE_EXISTS;
    if (!created.name_taken) created.reason = DescribeWindowsError(error);
    return created;
  }
  // A C runtime descriptor, so that the writes go through the same
  // WriteChunkFn as elsewhere.
  created.fd =
      _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_WRONLY | _O_BINARY);
  if (created.fd < 0) {
    created.reason = DescribeSystemError(errno);
    CloseHandle(file);
    DeleteFileW(path.c_str());
  }
  return created;
}

long WriteChunk(int fd, const char* data, size_t size) {
  constexpr size_t kLargestWrite = 1u << 30;
  return _write(fd, data, static_cast<unsigned>(std::min(size, kLargestWrite)));
}

std::string KeepPermissions(int, const ExistingFile&) { return {}; }

std::string CloseFile(int fd) {
  return _close(fd) == 0 ? std::string() : DescribeSystemError(errno);
}

std::string RenameOver(const std::filesystem::path& from,
                       const std::filesystem::path& to) {
  if (MoveFileExW(from.c_str(), to.c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return {};
  }
  const DWORD error = GetLastError();
  return (error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED) &&
                 HeldOpenElsewhere(to.wstring())
             ? "它正被其他程序打开着（例如在 Excel 中），"
               "请在那个程序里关闭它后再试"
             : DescribeWindowsError(error);
}

void EndTemporaryFile(const std::filesystem::path& path, bool remove) {
  if (remove) DeleteFileW(path.c_str());
}

// SIGHUP and the handlers of POSIX systems do not exist here.
void RemoveTemporaryFileOnSignals() {}

}  // namespace xsrating
