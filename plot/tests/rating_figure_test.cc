// SPDX-License-Identifier: GPL-3.0-or-later
// The charts of a rating figure: what each series holds, the axes' spans and
// titles, and the figure files.
#include "plot/rating_figure.h"

#include <QAreaSeries>
#include <QChart>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QImage>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QScatterSeries>
#include <QTest>
#include <QValueAxis>
#include <cmath>
#include <memory>
#include <vector>

#include "core/hydraulics/rating.h"
#include "core/hydraulics/stage_discharge.h"

namespace xsrating {
namespace {

CrossSection Section(std::vector<SectionPoint> points) {
  return CrossSection{std::move(points)};
}

// The V section of the examples rated with n 0.025, slope 0.0004 and five
// stages.
Rating VRating() {
  RunParameters params;
  params.roughness = 0.025;
  params.slope_text = "0.0004";
  params.stage_count = 5;
  Rating rating;
  RateSection(Section({{0, 5}, {10, 0}, {20, 0}, {30, 5}}), params, &rating);
  return rating;
}

// Its figure without gaugings.
FigureData VSection() {
  const Rating rating = VRating();
  FigureData data;
  data.section = rating.section;
  data.rows = rating.hydraulic_rows;
  return data;
}

// The V section's table checked against a gauging at 2.5 m, which means a
// roughness near 0.02, and one below the bed.
RatingAnalysis VSectionAnalysis() {
  const Rating rating = VRating();
  const std::vector<Gauging> gaugings = {{-1, 5, 1}, {2.5, 54.88, 2}};
  RatingAnalysis analysis;
  AnalyzeRating(rating.section, rating.table, 0.0004, gaugings, &analysis);
  return analysis;
}

template <typename Series>
Series* Find(const QChart& chart, const char* name) {
  for (QAbstractSeries* series : chart.series()) {
    if (series->objectName() == QLatin1String(name)) {
      return qobject_cast<Series*>(series);
    }
  }
  return nullptr;
}

QValueAxis* Axis(const QChart& chart, const char* name) {
  for (QAbstractAxis* axis : chart.axes()) {
    if (axis->objectName() == QLatin1String(name)) {
      return qobject_cast<QValueAxis*>(axis);
    }
  }
  return nullptr;
}

AxisRange RangeOf(const QValueAxis* axis) { return {axis->min(), axis->max()}; }

bool Near(const AxisRange& a, const AxisRange& b) {
  return std::abs(a.min - b.min) < 1e-9 && std::abs(a.max - b.max) < 1e-9;
}

// The area between two lines of the same distances, by trapezoids.
double AreaBetween(const QList<QPointF>& upper, const QList<QPointF>& lower) {
  double area = 0;
  for (int i = 0; i + 1 < upper.size(); ++i) {
    const double left = upper[i].y() - lower[i].y();
    const double right = upper[i + 1].y() - lower[i + 1].y();
    area += (left + right) / 2 * (upper[i + 1].x() - upper[i].x());
  }
  return area;
}

// The width over which the upper line lies above the lower one.
double WidthBetween(const QList<QPointF>& upper, const QList<QPointF>& lower) {
  double width = 0;
  for (int i = 0; i + 1 < upper.size(); ++i) {
    const double middle = (upper[i].y() + upper[i + 1].y()) / 2 -
                          (lower[i].y() + lower[i + 1].y()) / 2;
    if (middle > 0) width += upper[i + 1].x() - upper[i].x();
  }
  return width;
}

}  // namespace

class RatingFigureTest : public QObject {
  Q_OBJECT

 private slots:
  void paddedRange_data() {
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("high");
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");
    QTest::newRow("bed to crest") << 0.0 << 5.0 << -0.25 << 5.25;
    QTest::newRow("real elevations") << 100.0 << 120.0 << 99.0 << 121.0;
    QTest::newRow("no span") << 3.0 << 3.0 << 2.0 << 4.0;
  }

  void paddedRange() {
    QFETCH(double, low);
    QFETCH(double, high);
    QFETCH(double, min);
    QFETCH(double, max);
    QVERIFY(Near(PaddedRange(low, high), {min, max}));
  }

