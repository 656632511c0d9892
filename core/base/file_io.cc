// SPDX-License-Identifier: GPL-3.0-or-later
// What every platform shares, the save's sequence included; the primitives
// it is made of are in file_io_posix.cc and file_io_windows.cc.
#include "core/base/file_io.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <random>
#include <system_error>
#include <utility>

#include "core/base/file_io_platform.h"

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

namespace {

// Writes all of `bytes` to the open file `fd` with `write`, going on after
// partial writes and signals. Returns 0 or the errno of the failure; a write
// that makes no progress counts as a full disk.
int WriteAll(int fd, std::string_view bytes, const WriteChunkFn& write) {
  size_t done = 0;
  while (done < bytes.size()) {
    errno = 0;
    const long n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      return n == 0 || errno == 0 ? ENOSPC : errno;
    }
  }
  return 0;
}

// The folder of `target` as the user knows it ("." for a bare name), UTF-8.
std::string FolderOf(const std::filesystem::path& target) {
  const std::filesystem::path folder = target.parent_path();
  return folder.empty() ? std::string(".") : PathToUtf8(folder);
}

// A fresh random name for the temporary file that becomes `target`: in the
// target's own folder, so the rename stays on one volume and a half-written
// file never has the target's name; never longer than the target's name.
std::filesystem::path TempFilePath(const std::filesystem::path& target,
                                   std::mt19937_64& random) {
  // Letters and digits: safe in every file system and code page.
  constexpr std::string_view kCharacters =
      "abcdefghijklmnopqrstuvwxyz0123456789";
  // Enough that a fresh name is found at the first try among thousands.
  constexpr size_t kLongest = 16;
  const size_t size =
      std::clamp<size_t>(target.filename().native().size(), 1, kLongest);
  std::string name = size > 1 ? "." : "";
  while (name.size() < size) {
    name += kCharacters[random() % kCharacters.size()];
  }
  return PathFromUtf8(FolderOf(target)) / std::filesystem::path(name);
}

// The failure for a file at `named`, of `kind`, that is read-only.
Status ReadOnlyError(const std::string& named, const std::string& kind) {
  return Status::FileSystemError(named + "是只读的，没有权限改写，原有的" +
                                 kind + "没有改动。");
}

// The opening bytes of the file at `path`, up to kOpeningBytes.
bool ReadOpening(const std::filesystem::path& path, std::string* opening) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  opening->resize(kOpeningBytes);
  in.read(opening->data(), static_cast<std::streamsize>(kOpeningBytes));
  opening->resize(static_cast<size_t>(in.gcount()));
  return !in.bad();
}

// Refuses what must not be replaced at `target` (see SaveFileAtomically);
// fills `existing` when a regular file that may be replaced is there.
// `named` is the file as messages name it.
Status InspectExisting(const std::filesystem::path& target,
                       const std::string& named, const SaveOptions& options,
                       ExistingFile* existing) {
  namespace fs = std::filesystem;
  *existing = ExistingFile();
  std::error_code ec;
  const fs::file_status status = fs::symlink_status(target, ec);
  if (status.type() == fs::file_type::not_found) return Status::Ok();
  if (ec) {
    return Status::FileSystemError("无法查看" + named + "：" +
                                   DescribeSystemError(ec.value()) + "。");
  }
  // Writing through a link would change a file elsewhere, perhaps not a
  // result at all (a link to /dev/null, to a survey); replacing the link
  // would undo what its owner set up. Neither is done.
  if (fs::is_symlink(status)) {
    return Status::FileSystemError(
        named +
        "是一个符号链接，为免改动链接或它所指的文件，没有写入。请删除这个链接"
        "后再计算。");
  }
  if (fs::is_directory(status)) {
    return Status::FileSystemError("无法写入" + named +
                                   "：同名的文件夹已经存在。");
  }
  if (!fs::is_regular_file(status)) {
    return Status::FileSystemError(
        named + "不是普通文件（可能是设备或管道），没有写入。");
  }
  // A save that cannot tell a file of its own kind from anyone else's
  // replaces nothing.
  if (!options.check_existing) {
    return Status::FileSystemError(
        named + "已经存在，为免丢失其中的数据，没有改写它。");
  }
  {
    std::string opening;
    if (!ReadOpening(target, &opening)) {
      return Status::FileSystemError(
          "无法读取已经存在的" + named +
          "，不能确认可以改写它，没有写入。原有的文件没有改动。");
    }
    if (Status s = options.check_existing(opening); !s.ok()) return s;
  }
  // No write permission for anyone is the owner's word, also to those whom
  // permissions do not bind (root); on Windows it is the read-only attribute.
  constexpr fs::perms kAnyWrite =
      fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  if ((status.permissions() & kAnyWrite) == fs::perms::none) {
    return ReadOnlyError(named, options.kind);
  }
  existing->exists = true;
  existing->permissions = status.permissions();
  return Status::Ok();
}

