// SPDX-License-Identifier: GPL-3.0-or-later
#include "form/chooser_rules.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace xsrating {
namespace {

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; }

bool IsDriveLetterRoot(std::string_view root) {
  const char letter = AsciiLower(root.empty() ? '\0' : root[0]);
  return root.size() <= 3 && root.size() >= 2 && letter >= 'a' &&
         letter <= 'z' && root[1] == ':' &&
         (root.size() == 2 || root[2] == '\\' || root[2] == '/');
}

}  // namespace

std::string DriveDisplayText(std::string_view root, std::string_view label) {
  std::string text(root);
  if (IsDriveLetterRoot(root)) text = {AsciiLower(root[0]), ':'};
  if (!label.empty()) text += " [" + std::string(label) + "]";
  return text;
}

std::string DriveNotReadyText(std::string_view display_text) {
  return "驱动器 " + std::string(display_text) +
         " 未就绪，请放入磁盘或选择其他驱动器。";
}

bool IsListedFileName(std::string_view name) {
  constexpr std::string_view kExtension = ".txt";
  if (name.size() < kExtension.size()) return false;
  const std::string_view end = name.substr(name.size() - kExtension.size());
  return std::equal(end.begin(), end.end(), kExtension.begin(),
                    [](char a, char b) { return AsciiLower(a) == b; });
}

void SortNames(std::vector<std::string>& names) {
  const auto folded_less = [](const std::string& a, const std::string& b) {
    return std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
          return static_cast<unsigned char>(AsciiLower(x)) <
                 static_cast<unsigned char>(AsciiLower(y));
        });
  };
  // Names equal but for case keep one order whatever the system gave.
  std::sort(names.begin(), names.end(),
            [&](const std::string& a, const std::string& b) {
              return folded_less(a, b) || (!folded_less(b, a) && a < b);
            });
}

std::string JoinDataFilePath(std::string_view folder,
                             std::string_view file_name, char separator) {
  std::string path(folder);
  if (path.empty() || path.back() != separator) path += separator;
  path += file_name;
  return path;
}

void DriveFolders::Remember(const std::string& root,
                            const std::string& folder) {
  folders_[root] = folder;
}

std::string DriveFolders::CurrentFolder(const std::string& root) const {
  const auto found = folders_.find(root);
  return found == folders_.end() ? root : found->second;
}

std::vector<FolderRow> FolderRows(const std::string& root,
                                  const std::string& folder,
                                  std::vector<std::string> subfolders,
                                  char separator) {
  std::vector<FolderRow> rows = {{root, root, 0, true}};
  std::string path = root;
  std::string_view rest =
      std::string_view(folder).substr(std::min(root.size(), folder.size()));
  while (!rest.empty()) {
    const size_t end = std::min(rest.find(separator), rest.size());
    const std::string_view name = rest.substr(0, end);
    rest.remove_prefix(std::min(end + 1, rest.size()));
    if (name.empty()) continue;
    path = JoinDataFilePath(path, name, separator);
    rows.push_back({std::string(name), path, rows.back().depth + 1, true});
  }
  SortNames(subfolders);
  const int depth = rows.back().depth + 1;
  for (std::string& name : subfolders) {
    std::string child = JoinDataFilePath(path, name, separator);
    rows.push_back({std::move(name), std::move(child), depth, false});
  }
  return rows;
}

}  // namespace xsrating
