// SPDX-License-Identifier: GPL-3.0-or-later
// Saving a file on Windows: a new file under a random name, then a rename.
#include <fstream>
#include <random>
#include <system_error>

#include "core/file_io.h"
#include "core/file_io_platform.h"

namespace xsrating {

Status ReplaceFile(const std::filesystem::path& target, std::string_view bytes,
                   const WriteChunkFn& write_chunk, const std::string& named,
                   const ExistingFile& existing) {
  // One stream write; no partial writes to simulate. The renamed file keeps
  // the attributes of a new one; a read-only one was refused before.
  (void)write_chunk;
  (void)existing;
  std::error_code ec;
  std::mt19937_64 random(std::random_device{}());
  std::filesystem::path temp_path;
  std::ofstream out;
  for (int attempt = 0; attempt < 100 && !out.is_open(); ++attempt) {
    temp_path = TempFilePath(target, random);
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
}

// SIGHUP and the handlers of POSIX systems do not exist here.
void RemoveTemporaryFileOnSignals() {}

}  // namespace xsrating
