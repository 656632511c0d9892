// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/rating_figure.h"

#include <QAreaSeries>
#include <QBrush>
#include <QBuffer>
#include <QChart>
#include <QColor>
#include <QFont>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QImage>
#include <QImageWriter>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPainter>
#include <QPen>
#include <QRectF>
#include <QScatterSeries>
#include <QStringList>
#include <QSvgGenerator>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "core/base/number_text.h"
#include "core/hydraulics/stage_discharge.h"
#include "core/output/own_files.h"

namespace xsrating {
namespace {

// Colours a hydrologist's section usually has: earth brown, water blue.
const QColor kBedColor(0x6b, 0x4a, 0x2b);
const QColor kEarthColor(0xd8, 0xc3, 0x9a);
const QColor kWaterColor(0x5b, 0x9b, 0xd5, 150);
const QColor kCrestColor(0xc0, 0x39, 0x2b);
const QColor kCurveColor(0x1f, 0x4e, 0x99);
const QColor kCalibratedColor(0x2e, 0x8b, 0x3e);
const QColor kGaugingColor(0xd3, 0x54, 0x00);
const QColor kBandColor(0x2e, 0x8b, 0x3e, 50);
const QColor kZoneColor(0x55, 0x55, 0x55);

constexpr char kSectionTitle[] = "河道大断面";
constexpr char kDischargeTitle[] = "水位流量关系曲线";
constexpr char kAreaTitle[] = "水位面积关系曲线";
constexpr char kDistanceAxisTitle[] = "起点距 (m)";
constexpr char kElevationAxisTitle[] = "高程 (m)";
constexpr char kStageAxisTitle[] = "水位 (m)";
constexpr char kDischargeAxisTitle[] = "流量 (m³/s)";
constexpr char kAreaAxisTitle[] = "面积 (m²)";

QString Text(const char* utf8) { return QString::fromUtf8(utf8); }

// A value as the figure's legend shows it: at most 15 significant digits.
QString Shown(double value) { return QString::number(value, 'g', 15); }

// A face with Chinese glyphs on every platform; Qt falls back through the
// list.
QFont FigureFont(double points, QFont::Weight weight = QFont::Normal) {
  QFont font;
  font.setFamilies({"Noto Sans CJK SC", "Microsoft YaHei", "SimHei",
                    "WenQuanYi Micro Hei", "AR PL UMing CN"});
  font.setPointSizeF(points);
  font.setWeight(weight);
  return font;
}

std::unique_ptr<QChart> NewChart(const char* title) {
  auto chart = std::make_unique<QChart>();
  chart->setTitle(Text(title));
  chart->setTitleFont(FigureFont(12, QFont::Bold));
  chart->legend()->setFont(FigureFont(9));
  chart->legend()->setAlignment(Qt::AlignBottom);
  // Each series' legend entry drawn as the series is, a curve as a line and
  // points as a dot, rather than a square of its colour.
  chart->legend()->setMarkerShape(QLegend::MarkerShapeFromSeries);
  chart->setBackgroundRoundness(0);
  chart->setAnimationOptions(QChart::NoAnimation);
  return chart;
}

QValueAxis* AddAxis(QChart* chart, Qt::Alignment alignment, const char* name,
                    const char* title, const AxisRange& range) {
  auto* axis = new QValueAxis;
  axis->setObjectName(QLatin1String(name));
  axis->setTitleText(Text(title));
  axis->setTitleFont(FigureFont(10));
  axis->setLabelsFont(FigureFont(9));
  axis->setRange(range.min, range.max);
  // Ticks at round numbers whatever the padding of the range.
  axis->setTickType(QValueAxis::TicksDynamic);
  axis->setTickAnchor(0);
  axis->setTickInterval(TickInterval(range));
  axis->setLabelFormat(QStringLiteral("%.6g"));
  chart->addAxis(axis, alignment);
  return axis;
}

void Attach(QChart* chart, QAbstractSeries* series, const char* name) {
  series->setObjectName(QLatin1String(name));
  chart->addSeries(series);
  for (QAbstractAxis* axis : chart->axes()) series->attachAxis(axis);
}

void HideFromLegend(QChart* chart, QAbstractSeries* series) {
  for (QLegendMarker* marker : chart->legend()->markers(series)) {
    marker->setVisible(false);
  }
}

// An area between two lines of equal length and equal distances. The lines
// belong to the area.
QAreaSeries* NewArea(QChart* chart, const char* name,
                     const QList<QPointF>& upper, const QList<QPointF>& lower) {
  auto* upper_line = new QLineSeries;
  upper_line->append(upper);
  auto* lower_line = new QLineSeries;
  lower_line->append(lower);
  auto* area = new QAreaSeries(upper_line, lower_line);
  Attach(chart, area, name);
  upper_line->setParent(area);
  lower_line->setParent(area);
  // A filled square in the legend: the shape drawn from an area series would
  // be empty, its outline being none, and its name cut short.
  for (QLegendMarker* marker : chart->legend()->markers(area)) {
    marker->setShape(QLegend::MarkerShapeRectangle);
  }
  return area;
}

// The span of the points along x (Qt::Horizontal) or y (Qt::Vertical).
AxisRange SpanOf(const QList<QPointF>& points, Qt::Orientation along) {
  double low = INFINITY;
  double high = -INFINITY;
  for (const QPointF& p : points) {
    const double value = along == Qt::Vertical ? p.y() : p.x();
    low = std::min(low, value);
    high = std::max(high, value);
  }
  return {low, high};
}

// The stage axis of both curves: from the bed to the lower bank crest.
AxisRange StageRange(const FigureData& data) {
  const std::optional<SectionLevels> levels = LevelsOfSection(data.section);
  if (!levels) return PaddedRange(0, 1);
  return PaddedRange(levels->bed, levels->bank_crest);
}

// The water of stage `level` over the bed, as two lines for an area series:
// the bed, and above it the higher of the bed and the water surface. They
// meet wherever the bed is dry, so only the wet parts are filled. Each
// crossing of the water surface is a point of both lines, so between two
// neighbouring points the bed lies wholly above or wholly below the water.
void WaterLines(const std::vector<SectionPoint>& points, double level,
                QList<QPointF>* surface, QList<QPointF>* bed) {
  const auto add = [&](double x, double z) {
    surface->append(QPointF(x, std::max(z, level)));
    bed->append(QPointF(x, z));
  };
  for (size_t i = 0; i < points.size(); ++i) {
    const SectionPoint& p = points[i];
    add(p.distance, p.elevation);
    if (i + 1 == points.size()) break;
    const SectionPoint& q = points[i + 1];
    if ((p.elevation < level && q.elevation > level) ||
        (p.elevation > level && q.elevation < level)) {
      const double share = (level - p.elevation) / (q.elevation - p.elevation);
      add(p.distance + share * (q.distance - p.distance), level);
    }
  }
}

// A curve of the table, with the stage up and `value` of each row across.
std::unique_ptr<QChart> MakeCurveChart(const FigureData& data,
                                       const char* title,
                                       const char* value_title,
                                       const char* curve_name,
                                       double HydraulicRow::*value) {
  std::unique_ptr<QChart> chart = NewChart(title);
  double largest = 0;
  for (const HydraulicRow& row : data.rows) {
    largest = std::max(largest, row.*value);
  }
  AddAxis(chart.get(), Qt::AlignBottom, kHorizontalAxis, value_title,
          RangeFromZero(largest));
  AddAxis(chart.get(), Qt::AlignLeft, kVerticalAxis, kStageAxisTitle,
          StageRange(data));

  auto* curve = new QLineSeries;
  curve->setName(Text(curve_name));
  curve->setPen(QPen(kCurveColor, 2));
  auto* marks = new QScatterSeries;
  marks->setName(QStringLiteral("计算点"));
  marks->setMarkerShape(QScatterSeries::MarkerShapeCircle);
  marks->setMarkerSize(7);
  marks->setColor(kCurveColor);
  marks->setBorderColor(kCurveColor);
  const std::optional<SectionLevels> levels = LevelsOfSection(data.section);
  if (!data.rows.empty() && levels) {
    // No water, no flow: the curve leaves the stage axis at the bed.
    curve->append(0, levels->bed);
  }
  for (const HydraulicRow& row : data.rows) {
    curve->append(row.*value, row.stage);
    marks->append(row.*value, row.stage);
  }
  Attach(chart.get(), curve, kCurveSeries);
  Attach(chart.get(), marks, kPointSeries);
  return chart;
}

// The charts of a figure file below the section, side by side.
constexpr int kPanelsPerRow = 2;

// The size of a figure file of `chart_count` charts.
QSize SizeOfFigure(size_t chart_count, bool heading) {
  const size_t below = chart_count > 0 ? chart_count - 1 : 0;
  const size_t rows = 1 + (below + kPanelsPerRow - 1) / kPanelsPerRow;
  return QSize(kFigurePanelSize.width() * kPanelsPerRow,
               (heading ? kFigureHeadingHeight : 0) +
                   static_cast<int>(rows) * kFigurePanelSize.height());
}

// A figure file's charts and heading.
struct FigureFile {
  explicit FigureFile(const FigureData& data)
      : heading(QString::fromStdString(data.heading)),
        charts(MakeFigureCharts(data)),
        size(SizeOfFigure(charts.size(), !heading.isEmpty())) {}

