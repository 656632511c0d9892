// SPDX-License-Identifier: GPL-3.0-or-later
#include "figure/layout.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <utility>

namespace xsrating::figure {
namespace {

constexpr Color kWhite{255, 255, 255};
constexpr Color kTextColor{0x20, 0x20, 0x20};
constexpr Color kGridColor{0xe3, 0xe3, 0xe3};
constexpr Color kFrameColor{0x80, 0x80, 0x80};

constexpr double kMargin = 10;  // Inside the box, all round.
constexpr double kTickLength = 5;
constexpr double kLabelGap = 3;      // Between a tick and its label.
constexpr double kSymbolWidth = 22;  // A legend entry's symbol.
constexpr double kSymbolGap = 5;     // Between a symbol and its text.
constexpr double kEntryGap = 16;     // Between two legend entries.

double LegendLineHeight(Painter& measure) {
  return std::max(measure.LineHeight(kLabelFont), 12.0) + 4;
}

// The legend entries of `chart` on as few lines as fit in `width`, each
// line centred about `centre`, the first line's top at `top`. Returns the
// number of lines.
int PlaceLegend(const Chart& chart, double centre, double width, double top,
                Painter& measure, std::vector<LegendEntry>* entries) {
  struct Pending {
    size_t series;
    double width;
  };
  std::vector<std::vector<Pending>> lines;
  double used = 0;
  for (size_t i = 0; i < chart.series.size(); ++i) {
    const Series& series = chart.series[i];
    if (series.legend == LegendSymbol::kNone) continue;
    const double entry =
        kSymbolWidth + kSymbolGap + measure.TextWidth(series.name, kLabelFont);
    // A new line when this entry would not fit beside the ones before; an
    // entry wider than the whole line still gets a line of its own.
    if (lines.empty() || used + kEntryGap + entry > width) {
      lines.emplace_back();
      used = entry;
    } else {
      used += kEntryGap + entry;
    }
    lines.back().push_back({i, entry});
  }
  const double line_height = LegendLineHeight(measure);
  for (size_t line = 0; line < lines.size(); ++line) {
    double total = -kEntryGap;
    for (const Pending& pending : lines[line])
      total += kEntryGap + pending.width;
    double x = centre - total / 2;
    const double middle = top + line * line_height + line_height / 2;
    for (const Pending& pending : lines[line]) {
      LegendEntry entry;
      entry.series = pending.series;
      entry.symbol = {x, middle - 6, kSymbolWidth, 12};
      entry.text_at = {x + kSymbolWidth + kSymbolGap, middle};
      entries->push_back(entry);
      x += pending.width + kEntryGap;
    }
  }
  return static_cast<int>(lines.size());
}

double WidestLabel(const Axis& axis, Painter& measure) {
  double widest = 0;
  for (const std::string& label : axis.labels) {
    widest = std::max(widest, measure.TextWidth(label, kLabelFont));
  }
  return widest;
}

double SpanOrOne(double span) { return span > 0 ? span : 1; }

// `axis` with coarser steps until neighbouring ticks lie at least `room`
// units apart over `length` units, so that small charts keep their labels
// apart; never fewer than two ticks when it had them.
void ThinTicks(double length, double room, Axis* axis) {
  const double span = axis->max - axis->min;
  if (!(span > 0) || !(length > 0)) return;
  for (int i = 0; i < 12; ++i) {
    if (axis->step / span * length >= room) return;
    Axis coarser =
        MakeAxis(axis->title, axis->min, axis->max, CoarserStep(axis->step));
    if (coarser.ticks.size() < 2) return;
    *axis = std::move(coarser);
  }
}

// Whether neighbouring labels of a time axis, whose widths differ ("7月"
// beside "2025年1月"), leave a gap of `gap` units between them over
// `length` units.
bool TimeLabelsApart(const Axis& axis, double length, double gap,
                     Painter& measure) {
  const double span = axis.max - axis.min;
  for (size_t i = 0; i + 1 < axis.ticks.size(); ++i) {
    const double apart = (axis.ticks[i + 1] - axis.ticks[i]) / span * length;
    const double half_widths =
        (measure.TextWidth(axis.labels[i], kLabelFont) +
         measure.TextWidth(axis.labels[i + 1], kLabelFont)) /
        2;
    if (apart < half_widths + gap) return false;
  }
  return true;
}

// ThinTicks for a time axis: the calendar's coarser steps (6 h, 12 h, a
// day...) until its labels stand apart.
void ThinTimeTicks(double length, Painter& measure, Axis* axis) {
  constexpr double kGap = 12;
  const double span = axis->max - axis->min;
  if (!(span > 0) || !(length > 0) || !axis->time_step) return;
  for (int i = 0; i < 30; ++i) {
    if (TimeLabelsApart(*axis, length, kGap, measure)) return;
    const TimeStep coarser = CoarserTimeStep(*axis->time_step);
    if (coarser == *axis->time_step) return;
    Axis thinned = MakeTimeAxis(axis->title, axis->min, axis->max, coarser);
    if (thinned.ticks.size() < 2) return;
    *axis = std::move(thinned);
  }
}

// Joins the points with lines, broken at every point that is not finite:
// a gap in a record, a reading with no discharge. A point alone between two
// breaks (or alone on its line), which no line reaches, is a dot of the
// line's colour, so that a reading is never lost from sight.
void DrawBrokenPolyline(const std::vector<Point>& device, const Pen& pen,
                        bool marked, Painter& painter) {
  const auto finite = [](const Point& p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
  };
  if (device.size() != 1 && std::all_of(device.begin(), device.end(), finite)) {
    painter.Polyline(device, pen);
    return;
  }
  auto begin = device.begin();
  while (begin != device.end()) {
    begin = std::find_if(begin, device.end(), finite);
    const auto end = std::find_if_not(begin, device.end(), finite);
    if (end - begin >= 2) {
      painter.Polyline(std::span<const Point>(&*begin, end - begin), pen);
    } else if (end - begin == 1 && !marked) {
      painter.Marker(*begin, MarkerShape::kCircle, 2 * pen.width + 1,
                     Pen{pen.color, 1}, pen.color);
    }
    begin = end;
  }
}

void DrawSeries(const ChartLayout& layout, const Series& series,
                Painter& painter) {
  std::vector<Point> device;
  for (const Point& p : series.points) {
    device.push_back(layout.ToDevice(p, series.right_axis));
  }
  switch (series.kind) {
    case SeriesKind::kArea: {
      for (auto p = series.lower.rbegin(); p != series.lower.rend(); ++p) {
        device.push_back(layout.ToDevice(*p, series.right_axis));
      }
      painter.Polygon(device, series.fill, nullptr);
      return;
    }
    case SeriesKind::kLine:
      DrawBrokenPolyline(device, series.pen, series.marked_vertices, painter);
      if (!series.marked_vertices) return;
      [[fallthrough]];
    case SeriesKind::kMarkers:
      for (const Point& p : device) {
        if (!std::isfinite(p.x) || !std::isfinite(p.y)) continue;
        painter.Marker(p, series.shape, series.marker_size, series.pen,
                       series.fill);
      }
      return;
  }
}

void DrawLegendSymbol(const Series& series, const Rect& symbol,
                      Painter& painter) {
  const Point centre{symbol.x + symbol.width / 2, symbol.y + symbol.height / 2};
  switch (series.legend) {
    case LegendSymbol::kNone:
      return;
    case LegendSymbol::kLine:
      painter.Line({symbol.x, centre.y}, {symbol.Right(), centre.y},
                   series.pen);
      if (series.marked_vertices) {
        painter.Marker(centre, series.shape, series.marker_size, series.pen,
                       series.fill);
      }
      return;
    case LegendSymbol::kDot:
      painter.Marker(centre, series.shape, std::min(series.marker_size, 9.0),
                     series.pen, series.fill);
      return;
    case LegendSymbol::kSquare: {
      const double half = symbol.height / 2;
      const Point square[] = {{centre.x - half, centre.y - half},
                              {centre.x + half, centre.y - half},
                              {centre.x + half, centre.y + half},
                              {centre.x - half, centre.y + half}};
      painter.Polygon(square, series.fill, nullptr);
      return;
    }
  }
}

void DrawAxes(const ChartLayout& layout, Painter& painter) {
  const Rect& plot = layout.plot;
  const Chart& chart = layout.chart;
  const Pen tick_pen{kFrameColor, 1};
  const double label_height = painter.LineHeight(kLabelFont);
  for (size_t i = 0; i < chart.x.ticks.size(); ++i) {
    const double x = layout.ToDevice({chart.x.ticks[i], chart.y.min}).x;
    painter.Line({x, plot.Bottom()}, {x, plot.Bottom() + kTickLength},
                 tick_pen);
    painter.Text({x, plot.Bottom() + kTickLength + kLabelGap},
                 chart.x.labels[i], kLabelFont, kTextColor,
                 HorizontalAnchor::kCenter, VerticalAnchor::kTop);
  }
  for (size_t i = 0; i < chart.y.ticks.size(); ++i) {
    const double y = layout.ToDevice({chart.x.min, chart.y.ticks[i]}).y;
    painter.Line({plot.x - kTickLength, y}, {plot.x, y}, tick_pen);
    painter.Text({plot.x - kTickLength - kLabelGap, y}, chart.y.labels[i],
                 kLabelFont, kTextColor, HorizontalAnchor::kRight,
                 VerticalAnchor::kMiddle);
  }
  painter.Text({plot.x + plot.width / 2,
                plot.Bottom() + kTickLength + kLabelGap + label_height + 2},
               chart.x.title, kAxisTitleFont, kTextColor,
               HorizontalAnchor::kCenter, VerticalAnchor::kTop);
  painter.Text({layout.box.x + kMargin, plot.y + plot.height / 2},
               chart.y.title, kAxisTitleFont, kTextColor,
               HorizontalAnchor::kCenter, VerticalAnchor::kTop, 90);
  if (!chart.y_right) return;
  const Axis& right = *chart.y_right;
  for (size_t i = 0; i < right.ticks.size(); ++i) {
    const double y = layout.ToDevice({chart.x.min, right.ticks[i]}, true).y;
    painter.Line({plot.Right(), y}, {plot.Right() + kTickLength, y}, tick_pen);
    painter.Text({plot.Right() + kTickLength + kLabelGap, y}, right.labels[i],
                 kLabelFont, kTextColor, HorizontalAnchor::kLeft,
                 VerticalAnchor::kMiddle);
  }
  // Read upwards as the left one, its foot towards the box's edge.
  painter.Text({layout.box.Right() - kMargin, plot.y + plot.height / 2},
               right.title, kAxisTitleFont, kTextColor,
               HorizontalAnchor::kCenter, VerticalAnchor::kBottom, 90);
}

// The room right of the plot: half the last label along x, or with a right
// axis its ticks, labels and title, as the left axis has on the left.
double RightRoom(const Chart& chart, Painter& measure) {
  double room = kMargin;
  if (!chart.x.labels.empty()) {
    room = std::max(
        room, measure.TextWidth(chart.x.labels.back(), kLabelFont) / 2 + 2);
  }
  if (chart.y_right) {
    room = std::max(room, kTickLength + kLabelGap +
                              WidestLabel(*chart.y_right, measure) + 4 +
                              measure.LineHeight(kAxisTitleFont) + kMargin);
  }
  return room;
}

}  // namespace

Point ChartLayout::ToDevice(Point value, bool right_axis) const {
  const Axis& y = right_axis && chart.y_right ? *chart.y_right : chart.y;
  const double across =
      (value.x - chart.x.min) / SpanOrOne(chart.x.max - chart.x.min);
  const double up = (value.y - y.min) / SpanOrOne(y.max - y.min);
  return {plot.x + across * plot.width, plot.Bottom() - up * plot.height};
}

Point ChartLayout::ToValue(Point at, bool right_axis) const {
  const Axis& y = right_axis && chart.y_right ? *chart.y_right : chart.y;
  const double across = plot.width > 0 ? (at.x - plot.x) / plot.width : 0;
  const double up = plot.height > 0 ? (plot.Bottom() - at.y) / plot.height : 0;
  return {chart.x.min + across * (chart.x.max - chart.x.min),
          y.min + up * (y.max - y.min)};
}

ChartLayout LayOutChart(Chart chart, const Rect& box, Painter& measure) {
  ChartLayout layout;
  layout.chart = std::move(chart);
  layout.box = box;
  const Chart& laid = layout.chart;
  layout.title_at = {box.x + box.width / 2, box.y + kMargin};
  const double top = box.y + kMargin + measure.LineHeight(kTitleFont) + kMargin;

  // From the bottom up: the legend, the axis title, the tick labels.
  std::vector<LegendEntry> entries;
  const double legend_height_per_line = LegendLineHeight(measure);
  // Lines first, to know the legend's height, then placed at its top.
  layout.legend_lines =
      PlaceLegend(laid, 0, box.width - 2 * kMargin, 0, measure, &entries);
  const double legend_top =
      box.Bottom() - kMargin - layout.legend_lines * legend_height_per_line;
  entries.clear();
  PlaceLegend(laid, box.x + box.width / 2, box.width - 2 * kMargin, legend_top,
              measure, &layout.legend);
  const double bottom = legend_top - measure.LineHeight(kAxisTitleFont) - 2 -
                        measure.LineHeight(kLabelFont) - kLabelGap -
                        kTickLength - 4;

  const double left = box.x + kMargin + measure.LineHeight(kAxisTitleFont) + 4 +
                      WidestLabel(laid.y, measure) + kLabelGap + kTickLength;
  const double right = box.Right() - RightRoom(laid, measure);
  layout.plot = {left, top, std::max(0.0, right - left),
                 std::max(0.0, bottom - top)};
  // Fewer ticks where the plot is small: the labels' widths along x, one and
  // a half lines along y. Thinning a value axis only drops labels, so the
  // room left for them still suffices; a time axis's labels change with its
  // step, so the room for its last label is measured again.
  if (layout.chart.x.time_step) {
    ThinTimeTicks(layout.plot.width, measure, &layout.chart.x);
    layout.plot.width =
        std::max(0.0, box.Right() - RightRoom(layout.chart, measure) - left);
    ThinTimeTicks(layout.plot.width, measure, &layout.chart.x);
  } else {
    ThinTicks(layout.plot.width, WidestLabel(layout.chart.x, measure) + 12,
              &layout.chart.x);
  }
  ThinTicks(layout.plot.height, measure.LineHeight(kLabelFont) * 1.5,
            &layout.chart.y);
  if (layout.chart.y_right) {
    ThinTicks(layout.plot.height, measure.LineHeight(kLabelFont) * 1.5,
              &*layout.chart.y_right);
  }
  return layout;
}

void DrawChart(const ChartLayout& layout, Painter& painter) {
  const Rect& box = layout.box;
  const Rect& plot = layout.plot;
  const Chart& chart = layout.chart;
  const Point ground[] = {{box.x, box.y},
                          {box.Right(), box.y},
                          {box.Right(), box.Bottom()},
                          {box.x, box.Bottom()}};
  painter.Polygon(ground, kWhite, nullptr);
  painter.Text(layout.title_at, chart.title, kTitleFont, kTextColor,
               HorizontalAnchor::kCenter, VerticalAnchor::kTop);
  if (plot.width > 0 && plot.height > 0) {
    const Pen grid{kGridColor, 1};
    for (double tick : chart.x.ticks) {
      const double x = layout.ToDevice({tick, chart.y.min}).x;
      painter.Line({x, plot.y}, {x, plot.Bottom()}, grid);
    }
    for (double tick : chart.y.ticks) {
      const double y = layout.ToDevice({chart.x.min, tick}).y;
      painter.Line({plot.x, y}, {plot.Right(), y}, grid);
    }
    painter.PushClip(plot);
    for (const Series& series : chart.series) {
      DrawSeries(layout, series, painter);
    }
    painter.PopClip();
    for (const Note& note : chart.notes) {
      painter.Text(layout.ToDevice(note.at), note.text, kLabelFont, note.color,
                   HorizontalAnchor::kCenter, VerticalAnchor::kBottom);
    }
    const Point frame[] = {{plot.x, plot.y},
                           {plot.Right(), plot.y},
                           {plot.Right(), plot.Bottom()},
                           {plot.x, plot.Bottom()}};
    const Pen frame_pen{kFrameColor, 1};
    painter.Polygon(frame, Color{0, 0, 0, 0}, &frame_pen);
    DrawAxes(layout, painter);
  }
  for (const LegendEntry& entry : layout.legend) {
    const Series& series = chart.series[entry.series];
    DrawLegendSymbol(series, entry.symbol, painter);
    painter.Text(entry.text_at, series.name, kLabelFont, kTextColor,
                 HorizontalAnchor::kLeft, VerticalAnchor::kMiddle);
  }
}

std::optional<ChartHit> HitTest(const ChartLayout& layout, Point at,
                                double radius) {
  std::optional<ChartHit> nearest;
  double nearest_distance = radius;
  const std::vector<Series>& series = layout.chart.series;
  for (size_t s = 0; s < series.size(); ++s) {
    if (series[s].kind != SeriesKind::kMarkers && !series[s].marked_vertices) {
      continue;
    }
    for (size_t i = 0; i < series[s].points.size(); ++i) {
      const Point device =
          layout.ToDevice(series[s].points[i], series[s].right_axis);
      if (!layout.plot.Contains(device)) continue;
      const double distance = std::hypot(device.x - at.x, device.y - at.y);
      if (distance <= nearest_distance) {
        nearest_distance = distance;
        nearest = ChartHit{s, i, series[s].points[i], device};
      }
    }
  }
  return nearest;
}

FigureLayout LayOutFigure(std::vector<Chart> charts, std::string heading,
                          Painter& measure) {
  FigureLayout figure;
  figure.heading = std::move(heading);
  figure.width = kPanelWidth * kPanelsPerRow;
  const double top = figure.heading.empty() ? 0 : kHeadingHeight;
  // The top of the row being filled, and the charts already in it.
  double row_top = top;
  int column = 0;
  for (size_t i = 0; i < charts.size(); ++i) {
    // The first chart across the whole width, the rest in rows below it.
    Rect place;
    if (i == 0 || charts[i].full_width) {
      if (column > 0) {  // Below a row that one chart left half empty.
        row_top += kPanelHeight;
        column = 0;
      }
      place = {0, row_top, figure.width, kPanelHeight};
      row_top += kPanelHeight;
    } else {
      place = {static_cast<double>(column) * kPanelWidth, row_top, kPanelWidth,
               kPanelHeight};
      if (++column == kPanelsPerRow) {
        row_top += kPanelHeight;
        column = 0;
      }
    }
    figure.charts.push_back(LayOutChart(std::move(charts[i]), place, measure));
  }
  // A page without charts still has the room of one row.
  const bool open_row = column > 0 || charts.empty();
  figure.height = row_top + (open_row ? kPanelHeight : 0);
  return figure;
}

FigureLayout LayOutFigure(const FigureRequest& request, Painter& measure) {
  return LayOutFigure(MakeFigureCharts(request), request.heading, measure);
}

void DrawFigure(const FigureLayout& layout, Painter& painter) {
  const Point page[] = {{0, 0},
                        {layout.width, 0},
                        {layout.width, layout.height},
                        {0, layout.height}};
  painter.Polygon(page, kWhite, nullptr);
  if (!layout.heading.empty()) {
    painter.Text({layout.width / 2, kHeadingHeight / 2}, layout.heading,
                 kHeadingFont, kTextColor, HorizontalAnchor::kCenter,
                 VerticalAnchor::kMiddle);
  }
  for (const ChartLayout& chart : layout.charts) DrawChart(chart, painter);
}

}  // namespace xsrating::figure