  void rangeFromZero_data() {
    QTest::addColumn<double>("high");
    QTest::addColumn<double>("max");
    QTest::newRow("discharge") << 169.72 << 178.206;
    QTest::newRow("no flow") << 0.0 << 1.0;
  }

  void rangeFromZero() {
    QFETCH(double, high);
    QFETCH(double, max);
    QVERIFY(Near(RangeFromZero(high), {0, max}));
  }

  void tickInterval_data() {
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");
    QTest::addColumn<double>("interval");
    QTest::newRow("distance 0 to 30") << 0.0 << 30.0 << 5.0;
    QTest::newRow("elevation -0.25 to 5.25") << -0.25 << 5.25 << 1.0;
    QTest::newRow("discharge to 178") << 0.0 << 178.206 << 50.0;
    QTest::newRow("area to 105") << 0.0 << 105.0 << 20.0;
    QTest::newRow("centimetres") << 10.0 << 10.08 << 0.02;
    QTest::newRow("exactly six") << 0.0 << 6.0 << 1.0;
    QTest::newRow("no span") << 1.0 << 1.0 << 1.0;
  }

  void tickInterval() {
    QFETCH(double, min);
    QFETCH(double, max);
    QFETCH(double, interval);
    QVERIFY(std::abs(TickInterval({min, max}) - interval) < 1e-12);
  }

  void sectionOfTheVSection() {
    const std::unique_ptr<QChart> chart = MakeSectionChart(VSection());
    QCOMPARE(RangeOf(Axis(*chart, kHorizontalAxis)), (AxisRange{0, 30}));
    QCOMPARE(RangeOf(Axis(*chart, kVerticalAxis)), (AxisRange{-0.25, 5.25}));
    QCOMPARE(Axis(*chart, kHorizontalAxis)->titleText(),
             QStringLiteral("起点距 (m)"));
    QCOMPARE(Axis(*chart, kVerticalAxis)->titleText(),
             QStringLiteral("高程 (m)"));

    auto* bed = Find<QLineSeries>(*chart, kBedSeries);
    QVERIFY(bed != nullptr);
    QCOMPARE(bed->points(),
             (QList<QPointF>{{0, 5}, {10, 0}, {20, 0}, {30, 5}}));
    auto* crest = Find<QLineSeries>(*chart, kBankCrestSeries);
    QVERIFY(crest != nullptr);
    QCOMPARE(crest->points(), (QList<QPointF>{{0, 5}, {30, 5}}));
    QCOMPARE(crest->pen().style(), Qt::DashLine);

    // The earth is filled from the bed down to the frame.
    auto* earth = Find<QAreaSeries>(*chart, kBedFillSeries);
    QVERIFY(earth != nullptr);
    QCOMPARE(earth->upperSeries()->points(), bed->points());
    for (const QPointF& p : earth->lowerSeries()->points()) {
      QCOMPARE(p.y(), -0.25);
    }
    // Stage 5 reaches both crests: the whole V is water.
    auto* water = Find<QAreaSeries>(*chart, kWaterSeries);
    QVERIFY(water != nullptr);
    QCOMPARE(water->upperSeries()->points(),
             (QList<QPointF>{{0, 5}, {10, 5}, {20, 5}, {30, 5}}));
    QCOMPARE(water->lowerSeries()->points(), bed->points());
    QCOMPARE(water->name(), QStringLiteral("过水断面（水位 5 m）"));
  }

  // The shaded water must be the water the table was computed for: its area
  // and its width at the surface, over every wet part.
  void waterMatchesTheGeometry_data() {
    QTest::addColumn<QList<QPointF>>("points");
    QTest::addColumn<double>("level");
    QTest::newRow("V, water part way up")
        << QList<QPointF>{{0, 5}, {10, 0}, {20, 0}, {30, 5}} << 2.5;
    QTest::newRow("island splits the water")
        << QList<QPointF>{{0, 6}, {10, 0}, {20, 4}, {30, 0}, {40, 5}} << 3.0;
    QTest::newRow("island awash at the level")
        << QList<QPointF>{{0, 6}, {10, 0}, {20, 3}, {30, 0}, {40, 5}} << 3.0;
    QTest::newRow("vertical banks")
        << QList<QPointF>{{0, 4}, {0, 0}, {8, 0}, {8, 4}} << 1.5;
    QTest::newRow("point exactly at the level")
        << QList<QPointF>{{0, 5}, {5, 2}, {10, 0}, {20, 5}} << 2.0;
  }

