// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/file_io.h"

#include <cerrno>
#include <cstring>
#include <random>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <fstream>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace xsrating {
namespace {

#ifndef _WIN32
// Mode bits for a new result file: those of the file it replaces, or what the
// user's umask gives a newly created file.
mode_t ModeForResult(const std::string& path) {
  struct stat existing;
  if (stat(path.c_str(), &existing) == 0) return existing.st_mode & 07777;
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

long SystemWrite(int fd, const char* data, size_t size) {
  return static_cast<long>(::write(fd, data, size));
}
#endif

}  // namespace

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

Status SaveFileAtomically(const std::string& path, std::string_view bytes,
                          const WriteChunkFn& write_chunk) {
  const std::filesystem::path target = PathFromUtf8(path);
  const std::string named = "结果文件“" + path + "”";
  std::error_code ec;
  if (std::filesystem::is_directory(target, ec)) {
    return Status::FileSystemError("无法写入" + named +
                                   "：同名的文件夹已经存在。");
  }
  std::filesystem::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  // The temporary file sits beside the target so the rename stays on one
  // volume, and so cannot leave a half-written result under its real name.
  // No fsync: it costs milliseconds a run, the table can be recomputed from
  // the survey at any time, and the file systems in use flush a file that
  // replaces another by rename before the rename itself.
  std::string temp_name_part = PathToUtf8(target.filename());
  temp_name_part.insert(0, 1, '.');
  temp_name_part.append(".XXXXXX");
  const std::string temp_pattern =
      PathToUtf8(folder / PathFromUtf8(temp_name_part));

#ifndef _WIN32
  std::vector<char> temp_name(temp_pattern.begin(), temp_pattern.end());
  temp_name.push_back('\0');
  const mode_t mode = ModeForResult(path);
  const int fd = mkstemp(temp_name.data());
  if (fd < 0) {
    return Status::FileSystemError("无法在文件夹“" + PathToUtf8(folder) +
                                   "”中写入" + named + "：" +
                                   DescribeSystemError(errno) + "。");
  }
  const std::string temp_path(temp_name.data());
  const WriteChunkFn& write =
      write_chunk ? write_chunk : WriteChunkFn(SystemWrite);
  int error = 0;
  size_t done = 0;
  while (done < bytes.size() && error == 0) {
    errno = 0;
    const long n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      error = n == 0 || errno == 0 ? ENOSPC : errno;
    }
  }
  if (error == 0 && fchmod(fd, mode) != 0) error = errno;
  if (close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && std::rename(temp_path.c_str(), path.c_str()) != 0) {
    error = errno;
  }
  if (error != 0) {
    unlink(temp_path.c_str());
    return Status::FileSystemError("无法写入" + named + "：" +
                                   DescribeSystemError(error) +
                                   "。原有的结果文件没有改动。");
  }
  return Status::Ok();
#else
  (void)write_chunk;
  std::mt19937_64 random(std::random_device{}());
  std::filesystem::path temp_path;
  std::ofstream out;
  for (int attempt = 0; attempt < 100 && !out.is_open(); ++attempt) {
    temp_path = PathFromUtf8(temp_pattern.substr(0, temp_pattern.size() - 6) +
                             std::to_string(random() % 1000000));
    if (std::filesystem::exists(temp_path, ec)) continue;
    out.open(temp_path, std::ios::binary | std::ios::trunc);
  }
  if (!out.is_open()) {
    return Status::FileSystemError("无法写入" + named +
                                   "：没有权限或文件夹不存在。");
  }
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    std::filesystem::remove(temp_path, ec);
    return Status::FileSystemError(
        "无法写入" + named + "：磁盘已满或写入出错。原有的结果文件没有改动。");
  }
  std::filesystem::rename(temp_path, target, ec);
  if (ec) {
    std::filesystem::remove(temp_path, ec);
    return Status::FileSystemError(
        "无法写入" + named +
        "：文件可能正被其他程序使用。原有的结果文件没有改动。");
  }
  return Status::Ok();
#endif
}

}  // namespace xsrating
