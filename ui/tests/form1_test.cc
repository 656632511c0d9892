// SPDX-License-Identifier: GPL-3.0-or-later
// The window as a user drives it: layout, typing, the start, end and help
// buttons, and whole runs from a survey chosen in the lists.
#include "ui/form1.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QStorageInfo>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <memory>
#include <string>

#include "core/base/encoding.h"
#include "core/run/run.h"
#include "form/format_help.h"
#include "ui/rating_viewer.h"
#include "ui/tests/test_support.h"
#include "ui/zones_dialog.h"

namespace xsrating {
namespace {

// The four-point section of a small trapezoidal channel: 10 wide at the bed,
// banks 5 high rising over 10.
constexpr char kTrapezoid[] = "0,5\r\n10,0\r\n20,0\r\n30,5\r\n";

constexpr char kRunFailedTitle[] = "计算未完成";
constexpr char kNotANumberTitle[] = "输入的不是数字";

template <typename Widget>
Widget* Control(const Form1& form, const char* name) {
  return form.findChild<Widget*>(QLatin1String(name));
}

void Press(const Form1& form, const char* button) {
  QTest::mouseClick(Control<QPushButton>(form, button), Qt::LeftButton);
}

// Types into a box key by key: '\x01' selects all, '\b' deletes backwards.
void TypeKey(QLineEdit* box, QChar key) {
  if (key == QChar(1)) {
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
  } else if (key == QChar('\b')) {
    QTest::keyClick(box, Qt::Key_Backspace);
  } else {
    QTest::keyClick(box, key.toLatin1());
  }
}

void Type(QLineEdit* box, const QString& keys) {
  box->setFocus();
  for (QChar key : keys) TypeKey(box, key);
}

std::string Native(const QString& path) {
  return QDir::toNativeSeparators(path).toStdString();
}

}  // namespace

class Form1Test : public QObject {
  Q_OBJECT

 private:
  // A window shown on the offscreen screen, with its messages recorded.
  std::unique_ptr<Form1> OpenForm() {
    auto form = std::make_unique<Form1>(&sink_);
    form->show();
    if (!QTest::qWaitForWindowExposed(form.get())) return nullptr;
    return form;
  }

  // Picks `folder` in the drive and folder lists and clicks `file` in it.
  bool ChooseSurvey(const Form1& form, const QString& folder,
                    const QString& file) {
    auto* drives = Control<QComboBox>(form, "Drive1");
    const int drive = drives->findData(QStorageInfo(folder).rootPath());
    if (drive < 0) return false;
    drives->setCurrentIndex(drive);
    return ClickFolder(Control<QTreeWidget>(form, "Dir1"), folder) &&
           ClickFile(Control<QListWidget>(form, "File1"), file);
  }

  QString MakeSurveyFolder(const QString& subfolder, const QString& file) {
    const QString folder =
        QDir(temp_.path()).canonicalPath() + QLatin1Char('/') + subfolder;
    if (!QDir().mkpath(folder) ||
        !WriteFile(folder + QLatin1Char('/') + file, kTrapezoid)) {
      return QString();
    }
    return QDir::cleanPath(folder);
  }

  RecordingSink sink_;
  QTemporaryDir temp_;

 private slots:
  void init() {
    sink_.messages.clear();
    QVERIFY(temp_.isValid());
  }

  void window() {
    RecordingSink sink;
    Form1 form(&sink);
    QCOMPARE(form.windowTitle(), QStringLiteral("Form1"));
    // 14895 x 8385 twips.
    QCOMPARE(form.size(), QSize(993, 559));
    QCOMPARE(form.font().families().value(0), QStringLiteral("宋体"));
    QCOMPARE(form.font().pointSizeF(), 12.0);
    const RunParameters& start = form.parameters();
    QVERIFY(start.data_file_path.empty() && start.slope_text.empty());
    QCOMPARE(start.roughness, 0.0);
    QCOMPARE(start.stage_count, 0.0);
  }

