// SPDX-License-Identifier: GPL-3.0-or-later
// The charts of a rating figure: what each series holds, the axes' spans and
// titles, the water against the table's geometry, the zones and legends.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "core/calibration/rating_analysis.h"
#include "core/hydraulics/rating.h"
#include "core/hydraulics/stage_discharge.h"
#include "core/input/stage_record.h"
#include "figure/charts.h"

namespace xsrating::figure {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::UnorderedElementsAre;

using Points = std::vector<Point>;

// The V section of the examples rated with n 0.025, slope 0.0004 and five
// stages.
Rating VRating() {
  RunParameters params;
  params.roughness = 0.025;
  params.slope_text = "0.0004";
  params.stage_count = 5;
  Rating rating;
  EXPECT_TRUE(RateSection(CrossSection{{{0, 5}, {10, 0}, {20, 0}, {30, 5}}},
                          params, &rating)
                  .ok());
  return rating;
}

FigureRequest VSection() {
  return RequestForRating(VRating(), nullptr, "", "");
}

// The V section's table checked against a gauging at 2.5 m, which means a
// roughness near 0.02, and one below the bed.
RatingAnalysis VSectionAnalysis() {
  const Rating rating = VRating();
  const std::vector<Gauging> gaugings = {{-1, 5, 1}, {2.5, 54.88, 2}};
  RatingAnalysis analysis;
  EXPECT_TRUE(
      AnalyzeRating(rating.section, rating.table, 0.0004, gaugings, &analysis)
          .ok());
  return analysis;
}

const Series* Find(const Chart& chart, const std::string& id) {
  for (const Series& series : chart.series) {
    if (series.id == id) return &series;
  }
  return nullptr;
}

bool Near(double a, double b) { return std::fabs(a - b) < 1e-9; }

// The area between two lines of the same distances, by trapezoids.
double AreaBetween(const Points& upper, const Points& lower) {
  double area = 0;
  for (size_t i = 0; i + 1 < upper.size(); ++i) {
    const double left = upper[i].y - lower[i].y;
    const double right = upper[i + 1].y - lower[i + 1].y;
    area += (left + right) / 2 * (upper[i + 1].x - upper[i].x);
  }
  return area;
}

// The width over which the upper line lies above the lower one.
double WidthBetween(const Points& upper, const Points& lower) {
  double width = 0;
  for (size_t i = 0; i + 1 < upper.size(); ++i) {
    const double middle =
        (upper[i].y + upper[i + 1].y) / 2 - (lower[i].y + lower[i + 1].y) / 2;
    if (middle > 0) width += upper[i + 1].x - upper[i].x;
  }
  return width;
}

struct SpanCase {
  const char* name;
  Span made;
  Span expected;
};

TEST(FigureChartsTest, SpansLeaveRoomAtTheEnds) {
  const SpanCase cases[] = {
      {"bed to crest", PaddedSpan(0, 5), {-0.25, 5.25}},
      {"real elevations", PaddedSpan(100, 120), {99, 121}},
      {"no span", PaddedSpan(3, 3), {2, 4}},
      {"discharge", SpanFromZero(169.72), {0, 178.206}},
      {"no flow", SpanFromZero(0), {0, 1}},
  };
  for (const SpanCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(Near(c.made.min, c.expected.min));
    EXPECT_TRUE(Near(c.made.max, c.expected.max));
  }
}

TEST(FigureChartsTest, TheSectionOfTheVSection) {
  const Chart chart = MakeSectionChart(VSection());
  EXPECT_EQ(chart.x.min, 0);
  EXPECT_EQ(chart.x.max, 30);
  EXPECT_EQ(chart.y.min, -0.25);
  EXPECT_EQ(chart.y.max, 5.25);
  EXPECT_EQ(chart.x.title, "起点距 (m)");
  EXPECT_EQ(chart.y.title, "高程 (m)");
  const Series* bed = Find(chart, "bed");
  ASSERT_NE(bed, nullptr);
  EXPECT_EQ(bed->points, (Points{{0, 5}, {10, 0}, {20, 0}, {30, 5}}));
  const Series* crest = Find(chart, "bankCrest");
  ASSERT_NE(crest, nullptr);
  EXPECT_EQ(crest->points, (Points{{0, 5}, {30, 5}}));
  EXPECT_EQ(crest->pen.dash, Dash::kDashed);
  // The earth is filled from the bed down to the frame.
  const Series* earth = Find(chart, "bedFill");
  ASSERT_NE(earth, nullptr);
  EXPECT_EQ(earth->points, bed->points);
  for (const Point& p : earth->lower) EXPECT_EQ(p.y, -0.25);
  // Stage 5 reaches both crests: the whole V is water.
  const Series* water = Find(chart, "water");
  ASSERT_NE(water, nullptr);
  EXPECT_EQ(water->points, (Points{{0, 5}, {10, 5}, {20, 5}, {30, 5}}));
  EXPECT_EQ(water->lower, bed->points);
  EXPECT_EQ(water->name, "过水断面（水位 5 m）");
}

struct WaterCase {
  const char* name;
  Points points;
  double level;
};

// The shaded water must be the water the table was computed for: its area
// and its width at the surface, over every wet part.
TEST(FigureChartsTest, TheWaterIsTheTablesWater) {
  const WaterCase cases[] = {
      {"V, water part way up", {{0, 5}, {10, 0}, {20, 0}, {30, 5}}, 2.5},
      {"island splits the water",
       {{0, 6}, {10, 0}, {20, 4}, {30, 0}, {40, 5}},
       3.0},
      {"island awash at the level",
       {{0, 6}, {10, 0}, {20, 3}, {30, 0}, {40, 5}},
       3.0},
      {"vertical banks", {{0, 4}, {0, 0}, {8, 0}, {8, 4}}, 1.5},
      {"point exactly at the level", {{0, 5}, {5, 2}, {10, 0}, {20, 5}}, 2.0},
  };
  for (const WaterCase& c : cases) {
    SCOPED_TRACE(c.name);
    FigureRequest request;
    for (const Point& p : c.points)
      request.section.points.push_back({p.x, p.y});
    request.rows.push_back(HydraulicRow{c.level});
    const Chart chart = MakeSectionChart(request);
    const Series* water = Find(chart, "water");
    ASSERT_NE(water, nullptr);
    const Points& surface = water->points;
    const Points& bed = water->lower;
    ASSERT_EQ(surface.size(), bed.size());
    for (size_t i = 0; i < surface.size(); ++i) {
      EXPECT_EQ(surface[i].x, bed[i].x);
      EXPECT_GE(surface[i].y, bed[i].y);
      EXPECT_LE(surface[i].y, std::max(c.level, bed[i].y));
    }
    const WettedGeometry geometry =
        ComputeWettedGeometry(request.section, {c.level});
    EXPECT_NEAR(AreaBetween(surface, bed), geometry.area[0], 1e-9);
    EXPECT_NEAR(WidthBetween(surface, bed), geometry.top_width[0], 1e-9);
  }
}

struct AloneCase {
  const char* name;
  Points points;
  bool crest;
};

TEST(FigureChartsTest, ASectionWithoutATable) {
  const AloneCase cases[] = {
      {"no table yet", {{0, 5}, {10, 0}, {20, 0}, {30, 5}}, true},
      {"one point: no crest", {{0, 5}}, false},
      {"out of order: no crest", {{0, 5}, {10, 0}, {5, 0}, {30, 5}}, false},
      {"no points", {}, false},
  };
  for (const AloneCase& c : cases) {
    SCOPED_TRACE(c.name);
    FigureRequest request;
    for (const Point& p : c.points)
      request.section.points.push_back({p.x, p.y});
    const Chart chart = MakeSectionChart(request);
    EXPECT_EQ(Find(chart, "water"), nullptr);
    EXPECT_EQ(Find(chart, "bankCrest") != nullptr, c.crest);
    const Series* bed = Find(chart, "bed");
    EXPECT_EQ(bed != nullptr, !c.points.empty());
    if (bed != nullptr) {
      EXPECT_EQ(bed->points, c.points);
    }
    // The axes always show the whole survey.
    for (const Point& p : c.points) {
      EXPECT_TRUE(p.x >= chart.x.min && p.x <= chart.x.max);
      EXPECT_TRUE(p.y > chart.y.min && p.y < chart.y.max);
    }
  }
}

struct CurveCase {
  const char* name;
  bool discharge;
  const char* across_title;
  double across_max;
  std::vector<double> values;
};

TEST(FigureChartsTest, TheCurvesRunFromTheBedThroughEachRow) {
  const CurveCase cases[] = {
      {"stage-discharge",
       true,
       "流量 (m³/s)",
       169.72 * 1.05,
       {8.47, 29.06, 61.96, 108.4, 169.72}},
      {"stage-area", false, "面积 (m²)", 105, {12, 28, 48, 72, 100}},
  };
  for (const CurveCase& c : cases) {
    SCOPED_TRACE(c.name);
    const FigureRequest request = VSection();
    const Chart chart =
        c.discharge ? MakeDischargeChart(request) : MakeAreaChart(request);
    EXPECT_EQ(chart.x.min, 0);
    EXPECT_TRUE(Near(chart.x.max, c.across_max));
    EXPECT_EQ(chart.y.min, -0.25);
    EXPECT_EQ(chart.y.max, 5.25);
    EXPECT_EQ(chart.x.title, c.across_title);
    // Stage up the vertical axis, as a rating is drawn.
    EXPECT_EQ(chart.y.title, "水位 (m)");
    Points marks;
    for (int j = 1; j <= 5; ++j) marks.push_back({c.values[j - 1], double(j)});
    const Series* points = Find(chart, "points");
    ASSERT_NE(points, nullptr);
    EXPECT_EQ(points->points, marks);
    const Series* curve = Find(chart, "curve");
    ASSERT_NE(curve, nullptr);
    marks.insert(marks.begin(), Point{0, 0});
    EXPECT_EQ(curve->points, marks);

    FigureRequest empty = request;
    empty.rows.clear();
    const Chart without =
        c.discharge ? MakeDischargeChart(empty) : MakeAreaChart(empty);
    EXPECT_TRUE(Find(without, "curve")->points.empty());
    EXPECT_TRUE(Find(without, "points")->points.empty());
    // The stage axis still spans the section's bed to its crest.
    EXPECT_EQ(without.y.min, -0.25);
    EXPECT_EQ(without.y.max, 5.25);
  }
}

TEST(FigureChartsTest, TheFigureHasTheGaugedChartsOnlyWithGaugings) {
  FigureRequest request = VSection();
  std::vector<std::string> ids;
  for (const Chart& chart : MakeFigureCharts(request)) ids.push_back(chart.id);
  EXPECT_THAT(ids, ElementsAre("SectionChart", "DischargeChart", "AreaChart"));
  EXPECT_EQ(Find(MakeDischargeChart(request), "calibrated"), nullptr);
  request.analysis = VSectionAnalysis();
  ids.clear();
  for (const Chart& chart : MakeFigureCharts(request)) ids.push_back(chart.id);
  EXPECT_THAT(ids, ElementsAre("SectionChart", "DischargeChart", "AreaChart",
                               "RoughnessChart", "DeviationChart"));
  const Chart gauged = MakeDischargeChart(request);
  EXPECT_NE(Find(gauged, "calibrated"), nullptr);
  // The gauging below the bed is left out, hollow, and in the legend.
  const Series* left_out = Find(gauged, "gaugingsLeftOut");
  ASSERT_NE(left_out, nullptr);
  EXPECT_EQ(left_out->points, (Points{{5, -1}}));
  EXPECT_EQ(left_out->legend, LegendSymbol::kDot);
}

TEST(FigureChartsTest, ZonesAreMarkedAtTheirBreakpoints) {
  FigureRequest request = VSection();
  request.zones = {{0, 10, 0.05}, {10, 20, 0.025}, {20, 30, 0.05}};
  const Chart chart = MakeSectionChart(request);
  std::vector<double> boundaries;
  for (const Series& series : chart.series) {
    if (series.id != "zoneBoundary") continue;
    ASSERT_EQ(series.points.size(), 2u);
    EXPECT_EQ(series.points[0].x, series.points[1].x);
    EXPECT_EQ(series.legend, LegendSymbol::kNone);
    boundaries.push_back(series.points[0].x);
  }
  EXPECT_THAT(boundaries, ElementsAre(10, 20));
  std::vector<std::string> notes;
  for (const Note& note : chart.notes) {
    notes.push_back(std::to_string(int(note.at.x)) + " " + note.text);
    EXPECT_GT(note.at.y, 4.5);  // Near the top of the frame.
  }
  // Written as the heading writes a roughness.
  EXPECT_THAT(notes, ElementsAre("5 n=0.05", "15 n=0.025", "25 n=0.05"));
  // One roughness for the whole section: nothing marked.
  request.zones = {{0, 30, 0.05}};
  EXPECT_TRUE(MakeSectionChart(request).notes.empty());
}

TEST(FigureChartsTest, TheLegendNamesEverythingButTheEarthAndTheZones) {
  FigureRequest request = VSection();
  request.zones = {{0, 12, 0.05}, {12, 30, 0.025}};
  std::vector<std::string> shown;
  std::vector<LegendSymbol> symbols;
  for (const Series& series : MakeSectionChart(request).series) {
    if (series.legend == LegendSymbol::kNone) continue;
    shown.push_back(series.name);
    symbols.push_back(series.legend);
  }
  EXPECT_THAT(shown, UnorderedElementsAre("河床", "较低堤顶 5 m",
                                          "过水断面（水位 5 m）"));
  // A curve as a line, an area as a square: never a square for a line.
  EXPECT_THAT(symbols,
              UnorderedElementsAre(LegendSymbol::kLine, LegendSymbol::kLine,
                                   LegendSymbol::kSquare));
}

struct DeviationCase {
  const char* name;
  int usable;
  double band;  // 2 Se; 0 for none.
};

// Three usable gaugings with P = 4, -2, 1 (Se = sqrt(21 / 2)) and one left
// out; then the same with only the first (no Se, no band).
TEST(FigureChartsTest, TheDeviationChart) {
  const DeviationCase cases[] = {
      {"with Se", 3, 2 * std::sqrt(21 / 2.0)},
      {"one gauging", 1, 0},
  };
  for (const DeviationCase& c : cases) {
    SCOPED_TRACE(c.name);
    RatingAnalysis analysis;
    const Points points = {{4, 1.5}, {-2, 2.5}, {1, 2.0}};
    for (int i = 0; i < c.usable; ++i) {
      GaugingResult result;
      result.gauging.stage = points[i].y;
      result.fit = GaugingFit{.deviation_percent = points[i].x};
      analysis.gaugings.push_back(result);
    }
    GaugingResult left_out;
    left_out.gauging.stage = 9;
    left_out.use = GaugingUse::kAboveCrest;
    analysis.gaugings.push_back(left_out);
    analysis.lowest_gauged_stage = 1.5;
    analysis.highest_gauged_stage = c.usable > 1 ? 2.5 : 1.5;
    if (c.band > 0) analysis.standard_error_percent = c.band / 2;

    const Chart chart = MakeDeviationChart(analysis);
    EXPECT_THAT(Find(chart, "deviations")->points,
                ElementsAreArray(points.data(), c.usable));
    const Span stages =
        PaddedSpan(analysis.lowest_gauged_stage, analysis.highest_gauged_stage);
    EXPECT_EQ(chart.y.min, stages.min);
    EXPECT_EQ(chart.y.max, stages.max);
    EXPECT_EQ(Find(chart, "zeroDeviation")->points,
              (Points{{0, stages.min}, {0, stages.max}}));
    // Symmetric about 0, wide enough for the points and the band.
    const Span across =
        PaddedSpan(-std::max(4.0, c.band), std::max(4.0, c.band));
    EXPECT_EQ(chart.x.min, across.min);
    EXPECT_EQ(chart.x.max, across.max);
    const Series* band = Find(chart, "deviationBand");
    EXPECT_EQ(band != nullptr, c.band > 0);
    if (band != nullptr) {
      EXPECT_EQ(band->points,
                (Points{{-c.band, stages.max}, {c.band, stages.max}}));
      EXPECT_EQ(band->lower,
                (Points{{-c.band, stages.min}, {c.band, stages.min}}));
    }
  }
}

// `count` five-minute readings from 2015 on a slow swell, three days missing
// at the middle, one reading over the crest (50 m) at a fifth, and Q = 10
// (H - 40)², except at three fifths a peak of 2000 at an ordinary stage,
// kept for its discharge alone.
TEST(HydrographTest, AReducedRecordKeepsItsPeakItsGapAndItsSpills) {
  for (const size_t count : {size_t{2000}, size_t{1'000'000}}) {
    SCOPED_TRACE(count);
    std::vector<StageReading> readings;
    StageRecordFlow flow;
    flow.flow.z_top = 50;
    RecordTime time = MakeRecordTime(2015, 1, 1);
    for (size_t i = 0; i < count; ++i) {
      if (i == count / 2) time += 3 * kSecondsPerDay;
      const double stage = i == count / 5 ? 50.5 : 44 + std::sin(i * 1e-4);
      readings.push_back({time += 300, stage});
      flow.flow.stage_of.push_back(static_cast<uint32_t>(i));
      flow.flow.discharges.push_back(i == count * 3 / 5 ? 2000
                                     : stage > 50
                                         ? NAN
                                         : 10 * (stage - 40) * (stage - 40));
    }
    flow.days = {{0, 3.5}, {kSecondsPerDay, std::nullopt}};
    const Hydrograph drawn = MakeHydrograph(readings, flow);
    const std::vector<Hydrograph::Reading>& kept = drawn.readings;
    // A short record whole with its break; a long one a few a pixel.
    ASSERT_LE(kept.size(), kHydrographReadings);
    EXPECT_EQ(kept.size() == count + 1, count < kHydrographReadings);
    const auto at = [&](size_t i) {
      const double day = static_cast<double>(readings[i].time) / 86400;
      return std::find_if(kept.begin(), kept.end(),
                          [day](const auto& r) { return r.day == day; });
    };
    for (size_t i : {size_t{0}, count - 1, count * 3 / 5, count / 5}) {
      ASSERT_NE(at(i), kept.end()) << i;
      EXPECT_EQ(at(i)->stage, readings[i].stage);
    }
    EXPECT_EQ(at(count * 3 / 5)->discharge, 2000);
    EXPECT_TRUE(std::isnan(at(count / 5)->discharge));
    // The only break: both NaN, between the readings either side of the gap.
    const auto gap = at(count / 2 - 1) + 1;
    EXPECT_TRUE(std::isnan(gap->stage) && std::isnan(gap->discharge));
    EXPECT_EQ(gap + 1, at(count / 2));
    EXPECT_EQ(std::count_if(kept.begin(), kept.end(),
                            [](const auto& r) { return std::isnan(r.stage); }),
              1);
    EXPECT_TRUE(std::isnan(drawn.days[1].mean));
  }
}

struct HydrographChartCase {
  const char* name;
  std::vector<Hydrograph::Reading> readings;
  double largest;  // Of the discharges and the daily means.
  Span stages;     // Padded, the right axis.
  bool crest;      // Drawn at 50 m.
};

// Two days from day 19905, below, over and wholly over a crest at 50 m,
// with daily means of 10 and 缺测.
TEST(HydrographTest, TheAxesFollowTheRecordAndTheCrest) {
  const HydrographChartCase cases[] = {
      {"below", {{19905, 44, 5}, {19907, 46, 40}}, 40, {44, 46}, false},
      {"over", {{19905, 44, 5}, {19906, 51, NAN}}, 10, {44, 51}, true},
      {"all over", {{19905, 51, NAN}, {19907, 52, NAN}}, 10, {50, 52}, true},
  };
  for (const HydrographChartCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Chart chart =
        MakeHydrographChart({.readings = c.readings,
                             .days = {{19905, 10}, {19906, NAN}},
                             .bed = 40,
                             .bank_crest = 50});
    EXPECT_EQ(chart.y.max, SpanFromZero(c.largest).max);
    const Span right = PaddedSpan(c.stages.min, c.stages.max);
    EXPECT_EQ(chart.y_right->min, right.min);
    EXPECT_EQ(chart.y_right->max, right.max);
    EXPECT_TRUE(Find(chart, "stage")->right_axis);
    const Series* crest = Find(chart, "bankCrest");
    EXPECT_EQ(crest != nullptr && crest->right_axis, c.crest);
  }
}

}  // namespace
}  // namespace xsrating::figure
