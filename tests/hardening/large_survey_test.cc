// SPDX-License-Identifier: GPL-3.0-or-later
// Very large surveys: reading must take time in proportion to the size, hold
// memory bounded whatever the size, and fail with a message naming the line.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <istream>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

#include "core/input/cross_section.h"
#include "core/run/run.h"
#include "tests/hardening/hardening_support.h"

namespace xsrating::hardening {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

constexpr int64_t kMegabyte = 1 << 20;
constexpr int64_t kLargeSize = 200 * kMegabyte;
constexpr int64_t kSmallSize = kLargeSize / 10;
// A reader that held the file would need the file's size at least.
constexpr long kMemoryBoundKb = 48 * 1024;

struct LargeSurvey {
  const char* name;
  // The file's bytes are `head` and then `unit` repeated to the size.
  std::string head;
  std::string unit;
  // What the message says, given the size in bytes.
  std::function<std::vector<std::string>(int64_t size)> message_parts;
};

// Test names show the case, not its bytes.
void PrintTo(const LargeSurvey& value, std::ostream* os) { *os << value.name; }

const LargeSurvey kLargeSurveys[] = {
    {"Spaces", "", " ",
     [](int64_t) {
       return std::vector<std::string>{"第 1 行", "没有数据"};
     }},
    {"Digits", "", "1234567890",
     [](int64_t) {
       return std::vector<std::string>{"第 1 行", "不是数字", "…"};
     }},
    {"BlankLines", "0,5\r\n", "\r\n",
     [](int64_t) {
       return std::vector<std::string>{"第 1 行", "多余的逗号、空格或空行"};
     }},
    {"TooManyPoints", "", "10,5\r\n",
     [](int64_t) {
       return std::vector<std::string>{"第 1001 行", "测点不能超过 1000 个"};
     }},
};

void WriteLargeFile(const fs::path& path, const LargeSurvey& survey,
                    int64_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << survey.head;
  std::string chunk;
  while (chunk.size() < kMegabyte) chunk += survey.unit;
  int64_t left = size - static_cast<int64_t>(survey.head.size());
  while (left > 0) {
    const int64_t n =
        left < static_cast<int64_t>(chunk.size()) ? left : chunk.size();
    out.write(chunk.data(), static_cast<std::streamsize>(n));
    left -= n;
  }
}

long PeakRssKb() {
  struct rusage usage {};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

struct Measured {
  std::string message;
  double seconds = 0;
  long grown_kb = 0;
};

// One whole run in a child, so that its peak memory is its own.
Measured RunOnSurvey(const TempDir& dir) {
  const ChildOutcome outcome = RunInChild([&] {
    RunParameters params;
    params.data_file_path = dir.Utf8("big.txt");
    params.roughness = 0.025;
    params.slope_text = "0.0004";
    params.stage_count = 5;
    RecordingSink sink;
    const long before = PeakRssKb();
    const auto start = std::chrono::steady_clock::now();
    const Status status = RunComputation(params, sink, {});
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
            .count();
    return std::vector<std::string>{status.ok() ? "" : status.message(),
                                    std::to_string(seconds),
                                    std::to_string(PeakRssKb() - before)};
  });
  EXPECT_TRUE(outcome.completed) << outcome.failure;
  if (!outcome.completed || outcome.fields.size() != 3) return {};
  return {outcome.fields[0], std::stod(outcome.fields[1]),
          std::stol(outcome.fields[2])};
}

class LargeSurveyTest : public ::testing::TestWithParam<LargeSurvey> {};

TEST_P(LargeSurveyTest, FailsInLinearTimeAndBoundedMemory) {
  const LargeSurvey& survey = GetParam();
  TempDir dir;
  const fs::path path = dir.path() / "big.txt";
  const std::string earlier = "an earlier result\r\n";
  WriteBytes(dir.path() / PathFromUtf8("big成果.txt"), earlier);

  WriteLargeFile(path, survey, kSmallSize);
  const Measured small = RunOnSurvey(dir);
  WriteLargeFile(path, survey, kLargeSize);
  const Measured large = RunOnSurvey(dir);
  fs::remove(path);

  for (const std::string& part : survey.message_parts(kLargeSize)) {
    EXPECT_THAT(large.message, HasSubstr(part));
  }
  EXPECT_THAT(large.message, HasSubstr(dir.Utf8("big.txt")));
  EXPECT_LT(large.grown_kb, kMemoryBoundKb)
      << "reading held " << large.grown_kb << " KB";
  // Ten times the data may take ten times as long; a reader that went back
  // over what it read would take a hundred. The bound leaves room for a
  // machine busy with other work.
  EXPECT_LT(large.seconds, 30 * small.seconds + 2.0)
      << small.seconds << " s for " << kSmallSize << " bytes, " << large.seconds
      << " s for " << kLargeSize;
  EXPECT_LT(large.seconds, 120.0);
  EXPECT_EQ(ReadBytes(dir.path() / PathFromUtf8("big成果.txt")), earlier);
  EXPECT_THAT(ListFolder(dir.path()), ElementsAre("big成果.txt"));
}

INSTANTIATE_TEST_SUITE_P(Surveys, LargeSurveyTest,
                         ::testing::ValuesIn(kLargeSurveys),
                         [](const ::testing::TestParamInfo<LargeSurvey>& info) {
                           return std::string(info.param.name);
                         });

// A stream of `count` line ends and then `tail`, made as it is read, so that
// gigabytes cost no disk or memory.
class LineEndStream : public std::streambuf {
 public:
  LineEndStream(int64_t count, std::string tail)
      : left_(count), tail_(std::move(tail)), block_(1 << 20, '\n') {}

 protected:
  int_type underflow() override {
    if (left_ > 0) {
      const int64_t n =
          std::min<int64_t>(left_, static_cast<int64_t>(block_.size()));
      left_ -= n;
      setg(block_.data(), block_.data(), block_.data() + n);
    } else if (!tail_done_) {
      tail_done_ = true;
      setg(tail_.data(), tail_.data(), tail_.data() + tail_.size());
      if (tail_.empty()) return traits_type::eof();
    } else {
      return traits_type::eof();
    }
    return traits_type::to_int_type(*gptr());
  }

 private:
  int64_t left_;
  std::string tail_;
  std::string block_;
  bool tail_done_ = false;
};

// More line ends than an int can count: the message still names the line.
TEST(LineCountTest, CountsBeyondTwoBillionLines) {
  constexpr int64_t kLineEnds = (int64_t{1} << 31) + 5;
  LineEndStream source(kLineEnds, "x");
  std::istream in(&source);
  CrossSection section;
  const Status status = ParseCrossSection(in, &section);
  ASSERT_FALSE(status.ok());
  EXPECT_THAT(status.message(),
              HasSubstr("第 " + std::to_string(kLineEnds + 1) + " 行"));
}

}  // namespace
}  // namespace xsrating::hardening
