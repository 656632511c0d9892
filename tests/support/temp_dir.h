// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_TESTS_SUPPORT_TEMP_DIR_H_
#define XSRATING_TESTS_SUPPORT_TEMP_DIR_H_

#include <filesystem>
#include <string>
#include <vector>

namespace xsrating {

// A fresh folder under the system's temporary folder, removed with all it
// holds (whatever its permissions) when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The UTF-8 text of path() / name.
  std::string Utf8(const std::string& name) const;

 private:
  std::filesystem::path path_;
};

// The whole file, or "<missing>" when it cannot be read.
std::string ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::string& bytes);
// Names in a folder, hidden ones included, sorted; UTF-8.
std::vector<std::string> ListFolder(const std::filesystem::path& folder);

}  // namespace xsrating

#endif  // XSRATING_TESTS_SUPPORT_TEMP_DIR_H_