  QString heading;
  std::vector<FigureChart> charts;
  QSize size;
};

// Lays the charts and the heading out in a scene of the file's size and
// paints it.
void PaintFigure(const FigureFile& figure, QPainter* painter) {
  const QSize size = figure.size;
  QGraphicsScene scene(QRectF(QPointF(0, 0), size));
  scene.setBackgroundBrush(Qt::white);
  double top = 0;
  if (!figure.heading.isEmpty()) {
    auto* heading =
        scene.addSimpleText(figure.heading, FigureFont(14, QFont::Bold));
    const QRectF box = heading->boundingRect();
    heading->setPos((size.width() - box.width()) / 2,
                    (kFigureHeadingHeight - box.height()) / 2);
    top = kFigureHeadingHeight;
  }
  const std::vector<FigureChart>& charts = figure.charts;
  const QSizeF panel(kFigurePanelSize);
  for (size_t i = 0; i < charts.size(); ++i) {
    // The section across the whole width, the rest in rows below it.
    QRectF place(QPointF(0, top), QSizeF(size.width(), panel.height()));
    if (i > 0) {
      const size_t row = (i - 1) / kPanelsPerRow + 1;
      const size_t column = (i - 1) % kPanelsPerRow;
      place = QRectF(
          QPointF(column * panel.width(), top + row * panel.height()), panel);
    }
    QChart* chart = charts[i].chart.get();
    scene.addItem(chart);
    chart->setGeometry(place);
    // Lay the chart out now: the scene is painted before any event loop runs.
    chart->layout()->activate();
  }
  painter->setRenderHint(QPainter::Antialiasing);
  painter->setRenderHint(QPainter::TextAntialiasing);
  scene.render(painter, QRectF(QPointF(0, 0), size), scene.sceneRect());
  // The scene must not delete the charts; they go with `charts`.
  for (const FigureChart& chart : charts) scene.removeItem(chart.chart.get());
}

}  // namespace

std::optional<SectionLevels> LevelsOfSection(const CrossSection& section) {
  // The lowest point and the lower crest do not depend on the stage count.
  StageLevelTable levels;
  if (!StageLevels(section, 1, &levels).ok()) return std::nullopt;
  return SectionLevels{levels.z_min, levels.z_top};
}

AxisRange PaddedRange(double low, double high) {
  if (!(high > low)) return {low - 1, high + 1};
  const double pad = (high - low) * 0.05;
  return {low - pad, high + pad};
}

AxisRange RangeFromZero(double high) {
  if (!(high > 0)) return {0, 1};
  return {0, high * 1.05};
}

double TickInterval(const AxisRange& range) {
  const double span = range.max - range.min;
  if (!(span > 0) || !std::isfinite(span)) return 1;
  constexpr int kMostIntervals = 6;
  double power = std::pow(10.0, std::floor(std::log10(span / kMostIntervals)));
  for (;;) {
    for (double step : {1.0, 2.0, 5.0}) {
      if (span / (step * power) <= kMostIntervals) return step * power;
    }
    power *= 10;
  }
}

std::unique_ptr<QChart> MakeSectionChart(const FigureData& data) {
  std::unique_ptr<QChart> chart = NewChart(kSectionTitle);
  QList<QPointF> bed;
  for (const SectionPoint& p : data.section.points) {
    bed.append(QPointF(p.distance, p.elevation));
  }
  AxisRange across{0, 1};
  AxisRange up{0, 1};
  if (!bed.isEmpty()) {
    across = SpanOf(bed, Qt::Horizontal);
    if (!(across.max > across.min))
      across = PaddedRange(across.min, across.max);
    const AxisRange heights = SpanOf(bed, Qt::Vertical);
    up = PaddedRange(heights.min, heights.max);
  }
  AddAxis(chart.get(), Qt::AlignBottom, kHorizontalAxis, kDistanceAxisTitle,
          across);
  AddAxis(chart.get(), Qt::AlignLeft, kVerticalAxis, kElevationAxisTitle, up);
  if (bed.isEmpty()) return chart;

  // The earth under the bed, down to the frame.
  QList<QPointF> ground;
  for (const QPointF& p : bed) ground.append(QPointF(p.x(), up.min));
  QAreaSeries* earth = NewArea(chart.get(), kBedFillSeries, bed, ground);
  earth->setPen(Qt::NoPen);
  earth->setBrush(kEarthColor);
  HideFromLegend(chart.get(), earth);

  if (!data.rows.empty()) {
    const double level = data.rows.back().stage;
    QList<QPointF> surface;
    QList<QPointF> under;
    WaterLines(data.section.points, level, &surface, &under);
    QAreaSeries* water = NewArea(chart.get(), kWaterSeries, surface, under);
    water->setName(QStringLiteral("过水断面（水位 %1 m）").arg(Shown(level)));
    water->setPen(Qt::NoPen);
    water->setBrush(kWaterColor);
  }

  if (const std::optional<SectionLevels> levels =
          LevelsOfSection(data.section)) {
    auto* crest = new QLineSeries;
    crest->setName(
        QStringLiteral("较低堤顶 %1 m").arg(Shown(levels->bank_crest)));
    crest->append(across.min, levels->bank_crest);
    crest->append(across.max, levels->bank_crest);
    crest->setPen(QPen(kCrestColor, 1.5, Qt::DashLine));
    Attach(chart.get(), crest, kBankCrestSeries);
  }

  if (data.zones.size() >= 2) {
    const QPen boundary_pen(kZoneColor, 1, Qt::DashDotLine);
    for (size_t k = 0; k < data.zones.size(); ++k) {
      const AppliedZone& zone = data.zones[k];
      if (k > 0) {
        auto* boundary = new QLineSeries;
        boundary->append(zone.from, up.min);
        boundary->append(zone.from, up.max);
        boundary->setPen(boundary_pen);
        Attach(chart.get(), boundary, kZoneBoundarySeries);
        HideFromLegend(chart.get(), boundary);
      }
      // A point without a mark near the top of the frame, labelled.
      auto* label = new QScatterSeries;
      label->append((zone.from + zone.to) / 2, up.max - (up.max - up.min) / 20);
      label->setMarkerSize(1);
      label->setColor(Qt::transparent);
      label->setBorderColor(Qt::transparent);
      label->setPointLabelsFormat(QStringLiteral("n=%1").arg(
          QString::fromStdString(FormatNumberForMessage(zone.roughness))));
      label->setPointLabelsVisible(true);
      label->setPointLabelsColor(kZoneColor);
      label->setPointLabelsFont(FigureFont(9));
      label->setPointLabelsClipping(false);
      Attach(chart.get(), label, kZoneRoughnessSeries);
      HideFromLegend(chart.get(), label);
    }
  }

  auto* bed_line = new QLineSeries;
  bed_line->setName(QStringLiteral("河床"));
  bed_line->append(bed);
  bed_line->setPen(QPen(kBedColor, 2));
  bed_line->setPointsVisible(true);
  Attach(chart.get(), bed_line, kBedSeries);
  return chart;
}

std::unique_ptr<QChart> MakeDischargeChart(const FigureData& data) {
  return MakeCurveChart(data, kDischargeTitle, kDischargeAxisTitle,
                        "水位流量关系", &HydraulicRow::discharge);
}

std::unique_ptr<QChart> MakeAreaChart(const FigureData& data) {
  return MakeCurveChart(data, kAreaTitle, kAreaAxisTitle, "水位面积关系",
                        &HydraulicRow::area);
}

std::vector<FigureChart> MakeFigureCharts(const FigureData& data) {
  std::vector<FigureChart> charts;
  const auto add = [&](const char* name, std::unique_ptr<QChart> chart) {
    charts.push_back({QLatin1String(name), std::move(chart)});
  };
  add("SectionChart", MakeSectionChart(data));
  add("DischargeChart", data.analysis
                            ? MakeGaugedDischargeChart(data, *data.analysis)
                            : MakeDischargeChart(data));
  add("AreaChart", MakeAreaChart(data));
  if (data.analysis) {
    add("RoughnessChart", MakeRoughnessChart(*data.analysis));
    add("DeviationChart", MakeDeviationChart(*data.analysis));
  }
  return charts;
}

QSize FigureSize(const FigureData& data) { return FigureFile(data).size; }

QByteArray FigureSvg(const FigureData& data, const QString& title) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QSvgGenerator svg;
  svg.setOutputDevice(&buffer);
  const FigureFile figure(data);
  svg.setSize(figure.size);
  svg.setViewBox(QRect(QPoint(0, 0), figure.size));
  // Fonts are laid out for a screen of 96 dots per inch.
  svg.setResolution(96);
  svg.setTitle(title);
  // The mark that tells a later save this file is ours to replace, then what
  // the figure shows.
  QStringList shown;
  for (const FigureChart& chart : figure.charts) shown << chart.chart->title();
  svg.setDescription(QString::fromUtf8(kFigureMark) + QLatin1Char(' ') +
                     shown.join(QStringLiteral("、")));
  QPainter painter(&svg);
  if (!painter.isActive()) return QByteArray();
  PaintFigure(figure, &painter);
  painter.end();
  return bytes;
}