  void waterMatchesTheGeometry() {
    QFETCH(QList<QPointF>, points);
    QFETCH(double, level);
    FigureData data;
    for (const QPointF& p : points) {
      data.section.points.push_back({p.x(), p.y()});
    }
    data.rows.push_back(HydraulicRow{level});
    const std::unique_ptr<QChart> chart = MakeSectionChart(data);
    auto* water = Find<QAreaSeries>(*chart, kWaterSeries);
    QVERIFY(water != nullptr);
    const QList<QPointF> surface = water->upperSeries()->points();
    const QList<QPointF> bed = water->lowerSeries()->points();
    QCOMPARE(surface.size(), bed.size());
    for (int i = 0; i < surface.size(); ++i) {
      QCOMPARE(surface[i].x(), bed[i].x());
      QVERIFY(surface[i].y() >= bed[i].y());
      QVERIFY(surface[i].y() <= std::max(level, bed[i].y()));
    }

    const WettedGeometry geometry =
        ComputeWettedGeometry(data.section, {level});
    QVERIFY(std::abs(AreaBetween(surface, bed) - geometry.area[0]) < 1e-9);
    QVERIFY(std::abs(WidthBetween(surface, bed) - geometry.top_width[0]) <
            1e-9);
  }

  void sectionAlone_data() {
    QTest::addColumn<QList<QPointF>>("points");
    QTest::addColumn<bool>("crest");
    QTest::newRow("no table yet")
        << QList<QPointF>{{0, 5}, {10, 0}, {20, 0}, {30, 5}} << true;
    QTest::newRow("one point: no crest") << QList<QPointF>{{0, 5}} << false;
    QTest::newRow("out of order: no crest")
        << QList<QPointF>{{0, 5}, {10, 0}, {5, 0}, {30, 5}} << false;
    QTest::newRow("no points") << QList<QPointF>{} << false;
  }

  void sectionAlone() {
    QFETCH(QList<QPointF>, points);
    QFETCH(bool, crest);
    FigureData data;
    for (const QPointF& p : points) {
      data.section.points.push_back({p.x(), p.y()});
    }
    const std::unique_ptr<QChart> chart = MakeSectionChart(data);
    QVERIFY(Find<QAreaSeries>(*chart, kWaterSeries) == nullptr);
    QCOMPARE(Find<QLineSeries>(*chart, kBankCrestSeries) != nullptr, crest);
    auto* bed = Find<QLineSeries>(*chart, kBedSeries);
    QCOMPARE(bed != nullptr, !points.isEmpty());
    if (bed != nullptr) QCOMPARE(bed->points(), points);
    // The axes always show the whole survey.
    const AxisRange across = RangeOf(Axis(*chart, kHorizontalAxis));
    const AxisRange up = RangeOf(Axis(*chart, kVerticalAxis));
    for (const QPointF& p : points) {
      QVERIFY(p.x() >= across.min && p.x() <= across.max);
      QVERIFY(p.y() > up.min && p.y() < up.max);
    }
  }

  void curves_data() {
    QTest::addColumn<bool>("discharge");
    QTest::addColumn<QString>("across_title");
    QTest::addColumn<double>("across_max");
    QTest::addColumn<QList<double>>("values");
    QTest::newRow("stage-discharge")
        << true << "流量 (m³/s)" << 169.72 * 1.05
        << QList<double>{8.47, 29.06, 61.96, 108.4, 169.72};
    QTest::newRow("stage-area")
        << false << "面积 (m²)" << 105.0 << QList<double>{12, 28, 48, 72, 100};
  }

