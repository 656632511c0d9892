// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/data_file_chooser.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QEvent>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QListWidget>
#include <QScrollBar>
#include <QSet>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <QTreeWidget>
#include <QTreeWidgetItem>
#include <algorithm>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "form/chooser.h"
#include "form/texts.h"

namespace xsrating {
namespace {

// The Q_OS_WIN branches of this file are built only with a Qt for Windows,
// which Debian does not ship; the Windows cross build has no window.
#ifdef Q_OS_WIN
constexpr Qt::CaseSensitivity kPathCase = Qt::CaseInsensitive;
#else
constexpr Qt::CaseSensitivity kPathCase = Qt::CaseSensitive;
#endif

// Where a folder item keeps its path ('/' separators).
constexpr int kPathRole = Qt::UserRole;
// Whether a folder item's subfolders have been listed.
constexpr int kFilledRole = Qt::UserRole + 1;

QString ChildPath(const QString& parent, const QString& name) {
  return parent.endsWith(QLatin1Char('/')) ? parent + name
                                           : parent + QLatin1Char('/') + name;
}

bool HasSubfolder(const QString& path) {
  QDirIterator it(path, QDir::Dirs | QDir::NoDotAndDotDot);
  return it.hasNext();
}

// Gives a new tree item its folder: the path, the icon, and an expander only
// when there is something to expand.
void SetUpFolderItem(QTreeWidgetItem* item, const QString& path,
                     const QIcon& icon) {
  item->setIcon(0, icon);
  item->setData(0, kPathRole, path);
  item->setChildIndicatorPolicy(HasSubfolder(path)
                                    ? QTreeWidgetItem::ShowIndicator
                                    : QTreeWidgetItem::DontShowIndicator);
}

// True when `path` is `root` or lies below it.
bool IsOnDrive(const QString& path, const QString& root) {
  if (path.compare(root, kPathCase) == 0) return true;
  const QString prefix =
      root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/');
  return path.startsWith(prefix, kPathCase);
}

bool IsBelow(const QString& path, const char* folder) {
  const QString base = QString::fromLatin1(folder);
  return path == base || path.startsWith(base + QLatin1Char('/'));
}

// File systems that the kernel or the system keeps for itself; none holds a
// survey.
bool IsPseudoFileSystem(const QByteArray& type) {
  static const QByteArray kPseudo[] = {"autofs",      "binfmt_misc",
                                       "bpf",         "cgroup",
                                       "cgroup2",     "configfs",
                                       "debugfs",     "devpts",
                                       "devtmpfs",    "efivarfs",
                                       "fusectl",     "hugetlbfs",
                                       "mqueue",      "nsfs",
                                       "overlay",     "proc",
                                       "pstore",      "ramfs",
                                       "rootfs",      "rpc_pipefs",
                                       "securityfs",  "selinuxfs",
                                       "squashfs",    "sysfs",
                                       "tracefs",     "fuse.gvfsd-fuse",
                                       "fuse.portal", "aufs"};
  return std::find(std::begin(kPseudo), std::end(kPseudo), type) !=
         std::end(kPseudo);
}

bool IsUsefulVolume(const MountedVolume& volume) {
  const QString& root = volume.root;
  if (root == QLatin1String("/")) return true;
  if (!root.startsWith(QLatin1Char('/'))) return false;
  if (IsPseudoFileSystem(volume.file_system)) return false;
  if (IsBelow(root, "/run")) return IsBelow(root, "/run/media");
  return !IsBelow(root, "/proc") && !IsBelow(root, "/sys") &&
         !IsBelow(root, "/dev") && !IsBelow(root, "/snap");
}

// Rows at least one line of the font tall and a pixel more above and below.
// In a face without a line gap, such as the Song face of Linux, the
// underscore lies below the descent, and a row of ascent plus descent cuts it
// off: "river_section.txt" read as "river section.txt".
class LineHighRows : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  QSize sizeHint(const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(
        std::max(size.height(), option.fontMetrics.lineSpacing() + 2));
    return size;
  }
};

}  // namespace

QList<Drive> DrivesFromVolumes(const QList<MountedVolume>& volumes) {
  QList<Drive> drives;
  for (const MountedVolume& volume : volumes) {
    if (!IsUsefulVolume(volume)) continue;
    const bool listed = std::any_of(
        drives.begin(), drives.end(),
        [&](const Drive& drive) { return drive.root == volume.root; });
    if (!listed) drives.append({volume.root, volume.label});
  }
  if (std::none_of(drives.begin(), drives.end(), [](const Drive& drive) {
        return drive.root == QLatin1String("/");
      })) {
    drives.append({QStringLiteral("/"), QString()});
  }
  std::sort(drives.begin(), drives.end(),
            [](const Drive& a, const Drive& b) { return a.root < b.root; });
  return drives;
}