QByteArray FigurePng(const FigureData& data) {
  const FigureFile figure(data);
  QImage image(figure.size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    PaintFigure(figure, &painter);
  }
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "PNG");
  // The mark that tells a later save this file is ours to replace.
  writer.setText(QString::fromLatin1(kFigurePngKeyword),
                 QString::fromLatin1(kFigureMark));
  // A figure that could not be drawn or encoded is no figure: nothing to
  // save in place of an earlier one.
  if (image.isNull() || !writer.write(image)) return QByteArray();
  return bytes;
}

namespace {

// A curve through the table's rows from the bed, solid up to the last row
// within the gauged range and dashed beyond it.
void AddSplitCurve(QChart* chart, const RatingAnalysis& analysis, double bed,
                   double CalibratedRow::*value, const QColor& color,
                   const QString& name, const char* solid_name,
                   const char* dashed_name) {
  auto* solid = new QLineSeries;
  solid->setName(name);
  solid->setPen(QPen(color, 2));
  auto* dashed = new QLineSeries;
  dashed->setName(name);
  dashed->setPen(QPen(color, 2, Qt::DashLine));
  QPointF last(0, bed);
  solid->append(last);
  for (const CalibratedRow& row : analysis.rows) {
    const QPointF point(row.*value, row.stage);
    if (!row.extrapolated) {
      solid->append(point);
    } else {
      if (dashed->count() == 0) dashed->append(last);
      dashed->append(point);
    }
    last = point;
  }
  Attach(chart, solid, solid_name);
  Attach(chart, dashed, dashed_name);
  // One legend entry per curve: the dashed part is the same curve.
  HideFromLegend(chart, dashed);
}

QScatterSeries* NewMarks(const QString& name, bool filled) {
  auto* marks = new QScatterSeries;
  marks->setName(name);
  marks->setMarkerShape(QScatterSeries::MarkerShapeCircle);
  marks->setMarkerSize(8);
  marks->setBorderColor(kGaugingColor);
  marks->setColor(filled ? kGaugingColor : QColor(Qt::transparent));
  return marks;
}

}  // namespace

