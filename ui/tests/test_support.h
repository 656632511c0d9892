// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_UI_TESTS_TEST_SUPPORT_H_
#define XSRATING_UI_TESTS_TEST_SUPPORT_H_

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <string>
#include <vector>

#include "core/run.h"
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

}  // namespace xsrating

#endif  // XSRATING_UI_TESTS_TEST_SUPPORT_H_
