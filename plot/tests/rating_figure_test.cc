// SPDX-License-Identifier: GPL-3.0-or-later
// The figure drawn with Qt: the PNG decoded (its size, ink inside every
// chart's box, the own-file mark) and the viewer's chart widget.
#include "plot/rating_figure.h"

#include <QImage>
#include <QTest>
#include <string>
#include <vector>

#include "core/calibration/rating_analysis.h"
#include "core/hydraulics/rating.h"
#include "core/output/own_files.h"
#include "figure/layout.h"
#include "figure/svg_painter.h"
#include "plot/chart_view.h"

namespace xsrating {
namespace {

Rating VRating() {
  RunParameters params;
  params.roughness = 0.025;
  params.slope_text = "0.0004";
  params.stage_count = 5;
  Rating rating;
  RateSection(CrossSection{{{0, 5}, {10, 0}, {20, 0}, {30, 5}}}, params,
              &rating);
  return rating;
}

figure::FigureRequest VSection(bool gaugings, std::string heading) {
  const Rating rating = VRating();
  RatingAnalysis analysis;
  const std::vector<Gauging> measured = {
      {-1, 5, 1}, {2.5, 54.88, 2}, {3.5, 100, 3}};
  AnalyzeRating(rating.section, rating.table, 0.0004, measured, &analysis);
  return figure::RequestForRating(rating, gaugings ? &analysis : nullptr,
                                  std::move(heading), "");
}

// The share of pixels of `rect` in `image` that are not white.
double InkIn(const QImage& image, const QRect& rect) {
  int ink = 0;
  for (int y = rect.top(); y <= rect.bottom(); ++y) {
    for (int x = rect.left(); x <= rect.right(); ++x) {
      if (image.pixel(x, y) != qRgb(255, 255, 255)) ++ink;
    }
  }
  return static_cast<double>(ink) / (rect.width() * rect.height());
}

QRect Inside(const figure::Rect& r) {
  return QRect(static_cast<int>(r.x) + 1, static_cast<int>(r.y) + 1,
               static_cast<int>(r.width) - 2, static_cast<int>(r.height) - 2);
}

}  // namespace

class RatingFigureTest : public QObject {
  Q_OBJECT

 private slots:
  void png_data() {
    QTest::addColumn<bool>("gaugings");
    QTest::addColumn<QString>("heading");
    QTest::addColumn<QSize>("size");
    QTest::newRow("the table") << false << "" << QSize(1200, 900);
    QTest::newRow("with its heading")
        << false << "v_section　糙率 n = 0.025　比降 S = 0.0004"
        << QSize(1200, 944);
    QTest::newRow("checked against gaugings")
        << true << "v" << QSize(1200, 1394);
  }

  // Every chart's plot area has something drawn in it and its legend row
  // too; the heading's band is inked only with a heading.
  void png() {
    QFETCH(bool, gaugings);
    QFETCH(QString, heading);
    QFETCH(QSize, size);
    const figure::FigureRequest request =
        VSection(gaugings, heading.toStdString());
    std::string png;
    QVERIFY(FigurePng(request, &png).ok());
    QVERIFY(IsOwnFile(OwnFile::kFigure, png.substr(0, 4096)));
    QImage image;
    QVERIFY(image.loadFromData(reinterpret_cast<const uchar*>(png.data()),
                               static_cast<int>(png.size()), "PNG"));
    QCOMPARE(image.size(), size);
    // The boxes as the SVG lays them out: the page does not depend on how
    // text is measured.
    figure::SvgPainter measure(0, 0, "", "");
    const figure::FigureLayout layout = figure::LayOutFigure(request, measure);
    QCOMPARE(static_cast<int>(layout.charts.size()), gaugings ? 5 : 3);
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    for (const figure::ChartLayout& chart : layout.charts) {
      const QByteArray id = QByteArray::fromStdString(chart.chart.id);
      QVERIFY2(InkIn(rgb, Inside(chart.box)) > 0.02, id.constData());
      // The title band: text, not the empty ground.
      const QRect title(static_cast<int>(chart.box.x),
                        static_cast<int>(chart.box.y),
                        static_cast<int>(chart.box.width), 30);
      QVERIFY2(InkIn(rgb, title) > 0.001, id.constData());
    }
    const double heading_ink = InkIn(
        rgb, QRect(0, 0, size.width(), layout.charts[0].box.y > 0 ? 40 : 1));
    QCOMPARE(heading_ink > 0, !heading.isEmpty());
  }

  // The widget lays its chart out at its own size and names the point under
  // the pointer.
  void chartView() {
    ChartView view;
    view.resize(500, 360);
    view.SetChart(figure::MakeAreaChart(VSection(false, "")));
    QCOMPARE(view.layout().box.width, 500.0);
    QCOMPARE(view.layout().box.height, 360.0);
    const figure::ChartLayout& layout = view.layout();
    const std::vector<double> ticks = layout.chart.y.ticks;
    const figure::Point third = layout.ToDevice({48, 3});  // The third row.
    const QString values = view.ValuesAt(
        QPoint(static_cast<int>(third.x) + 1, static_cast<int>(third.y)));
    QCOMPARE(values, QStringLiteral("计算点\n水位 (m)：3\n面积 (m²)：48"));
    QVERIFY(view.ValuesAt(QPoint(2, 2)).isEmpty());
    view.resize(300, 250);
    const QImage grabbed = view.grab().toImage();
    QCOMPARE(view.layout().box.width, 300.0);
    // Back at its first size it has its first ticks again.
    view.resize(260, 170);
    view.grab();
    QVERIFY(view.layout().chart.y.ticks.size() < ticks.size());
    view.resize(500, 360);
    view.grab();
    QVERIFY(view.layout().chart.y.ticks == ticks);
    QVERIFY(InkIn(grabbed.convertToFormat(QImage::Format_RGB32),
                  Inside(view.layout().plot)) > 0.01);
  }
};

}  // namespace xsrating

QTEST_MAIN(xsrating::RatingFigureTest)
#include "rating_figure_test.moc"
