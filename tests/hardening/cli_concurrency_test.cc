// SPDX-License-Identifier: GPL-3.0-or-later
// Two runs of xsrating-cli on the same survey at the same moment: afterwards
// the result file is one complete table, the one or the other, never a mix,
// and no temporary file is left.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tests/hardening/hardening_support.h"

namespace xsrating::hardening {
namespace {

namespace fs = std::filesystem;
using ::testing::AnyOf;
using ::testing::ElementsAre;
using ::testing::Eq;

constexpr int kRounds = 60;
constexpr std::chrono::seconds kRunLimit{60};

// A full-size survey, 1000 points, so that each run has a table of 100 rows
// to write and the two writes overlap.
std::string FullSizeSurvey() {
  std::string text;
  for (int i = 0; i < 1000; ++i) {
    const double x = i * 0.5;
    const double z = 100 + (i < 500 ? 500 - i : i - 499) / 50.0;
    char line[64];
    std::snprintf(line, sizeof line, "%g,%.2f\r\n", x, z);
    text += line;
  }
  return text;
}

struct Setting {
  std::string stages;
  std::string epoch;
};

std::vector<std::string> Command(const std::string& survey,
                                 const Setting& setting) {
  return {XSRATING_CLI, "-n", "0.025",        "-s",
          "0.0004",     "-m", setting.stages, survey};
}

TEST(ConcurrentCliTest, TwoRunsLeaveOneCompleteTable) {
  TempDir dir;
  TempDir scratch;
  const std::string survey = dir.Utf8("sec1.txt");
  const fs::path result = dir.path() / PathFromUtf8("sec1成果.txt");
  WriteBytes(dir.path() / "sec1.txt", FullSizeSurvey());

  // Different stage counts and times, so each run's file is its own.
  const Setting settings[2] = {{"100", "1796600867"}, {"99", "1796600868"}};
  std::string alone[2];
  for (int k = 0; k < 2; ++k) {
    const ProcessResult run = RunProcess(
        Command(survey, settings[k]),
        {"SOURCE_DATE_EPOCH=" + settings[k].epoch}, scratch.path(), kRunLimit);
    ASSERT_TRUE(run.exited && run.exit_code == 0) << run.err;
    alone[k] = ReadBytes(result);
  }
  ASSERT_NE(alone[0], alone[1]);

  for (int round = 0; round < kRounds; ++round) {
    std::unique_ptr<Process> runs[2];
    for (int k = 0; k < 2; ++k) {
      const Setting& setting = settings[(round + k) % 2];
      runs[k] = std::make_unique<Process>(
          Command(survey, setting),
          std::vector<std::string>{"SOURCE_DATE_EPOCH=" + setting.epoch},
          scratch.path());
    }
    for (auto& process : runs) {
      const ProcessResult run = process->Wait(kRunLimit);
      ASSERT_TRUE(run.exited) << "signal " << run.signal;
      EXPECT_EQ(run.exit_code, 0) << run.err;
      EXPECT_EQ(run.out, PathToUtf8(result) + "\n");
    }
    EXPECT_THAT(ReadBytes(result), AnyOf(Eq(alone[0]), Eq(alone[1])))
        << "round " << round;
    EXPECT_THAT(ListFolder(dir.path()), ElementsAre("sec1.txt", "sec1成果.txt"))
        << "round " << round;
  }
}

}  // namespace
}  // namespace xsrating::hardening