QList<Drive> SystemDrives() {
  QList<Drive> drives;
#ifdef Q_OS_WIN
  // Every drive letter, ready or not, as the drive list has always shown.
  for (const QFileInfo& drive : QDir::drives()) {
    const QStorageInfo info(drive.absoluteFilePath());
    drives.append(
        {drive.absoluteFilePath(), info.isReady() ? info.name() : QString()});
  }
#else
  QList<MountedVolume> volumes;
  QList<QStorageInfo> infos = QStorageInfo::mountedVolumes();
  // The home folder's volume, should the mount table leave it out.
  infos.append(QStorageInfo(QDir::homePath()));
  for (const QStorageInfo& info : infos) {
    if (!info.isValid() || !QFileInfo(info.rootPath()).isDir()) continue;
    volumes.append({info.rootPath(), info.name(), info.fileSystemType()});
  }
  drives = DrivesFromVolumes(volumes);
#endif
  return drives;
}

bool DriveIsReady(const QString& root) {
  const QStorageInfo info(root);
  // An unmounted volume's folder belongs to the volume above it.
  return info.isValid() && info.isReady() &&
         info.rootPath().compare(root, kPathCase) == 0 &&
         QFileInfo(root).isReadable();
}

QString CutOffText(const QAbstractItemView& view, const QModelIndex& index) {
  if (!index.isValid()) return QString();
  const QRect shown =
      view.visualRect(index).intersected(view.viewport()->rect());
  if (view.sizeHintForIndex(index).width() <= shown.width()) return QString();
  return index.data(Qt::DisplayRole).toString();
}

DataFileChooser::DataFileChooser(QComboBox* drive_list,
                                 QTreeWidget* folder_tree,
                                 QListWidget* file_list, MessageSink* sink,
                                 DriveHooks hooks, QObject* parent)
    : QObject(parent),
      drive_list_(drive_list),
      folder_tree_(folder_tree),
      file_list_(file_list),
      sink_(sink),
      hooks_(std::move(hooks)),
      watcher_(new QFileSystemWatcher(this)) {
  if (!hooks_.list) hooks_.list = SystemDrives;
  if (!hooks_.is_ready) hooks_.is_ready = DriveIsReady;

  folder_tree_->setHeaderHidden(true);
  folder_tree_->setColumnCount(1);
  file_list_->setSelectionMode(QAbstractItemView::SingleSelection);
  for (QAbstractItemView* view :
       {static_cast<QAbstractItemView*>(folder_tree_),
        static_cast<QAbstractItemView*>(file_list_)}) {
    view->setItemDelegate(new LineHighRows(view));
    view->viewport()->installEventFilter(this);
  }
  file_list_->installEventFilter(this);
  connect(watcher_, &QFileSystemWatcher::directoryChanged, this,
          &DataFileChooser::Refresh);

  connect(drive_list_, &QComboBox::currentIndexChanged, this,
          &DataFileChooser::OnDriveChosen);
  connect(folder_tree_, &QTreeWidget::itemExpanded, this,
          &DataFileChooser::FillChildren);
  connect(folder_tree_, &QTreeWidget::currentItemChanged, this,
          &DataFileChooser::OnFolderItemChosen);
  connect(file_list_, &QListWidget::itemSelectionChanged, this,
          &DataFileChooser::OnFileChosen);
}

void DataFileChooser::Open(const QString& folder) {
  updating_ = true;
  drive_list_->clear();
  for (const Drive& drive : hooks_.list()) {
    drive_list_->addItem(
        QString::fromStdString(DriveDisplayText(drive.root.toStdString(),
                                                drive.label.toStdString())),
        drive.root);
  }
  updating_ = false;
  if (drive_list_->count() == 0) return;

  QString shown = QDir::cleanPath(QDir(folder).absolutePath());
  drive_index_ = DriveIndexHolding(shown);
  if (drive_index_ < 0) {
    drive_index_ = 0;
    shown = drive_list_->itemData(0).toString();
  }
  {
    const QSignalBlocker blocker(drive_list_);
    drive_list_->setCurrentIndex(drive_index_);
  }
  ShowFolder(drive_list_->itemData(drive_index_).toString(), shown);
}

int DataFileChooser::DriveIndexHolding(const QString& folder) const {
  // Volumes nest on Linux: the innermost one holds the folder.
  int found = -1;
  for (int i = 0; i < drive_list_->count(); ++i) {
    const QString root = drive_list_->itemData(i).toString();
    if (IsOnDrive(folder, root) &&
        (found < 0 ||
         root.size() > drive_list_->itemData(found).toString().size())) {
      found = i;
    }
  }
  return found;
}