// Writes `bytes` to a temporary file beside `target` and renames that over
// it, once what is at `target` is known to be nothing or a regular file that
// may be replaced (`existing`). `named` names the file in messages, `kind`
// says what it is.
Status ReplaceThroughTemporaryFile(const std::filesystem::path& target,
                                   std::string_view bytes,
                                   const WriteChunkFn& write_chunk,
                                   const std::string& named,
                                   const std::string& kind,
                                   const ExistingFile& existing) {
  // A file we may not write is not ours to replace, though the folder would
  // let us. (A read-only mount is left to fail below, with its own reason.)
  if (existing.exists && !MayWriteExistingFile(target)) {
    return ReadOnlyError(named, kind);
  }
  // The clock as well, in case the C runtime's random_device repeats itself:
  // two runs that pick the same names only cost each other a retry.
  std::mt19937_64 random(
      std::random_device{}() ^
      static_cast<uint64_t>(
          std::chrono::steady_clock::now().time_since_epoch().count()));
  std::filesystem::path temp;
  CreatedFile created;
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp = TempFilePath(target, random);
    created = CreateTemporaryFile(temp, existing);
    if (!created.name_taken) break;
  }
  if (created.fd < 0) {
    return Status::FileSystemError(
        "无法在文件夹“" + FolderOf(target) + "”中写入" + named + "：" +
        (created.name_taken ? DescribeSystemError(EEXIST) : created.reason) +
        "。");
  }
  // No fsync: it costs milliseconds a run, the table can be recomputed from
  // the survey at any time, and the file systems in use flush a file that
  // replaces another by rename before the rename itself.
  std::string reason;
  if (const int error =
          WriteAll(created.fd, bytes,
                   write_chunk ? write_chunk : WriteChunkFn(WriteChunk));
      error != 0) {
    reason = DescribeSystemError(error);
  }
  if (reason.empty() && existing.exists) {
    reason = KeepPermissions(created.fd, existing);
  }
  if (std::string closing = CloseFile(created.fd); reason.empty()) {
    reason = std::move(closing);
  }
  if (reason.empty()) reason = RenameOver(temp, target);
  EndTemporaryFile(temp, /*remove=*/!reason.empty());
  if (!reason.empty()) {
    return Status::FileSystemError("无法写入" + named + "：" + reason +
                                   "。原有的" + kind + "没有改动。");
  }
  return Status::Ok();
}

}  // namespace

Status SaveFileAtomically(const std::string& path, std::string_view bytes,
                          const SaveOptions& options) {
  const std::filesystem::path target = PathFromUtf8(path);
  const std::string named = options.kind + "“" + path + "”";
  ExistingFile existing;
  if (Status s = InspectExisting(target, named, options, &existing); !s.ok()) {
    return s;
  }
  return ReplaceThroughTemporaryFile(target, bytes, options.write_chunk, named,
                                     options.kind, existing);
}

}  // namespace xsrating
