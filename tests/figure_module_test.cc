// SPDX-License-Identifier: GPL-3.0-or-later
// The figure module through its C entry point, loaded as xsrating-cli loads
// it, and the loader's refusals of files that are not this program's module.

#include "figure_abi/figure_module.h"

#include <dlfcn.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cli/figure_module_loader.h"
#include "core/base/file_io.h"
#include "core/hydraulics/rating.h"
#include "figure/svg_painter.h"
#include "figure_abi/figure_module_rows.h"
#include "tests/support/temp_dir.h"

namespace xsrating {
namespace {

namespace fs = std::filesystem;
using testing::HasSubstr;
using testing::StartsWith;

const fs::path kExample = fs::path(XSRATING_EXAMPLES) / "v_section.txt";

// The example's rating, as the run computes it before asking for a figure.
const Rating& VRating() {
  static const Rating* const rating = [] {
    auto* rated = new Rating;
    RunParameters params;
    params.data_file_path = PathToUtf8(kExample);
    params.roughness = 0.025;
    params.slope_text = "0.0004";
    params.stage_count = 5;
    const Status status = ComputeRating(params, rated);
    EXPECT_TRUE(status.ok()) << status.message();
    return rated;
  }();
  return *rating;
}

TEST(ProgramDirectoryTest, IsTheFolderOfTheRunningExecutable) {
  const fs::path folder = ProgramDirectory();
  ASSERT_FALSE(folder.empty());
  EXPECT_TRUE(fs::equivalent(folder, XSRATING_TEST_PROGRAM_DIR));
}

struct RefusedModule {
  const char* name;
  fs::path path;             // Relative paths are made in a temporary folder.
  const char* file_content;  // When not null, `path` is created with it.
  const char* message;
  friend void PrintTo(const RefusedModule& c, std::ostream* os) {
    *os << c.name;
  }
};

class RefusedModuleTest : public testing::TestWithParam<RefusedModule> {};

TEST_P(RefusedModuleTest, IsNotLoadedAndTheMessageSaysWhy) {
  const RefusedModule& c = GetParam();
  const TempDir temp;
  const fs::path path = c.path.is_relative() ? temp.path() / c.path : c.path;
  if (c.file_content != nullptr) std::ofstream(path) << c.file_content;

  FigureModule module;
  const Status status = FigureModule::Load(path, &module);
  EXPECT_FALSE(status.ok());
  EXPECT_FALSE(module.loaded());
  EXPECT_THAT(status.message(),
              HasSubstr("绘图模块“" + PathToUtf8(path) + "”"));
  EXPECT_THAT(status.message(), HasSubstr(c.message));
  // The command line stops before any run on this kind of failure.
  EXPECT_EQ(status.kind(), StatusKind::kUnavailable);
  std::string figure;
  EXPECT_FALSE(module.Render({}, "svg", &figure).ok());
}

INSTANTIATE_TEST_SUITE_P(
    Loader, RefusedModuleTest,
    testing::Values(
        RefusedModule{"Missing", "no-such-module.so", nullptr, "找不到"},
        RefusedModule{"Folder", XSRATING_EXAMPLES, nullptr, "找不到"},
        RefusedModule{"NotALibrary", "not-a-library.so", "text, not code\n",
                      "无法加载"},
        RefusedModule{"WithoutEntryPoint", XSRATING_FAKE_MODULE_WITHOUT_ENTRY,
                      nullptr,
                      "不是本程序的绘图模块（其中没有 XsratingRenderFigure）"},
        RefusedModule{"OtherVersion", XSRATING_FAKE_MODULE_OTHER_VERSION,
                      nullptr, "版本不符"}),
    [](const testing::TestParamInfo<RefusedModule>& info) {
      return std::string(info.param.name);
    });

class FigureModuleTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    module_ = new FigureModule;
    const Status status = FigureModule::Load(XSRATING_FIGURE_MODULE, module_);
    ASSERT_TRUE(status.ok()) << status.message();
  }

  // Ends Qt while the program still runs, as xsrating-cli does.
  static void TearDownTestSuite() {
    delete module_;
    module_ = nullptr;
  }

  static figure::FigureRequest Example() {
    return figure::RequestForRating(VRating(), nullptr, "", "v_section成果");
  }

  static FigureModule* module_;
};

