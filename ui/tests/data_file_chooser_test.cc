// SPDX-License-Identifier: GPL-3.0-or-later
// The drive, folder and file lists on drives made of temporary folders.
#include "ui/data_file_chooser.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QListWidget>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <string>

#include "ui/tests/test_support.h"

namespace xsrating {
namespace {

// Pixels darker than mid-grey within `rect` of `image`.
int DarkPixels(const QImage& image, QRect rect) {
  rect &= image.rect();
  int dark = 0;
  for (int y = rect.top(); y <= rect.bottom(); ++y) {
    for (int x = rect.left(); x <= rect.right(); ++x) {
      if (qGray(image.pixel(x, y)) < 128) ++dark;
    }
  }
  return dark;
}

// The dark pixels of `text` drawn in `font` with room all round.
int DarkPixelsOfText(const QString& text, const QFont& font) {
  QImage image(600, 200, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setFont(font);
  painter.setPen(Qt::black);
  painter.drawText(QPoint(20, 100), text);
  painter.end();
  return DarkPixels(image, image.rect());
}

}  // namespace

class DataFileChooserTest : public QObject {
  Q_OBJECT

 private:
  // The three lists in a window of their own.
  struct Lists {
    QWidget window;
    QComboBox* drives = new QComboBox(&window);
    QTreeWidget* folders = new QTreeWidget(&window);
    QListWidget* files = new QListWidget(&window);

    Lists() {
      auto* column = new QVBoxLayout(&window);
      column->addWidget(drives);
      column->addWidget(folders);
      column->addWidget(files);
      window.resize(300, 600);
    }
  };

  QString Path(const QString& relative) const {
    return QDir::cleanPath(root_ + QLatin1Char('/') + relative);
  }

  bool MakeFolders(const QStringList& relatives) const {
    for (const QString& relative : relatives) {
      if (!QDir().mkpath(Path(relative))) return false;
    }
    return true;
  }

  // Drives "a" and "b" (not ready while b_ready_ is false), and "a/mnt/usb"
  // mounted inside "a".
  DriveHooks Drives() {
    return {
        [this] {
          return QList<Drive>{{Path("a"), "SYSTEM"},
                              {Path("b"), ""},
                              {Path("a/mnt/usb"), "U盘"}};
        },
        [this](const QString& root) { return root != Path("b") || b_ready_; }};
  }

  QTemporaryDir temp_;
  QString root_;
  RecordingSink sink_;
  bool b_ready_ = true;

 private slots:
  void initTestCase() {
    QVERIFY(temp_.isValid());
    root_ = QDir(temp_.path()).canonicalPath();
    QVERIFY(MakeFolders({"a/data/sub", "a/.hidden/inner", "a/mnt/usb/d",
                         "a/mnt/usb2", "b/survey"}));
    QVERIFY(WriteFile(Path("a/data/sec1.txt"), "0,5\r\n10,0\r\n"));
    QVERIFY(WriteFile(Path("b/survey/b.txt"), ""));
  }

  void init() {
    sink_.messages.clear();
    b_ready_ = true;
    // What followsTheFileSystem makes, should it have failed half-way.
    QFile::remove(Path("a/data/sec1成果.txt"));
    QDir().rmdir(Path("a/data/new"));
  }

  // Each row: the mount table as "root type" pairs, and the roots listed.
  void drivesFromVolumes_data() {
    QTest::addColumn<QStringList>("mounts");
    QTest::addColumn<QStringList>("roots");
    QTest::newRow("chroot: only the kernel's own file systems")
        << QStringList{"/proc proc", "/dev devtmpfs", "/sys sysfs"}
        << QStringList{"/"};
    QTest::newRow("desktop") << QStringList{"/ ext4",
                                            "/dev/pts devpts",
                                            "/run tmpfs",
                                            "/run/user/1000 tmpfs",
                                            "/sys/fs/cgroup cgroup2",
                                            "/boot/efi vfat",
                                            "/home ext4",
                                            "/media/hy/KINGSTON vfat",
                                            "/run/media/hy/U盘 exfat",
                                            "/snap/core/1 squashfs",
                                            "/tmp tmpfs"}
                             << QStringList{"/",
                                            "/boot/efi",
                                            "/home",
                                            "/media/hy/KINGSTON",
                                            "/run/media/hy/U盘",
                                            "/tmp"};
    QTest::newRow("container: root is an overlay, listed once")
        << QStringList{"/ overlay", "/ overlay", "/workspace ext4",
                       "/proc/sys proc", "/data nfs4"}
        << QStringList{"/", "/data", "/workspace"};
  }

  void drivesFromVolumes() {
    QFETCH(QStringList, mounts);
    QFETCH(QStringList, roots);
    QList<MountedVolume> volumes;
    for (const QString& mount : mounts) {
      const QStringList parts = mount.split(QLatin1Char(' '));
      volumes.append({parts[0], QString(), parts[1].toLatin1()});
    }
    QStringList listed;
    for (const Drive& drive : DrivesFromVolumes(volumes)) {
      listed.append(drive.root);
    }
    QCOMPARE(listed, roots);
  }

