// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_UI_DATA_FILE_CHOOSER_H_
#define XSRATING_UI_DATA_FILE_CHOOSER_H_

// The three linked lists that lead the user to the survey file: drives, the
// folder tree of the current drive, and the "*.txt" files of the folder.

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <string>
#include <string_view>

#include "core/run/run.h"
#include "form/chooser_rules.h"

class QAbstractItemView;
class QComboBox;
class QFileSystemWatcher;
class QListWidget;
class QModelIndex;
class QTreeWidget;
class QTreeWidgetItem;

namespace xsrating {

// A place that holds folders: a drive on Windows, a mounted volume elsewhere.
struct Drive {
  QString root;   // With '/' separators: "C:/", "/", "/media/usb".
  QString label;  // Volume label; empty when it has none.
};

// How the chooser learns about drives; tests replace both.
struct DriveHooks {
  // The drives to list, in order. SystemDrives when empty.
  std::function<QList<Drive>()> list;
  // Whether a drive can be read now. DriveIsReady when empty.
  std::function<bool(const QString& root)> is_ready;
};

// A volume as the system's mount table reports it.
struct MountedVolume {
  QString root;            // Where it is mounted, with '/' separators.
  QString label;           // Volume label; empty when it has none.
  QByteArray file_system;  // "ext4", "vfat", "proc", "tmpfs", ...
};

// The volumes worth offering on a system without drive letters: "/" always,
// even when the mount table does not show it (in a chroot or a container),
// then the other volumes that hold files a user keeps, sorted by root. Left
// out: the kernel's and the system's own file systems (proc, sysfs, devtmpfs,
// cgroup, overlay layers, ...), anything mounted under /proc, /sys, /dev or
// /run other than removable media under /run/media, and snap packages.
QList<Drive> DrivesFromVolumes(const QList<MountedVolume>& volumes);

// The system's drives: on Windows the drive letters; elsewhere
// DrivesFromVolumes of the mounted volumes and of the home folder's volume.
QList<Drive> SystemDrives();
// True when the drive at `root` is mounted, ready and readable (a removable
// drive without its medium is not).
bool DriveIsReady(const QString& root);
// The whole text of the item at `index` when the view shows only part of it
// (cut off by the view's edge or elided); empty when it is shown whole.
QString CutOffText(const QAbstractItemView& view, const QModelIndex& index);

// Links the drive list, the folder tree and the file list of the window:
//  - choosing a drive shows that drive's current folder (the folder last shown
//    on it, or its root); a drive that is not ready is reported through the
//    sink and the previous drive stays chosen;
//  - choosing a folder in the tree lists its "*.txt" files, in any letter
//    case, sorted by name without regard to case; folders are listed the same
//    way, and hidden ones only when they lead to the folder shown;
//  - clicking a file emits DataFileClicked with its full path; so does
//    selecting one with the keys. Tabbing into the file list and pressing
//    Down or Up selects the file that has the focus frame, the first one
//    when none has;
//  - the tree and the file list follow the file system: folders and files
//    that appear or go are shown, open folders stay open and the selected
//    file stays selected;
//  - every row is at least a line of its font tall, and a name cut off by
//    the list's edge shows whole in a tooltip.
// Changing drive or folder emits nothing: the last clicked file stays chosen.
// The chooser fills the widgets it is given and does not own them.
class DataFileChooser : public QObject {
  Q_OBJECT

 public:
  // `sink` must outlive the chooser.
  DataFileChooser(QComboBox* drive_list, QTreeWidget* folder_tree,
                  QListWidget* file_list, MessageSink* sink,
                  DriveHooks hooks = {}, QObject* parent = nullptr);

  // Lists the drives and shows `folder` (absolute), on the drive that holds
  // it; the first drive's root when no listed drive holds it.
  void Open(const QString& folder);

  // The folder the file list shows, with '/' separators.
  const QString& folder() const { return folder_; }

  // Shows the folders and files as they are now, at once (the file system's
  // own notices come a moment later).
  void Refresh();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 signals:
  // A file was clicked: its path as JoinDataFilePath makes it with the
  // system's separator, in UTF-8.
  void DataFileClicked(const std::string& path);

 private:
  void OnDriveChosen(int index);
  void OnFolderItemChosen(QTreeWidgetItem* item);
  void OnFileChosen();

  // Rebuilds the tree for the drive at `root` and shows `folder` in it.
  void ShowFolder(const QString& root, const QString& folder);
  void FillChildren(QTreeWidgetItem* item);
  // Adds the subfolders of a listed folder that have appeared and drops those
  // that have gone, all the way down.
  void RefreshChildren(QTreeWidgetItem* item);
  // Lists the files of `folder`; the selected name stays selected when the
  // folder is the one shown already.
  void ListFiles(const QString& folder);
  // Watches the shown folder and every listed one.
  void WatchListedFolders();
  int DriveIndexHolding(const QString& folder) const;

  QComboBox* drive_list_;
  QTreeWidget* folder_tree_;
  QListWidget* file_list_;
  MessageSink* sink_;
  DriveHooks hooks_;
  QFileSystemWatcher* watcher_;
  int drive_index_ = -1;
  QString folder_;
  // Each drive's current folder, by root.
  DriveFolders drive_folders_;
  // Set while the chooser itself changes the widgets.
  bool updating_ = false;
};

}  // namespace xsrating

#endif  // XSRATING_UI_DATA_FILE_CHOOSER_H_
