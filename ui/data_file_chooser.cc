// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/data_file_chooser.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QListWidget>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QStyle>
#include <QTreeWidget>
#include <QTreeWidgetItem>
#include <algorithm>
#include <string>
#include <string_view>
#include <utility>

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

constexpr char kDriveNotReadyTitle[] = "驱动器未就绪";

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

}  // namespace

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
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    if (!volume.isValid() || !QFileInfo(volume.rootPath()).isDir()) continue;
    const bool listed = std::any_of(
        drives.begin(), drives.end(),
        [&](const Drive& drive) { return drive.root == volume.rootPath(); });
    if (!listed) drives.append({volume.rootPath(), volume.name()});
  }
  std::sort(drives.begin(), drives.end(),
            [](const Drive& a, const Drive& b) { return a.root < b.root; });
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

QString DriveDisplayText(const Drive& drive) {
#ifdef Q_OS_WIN
  QString text = drive.root.left(2).toLower();
#else
  QString text = drive.root;
#endif
  if (!drive.label.isEmpty()) {
    text += QStringLiteral(" [") + drive.label + QLatin1Char(']');
  }
  return text;
}

std::string JoinDataFilePath(std::string_view folder,
                             std::string_view file_name, char separator) {
  std::string path(folder);
  if (path.empty() || path.back() != separator) path += separator;
  path += file_name;
  return path;
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
      hooks_(std::move(hooks)) {
  if (!hooks_.list) hooks_.list = SystemDrives;
  if (!hooks_.is_ready) hooks_.is_ready = DriveIsReady;

  folder_tree_->setHeaderHidden(true);
  folder_tree_->setColumnCount(1);
  file_list_->setSelectionMode(QAbstractItemView::SingleSelection);

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
    drive_list_->addItem(DriveDisplayText(drive), drive.root);
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
    const QString text =
        QStringLiteral("驱动器 %1 未就绪，请放入磁盘或选择其他驱动器。")
            .arg(drive_list_->itemText(index));
    sink_->ShowWarning(text.toStdString(), kDriveNotReadyTitle);
    const QSignalBlocker blocker(drive_list_);
    drive_list_->setCurrentIndex(drive_index_);
    return;
  }
  drive_index_ = index;
  QString folder = drive_folders_.value(root, root);
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
  drive_folders_.insert(root, shown);
  ListFiles(shown);
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
}

void DataFileChooser::OnFolderItemChosen(QTreeWidgetItem* item) {
  if (updating_ || item == nullptr) return;
  const QString folder = item->data(0, kPathRole).toString();
  drive_folders_.insert(drive_list_->itemData(drive_index_).toString(), folder);
  ListFiles(folder);
}

void DataFileChooser::ListFiles(const QString& folder) {
  folder_ = folder;
  updating_ = true;
  file_list_->clear();
  // Name filters match in any letter case unless told otherwise.
  file_list_->addItems(QDir(folder).entryList(
      {QStringLiteral("*.txt")}, QDir::Files, QDir::Name | QDir::IgnoreCase));
  updating_ = false;
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