  void listsTxtFilesInAnyCase() {
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    for (const char* name : {"c.Txt", "a.txt", "B.TXT", "d.csv", "e.txt.bak",
                             ".hidden.txt", "txt"}) {
      QVERIFY(WriteFile(folder.filePath(name), ""));
    }
    QVERIFY(QDir(folder.path()).mkdir("folder.txt"));

    Lists lists;
    DataFileChooser chooser(lists.drives, lists.folders, lists.files, &sink_,
                            {[&] {
                               return QList<Drive>{{folder.path(), ""}};
                             },
                             [](const QString&) { return true; }});
    chooser.Open(folder.path());
    QCOMPARE(ListedFiles(lists.files),
             QStringList({"a.txt", "B.TXT", "c.Txt"}));
  }

  // Where the lists open: the drive that holds the folder, nested volumes
  // included, and the folder in the tree.
  void opens_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("drive");
    QTest::addColumn<QString>("shown");
    QTest::newRow("drive root") << "a"
                                << "a"
                                << "a";
    QTest::newRow("folder") << "a/data/sub"
                            << "a"
                            << "a/data/sub";
    QTest::newRow("nested volume") << "a/mnt/usb/d"
                                   << "a/mnt/usb"
                                   << "a/mnt/usb/d";
    QTest::newRow("name starting like a volume") << "a/mnt/usb2"
                                                 << "a"
                                                 << "a/mnt/usb2";
    QTest::newRow("hidden folder on the way") << "a/.hidden/inner"
                                              << "a"
                                              << "a/.hidden/inner";
    QTest::newRow("on no drive") << ".."
                                 << "a"
                                 << "a";
  }

  void opens() {
    QFETCH(QString, folder);
    QFETCH(QString, drive);
    QFETCH(QString, shown);

    Lists lists;
    DataFileChooser chooser(lists.drives, lists.folders, lists.files, &sink_,
                            Drives());
    chooser.Open(Path(folder));
    QCOMPARE(lists.drives->currentData().toString(), Path(drive));
    QCOMPARE(chooser.folder(), Path(shown));
    QCOMPARE(lists.folders->topLevelItemCount(), 1);
    QCOMPARE(lists.folders->topLevelItem(0)->text(0),
             QDir::toNativeSeparators(Path(drive)));
    QTreeWidgetItem* current = lists.folders->currentItem();
    QVERIFY(current != nullptr);
    // The tree leads from the drive down to the folder, name by name.
    QStringList way;
    for (QTreeWidgetItem* item = current; item->parent() != nullptr;
         item = item->parent()) {
      way.prepend(item->text(0));
    }
    QCOMPARE(way.join(QLatin1Char('/')),
             Path(shown).mid(Path(drive).size() + 1));
  }

  void hiddenFoldersOnlyOnTheWay() {
    Lists lists;
    DataFileChooser chooser(lists.drives, lists.folders, lists.files, &sink_,
                            Drives());
    chooser.Open(Path("a/data"));
    QTreeWidgetItem* top = lists.folders->topLevelItem(0);
    QStringList children;
    for (int i = 0; i < top->childCount(); ++i)
      children << top->child(i)->text(0);
    QCOMPARE(children, QStringList({"data", "mnt"}));
  }

  void driveKeepsItsFolder() {
    Lists lists;
    lists.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&lists.window));
    DataFileChooser chooser(lists.drives, lists.folders, lists.files, &sink_,
                            Drives());
    QSignalSpy clicks(&chooser, &DataFileChooser::DataFileClicked);
    chooser.Open(Path("a"));
    QVERIFY(ClickFolder(lists.folders, Path("a/data")));
    QCOMPARE(ListedFiles(lists.files), QStringList("sec1.txt"));

    lists.drives->setCurrentIndex(1);
    QCOMPARE(chooser.folder(), Path("b"));
    QVERIFY(ListedFiles(lists.files).isEmpty());
    QVERIFY(ClickFolder(lists.folders, Path("b/survey")));
    QCOMPARE(ListedFiles(lists.files), QStringList("b.txt"));

