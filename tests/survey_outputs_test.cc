// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/run/survey_outputs.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "core/hydraulics/rating.h"
#include "core/input/stage_record.h"
#include "core/output/own_files.h"
#include "tests/support/temp_dir.h"

namespace xsrating {
namespace {

namespace fs = std::filesystem;
using testing::ElementsAreArray;
using testing::HasSubstr;

// Draws a figure of fixed bytes, or fails, or draws nothing at all.
class FakeRenderer : public FigureRenderer {
 public:
  enum class Outcome { kDrawn, kFailed, kEmpty };
  explicit FakeRenderer(Outcome outcome) : outcome_(outcome) {}
  Status Render(const FigureRequest& request, std::string* bytes) override {
    requests.push_back(request);
    // The flow is the caller's only while the figure is drawn.
    drawn_readings.push_back(request.flow ? request.flow->summary.readings
                                          : -1);
    if (outcome_ == Outcome::kFailed) return Status::Error("画不成");
    if (outcome_ == Outcome::kDrawn) {
      *bytes = std::string("<?xml?><svg><desc>") + kFigureMark + "</desc>";
    }
    return Status::Ok();
  }
  std::vector<FigureRequest> requests;
  // Of each request's flow; -1 without one.
  std::vector<int64_t> drawn_readings;