  void layout_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<QString>("family");
    QTest::addColumn<double>("points");
    QTest::addColumn<bool>("underline");

    const auto row = [](const char* name, const char* kind, const char* text,
                        QRect twips, double points, const char* family = "宋体",
                        bool underline = false) {
      QTest::newRow(name) << kind << text << twips << family << points
                          << underline;
    };
    row("Label5", "QLabel", "河道断面水位流量关系计算", {1680, 360, 11775, 975},
        42, "华文琥珀");
    row("Label1", "QLabel", "选择地形数据文件:", {2880, 3000, 2775, 495}, 15,
        "宋体", true);
    row("Command3", "QPushButton", "请看地形文件格式帮助",
        {5520, 2880, 2655, 495}, 12);
    row("Drive1", "QComboBox", "", {3240, 3600, 2295, 300}, 9);
    row("Dir1", "QTreeWidget", "", {3240, 4080, 2295, 2820}, 9);
    row("File1", "QListWidget", "", {5880, 3600, 2655, 3330}, 9);
    row("Label2", "QLabel", " 糙率", {9120, 3720, 855, 495}, 14.25);
    row("Text1", "QLineEdit", "", {10200, 3600, 1215, 495}, 9);
    row("Label3", "QLabel", " 比降", {9120, 4560, 855, 495}, 14.25);
    row("Text2", "QLineEdit", "", {10200, 4440, 1215, 495}, 9);
    row("Label4", "QLabel", "水位流量关系曲线点子数量", {9120, 5280, 855, 735},
        10.5);
    row("Text3", "QLineEdit", "", {10200, 5280, 1215, 495}, 9);
    row("Command1", "QPushButton", "开始", {9120, 6240, 975, 615}, 9);
    row("Command2", "QPushButton", "结束", {10320, 6240, 1095, 615}, 9);
    row("Label6", "QLabel", "计算前请仔细阅读说明文件。",
        {3240, 7680, 8415, 735}, 14.25, "楷体_GB2312");
    row("Command4", "QPushButton", "查看断面与曲线", {11640, 6240, 1815, 615},
        9);
    row("Command5", "QPushButton", "分区糙率…", {11520, 3600, 1455, 495}, 9);
  }

  void layout() {
    QFETCH(QString, kind);
    QFETCH(QString, text);
    QFETCH(QRect, twips);
    QFETCH(QString, family);
    QFETCH(double, points);
    QFETCH(bool, underline);

    RecordingSink sink;
    Form1 form(&sink);
    auto* control = form.findChild<QWidget*>(QTest::currentDataTag());
    QVERIFY(control != nullptr);
    QCOMPARE(QString(control->metaObject()->className()), kind);
    QCOMPARE(control->parentWidget(), &form);
    QCOMPARE(control->geometry(),
             QRect(twips.x() / 15, twips.y() / 15, twips.width() / 15,
                   twips.height() / 15));
    if (control->property("text").isValid()) {
      QCOMPARE(control->property("text").toString(), text);
    }
    QCOMPARE(control->font().families().value(0), family);
    QVERIFY(control->font().families().size() > 1);  // Fallbacks for Linux.
    QCOMPARE(control->font().pointSizeF(), points);
    QCOMPARE(control->font().underline(), underline);
#ifndef Q_OS_WIN
    // List rows: Latin letters of a proportional face, not a typewriter's
    // (Windows keeps SimSun).
    if (kind != "QLabel" && kind != "QPushButton" && kind != "QLineEdit") {
      const QFontMetrics metrics(control->font());
      QVERIFY(metrics.horizontalAdvance(QLatin1Char('i')) <
              metrics.horizontalAdvance(QLatin1Char('W')));
    }
#endif
    if (auto* label = qobject_cast<QLabel*>(control)) {
      // The stage count's label is narrower than its text.
      QCOMPARE(label->wordWrap(), label->objectName() == "Label4");
    }
  }