  void curves() {
    QFETCH(bool, discharge);
    QFETCH(QString, across_title);
    QFETCH(double, across_max);
    QFETCH(QList<double>, values);
    const FigureData data = VSection();
    const std::unique_ptr<QChart> chart =
        discharge ? MakeDischargeChart(data) : MakeAreaChart(data);

    QVERIFY(Near(RangeOf(Axis(*chart, kHorizontalAxis)), {0, across_max}));
    QCOMPARE(RangeOf(Axis(*chart, kVerticalAxis)), (AxisRange{-0.25, 5.25}));
    QCOMPARE(Axis(*chart, kHorizontalAxis)->titleText(), across_title);
    // Stage up the vertical axis, as a rating is drawn.
    QCOMPARE(chart->axes(Qt::Vertical).value(0)->titleText(),
             QStringLiteral("水位 (m)"));

    QList<QPointF> marks;
    for (int j = 1; j <= 5; ++j) marks.append(QPointF(values[j - 1], j));
    auto* points = Find<QScatterSeries>(*chart, kPointSeries);
    QVERIFY(points != nullptr);
    QCOMPARE(points->points(), marks);
    auto* curve = Find<QLineSeries>(*chart, kCurveSeries);
    QVERIFY(curve != nullptr);
    QCOMPARE(curve->points(), QList<QPointF>{QPointF(0, 0)} + marks);
  }

  void curvesWithoutRows() {
    FigureData data = VSection();
    data.rows.clear();
    for (const auto& chart : {MakeDischargeChart(data), MakeAreaChart(data)}) {
      QCOMPARE(Find<QLineSeries>(*chart, kCurveSeries)->count(), 0);
      QCOMPARE(Find<QScatterSeries>(*chart, kPointSeries)->count(), 0);
      // The stage axis still spans the section's bed to its crest.
      QCOMPARE(RangeOf(Axis(*chart, kVerticalAxis)), (AxisRange{-0.25, 5.25}));
    }
  }

  // The viewer and the figure files draw these charts: the gauged ones
  // only with gaugings; each legend draws a curve as a line and points as a
  // dot; a file has room for each chart and the heading.
  void figureCharts_data() {
    QTest::addColumn<bool>("gaugings");
    QTest::addColumn<QString>("heading");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QSize>("size");
    const QStringList plain{"SectionChart", "DischargeChart", "AreaChart"};
    QTest::newRow("the table") << false << "" << plain << QSize(1200, 900);
    QTest::newRow("with its heading")
        << false << "v_section　糙率 n = 0.025　比降 S = 0.0004" << plain
        << QSize(1200, 944);
    QTest::newRow("checked against gaugings")
        << true << "v"
        << (plain + QStringList{"RoughnessChart", "DeviationChart"})
        << QSize(1200, 1394);
  }

  void figureCharts() {
    QFETCH(bool, gaugings);
    QFETCH(QString, heading);
    QFETCH(QStringList, names);
    QFETCH(QSize, size);
    FigureData data = VSection();
    data.heading = heading.toStdString();
    if (gaugings) data.analysis = VSectionAnalysis();
    const std::vector<FigureChart> charts = MakeFigureCharts(data);
    QStringList made;
    for (const FigureChart& chart : charts) {
      made << chart.name;
      QCOMPARE(chart.chart->legend()->markerShape(),
               QLegend::MarkerShapeFromSeries);
    }
    QCOMPARE(made, names);
    QCOMPARE(Find<QLineSeries>(*charts[1].chart, kCalibratedSeries) != nullptr,
             gaugings);
    QCOMPARE(FigureSize(data), size);
    QImage image;
    QVERIFY(image.loadFromData(FigurePng(data), "PNG"));
    QCOMPARE(image.size(), size);
  }

  void zonesMarkedAtTheirBreakpoints() {
    FigureData data = VSection();
    data.zones = {{0, 10, 0.05}, {10, 20, 0.025}, {20, 30, 0.05}};
    const std::unique_ptr<QChart> chart = MakeSectionChart(data);
    QList<double> boundaries;
    QStringList labels;
    for (QAbstractSeries* series : chart->series()) {
      auto* xy = qobject_cast<QXYSeries*>(series);
      if (series->objectName() == QLatin1String(kZoneBoundarySeries)) {
        QCOMPARE(xy->points().size(), 2);
        QCOMPARE(xy->points()[0].x(), xy->points()[1].x());
        boundaries << xy->points()[0].x();
      } else if (series->objectName() == QLatin1String(kZoneRoughnessSeries)) {
        QVERIFY(xy->pointLabelsVisible());
        labels << QString::number(xy->points()[0].x()) + " " +
                      xy->pointLabelsFormat();
      }
    }
    QCOMPARE(boundaries, (QList<double>{10, 20}));
    QCOMPARE(labels, (QStringList{"5 n=.05", "15 n=.025", "25 n=.05"}));
  }

