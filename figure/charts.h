// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_FIGURE_CHARTS_H_
#define XSRATING_FIGURE_CHARTS_H_

// The charts of a rating as data, before any layout: for each chart its
// title, its two axes (range, ticks, title with units) and its series in
// the units of the quantities they show. figure/layout.h places them on a
// page or in a window; a painter draws them.
//
//  - the cross-section: distance across, elevation up; the bed drawn and the
//    earth under it filled, the lower bank crest dashed, the water of the top
//    stage shaded (every wet part, both sides of a bar or an island), and the
//    roughness zones' breakpoints and roughnesses;
//  - the stage-discharge curve, stage up as hydrologists draw a rating, from
//    the bed through the table's rows, which are marked; checked against
//    gaugings, the curve of the typed and of the calibrated roughness, each
//    dashed above the highest usable gauging, the usable gaugings filled and
//    those left out hollow;
//  - the stage-area curve, drawn as the stage-discharge one;
//  - checked against gaugings, the roughness each gauging implies, and its
//    deviation from the calibrated curve with the band of +-2 Se;
//  - with a stage record, its hydrograph: the discharge and the daily means
//    against time, the stage against a second axis on the right.

#include <optional>
#include <string>
#include <vector>

#include "core/base/types.h"
#include "figure/figure_request.h"
#include "figure/painter.h"

