// SPDX-License-Identifier: GPL-3.0-or-later
// The SVG figure against golden files, byte for byte: the same bytes on
// every platform. XSRATING_UPDATE_GOLDENS=1 rewrites the files instead, for
// a change of the figure made on purpose; look at them before committing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "core/calibration/rating_analysis.h"
#include "core/flow/yearbook.h"
#include "core/hydraulics/rating.h"
#include "core/hydraulics/roughness_zones.h"
#include "core/input/stage_record.h"
#include "core/input/zones_file.h"
#include "core/output/own_files.h"
#include "core/output/rating_heading.h"
#include "figure/svg_painter.h"

namespace xsrating::figure {
namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

struct GoldenCase {
  const char* golden;
  const char* zones;     // A zones file of the examples, or none.
  const char* gaugings;  // A gaugings file of the examples, or none.
  const char* stage_record = nullptr;  // Of the examples, or none.
};

FigureRequest RequestFor(const GoldenCase& c) {
  const std::string examples = XSRATING_EXAMPLES;
  RunParameters params;
  params.data_file_path = examples + "/river_section.txt";
  params.roughness = 0.03;
  params.slope_text = "0.0003";
  params.stage_count = 12;
  if (c.zones) {
    EXPECT_TRUE(
        ReadRoughnessZones(examples + "/" + c.zones, &params.zones).ok());
  }
  Rating rating;
  const Status computed = ComputeRating(params, &rating);
  EXPECT_TRUE(computed.ok()) << computed.message();
  RatingAnalysis analysis;
  if (c.gaugings) {
    const Status analysed =
        AnalyzeGaugings(rating, examples + "/" + c.gaugings, &analysis);
    EXPECT_TRUE(analysed.ok()) << analysed.message();
  }
  FigureRequest request =
      RequestForRating(rating, c.gaugings ? &analysis : nullptr,
                       RatingHeading(params), "river_section成果");
  std::vector<StageReading> readings;
  StageRecordFlow flow;
  if (c.stage_record &&
      ReadStageRecord(examples + "/" + c.stage_record, &readings).ok() &&
      ComputeStageRecordFlow(rating, nullptr, "0.0003", readings, &flow).ok()) {
    request.hydrograph = MakeHydrograph(readings, flow);
  }
  return request;
}

TEST(FigureSvgTest, MatchesTheGoldenFiles) {
  const GoldenCase cases[] = {
      {"river_section_plain.svg", nullptr, nullptr},
      {"river_section_gaugings.svg", nullptr, "river_section_gaugings.txt"},
      {"river_section_zones.svg", "river_section_zones.txt", nullptr},
      // 450 higher, the hydrograph in a row of its own.
      {"river_section_stages.svg", nullptr, nullptr,
       "river_section_stages.txt"},
  };
  const char* update = std::getenv("XSRATING_UPDATE_GOLDENS");
  for (const GoldenCase& c : cases) {
    SCOPED_TRACE(c.golden);
    const std::string path =
        std::string(XSRATING_FIGURE_GOLDENS) + "/" + c.golden;
    const std::string svg = FigureSvg(RequestFor(c));
    EXPECT_EQ(svg.find("水位流量过程线") != std::string::npos,
              c.stage_record != nullptr);
    // The mark a later save looks for, in the bytes the save checks.
    EXPECT_TRUE(IsOwnFile(OwnFile::kFigure, svg.substr(0, 4096)));
    if (update && std::string(update) == "1") {
      std::ofstream(path, std::ios::binary) << svg;
      continue;
    }
    const std::string golden = Slurp(path);
    ASSERT_FALSE(golden.empty()) << "no golden file " << path;
    EXPECT_TRUE(svg == golden)
        << "the figure differs from " << path
        << "; if on purpose, rerun with XSRATING_UPDATE_GOLDENS=1";
  }
}

struct WidthCase {
  const char* text;
  double ems;
};

TEST(FigureSvgTest, MeasuresTextByItsCharacters) {
  const WidthCase cases[] = {
      {"", 0},
      {"水位流量", 4},
      {"（）、。", 4},  // Full-width punctuation.
      {"00", 1.112 * 1.1},
      {"m³/s", (0.833 + 0.278 + 0.5) * 1.1 + 0.6},
      {"\xff", 0.6},      // Not UTF-8: one character all the same.
      {"\xe6\xb0", 1.2},  // Cut short.
  };
  for (const WidthCase& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_NEAR(EstimatedTextWidth(c.text, Font{10, false}), c.ems * 10, 1e-9);
  }
  EXPECT_GT(EstimatedTextWidth("水", Font{10, true}), 10);
}

TEST(FigureSvgTest, EscapesTextAndClosesClips) {
  SvgPainter painter(10, 10, "a<b&\"c\"", "d");
  painter.PushClip({0, 0, 5, 5});
  painter.Text({1, 2}, "x<y&z\x01", Font{}, Color{}, HorizontalAnchor::kLeft,
               VerticalAnchor::kBaseline, 0);
  const std::string svg = painter.Finish();
  EXPECT_NE(svg.find("<title>a&lt;b&amp;&quot;c&quot;</title>"),
            std::string::npos);
  EXPECT_NE(svg.find(">x&lt;y&amp;z</text>"), std::string::npos);
  EXPECT_NE(svg.find("</g>\n</svg>\n"), std::string::npos);
}

}  // namespace
}  // namespace xsrating::figure