std::unique_ptr<QChart> MakeGaugedDischargeChart(
    const FigureData& data, const RatingAnalysis& analysis) {
  std::unique_ptr<QChart> chart = NewChart(kDischargeTitle);
  const std::optional<SectionLevels> levels = LevelsOfSection(data.section);
  double largest = 0;
  double low = levels ? levels->bed : 0;
  double high = levels ? levels->bank_crest : 1;
  for (const CalibratedRow& row : analysis.rows) {
    largest = std::max({largest, row.discharge, row.calibrated_discharge});
  }
  for (const GaugingResult& result : analysis.gaugings) {
    largest = std::max(largest, result.gauging.discharge);
    low = std::min(low, result.gauging.stage);
    high = std::max(high, result.gauging.stage);
  }
  AddAxis(chart.get(), Qt::AlignBottom, kHorizontalAxis, kDischargeAxisTitle,
          RangeFromZero(largest));
  AddAxis(chart.get(), Qt::AlignLeft, kVerticalAxis, kStageAxisTitle,
          PaddedRange(low, high));

  if (levels && !analysis.rows.empty()) {
    AddSplitCurve(chart.get(), analysis, levels->bed, &CalibratedRow::discharge,
                  kCurveColor, QStringLiteral("输入糙率"), kCurveSeries,
                  kCurveExtendedSeries);
    AddSplitCurve(chart.get(), analysis, levels->bed,
                  &CalibratedRow::calibrated_discharge, kCalibratedColor,
                  QStringLiteral("率定糙率"), kCalibratedSeries,
                  kCalibratedExtendedSeries);
  }
  QScatterSeries* usable = NewMarks(QStringLiteral("实测"), true);
  QScatterSeries* left_out = NewMarks(QStringLiteral("未采用"), false);
  for (const GaugingResult& result : analysis.gaugings) {
    (result.fit ? usable : left_out)
        ->append(result.gauging.discharge, result.gauging.stage);
  }
  Attach(chart.get(), usable, kGaugingSeries);
  Attach(chart.get(), left_out, kLeftOutSeries);
  if (left_out->count() == 0) HideFromLegend(chart.get(), left_out);
  return chart;
}