namespace xsrating::figure {

// The distance between the ticks of a time axis, in the calendar's units:
// so many minutes, hours, days, months or years.
enum class TimeUnit { kMinute, kHour, kDay, kMonth, kYear };
struct TimeStep {
  TimeUnit unit = TimeUnit::kDay;
  int count = 1;
  friend bool operator==(const TimeStep&, const TimeStep&) = default;
};

// An axis: its span, the values of its tick marks within it, and the tick
// labels as the program writes numbers, or, on a time axis, as a
// hydrologist writes dates and times.
struct Axis {
  std::string title;  // With the unit: "流量 (m³/s)".
  double min = 0;
  double max = 1;
  // Between two ticks; NiceStep of the span. On a time axis the calendar
  // step's length in days, months and years at their mean lengths.
  double step = 1;
  std::vector<double> ticks;
  std::vector<std::string> labels;  // One per tick.
  // Set on a time axis (MakeTimeAxis): its values are days since 1970-01-01
  // 0:00 of the station's clock, its ticks at this calendar step.
  std::optional<TimeStep> time_step;
};

// The distance between ticks for `span`: 1, 2 or 5 times a power of ten
// (Heckbert's nice numbers), about a fifth of the span rounded to the
// nearest of them, so an axis has four to seven ticks. 1 for a span that is
// not positive or not finite.
double NiceStep(double span);

// The nice step after `step`: 1 -> 2 -> 5 -> 10 times the same power of ten.
double CoarserStep(double step);

// An axis over [min, max] with ticks at every multiple of `step` (NiceStep
// of the span when 0) within it, labelled by DecimalForm
// (core/number_text.h). A range that is not finite has no ticks.
Axis MakeAxis(std::string title, double min, double max, double step = 0);

// A time axis over [min, max], in days since 1970-01-01 0:00, with ticks
// at `step`, or with none given at the finest step of the calendar's ladder
// (10 and 30 minutes; 1, 2, 3, 6 and 12 hours; 1 and 2 days, 5-day and
// 10-day marks on the 1st, 6th, 11th... and the 1st, 11th, 21st of the
// month; 1, 2, 3 and 6 months; 1, 2, 5, 10, 20, 50, 100 and 200 years) that
// gives at most eight ticks. Labels: "HH:MM" ("M月D日" at 0:00), "M月D日",
// "M月", "YYYY年"; the first tick, and each tick where the next larger unit
// begins, names that unit too ("6月1日 06:00", "2024年1月1日", "2024年1月").
// A range that is not finite has no ticks.
Axis MakeTimeAxis(std::string title, double min, double max,
                  std::optional<TimeStep> step = std::nullopt);

// The step after `step` on the calendar's ladder; the ladder's last step
// stays itself.
TimeStep CoarserTimeStep(TimeStep step);

// [low, high] widened by 5 % of its span on each side, so that points at the
// ends are not cut by the frame; an empty span (low == high) by 1 on each
// side.
struct Span {
  double min = 0;
  double max = 0;
  friend bool operator==(const Span&, const Span&) = default;
};
Span PaddedSpan(double low, double high);
// [0, high] with 5 % room above, for quantities that start at 0 (area,
// discharge); [0, 1] when `high` is not above 0.
Span SpanFromZero(double high);

enum class SeriesKind {
  kLine,     // A polyline through `points`.
  kMarkers,  // A marker at each point.
  kArea,     // The polygon between `points` and `lower` (same length).
};

// How a series shows in the legend.
enum class LegendSymbol {
  kNone,    // Not in the legend.
  kLine,    // A short line in the series' pen: a curve.
  kDot,     // One marker: points.
  kSquare,  // A filled square: an area.
};

struct Series {
  std::string id;    // What it is, for tests and hit testing: "curve".
  std::string name;  // The legend's text.
  SeriesKind kind = SeriesKind::kLine;
  LegendSymbol legend = LegendSymbol::kNone;
  std::vector<Point> points;  // In the axes' units: x across, y up.
  std::vector<Point> lower;   // kArea only.
  Pen pen;                    // Lines, marker outlines; unused by areas.
  Color fill{0, 0, 0, 0};     // Areas, markers (alpha 0: hollow).
  MarkerShape shape = MarkerShape::kCircle;
  double marker_size = 8;  // Units across.
  // A line whose points are also marked (with `fill`, marker_size): the bed.
  bool marked_vertices = false;
  // Drawn against the chart's right axis (Chart::y_right) instead of y.
  bool right_axis = false;
};

// A text placed at a point of the chart, outside the legend: a zone's n.
struct Note {
  Point at;  // In the axes' units; the text's bottom centre.
  std::string text;
  Color color;
};

struct Chart {
  std::string id;  // "SectionChart", "DischargeChart", ...
  std::string title;
  Axis x;
  Axis y;
  // A second vertical axis, on the right of the plot, for the series marked
  // right_axis; none on most charts.
  std::optional<Axis> y_right;
  std::vector<Series> series;  // Drawn in order, the first undermost.
  std::vector<Note> notes;
  // In a figure file, a row of its own across the whole width (as the first
  // chart, the section, always has) rather than half a row.
  bool full_width = false;
};

// The lowest bed point and the lower bank crest of a section (the
// second-largest elevation, the top of the stages); none when the section
// cannot be computed on (fewer than two points, distances out of order).
struct SectionLevels {
  double bed = 0;
  double bank_crest = 0;
};
std::optional<SectionLevels> LevelsOfSection(const CrossSection& section);

// The section chart: distance across the survey's distances exactly
// (PaddedSpan when they are all equal), elevation up PaddedSpan of the
// lowest and highest points. Without points it has no series; without rows
// no water; without SectionLevels no crest line.
Chart MakeSectionChart(const FigureRequest& request);
// The stage-discharge chart: discharge across (SpanFromZero of the largest,
// the calibrated curve's and the gaugings' included), stage up (PaddedSpan
// of the bed and the lower bank crest, widened to every gauging).
Chart MakeDischargeChart(const FigureRequest& request);
// The stage-area chart, laid out as the plain stage-discharge chart.
Chart MakeAreaChart(const FigureRequest& request);
// The back-calculated roughness of each usable gauging against its stage
// and the calibrated roughness as a vertical line over the gauged range.
Chart MakeRoughnessChart(const RatingAnalysis& analysis);
// The deviation P_i (%) of each usable gauging against its stage, the line
// of no deviation, and the band from -2 Se to +2 Se over the gauged range
// (none without Se). The deviation axis is symmetric about 0.
Chart MakeDeviationChart(const RatingAnalysis& analysis);

// The hydrograph (水位流量过程线): time across (MakeTimeAxis over the
// readings), the discharge (流量, broken where a reading has none and at
// each break) and the daily means (日平均流量, one step over each day with
// a mean, broken at 缺测 days) against 流量 from 0 (SpanFromZero of the
// largest of them) on the left, the stage (水位) against the right axis
// (PaddedSpan of the lowest and highest stage, down to the lower bank crest
// when a reading is above it), and the lower bank crest dashed on the right
// axis when that axis reaches it. It takes a whole row of a figure file.
Chart MakeHydrographChart(const Hydrograph& hydrograph);
// Its id, by which the viewers give it a place of its own.
inline constexpr char kHydrographChartId[] = "HydrographChart";

// Every chart of the figure: the section's, the stage-discharge and the
// stage-area charts, with an analysis the roughness and deviation charts,
// and last, with a stage record, the hydrograph.
std::vector<Chart> MakeFigureCharts(const FigureRequest& request);

}  // namespace xsrating::figure

#endif  // XSRATING_FIGURE_CHARTS_H_
