// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_UI_TESTS_TEST_SUPPORT_H_
#define XSRATING_UI_TESTS_TEST_SUPPORT_H_

#include <QByteArray>
#include <QFont>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

#include "core/run/run.h"
#include "tests/support/recording_sink.h"

class QListWidget;
class QTreeWidget;

namespace xsrating {

// Writes `bytes` to the file at `path`; false when it cannot.
bool WriteFile(const QString& path, const QByteArray& bytes);

// Clicks `folder` in a folder tree as a user would: opens the way to it from
// the drive's item at the top, then clicks it. False when the way is not
// there. The tree must be visible.
bool ClickFolder(QTreeWidget* tree, const QString& folder);

// Clicks the file named `name` in a file list; false when it is not listed.
bool ClickFile(QListWidget* list, const QString& name);

// The names a file list shows, in order.
QStringList ListedFiles(const QListWidget* list);

// What a message box showed, read while it was open.
struct SeenBox {
  bool found = false;  // A box opened.
  bool modal = false;
  QWidget* parent = nullptr;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QString title;
  QString text;
  Qt::TextFormat format = Qt::AutoText;
  QStringList buttons;
  QFont font;
  int width = 0;
};

// Calls `action` and answers the first message box it opens, as a user
// would, with a click on its first button; returns what the box showed.
SeenBox AnswerMessageBox(const std::function<void()>& action);

}  // namespace xsrating

#endif  // XSRATING_UI_TESTS_TEST_SUPPORT_H_
