// SPDX-License-Identifier: GPL-3.0-or-later
// Thousands of malformed surveys and parameter texts, made by mutating the
// example surveys, fed to xsrating-cli. Every run must end by exit(), never
// by a signal, within a time bound, account for every file (a result path on
// standard output or a message on standard error) and leave nothing behind
// but complete result files.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/base/encoding.h"
#include "core/base/number_text.h"
#include "tests/hardening/hardening_support.h"

namespace xsrating::hardening {
namespace {

namespace fs = std::filesystem;

constexpr char kProgramPrefix[] = "xsrating-cli：";
// A batch of surveys per run of the program, so that thousands of surveys
// cost tens of process starts.
constexpr int kBatch = 60;
constexpr int kSurveyMutants = 3000;
constexpr int kParameterRuns = 240;
constexpr std::chrono::seconds kRunLimit{60};

std::vector<std::string> SeedSurveys() {
  std::vector<std::string> seeds;
  for (const char* folder : {XSRATING_EXAMPLES, XSRATING_TEST_DATA}) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
      const std::string name = PathToUtf8(entry.path().filename());
      if (entry.path().extension() != ".txt" ||
          name.find("成果") != std::string::npos) {
        continue;
      }
      seeds.push_back(ReadBytes(entry.path()));
    }
  }
  // The four-point section, in case the folders are thin.
  seeds.push_back("0,5\r\n10,0\r\n20,0\r\n30,5\r\n");
  return seeds;
}

// Number texts that have broken number readers before.
const std::vector<std::string>& ExtremeNumbers() {
  static const std::vector<std::string> numbers = {
      "1e308",
      "-1e308",
      "1.7976931348623157e308",
      "1.8e308",
      "2e308",
      "-0",
      "+0",
      "0",
      "-0.0",
      "4.9e-324",
      "2.2250738585072014e-308",
      "1e-400",
      "1e-5",
      std::string(5000, '9'),
      "0." + std::string(3000, '0') + "1",
      std::string(400, '9'),
      "1e+9999999999999999999",
      "1e-9999999999999999999",
      ".",
      "-",
      "+",
      "e5",
      "1e",
      "1e+",
      "0x1A",
      "1,5",
      "1..5",
      "--1",
      "+-1",
      "inf",
      "-inf",
      "NaN",
      "1_000",
      "\xD9\xA1",
      "\xA3\xB1",
      "",
      "100.5",
      "101",
      "1e2",
      "0.5",
      "-3",
      "99.999999999999999999"};
  return numbers;
}

class Mutator {
 public:
  explicit Mutator(unsigned seed) : random_(seed) {}

  size_t Below(size_t n) { return n == 0 ? 0 : random_() % n; }

  std::string Number() {
    const auto& numbers = ExtremeNumbers();
    return numbers[Below(numbers.size())];
  }

  // A parameter text: an ordinary value, mutated or replaced.
  std::string Parameter(const std::string& ordinary) {
    switch (Below(5)) {
      case 0:
        return ordinary;
      case 1:
        return Number();
      case 2:
        return ordinary.substr(0, Below(ordinary.size() + 1));
      case 3: {
        std::string text = ordinary;
        text.insert(Below(text.size() + 1), 1, "x ,.e-+\t"[Below(8)]);
        return text;
      }
      default:
        return " " + ordinary + (Below(2) ? " " : "");
    }
  }

  // One to three mutations of a survey.
  std::string Survey(const std::string& seed) {
    std::string text = seed;
    const size_t count = 1 + Below(3);
    for (size_t k = 0; k < count; ++k) text = MutateOnce(text);
    return text;
  }

 private:
  static bool IsSeparator(char c) {
    return c == ',' || c == ' ' || c == '\t' || c == '\r' || c == '\n';
  }

  std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  std::string Join(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
  }