std::unique_ptr<QChart> MakeRoughnessChart(const RatingAnalysis& analysis) {
  std::unique_ptr<QChart> chart = NewChart("反推糙率");
  auto* marks = NewMarks(QStringLiteral("反推糙率 n_i"), true);
  double low = analysis.calibrated_roughness;
  double high = analysis.calibrated_roughness;
  for (const GaugingResult& result : analysis.gaugings) {
    if (!result.fit) continue;
    marks->append(result.fit->roughness, result.gauging.stage);
    low = std::min(low, result.fit->roughness);
    high = std::max(high, result.fit->roughness);
  }
  const AxisRange stages =
      PaddedRange(analysis.lowest_gauged_stage, analysis.highest_gauged_stage);
  AddAxis(chart.get(), Qt::AlignBottom, kHorizontalAxis, "糙率",
          PaddedRange(low, high));
  AddAxis(chart.get(), Qt::AlignLeft, kVerticalAxis, kStageAxisTitle, stages);
  auto* line = new QLineSeries;
  line->setName(
      QStringLiteral("率定糙率 n_c = %1")
          .arg(QString::number(analysis.calibrated_roughness, 'g', 4)));
  line->setPen(QPen(kCalibratedColor, 2));
  line->append(analysis.calibrated_roughness, stages.min);
  line->append(analysis.calibrated_roughness, stages.max);
  Attach(chart.get(), line, kCalibratedRoughnessSeries);
  Attach(chart.get(), marks, kRoughnessSeries);
  return chart;
}

