// SPDX-License-Identifier: GPL-3.0-or-later
// The viewer of a section and its curves: what it shows for the example,
// what it says when something is missing, and the files it saves.
#include "ui/rating_viewer.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontMetrics>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <algorithm>
#include <memory>
#include <string>

#include "core/input/cross_section.h"
#include "core/output/rating_csv.h"
#include "core/output/rating_report.h"
#include "figure/charts.h"
#include "plot/chart_view.h"
#include "plot/rating_figure.h"
#include "tests/support/svg_text.h"
#include "ui/file_dialogs.h"
#include "ui/tests/test_support.h"

namespace xsrating {
namespace {

constexpr char kSurvey[] = XSRATING_TEST_DATA "/v_section.txt";

// The ids of the charts' series and their axes.
constexpr char kBedSeries[] = "bed";
constexpr char kWaterSeries[] = "water";
constexpr char kBankCrestSeries[] = "bankCrest";
constexpr char kZoneBoundarySeries[] = "zoneBoundary";
constexpr char kCurveSeries[] = "curve";
constexpr char kCurveExtendedSeries[] = "curveExtended";
constexpr char kCalibratedSeries[] = "calibrated";
constexpr char kCalibratedExtendedSeries[] = "calibratedExtended";
constexpr char kPointSeries[] = "points";
constexpr char kGaugingSeries[] = "gaugings";
constexpr char kLeftOutSeries[] = "gaugingsLeftOut";
constexpr char kRoughnessSeries[] = "roughness";
constexpr char kCalibratedRoughnessSeries[] = "calibratedRoughness";
constexpr char kDeviationSeries[] = "deviations";
constexpr char kHorizontalAxis[] = "x";
constexpr char kVerticalAxis[] = "y";

const figure::Chart* ChartOf(const RatingViewer& viewer, const char* view) {
  return &viewer.findChild<ChartView*>(QLatin1String(view))->chart();
}

// Whether the viewer shows the chart view `name`; views are made as needed.
bool Shows(const RatingViewer& viewer, const char* name) {
  const auto* view = viewer.findChild<ChartView*>(QLatin1String(name));
  return view != nullptr && view->isVisible();
}

// The texts a chart shows: its title and its legend's names.
QStringList ChartTexts(const figure::Chart& chart) {
  QStringList texts{QString::fromStdString(chart.title)};
  for (const figure::Series& series : chart.series) {
    if (series.legend != figure::LegendSymbol::kNone) {
      texts << QString::fromStdString(series.name);
    }
  }
  return texts;
}

const figure::Series* Find(const figure::Chart* chart, const char* id) {
  for (const figure::Series& series : chart->series) {
    if (series.id == id) return &series;
  }
  return nullptr;
}

// The points of a series (the upper edge of an area).
QList<QPointF> Points(const figure::Series* series) {
  QList<QPointF> points;
  for (const figure::Point& p : series->points) points.append({p.x, p.y});
  return points;
}

int Count(const figure::Series* series) {
  return series == nullptr ? -1 : static_cast<int>(series->points.size());
}

// The range of a chart's axis, as {min, max}.
QList<double> Range(const figure::Chart* chart, const char* axis_name) {
  const figure::Axis& axis =
      std::string(axis_name) == kHorizontalAxis ? chart->x : chart->y;
  return {axis.min, axis.max};
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
                    InputProblems problems = {}) {
  return ViewRequest{RunParameters{path, roughness, slope, stages, {}, {}},
                     std::move(problems)};
}

// Boxes at fault by their names, as the main window finds them.
InputProblems Problems(const QStringList& empty,
                       const QStringList& not_numbers) {
  InputProblems problems;
  for (const QString& name : empty)
    problems.empty.push_back(name.toStdString());
  for (const QString& name : not_numbers) {
    problems.not_numbers.push_back(name.toStdString());
  }
  return problems;
}

QVariantList Cells(const QTableWidget* table, int row) {
  QVariantList cells;
  for (int c = 0; c < table->columnCount(); ++c) {
    if (table->isColumnHidden(c)) continue;
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

    const figure::Chart* section = ChartOf(viewer, "SectionChart");
    QVERIFY(Near(Range(section, kHorizontalAxis), {0, 30}));
    QVERIFY(Near(Range(section, kVerticalAxis), {-0.25, 5.25}));
    QCOMPARE(Count(Find(section, kBedSeries)), 4);
    QCOMPARE(Count(Find(section, kBankCrestSeries)), 2);
    // The water of stage 5 fills the V to both crests.
    auto* water = Find(section, kWaterSeries);
    QVERIFY(water != nullptr);
    QCOMPARE(Count(water), 4);
    for (const QPointF& p : Points(water)) QCOMPARE(p.y(), 5.0);

    // Both curves from the bed through the five stages of the table.
    struct Curve {
      const char* view;
      double across_max;
    };
    for (const Curve& curve : {Curve{"DischargeChart", 169.72 * 1.05},
                               Curve{"AreaChart", 100 * 1.05}}) {
      const figure::Chart* chart = ChartOf(viewer, curve.view);
      QVERIFY(viewer.findChild<ChartView*>(curve.view)->isVisible());
      QVERIFY2(Near(Range(chart, kHorizontalAxis), {0, curve.across_max}),
               curve.view);
      QVERIFY(Near(Range(chart, kVerticalAxis), {-0.25, 5.25}));
      QCOMPARE(Count(Find(chart, kCurveSeries)), 6);
      QCOMPARE(Count(Find(chart, kPointSeries)), 5);
    }
    const QList<QPointF> rating =
        Points(Find(ChartOf(viewer, "DischargeChart"), kPointSeries));
    QCOMPARE(rating.first(), QPointF(8.47, 1));
    QCOMPARE(rating.last(), QPointF(169.72, 5));

    auto* table = viewer.findChild<QTableWidget*>("Table");
    QVERIFY(table->isVisible());
    QCOMPARE(table->rowCount(), 5);
    QCOMPARE(table->horizontalHeaderItem(6)->text(),
             QStringLiteral("流量\n(m³/s)"));
    // Fixed decimals in each column, right-aligned.
    QCOMPARE(Cells(table, 0), (QVariantList{"1.00", "12.00", "14.47", "0.829",
                                            "14.00", "0.706", "8.47"}));
    QCOMPARE(Cells(table, 4), (QVariantList{"5.00", "100.00", "32.36", "3.090",
                                            "30.00", "1.697", "169.72"}));
    QCOMPARE(table->item(4, 6)->textAlignment(),
             int(Qt::AlignRight | Qt::AlignVCenter));
    // The curve and its computed points have legend entries of their own
    // shape: a line and a dot.
    for (const char* view : {"DischargeChart", "AreaChart"}) {
      QCOMPARE(Find(ChartOf(viewer, view), kCurveSeries)->legend,
               figure::LegendSymbol::kLine);
      QCOMPARE(Find(ChartOf(viewer, view), kPointSeries)->legend,
               figure::LegendSymbol::kDot);
    }
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
    QTest::addColumn<QStringList>("empty");
    QTest::addColumn<QStringList>("not_numbers");
    QTest::addColumn<int>("bed_points");   // -1: no bed drawn.
    QTest::addColumn<QString>("message");  // "@READER@": the reader's.

    const QString v = QString::fromUtf8(kSurvey);
    QTest::newRow("no file chosen") << "" << 0.025 << 5.0 << QStringList()
                                    << QStringList() << -1 << "@READER@";
    QTest::newRow("survey with a bad field")
        << "bad.txt" << 0.025 << 5.0 << QStringList() << QStringList() << -1
        << "@READER@";
    QTest::newRow("roughness not a number")
        << v << 0.025 << 5.0 << QStringList() << QStringList{"糙率"} << 4
        << "只画出了断面。“糙率”中不是数字。";
    QTest::newRow("both boxes not numbers")
        << v << 0.025 << 5.0 << QStringList()
        << QStringList{"糙率", "水位流量关系曲线点子数量"} << 4
        << "只画出了断面。“糙率”和“水位流量关系曲线点子数量”中不是数字。";
    QTest::newRow("boxes empty")
        << v << 0.0 << 0.0
        << QStringList{"糙率", "比降", "水位流量关系曲线点子数量"}
        << QStringList() << 4
        << "只画出了断面。“糙率”、“比降”和“水位流量关系曲线点子数量”是空的。";
    QTest::newRow("one empty, one not a number")
        << v << 0.025 << 5.0 << QStringList{"比降"} << QStringList{"糙率"} << 4
        << "只画出了断面。“比降”是空的，“糙率”中不是数字。";
    QTest::newRow("roughness 0")
        << v << 0.0 << 5.0 << QStringList() << QStringList() << 4
        << "只画出了断面。糙率必须是大于 0 的数，现在是 0。";
    QTest::newRow("stage count never typed")
        << v << 0.025 << 0.0 << QStringList() << QStringList() << 4
        << "只画出了断面。水位流量关系曲线点子数量必须在 1 到 100 之间，"
           "现在是 0。";
    QTest::newRow("stage count below one")
        << v << 0.025 << 0.5 << QStringList() << QStringList() << 4
        << "只画出了断面。水位流量关系曲线点子数量必须在 1 到 100 之间，"
           "现在是 .5。";
    QTest::newRow("negative stage count")
        << v << 0.025 << -3.0 << QStringList() << QStringList() << 4
        << "只画出了断面。水位流量关系曲线点子数量必须在 1 到 100 之间，"
           "现在是 -3。";
  }

  void somethingMissing() {
    QFETCH(QString, survey);
    QFETCH(double, roughness);
    QFETCH(double, stages);
    QFETCH(QStringList, empty);
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
                        Problems(empty, not_numbers)));
    viewer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));

    QCOMPARE(viewer.message(), message);
    // One line of the window, not a message box.
    QVERIFY(!message.contains(QLatin1Char('\n')));
    // Above the charts, where it is seen at any size.
    auto* line = viewer.findChild<QLabel*>("Message");
    QVERIFY(line->isVisible());
    QVERIFY(line->geometry().bottom() <
            viewer.findChild<ChartView*>("SectionChart")
                ->mapTo(&viewer, QPoint())
                .y());
    QVERIFY(sink_.messages.empty());

    const figure::Chart* section = ChartOf(viewer, "SectionChart");
    QCOMPARE(Count(Find(section, kBedSeries)), bed_points);
    QVERIFY(Find(section, kWaterSeries) == nullptr);
    QVERIFY(!viewer.findChild<ChartView*>("DischargeChart")->isVisible());
    QVERIFY(!viewer.findChild<ChartView*>("AreaChart")->isVisible());
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

  // The red line says what the run would warn about after its closing
  // message, and what the gaugings warn about.
  void warnings_data() {
    QTest::addColumn<QByteArray>("survey");
    QTest::addColumn<double>("roughness");
    QTest::addColumn<QString>("slope");
    QTest::addColumn<QByteArray>("gaugings");  // Empty: none imported.
    QTest::addColumn<QStringList>("said");     // Empty: the line is hidden.
    QTest::addColumn<double>("stages");
    const QByteArray v = "0,5\r\n10,0\r\n20,0\r\n30,5\r\n";
    QTest::newRow("nothing doubtful")
        << v << 0.025 << "0.0004" << QByteArray() << QStringList() << 5.0;
    QTest::newRow("a point beyond the bank")
        << "-5,3\r\n" + v << 0.025 << "0.0004" << QByteArray()
        << QStringList{"断面起点一端（第 1 个测点，起点距 -5）的高程 3"} << 5.0;
    QTest::newRow("roughness with a 0 too few")
        << v << 0.3 << "0.0004" << QByteArray() << QStringList{"糙率 0.3"}
        << 5.0;
    QTest::newRow("slope 0")
        << v << 0.025 << "0" << QByteArray() << QStringList{"比降为 0"} << 5.0;
    QTest::newRow("far above the gaugings")
        << v << 0.025 << "0.0004" << QByteArray("1.5,20\r\n2,29\r\n")
        << QStringList{"外延幅度 600.0%"} << 5.0;
    QTest::newRow("two at once")
        << v << 0.3 << "0.0004" << QByteArray("1.5,20\r\n2,29\r\n")
        << QStringList{"糙率 0.3", "外延幅度 600.0%"} << 5.0;
    // The table of a fractional count stops below the bank: 7 rows of 0.63.
    QTest::newRow("fractional stage count")
        << v << 0.025 << "0.0004" << QByteArray()
        << QStringList{"点子数量 7.9 不是整数", "表中只有 7 行",
                       "最高计算水位 4.41 低于较低一岸的堤顶 5"}
        << 7.9;
  }

  void warnings() {
    QFETCH(QByteArray, survey);
    QFETCH(double, roughness);
    QFETCH(QString, slope);
    QFETCH(QByteArray, gaugings);
    QFETCH(QStringList, said);
    QFETCH(double, stages);
    const QString path = temp_.filePath("warned.txt");
    QVERIFY(WriteFile(path, survey));
    RatingViewer viewer(&sink_);
    viewer.Show(Request(path.toStdString(), roughness,
                        slope.toStdString().c_str(), stages));
    viewer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));
    if (!gaugings.isEmpty()) {
      const QString file = temp_.filePath("warned_gaugings.txt");
      QVERIFY(WriteFile(file, gaugings));
      viewer.ShowGaugings(file.toStdString());
      QVERIFY(viewer.analysis().has_value());
    }
    // The table is computed and shown all the same.
    QCOMPARE(viewer.figure().rows.size(), static_cast<size_t>(stages));
    QVERIFY(sink_.messages.empty());
    for (const QString& words : said) {
      QVERIFY2(viewer.message().contains(words), qPrintable(viewer.message()));
    }
    if (said.isEmpty()) QCOMPARE(viewer.message(), QString());
    QCOMPARE(viewer.findChild<QLabel*>("Message")->isVisible(),
             !said.isEmpty());
  }

  // The rating of the zones: marked on the section, n_eq and alpha in the
  // table; the gaugings, checked against one roughness, wait.
  void zones() {
    RatingViewer viewer(&sink_);
    ViewRequest request = Request(kSurvey, 0, "0.0004", 5);
    request.parameters.zones = {{0, 0.025}, {10, 0.0125}, {20, 0.025}};
    viewer.Show(request);
    QCOMPARE(viewer.message(), QString());
    QCOMPARE(viewer.figure().zones.size(), size_t{3});
    int boundaries = 0;
    for (const figure::Series& series :
         ChartOf(viewer, "SectionChart")->series) {
      boundaries += series.id == kZoneBoundarySeries;
    }
    QCOMPARE(boundaries, 2);
    auto* table = viewer.findChild<QTableWidget*>("Table");
    QCOMPARE(table->horizontalHeaderItem(7)->text(),
             QStringLiteral("综合糙率\nn_eq"));
    // At stage 5 the V's banks (n .025) and bed (n .0125) share the flow.
    const QVariantList last = Cells(table, 4);
    QCOMPARE(last.size(), 9);
    QCOMPARE(last[1], QVariant("100.00"));
    QCOMPARE(
        last[7].toString(),
        QString::number(viewer.figure().rows[4].equivalent_roughness, 'f', 4));
    QVERIFY(last[7].toDouble() > 0.0125 && last[7].toDouble() < 0.025);
    QVERIFY(last[8].toDouble() > 1);
    QVERIFY(!viewer.findChild<QPushButton*>("ImportGaugings")->isEnabled());

    viewer.Show(Request(kSurvey, 0.025, "0.0004", 5));
    QCOMPARE(Cells(table, 4).size(), 7);
    QVERIFY(viewer.figure().zones.empty());
    QVERIFY(viewer.findChild<QPushButton*>("ImportGaugings")->isEnabled());
  }

  void showAgainReplacesEverything() {
    RatingViewer viewer(&sink_);
    viewer.Show(Request(kSurvey, 0.025, "0.0004", 5));
    viewer.Show(Request(kSurvey, 0.025, "0.0004", 3, Problems({}, {"糙率"})));
    QVERIFY(viewer.figure().rows.empty());
    QCOMPARE(viewer.findChild<QTableWidget*>("Table")->rowCount(), 0);
    QVERIFY(Find(ChartOf(viewer, "SectionChart"), kWaterSeries) == nullptr);
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
      QCOMPARE(image.size(), FigureImage(viewer.figure()).size());
    } else {
      QVERIFY(bytes.contains("<title>saved</title>"));
      QVERIFY(bytes.contains("</svg>"));
    }
    // Where the file went, on the status line; the next Show clears it.
    QCOMPARE(viewer.status(),
             QStringLiteral("已保存到 ") + QDir::toNativeSeparators(chosen));
    viewer.Show(Request(kSurvey, 0.025, "0.0004", 4));
    QCOMPARE(viewer.status(), QString());
  }

  // The V section against a gauging at 2.5 m whose discharge means n = 0.02,
  // and one below the bed.
  void gaugings() {
    const QString gaugings = temp_.filePath("gaugings.txt");
    QVERIFY(
        WriteFile(gaugings, "水位,流量\r\n-1,5\r\n2.5,54.8820294890058\r\n"));
    QString saved_as;
    const QString chosen = temp_.filePath("report.csv");
    RatingViewer viewer(&sink_,
                        [&](QWidget*, const QString&, const QString& suggestion,
                            const QString&, const QString&) {
                          saved_as = suggestion;
                          return chosen;
                        });
    viewer.Show(Request(kSurvey, 0.025, "0.0004", 5));
    viewer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));
    QVERIFY(!Shows(viewer, "RoughnessChart"));
    QVERIFY(!viewer.findChild<QPushButton*>("SaveReport")->isEnabled());
    QVERIFY(viewer.findChild<QPushButton*>("ImportGaugings")->isEnabled());

    viewer.ShowGaugings(gaugings.toStdString());
    QVERIFY(sink_.messages.empty());
    QVERIFY(viewer.analysis().has_value());
    QCOMPARE(viewer.analysis()->calibrated_roughness, 0.02);

    // Stages 3 to 5 lie above the gauging: dashed, from stage 2 on.
    const figure::Chart* rating = ChartOf(viewer, "DischargeChart");
    struct Curve {
      const char* name;
      QList<QPointF> points;
      figure::Dash style;
    };
    for (const Curve& curve : {
             Curve{kCurveSeries,
                   {{0, 0}, {8.47, 1}, {29.06, 2}},
                   figure::Dash::kSolid},
             Curve{kCurveExtendedSeries,
                   {{29.06, 2}, {61.96, 3}, {108.4, 4}, {169.72, 5}},
                   figure::Dash::kDashed},
             Curve{kCalibratedSeries,
                   {{0, 0}, {10.59, 1}, {36.33, 2}},
                   figure::Dash::kSolid},
             Curve{kCalibratedExtendedSeries,
                   {{36.33, 2}, {77.46, 3}, {135.5, 4}, {212.16, 5}},
                   figure::Dash::kDashed},
         }) {
      const figure::Series* series = Find(rating, curve.name);
      QVERIFY2(series != nullptr, curve.name);
      QCOMPARE(Points(series), curve.points);
      QCOMPARE(series->pen.dash, curve.style);
    }
    QCOMPARE(Points(Find(rating, kGaugingSeries)),
             QList<QPointF>{QPointF(54.8820294890058, 2.5)});
    QCOMPARE(Points(Find(rating, kLeftOutSeries)),
             QList<QPointF>{QPointF(5, -1)});
    QVERIFY(Near(Range(rating, kVerticalAxis), {-1.3, 5.3}));

    QVERIFY(Shows(viewer, "RoughnessChart"));
    const figure::Chart* roughness = ChartOf(viewer, "RoughnessChart");
    QCOMPARE(Count(Find(roughness, kRoughnessSeries)), 1);
    QVERIFY(std::abs(Find(roughness, kRoughnessSeries)->points[0].x - 0.02) <
            1e-12);
    for (const QPointF& p :
         Points(Find(roughness, kCalibratedRoughnessSeries))) {
      QCOMPARE(p.x(), 0.02);
    }
    auto* summary = viewer.findChild<QLabel*>("GaugingsSummary");
    QVERIFY(summary->isVisible());
    QVERIFY(summary->text().startsWith(QStringLiteral(
        "率定糙率 n_c = 0.02，相对标准误差 Se = 无，实测点数 k = 1，")));
    QVERIFY(summary->text().contains(QStringLiteral("Q = 8.257(H − 0)^1.858")));
    QVERIFY(summary->text().endsWith(QStringLiteral(
        "；符号检验 点数不足，适线检验 点数不足，偏离数值检验 点数不足，"
        "系统误差 0%，随机不确定度 无")));
    QVERIFY(Shows(viewer, "DeviationChart"));
    QCOMPARE(Points(Find(ChartOf(viewer, "DeviationChart"), kDeviationSeries)),
             QList<QPointF>{QPointF(0, 2.5)});

    QTest::mouseClick(viewer.findChild<QPushButton*>("SaveReport"),
                      Qt::LeftButton);
    QVERIFY(sink_.messages.empty());
    QCOMPARE(saved_as, QString::fromStdString(RatingReportPath(kSurvey)));
    QFile file(chosen);
    QVERIFY(file.open(QIODevice::ReadOnly));
    // The same report as the command line's, with the time of the save.
    const QByteArray report = file.readAll();
    const std::string expected =
        RatingReportCsv(*viewer.analysis(), *viewer.checks(),
                        {.data_file_path = kSurvey,
                         .gaugings_path = gaugings.toStdString(),
                         .roughness_text = "0.025",
                         .slope_text = "0.0004",
                         .run_time = {}});
    const QByteArray time_row = QByteArrayLiteral("\r\n计算时间,");
    QCOMPARE(report.left(report.indexOf(time_row)),
             QByteArray::fromStdString(
                 expected.substr(0, expected.find(time_row.toStdString()))));
    QVERIFY(report.contains("\r\n关系式,Q=8.257(H−0)^1.858\r\n"));
    QVERIFY(report.endsWith("\r\n偏离数值检验,,,0.2,点数不足\r\n"));

    // Shown again, the table is checked against the same gaugings; a slope
    // of 0 cannot be, and the message line says why, after the slope's own
    // warning.
    viewer.Show(Request(kSurvey, 0.03, "0.0004", 5));
    QVERIFY(viewer.analysis().has_value());
    viewer.Show(Request(kSurvey, 0.025, "0", 5));
    QVERIFY(!viewer.analysis().has_value());
    QVERIFY(viewer.message().startsWith(QStringLiteral("比降为 0")));
    QVERIFY(viewer.message().endsWith(
        QStringLiteral("。 有实测流量时比降必须大于 0")));
    QVERIFY(!Shows(viewer, "RoughnessChart"));
    QVERIFY(!Shows(viewer, "DeviationChart"));
    QVERIFY(!viewer.findChild<QPushButton*>("SaveReport")->isEnabled());
  }

  // The gaugings are checked against the rating on screen, even when the
  // survey has changed on disk since: the chart, the table and the report
  // show one version of the section.
  void gaugingsCheckTheRatingShown() {
    const QString survey = temp_.filePath("changing.txt");
    const QString gaugings = temp_.filePath("changing_gaugings.txt");
    QVERIFY(WriteFile(survey, "0,5\r\n10,0\r\n20,0\r\n30,5\r\n"));
    QVERIFY(WriteFile(gaugings, "2.5,54.8820294890058\r\n"));
    RatingViewer viewer(&sink_);
    viewer.Show(Request(survey.toStdString(), 0.025, "0.0004", 5));
    QVERIFY(WriteFile(survey, "0,9\r\n10,1\r\n20,1\r\n30,9\r\n"));
    viewer.ShowGaugings(gaugings.toStdString());
    QVERIFY(sink_.messages.empty());
    QVERIFY(viewer.analysis().has_value());
    QCOMPARE(viewer.analysis()->calibrated_roughness, 0.02);
    const std::vector<CalibratedRow>& rows = viewer.analysis()->rows;
    QCOMPARE(rows.size(), viewer.figure().rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
      QCOMPARE(rows[i].stage, viewer.figure().rows[i].stage);
      QCOMPARE(rows[i].discharge, viewer.figure().rows[i].discharge);
    }
  }

  // A file that cannot be read is told, and what was shown stays: the
  // gaugings checked before, their charts, summary and report.
  void badGaugingsAreTold_data() {
    QTest::addColumn<bool>("good_before");
    QTest::newRow("first import") << false;
    QTest::newRow("after a good import") << true;
  }

  void badGaugingsAreTold() {
    QFETCH(bool, good_before);
    const QString good = temp_.filePath("good_gaugings.txt");
    QVERIFY(WriteFile(good, "2.5,54.8820294890058\r\n"));
    const QString bad = temp_.filePath("bad_gaugings.txt");
    QVERIFY(WriteFile(bad, "1,2\r\n3,0\r\n"));
    RatingViewer viewer(&sink_);
    viewer.Show(Request(kSurvey, 0.025, "0.0004", 5));
    viewer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));
    if (good_before) viewer.ShowGaugings(good.toStdString());
    const auto* summary = viewer.findChild<QLabel*>("GaugingsSummary");
    const QString summary_before = summary->text();

    viewer.ShowGaugings(bad.toStdString());
    QCOMPARE(sink_.messages.size(), size_t{1});
    QCOMPARE(sink_.messages[0].title, std::string("实测流量未能导入"));
    QVERIFY(QString::fromStdString(sink_.messages[0].text)
                .contains(QStringLiteral("第 2 行的实测流量“0”不大于 0")));
    QCOMPARE(viewer.analysis().has_value(), good_before);
    QCOMPARE(
        Find(ChartOf(viewer, "DischargeChart"), kCalibratedSeries) != nullptr,
        good_before);
    QCOMPARE(Shows(viewer, "RoughnessChart"), good_before);
    QCOMPARE(summary->isVisible(), good_before);
    QCOMPARE(summary->text(), summary_before);
    QCOMPARE(viewer.findChild<QPushButton*>("SaveReport")->isEnabled(),
             good_before);
    // The next table is checked against the good file, if any, and the bad
    // one is not tried again.
    viewer.Show(Request(kSurvey, 0.03, "0.0004", 5));
    QCOMPARE(viewer.message(), QString());
    QCOMPARE(viewer.analysis().has_value(), good_before);
    QCOMPARE(sink_.messages.size(), size_t{1});
  }

  // Without a sink of the caller's, the viewer's message boxes are its own,
  // so that the window the user works in is not put behind the main one.
  void messageBoxesBelongToTheViewer() {
    const QString bad = temp_.filePath("bad_gaugings.txt");
    QVERIFY(WriteFile(bad, "1,2\r\n3,0\r\n"));
    QWidget owner;
    owner.show();
    RatingViewer viewer(nullptr, {}, &owner);
    viewer.Show(Request(kSurvey, 0.025, "0.0004", 5));
    viewer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));
    const SeenBox seen =
        AnswerMessageBox([&] { viewer.ShowGaugings(bad.toStdString()); });
    QVERIFY(seen.found);
    QCOMPARE(seen.parent, &viewer);
    QCOMPARE(seen.title, QStringLiteral("实测流量未能导入"));
  }

  // The saved figure holds every chart the window shows, with the same
  // titles and legends, under a heading that names the survey.
  void savedFigureHoldsWhatIsShown_data() {
    QTest::addColumn<bool>("gaugings");
    QTest::addColumn<int>("charts");
    QTest::newRow("the table") << false << 3;
    QTest::newRow("checked against gaugings") << true << 5;
  }

  void savedFigureHoldsWhatIsShown() {
    QFETCH(bool, gaugings);
    QFETCH(int, charts);
    const QString chosen = temp_.filePath("figure.svg");
    QFile::remove(chosen);
    RatingViewer viewer(
        &sink_, [&](QWidget*, const QString&, const QString&, const QString&,
                    const QString&) { return chosen; });
    viewer.Show(Request(kSurvey, 0.025, "0.0004", 5));
    viewer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));
    if (gaugings) {
      const QString file = temp_.filePath("gaugings.txt");
      QVERIFY(WriteFile(file, "-1,5\r\n2.5,54.8820294890058\r\n"));
      viewer.ShowGaugings(file.toStdString());
    }
    QTest::mouseClick(viewer.findChild<QPushButton*>("SaveSvg"),
                      Qt::LeftButton);
    QFile file(chosen);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = SvgText(file.readAll());
    QVERIFY2(text.contains(
                 QStringLiteral("v_section　糙率 n = 0.025　比降 S = 0.0004")),
             qPrintable(text.left(200)));
    int shown = 0;
    for (const ChartView* view : viewer.findChildren<ChartView*>()) {
      if (!view->isVisible()) continue;
      ++shown;
      for (const QString& words : ChartTexts(view->chart())) {
        QVERIFY2(text.contains(words), qPrintable(words));
      }
    }
    QCOMPARE(shown, charts);
  }

  // The viewer's file dialogs show every text in Chinese, whatever the
  // system's language, and cut no column of their list.
  void fileDialogs_data() {
    QTest::addColumn<QFileDialog::AcceptMode>("mode");
    QTest::newRow("import") << QFileDialog::AcceptOpen;
    QTest::newRow("save") << QFileDialog::AcceptSave;
  }

  void fileDialogs() {
    QFETCH(QFileDialog::AcceptMode, mode);
    QTemporaryDir folder;  // A folder and a survey.
    QVERIFY(QDir(folder.path()).mkpath(QStringLiteral("测站资料")));
    QVERIFY(WriteFile(folder.filePath("河道断面.txt"), "0,5\r\n10,0\r\n"));
    const std::unique_ptr<QFileDialog> dialog =
        NewFileDialog(nullptr, QStringLiteral("导入实测流量"), folder.path(),
                      QStringLiteral("文本文件 (*.txt)"), mode);
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    auto* list = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
    QVERIFY(list != nullptr && list->isVisible());
    const QAbstractItemModel* model = list->model();
    QVERIFY(QTest::qWaitFor(
        [&] { return model->rowCount(list->rootIndex()) == 2; }));

    // Each column as wide as its head and its cells, the name's beside its
    // icon, and all of them in the list's width.
    QStringList heads;
    const QFontMetrics metrics(list->font());
    for (int c = 0; c < model->columnCount(list->rootIndex()); ++c) {
      heads << model->headerData(c, Qt::Horizontal).toString();
      int needed =
          list->header()->fontMetrics().horizontalAdvance(heads.last());
      for (int r = 0; r < 2; ++r) {
        const QModelIndex cell = model->index(r, c, list->rootIndex());
        needed =
            std::max(needed, metrics.horizontalAdvance(cell.data().toString()) +
                                 (c == 0 ? list->iconSize().width() : 0));
      }
      QVERIFY2(list->header()->sectionSize(c) > needed,
               qPrintable(heads.last()));
    }
    QCOMPARE(heads, (QStringList{"名称", "大小", "类型", "修改日期"}));
    QVERIFY(list->header()->length() <= list->viewport()->width());
    QStringList types;
    for (int r = 0; r < 2; ++r) {
      const QModelIndex row = model->index(r, 0, list->rootIndex());
      types << row.siblingAtColumn(2).data().toString();
      QVERIFY2(
          QRegularExpression(QStringLiteral("^\\d{4}/\\d+/\\d+ \\d+:\\d\\d$"))
              .match(row.siblingAtColumn(3).data().toString())
              .hasMatch(),
          qPrintable(row.siblingAtColumn(3).data().toString()));
    }
    types.sort();
    QCOMPARE(types, (QStringList{"TXT 文件", "文件夹"}));
    // The dialog's own words: its labels and buttons hold no Latin letters.
    for (const QWidget* widget : dialog->findChildren<QWidget*>()) {
      QString words;
      if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        words = label->text();
      } else if (const auto* button =
                     qobject_cast<const QPushButton*>(widget)) {
        words = button->text();
      }
      if (!widget->isVisible() || words.isEmpty()) continue;
      QVERIFY2(!words.contains(QRegularExpression(QStringLiteral("[A-Za-z]"))),
               qPrintable(words));
    }
  }

  void failedSaveIsTold() {
    QString chosen = temp_.filePath("no such folder/table.csv");
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
    QCOMPARE(viewer.status(), QString());

    // A file at the chosen name that this program did not write is left as
    // it is, though the dialog asked before replacing it.
    sink_.messages.clear();
    chosen = temp_.filePath("notes.csv");
    QVERIFY(WriteFile(chosen, "备注\r\n"));
    QTest::mouseClick(viewer.findChild<QPushButton*>("SaveCsv"),
                      Qt::LeftButton);
    QCOMPARE(sink_.messages.size(), size_t{1});
    QVERIFY(QString::fromStdString(sink_.messages[0].text)
                .contains(QStringLiteral("不是本程序的表格")));
    QFile kept(chosen);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("备注\r\n"));
  }

  // At the size it opens with on a 1280 x 800 screen (or 2560 x 1600 at
  // twice the scale), and smaller, every control is on the window and the
  // table shows ten rows whole.
  // A stage record through the V: the hydrograph across the bottom, its
  // line, and the warning of a reading over the banks; a broken record is
  // told and changes nothing.
  void stageRecord() {
    RatingViewer viewer(&sink_);
    viewer.Show(Request(kSurvey, 0.025, "0.0004", 5));
    viewer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));
    QVERIFY(!Shows(viewer, "HydrographChart"));
    QVERIFY(!viewer.findChild<QLabel*>("FlowSummary")->isVisible());
    QVERIFY(!viewer.findChild<QPushButton*>("SaveFlowTable")->isEnabled());
    QVERIFY(viewer.findChild<QPushButton*>("ConvertFlow")->isEnabled());

    const QString record = temp_.filePath("v_stages.csv");
    QVERIFY(WriteFile(record,
                      "2024-07-01,0:00,1\r\n2024-07-01,12:00,6\r\n"
                      "2024-07-02,0:00,2\r\n2024-07-03,0:00,2\r\n"));
    viewer.ShowStageRecord(record.toStdString());
    QVERIFY(sink_.messages.empty());
    QVERIFY(Shows(viewer, "HydrographChart"));
    QCOMPARE(ChartOf(viewer, "HydrographChart")->id, "HydrographChart");
    auto* line = viewer.findChild<QLabel*>("FlowSummary");
    QVERIFY(line->isVisible());
    QCOMPARE(line->text().toStdString(), viewer.controller().flow_summary());
    QVERIFY2(viewer.message().contains("超出断面"),
             qPrintable(viewer.message()));
    QVERIFY(viewer.findChild<QPushButton*>("SaveFlowTable")->isEnabled());
    // On a tab of its own, turned to, in the curves' room; the curves a tab
    // away.
    auto* tabs = viewer.findChild<QTabWidget*>("Lower");
    QCOMPARE(tabs->count(), 2);
    QVERIFY(!Shows(viewer, "AreaChart"));
    QVERIFY(viewer.findChild<ChartView*>("HydrographChart")->width() >
            viewer.width() * 8 / 10);
    tabs->setCurrentIndex(0);
    QVERIFY(Shows(viewer, "AreaChart"));
    tabs->setCurrentIndex(1);

    const QString broken = temp_.filePath("broken_stages.csv");
    QVERIFY(WriteFile(broken, "2024-07-01,8:00,1\r\n2024-07-01,7:00,1\r\n"));
    viewer.ShowStageRecord(broken.toStdString());
    QCOMPARE(sink_.messages.size(), size_t{1});
    QCOMPARE(sink_.messages[0].title, std::string(kViewerFlowFailedTitle));
    QVERIFY(Shows(viewer, "HydrographChart"));
    QCOMPARE(line->text().toStdString(), viewer.controller().flow_summary());
    QCOMPARE(viewer.controller().stage_record_path(), record.toStdString());
    // No table, no discharges and no tab; the next table has them again.
    viewer.Show(Request(kSurvey, 0.025, "abc", 5));
    QVERIFY(!line->isVisible());
    viewer.Show(Request(kSurvey, 0.025, "0.0004", 5));
    QCOMPARE(tabs->count(), 2);
    QVERIFY(line->isVisible());

    // The example river, its gaugings and its month of stages, photographed
    // when asked at the size of a 1280 x 800 screen.
    if (const QString shots = qEnvironmentVariable("XSRATING_TEST_SHOTS");
        !shots.isEmpty()) {
      viewer.Show(
          Request(XSRATING_EXAMPLES "/river_section.txt", 0.03, "0.0003", 20));
      viewer.ShowGaugings(XSRATING_EXAMPLES "/river_section_gaugings.txt");
      viewer.ShowStageRecord(XSRATING_EXAMPLES "/river_section_stages.txt");
      viewer.resize(1100, 726);
      QTest::qWait(100);
      QVERIFY(viewer.grab().save(shots + "/viewer-hydrograph.png"));
    }
  }

  void fitsSmallScreens_data() {
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("rows");
    QTest::newRow("1280 x 800") << QSize(1100, 726) << 10;
    QTest::newRow("smaller still") << QSize(640, 480) << 1;
  }

  void fitsSmallScreens() {
    QFETCH(QSize, size);
    QFETCH(int, rows);
    RatingViewer viewer(&sink_);
    viewer.Show(Request(kSurvey, 0.025, "0.0004", 20));
    viewer.resize(size);
    viewer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));
    QCOMPARE(viewer.size(), size);

    const QRect window = viewer.rect();
    for (QWidget* child : viewer.findChildren<QWidget*>()) {
      const QString name = child->objectName();
      if (name.isEmpty() || !child->isVisible()) continue;
      const QRect shown(child->mapTo(&viewer, QPoint()), child->size());
      QVERIFY2(window.contains(shown), qPrintable(name));
    }
    auto* table = viewer.findChild<QTableWidget*>("Table");
    int whole = 0;
    for (int r = 0; r < table->rowCount(); ++r) {
      const QRect row = table->visualRect(table->model()->index(r, 0));
      if (table->viewport()->rect().contains(row)) ++whole;
    }
    QVERIFY2(whole >= rows, qPrintable(QString::number(whole)));
  }
};

}  // namespace xsrating

QTEST_MAIN(xsrating::RatingViewerTest)
#include "rating_viewer_test.moc"
