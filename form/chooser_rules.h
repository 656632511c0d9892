// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_FORM_CHOOSER_RULES_H_
#define XSRATING_FORM_CHOOSER_RULES_H_

// The rules of the drive, folder and file lists that lead to the survey,
// whatever the lists are drawn with. Paths and names are UTF-8.

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace xsrating {

// A drive as the drive list shows it: a drive letter's root ("C:\", "C:/")
// as "c:", any other root as it is ("/media/usb"), then " [LABEL]" when it
// has a volume label.
std::string DriveDisplayText(std::string_view root, std::string_view label);

// The message for a drive that cannot be read now, named as the list shows
// it; its title is kDriveNotReadyTitle.
std::string DriveNotReadyText(std::string_view display_text);

// Whether the file list shows `name`: it matches "*.txt" in any letter case.
bool IsListedFileName(std::string_view name);

// Names sorted as the lists show them: by their letters without regard to
// the case of A to Z, then by their bytes.
void SortNames(std::vector<std::string>& names);

// The survey file's path from the folder the file list shows and the clicked
// name: the folder, `separator`, the name; when the folder already ends in
// `separator` (a root such as "C:\" or "/") no second one is added.
std::string JoinDataFilePath(std::string_view folder,
                             std::string_view file_name, char separator);

// The current folder of each drive: the one last shown on it, or its root.
class DriveFolders {
 public:
  void Remember(const std::string& root, const std::string& folder);
  std::string CurrentFolder(const std::string& root) const;

 private:
  std::map<std::string, std::string> folders_;
};

// One row of a folder list drawn as a plain list: the way from the drive's
// root down to the folder shown, then the folder's subfolders.
struct FolderRow {
  std::string text;   // The root as it is, else the folder's own name.
  std::string path;   // The whole path.
  int depth = 0;      // 0 for the root; how far to indent.
  bool open = false;  // On the way to the shown folder, or the folder itself.
  friend bool operator==(const FolderRow&, const FolderRow&) = default;
};

// The rows for `folder` on the drive at `root` (which `folder` starts with;
// both with `separator` between names) and the names of `folder`'s
// subfolders, sorted by SortNames. The shown folder is the last open row.
std::vector<FolderRow> FolderRows(const std::string& root,
                                  const std::string& folder,
                                  std::vector<std::string> subfolders,
                                  char separator);

}  // namespace xsrating

#endif  // XSRATING_FORM_CHOOSER_RULES_H_