FigureModule* FigureModuleTest::module_ = nullptr;

TEST_F(FigureModuleTest, DrawsAnSvgDocumentWithItsTitle) {
  std::string svg;
  const Status status = module_->Render(Example(), "svg", &svg);
  ASSERT_TRUE(status.ok()) << status.message();
  EXPECT_THAT(svg, StartsWith("<?xml"));
  EXPECT_THAT(svg, HasSubstr("<title>v_section成果</title>"));
  // The three charts are drawn.
  for (const char* title :
       {"河道大断面", "水位流量关系曲线", "水位面积关系曲线"}) {
    EXPECT_THAT(svg, HasSubstr(title));
  }
}

// The hydrograph crosses the boundary whole, NaN included: the module draws
// it as the program does.
TEST_F(FigureModuleTest, DrawsTheHydrographAsTheProgramDoes) {
  figure::FigureRequest request = Example();
  request.hydrograph = figure::Hydrograph{
      .readings = {{19905, 1.5, 12.5}, {19906, 5.5, NAN}, {19908, 2, 20}},
      .days = {{19905, 30.25}, {19906, NAN}, {19907, 18}},
      .bed = 0,
      .bank_crest = 5};
  std::string svg;
  ASSERT_TRUE(module_->Render(request, "svg", &svg).ok());
  EXPECT_EQ(svg, figure::FigureSvg(request));
  EXPECT_THAT(svg, HasSubstr("水位流量过程线"));
}

TEST_F(FigureModuleTest, DrawsAPngImage) {
  std::string png;
  const Status status = module_->Render(Example(), "png", &png);
  ASSERT_TRUE(status.ok()) << status.message();
  EXPECT_THAT(png, StartsWith("\x89PNG\r\n\x1a\n"));
}

TEST_F(FigureModuleTest, RefusesAnUnknownFormatAndGivesNoFigure) {
  std::string figure = "untouched";
  const Status status = module_->Render(Example(), "gif", &figure);
  EXPECT_FALSE(status.ok());
  EXPECT_THAT(status.message(), HasSubstr("gif"));
  EXPECT_EQ(figure, "untouched");
}

// Everything of the request reaches the other side, in its place.
TEST(FigureRequestTest, TheWholeRequestCrossesTheBoundary) {
  figure::FigureRequest request =
      figure::RequestForRating(VRating(), nullptr, "标题行", "v成果");
  request.zones = {{0, 10, 0.05}, {10, 30, 0.025}};
  request.analysis = RatingAnalysis();
  request.analysis->calibrated_roughness = 0.028;
  const PlainFigureRequest plain(request, "png");
  EXPECT_STREQ(plain.plain.format, "png");
  const figure::FigureRequest back = FromPlainFigureRequest(plain.plain);
  ASSERT_EQ(back.section.points.size(), request.section.points.size());
  for (size_t i = 0; i < back.section.points.size(); ++i) {
    EXPECT_EQ(back.section.points[i].distance,
              request.section.points[i].distance);
    EXPECT_EQ(back.section.points[i].elevation,
              request.section.points[i].elevation);
  }
  ASSERT_EQ(back.rows.size(), request.rows.size());
  EXPECT_EQ(back.rows.back().discharge, request.rows.back().discharge);
  EXPECT_EQ(back.zones, request.zones);
  ASSERT_TRUE(back.analysis.has_value());
  EXPECT_EQ(back.analysis->calibrated_roughness, 0.028);
  EXPECT_EQ(back.heading, "标题行");
  EXPECT_EQ(back.title, "v成果");
  request.analysis.reset();
  EXPECT_FALSE(FromPlainFigureRequest(PlainFigureRequest(request, "svg").plain)
                   .analysis.has_value());
}