 private:
  Outcome outcome_;
};

class SurveyOutputsTest : public testing::Test {
 protected:
  // The example survey, copied in, rated with `zones` (none: n = 0.03).
  Rating Rated(std::vector<RoughnessZone> zones = {}) {
    fs::copy_file(fs::path(XSRATING_EXAMPLES) / "river_section.txt",
                  dir_.path() / "sec.txt", fs::copy_options::skip_existing);
    RunParameters params;
    params.data_file_path = dir_.Utf8("sec.txt");
    params.roughness = zones.empty() ? 0.03 : 0;
    params.zones = std::move(zones);
    params.slope_text = "0.0003";
    params.stage_count = 10;
    Rating rating;
    EXPECT_TRUE(ComputeRating(params, &rating).ok());
    return rating;
  }
  std::string Gaugings() const {
    return (fs::path(XSRATING_EXAMPLES) / "river_section_gaugings.txt")
        .string();
  }
  // `request` with the example's stage record, read, at rec.txt.
  OutputRequest WithRecord(OutputRequest request) const {
    EXPECT_TRUE(
        ReadStageRecord(
            (fs::path(XSRATING_EXAMPLES) / "river_section_stages.txt").string(),
            &request.stage_readings)
            .ok());
    request.stage_record_path = dir_.Utf8("rec.txt");
    return request;
  }
  TempDir dir_;
};

// A request for the result file and the files named.
OutputRequest Request(bool table, std::string figure_format,
                      std::string gaugings_path, bool result_file = true) {
  OutputRequest request;
  request.result_file = result_file;
  request.table = table;
  request.figure_format = std::move(figure_format);
  request.gaugings_path = std::move(gaugings_path);
  return request;
}

struct RequestCase {
  const char* name;
  OutputRequest request;
  std::vector<OwnFile> kinds;  // Written, in order.
};

TEST_F(SurveyOutputsTest, WritesWhatIsAskedForInOrder) {
  const RequestCase cases[] = {
      {"ResultOnly", Request(false, "", ""), {OwnFile::kResult}},
      {"Table", Request(true, "", ""), {OwnFile::kResult, OwnFile::kTable}},
      {"Everything",
       Request(true, "svg", Gaugings()),
       {OwnFile::kResult, OwnFile::kReport, OwnFile::kTable, OwnFile::kFigure}},
      {"NoResultFile",
       Request(false, "svg", "", /*result_file=*/false),
       {OwnFile::kFigure}},
      {"StageRecord", WithRecord({}), {OwnFile::kResult, OwnFile::kFlowTable}},
      {"StageRecordAndFigure",
       WithRecord({.figure_format = "svg"}),
       {OwnFile::kResult, OwnFile::kFigure, OwnFile::kFlowTable}},
      {"EverythingWithTheRecord",
       WithRecord({.table = true,
                   .figure_format = "svg",
                   .gaugings_path = Gaugings()}),
       {OwnFile::kResult, OwnFile::kReport, OwnFile::kTable, OwnFile::kFigure,
        OwnFile::kFlowTable}},
  };
  const Rating rating = Rated();
  for (const RequestCase& c : cases) {
    FakeRenderer figures(FakeRenderer::Outcome::kDrawn);
    const SurveyOutputs outputs =
        WriteSurveyOutputs(rating, c.request, LocalDateTime(), &figures);
    std::vector<OwnFile> kinds;
    for (const OutputFile& file : outputs.files) {
      EXPECT_TRUE(file.status.ok()) << c.name << ": " << file.status.message();
      EXPECT_TRUE(fs::exists(PathFromUtf8(file.path))) << c.name;
      kinds.push_back(file.kind);
    }
    EXPECT_THAT(kinds, ElementsAreArray(c.kinds)) << c.name;
    EXPECT_TRUE(outputs.AllSaved()) << c.name;
    // The figure shows the gaugings whenever they were checked, and the
    // stage record's discharges, worked out before it.
    for (size_t i = 0; i < figures.requests.size(); ++i) {
      const FigureRequest& drawn = figures.requests[i];
      EXPECT_EQ(drawn.analysis != nullptr, !c.request.gaugings_path.empty());
      EXPECT_EQ(drawn.title, "sec成果") << c.name;
      const bool record = !c.request.stage_readings.empty();
      EXPECT_EQ(drawn.stage_readings.size(), c.request.stage_readings.size());
      EXPECT_EQ(figures.drawn_readings[i], record ? 142 : -1) << c.name;
    }
  }
}

// A figure that was not drawn is a failed save, and an earlier figure of
// ours stays as it was; the other files are written all the same.
TEST_F(SurveyOutputsTest, AFigureNotDrawnIsAFailedSave) {
  const Rating rating = Rated();
  for (const auto outcome :
       {FakeRenderer::Outcome::kFailed, FakeRenderer::Outcome::kEmpty}) {
    const fs::path earlier = PathFromUtf8(dir_.Utf8("sec成果.svg"));
    const std::string earlier_bytes =
        std::string("<?xml?><svg><desc>") + kFigureMark + " 旧图</desc>";
    WriteBytes(earlier, earlier_bytes);
    FakeRenderer figures(outcome);
    const SurveyOutputs outputs = WriteSurveyOutputs(
        rating, Request(true, "svg", ""), LocalDateTime(), &figures);
    ASSERT_EQ(outputs.files.size(), 3u);
    EXPECT_TRUE(outputs.files[1].status.ok());
    EXPECT_FALSE(outputs.files[2].status.ok());
    EXPECT_FALSE(outputs.AllSaved());
    EXPECT_EQ(ReadBytes(earlier), earlier_bytes);
  }
}

// The calibration takes one roughness for the whole section: the core
// refuses gaugings with zones whichever front end asks, and the figure is
// drawn without them.
TEST_F(SurveyOutputsTest, GaugingsWithZonesFailTheReportOnly) {
  const Rating rating = Rated({{0, 0.05, 0}, {60, 0.025, 0}});
  FakeRenderer figures(FakeRenderer::Outcome::kDrawn);
  const SurveyOutputs outputs = WriteSurveyOutputs(
      rating, Request(false, "svg", Gaugings()), LocalDateTime(), &figures);
  ASSERT_EQ(outputs.files.size(), 3u);
  EXPECT_EQ(outputs.files[1].kind, OwnFile::kReport);
  EXPECT_EQ(outputs.files[1].status.message(), kZonedGaugingsRefused);
  EXPECT_FALSE(fs::exists(PathFromUtf8(dir_.Utf8("sec率定.csv"))));
  EXPECT_TRUE(outputs.files[2].status.ok());
  ASSERT_EQ(figures.requests.size(), 1u);
  EXPECT_EQ(figures.requests[0].analysis, nullptr);
}

// The report names the roughness the rating used, in one wording for every
// front end, and the slope as typed.
TEST_F(SurveyOutputsTest, TheReportNamesTheRoughnessInDecimalForm) {
  const Rating rating = Rated();
  const SurveyOutputs outputs = WriteSurveyOutputs(
      rating, Request(false, "", Gaugings()), LocalDateTime(), nullptr);
  ASSERT_TRUE(outputs.AllSaved());
  const std::string report = ReadBytes(PathFromUtf8(dir_.Utf8("sec率定.csv")));
  EXPECT_THAT(report, HasSubstr("\r\n糙率,0.03\r\n比降,0.0003\r\n"));
}

// The flow table's discharges come from the rating the run used: the typed
// roughness, the zones, or with gaugings the calibrated n_c; gaugings that
// could not be checked leave no flow table rather than one of the typed
// roughness.
TEST_F(SurveyOutputsTest, TheFlowTableUsesTheRunsOwnRating) {
  enum class Gauged { kNone, kGood, kMissing };
  struct FlowCase {
    const char* name;
    bool zones;
    Gauged gaugings;
    bool written;
    const char* expected;  // In the table, or in the failure.
  };
  const FlowCase cases[] = {
      {"TypedRoughness", false, Gauged::kNone, true, "\r\n糙率,0.03\r\n"},
      {"Zones", true, Gauged::kNone, true, "\r\n糙率,分区 0~60:.05;"},
      {"Calibrated", false, Gauged::kGood, true, "\r\n率定糙率,0.0"},
      {"GaugingsNotChecked", false, Gauged::kMissing, false,
       "实测流量没有率定成，没有写出流量表"},
  };
  for (const FlowCase& c : cases) {
    const fs::path table = PathFromUtf8(dir_.Utf8("rec流量.csv"));
    fs::remove(table);
    const Rating rating =
        Rated(c.zones ? std::vector<RoughnessZone>{{0, 0.05, 0}, {60, 0.025, 0}}
                      : std::vector<RoughnessZone>{});
    OutputRequest request = WithRecord({.figure_format = "svg"});
    if (c.gaugings == Gauged::kGood) request.gaugings_path = Gaugings();
    if (c.gaugings == Gauged::kMissing) {
      request.gaugings_path = dir_.Utf8("none.txt");
    }
    FakeRenderer figures(FakeRenderer::Outcome::kDrawn);
    const SurveyOutputs outputs =
        WriteSurveyOutputs(rating, request, {2026, 12, 8}, &figures);
    // A flow that could not be worked out leaves the figure without it.
    ASSERT_EQ(figures.requests.size(), 1u) << c.name;
    EXPECT_EQ(figures.requests[0].flow != nullptr, c.written) << c.name;
    ASSERT_FALSE(outputs.files.empty()) << c.name;
    const OutputFile& last = outputs.files.back();
    EXPECT_EQ(last.kind, OwnFile::kFlowTable) << c.name;
    EXPECT_EQ(last.path, dir_.Utf8("rec流量.csv")) << c.name;
    EXPECT_EQ(last.status.ok(), c.written) << c.name;
    EXPECT_EQ(outputs.flow.has_value(), c.written) << c.name;
    EXPECT_EQ(fs::exists(table), c.written) << c.name;
    if (c.written) {
      const std::string csv = ReadBytes(table);
      EXPECT_THAT(csv, HasSubstr(c.expected)) << c.name;
      EXPECT_THAT(csv, HasSubstr("\r\n记录数,142\r\n")) << c.name;
      EXPECT_EQ(outputs.flow->flow.calibrated_roughness.has_value(),
                c.gaugings == Gauged::kGood)
          << c.name;
    } else {
      EXPECT_THAT(last.status.message(), HasSubstr(c.expected)) << c.name;
    }
  }
}

// A save that cannot tell its own files replaces none, and a save of ours
// names the kind it refuses to replace.
TEST_F(SurveyOutputsTest, NoSaveReplacesAFileItCannotTellForOurs) {
  const fs::path path = dir_.path() / "a.txt";
  WriteBytes(path, "someone's notes");
  SaveOptions unchecked;
  unchecked.kind = "文件";
  EXPECT_FALSE(SaveFileAtomically(dir_.Utf8("a.txt"), "x", unchecked).ok());
  const Status zones = SaveOwnFile(OwnFile::kZones, dir_.Utf8("a.txt"), "x");
  EXPECT_THAT(zones.message(), HasSubstr("不是本程序保存的分区糙率文件"));
  EXPECT_EQ(ReadBytes(path), "someone's notes");
  EXPECT_TRUE(SaveFileAtomically(dir_.Utf8("new.txt"), "x", unchecked).ok());
}

}  // namespace
}  // namespace xsrating
