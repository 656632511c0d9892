// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_FORM_CHOOSER_H_
#define XSRATING_FORM_CHOOSER_H_

// The drive, folder and file lists that lead to the survey, drawn as three
// plain lists: which drive is chosen, the folder shown, the files listed,
// and what each list's event does. The file system comes through hooks, the
// lists through ChooserView. Paths and names are UTF-8.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/run/run.h"
#include "form/chooser_rules.h"

namespace xsrating {

// What the chooser learns from the system; tests replace them.
struct ChooserHooks {
  // The drives' roots, in order ("C:\").
  std::function<std::vector<std::string>()> drives;
  // Whether the drive at `root` can be read now, and its volume label (empty
  // when it tells none).
  std::function<bool(const std::string& root, std::string* label)> volume;
  // The names in `folder` of its subfolders (`folders` true) or of its
  // files, hidden and system ones left out.
  std::function<std::vector<std::string>(const std::string& folder,
                                         bool folders)>
      entries;
  // Whether `path` is a folder now.
  std::function<bool(const std::string& path)> is_folder;
  // Makes `folder` the process's current folder, as choosing a drive does.
  std::function<void(const std::string& folder)> enter;
  // Between the names of a path.
  char separator = '\\';
};

// The three lists as the chooser fills them.
class ChooserView {
 public:
  virtual ~ChooserView() = default;
  // The drive list's rows (DriveDisplayText) and the chosen one.
  virtual void ShowDrives(const std::vector<std::string>& texts,
                          int chosen) = 0;
  // Chooses the drive list's row `index` without it coming back as an event.
  virtual void ChooseDrive(int index) = 0;
  // The folder list's rows and the one selected, the folder shown.
  virtual void ShowFolders(const std::vector<FolderRow>& rows, int shown) = 0;
  // The file list's names and the one selected; -1 for none.
  virtual void ShowFiles(const std::vector<std::string>& names,
                         int selected) = 0;
};

// The "*.txt" names among `names`, sorted as the lists show them
// (IsListedFileName, SortNames): the file list of every window.
std::vector<std::string> ListedFileNames(std::vector<std::string> names);

// The lists' rules:
//  - Open() lists the drives and shows the folder on the drive that holds it
//    (the first drive's root when none does);
//  - choosing a drive shows its current folder (the one last shown on it, or
//    its root when that is gone) and makes it the process's current folder;
//    a drive that cannot be read is told through the sink (DriveNotReadyText
//    under kDriveNotReadyTitle) and the previous one is chosen again;
//  - selecting a folder row lists its files; opening one (a double click or
//    Enter) shows it;
//  - choosing a file gives the survey's path (JoinDataFilePath);
//  - Refresh() lists the files of the folder as they are now, the selected
//    name kept selected.
class ChooserController {
 public:
  // `view` and `sink` must outlive the controller.
  ChooserController(ChooserView& view, MessageSink& sink, ChooserHooks hooks);

  void Open(const std::string& folder);
  void OnDriveChosen(int index);
  void OnFolderSelected(int row);
  void OnFolderOpened(int row);
  // The path of the file at `index` of the list; none when there is none.
  std::optional<std::string> OnFileChosen(int index);
  void Refresh();

  // The folder the file list shows.
  const std::string& folder() const { return folder_; }
  const std::vector<std::string>& files() const { return files_; }
  int drive_index() const { return drive_index_; }

 private:
  void ShowFolder(const std::string& folder);
  void ListFiles(const std::string& folder);

  ChooserView& view_;
  MessageSink& sink_;
  ChooserHooks hooks_;
  std::vector<std::string> roots_;
  std::vector<std::string> drive_texts_;
  int drive_index_ = -1;
  DriveFolders drive_folders_;
  std::vector<FolderRow> folder_rows_;
  std::string folder_;
  std::vector<std::string> files_;
  int selected_file_ = -1;
};

}  // namespace xsrating

#endif  // XSRATING_FORM_CHOOSER_H_
