// SPDX-License-Identifier: GPL-3.0-or-later
// Replays through the fuzz targets' checks every input the fuzzers were
// seeded with or ever broke on, so a fault found once stays found.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "core/base/types.h"
#include "core/hydraulics/stage_discharge.h"
#include "fuzz/fuzz_checks.h"

namespace xsrating::hardening {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

struct FoundInput {
  const char* name;
  bool whole_run;  // Else the survey reader alone.
  std::string bytes;
};

// Test names show the case, not its bytes.
void PrintTo(const FoundInput& value, std::ostream* os) { *os << value.name; }

// Inputs on which a fuzz target once failed, as found.
const FoundInput kFound[] = {
    // The slope text was quoted into the message as typed, control
    // characters and all, breaking the message's line.
    {"SlopeWithFormFeed", true,
     std::string("0.025\n0\x0C.0004\n5\n/da\xFEta/v_section.txt\n"
                 "0,5\r\n10,0\r\n20,0\r\n30,5\r\n")},
    // The largest double as roughness is written to 15 digits as
    // 1.79769313486232E+308, a number beyond the largest double: right for
    // the file, but the check read it back as not a number.
    {"LargestDoubleRoughness", true,
     "01.7976931348623157e308\n\r\n0.5\n\n1,0\n20,0\n30,5\r\n"},
};

class FoundInputTest : public ::testing::TestWithParam<FoundInput> {};

TEST_P(FoundInputTest, HoldsEveryProperty) {
  const FoundInput& input = GetParam();
  EXPECT_EQ(input.whole_run ? CheckWholeRun(input.bytes)
                            : CheckSurveyParse(input.bytes),
            "");
}

INSTANTIATE_TEST_SUITE_P(Fuzzers, FoundInputTest, ::testing::ValuesIn(kFound),
                         [](const ::testing::TestParamInfo<FoundInput>& info) {
                           return std::string(info.param.name);
                         });

// The slope message quotes the text, with what would break its line shown
// as '?'.
TEST(SlopeMessageTest, ShowsControlCharactersAsQuestionMarks) {
  CrossSection section;
  section.points = {{0, 5}, {10, 0}, {20, 0}, {30, 5}};
  for (const char* slope : {"0\x0C.0004", "0.0004\n", "\t-1\r"}) {
    StageDischargeTable table;
    const Status status =
        ComputeStageDischarge(section, 0.025, slope, 5, &table);
    ASSERT_FALSE(status.ok()) << slope;
    EXPECT_THAT(status.message(), HasSubstr("比降"));
    for (char c : status.message()) {
      EXPECT_FALSE(static_cast<unsigned char>(c) < 0x20) << status.message();
    }
  }
  StageDischargeTable table;
  EXPECT_THAT(
      ComputeStageDischarge(section, 0.025, "0\x0C.0004", 5, &table).message(),
      HasSubstr("“0?.0004”"));
}

std::vector<fs::path> CorpusFiles(const char* target) {
  std::vector<fs::path> files;
  for (const auto& entry :
       fs::directory_iterator(fs::path(XSRATING_FUZZ_CORPUS) / target)) {
    if (entry.is_regular_file()) files.push_back(entry.path());
  }
  return files;
}

std::string Contents(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(SeedCorpusTest, EverySurveySeedHoldsEveryProperty) {
  const std::vector<fs::path> files = CorpusFiles("survey");
  ASSERT_GE(files.size(), 10u);
  for (const fs::path& file : files) {
    EXPECT_EQ(CheckSurveyParse(Contents(file)), "") << file;
  }
}

TEST(SeedCorpusTest, EveryGaugingsSeedHoldsEveryProperty) {
  const std::vector<fs::path> files = CorpusFiles("gaugings");
  ASSERT_GE(files.size(), 5u);
  for (const fs::path& file : files) {
    EXPECT_EQ(CheckGaugingsParse(Contents(file)), "") << file;
  }
}

TEST(SeedCorpusTest, EveryZonesSeedHoldsEveryProperty) {
  const std::vector<fs::path> files = CorpusFiles("zones");
  ASSERT_GE(files.size(), 5u);
  for (const fs::path& file : files) {
    EXPECT_EQ(CheckZonesParse(Contents(file)), "") << file;
  }
}

TEST(SeedCorpusTest, EveryStageRecordSeedHoldsEveryProperty) {
  const std::vector<fs::path> files = CorpusFiles("stage_record");
  ASSERT_GE(files.size(), 2u);
  for (const fs::path& file : files) {
    EXPECT_EQ(CheckStageRecordParse(Contents(file)), "") << file;
  }
}

TEST(SeedCorpusTest, EveryRunSeedHoldsEveryProperty) {
  const std::vector<fs::path> files = CorpusFiles("run");
  ASSERT_GE(files.size(), 10u);
  for (const fs::path& file : files) {
    EXPECT_EQ(CheckWholeRun(Contents(file)), "") << file;
  }
}

}  // namespace
}  // namespace xsrating::hardening
