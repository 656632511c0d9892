// SPDX-License-Identifier: GPL-3.0-or-later
// The viewer of a section and its curves: what it shows for the example,
// what it says when something is missing, and the files it saves.
#include "ui/rating_viewer.h"

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QScatterSeries>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QValueAxis>
#include <memory>
#include <string>

#include "core/cross_section.h"
#include "core/rating_csv.h"
#include "ui/tests/test_support.h"

namespace xsrating {
namespace {

constexpr char kSurvey[] = XSRATING_TEST_DATA "/v_section.txt";

QChart* ChartOf(const RatingViewer& viewer, const char* view) {
  return viewer.findChild<QChartView*>(QLatin1String(view))->chart();
}

template <typename Series>
Series* Find(const QChart* chart, const char* name) {
  for (QAbstractSeries* series : chart->series()) {
    if (series->objectName() == QLatin1String(name)) {
      return qobject_cast<Series*>(series);
    }
  }
  return nullptr;
}

// The range of a chart's axis, as {min, max}.
QList<double> Range(const QChart* chart, const char* axis_name) {
  for (QAbstractAxis* axis : chart->axes()) {
    if (axis->objectName() == QLatin1String(axis_name)) {
      auto* value_axis = qobject_cast<QValueAxis*>(axis);
      return {value_axis->min(), value_axis->max()};
    }
  }
  return {};
}

bool Near(const QList<double>& a, const QList<double>& b) {
  if (a.size() != b.size()) return false;
  for (int i = 0; i < a.size(); ++i) {
    if (std::abs(a[i] - b[i]) > 1e-9) return false;
  }
  return true;
}

ViewRequest Request(const std::string& path, double roughness,
                    const char* slope, double stages,
                    QStringList not_numbers = {}) {
  return ViewRequest{RunParameters{path, roughness, slope, stages},
                     std::move(not_numbers)};
}

QVariantList Cells(const QTableWidget* table, int row) {
  QVariantList cells;
  for (int c = 0; c < table->columnCount(); ++c) {
    cells << table->item(row, c)->text();
  }
  return cells;
}

}  // namespace

class RatingViewerTest : public QObject {
  Q_OBJECT

 private:
  RecordingSink sink_;
  QTemporaryDir temp_;

 private slots:
  void init() {
    sink_.messages.clear();
    QVERIFY(temp_.isValid());
  }

  void fourPointExample() {
    // The survey in a folder of its own, to see that nothing is written.
    const QString survey = temp_.filePath("v_section.txt");
    QFile::remove(survey);
    QVERIFY(QFile::copy(kSurvey, survey));
    RatingViewer viewer(&sink_);
    viewer.Show(Request(survey.toStdString(), 0.025, "0.0004", 5));
    viewer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));

    QCOMPARE(viewer.message(), QString());
    QVERIFY(sink_.messages.empty());
    QCOMPARE(viewer.windowTitle(),
             QStringLiteral("断面与水位流量关系 - v_section.txt"));

    const QChart* section = ChartOf(viewer, "SectionChart");
    QVERIFY(Near(Range(section, kHorizontalAxis), {0, 30}));
    QVERIFY(Near(Range(section, kVerticalAxis), {-0.25, 5.25}));
    QCOMPARE(Find<QLineSeries>(section, kBedSeries)->count(), 4);
    QCOMPARE(Find<QLineSeries>(section, kBankCrestSeries)->count(), 2);
    // The water of stage 5 fills the V to both crests.
    auto* water = Find<QAreaSeries>(section, kWaterSeries);
    QVERIFY(water != nullptr);
    QCOMPARE(water->upperSeries()->count(), 4);
    for (const QPointF& p : water->upperSeries()->points())
      QCOMPARE(p.y(), 5.0);

    // Both curves from the bed through the five stages of the table.
    struct Curve {
      const char* view;
      double across_max;
    };
    for (const Curve& curve : {Curve{"DischargeChart", 169.72 * 1.05},
                               Curve{"AreaChart", 100 * 1.05}}) {
      const QChart* chart = ChartOf(viewer, curve.view);
      QVERIFY(viewer.findChild<QChartView*>(curve.view)->isVisible());
      QVERIFY2(Near(Range(chart, kHorizontalAxis), {0, curve.across_max}),
               curve.view);
      QVERIFY(Near(Range(chart, kVerticalAxis), {-0.25, 5.25}));
      QCOMPARE(Find<QLineSeries>(chart, kCurveSeries)->count(), 6);
      QCOMPARE(Find<QScatterSeries>(chart, kPointSeries)->count(), 5);
    }
    const QList<QPointF> rating =
        Find<QScatterSeries>(ChartOf(viewer, "DischargeChart"), kPointSeries)
            ->points();
    QCOMPARE(rating.first(), QPointF(8.47, 1));
    QCOMPARE(rating.last(), QPointF(169.72, 5));