void DataFileChooser::OnDriveChosen(int index) {
  if (updating_ || index < 0 || index == drive_index_) return;
  const QString root = drive_list_->itemData(index).toString();
  if (!hooks_.is_ready(root)) {
    sink_->ShowWarning(
        DriveNotReadyText(drive_list_->itemText(index).toStdString()),
        kDriveNotReadyTitle);
    const QSignalBlocker blocker(drive_list_);
    drive_list_->setCurrentIndex(drive_index_);
    return;
  }
  drive_index_ = index;
  QString folder =
      QString::fromStdString(drive_folders_.CurrentFolder(root.toStdString()));
  if (!QFileInfo(folder).isDir()) folder = root;
  ShowFolder(root, folder);
}

void DataFileChooser::ShowFolder(const QString& root, const QString& folder) {
  updating_ = true;
  folder_tree_->clear();
  const QIcon folder_icon =
      folder_tree_->style()->standardIcon(QStyle::SP_DirIcon);
  auto* item = new QTreeWidgetItem(folder_tree_,
                                   QStringList(QDir::toNativeSeparators(root)));
  SetUpFolderItem(item, root,
                  folder_tree_->style()->standardIcon(QStyle::SP_DriveHDIcon));

  // Open the tree down to the folder, one name at a time.
  const QStringList names =
      folder.mid(root.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts);
  for (const QString& name : names) {
    FillChildren(item);
    QTreeWidgetItem* child = nullptr;
    for (int i = 0; i < item->childCount() && child == nullptr; ++i) {
      if (item->child(i)->text(0).compare(name, kPathCase) == 0) {
        child = item->child(i);
      }
    }
    const QString path = ChildPath(item->data(0, kPathRole).toString(), name);
    if (child == nullptr) {
      // A hidden folder on the way, or one that has gone.
      if (!QFileInfo(path).isDir()) break;
      child = new QTreeWidgetItem(item, QStringList(name));
      SetUpFolderItem(child, path, folder_icon);
    }
    item->setExpanded(true);
    item = child;
  }
  folder_tree_->setCurrentItem(item);
  folder_tree_->scrollToItem(item);
  updating_ = false;

  const QString shown = item->data(0, kPathRole).toString();
  drive_folders_.Remember(root.toStdString(), shown.toStdString());
  ListFiles(shown);
}

void DataFileChooser::Refresh() {
  if (drive_index_ < 0 || folder_tree_->topLevelItemCount() == 0) return;
  const QString root = drive_list_->itemData(drive_index_).toString();
  if (!QFileInfo(folder_).isDir()) {
    // The folder shown has gone: show the nearest one above it still there.
    QString folder = folder_;
    while (folder.size() > root.size() && !QFileInfo(folder).isDir()) {
      folder = QFileInfo(folder).path();
    }
    ShowFolder(root, folder);
    return;
  }
  updating_ = true;
  RefreshChildren(folder_tree_->topLevelItem(0));
  updating_ = false;
  ListFiles(folder_);
}

