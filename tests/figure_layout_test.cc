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
#include "core/input/stage_record.h"
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

// Days since 1970 of a time of the station's clock.
double Day(int year, int month, int day, int hour = 0, int minute = 0) {
  return static_cast<double>(MakeRecordTime(year, month, day, hour, minute)) /
         kSecondsPerDay;
}

struct TimeAxisCase {
  const char* name;
  double from, to, first_tick;
  std::vector<std::string> labels;
};

// Four to eight ticks on the calendar, the larger unit named where it
// begins and on the first tick.
TEST(FigureAxisTest, TimeTicksFallOnTheCalendar) {
  const TimeAxisCase cases[] = {
      {"six hours",
       Day(2024, 6, 18, 9, 30),
       Day(2024, 6, 18, 15, 30),
       Day(2024, 6, 18, 10),
       {"6月18日 10:00", "11:00", "12:00", "13:00", "14:00", "15:00"}},
      {"three days",
       Day(2024, 6, 30, 12),
       Day(2024, 7, 3, 12),
       Day(2024, 6, 30, 12),
       {"6月30日 12:00", "7月1日", "12:00", "7月2日", "12:00", "7月3日",
        "12:00"}},
      {"two months, by 旬",
       Day(2024, 5, 20),
       Day(2024, 7, 20),
       Day(2024, 5, 21),
       {"2024年5月21日", "6月1日", "6月11日", "6月21日", "7月1日", "7月11日"}},
      {"ten years",
       Day(2015, 1, 1),
       Day(2025, 1, 1),
       Day(2016, 1, 1),
       {"2016年", "2018年", "2020年", "2022年", "2024年"}},
  };
  for (const TimeAxisCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Axis axis = MakeTimeAxis("时间", c.from, c.to);
    EXPECT_THAT(axis.labels, ElementsAreArray(c.labels));
    ASSERT_EQ(axis.ticks.size(), axis.labels.size());
    EXPECT_NEAR(axis.ticks.front(), c.first_tick, 1e-9);
    EXPECT_LE(axis.ticks.back(), c.to);
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

// A small plot coarsens a time axis by the calendar, never by 1-2-5
// numbers of days since 1970.
TEST(FigureLayoutTest, SmallPlotsThinATimeAxisByTheCalendar) {
  SvgPainter measure(0, 0, "", "");
  Chart chart;
  chart.x = MakeTimeAxis("时间", Day(2024, 6, 1), Day(2024, 7, 1));
  for (const double width : {1200.0, 300.0, 160.0}) {
    SCOPED_TRACE(width);
    const ChartLayout layout = LayOutChart(chart, {0, 0, width, 300}, measure);
    const Axis& x = layout.chart.x;
    ASSERT_TRUE(x.time_step);
    ASSERT_GE(x.ticks.size(), 2u);
    EXPECT_EQ(x.step > chart.x.step, width < 1200);
    EXPECT_EQ(x.labels, MakeTimeAxis("", x.min, x.max, *x.time_step).labels);
    for (size_t i = 0; i + 1 < x.ticks.size(); ++i) {
      EXPECT_GE(layout.ToDevice({x.ticks[i + 1], 0}).x -
                    layout.ToDevice({x.ticks[i], 0}).x,
                (measure.TextWidth(x.labels[i], kLabelFont) +
                 measure.TextWidth(x.labels[i + 1], kLabelFont)) /
                    2);
    }
  }
}

// A series on the right axis is placed, read back and hit by that axis:
// 42.5 is a quarter up the right axis, but 42.5 % up the left one.
TEST(FigureLayoutTest, EachSeriesMapsByItsOwnAxis) {
  SvgPainter measure(0, 0, "", "");
  for (const bool right : {false, true}) {
    SCOPED_TRACE(right);
    Chart chart;
    chart.y = MakeAxis("流量 (m³/s)", 0, 100);
    chart.y_right = MakeAxis("水位 (m)", 40, 50);
    Series marks;
    marks.kind = SeriesKind::kMarkers;
    marks.right_axis = right;
    marks.points = {{0.5, 42.5}};
    chart.series = {marks};
    const ChartLayout layout = LayOutChart(chart, {0, 0, 600, 450}, measure);
    const Point at = layout.ToDevice({0.5, 42.5}, right);
    const double up = right ? 0.25 : 0.425;
    EXPECT_NEAR(at.y, layout.plot.Bottom() - up * layout.plot.height, 1e-9);
    EXPECT_NEAR(layout.ToValue(at, right).y, 42.5, 1e-9);
    ASSERT_TRUE(HitTest(layout, at, 3));
  }
}

struct BreakCase {
  const char* name;
  std::vector<double> values;
  size_t polylines;
  size_t dots;  // Points alone between breaks.
};

TEST(FigureLayoutTest, ALineBreaksAtEveryPointThatIsNotFinite) {
  const BreakCase cases[] = {
      {"no gap", {1, 2, 3}, 1, 0},
      {"one gap", {1, 2, NAN, 3, 4}, 2, 0},
      {"a lone point between gaps", {1, 2, NAN, 3, NAN, 4, 5}, 2, 1},
      {"gaps at the ends, doubled", {NAN, 1, 2, NAN, NAN, 3, 4, NAN}, 2, 0},
      {"an infinite value", {1, INFINITY, 2, 3}, 1, 1},
      {"one point alone", {1}, 0, 1},
  };
  for (const BreakCase& c : cases) {
    SCOPED_TRACE(c.name);
    Chart chart;
    chart.x = MakeAxis("x", 0, 10);
    Series line;
    for (size_t i = 0; i < c.values.size(); ++i) {
      line.points.push_back({static_cast<double>(i), c.values[i]});
    }
    chart.series = {line};
    SvgPainter painter(600, 450, "", "");
    DrawChart(LayOutChart(chart, {0, 0, 600, 450}, painter), painter);
    const std::string svg = painter.Finish();
    const auto count = [&svg](const char* element) {
      size_t n = 0;
      for (size_t at = 0; (at = svg.find(element, at)) != svg.npos; ++at) ++n;
      return n;
    };
    EXPECT_EQ(count("<polyline"), c.polylines);
    EXPECT_EQ(count("<circle"), c.dots);
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

struct ArrangementCase {
  bool gaugings, record;
  double height;
  Rect last;  // The last chart's room: the hydrograph's, a row of its own.
};

TEST(FigureLayoutTest, AFigureFileKeepsItsArrangement) {
  SvgPainter measure(0, 0, "", "");
  const ArrangementCase cases[] = {
      {false, false, 944, {600, 494, 600, 450}},
      {true, false, 1394, {600, 944, 600, 450}},
      {false, true, 1394, {0, 944, 1200, 450}},
      {true, true, 1844, {0, 1394, 1200, 450}},
  };
  for (const ArrangementCase& c : cases) {
    FigureRequest request = VSection();
    request.heading = "v　糙率 n = 0.03";
    if (c.gaugings) {
      request.analysis = Analysed(request, {At(1.2, 2), At(2.1, 9)});
    }
    if (c.record) {
      request.hydrograph = Hydrograph{
          .readings = {{19905, 1, 2}, {19906, 3, 9}}, .days = {{19905, 5}}};
    }
    const FigureLayout plain = LayOutFigure(request, measure);
    EXPECT_EQ(plain.width, 1200);
    EXPECT_EQ(plain.height, c.height);
    EXPECT_EQ(plain.charts[0].box, (Rect{0, 44, 1200, 450}));
    EXPECT_EQ(plain.charts[2].box, (Rect{600, 494, 600, 450}));
    EXPECT_EQ(plain.charts.back().box, c.last);
  }
}

}  // namespace
}  // namespace xsrating::figure
