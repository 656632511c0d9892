// SPDX-License-Identifier: GPL-3.0-or-later
// The charts' axes and series, and their layout in a box: ticks, legends
// that wrap, the gauged range's band and dashes, hit testing.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/calibration/rating_analysis.h"
#include "core/hydraulics/rating.h"
#include "figure/charts.h"
#include "figure/layout.h"
#include "figure/svg_painter.h"

namespace xsrating::figure {
namespace {

using ::testing::ElementsAreArray;

struct TickCase {
  const char* name;
  double min;
  double max;
  std::vector<std::string> labels;
};

TEST(FigureAxisTest, TicksFallOnNiceNumbersWithinTheRange) {
  const TickCase cases[] = {
      {"small roughnesses",
       0.003,
       0.03,
       {"0.005", "0.01", "0.015", "0.02", "0.025", "0.03"}},
      {"stages off round numbers", 44.2, 52.7, {"46", "48", "50", "52"}},
      {"one point, padded",
       PaddedSpan(5, 5).min,
       PaddedSpan(5, 5).max,
       {"4", "4.5", "5", "5.5", "6"}},
      {"a range of zero", 3, 3, {"3"}},
      {"symmetric about 0, no -0",
       -7.35,
       7.35,
       {"-6", "-4", "-2", "0", "2", "4", "6"}},
      // 0.1 steps that binary cannot hold: each label is the round number.
      {"tenths", 0.05, 0.95, {"0.2", "0.4", "0.6", "0.8"}},
      {"discharges from zero",
       0,
       1312.5,
       {"0", "200", "400", "600", "800", "1000", "1200"}},
      {"not finite", 0, INFINITY, {}},
  };
  for (const TickCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Axis axis = MakeAxis("t", c.min, c.max);
    EXPECT_THAT(axis.labels, ElementsAreArray(c.labels));
    ASSERT_EQ(axis.ticks.size(), axis.labels.size());
    for (double tick : axis.ticks) {
      EXPECT_GE(tick, c.min - 1e-12);
      EXPECT_LE(tick, c.max + 1e-12);
    }
  }
}

struct StepCase {
  const char* name;
  double span;
  double step;
};

TEST(FigureAxisTest, StepsAreOneTwoOrFiveTimesAPowerOfTen) {
  const StepCase cases[] = {
      {"distance 0 to 30", 30, 5},
      {"elevation -0.25 to 5.25", 5.5, 1},
      {"discharge to 178", 178.206, 50},
      {"area to 105", 105, 20},
      {"centimetres", 0.08, 0.02},
      {"exactly six", 6, 1},
      {"no span", 0, 1},
      {"not a number", NAN, 1},
  };
  for (const StepCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_NEAR(NiceStep(c.span), c.step, 1e-12);
  }
}

// A V section 0..10 m across, bed 0 at 5 m, banks 4 and 5 m.
FigureRequest VSection() {
  FigureRequest request;
  request.section.points = {{0, 5}, {5, 0}, {10, 4}};
  RunParameters params;
  params.roughness = 0.03;
  params.slope_text = "0.001";
  params.stage_count = 8;
  Rating rating;
  EXPECT_TRUE(RateSection(request.section, params, &rating).ok());
  request.rows = rating.hydraulic_rows;
  return request;
}

const Series* Find(const Chart& chart, const std::string& id) {
  for (const Series& series : chart.series) {
    if (series.id == id) return &series;
  }
  return nullptr;
}

// Analyses the V section's table against `gaugings` (stage, discharge).
RatingAnalysis Analysed(const FigureRequest& request,
                        const std::vector<Gauging>& gaugings) {
  RunParameters params;
  params.roughness = 0.03;
  params.slope_text = "0.001";
  params.stage_count = 8;
  Rating rating;
  EXPECT_TRUE(RateSection(request.section, params, &rating).ok());
  RatingAnalysis analysis;
  const Status status =
      AnalyzeRating(rating.section, rating.table, 0.001, gaugings, &analysis);
  EXPECT_TRUE(status.ok()) << status.message();
  return analysis;
}

Gauging At(double stage, double discharge) {
  Gauging gauging;
  gauging.stage = stage;
  gauging.discharge = discharge;
  return gauging;
}

TEST(FigureChartsTest, GaugingsOutsideTheTableWidenTheAxes) {
  FigureRequest request = VSection();
  const Chart plain = MakeDischargeChart(request);
  // One gauging above the lower crest (4 m) with more flow than the table.
  request.analysis = Analysed(request, {At(1.5, 2), At(2.5, 8), At(4.6, 5000)});
  const Chart gauged = MakeDischargeChart(request);
  EXPECT_LT(plain.y.max, 4.6);
  EXPECT_GT(gauged.y.max, 4.6);
  EXPECT_LT(plain.x.max, 5000);
  EXPECT_GT(gauged.x.max, 5000);
  const Series* left_out = Find(gauged, "gaugingsLeftOut");
  ASSERT_NE(left_out, nullptr);
  EXPECT_EQ(left_out->fill.alpha, 0);  // Hollow.
  EXPECT_EQ(left_out->points.size(), 1u);
}

TEST(FigureChartsTest, DashesStartAtTheLastRowWithinTheGaugedRange) {
  FigureRequest request = VSection();
  request.analysis = Analysed(request, {At(1.2, 2), At(2.1, 9)});
  const RatingAnalysis& analysis = *request.analysis;
  const Chart chart = MakeDischargeChart(request);
  for (const char* id : {"curve", "calibrated"}) {
    SCOPED_TRACE(id);
    const Series* solid = Find(chart, id);
    const Series* dashed = Find(chart, std::string(id) + "Extended");
    ASSERT_NE(solid, nullptr);
    ASSERT_NE(dashed, nullptr);
    EXPECT_EQ(dashed->pen.dash, Dash::kDashed);
    ASSERT_FALSE(dashed->points.empty());
    // Solid to the highest row at or below 2.1 m, dashed from it on.
    EXPECT_LE(solid->points.back().y, analysis.highest_gauged_stage);
    EXPECT_EQ(dashed->points.front(), solid->points.back());
    EXPECT_GT(dashed->points[1].y, analysis.highest_gauged_stage);
    EXPECT_EQ(dashed->points.back().y, analysis.rows.back().stage);
    EXPECT_EQ(solid->points.front(), (Point{0, 0}));  // From the bed.
  }
}

TEST(FigureChartsTest, TheBandSpansTwoStandardErrorsOverTheGaugedRange) {
  FigureRequest request = VSection();
  request.analysis = Analysed(request, {At(1.2, 2), At(2.1, 9), At(3, 20)});
  const RatingAnalysis& analysis = *request.analysis;
  ASSERT_TRUE(analysis.standard_error_percent);
  const Chart chart = MakeDeviationChart(analysis);
  const Series* band = Find(chart, "deviationBand");
  ASSERT_NE(band, nullptr);
  const double edge = 2 * *analysis.standard_error_percent;
  EXPECT_EQ(band->points.front().x, -edge);
  EXPECT_EQ(band->points.back().x, edge);
  EXPECT_EQ(band->lower.front().y, chart.y.min);
  EXPECT_EQ(band->points.front().y, chart.y.max);
  EXPECT_LT(chart.y.min, analysis.lowest_gauged_stage);
  EXPECT_GT(chart.y.max, analysis.highest_gauged_stage);
  // Symmetric about 0 and wide enough for the band.
  EXPECT_EQ(chart.x.min, -chart.x.max);
  EXPECT_GT(chart.x.max, edge);

  // One gauging: no Se, no band.
  FigureRequest single = VSection();
  single.analysis = Analysed(single, {At(2.1, 9)});
  EXPECT_EQ(Find(MakeDeviationChart(*single.analysis), "deviationBand"),
            nullptr);
}

struct LegendCase {
  const char* name;
  double width;
  int lines;
};

TEST(FigureLayoutTest, LegendsWrapRatherThanBeingCut) {
  FigureRequest request = VSection();
  request.analysis = Analysed(request, {At(1.2, 2), At(2.1, 9), At(4.6, 50)});
  SvgPainter measure(0, 0, "", "");
  const LegendCase cases[] = {
      {"a figure file's panel", 600, 1},
      {"a narrow window", 330, 2},
      {"one entry a line", 120, 4},
  };
  for (const LegendCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Rect box{7, 11, c.width, 420};
    const ChartLayout layout =
        LayOutChart(MakeDischargeChart(request), box, measure);
    EXPECT_EQ(layout.legend_lines, c.lines);
    // 输入糙率, 率定糙率, 实测, 未采用: each whole, inside the box, below
    // the plot.
    ASSERT_EQ(layout.legend.size(), 4u);
    for (const LegendEntry& entry : layout.legend) {
      const Series& series = layout.chart.series[entry.series];
      const double end =
          entry.text_at.x + measure.TextWidth(series.name, kLabelFont);
      EXPECT_GE(entry.symbol.x, box.x) << series.name;
      EXPECT_LE(end, box.Right()) << series.name;
      EXPECT_GT(entry.symbol.y, layout.plot.Bottom()) << series.name;
      EXPECT_LE(entry.symbol.Bottom(), box.Bottom()) << series.name;
    }
    EXPECT_GT(layout.plot.height, 100);
  }
}

TEST(FigureLayoutTest, SmallPlotsKeepTheirTickLabelsApart) {
  SvgPainter measure(0, 0, "", "");
  const Chart chart = MakeSectionChart(VSection());
  const ChartLayout large = LayOutChart(chart, {0, 0, 600, 450}, measure);
  EXPECT_EQ(large.chart.y.ticks, chart.y.ticks);  // Room enough: as made.
  for (const Rect& box : {Rect{0, 0, 240, 150}, Rect{0, 0, 150, 400}}) {
    const ChartLayout small = LayOutChart(chart, box, measure);
    for (const Axis* axis : {&small.chart.x, &small.chart.y}) {
      ASSERT_GE(axis->ticks.size(), 2u);
      const double apart =
          std::fabs(small.ToDevice({axis->ticks[1], axis->ticks[1]}).y -
                    small.ToDevice({axis->ticks[0], axis->ticks[0]}).y);
      if (axis == &small.chart.y) {
        EXPECT_GE(apart, measure.LineHeight(kLabelFont)) << box.width;
      }
    }
    const double first = small.ToDevice({small.chart.x.ticks[0], 0}).x;
    const double second = small.ToDevice({small.chart.x.ticks[1], 0}).x;
    EXPECT_GE(second - first,
              measure.TextWidth(small.chart.x.labels[1], kLabelFont))
        << box.width;
  }
}

TEST(FigureLayoutTest, PointsMapIntoThePlotAndHitsFindThem) {
  SvgPainter measure(0, 0, "", "");
  const ChartLayout layout =
      LayOutChart(MakeAreaChart(VSection()), {0, 0, 600, 450}, measure);
  const Chart& chart = layout.chart;
  const Point low = layout.ToDevice({chart.x.min, chart.y.min});
  const Point high = layout.ToDevice({chart.x.max, chart.y.max});
  EXPECT_NEAR(low.x, layout.plot.x, 1e-9);
  EXPECT_NEAR(low.y, layout.plot.Bottom(), 1e-9);
  EXPECT_NEAR(high.x, layout.plot.Right(), 1e-9);
  EXPECT_NEAR(high.y, layout.plot.y, 1e-9);
  const Series* marks = Find(chart, "points");
  ASSERT_NE(marks, nullptr);
  const Point third = marks->points[2];
  const Point at = layout.ToDevice(third);
  const Point back = layout.ToValue(at);
  EXPECT_NEAR(back.x, third.x, 1e-9);
  EXPECT_NEAR(back.y, third.y, 1e-9);
  const std::optional<ChartHit> hit = HitTest(layout, {at.x + 2, at.y - 2}, 6);
  ASSERT_TRUE(hit);
  EXPECT_EQ(hit->point, 2u);
  EXPECT_EQ(hit->value, third);
  EXPECT_FALSE(HitTest(layout, {at.x + 20, at.y + 20}, 6));
}

TEST(FigureLayoutTest, AFigureFileKeepsItsArrangement) {
  SvgPainter measure(0, 0, "", "");
  FigureRequest request = VSection();
  request.heading = "v　糙率 n = 0.03";
  const FigureLayout plain = LayOutFigure(request, measure);
  EXPECT_EQ(plain.width, 1200);
  EXPECT_EQ(plain.height, 944);
  ASSERT_EQ(plain.charts.size(), 3u);
  EXPECT_EQ(plain.charts[0].box, (Rect{0, 44, 1200, 450}));
  EXPECT_EQ(plain.charts[2].box, (Rect{600, 494, 600, 450}));
  request.analysis = Analysed(request, {At(1.2, 2), At(2.1, 9)});
  const FigureLayout gauged = LayOutFigure(request, measure);
  EXPECT_EQ(gauged.height, 1394);
  EXPECT_EQ(gauged.charts.back().chart.id, "DeviationChart");
  EXPECT_EQ(gauged.charts.back().box, (Rect{600, 944, 600, 450}));
}

}  // namespace
}  // namespace xsrating::figure