  void legendNamesEverythingButTheEarth() {
    FigureData data = VSection();
    data.zones = {{0, 12, 0.05}, {12, 30, 0.025}};  // Not in the legend.
    const std::unique_ptr<QChart> chart = MakeSectionChart(data);
    // Markers show once the chart is laid out in a scene.
    QGraphicsScene scene;
    scene.addItem(chart.get());
    chart->setGeometry(QRectF(0, 0, 800, 400));
    chart->layout()->activate();
    QStringList shown;
    for (QLegendMarker* marker : chart->legend()->markers()) {
      if (marker->isVisible()) shown << marker->label();
    }
    shown.sort();
    QCOMPARE(shown,
             (QStringList{"河床", "较低堤顶 5 m", "过水断面（水位 5 m）"}));
    scene.removeItem(chart.get());
  }

  // Three usable gaugings with P = 4, -2, 1 (Se = sqrt(21 / 2)) and one left
  // out; then the same with only the first (no Se, no band).
  void deviationChart_data() {
    QTest::addColumn<int>("usable");
    QTest::addColumn<double>("band");  // 2 Se; 0 for none.
    QTest::newRow("with Se") << 3 << 2 * std::sqrt(21 / 2.0);
    QTest::newRow("one gauging") << 1 << 0.0;
  }
  void deviationChart() {
    QFETCH(int, usable);
    QFETCH(double, band);
    RatingAnalysis analysis;
    const QList<QPointF> points = {{4, 1.5}, {-2, 2.5}, {1, 2.0}};
    for (int i = 0; i < usable; ++i) {
      GaugingResult result;
      result.gauging.stage = points[i].y();
      result.fit = GaugingFit{.deviation_percent = points[i].x()};
      analysis.gaugings.push_back(result);
    }
    GaugingResult left_out;
    left_out.gauging.stage = 9;
    left_out.use = GaugingUse::kAboveCrest;
    analysis.gaugings.push_back(left_out);
    analysis.lowest_gauged_stage = 1.5;
    analysis.highest_gauged_stage = usable > 1 ? 2.5 : 1.5;
    if (band > 0) analysis.standard_error_percent = band / 2;

    const std::unique_ptr<QChart> chart = MakeDeviationChart(analysis);
    QCOMPARE(Find<QScatterSeries>(*chart, kDeviationSeries)->points(),
             points.mid(0, usable));
    const AxisRange stages = RangeOf(Axis(*chart, kVerticalAxis));
    QVERIFY(Near(stages, PaddedRange(analysis.lowest_gauged_stage,
                                     analysis.highest_gauged_stage)));
    QCOMPARE(Find<QLineSeries>(*chart, kZeroDeviationSeries)->points(),
             (QList<QPointF>{{0, stages.min}, {0, stages.max}}));
    // Symmetric about 0, wide enough for the points and the band.
    const double widest = std::max(4.0, band);
    QVERIFY(Near(RangeOf(Axis(*chart, kHorizontalAxis)),
                 PaddedRange(-widest, widest)));
    auto* area = Find<QAreaSeries>(*chart, kDeviationBandSeries);
    QCOMPARE(area != nullptr, band > 0);
    if (area != nullptr) {
      QCOMPARE(area->upperSeries()->points(),
               (QList<QPointF>{{-band, stages.max}, {band, stages.max}}));
      QCOMPARE(area->lowerSeries()->points(),
               (QList<QPointF>{{-band, stages.min}, {band, stages.min}}));
    }
  }
};

}  // namespace xsrating

QTEST_MAIN(xsrating::RatingFigureTest)
#include "rating_figure_test.moc"
