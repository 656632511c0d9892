// SPDX-License-Identifier: GPL-3.0-or-later
#include "figure/charts.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <utility>

#include "core/base/number_text.h"
#include "core/hydraulics/stage_discharge.h"

namespace xsrating::figure {
namespace {

// Colours a hydrologist's section usually has: earth brown, water blue.
constexpr Color kBedColor{0x6b, 0x4a, 0x2b};
constexpr Color kEarthColor{0xd8, 0xc3, 0x9a};
constexpr Color kWaterColor{0x5b, 0x9b, 0xd5, 150};
constexpr Color kCrestColor{0xc0, 0x39, 0x2b};
constexpr Color kCurveColor{0x1f, 0x4e, 0x99};
constexpr Color kCalibratedColor{0x2e, 0x8b, 0x3e};
constexpr Color kGaugingColor{0xd3, 0x54, 0x00};
constexpr Color kBandColor{0x2e, 0x8b, 0x3e, 50};
constexpr Color kZoneColor{0x55, 0x55, 0x55};
constexpr Color kStageColor{0x7b, 0x3f, 0xa0};
constexpr Color kNone{0, 0, 0, 0};

constexpr char kStageAxisTitle[] = "水位 (m)";
constexpr char kDischargeAxisTitle[] = "流量 (m³/s)";
constexpr char kDischargeTitle[] = "水位流量关系曲线";

// A value in `digits` significant digits, '.' whatever the locale: the
// calibrated roughness and the band's width in a legend.
std::string Significant(double value, int digits) {
  char text[32];
  const std::to_chars_result written = std::to_chars(
      text, text + sizeof text, value, std::chars_format::general, digits);
  return std::string(text, written.ptr);
}

Series Line(std::string id, std::string name, std::vector<Point> points,
            Pen pen) {
  Series series;
  series.id = std::move(id);
  series.legend = name.empty() ? LegendSymbol::kNone : LegendSymbol::kLine;
  series.name = std::move(name);
  series.points = std::move(points);
  series.pen = pen;
  return series;
}

Series Marks(std::string id, std::string name, Color color, bool filled) {
  Series series;
  series.id = std::move(id);
  series.name = std::move(name);
  series.kind = SeriesKind::kMarkers;
  series.legend = LegendSymbol::kDot;
  series.pen = Pen{color, 1.5};
  series.fill = filled ? color : kNone;
  return series;
}

Series Area(std::string id, std::string name, std::vector<Point> upper,
            std::vector<Point> lower, Color fill) {
  Series series;
  series.id = std::move(id);
  series.legend = name.empty() ? LegendSymbol::kNone : LegendSymbol::kSquare;
  series.name = std::move(name);
  series.kind = SeriesKind::kArea;
  series.points = std::move(upper);
  series.lower = std::move(lower);
  series.fill = fill;
  return series;
}

// The lower bank crest across `across`, dashed: the same in the section
// and the hydrograph, so that one is read as the other.
Series CrestLine(double crest, const Span& across) {
  return Line("bankCrest", "较低堤顶 " + DecimalForm(crest) + " m",
              {{across.min, crest}, {across.max, crest}},
              Pen{kCrestColor, 1.5, Dash::kDashed});
}

Span SpanOf(const std::vector<Point>& points, double Point::*along) {
  Span span{INFINITY, -INFINITY};
  for (const Point& p : points) {
    span.min = std::min(span.min, p.*along);
    span.max = std::max(span.max, p.*along);
  }
  return span;
}

// The water of stage `level` over the bed, as the two edges of an area: the
// bed, and above it the higher of the bed and the water surface. They meet
// wherever the bed is dry, so only the wet parts are filled. Each crossing
// of the water surface is a point of both, so between two neighbouring
// points the bed lies wholly above or wholly below the water.
void WaterEdges(const std::vector<SectionPoint>& points, double level,
                std::vector<Point>* surface, std::vector<Point>* bed) {
  const auto add = [&](double x, double z) {
    surface->push_back({x, std::max(z, level)});
    bed->push_back({x, z});
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

// Each breakpoint between two zones as a dashed line over the whole height,
// and each zone's n near the top over its middle.
void AddZoneMarks(const std::vector<AppliedZone>& zones, const Span& up,
                  Chart* chart) {
  if (zones.size() < 2) return;
  for (size_t k = 0; k < zones.size(); ++k) {
    const AppliedZone& zone = zones[k];
    if (k > 0) {
      chart->series.push_back(Line("zoneBoundary", "",
                                   {{zone.from, up.min}, {zone.from, up.max}},
                                   Pen{kZoneColor, 1, Dash::kDotted}));
    }
    chart->notes.push_back(
        {{(zone.from + zone.to) / 2, up.max - (up.max - up.min) / 20},
         "n=" + DecimalForm(zone.roughness),
         kZoneColor});
  }
}

// The stage axis of the plain curves: from the bed to the lower bank crest.
Span StageSpan(const CrossSection& section) {
  const std::optional<SectionLevels> levels = LevelsOfSection(section);
  if (!levels) return PaddedSpan(0, 1);
  return PaddedSpan(levels->bed, levels->bank_crest);
}

// A curve of the table, with the stage up and `value` of each row across.
Chart MakeCurveChart(const FigureRequest& request, const char* id,
                     const char* title, const char* axis_title,
                     const char* name, double HydraulicRow::*value) {
  Chart chart;
  chart.id = id;
  chart.title = title;
  double largest = 0;
  for (const HydraulicRow& row : request.rows) {
    largest = std::max(largest, row.*value);
  }
  const Span across = SpanFromZero(largest);
  const Span up = StageSpan(request.section);
  chart.x = MakeAxis(axis_title, across.min, across.max);
  chart.y = MakeAxis(kStageAxisTitle, up.min, up.max);
  Series curve = Line("curve", name, {}, Pen{kCurveColor, 2});
  Series marks = Marks("points", "计算点", kCurveColor, true);
  marks.marker_size = 7;
  const std::optional<SectionLevels> levels = LevelsOfSection(request.section);
  if (!request.rows.empty() && levels) {
    // No water, no flow: the curve leaves the stage axis at the bed.
    curve.points.push_back({0, levels->bed});
  }
  for (const HydraulicRow& row : request.rows) {
    curve.points.push_back({row.*value, row.stage});
    marks.points.push_back({row.*value, row.stage});
  }
  chart.series.push_back(std::move(curve));
  chart.series.push_back(std::move(marks));
  return chart;
}

// A curve through the table's rows from the bed, solid up to the last row
// within the gauged range and dashed beyond it, from that row on.
void AddSplitCurve(const RatingAnalysis& analysis, double bed,
                   double CalibratedRow::*value, Color color, const char* id,
                   const char* name, Chart* chart) {
  Series solid = Line(id, name, {{0, bed}}, Pen{color, 2});
  Series dashed =
      Line(std::string(id) + "Extended", "", {}, Pen{color, 2, Dash::kDashed});
  Point last{0, bed};
  for (const CalibratedRow& row : analysis.rows) {
    const Point point{row.*value, row.stage};
    if (!row.extrapolated) {
      solid.points.push_back(point);
    } else {
      if (dashed.points.empty()) dashed.points.push_back(last);
      dashed.points.push_back(point);
    }
    last = point;
  }
  chart->series.push_back(std::move(solid));
  chart->series.push_back(std::move(dashed));
}

Chart MakeGaugedDischargeChart(const FigureRequest& request,
                               const RatingAnalysis& analysis) {
  Chart chart;
  chart.id = "DischargeChart";
  chart.title = kDischargeTitle;
  const std::optional<SectionLevels> levels = LevelsOfSection(request.section);
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
  const Span across = SpanFromZero(largest);
  const Span up = PaddedSpan(low, high);
  chart.x = MakeAxis(kDischargeAxisTitle, across.min, across.max);
  chart.y = MakeAxis(kStageAxisTitle, up.min, up.max);
  if (levels && !analysis.rows.empty()) {
    AddSplitCurve(analysis, levels->bed, &CalibratedRow::discharge, kCurveColor,
                  "curve", "输入糙率", &chart);
    AddSplitCurve(analysis, levels->bed, &CalibratedRow::calibrated_discharge,
                  kCalibratedColor, "calibrated", "率定糙率", &chart);
  }
  Series usable = Marks("gaugings", "实测", kGaugingColor, true);
  Series left_out = Marks("gaugingsLeftOut", "未采用", kGaugingColor, false);
  for (const GaugingResult& result : analysis.gaugings) {
    (result.fit ? usable : left_out)
        .points.push_back({result.gauging.discharge, result.gauging.stage});
  }
  if (left_out.points.empty()) left_out.legend = LegendSymbol::kNone;
  chart.series.push_back(std::move(usable));
  chart.series.push_back(std::move(left_out));
  return chart;
}

}  // namespace

double NiceStep(double span) {
  if (!(span > 0) || !std::isfinite(span)) return 1;
  constexpr double kIntervals = 5;
  const double rough = span / kIntervals;
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  const double fraction = rough / power;  // In [1, 10).
  double nice = 10;
  if (fraction < 1.5) {
    nice = 1;
  } else if (fraction < 3) {
    nice = 2;
  } else if (fraction < 7) {
    nice = 5;
  }
  return nice * power;
}

double CoarserStep(double step) {
  if (!(step > 0) || !std::isfinite(step)) return 1;
  const double power = std::pow(10.0, std::floor(std::log10(step)));
  const double fraction = std::round(step / power);
  if (fraction < 2) return 2 * power;
  if (fraction < 5) return 5 * power;
  return 10 * power;
}

Axis MakeAxis(std::string title, double min, double max, double step) {
  Axis axis;
  axis.title = std::move(title);
  axis.min = min;
  axis.max = max;
  axis.step = step > 0 && std::isfinite(step) ? step : NiceStep(max - min);
  if (!std::isfinite(min) || !std::isfinite(max) || !(max >= min)) {
    return axis;
  }
  // Ticks as whole multiples of the step, so that the rounding of one does
  // not carry into the next; a hair of slack keeps the ends that fall on a
  // multiple.
  const double slack = axis.step * 1e-9;
  const double first = std::ceil((min - slack) / axis.step);
  const double last = std::floor((max + slack) / axis.step);
  constexpr int kMostTicks = 50;
  for (double k = first; k <= last && axis.ticks.size() < kMostTicks; ++k) {
    double value = k * axis.step;
    if (std::fabs(value) < slack) value = 0;  // Never "-0".
    axis.ticks.push_back(value);
    axis.labels.push_back(DecimalForm(value));
  }
  return axis;
}

Span PaddedSpan(double low, double high) {
  if (!(high > low)) return {low - 1, high + 1};
  const double pad = (high - low) * 0.05;
  return {low - pad, high + pad};
}

Span SpanFromZero(double high) {
  if (!(high > 0)) return {0, 1};
  return {0, high * 1.05};
}

std::optional<SectionLevels> LevelsOfSection(const CrossSection& section) {
  // The lowest point and the lower crest do not depend on the stage count.
  StageLevelTable levels;
  if (!StageLevels(section, 1, &levels).ok()) return std::nullopt;
  return SectionLevels{levels.z_min, levels.z_top};
}

Chart MakeSectionChart(const FigureRequest& request) {
  Chart chart;
  chart.id = "SectionChart";
  chart.title = "河道大断面";
  std::vector<Point> bed;
  for (const SectionPoint& p : request.section.points) {
    bed.push_back({p.distance, p.elevation});
  }
  Span across{0, 1};
  Span up{0, 1};
  if (!bed.empty()) {
    across = SpanOf(bed, &Point::x);
    if (!(across.max > across.min)) {
      across = PaddedSpan(across.min, across.max);
    }
    const Span heights = SpanOf(bed, &Point::y);
    up = PaddedSpan(heights.min, heights.max);
  }
  chart.x = MakeAxis("起点距 (m)", across.min, across.max);
  chart.y = MakeAxis("高程 (m)", up.min, up.max);
  if (bed.empty()) return chart;

  // The earth under the bed, down to the frame.
  std::vector<Point> ground;
  for (const Point& p : bed) ground.push_back({p.x, up.min});
  chart.series.push_back(Area("bedFill", "", bed, ground, kEarthColor));
  if (!request.rows.empty()) {
    const double level = request.rows.back().stage;
    std::vector<Point> surface;
    std::vector<Point> under;
    WaterEdges(request.section.points, level, &surface, &under);
    chart.series.push_back(
        Area("water", "过水断面（水位 " + DecimalForm(level) + " m）",
             std::move(surface), std::move(under), kWaterColor));
  }
  if (const std::optional<SectionLevels> levels =
          LevelsOfSection(request.section)) {
    chart.series.push_back(CrestLine(levels->bank_crest, across));
  }
  AddZoneMarks(request.zones, up, &chart);
  Series bed_line = Line("bed", "河床", std::move(bed), Pen{kBedColor, 2});
  bed_line.marked_vertices = true;
  bed_line.fill = kBedColor;
  bed_line.marker_size = 5;
  chart.series.push_back(std::move(bed_line));
  return chart;
}

Chart MakeDischargeChart(const FigureRequest& request) {
  if (request.analysis) {
    return MakeGaugedDischargeChart(request, *request.analysis);
  }
  return MakeCurveChart(request, "DischargeChart", kDischargeTitle,
                        kDischargeAxisTitle, "水位流量关系",
                        &HydraulicRow::discharge);
}

Chart MakeAreaChart(const FigureRequest& request) {
  return MakeCurveChart(request, "AreaChart", "水位面积关系曲线", "面积 (m²)",
                        "水位面积关系", &HydraulicRow::area);
}

Chart MakeRoughnessChart(const RatingAnalysis& analysis) {
  Chart chart;
  chart.id = "RoughnessChart";
  chart.title = "反推糙率";
  Series marks = Marks("roughness", "反推糙率 n_i", kGaugingColor, true);
  double low = analysis.calibrated_roughness;
  double high = analysis.calibrated_roughness;
  for (const GaugingResult& result : analysis.gaugings) {
    if (!result.fit) continue;
    marks.points.push_back({result.fit->roughness, result.gauging.stage});
    low = std::min(low, result.fit->roughness);
    high = std::max(high, result.fit->roughness);
  }
  const Span stages =
      PaddedSpan(analysis.lowest_gauged_stage, analysis.highest_gauged_stage);
  const Span across = PaddedSpan(low, high);
  chart.x = MakeAxis("糙率", across.min, across.max);
  chart.y = MakeAxis(kStageAxisTitle, stages.min, stages.max);
  const double n_c = analysis.calibrated_roughness;
  chart.series.push_back(
      Line("calibratedRoughness", "率定糙率 n_c = " + Significant(n_c, 4),
           {{n_c, stages.min}, {n_c, stages.max}}, Pen{kCalibratedColor, 2}));
  chart.series.push_back(std::move(marks));
  return chart;
}

Chart MakeDeviationChart(const RatingAnalysis& analysis) {
  Chart chart;
  chart.id = "DeviationChart";
  chart.title = "实测点偏离";
  Series marks = Marks("deviations", "相对偏差 P_i", kGaugingColor, true);
  double widest = 0;
  for (const GaugingResult& result : analysis.gaugings) {
    if (!result.fit) continue;
    marks.points.push_back(
        {result.fit->deviation_percent, result.gauging.stage});
    widest = std::max(widest, std::fabs(result.fit->deviation_percent));
  }
  const std::optional<double> se = analysis.standard_error_percent;
  if (se) widest = std::max(widest, 2 * *se);
  const Span stages =
      PaddedSpan(analysis.lowest_gauged_stage, analysis.highest_gauged_stage);
  // 0 in the middle, so that the sides of the curve show at a glance.
  const Span across = PaddedSpan(-widest, widest);
  chart.x = MakeAxis("相对偏差 (%)", across.min, across.max);
  chart.y = MakeAxis(kStageAxisTitle, stages.min, stages.max);
  if (se) {
    const double edge = 2 * *se;
    chart.series.push_back(
        Area("deviationBand", "±2Se = ±" + Significant(edge, 4) + "%",
             {{-edge, stages.max}, {edge, stages.max}},
             {{-edge, stages.min}, {edge, stages.min}}, kBandColor));
  }
  chart.series.push_back(Line("zeroDeviation", "零偏差",
                              {{0, stages.min}, {0, stages.max}},
                              Pen{kCalibratedColor, 2}));
  chart.series.push_back(std::move(marks));
  return chart;
}

Chart MakeHydrographChart(const Hydrograph& hydrograph) {
  Chart chart;
  chart.id = kHydrographChartId;
  chart.title = "水位流量过程线";
  chart.full_width = true;
  Series discharge = Line("discharge", "流量", {}, Pen{kCurveColor, 1.5});
  Series means =
      Line("dailyMean", "日平均流量", {}, Pen{kCalibratedColor, 1.5});
  Series stage = Line("stage", "水位", {}, Pen{kStageColor, 1.5});
  stage.right_axis = true;
  Span across{INFINITY, -INFINITY};
  Span stages{INFINITY, -INFINITY};
  double largest = 0;
  for (const Hydrograph::Reading& r : hydrograph.readings) {
    discharge.points.push_back({r.day, r.discharge});
    stage.points.push_back({r.day, r.stage});
    across = {std::min(across.min, r.day), std::max(across.max, r.day)};
    if (std::isfinite(r.discharge)) largest = std::max(largest, r.discharge);
    if (std::isfinite(r.stage)) {
      stages = {std::min(stages.min, r.stage), std::max(stages.max, r.stage)};
    }
  }
  means.legend = LegendSymbol::kNone;  // Until a day has a mean.
  for (const Hydrograph::Day& day : hydrograph.days) {
    // A step over the day; a 缺测 day leaves a gap, as a point of no value.
    means.points.push_back({day.day, day.mean});
    if (std::isfinite(day.mean)) {
      means.points.push_back({day.day + 1, day.mean});
      largest = std::max(largest, day.mean);
      means.legend = LegendSymbol::kLine;
    }
  }
  if (!(across.max > across.min)) {
    across = std::isfinite(across.min)
                 ? Span{across.min - 0.5, across.min + 0.5}
                 : Span{0, 1};
  }
  if (!(stages.max >= stages.min)) {
    stages = {hydrograph.bed, hydrograph.bank_crest};
  } else if (stages.max > hydrograph.bank_crest) {
    // Above the crest the record leaves the section: show how far.
    stages.min = std::min(stages.min, hydrograph.bank_crest);
  }
  const Span up = SpanFromZero(largest);
  const Span right = PaddedSpan(stages.min, stages.max);
  chart.x = MakeTimeAxis("时间", across.min, across.max);
  chart.y = MakeAxis(kDischargeAxisTitle, up.min, up.max);
  chart.y_right = MakeAxis(kStageAxisTitle, right.min, right.max);
  // The daily means under the discharge, which stays whole to the eye: over
  // years the two lie on each other but at the peaks.
  chart.series.push_back(std::move(means));
  chart.series.push_back(std::move(discharge));
  chart.series.push_back(std::move(stage));
  if (hydrograph.bank_crest >= right.min &&
      hydrograph.bank_crest <= right.max) {
    Series crest = CrestLine(hydrograph.bank_crest, across);
    crest.right_axis = true;
    chart.series.push_back(std::move(crest));
  }
  return chart;
}

std::vector<Chart> MakeFigureCharts(const FigureRequest& request) {
  std::vector<Chart> charts;
  charts.push_back(MakeSectionChart(request));
  charts.push_back(MakeDischargeChart(request));
  charts.push_back(MakeAreaChart(request));
  if (request.analysis) {
    charts.push_back(MakeRoughnessChart(*request.analysis));
    charts.push_back(MakeDeviationChart(*request.analysis));
  }
  if (request.hydrograph) {
    charts.push_back(MakeHydrographChart(*request.hydrograph));
  }
  return charts;
}

FigureRequest RequestFor(const xsrating::FigureRequest& request) {
  FigureRequest figure = RequestForRating(*request.rating, request.analysis,
                                          request.heading, request.title);
  if (request.flow != nullptr && !request.stage_readings.empty()) {
    figure.hydrograph = MakeHydrograph(request.stage_readings, *request.flow);
  }
  return figure;
}

FigureRequest RequestForRating(const Rating& rating,
                               const RatingAnalysis* analysis,
                               std::string heading, std::string title) {
  FigureRequest request;
  request.section = rating.section;
  request.rows = rating.hydraulic_rows;
  request.zones = rating.zones;
  if (analysis) request.analysis = *analysis;
  request.heading = std::move(heading);
  request.title = std::move(title);
  return request;
}

}  // namespace xsrating::figure
