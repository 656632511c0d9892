// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/tests/test_support.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTest>
#include <QTreeWidget>

namespace xsrating {

bool WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool ClickFolder(QTreeWidget* tree, const QString& folder) {
  QTreeWidgetItem* item = tree->topLevelItem(0);
  if (item == nullptr) return false;
  const QString root = QDir::fromNativeSeparators(item->text(0));
  if (!folder.startsWith(root)) return false;
  for (const QString& name :
       folder.mid(root.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
    tree->expandItem(item);
    QTreeWidgetItem* child = nullptr;
    for (int i = 0; i < item->childCount() && child == nullptr; ++i) {
      if (item->child(i)->text(0) == name) child = item->child(i);
    }
    if (child == nullptr) return false;
    item = child;
  }
  tree->scrollToItem(item);
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier,
                    tree->visualItemRect(item).center());
  return tree->currentItem() == item;
}

bool ClickFile(QListWidget* list, const QString& name) {
  const QList<QListWidgetItem*> found = list->findItems(name, Qt::MatchExactly);
  if (found.size() != 1) return false;
  list->scrollToItem(found.first());
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                    list->visualItemRect(found.first()).center());
  return list->currentItem() == found.first();
}

QStringList ListedFiles(const QListWidget* list) {
  QStringList names;
  for (int i = 0; i < list->count(); ++i) names << list->item(i)->text();
  return names;
}

}  // namespace xsrating