TEST(FigureAnalysisTest, WhatTheFigureDrawsCrossesTheBoundary) {
  RatingAnalysis analysis;
  analysis.gaugings = {{{1.5, 20, 3},
                        GaugingUse::kUsable,
                        GaugingFit{.roughness = 0.03,
                                   .calibrated_discharge = 19,
                                   .deviation_percent = 5.26}},
                       {{9, 50, 4}, GaugingUse::kAboveCrest, std::nullopt},
                       {{-1, 5, 5}, GaugingUse::kAtOrBelowBed, std::nullopt}};
  analysis.usable_count = 1;
  analysis.rows = {{1, 12, 8.47, 9.1, false}, {2, 28, 29.06, 31.2, true}};
  analysis.calibrated_roughness = 0.028;
  analysis.lowest_gauged_stage = 1.25;
  analysis.highest_gauged_stage = 1.5;
  analysis.standard_error_percent = 3.17;

  const PlainRatingAnalysis plain(analysis);
  const RatingAnalysis back = FromPlainRatingAnalysis(plain.plain);
  ASSERT_EQ(back.gaugings.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    const GaugingResult& ours = analysis.gaugings[i];
    const GaugingResult& theirs = back.gaugings[i];
    EXPECT_EQ(theirs.gauging.stage, ours.gauging.stage);
    EXPECT_EQ(theirs.gauging.discharge, ours.gauging.discharge);
    EXPECT_EQ(theirs.use, ours.use);
    ASSERT_EQ(theirs.fit.has_value(), ours.fit.has_value());
    if (ours.fit) {
      EXPECT_EQ(theirs.fit->roughness, ours.fit->roughness);
      EXPECT_EQ(theirs.fit->calibrated_discharge,
                ours.fit->calibrated_discharge);
      EXPECT_EQ(theirs.fit->deviation_percent, ours.fit->deviation_percent);
    }
  }
  ASSERT_EQ(back.rows.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(back.rows[i].stage, analysis.rows[i].stage);
    EXPECT_EQ(back.rows[i].discharge, analysis.rows[i].discharge);
    EXPECT_EQ(back.rows[i].calibrated_discharge,
              analysis.rows[i].calibrated_discharge);
    EXPECT_EQ(back.rows[i].extrapolated, analysis.rows[i].extrapolated);
  }
  EXPECT_EQ(back.usable_count, 1);
  EXPECT_EQ(back.calibrated_roughness, 0.028);
  EXPECT_EQ(back.lowest_gauged_stage, 1.25);
  EXPECT_EQ(back.highest_gauged_stage, 1.5);
  EXPECT_EQ(back.standard_error_percent, 3.17);
  analysis.standard_error_percent.reset();  // One gauging: none.
  EXPECT_FALSE(FromPlainRatingAnalysis(PlainRatingAnalysis(analysis).plain)
                   .standard_error_percent.has_value());
}

TEST(FigureRowTest, EveryFieldCrossesTheBoundaryToItsOwnPlace) {
  const HydraulicRow row{1, 2, 3, 4, 5, 6, 7};
  const XsratingFigureRow plain = ToFigureRow(row);
  EXPECT_EQ(plain.stage, 1);
  EXPECT_EQ(plain.hydraulic_radius, 4);
  EXPECT_EQ(plain.discharge, 7);
  const HydraulicRow back = FromFigureRow(plain);
  for (const auto& field : kFigureRowFields) {
    EXPECT_EQ(back.*field.first, row.*field.first);
  }
}

// The C entry point itself, as a program in another language would call it.
class EntryPointTest : public testing::Test {
 protected:
  struct Calls {
    int figures = 0;
    int errors = 0;
    std::string error;
  };

  static XsratingFigureRequest Request(Calls* calls) {
    XsratingFigureRequest request = {};
    request.context = calls;
    request.write_figure = [](void* context, const char*, size_t) {
      ++static_cast<Calls*>(context)->figures;
    };
    request.write_error = [](void* context, const char* data, size_t size) {
      Calls* calls = static_cast<Calls*>(context);
      ++calls->errors;
      calls->error.assign(data, size);
    };
    return request;
  }