  void focusOrder() {
    std::unique_ptr<Form1> form = OpenForm();
    QVERIFY(form != nullptr);
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Dir1"));

    QStringList order;
    for (int i = 0; i < 11; ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      order << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(order, QStringList({"File1", "Drive1", "Text1", "Text2",
                                 "Command1", "Command2", "Text3", "Command3",
                                 "Command4", "Command5", "Dir1"}));
  }

  // Keys reach the parameters and the mark through the box's own editing
  // (the rules are the form layer's). Keys: '\x01' selects all, '\b' deletes
  // backwards. Marks: '.' the box holds a number after that key, 'x' it does
  // not.
  void typing_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QList<double>>("values");
    QTest::addColumn<QString>("marks");

    QTest::newRow("0.03") << "Text1"
                          << "0.03" << QList<double>{0, 0, 0, 0.03} << "....";
    QTest::newRow("25 typed over all of 150")
        << "Text3"
        << "150\x01"
           "25"
        << QList<double>{1, 15, 150, 150, 2, 25} << "......";
    QTest::newRow("150 deleted, then 25")
        << "Text3"
        << "150\x01\b25" << QList<double>{1, 15, 150, 150, 150, 2, 25}
        << "....x..";
  }

  void typing() {
    QFETCH(QString, box);
    QFETCH(QString, keys);
    QFETCH(QList<double>, values);
    QFETCH(QString, marks);
    QCOMPARE(values.size(), keys.size());

    std::unique_ptr<Form1> form = OpenForm();
    QVERIFY(form != nullptr);
    auto* edit = Control<QLineEdit>(*form, box.toLatin1().constData());
    const double RunParameters::*field = box == QStringLiteral("Text1")
                                             ? &RunParameters::roughness
                                             : &RunParameters::stage_count;
    edit->setFocus();
    for (int i = 0; i < keys.size(); ++i) {
      TypeKey(edit, keys[i]);
      const QString after = QStringLiteral("after key %1, text \"%2\"")
                                .arg(i + 1)
                                .arg(edit->text());
      QVERIFY2(form->parameters().*field == values[i],
               qPrintable(after + QStringLiteral(": value %1")
                                      .arg(form->parameters().*field)));
      const bool marked = marks[i] == QLatin1Char('x');
      QVERIFY2(edit->property("notANumber").toBool() == marked,
               qPrintable(after));
      QVERIFY2(edit->toolTip().isEmpty() != marked, qPrintable(after));
    }
    // Typing never interrupts the user.
    QVERIFY(sink_.messages.empty());
    QCOMPARE(form->parameters().data_file_path, std::string());
  }