  std::string MutateOnce(const std::string& text) {
    switch (Below(13)) {
      case 0:  // Truncated anywhere.
        return text.substr(0, Below(text.size() + 1));
      case 1: {  // A separator doubled.
        std::vector<size_t> at;
        for (size_t i = 0; i < text.size(); ++i) {
          if (IsSeparator(text[i])) at.push_back(i);
        }
        if (at.empty()) return text + ",,";
        const size_t i = at[Below(at.size())];
        return text.substr(0, i + 1) + text.substr(i);
      }
      case 2: {  // A stray letter.
        std::string copy = text;
        copy.insert(Below(copy.size() + 1), 1, "aZxOlI#.e-+"[Below(11)]);
        return copy;
      }
      case 3: {  // A number replaced by an extreme.
        std::vector<std::pair<size_t, size_t>> fields;
        for (size_t i = 0; i < text.size();) {
          if (IsSeparator(text[i])) {
            ++i;
            continue;
          }
          size_t end = i;
          while (end < text.size() && !IsSeparator(text[end])) ++end;
          fields.push_back({i, end - i});
          i = end;
        }
        if (fields.empty()) return Number();
        const auto [start, length] = fields[Below(fields.size())];
        return text.substr(0, start) + Number() + text.substr(start + length);
      }
      case 4: {  // A line doubled.
        std::vector<std::string> lines = Lines(text);
        if (lines.empty()) return text;
        const size_t i = Below(lines.size());
        lines.insert(lines.begin() + i, lines[i]);
        return Join(lines);
      }
      case 5: {  // A line dropped.
        std::vector<std::string> lines = Lines(text);
        if (lines.empty()) return text;
        lines.erase(lines.begin() + Below(lines.size()));
        return Join(lines);
      }
      case 6: {  // Two lines swapped: distances out of order.
        std::vector<std::string> lines = Lines(text);
        if (lines.size() < 2) return text;
        std::swap(lines[Below(lines.size())], lines[Below(lines.size())]);
        return Join(lines);
      }
      case 7: {  // Other line ends.
        std::string copy;
        const char* ends[] = {"\r", "\n", "\r\n", "\n\r", "\r\r\n"};
        const char* end = ends[Below(5)];
        for (char c : text) {
          if (c == '\n') {
            copy += end;
          } else if (c != '\r') {
            copy += c;
          }
        }
        return copy;
      }
      case 8: {  // Another encoding.
        if (Below(2)) return "\xEF\xBB\xBF" + text;
        std::string wide = Below(2) ? "\xFF\xFE" : "";
        for (char c : text) wide += std::string{c, '\0'};
        return wide;
      }
      case 9: {  // Something after the last number.
        const std::string tails[] = {",",    " ",      "\r\n\r\n", {'\0'},
                                     "\x1A", ", \r\n", "\t\t",     "\r\n,"};
        return text + tails[Below(8)];
      }
      case 10: {  // The whole survey again: too many points, or out of order.
        std::string copy;
        const size_t times = 2 + Below(80);
        for (size_t k = 0; k < times; ++k) copy += text;
        return copy;
      }
      case 11: {  // A control or non-ASCII byte.
        std::string copy = text;
        const char bytes[] = {'\0', '\x01', '\x7F', '\x80', '\xA3', '\xFF'};
        copy.insert(Below(copy.size() + 1), 1, bytes[Below(6)]);
        return copy;
      }
      default: {  // A sign flipped.
        std::string copy = text;
        const size_t i = Below(copy.size() + 1);
        copy.insert(i, 1, '-');
        return copy;
      }
    }
  }

  std::mt19937 random_;
};

struct Batch {
  std::string roughness = "0.025";
  std::string slope = "0.0004";
  std::string stages = "20";
  std::vector<std::pair<std::string, std::string>> surveys;  // Name, bytes.
};

// What a series of batches came to.
struct Tally {
  double slowest_seconds = 0;
  int results = 0;
  int failures = 0;
  int usage_errors = 0;
};

// Runs one batch and checks everything a run must leave.
void RunBatch(const Batch& batch, const fs::path& scratch, Tally* tally) {
  TempDir dir;
  std::vector<std::string> argv = {
      XSRATING_CLI, "--roughness=" + batch.roughness, "--slope=" + batch.slope,
      "--stages=" + batch.stages, "--"};
  std::set<std::string> names;
  for (const auto& [name, bytes] : batch.surveys) {
    WriteBytes(dir.path() / PathFromUtf8(name), bytes);
    argv.push_back(dir.Utf8(name));
    names.insert(name);
  }
  const ProcessResult run =
      RunProcess(argv, {"SOURCE_DATE_EPOCH=1796600867"}, scratch, kRunLimit);
  tally->slowest_seconds = std::max(tally->slowest_seconds, run.seconds);
  const std::string context = "roughness \"" + batch.roughness +
                              "\", slope \"" + batch.slope + "\", stages \"" +
                              batch.stages + "\"; stderr:\n" + run.err;
  ASSERT_FALSE(run.timed_out) << "no end within the limit; " << context;
  ASSERT_TRUE(run.exited) << "ended by signal " << run.signal << "; "
                          << context;

  const bool usable = TextToNumber(batch.roughness).has_value() &&
                      TextToNumber(batch.slope).has_value() &&
                      TextToNumber(batch.stages).has_value();
  std::vector<std::string> results;
  std::istringstream out(run.out);
  for (std::string line; std::getline(out, line);) results.push_back(line);
  if (!usable) {
    // A parameter that is not a number is a usage error, before any run.
    ++tally->usage_errors;
    EXPECT_EQ(run.exit_code, 2) << context;
    EXPECT_TRUE(results.empty()) << context;
    EXPECT_EQ(ListFolder(dir.path()),
              std::vector<std::string>(names.begin(), names.end()));
    return;
  }

  size_t messages = 0;
  // A mutated gaugings or zones example that still shows its column heads is
  // skipped in a run of several files, told in a note and in the count.
  size_t skipped = 0;
  std::istringstream err(run.err);
  for (std::string line; std::getline(err, line);) {
    if (line.rfind(kProgramPrefix, 0) == 0) ++messages;
    if (const size_t at = line.find("，跳过 ");
        line.starts_with("共 ") && at != std::string::npos) {
      skipped = std::stoul(line.substr(at + std::string("，跳过 ").size()));
    }
  }
  EXPECT_EQ(results.size() + messages + skipped, batch.surveys.size())
      << "every file needs a result, a message or a skip; " << context;
  EXPECT_EQ(run.exit_code, messages == 0 ? 0 : 1) << context;
  tally->results += static_cast<int>(results.size());
  tally->failures += static_cast<int>(messages);

  // Nothing but the surveys and the announced results, each complete.
  std::set<std::string> expected = names;
  const std::string heading = Utf8ToGbk("计算时间: ");
  for (const std::string& result : results) {
    const fs::path path = PathFromUtf8(result);
    ASSERT_EQ(path.parent_path(), dir.path()) << result;
    expected.insert(PathToUtf8(path.filename()));
    const std::string bytes = ReadBytes(path);
    EXPECT_EQ(bytes.rfind(heading, 0), 0u) << result;
    EXPECT_TRUE(bytes.size() >= 2 && bytes.substr(bytes.size() - 2) == "\r\n")
        << result;
  }
  EXPECT_EQ(ListFolder(dir.path()),
            std::vector<std::string>(expected.begin(), expected.end()))
      << context;
}