  void SetUp() override {
    void* library = dlopen(XSRATING_FIGURE_MODULE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    render_ = reinterpret_cast<XsratingRenderFigureFn>(
        dlsym(library, XSRATING_FIGURE_ENTRY_POINT));
    end_ = reinterpret_cast<XsratingEndFiguresFn>(
        dlsym(library, XSRATING_FIGURE_END_POINT));
    ASSERT_NE(render_, nullptr);
    ASSERT_NE(end_, nullptr);
  }

  void TearDown() override {
    if (end_ != nullptr) end_();
  }

  // The four-point example as a PNG, reporting to `calls`.
  static XsratingFigureRequest Example(Calls* calls) {
    static const XsratingFigurePoint kPoints[] = {
        {0, 5}, {10, 0}, {20, 0}, {30, 5}};
    static const XsratingFigureRow kRows[] = {
        {1, 12, 12.2, 0.98, 14, 0.7, 8.47},
        {2, 28, 18.4, 1.52, 18, 1.04, 29.06}};
    XsratingFigureRequest request = Request(calls);
    request.points = kPoints;
    request.point_count = std::size(kPoints);
    request.rows = kRows;
    request.row_count = std::size(kRows);
    request.format = "png";
    return request;
  }

  XsratingRenderFigureFn render_ = nullptr;
  XsratingEndFiguresFn end_ = nullptr;
};

TEST_F(EntryPointTest, OtherVersionIsRefusedWithoutReadingTheRequest) {
  Calls calls;
  XsratingFigureRequest request = Example(&calls);
  for (int version : {0, XSRATING_FIGURE_ABI_VERSION + 1}) {
    EXPECT_EQ(render_(version, &request), XSRATING_FIGURE_WRONG_VERSION);
    EXPECT_EQ(render_(version, nullptr), XSRATING_FIGURE_WRONG_VERSION);
  }
  EXPECT_EQ(calls.figures + calls.errors, 0);
}

TEST_F(EntryPointTest, NullRequestOnlyChecksTheVersion) {
  EXPECT_EQ(render_(XSRATING_FIGURE_ABI_VERSION, nullptr), XSRATING_FIGURE_OK);
}

TEST_F(EntryPointTest, IncompleteRequestFailsWithAMessage) {
  void (*const spoilers[])(XsratingFigureRequest*) = {
      [](XsratingFigureRequest* r) { *r = Request(nullptr); },  // Nothing.
      [](XsratingFigureRequest* r) { r->points = nullptr; },
      [](XsratingFigureRequest* r) { r->rows = nullptr; },
      [](XsratingFigureRequest* r) { r->format = nullptr; },
      [](XsratingFigureRequest* r) {
        static XsratingFigureAnalysis no_gaugings = {};
        no_gaugings.gauging_count = 1;
        r->analysis = &no_gaugings;
      },
      [](XsratingFigureRequest* r) {
        static XsratingFigureAnalysis no_rows = {};
        no_rows.row_count = 1;
        r->analysis = &no_rows;
      },
      [](XsratingFigureRequest* r) {
        static XsratingFigureHydrograph no_readings = {};
        no_readings.reading_count = 1;
        r->hydrograph = &no_readings;
      },
  };
  for (auto spoil : spoilers) {
    Calls calls;
    XsratingFigureRequest request = Example(&calls);
    spoil(&request);
    request.context = &calls;
    EXPECT_EQ(render_(XSRATING_FIGURE_ABI_VERSION, &request),
              XSRATING_FIGURE_FAILED);
    EXPECT_EQ(calls.figures, 0);
    EXPECT_EQ(calls.errors, 1);
    EXPECT_THAT(calls.error, HasSubstr("不完整"));
  }
}

TEST_F(EntryPointTest, FigureComesInOneCallWithoutAnErrorSink) {
  Calls calls;
  XsratingFigureRequest request = Example(&calls);
  request.title = nullptr;
  request.write_error = nullptr;
  EXPECT_EQ(render_(XSRATING_FIGURE_ABI_VERSION, &request), XSRATING_FIGURE_OK);
  EXPECT_EQ(calls.figures, 1);
  // And a failure with no sink for its message is still reported.
  request.format = "gif";
  EXPECT_EQ(render_(XSRATING_FIGURE_ABI_VERSION, &request),
            XSRATING_FIGURE_FAILED);
  EXPECT_EQ(calls.figures, 1);
}

TEST_F(EntryPointTest, DrawsAgainAfterQtHasEnded) {
  Calls calls;
  const XsratingFigureRequest request = Example(&calls);
  for (int round = 1; round <= 2; ++round) {
    EXPECT_EQ(render_(XSRATING_FIGURE_ABI_VERSION, &request),
              XSRATING_FIGURE_OK)
        << calls.error;
    end_();
    end_();  // Nothing left to end.
  }
  EXPECT_EQ(calls.figures, 2);
  EXPECT_EQ(calls.errors, 0);
}

}  // namespace
}  // namespace xsrating
