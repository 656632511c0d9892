// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_UI_FILE_DIALOGS_H_
#define XSRATING_UI_FILE_DIALOGS_H_

// The dialogs that ask for a file to open or a name to save under: Qt's own
// dialog rather than the desktop's, so that it looks the same everywhere and
// every text in it is Chinese whatever the system's language (Qt's catalogue
// leaves some of the dialog's texts, and the system's locale its dates, in
// English), with the list in detail view and its columns as wide as what
// they show.

#include <QFileDialog>
#include <QString>
#include <memory>

class QWidget;

namespace xsrating {

// A dialog titled `caption` over `parent` that opens a file or saves one
// (`mode`, its button "打开" or "保存"), in `folder` (or on the file `folder`
// names), offering the files of `filter` ("CSV 表格 (*.csv)", several set
// apart by ";;"). Its list's columns are 名称, 大小, 类型 and
// 修改日期: sizes in KB and MB, a folder's type 文件夹 and a file's its
// extension in capitals and 文件 ("TXT 文件"), dates as 2026/12/7 14:05.
std::unique_ptr<QFileDialog> NewFileDialog(QWidget* parent,
                                           const QString& caption,
                                           const QString& folder,
                                           const QString& filter,
                                           QFileDialog::AcceptMode mode);

// Asks for an existing file to open; returns its path, empty when cancelled.
QString ChooseOpenPath(QWidget* parent, const QString& caption,
                       const QString& folder, const QString& filter);

// Asks where to save a file, suggesting `suggested`; a name typed without an
// extension gets `default_suffix` ("png") before the dialog asks whether to
// replace an existing file. Returns the path, empty when cancelled.
QString ChooseSavePath(QWidget* parent, const QString& caption,
                       const QString& suggested, const QString& filter,
                       const QString& default_suffix);

}  // namespace xsrating

#endif  // XSRATING_UI_FILE_DIALOGS_H_
