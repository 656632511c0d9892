// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/tests/test_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QTest>
#include <QTimer>
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

SeenBox AnswerMessageBox(const std::function<void()>& action) {
  SeenBox seen;
  QElapsedTimer waited;
  waited.start();
  QTimer answer;
  answer.setInterval(20);
  QObject::connect(&answer, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) {
      if (waited.elapsed() > 10000) answer.stop();  // None: found stays false.
      return;
    }
    answer.stop();
    seen = {true,
            box->isModal(),
            box->parentWidget(),
            box->icon(),
            box->windowTitle(),
            box->text(),
            box->textFormat(),
            {},
            box->font(),
            box->width()};
    for (QAbstractButton* button : box->buttons()) {
      seen.buttons << button->text();
    }
    QTest::mouseClick(box->buttons().value(0), Qt::LeftButton);
  });
  answer.start();
  action();
  return seen;
}

}  // namespace xsrating