std::unique_ptr<QChart> MakeDeviationChart(const RatingAnalysis& analysis) {
  std::unique_ptr<QChart> chart = NewChart("实测点偏离");
  auto* marks = NewMarks(QStringLiteral("相对偏差 P_i"), true);
  double widest = 0;
  for (const GaugingResult& result : analysis.gaugings) {
    if (!result.fit) continue;
    marks->append(result.fit->deviation_percent, result.gauging.stage);
    widest = std::max(widest, std::fabs(result.fit->deviation_percent));
  }
  const std::optional<double> se = analysis.standard_error_percent;
  if (se) widest = std::max(widest, 2 * *se);
  const AxisRange stages =
      PaddedRange(analysis.lowest_gauged_stage, analysis.highest_gauged_stage);
  // 0 in the middle, so that the sides of the curve show at a glance.
  const AxisRange deviations = PaddedRange(-widest, widest);
  AddAxis(chart.get(), Qt::AlignBottom, kHorizontalAxis, "相对偏差 (%)",
          deviations);
  AddAxis(chart.get(), Qt::AlignLeft, kVerticalAxis, kStageAxisTitle, stages);
  if (se) {
    const double edge = 2 * *se;
    QAreaSeries* band =
        NewArea(chart.get(), kDeviationBandSeries,
                {QPointF(-edge, stages.max), QPointF(edge, stages.max)},
                {QPointF(-edge, stages.min), QPointF(edge, stages.min)});
    band->setName(
        QStringLiteral("±2Se = ±%1%").arg(QString::number(edge, 'g', 4)));
    band->setPen(Qt::NoPen);
    band->setBrush(kBandColor);
  }
  auto* zero = new QLineSeries;
  zero->setName(QStringLiteral("零偏差"));
  zero->setPen(QPen(kCalibratedColor, 2));
  zero->append(0, stages.min);
  zero->append(0, stages.max);
  Attach(chart.get(), zero, kZeroDeviationSeries);
  Attach(chart.get(), marks, kDeviationSeries);
  return chart;
}

}  // namespace xsrating