    lists.drives->setCurrentIndex(0);
    QCOMPARE(chooser.folder(), Path("a/data"));
    lists.drives->setCurrentIndex(1);
    QCOMPARE(chooser.folder(), Path("b/survey"));
    QCOMPARE(clicks.count(), 0);
    QVERIFY(sink_.messages.empty());
  }

  // In a folder of names with underscores, one too long for the list: rows
  // hold every pixel of a name, a cut-off name has a tooltip, and the first
  // Down or Up after tabbing in chooses the framed file.
  void fileListRows_data() {
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<QString>("chosen");
    QTest::newRow("Down") << QList<int>{Qt::Key_Down} << "____.txt";
    QTest::newRow("Up") << QList<int>{Qt::Key_Up} << "____.txt";
    QTest::newRow("Down twice")
        << QList<int>{Qt::Key_Down, Qt::Key_Down} << "river_section.txt";
  }

  void fileListRows() {
    QFETCH(QList<int>, keys);
    QFETCH(QString, chosen);
    const QString long_name = QString(60, QLatin1Char('w')) + ".txt";
    for (const QString& name :
         {QStringLiteral("____.txt"), QStringLiteral("river_section.txt"),
          QStringLiteral("长江_测站_2024.txt"), long_name}) {
      QVERIFY(WriteFile(Path("a/data/sub/" + name), ""));
    }
    Lists lists;
    // A Song face whose underscore lies below its descent, on a line no
    // taller than ascent and descent.
    QFont font = lists.window.font();
    font.setFamilies({"AR PL UMing CN", "宋体"});
    font.setPointSizeF(9);
    lists.files->setFont(font);
    DataFileChooser chooser(lists.drives, lists.folders, lists.files, &sink_,
                            Drives());
    QSignalSpy clicks(&chooser, &DataFileChooser::DataFileClicked);
    chooser.Open(Path("a/data/sub"));
    lists.window.show();
    lists.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&lists.window));

    const QImage shown = lists.files->viewport()->grab().toImage();
    for (int i = 0; i < lists.files->count(); ++i) {
      QListWidgetItem* item = lists.files->item(i);
      const QRect row = lists.files->visualItemRect(item);
      QVERIFY(row.height() >= QFontMetrics(font).lineSpacing());
      if (item->text() == long_name) continue;
      QCOMPARE(DarkPixels(shown, row), DarkPixelsOfText(item->text(), font));
      QCOMPARE(CutOffText(*lists.files, lists.files->indexFromItem(item)),
               QString());
    }
    QCOMPARE(CutOffText(*lists.files, lists.files->model()->index(2, 0)),
             long_name);

    lists.folders->setFocus();
    QTest::keyClick(lists.folders, Qt::Key_Tab);
    QVERIFY(lists.files->hasFocus() && lists.files->selectedItems().isEmpty());
    for (int key : keys) QTest::keyClick(lists.files, Qt::Key(key));
    QCOMPARE(ListedFiles(lists.files).value(lists.files->currentRow()), chosen);
    QVERIFY(lists.files->currentItem()->isSelected());
    QCOMPARE(clicks.count(), keys.size());
  }

  // Files and folders that appear or go while the program runs: shown at
  // once after Refresh, and a moment later without it.
  void followsTheFileSystem_data() {
    QTest::addColumn<bool>("refresh");
    QTest::newRow("refreshed") << true;
    QTest::newRow("noticed") << false;
  }

  void followsTheFileSystem() {
    QFETCH(bool, refresh);
    Lists lists;
    lists.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&lists.window));
    DataFileChooser chooser(lists.drives, lists.folders, lists.files, &sink_,
                            Drives());
    QSignalSpy clicks(&chooser, &DataFileChooser::DataFileClicked);
    chooser.Open(Path("a/data"));
    QVERIFY(ClickFile(lists.files, "sec1.txt"));
    QTreeWidgetItem* data = lists.folders->currentItem();
    lists.folders->expandItem(data);
    const auto children = [&] {
      QStringList names;
      for (int i = 0; i < data->childCount(); ++i)
        names << data->child(i)->text(0);
      return names;
    };

    QVERIFY(WriteFile(Path("a/data/sec1成果.txt"), ""));
    QVERIFY(QDir().mkpath(Path("a/data/new")));
    if (refresh) chooser.Refresh();
    QTRY_COMPARE(ListedFiles(lists.files),
                 QStringList({"sec1.txt", "sec1成果.txt"}));
    QTRY_COMPARE(children(), QStringList({"new", "sub"}));
    QCOMPARE(lists.files->selectedItems().value(0)->text(), "sec1.txt");

    QVERIFY(QFile::remove(Path("a/data/sec1成果.txt")));
    QVERIFY(QDir().rmdir(Path("a/data/new")));
    if (refresh) chooser.Refresh();
    QTRY_COMPARE(ListedFiles(lists.files), QStringList("sec1.txt"));
    QTRY_COMPARE(children(), QStringList("sub"));
    QCOMPARE(clicks.count(), 1);  // Only the click chose a file.
  }

  void driveNotReady() {
    b_ready_ = false;
    Lists lists;
    DataFileChooser chooser(lists.drives, lists.folders, lists.files, &sink_,
                            Drives());
    chooser.Open(Path("a/data"));

    lists.drives->setCurrentIndex(1);
    QCOMPARE(sink_.messages.size(), size_t{1});
    QCOMPARE(sink_.messages[0].title, std::string("驱动器未就绪"));
    QVERIFY(QString::fromStdString(sink_.messages[0].text)
                .contains(QDir::toNativeSeparators(Path("b"))));
    QCOMPARE(lists.drives->currentIndex(), 0);
    QCOMPARE(chooser.folder(), Path("a/data"));
    QCOMPARE(ListedFiles(lists.files), QStringList("sec1.txt"));

    // The medium is in now.
    b_ready_ = true;
    lists.drives->setCurrentIndex(1);
    QCOMPARE(sink_.messages.size(), size_t{1});
    QCOMPARE(chooser.folder(), Path("b"));
  }
};

}  // namespace xsrating

QTEST_MAIN(xsrating::DataFileChooserTest)
#include "data_file_chooser_test.moc"