  void slopeKeepsItsText_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("marked");
    QTest::newRow("number") << "0.0004" << false;
    QTest::newRow("not a number, spaces kept") << " 1/2500 " << true;
    QTest::newRow("emptied") << "1\b" << true;
  }

  void slopeKeepsItsText() {
    QFETCH(QString, typed);
    QFETCH(bool, marked);
    std::unique_ptr<Form1> form = OpenForm();
    QVERIFY(form != nullptr);
    auto* slope = Control<QLineEdit>(*form, "Text2");
    Type(slope, typed);
    QCOMPARE(QString::fromStdString(form->parameters().slope_text),
             slope->text());
    QVERIFY(typed.startsWith(slope->text()));
    QCOMPARE(slope->property("notANumber").toBool(), marked);
    QCOMPARE(slope->toolTip().isEmpty(), !marked);
    QVERIFY(sink_.messages.empty());
  }

  // Boxes that are empty or hold no number stop the run with the form
  // layer's warning; the focus goes to the first.
  void badBoxesStopTheRun_data() {
    QTest::addColumn<QString>("roughness");
    QTest::addColumn<QString>("slope");
    QTest::addColumn<QString>("stages");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("focus");
    const QString not_numbers = QString::fromUtf8(kNotANumberTitle);
    const QString incomplete = QStringLiteral("输入不完整");
    QTest::newRow("roughness a lone minus")
        << "-"
        << "0.0004"
        << "150" << not_numbers << "“糙率”中不是数字，请改正后再按“开始”。"
        << "Text1";
    QTest::newRow("stage count emptied")
        << "0.025"
        << "0.0004"
        << "5\b" << incomplete
        << "“水位流量关系曲线点子数量”是空的，请填写后再按“开始”。"
        << "Text3";
    QTest::newRow("slope blank, roughness letters")
        << "a"
        << "  "
        << "5" << incomplete
        << "“比降”是空的，“糙率”中不是数字，请填写、改正后再按“开始”。"
        << "Text1";
  }

  void badBoxesStopTheRun() {
    QFETCH(QString, roughness);
    QFETCH(QString, slope);
    QFETCH(QString, stages);
    QFETCH(QString, title);
    QFETCH(QString, text);
    QFETCH(QString, focus);

    std::unique_ptr<Form1> form = OpenForm();
    QVERIFY(form != nullptr);
    Type(Control<QLineEdit>(*form, "Text1"), roughness);
    Type(Control<QLineEdit>(*form, "Text2"), slope);
    Type(Control<QLineEdit>(*form, "Text3"), stages);
    const RunParameters before = form->parameters();
    Press(*form, "Command1");

    QCOMPARE(sink_.messages.size(), size_t{1});
    QCOMPARE(QString::fromStdString(sink_.messages[0].title), title);
    QCOMPARE(QString::fromStdString(sink_.messages[0].text), text);
    QCOMPARE(QApplication::focusWidget()->objectName(), focus);
    // No run: the stage guard would have set 150 to 20.
    QCOMPARE(form->parameters().stage_count, before.stage_count);
    QVERIFY(form->isVisible());

    // Once all hold numbers the button runs again.
    sink_.messages.clear();
    Type(Control<QLineEdit>(*form, "Text1"), QStringLiteral("\x01"
                                                            "0.025"));
    Type(Control<QLineEdit>(*form, "Text2"), QStringLiteral("\x01"
                                                            "0.0004"));
    Type(Control<QLineEdit>(*form, "Text3"), QStringLiteral("\x01"
                                                            "5"));
    Press(*form, "Command1");
    QCOMPARE(sink_.messages.size(), size_t{1});
    QCOMPARE(sink_.messages[0].title, std::string(kRunFailedTitle));
  }

  // Enter and Return press a focused button; in a text box they do nothing.
  void enterKeys_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("title");  // Empty: no message.
    QTest::newRow("Return on help") << "Command3" << int(Qt::Key_Return)
                                    << QString::fromUtf8(kFormatHelpTitle);
    QTest::newRow("Return on start")
        << "Command1" << int(Qt::Key_Return) << "输入不完整";
    QTest::newRow("Return in roughness")
        << "Text1" << int(Qt::Key_Return) << "";
    QTest::newRow("Enter in stage count")
        << "Text3" << int(Qt::Key_Enter) << "";
  }

  void enterKeys() {
    QFETCH(QString, control);
    QFETCH(int, key);
    QFETCH(QString, title);
    std::unique_ptr<Form1> form = OpenForm();
    QVERIFY(form != nullptr);
    auto* widget = Control<QWidget>(*form, control.toLatin1().constData());
    widget->setFocus();
    QTest::keyClick(widget, Qt::Key(key),
                    key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
    QCOMPARE(sink_.messages.size(), size_t{title.isEmpty() ? 0u : 1u});
    if (!title.isEmpty()) {
      QCOMPARE(QString::fromStdString(sink_.messages[0].title), title);
    }
  }

  void stageGuardOnTwoPresses_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("guarded");
    QTest::addColumn<double>("stages_after");
    QTest::newRow("150") << "150" << true << 20.0;
    QTest::newRow("100.5") << "100.5" << true << 20.0;
    QTest::newRow("100 passes") << "100" << false << 100.0;
  }

  void stageGuardOnTwoPresses() {
    QFETCH(QString, typed);
    QFETCH(bool, guarded);
    QFETCH(double, stages_after);

    const QString folder = MakeSurveyFolder("guard", "sec1.txt");
    QVERIFY(!folder.isEmpty());
    std::unique_ptr<Form1> form = OpenForm();
    QVERIFY(form != nullptr);
    QVERIFY(ChooseSurvey(*form, folder, "sec1.txt"));
    Type(Control<QLineEdit>(*form, "Text1"), "0.025");
    Type(Control<QLineEdit>(*form, "Text2"), "0.0004");
    Type(Control<QLineEdit>(*form, "Text3"), typed);

    for (int press = 1; press <= 2; ++press) {
      sink_.messages.clear();
      Press(*form, "Command1");
      const bool warned = guarded && press == 1;
      QCOMPARE(sink_.messages.size(), size_t{warned ? 2u : 1u});
      if (warned) {
        QCOMPARE(sink_.messages[0].title, std::string(kStageGuardTitle));
        QCOMPARE(sink_.messages[0].text, std::string(kStageGuardText));
      }
      QCOMPARE(sink_.messages.back().title, std::string(kResultSavedTitle));
      QCOMPARE(form->parameters().stage_count, stages_after);
      QCOMPARE(Control<QLineEdit>(*form, "Text3")->text(), typed);
    }
  }

  // A run that cannot give a table, or would replace a file that is not an
  // earlier result, leaves what is at the result's name as it was, and says
  // why.
  void failedRunKeepsTheFile_data() {
    QTest::addColumn<QString>("stages");
    QTest::addColumn<bool>("survey_there");  // In place of the earlier result.
    QTest::addColumn<QString>("message_part");
    QTest::newRow("negative stage count")
        << "-3" << false << "点子数量必须在 1 到 100 之间，现在是 -3。";
    QTest::newRow("stage count below one")
        << "0.5" << false << "点子数量必须在 1 到 100 之间，现在是 .5。";
    QTest::newRow("a survey at the result's name")
        << "5" << true << "sec1成果.txt”已经存在，但它不是本程序的结果文件";
  }

  void failedRunKeepsTheFile() {
    QFETCH(QString, stages);
    QFETCH(bool, survey_there);
    QFETCH(QString, message_part);

    const QString folder = MakeSurveyFolder(
        QString::fromUtf8(QTest::currentDataTag()), "sec1.txt");
    QVERIFY(!folder.isEmpty());
    const QString result_path = folder + QStringLiteral("/sec1成果.txt");
    std::unique_ptr<Form1> form = OpenForm();
    QVERIFY(form != nullptr);
    QVERIFY(ChooseSurvey(*form, folder, "sec1.txt"));
    Type(Control<QLineEdit>(*form, "Text1"), "0.025");
    Type(Control<QLineEdit>(*form, "Text2"), "0.0004");
    Type(Control<QLineEdit>(*form, "Text3"), "5");
    Press(*form, "Command1");
    QCOMPARE(sink_.messages.size(), size_t{1});
    if (survey_there) QVERIFY(WriteFile(result_path, kTrapezoid));
    QFile result(result_path);
    QVERIFY(result.open(QIODevice::ReadOnly));
    const QByteArray before = result.readAll();
    result.close();

    sink_.messages.clear();
    Type(Control<QLineEdit>(*form, "Text3"), QStringLiteral("\x01") + stages);
    Press(*form, "Command1");
    QCOMPARE(sink_.messages.size(), size_t{1});
    QCOMPARE(sink_.messages[0].title, std::string(kRunFailedTitle));
    QVERIFY2(
        QString::fromStdString(sink_.messages[0].text).contains(message_part),
        sink_.messages[0].text.c_str());
    QVERIFY(result.open(QIODevice::ReadOnly));
    QCOMPARE(result.readAll(), before);
  }

  // With zones the roughness box steps aside: the run uses the zones, and
  // clearing them brings back the box as it was typed.
  void zonesTakeThePlaceOfTheRoughnessBox() {
    const QString folder = MakeSurveyFolder("zones", "sec1.txt");
    QVERIFY(!folder.isEmpty());
    std::unique_ptr<Form1> form = OpenForm();
    QVERIFY(form != nullptr);
    QVERIFY(ChooseSurvey(*form, folder, "sec1.txt"));
    auto* roughness = Control<QLineEdit>(*form, "Text1");
    Type(roughness, "0.0x");
    Type(Control<QLineEdit>(*form, "Text2"), "0.0004");
    Type(Control<QLineEdit>(*form, "Text3"), "5");
    form->SetZones({{0, 0.05}, {10, 0.025}, {20, 0.05}},
                   ZoneMethod::kComposite);
    QVERIFY(!roughness->isEnabled());
    QCOMPARE(roughness->text(), QStringLiteral("分区 3 段"));
    QCOMPARE(roughness->property("notANumber").toBool(), false);
    Press(*form, "Command1");
    QCOMPARE(sink_.messages.size(), size_t{1});
    QCOMPARE(sink_.messages[0].title, std::string(kResultSavedTitle));
    QFile file(folder + QStringLiteral("/sec1成果.txt"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains(QByteArray::fromStdString(
        Utf8ToGbk("\r\n糙率=综合 0~10:.05;10~20:.025;20~30:.05   比降="))));

    form->SetZones({}, ZoneMethod::kSubsection);
    QVERIFY(roughness->isEnabled());
    QCOMPARE(roughness->text(), QStringLiteral("0.0x"));
    QCOMPARE(roughness->property("notANumber").toBool(), true);
    QVERIFY(form->parameters().zones.empty());
  }

  // The dialog reads and writes the command line's zones file, and OK takes
  // only zones a run can use.
  void zonesDialogFilesAndChecks() {
    ZonesDialog dialog(&sink_, temp_.path().toStdString());
    const std::string path = (temp_.path() + "/分区.txt").toStdString();
    QVERIFY(WriteFile(QString::fromStdString(path),
                      "起点距 糙率\r\n-5,0.05 左滩\r\n60\t.025\r\n"));
    dialog.Load(path);
    std::vector<RoughnessZone> zones;
    QVERIFY(dialog.ReadTable(&zones).ok());
    QCOMPARE(zones.size(), size_t{2});
    QCOMPARE(zones[1].from, 60.0);
    QCOMPARE(zones[1].roughness, 0.025);

    dialog.SetZones({{0, 0.04}, {12.5, 0.03}}, ZoneMethod::kComposite);
    QCOMPARE(dialog.method(), ZoneMethod::kComposite);
    const std::string saved = (temp_.path() + "/存.txt").toStdString();
    dialog.Save(saved);
    dialog.Save(saved);  // Its own file is replaced.
    QVERIFY(sink_.messages.empty());
    dialog.SetZones({}, ZoneMethod::kSubsection);
    dialog.Load(saved);
    QVERIFY(dialog.ReadTable(&zones).ok());
    QCOMPARE(zones.size(), size_t{2});
    QCOMPARE(zones[1].from, 12.5);

    // A survey picked by mistake is not replaced.
    const QString survey = temp_.path() + "/sec1.txt";
    QVERIFY(WriteFile(survey, kTrapezoid));
    dialog.Save(survey.toStdString());
    QCOMPARE(sink_.messages.size(), size_t{1});
    QVERIFY(QString::fromStdString(sink_.messages[0].text)
                .contains("不是本程序保存的分区糙率文件"));
    QFile kept(survey);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray(kTrapezoid));
    sink_.messages.clear();

    // A bad file changes nothing; a bad cell keeps the dialog open.
    QVERIFY(WriteFile(QString::fromStdString(path), "0,0.03\n10,-1\n"));
    dialog.Load(path);
    QCOMPARE(sink_.messages.size(), size_t{1});
    QVERIFY(QString::fromStdString(sink_.messages[0].text)
                .contains("第 2 行的糙率“-1”不大于 0"));
    auto* table = dialog.findChild<QTableWidget*>("Zones");
    table->item(1, 1)->setText("n");
    dialog.accept();
    QCOMPARE(sink_.messages.size(), size_t{2});
    QCOMPARE(sink_.messages[1].text, std::string("第 2 行的糙率不是数字。"));
    QVERIFY(dialog.result() != QDialog::Accepted);
    table->item(1, 1)->setText("0.05");
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.zones().size(), size_t{2});
  }

  void wholeRun_data() {
    QTest::addColumn<QString>("subfolder");
    QTest::addColumn<QString>("survey");
    QTest::addColumn<QString>("result");
    QTest::newRow("plain") << "data"
                           << "sec1.txt"
                           << "sec1成果.txt";
    QTest::newRow("Chinese folder with a space") << "测站 甲/断面"
                                                 << "断面1.txt"
                                                 << "断面1成果.txt";
    QTest::newRow("capital extension") << "upper"
                                       << "SEC2.TXT"
                                       << "SEC2成果.txt";
  }

  void wholeRun() {
    QFETCH(QString, subfolder);
    QFETCH(QString, survey);
    QFETCH(QString, result);

    const QString folder = MakeSurveyFolder(subfolder, survey);
    QVERIFY(!folder.isEmpty());
    std::unique_ptr<Form1> form = OpenForm();
    QVERIFY(form != nullptr);
    QVERIFY(ChooseSurvey(*form, folder, survey));
    QCOMPARE(form->parameters().data_file_path,
             Native(folder + QLatin1Char('/') + survey));
    Type(Control<QLineEdit>(*form, "Text1"), "0.025");
    Type(Control<QLineEdit>(*form, "Text2"), "0.0004");
    Type(Control<QLineEdit>(*form, "Text3"), "5");
    Press(*form, "Command1");

    const QString result_path = folder + QLatin1Char('/') + result;
    // The file list shows the new result, the survey still selected.
    auto* files = Control<QListWidget>(*form, "File1");
    QVERIFY(ListedFiles(files).contains(result));
    QCOMPARE(files->selectedItems().size(), 1);
    QCOMPARE(files->selectedItems()[0]->text(), survey);
    QCOMPARE(sink_.messages.size(), size_t{1});
    QCOMPARE(sink_.messages[0].title, std::string(kResultSavedTitle));
    QCOMPARE(sink_.messages[0].text, Native(result_path));

    QFile file(result_path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.size(), 12);  // 11 lines, each ending in CR LF.
    QVERIFY(lines.last().isEmpty());
    QVERIFY(lines[2].endsWith(" 4 \r"));  // Four points read.
    // Stage, area and discharge of the channel at levels 1 to 5.
    const QList<QByteArrayList> rows = {{"1", "12", "8.47"},
                                        {"2", "28", "29.06"},
                                        {"3", "48", "61.96"},
                                        {"4", "72", "108.4"},
                                        {"5", "100", "169.72"}};
    for (int i = 0; i < rows.size(); ++i) {
      QCOMPARE(lines[6 + i].simplified().split(' '), rows[i]);
    }
    // Byte for byte what the command line writes for the same input, the
    // time line aside.
    QFile reference(QStringLiteral(XSRATING_TEST_DATA "/v_section.expected"));
    QVERIFY(reference.open(QIODevice::ReadOnly));
    QByteArray expected = reference.readAll();
    expected.replace("@DIR@/v_section.txt",
                     QByteArray::fromStdString(
                         Utf8ToGbk(form->parameters().data_file_path)));
    QVERIFY(file.seek(0));
    const QByteArray actual = file.readAll();
    QCOMPARE(actual.mid(actual.indexOf("\r\n")),
             expected.mid(expected.indexOf("\r\n")));
    QVERIFY(form->isVisible());
  }

  void clickedFileOutlivesFolderChange() {
    const QString first = MakeSurveyFolder("first", "a.txt");
    const QString second = MakeSurveyFolder("second", "b.txt");
    QVERIFY(!first.isEmpty() && !second.isEmpty());
    std::unique_ptr<Form1> form = OpenForm();
    QVERIFY(form != nullptr);
    QVERIFY(ChooseSurvey(*form, first, "a.txt"));
    QVERIFY(ClickFolder(Control<QTreeWidget>(*form, "Dir1"), second));
    QCOMPARE(ListedFiles(Control<QListWidget>(*form, "File1")),
             QStringList("b.txt"));
    Type(Control<QLineEdit>(*form, "Text1"), "0.025");
    Type(Control<QLineEdit>(*form, "Text2"), "0.0004");
    Type(Control<QLineEdit>(*form, "Text3"), "5");
    Press(*form, "Command1");

    QCOMPARE(sink_.messages.size(), size_t{1});
    QCOMPARE(sink_.messages[0].text, Native(first + "/a成果.txt"));
    QVERIFY(!QFile::exists(second + "/b成果.txt"));
  }

  void helpButton() {
    std::unique_ptr<Form1> form = OpenForm();
    QVERIFY(form != nullptr);
    Press(*form, "Command3");
    QCOMPARE(sink_.messages.size(), size_t{1});
    QCOMPARE(sink_.messages[0].title, std::string("地形文件格式："));
    QCOMPARE(sink_.messages[0].text, FormatHelpText());
    QVERIFY(form->parameters().data_file_path.empty());
  }

  // The viewer takes the parameters as they stand and changes nothing: no
  // file, no message box, no guard on the parameters.
  void viewButton_data() {
    QTest::addColumn<QString>("roughness");
    QTest::addColumn<QString>("stages");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("message");
    QTest::newRow("example") << "0.025"
                             << "5" << 5 << "";
    QTest::newRow("stage count above 100")
        << "0.025"
        << "150" << 20 << "点子数量超过 100，按 20 个计算。";
    QTest::newRow("roughness a lone minus")
        << "-"
        << "5" << 0 << "只画出了断面。“糙率”中不是数字。";
  }

  void viewButton() {
    QFETCH(QString, roughness);
    QFETCH(QString, stages);
    QFETCH(int, rows);
    QFETCH(QString, message);

    const QString folder = MakeSurveyFolder("view", "sec1.txt");
    QVERIFY(!folder.isEmpty());
    std::unique_ptr<Form1> form = OpenForm();
    QVERIFY(form != nullptr);
    QVERIFY(ChooseSurvey(*form, folder, "sec1.txt"));
    Type(Control<QLineEdit>(*form, "Text1"), roughness);
    Type(Control<QLineEdit>(*form, "Text2"), "0.0004");
    Type(Control<QLineEdit>(*form, "Text3"), stages);
    const RunParameters before = form->parameters();

    for (int press = 1; press <= 2; ++press) {
      Press(*form, "Command4");
      // One viewer, brought back on the second press.
      const QList<RatingViewer*> viewers = form->findChildren<RatingViewer*>();
      QCOMPARE(viewers.size(), 1);
      QVERIFY(viewers[0]->isVisible());
      QCOMPARE(viewers[0]->figure().section.points.size(), size_t{4});
      QCOMPARE(viewers[0]->figure().rows.size(), size_t(rows));
      QCOMPARE(viewers[0]->message(), message);
      // Wholly on the main window's screen, over the main window.
      const QRect frame = viewers[0]->frameGeometry();
      QVERIFY(form->screen()->availableGeometry().contains(frame));
      QVERIFY(frame.intersects(form->frameGeometry()));
    }
    QVERIFY(sink_.messages.empty());
    QCOMPARE(form->parameters().stage_count, before.stage_count);
    QCOMPARE(form->parameters().roughness, before.roughness);
    QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList("sec1.txt"));
  }

  void endButtonCloses() {
    std::unique_ptr<Form1> form = OpenForm();
    QVERIFY(form != nullptr);
    Press(*form, "Command2");
    QVERIFY(!form->isVisible());
    QVERIFY(sink_.messages.empty());
  }
};

}  // namespace xsrating

QTEST_MAIN(xsrating::Form1Test)
#include "form1_test.moc"