    auto* table = viewer.findChild<QTableWidget*>("Table");
    QVERIFY(table->isVisible());
    QCOMPARE(table->rowCount(), 5);
    QCOMPARE(table->horizontalHeaderItem(6)->text(),
             QStringLiteral("流量\n(m³/s)"));
    QCOMPARE(Cells(table, 0), (QVariantList{"1", "12", "14.472", "0.829",
                                            "14.000", "0.706", "8.47"}));
    QCOMPARE(Cells(table, 4), (QVariantList{"5", "100", "32.361", "3.090",
                                            "30.000", "1.697", "169.72"}));
    for (const char* button : {"SavePng", "SaveSvg", "SaveCsv"}) {
      QVERIFY(viewer.findChild<QPushButton*>(button)->isEnabled());
    }
    QCOMPARE(QDir(temp_.path()).entryList(QDir::Files),
             QStringList("v_section.txt"));
  }

  // What the window shows and says when it cannot show everything.
  void somethingMissing_data() {
    QTest::addColumn<QString>("survey");  // Empty: none chosen.
    QTest::addColumn<double>("roughness");
    QTest::addColumn<double>("stages");
    QTest::addColumn<QStringList>("not_numbers");
    QTest::addColumn<int>("bed_points");   // -1: no bed drawn.
    QTest::addColumn<QString>("message");  // "@READER@": the reader's.

    const QString v = QString::fromUtf8(kSurvey);
    QTest::newRow("no file chosen")
        << "" << 0.025 << 5.0 << QStringList() << -1 << "@READER@";
    QTest::newRow("survey with a bad field")
        << "bad.txt" << 0.025 << 5.0 << QStringList() << -1 << "@READER@";
    QTest::newRow("roughness not a number")
        << v << 0.025 << 5.0 << QStringList{"糙率"} << 4
        << "只画出了断面。“糙率”中不是数字。";
    QTest::newRow("both boxes not numbers")
        << v << 0.025 << 5.0 << QStringList{"糙率", "水位流量关系曲线点子数量"}
        << 4 << "只画出了断面。“糙率”和“水位流量关系曲线点子数量”中不是数字。";
    QTest::newRow("roughness never typed")
        << v << 0.0 << 5.0 << QStringList() << 4
        << "只画出了断面。糙率必须是大于 0 的数，现在是 0。";
    QTest::newRow("stage count never typed")
        << v << 0.025 << 0.0 << QStringList() << 4
        << "只画出了断面。水位流量关系曲线点子数量必须在 1 到 100 之间，"
           "现在是 0。";
    QTest::newRow("stage count below one")
        << v << 0.025 << 0.5 << QStringList() << 4
        << "只画出了断面。水位流量关系曲线点子数量必须在 1 到 100 之间，"
           "现在是 .5。";
    QTest::newRow("negative stage count")
        << v << 0.025 << -3.0 << QStringList() << 4
        << "只画出了断面。水位流量关系曲线点子数量必须在 1 到 100 之间，"
           "现在是 -3。";
  }

  void somethingMissing() {
    QFETCH(QString, survey);
    QFETCH(double, roughness);
    QFETCH(double, stages);
    QFETCH(QStringList, not_numbers);
    QFETCH(int, bed_points);
    QFETCH(QString, message);

    if (survey == QLatin1String("bad.txt")) {
      survey = temp_.filePath(survey);
      QVERIFY(WriteFile(survey, "0,5\r\n10,x\r\n"));
    }
    if (message == QLatin1String("@READER@")) {
      CrossSection section;
      const Status read = ReadCrossSection(survey.toStdString(), &section);
      QVERIFY(!read.ok());
      message = QString::fromStdString(read.message());
    }

    RatingViewer viewer(&sink_);
    viewer.Show(Request(survey.toStdString(), roughness, "0.0004", stages,
                        not_numbers));
    viewer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));

    QCOMPARE(viewer.message(), message);
    // One line of the window, not a message box.
    QVERIFY(!message.contains(QLatin1Char('\n')));
    QVERIFY(viewer.findChild<QLabel*>("Message")->isVisible());
    QVERIFY(sink_.messages.empty());

    const QChart* section = ChartOf(viewer, "SectionChart");
    auto* bed = Find<QLineSeries>(section, kBedSeries);
    QCOMPARE(bed == nullptr ? -1 : bed->count(), bed_points);
    QVERIFY(Find<QAreaSeries>(section, kWaterSeries) == nullptr);
    QVERIFY(!viewer.findChild<QChartView*>("DischargeChart")->isVisible());
    QVERIFY(!viewer.findChild<QChartView*>("AreaChart")->isVisible());
    QVERIFY(!viewer.findChild<QTableWidget*>("Table")->isVisible());
    QVERIFY(!viewer.findChild<QPushButton*>("SaveCsv")->isEnabled());
    QCOMPARE(viewer.findChild<QPushButton*>("SavePng")->isEnabled(),
             bed_points > 0);
  }

  void stageCountAboveTheLimit() {
    RatingViewer viewer(&sink_);
    const ViewRequest request = Request(kSurvey, 0.025, "0.0004", 150);
    viewer.Show(request);
    // As the run's guard would: 20 stages; but no message box.
    QCOMPARE(viewer.figure().rows.size(), size_t{20});
    QCOMPARE(viewer.message(),
             QStringLiteral("点子数量超过 100，按 20 个计算。"));
    QVERIFY(sink_.messages.empty());
    QCOMPARE(viewer.findChild<QTableWidget*>("Table")->rowCount(), 20);

    // 100 is within the limit.
    viewer.Show(Request(kSurvey, 0.025, "0.0004", 100));
    QCOMPARE(viewer.figure().rows.size(), size_t{100});
    QCOMPARE(viewer.message(), QString());
  }

  void showAgainReplacesEverything() {
    RatingViewer viewer(&sink_);
    viewer.Show(Request(kSurvey, 0.025, "0.0004", 5));
    viewer.Show(Request(kSurvey, 0.025, "0.0004", 3, {"糙率"}));
    QVERIFY(viewer.figure().rows.empty());
    QCOMPARE(viewer.findChild<QTableWidget*>("Table")->rowCount(), 0);
    QVERIFY(Find<QAreaSeries>(ChartOf(viewer, "SectionChart"), kWaterSeries) ==
            nullptr);
    viewer.Show(Request(kSurvey, 0.025, "0.0004", 2));
    QCOMPARE(viewer.message(), QString());
    QCOMPARE(viewer.findChild<QTableWidget*>("Table")->rowCount(), 2);
  }

  void saves_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("extension");
    QTest::newRow("PNG") << "SavePng"
                         << ".png";
    QTest::newRow("SVG") << "SaveSvg"
                         << ".svg";
    QTest::newRow("CSV") << "SaveCsv"
                         << ".csv";
  }

  void saves() {
    QFETCH(QString, button);
    QFETCH(QString, extension);
    QString suggested;
    const QString chosen = temp_.filePath("saved" + extension);
    QFile::remove(chosen);
    const auto choose = [&](QWidget*, const QString&, const QString& suggestion,
                            const QString& filter, const QString& suffix) {
      suggested = suggestion;
      // The dialog offers only files of the kind saved.
      const bool right_kind =
          filter.contains("*" + extension) && "." + suffix == extension;
      return right_kind ? chosen : QString();
    };
    RatingViewer viewer(&sink_, choose);
    viewer.Show(Request(kSurvey, 0.025, "0.0004", 5));
    QTest::mouseClick(viewer.findChild<QPushButton*>(button), Qt::LeftButton);

    QVERIFY(sink_.messages.empty());
    // The dialog opens on the name the command line would give the file.
    QCOMPARE(suggested, QString::fromStdString(
                            RatingFilePath(kSurvey, extension.toStdString())));
    QFile file(chosen);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    if (extension == ".csv") {
      QCOMPARE(bytes,
               QByteArray::fromStdString(RatingTableCsv(viewer.figure().rows)));
      QCOMPARE(bytes.count("\r\n"), 6);
    } else if (extension == ".png") {
      QImage image;
      QVERIFY(image.loadFromData(bytes, "PNG"));
      QCOMPARE(image.size(), kFigureSize);
    } else {
      QVERIFY(bytes.contains("<title>saved</title>"));
      QVERIFY(bytes.contains("</svg>"));
    }
  }

  void failedSaveIsTold() {
    const QString chosen = temp_.filePath("no such folder/table.csv");
    RatingViewer viewer(
        &sink_, [&](QWidget*, const QString&, const QString&, const QString&,
                    const QString&) { return chosen; });
    viewer.Show(Request(kSurvey, 0.025, "0.0004", 5));
    QTest::mouseClick(viewer.findChild<QPushButton*>("SaveCsv"),
                      Qt::LeftButton);
    QCOMPARE(sink_.messages.size(), size_t{1});
    QCOMPARE(sink_.messages[0].title, std::string("保存未完成"));
    QVERIFY(
        QString::fromStdString(sink_.messages[0].text).contains("table.csv"));
    QVERIFY(!QFile::exists(chosen));
  }
};

}  // namespace xsrating

QTEST_MAIN(xsrating::RatingViewerTest)
#include "rating_viewer_test.moc"
