// SPDX-License-Identifier: GPL-3.0-or-later
// The result file's replace on Windows: the temporary file is created with
// the wide-character API (so any name works, whatever the ANSI code page) and
// moved over the result with MoveFileExW.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <random>
#include <system_error>

#include "core/file_io.h"
#include "core/file_io_platform.h"

namespace xsrating {
namespace {

long CrtWrite(int fd, const char* data, size_t size) {
  constexpr size_t kLargestWrite = 1u << 30;
  return _write(fd, data, static_cast<unsigned>(std::min(size, kLargestWrite)));
}

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

Status ReplaceThroughTemporaryFile(const std::filesystem::path& target,
                                   std::string_view bytes,
                                   const WriteChunkFn& write_chunk,
                                   const std::string& named,
                                   const ExistingFile& existing) {
  // The moved file keeps the attributes of a new one; a read-only one was
  // refused before.
  (void)existing;
  const std::string unchanged = "。原有的结果文件没有改动。";
  std::filesystem::path folder = target.parent_path();
  if (folder.empty()) folder = ".";

  std::mt19937_64 random(std::random_device{}() ^ GetCurrentProcessId() ^
                         GetTickCount64());
  std::wstring temp_path;
  HANDLE file = INVALID_HANDLE_VALUE;
  DWORD create_error = ERROR_FILE_EXISTS;
  for (int attempt = 0; attempt < 100 && create_error == ERROR_FILE_EXISTS;
       ++attempt) {
    temp_path = TempFilePath(target, random).wstring();
    file = CreateFileW(temp_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    create_error = file == INVALID_HANDLE_VALUE ? GetLastError() : 0;
  }
  if (file == INVALID_HANDLE_VALUE) {
    return Status::FileSystemError("无法在文件夹“" + PathToUtf8(folder) +
                                   "”中写入" + named + "：" +
                                   DescribeWindowsError(create_error) + "。");
  }
  // A C runtime descriptor, so that the writes go through the same
  // WriteChunkFn as elsewhere.
  const int fd =
      _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_WRONLY | _O_BINARY);
  if (fd < 0) {
    CloseHandle(file);
    DeleteFileW(temp_path.c_str());
    return Status::FileSystemError("无法写入" + named + "：" +
                                   DescribeSystemError(errno) + unchanged);
  }
  const WriteChunkFn& write =
      write_chunk ? write_chunk : WriteChunkFn(CrtWrite);
  std::string reason;
  if (const int error = WriteAll(fd, bytes, write); error != 0) {
    reason = DescribeSystemError(error);
  }
  if (_close(fd) != 0 && reason.empty()) {
    reason = DescribeSystemError(errno);
  }
  if (reason.empty() &&
      !MoveFileExW(temp_path.c_str(), target.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD error = GetLastError();
    reason =
        (error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED) &&
                HeldOpenElsewhere(target.wstring())
            ? "它正被其他程序打开着（例如在 Excel 中），"
              "请在那个程序里关闭它后再试"
            : DescribeWindowsError(error);
  }
  if (!reason.empty()) {
    DeleteFileW(temp_path.c_str());
    return Status::FileSystemError("无法写入" + named + "：" + reason +
                                   unchanged);
  }
  return Status::Ok();
}

// SIGHUP and the handlers of POSIX systems do not exist here.
void RemoveTemporaryFileOnSignals() {}

}  // namespace xsrating
