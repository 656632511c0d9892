// SPDX-License-Identifier: GPL-3.0-or-later
// The window's message boxes: how a message's lines reach the box, and one
// real box, answered by a timer as a user would.
#include "ui/message_box_sink.h"

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QMessageBox>
#include <QTest>
#include <QWidget>
#include <string>

#include "form/format_help.h"
#include "ui/fonts.h"
#include "ui/qt_translations.h"
#include "ui/tests/test_support.h"

namespace xsrating {

class MessageBoxSinkTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QVERIFY(InstallQtChineseTranslations(qApp)); }

  void text_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("one line") << "D:\\data\\sec1成果.txt"
                              << "D:\\data\\sec1成果.txt";
    QTest::newRow("lone CR") << "第一行\r第二行"
                             << "第一行\n第二行";
    QTest::newRow("CR LF") << "a\r\nb"
                           << "a\nb";
    QTest::newRow("empty line between") << "a\r\rb"
                                        << "a\n\nb";
    QTest::newRow("LF kept") << "a\nb"
                             << "a\nb";
    QTest::newRow("markup stays text") << "<b>x</b> & y"
                                       << "<b>x</b> & y";
  }

  void text() {
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(MessageBoxText(text.toStdString()), shown);
  }

  void realBox() {
    QWidget owner;
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));

    MessageBoxSink sink(&owner);
    const SeenBox seen = AnswerMessageBox(
        [&] { sink.ShowWarning(FormatHelpText(), kFormatHelpTitle); });

    QVERIFY(seen.found);
    QVERIFY(seen.modal);
    QCOMPARE(seen.parent, &owner);
    QCOMPARE(seen.icon, QMessageBox::Warning);
    QCOMPARE(seen.title, QStringLiteral("地形文件格式："));
    QCOMPARE(seen.text.count(QLatin1Char('\n')), 6);
    QVERIFY(!seen.text.contains(QLatin1Char('\r')));
    QCOMPARE(seen.format, Qt::PlainText);
    QCOMPARE(seen.buttons, QStringList(QStringLiteral("确定")));
    // One sans-serif CJK face, whatever the locale's fallback would be.
    QCOMPARE(seen.font.families(), InterfaceFont().families());
    QVERIFY2(InterfaceFont().families().contains(QFontInfo(seen.font).family()),
             qPrintable(QFontInfo(seen.font).family()));
    QVERIFY(QApplication::activeModalWidget() == nullptr);
  }

  // A title bar shows the title whole beside the frame's buttons, however
  // short the text below it.
  void titleFits_data() {
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::newRow("the closing message") << "计算结果文件保存在："
                                         << "D:\\a成果.txt";
    QTest::newRow("a short title") << "保存未完成"
                                   << "x";
    QTest::newRow("a long title")
        << "地形文件“很长很长很长很长的名字.txt”计算未完成"
        << "x";
  }

  void titleFits() {
    QFETCH(QString, title);
    QFETCH(QString, text);
    MessageBoxSink sink(nullptr);
    const SeenBox seen = AnswerMessageBox(
        [&] { sink.ShowWarning(text.toStdString(), title.toStdString()); });
    QVERIFY(seen.found);
    QCOMPARE(seen.title, title);
    // The title in a bold face, and room for three buttons of a title bar.
    QFont bold = seen.font;
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    const int needed =
        metrics.horizontalAdvance(title) + 3 * 2 * metrics.height();
    QVERIFY2(seen.width >= needed,
             qPrintable(QStringLiteral("%1 < %2").arg(seen.width).arg(needed)));
  }
};

}  // namespace xsrating

QTEST_MAIN(xsrating::MessageBoxSinkTest)
#include "message_box_sink_test.moc"