void Report(const Tally& tally) {
  ::testing::Test::RecordProperty("results", tally.results);
  ::testing::Test::RecordProperty("failures", tally.failures);
  ::testing::Test::RecordProperty("usage_errors", tally.usage_errors);
  ::testing::Test::RecordProperty("slowest_run_seconds",
                                  std::to_string(tally.slowest_seconds));
  // A mutator that broke every survey, or none, would test little.
  EXPECT_GT(tally.results, 0);
  EXPECT_GT(tally.failures, 0);
}

TEST(HostileCliTest, MutatedSurveys) {
  const std::vector<std::string> seeds = SeedSurveys();
  TempDir scratch;
  Mutator mutate(20261207);
  Tally tally;
  for (int first = 0; first < kSurveyMutants; first += kBatch) {
    Batch batch;
    for (int k = first; k < first + kBatch && k < kSurveyMutants; ++k) {
      const std::string& seed = seeds[mutate.Below(seeds.size())];
      char name[32];
      std::snprintf(name, sizeof name, "m%04d.txt", k);
      batch.surveys.push_back({name, mutate.Survey(seed)});
    }
    // A few names of the kinds users have.
    batch.surveys.push_back({"A.TXT", seeds[0]});
    batch.surveys.push_back({"河道 断面.txt", seeds[0]});
    batch.surveys.push_back({"notes.txt.bak", seeds[0]});
    RunBatch(batch, scratch.path(), &tally);
    if (HasFatalFailure()) return;
  }
  Report(tally);
}

TEST(HostileCliTest, MutatedParameters) {
  const std::vector<std::string> seeds = SeedSurveys();
  TempDir scratch;
  Mutator mutate(7);
  Tally tally;
  for (int k = 0; k < kParameterRuns; ++k) {
    Batch batch;
    batch.roughness = mutate.Parameter("0.025");
    batch.slope = mutate.Parameter("0.0004");
    batch.stages = mutate.Parameter("20");
    batch.surveys.push_back({"a.txt", seeds[mutate.Below(seeds.size())]});
    batch.surveys.push_back({"b.txt", mutate.Survey(seeds[0])});
    RunBatch(batch, scratch.path(), &tally);
    if (HasFatalFailure()) return;
  }
  Report(tally);
}

// An option given as "--name=" with nothing after the '=' is refused, naming
// it; it must not take the next argument as its value.
TEST(HostileCliTest, EmptyValueAfterEqualsSign) {
  struct Case {
    std::vector<std::string> options;
    int exit_code;
    const char* message;
  };
  const Case cases[] = {
      {{"--roughness=0.025", "--slope=", "--stages=20"}, 2, "“--slope=”"},
      {{"--roughness=", "--slope=0.0004", "--stages=20"}, 2, "“--roughness=”"},
      {{"--stages=", "--roughness=0.025", "--slope=0.0004"}, 2, "“--stages=”"},
  };
  TempDir dir;
  TempDir scratch;
  WriteBytes(dir.path() / "a.txt", "0,5\r\n10,0\r\n20,0\r\n30,5\r\n");
  for (const Case& c : cases) {
    std::vector<std::string> argv = {XSRATING_CLI};
    argv.insert(argv.end(), c.options.begin(), c.options.end());
    argv.push_back(dir.Utf8("a.txt"));
    const ProcessResult run = RunProcess(argv, {}, scratch.path(), kRunLimit);
    ASSERT_TRUE(run.exited);
    EXPECT_EQ(run.exit_code, c.exit_code) << run.err;
    EXPECT_THAT(run.err, ::testing::HasSubstr(c.message));
    EXPECT_EQ(ListFolder(dir.path()), std::vector<std::string>{"a.txt"});
  }
}

}  // namespace
}  // namespace xsrating::hardening
