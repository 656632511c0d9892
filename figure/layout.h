// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_FIGURE_LAYOUT_H_
#define XSRATING_FIGURE_LAYOUT_H_

// Charts (figure/charts.h) placed in a box of device units: the title on
// top, the plot area with its frame and grid, tick labels, axis titles and
// the legend below. Text is measured through the painter that will draw it,
// so labels never overlap and a legend too wide for one line goes on to the
// next instead of being cut. A figure file puts the heading above the
// charts, the section across the top and the others two to a row.

#include <optional>
#include <string>
#include <vector>

#include "figure/charts.h"
#include "figure/painter.h"

namespace xsrating::figure {

// The fonts of a chart, in units (at 96 dpi: 12 pt title, 10 pt axis
// titles, 9 pt labels and legend, 14 pt heading).
inline constexpr Font kTitleFont{16, true};
inline constexpr Font kAxisTitleFont{13.3, false};
inline constexpr Font kLabelFont{12, false};
inline constexpr Font kHeadingFont{18.7, true};

// One legend entry where it is drawn: its symbol in `symbol`, its text
// starting at `text_at` (left, middle).
struct LegendEntry {
  size_t series = 0;  // Index into Chart::series.
  Rect symbol;
  Point text_at;
};

struct ChartLayout {
  Chart chart;
  Rect box;        // The chart's whole room.
  Rect plot;       // The frame of the plot area, where the axes' spans lie.
  Point title_at;  // Centre, top.
  std::vector<LegendEntry> legend;
  int legend_lines = 0;

  // The device position of the axes' point (x, y), y on the right axis
  // when `right_axis` and the chart has one.
  Point ToDevice(Point value, bool right_axis = false) const;
  // The axes' point at device position `at`, as ToDevice maps it.
  Point ToValue(Point at, bool right_axis = false) const;
};

// Lays `chart` out in `box`, measuring its texts with `measure`. A box too
// small for the texts leaves a plot area of no size, which draws nothing.
ChartLayout LayOutChart(Chart chart, const Rect& box, Painter& measure);

// Draws a laid-out chart: its ground, grid, series clipped to the plot
// area, notes, frame, ticks, titles and legend.
void DrawChart(const ChartLayout& layout, Painter& painter);

// The point of a marked series nearest to `at` within `radius` units, and
// the values it stands for; none when no point is that near.
struct ChartHit {
  size_t series = 0;  // Index into Chart::series.
  size_t point = 0;   // Index into its points.
  Point value;        // The point in its axes' units.
  Point at;           // Its device position.
};
std::optional<ChartHit> HitTest(const ChartLayout& layout, Point at,
                                double radius);

// The room of one chart in a figure file, and the heading's height above
// them.
inline constexpr double kPanelWidth = 600;
inline constexpr double kPanelHeight = 450;
inline constexpr double kHeadingHeight = 44;
inline constexpr int kPanelsPerRow = 2;

struct FigureLayout {
  double width = 0;
  double height = 0;
  std::string heading;  // Empty: none.
  std::vector<ChartLayout> charts;
};

// A figure file's page: the heading (when there is one), the first chart
// across the whole width, and below it the others two to a row, each
// kPanelWidth by kPanelHeight, except that a chart marked full_width has a
// row of its own across the whole width.
FigureLayout LayOutFigure(std::vector<Chart> charts, std::string heading,
                          Painter& measure);
// The figure of `request`: LayOutFigure of MakeFigureCharts and its heading.
FigureLayout LayOutFigure(const FigureRequest& request, Painter& measure);

// Draws the page on a white ground.
void DrawFigure(const FigureLayout& layout, Painter& painter);

}  // namespace xsrating::figure

#endif  // XSRATING_FIGURE_LAYOUT_H_