void DataFileChooser::RefreshChildren(QTreeWidgetItem* item) {
  if (!item->data(0, kFilledRole).toBool()) {
    // Not listed yet: only whether it has anything to open may have changed.
    if (item->childCount() == 0) {
      const QString path = item->data(0, kPathRole).toString();
      item->setChildIndicatorPolicy(HasSubfolder(path)
                                        ? QTreeWidgetItem::ShowIndicator
                                        : QTreeWidgetItem::DontShowIndicator);
    }
    return;
  }
  const QString path = item->data(0, kPathRole).toString();
  const QStringList names = QDir(path).entryList(
      QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
  // Drop the folders that have gone; a hidden one on the way stays while it
  // is there.
  for (int i = item->childCount() - 1; i >= 0; --i) {
    if (!QFileInfo(item->child(i)->data(0, kPathRole).toString()).isDir()) {
      delete item->takeChild(i);
    }
  }
  QSet<QString> listed;
  for (int i = 0; i < item->childCount(); ++i)
    listed << item->child(i)->text(0);
  const QIcon folder_icon =
      folder_tree_->style()->standardIcon(QStyle::SP_DirIcon);
  for (const QString& name : names) {
    if (listed.contains(name)) continue;
    // In order among the listed names, as FillChildren sorts them.
    int at = 0;
    while (at < item->childCount() &&
           item->child(at)->text(0).compare(name, Qt::CaseInsensitive) < 0) {
      ++at;
    }
    auto* child = new QTreeWidgetItem(QStringList(name));
    item->insertChild(at, child);
    SetUpFolderItem(child, ChildPath(path, name), folder_icon);
  }
  for (int i = 0; i < item->childCount(); ++i) RefreshChildren(item->child(i));
}

void DataFileChooser::WatchListedFolders() {
  QStringList folders;
  QList<QTreeWidgetItem*> pending;
  for (int i = 0; i < folder_tree_->topLevelItemCount(); ++i) {
    pending << folder_tree_->topLevelItem(i);
  }
  while (!pending.isEmpty()) {
    QTreeWidgetItem* item = pending.takeLast();
    if (!item->data(0, kFilledRole).toBool()) continue;
    folders << item->data(0, kPathRole).toString();
    for (int i = 0; i < item->childCount(); ++i) pending << item->child(i);
  }
  if (!folder_.isEmpty() && !folders.contains(folder_)) folders << folder_;
  const QStringList watched = watcher_->directories();
  if (QSet<QString>(watched.begin(), watched.end()) ==
      QSet<QString>(folders.begin(), folders.end())) {
    return;
  }
  if (!watched.isEmpty()) watcher_->removePaths(watched);
  if (!folders.isEmpty()) watcher_->addPaths(folders);
}

void DataFileChooser::FillChildren(QTreeWidgetItem* item) {
  if (item->data(0, kFilledRole).toBool()) return;
  item->setData(0, kFilledRole, true);
  const QString path = item->data(0, kPathRole).toString();
  const QIcon folder_icon =
      folder_tree_->style()->standardIcon(QStyle::SP_DirIcon);
  const QStringList names = QDir(path).entryList(
      QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
  for (const QString& name : names) {
    SetUpFolderItem(new QTreeWidgetItem(item, QStringList(name)),
                    ChildPath(path, name), folder_icon);
  }
  item->setChildIndicatorPolicy(
      QTreeWidgetItem::DontShowIndicatorWhenChildless);
  WatchListedFolders();
}

void DataFileChooser::OnFolderItemChosen(QTreeWidgetItem* item) {
  if (updating_ || item == nullptr) return;
  const QString folder = item->data(0, kPathRole).toString();
  drive_folders_.Remember(
      drive_list_->itemData(drive_index_).toString().toStdString(),
      folder.toStdString());
  ListFiles(folder);
}

void DataFileChooser::ListFiles(const QString& folder) {
  const bool same_folder = folder == folder_;
  const QListWidgetItem* current = file_list_->currentItem();
  const QString current_name =
      same_folder && current != nullptr ? current->text() : QString();
  const bool selected = current != nullptr && current->isSelected();
  const int scrolled = file_list_->verticalScrollBar()->value();

  folder_ = folder;
  updating_ = true;
  file_list_->clear();
  // Listed and sorted by the rule every window's file list follows.
  std::vector<std::string> names;
  for (const QString& name : QDir(folder).entryList(QDir::Files)) {
    names.push_back(name.toStdString());
  }
  for (const std::string& name : ListedFileNames(std::move(names))) {
    file_list_->addItem(QString::fromStdString(name));
  }
  if (!current_name.isEmpty()) {
    const QList<QListWidgetItem*> found =
        file_list_->findItems(current_name, Qt::MatchExactly);
    if (!found.isEmpty()) {
      file_list_->setCurrentItem(found.first(),
                                 selected ? QItemSelectionModel::ClearAndSelect
                                          : QItemSelectionModel::NoUpdate);
    }
    file_list_->verticalScrollBar()->setValue(scrolled);
  }
  updating_ = false;
  WatchListedFolders();
}

bool DataFileChooser::eventFilter(QObject* watched, QEvent* event) {
  if (watched == file_list_ && event->type() == QEvent::KeyPress &&
      file_list_->selectedItems().isEmpty() && file_list_->count() > 0) {
    // The focus frame alone does not choose a file; the first Down or Up
    // chooses the framed one rather than the one after it.
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Down || key == Qt::Key_Up) {
      QListWidgetItem* item = file_list_->currentItem();
      if (item == nullptr) item = file_list_->item(0);
      file_list_->setCurrentItem(item, QItemSelectionModel::ClearAndSelect);
      return true;
    }
  }
  if (event->type() == QEvent::ToolTip) {
    for (QAbstractItemView* view :
         {static_cast<QAbstractItemView*>(folder_tree_),
          static_cast<QAbstractItemView*>(file_list_)}) {
      if (watched != view->viewport()) continue;
      const auto* help = static_cast<QHelpEvent*>(event);
      const QModelIndex index = view->indexAt(help->pos());
      const QString text = CutOffText(*view, index);
      if (text.isEmpty()) {
        QToolTip::hideText();
      } else {
        QToolTip::showText(help->globalPos(), text, view->viewport(),
                           view->visualRect(index));
      }
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}

void DataFileChooser::OnFileChosen() {
  if (updating_) return;
  const QList<QListWidgetItem*> chosen = file_list_->selectedItems();
  if (chosen.isEmpty()) return;
  emit DataFileClicked(JoinDataFilePath(
      QDir::toNativeSeparators(folder_).toStdString(),
      chosen.first()->text().toStdString(), QDir::separator().toLatin1()));
}

}  // namespace xsrating
