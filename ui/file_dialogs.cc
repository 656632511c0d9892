// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/file_dialogs.h"

#include <QDateTime>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QScreen>
#include <QTreeView>
#include <iterator>

namespace xsrating {
namespace {

// The dialog's size when the screen has room for it: wide enough for a long
// name beside its size, type and date.
constexpr QSize kDialogSize(820, 500);

const QLocale& Chinese() {
  static const QLocale locale(QLocale::Chinese,
                              QLocale::SimplifiedChineseScript, QLocale::China);
  return locale;
}

// The columns of the dialog's list, as a Chinese desktop writes them. Qt's
// model takes its sizes and dates from the system's locale and the type of a
// folder from a text its Chinese catalogue lacks.
class ChineseFileColumns : public QIdentityProxyModel {
 public:
  using QIdentityProxyModel::QIdentityProxyModel;

  QVariant headerData(int section, Qt::Orientation orientation,
                      int role) const override {
    static const char* const kHeads[] = {"名称", "大小", "类型", "修改日期"};
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole &&
        section >= 0 && section < static_cast<int>(std::size(kHeads))) {
      return QString::fromUtf8(kHeads[section]);
    }
    return QIdentityProxyModel::headerData(section, orientation, role);
  }

  QVariant data(const QModelIndex& index, int role) const override {
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (role != Qt::DisplayRole || index.column() == 0 || files == nullptr) {
      return QIdentityProxyModel::data(index, role);
    }
    const QFileInfo info = files->fileInfo(mapToSource(index));
    switch (index.column()) {
      case 1:
        return info.isDir()
                   ? QString()
                   : Chinese().formattedDataSize(
                         info.size(), 1, QLocale::DataSizeTraditionalFormat);
      case 2:
        if (info.isRoot()) return QStringLiteral("驱动器");
        if (info.isDir()) return QStringLiteral("文件夹");
        if (info.suffix().isEmpty()) return QStringLiteral("文件");
        return info.suffix().toUpper() + QStringLiteral(" 文件");
      case 3:
        return Chinese().toString(info.lastModified(),
                                  QStringLiteral("yyyy/M/d H:mm"));
      default:
        return QIdentityProxyModel::data(index, role);
    }
  }
};

}  // namespace

std::unique_ptr<QFileDialog> NewFileDialog(QWidget* parent,
                                           const QString& caption,
                                           const QString& folder,
                                           const QString& filter,
                                           QFileDialog::AcceptMode mode) {
  auto dialog = std::make_unique<QFileDialog>(parent, caption, folder, filter);
  dialog->setOption(QFileDialog::DontUseNativeDialog);
  dialog->setAcceptMode(mode);
  const bool open = mode == QFileDialog::AcceptOpen;
  // An existing file to open; any name to save under.
  dialog->setFileMode(open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  dialog->setLabelText(QFileDialog::Accept,
                       open ? QStringLiteral("打开") : QStringLiteral("保存"));
  dialog->setViewMode(QFileDialog::Detail);
  dialog->setProxyModel(new ChineseFileColumns(dialog.get()));
  dialog->setLabelText(QFileDialog::LookIn, QStringLiteral("查找范围："));
  dialog->setLabelText(QFileDialog::FileName, QStringLiteral("文件名："));
  dialog->setLabelText(QFileDialog::FileType, QStringLiteral("文件类型："));
  dialog->setLabelText(QFileDialog::Reject, QStringLiteral("取消"));
  // The name takes the room left; the other columns are as wide as what
  // they show, so that none is cut.
  if (auto* list = dialog->findChild<QTreeView*>(QStringLiteral("treeView"))) {
    QHeaderView* header = list->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
  }
  QSize size = kDialogSize;
  if (const QScreen* screen =
          parent != nullptr ? parent->screen() : dialog->screen()) {
    size = size.boundedTo(screen->availableSize());
  }
  dialog->resize(size);
  return dialog;
}

QString ChooseOpenPath(QWidget* parent, const QString& caption,
                       const QString& folder, const QString& filter) {
  const std::unique_ptr<QFileDialog> dialog =
      NewFileDialog(parent, caption, folder, filter, QFileDialog::AcceptOpen);
  if (dialog->exec() != QDialog::Accepted) return QString();
  return dialog->selectedFiles().value(0);
}

QString ChooseSavePath(QWidget* parent, const QString& caption,
                       const QString& suggested, const QString& filter,
                       const QString& default_suffix) {
  const std::unique_ptr<QFileDialog> dialog = NewFileDialog(
      parent, caption, QString(), filter, QFileDialog::AcceptSave);
  // A name typed without an extension gets the file's, before the dialog
  // asks whether to replace an existing file.
  dialog->setDefaultSuffix(default_suffix);
  if (!suggested.isEmpty()) dialog->selectFile(suggested);
  if (dialog->exec() != QDialog::Accepted) return QString();
  return dialog->selectedFiles().value(0);
}

}  // namespace xsrating
