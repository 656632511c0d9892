// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/temp_dir.h"

#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <system_error>

#include "core/base/file_io.h"

namespace xsrating {
namespace {

// Makes every folder below `path` writable and searchable again, so that it
// can be removed after a test took the rights away.
void RestorePermissions(const std::filesystem::path& path) {
  std::error_code ec;
  std::filesystem::permissions(path, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ec);
  if (!std::filesystem::is_directory(path, ec)) return;
  for (const auto& entry : std::filesystem::directory_iterator(path, ec)) {
    if (entry.is_symlink(ec)) continue;
    RestorePermissions(entry.path());
  }
}

}  // namespace

TempDir::TempDir() {
#ifdef _WIN32
  // No mkdtemp: a random name that no folder has yet.
  std::random_device random;
  for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
    const std::filesystem::path candidate =
        std::filesystem::temp_directory_path() /
        ("xsrating-test." + std::to_string(random()));
    std::error_code ec;
    if (std::filesystem::create_directory(candidate, ec)) path_ = candidate;
  }
  if (path_.empty()) {
    std::perror("create_directory");
    std::abort();
  }
#else
  std::string pattern =
      (std::filesystem::temp_directory_path() / "xsrating-test.XXXXXX")
          .string();
  if (mkdtemp(pattern.data()) == nullptr) {
    std::perror("mkdtemp");
    std::abort();
  }
  path_ = pattern;
#endif
}

TempDir::~TempDir() {
  RestorePermissions(path_);
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string TempDir::Utf8(const std::string& name) const {
  return PathToUtf8(path_ / PathFromUtf8(name));
}

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing>";
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> ListFolder(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    names.push_back(PathToUtf8(entry.path().filename()));
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace xsrating
