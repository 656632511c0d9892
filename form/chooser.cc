// SPDX-License-Identifier: GPL-3.0-or-later
#include "form/chooser.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "form/texts.h"

namespace xsrating {
namespace {

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; }

// "c:\data" and "C:\" on the same drive: a drive letter is the same in
// either case.
bool IsOnDrive(std::string_view path, std::string_view root) {
  if (path.size() < root.size()) return false;
  for (size_t i = 0; i < root.size(); ++i) {
    if (AsciiLower(path[i]) != AsciiLower(root[i])) return false;
  }
  return true;
}

}  // namespace

std::vector<std::string> ListedFileNames(std::vector<std::string> names) {
  std::vector<std::string> listed;
  for (std::string& name : names) {
    if (IsListedFileName(name)) listed.push_back(std::move(name));
  }
  SortNames(listed);
  return listed;
}

ChooserController::ChooserController(ChooserView& view, MessageSink& sink,
                                     ChooserHooks hooks)
    : view_(view), sink_(sink), hooks_(std::move(hooks)) {}

void ChooserController::Open(const std::string& folder) {
  roots_ = hooks_.drives();
  drive_texts_.clear();
  for (const std::string& root : roots_) {
    std::string label;
    hooks_.volume(root, &label);
    drive_texts_.push_back(DriveDisplayText(root, label));
  }
  if (roots_.empty()) {
    view_.ShowDrives(drive_texts_, -1);
    return;
  }
  drive_index_ = 0;
  for (size_t i = 0; i < roots_.size(); ++i) {
    if (IsOnDrive(folder, roots_[i])) drive_index_ = static_cast<int>(i);
  }
  const std::string& root = roots_[drive_index_];
  view_.ShowDrives(drive_texts_, drive_index_);
  // The root as the drive list has it, then the rest of the folder.
  ShowFolder(IsOnDrive(folder, root) ? root + folder.substr(root.size())
                                     : root);
}

void ChooserController::OnDriveChosen(int index) {
  if (index < 0 || static_cast<size_t>(index) >= roots_.size() ||
      index == drive_index_) {
    return;
  }
  std::string label;
  if (!hooks_.volume(roots_[index], &label)) {
    sink_.ShowWarning(DriveNotReadyText(drive_texts_[index]),
                      kDriveNotReadyTitle);
    view_.ChooseDrive(drive_index_);
    return;
  }
  drive_index_ = index;
  std::string folder = drive_folders_.CurrentFolder(roots_[index]);
  if (!hooks_.is_folder(folder)) folder = roots_[index];
  // The process's current drive and folder follow the list.
  hooks_.enter(folder);
  ShowFolder(folder);
}

void ChooserController::OnFolderSelected(int row) {
  if (row < 0 || static_cast<size_t>(row) >= folder_rows_.size()) return;
  const std::string path = folder_rows_[row].path;
  drive_folders_.Remember(roots_[drive_index_], path);
  ListFiles(path);
}

void ChooserController::OnFolderOpened(int row) {
  if (row < 0 || static_cast<size_t>(row) >= folder_rows_.size()) return;
  ShowFolder(folder_rows_[row].path);
}

std::optional<std::string> ChooserController::OnFileChosen(int index) {
  if (index < 0 || static_cast<size_t>(index) >= files_.size()) {
    return std::nullopt;
  }
  selected_file_ = index;
  return JoinDataFilePath(folder_, files_[index], hooks_.separator);
}

void ChooserController::Refresh() { ListFiles(folder_); }

void ChooserController::ShowFolder(const std::string& folder) {
  const std::string& root = roots_[drive_index_];
  folder_rows_ =
      FolderRows(root, folder, hooks_.entries(folder, true), hooks_.separator);
  int shown = 0;
  for (size_t i = 0; i < folder_rows_.size(); ++i) {
    if (folder_rows_[i].open) shown = static_cast<int>(i);
  }
  view_.ShowFolders(folder_rows_, shown);
  drive_folders_.Remember(root, folder_rows_[shown].path);
  ListFiles(folder_rows_[shown].path);
}

void ChooserController::ListFiles(const std::string& folder) {
  // The selected name stays selected while the same folder is listed anew.
  std::string selected;
  if (folder == folder_ && selected_file_ >= 0 &&
      static_cast<size_t>(selected_file_) < files_.size()) {
    selected = files_[selected_file_];
  }
  folder_ = folder;
  files_ = ListedFileNames(hooks_.entries(folder, false));
  selected_file_ = -1;
  if (!selected.empty()) {
    for (size_t i = 0; i < files_.size(); ++i) {
      if (files_[i] == selected) selected_file_ = static_cast<int>(i);
    }
  }
  view_.ShowFiles(files_, selected_file_);
}

}  // namespace xsrating
