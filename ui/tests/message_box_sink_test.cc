// SPDX-License-Identifier: GPL-3.0-or-later
// The window's message boxes: how a message's lines reach the box, and one
// real box, answered by a timer as a user would.
#include "ui/message_box_sink.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFontInfo>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <string>

#include "form/format_help.h"
#include "ui/fonts.h"
#include "ui/qt_translations.h"

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

    // What the box showed, read while it is open.
    struct Seen {
      bool found = false;
      bool modal = false;
      QWidget* parent = nullptr;
      QMessageBox::Icon icon = QMessageBox::NoIcon;
      QString title;
      QString text;
      Qt::TextFormat format = Qt::AutoText;
      QStringList buttons;
      QFont font;
    } seen;
    QElapsedTimer waited;
    waited.start();
    QTimer answer;
    answer.setInterval(20);
    connect(&answer, &QTimer::timeout, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr || !box->isVisible()) {
        if (waited.elapsed() > 10000) answer.stop();  // The test fails below.
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
              box->font()};
      for (QAbstractButton* button : box->buttons()) {
        seen.buttons << button->text();
      }
      QTest::mouseClick(box->buttons().value(0), Qt::LeftButton);
    });
    answer.start();

    MessageBoxSink sink(&owner);
    sink.ShowWarning(FormatHelpText(), kFormatHelpTitle);

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
};

}  // namespace xsrating

QTEST_MAIN(xsrating::MessageBoxSinkTest)
#include "message_box_sink_test.moc"
