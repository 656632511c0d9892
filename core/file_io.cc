// SPDX-License-Identifier: GPL-3.0-or-later
// What every platform shares; the saving itself is in file_io_posix.cc and
// file_io_windows.cc.
#include "core/file_io.h"

#include <cerrno>
#include <cstring>

#include "core/file_io_platform.h"

namespace xsrating {

std::filesystem::path PathFromUtf8(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string PathToUtf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

std::string DescribeSystemError(int error) {
  switch (error) {
    case ENOENT:
      return "文件或文件夹不存在";
    case EACCES:
    case EPERM:
      return "没有权限";
    case ENOSPC:
      return "磁盘已满";
#ifdef EDQUOT
    case EDQUOT:
      return "超出磁盘配额";
#endif
    case EROFS:
      return "磁盘是只读的";
    case EISDIR:
      return "这是一个文件夹";
    case ENOTDIR:
      return "路径中有一部分不是文件夹";
    case ENAMETOOLONG:
      return "文件名太长";
    case EIO:
      return "磁盘读写错误";
    case EMFILE:
    case ENFILE:
      return "打开的文件太多";
    case 0:
      return "原因不明";
    default:
      return "系统错误 " + std::to_string(error) + "（" + std::strerror(error) +
             "）";
  }
}

std::string FolderOf(const std::filesystem::path& target) {
  const std::filesystem::path folder = target.parent_path();
  return folder.empty() ? std::string(".") : PathToUtf8(folder);
}

std::string TempFilePattern(const std::filesystem::path& target) {
  std::string name = PathToUtf8(target.filename());
  name.insert(0, 1, '.');
  name.append(".XXXXXX");
  return PathToUtf8(PathFromUtf8(FolderOf(target)) / PathFromUtf8(name));
}

Status SaveFileAtomically(const std::string& path, std::string_view bytes,
                          const WriteChunkFn& write_chunk) {
  const std::filesystem::path target = PathFromUtf8(path);
  const std::string named = "结果文件“" + path + "”";
  std::error_code ec;
  if (std::filesystem::is_directory(target, ec)) {
    return Status::FileSystemError("无法写入" + named +
                                   "：同名的文件夹已经存在。");
  }
  return ReplaceFile(target, bytes, write_chunk, named);
}

}  // namespace xsrating
