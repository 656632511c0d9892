// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_PLOT_RATING_FIGURE_H_
#define XSRATING_PLOT_RATING_FIGURE_H_

// The figure of a section's rating, drawn with Qt Charts:
//  - the cross-section: distance across, elevation up; the bed drawn and
//    filled, the lower bank crest as a dashed line, and the water of the top
//    stage shaded (every wet part, both sides of a bar or an island);
//  - the stage-discharge curve, stage up the vertical axis as hydrologists
//    draw a rating, through the table's points, which are marked; checked
//    against gaugings, the gaugings and the calibrated curve beside it;
//  - the stage-area curve, drawn the same way;
//  - checked against gaugings, the roughness each gauging implies and its
//    deviation from the calibrated curve.
// The curves start at the lowest bed point, where area and discharge are 0.
// The viewer and the figure files draw the same charts (MakeFigureCharts):
// what one shows, the other does.
// Everything here needs a QApplication (Qt Charts draws with widgets' graphics
// items), though no display: the offscreen platform does.

#include <QByteArray>
#include <QSize>
#include <QString>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/base/types.h"
#include "core/calibration/rating_analysis.h"
#include "core/hydraulics/hydraulic_table.h"
#include "core/hydraulics/roughness_zones.h"

class QChart;

namespace xsrating {

// What a figure shows: the survey and, when it could be computed, its table.
// With no rows the curves stay empty and the section has no water.
struct FigureData {
  CrossSection section;
  std::vector<HydraulicRow> rows;
  // The roughness zones on the section, when its roughness varies across it
  // (two or more); the section chart marks them.
  std::vector<AppliedZone> zones;
  // The table checked against gaugings; none without them.
  std::optional<RatingAnalysis> analysis;
  // The line above a figure file that says what it shows (RatingHeading);
  // none when empty.
  std::string heading;
};

// The lowest bed point and the lower bank crest of a section (the
// second-largest elevation, the top of the stages); nullopt when the section
// cannot be computed on (fewer than two points, distances out of order).
struct SectionLevels {
  double bed = 0;
  double bank_crest = 0;
};
std::optional<SectionLevels> LevelsOfSection(const CrossSection& section);

// The span of a value axis.
struct AxisRange {
  double min = 0;
  double max = 0;
  friend bool operator==(const AxisRange&, const AxisRange&) = default;
};

// [low, high] widened by 5 % of its span on each side, so that points at
// the ends are not cut by the frame. An empty span (low == high) is widened by
// 1 on each side.
AxisRange PaddedRange(double low, double high);

// [0, high] with 5 % room above, for quantities that start at 0 (area,
// discharge); [0, 1] when `high` is not above 0.
AxisRange RangeFromZero(double high);

// The distance between tick marks: 1, 2 or 5 times a power of ten, the
// smallest that gives at most 6 intervals over the range.
double TickInterval(const AxisRange& range);

// Object names of the charts' series and axes, so that tests and tools can
// find them with findChild.
inline constexpr char kBedSeries[] = "bed";
inline constexpr char kBedFillSeries[] = "bedFill";
inline constexpr char kWaterSeries[] = "water";
inline constexpr char kBankCrestSeries[] = "bankCrest";
// A dashed vertical line at each breakpoint between two roughness zones, and
// over the middle of each zone its roughness ("n=.05") as a point label.
inline constexpr char kZoneBoundarySeries[] = "zoneBoundary";
inline constexpr char kZoneRoughnessSeries[] = "zoneRoughness";
inline constexpr char kCurveSeries[] = "curve";
inline constexpr char kPointSeries[] = "points";
inline constexpr char kHorizontalAxis[] = "horizontalAxis";
inline constexpr char kVerticalAxis[] = "verticalAxis";

// The cross-section chart. The distance axis spans the survey's distances
// exactly (PaddedRange when they are all equal); the elevation axis is
// PaddedRange of the lowest and highest points. The water
// is the area between the bed and the top stage wherever the bed lies below
// it. The crest line is left out when LevelsOfSection has none, the bed when
// the section has no points. Roughness zones, when there are two or more,
// are marked (kZoneBoundarySeries, kZoneRoughnessSeries), outside the legend.
std::unique_ptr<QChart> MakeSectionChart(const FigureData& data);

// The stage-discharge chart: discharge across (RangeFromZero of the largest),
// stage up (PaddedRange of the lowest bed point and the lower bank crest).
// With rows, the curve has one point more than the table, the bed, and the
// marks one per row; with none both are empty.
std::unique_ptr<QChart> MakeDischargeChart(const FigureData& data);

// The stage-area chart, laid out as the stage-discharge chart.
std::unique_ptr<QChart> MakeAreaChart(const FigureData& data);

// One chart of a figure and the object name of the viewer's view that shows
// it ("SectionChart").
struct FigureChart {
  QString name;
  std::unique_ptr<QChart> chart;
};

// Every chart of the figure, the section's first, then the curves: the
// stage-discharge chart (MakeGaugedDischargeChart with an analysis), the
// stage-area chart, and with an analysis the roughness and deviation charts.
// The legends draw each series as it is drawn: a line for a curve, a dot for
// points.
std::vector<FigureChart> MakeFigureCharts(const FigureData& data);

// The room of one chart in a figure file, in pixels.
inline constexpr QSize kFigurePanelSize(600, 450);
// The height of the heading above a figure file's charts.
inline constexpr int kFigureHeadingHeight = 44;

// The size of a figure file, in pixels: the heading (when there is one), the
// section across the top, and below it the other charts of MakeFigureCharts
// two to a row, each of kFigurePanelSize.
QSize FigureSize(const FigureData& data);

// The figure as an SVG document, titled `title` (the file's name). Its texts
// (the heading, chart and axis titles, legend names, tick labels) are SVG
// text elements. Empty when it cannot be drawn.
QByteArray FigureSvg(const FigureData& data, const QString& title);

// The figure as a PNG image of FigureSize on a white ground; empty when it
// cannot be drawn or encoded (an image too large for memory).
QByteArray FigurePng(const FigureData& data);

// Series of the charts of a rating checked against gaugings. The part of a
// curve above the highest usable gauging (extrapolated) is a series of its own,
// dashed, that starts at the last row within the gauged range.
inline constexpr char kCurveExtendedSeries[] = "curveExtended";
inline constexpr char kCalibratedSeries[] = "calibrated";
inline constexpr char kCalibratedExtendedSeries[] = "calibratedExtended";
inline constexpr char kGaugingSeries[] = "gaugings";         // Usable, filled.
inline constexpr char kLeftOutSeries[] = "gaugingsLeftOut";  // Hollow.
inline constexpr char kRoughnessSeries[] = "roughness";      // n_i.
inline constexpr char kCalibratedRoughnessSeries[] = "calibratedRoughness";
inline constexpr char kDeviationSeries[] = "deviations";  // P_i.
inline constexpr char kZeroDeviationSeries[] = "zeroDeviation";
inline constexpr char kDeviationBandSeries[] = "deviationBand";  // +-2 Se.

// The stage-discharge chart with the gaugings: the curve of the typed
// roughness (kCurveSeries, kCurveExtendedSeries) and of the calibrated one
// (kCalibratedSeries, kCalibratedExtendedSeries), both from the bed, the
// usable gaugings filled and those left out hollow. Its axes cover the
// curves and every gauging.
std::unique_ptr<QChart> MakeGaugedDischargeChart(
    const FigureData& data, const RatingAnalysis& analysis);

// The back-calculated roughness of each usable gauging against its stage
// (roughness across, stage up) and the calibrated roughness as a vertical
// line over the gauged range.
std::unique_ptr<QChart> MakeRoughnessChart(const RatingAnalysis& analysis);

// The deviation P_i (%) of each usable gauging from the calibrated curve
// against its stage, laid out as the roughness chart (deviation across, stage
// up): the line of no deviation, the points, and the band from -2 Se to
// +2 Se shaded over the gauged range. Without Se (one gauging) the band is
// left out. The deviation axis is symmetric about 0 and covers the points
// and the band.
std::unique_ptr<QChart> MakeDeviationChart(const RatingAnalysis& analysis);

}  // namespace xsrating

#endif  // XSRATING_PLOT_RATING_FIGURE_H_
