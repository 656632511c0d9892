// SPDX-License-Identifier: GPL-3.0-or-later
// Surveys that are not what the reader expects: binary files, other
// encodings, stray characters. Each run must fail with a message that names
// the file and the line, shows the offending text legibly, and leaves the
// earlier result file as it was.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "core/base/encoding.h"
#include "core/run/run.h"
#include "fuzz/fuzz_checks.h"
#include "tests/hardening/hardening_support.h"

namespace xsrating::hardening {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

std::string RandomBytes(size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  return bytes;
}

std::string Utf16(const std::u16string& text, bool big_endian, bool bom) {
  std::string bytes;
  auto put = [&](char16_t unit) {
    const char high = static_cast<char>(unit >> 8);
    const char low = static_cast<char>(unit & 0xFF);
    bytes += big_endian ? std::string{high, low} : std::string{low, high};
  };
  if (bom) put(u'\uFEFF');
  for (char16_t unit : text) put(unit);
  return bytes;
}

struct BadSurvey {
  const char* name;
  std::string bytes;
  std::vector<std::string> message_parts;  // UTF-8.
};

// Test names show the case, not its bytes.
void PrintTo(const BadSurvey& value, std::ostream* os) { *os << value.name; }

std::vector<BadSurvey> BadSurveys() {
  const std::string gbk_heads = Utf8ToGbk("起点距,高程\r\n0,5\r\n10,0\r\n");
  return {
      {"PngImage",
       "\x89PNG\r\n\x1A\n" + RandomBytes(4096, 1),
       {"第 1 行", "不是数字", "第 1 个测点的起点距"}},
      {"ExecutableWithNulBytes",
       std::string("\x7F"
                   "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0",
                   16) +
           RandomBytes(2048, 2),
       {"第 1 行", "不是数字"}},
      {"RandomBytes", RandomBytes(65536 * 3, 3), {" 行", "第 "}},
      {"Utf16LittleEndianWithMark",
       Utf16(u"0,5\r\n10,0\r\n20,0\r\n30,5\r\n", false, true),
       {"UTF-16"}},
      {"Utf16BigEndianWithMark",
       Utf16(u"0,5\r\n10,0\r\n20,0\r\n30,5\r\n", true, true),
       {"UTF-16"}},
      {"Utf16WithoutMark", Utf16(u"0,5\r\n10,0\r\n", false, false), {"UTF-16"}},
      {"GbkColumnHeads",
       gbk_heads,
       {"第 1 行", "“起点距”", "不是数字", "表头"}},
      {"FullWidthDigits",
       Utf8ToGbk("０,５\r\n１０,０\r\n"),
       {"第 1 行", "“０”", "“０”是全角字符，请用半角：0"}},
      {"CommentAfterNumbers",
       "0,5\r\n10,0 # " + Utf8ToGbk("河底") + "\r\n",
       {"第 2 行", "“#”", "第 3 个测点的起点距"}},
      {"Utf8Chinese",
       "0,5\r\n10,0\r\n20,\xE6\xB2\xB3\r\n",
       {"第 3 行", "第 3 个测点的高程"}},
      {"Latin1DegreeSign", "0,5\xB0\r\n", {"第 1 行", "不是数字"}},
      {"Utf8Emoji", "0,5\r\n\xF0\x9F\x98\x80,0\r\n", {"第 2 行", "不是数字"}},
      {"ControlCharacters",
       "0,5\r\n10,\x01\x02\x1B[0m\r\n",
       {"第 2 行", "不是数字"}},
      {"OneEndlessLine",
       std::string(1 << 20, '7') + ",1\r\n",
       {"第 1 行", "…", "不是数字"}},
      {"DecimalCommas",
       "0,5\r\n10,0\r\n20,0\r\n30,5,5\r\n",
       {"第 4 行", "缺少高程"}},
  };
}

class BadSurveyTest : public ::testing::TestWithParam<BadSurvey> {};

TEST_P(BadSurveyTest, FailsNamingTheLineAndKeepsEarlierResult) {
  const BadSurvey& bad = GetParam();
  TempDir dir;
  const fs::path survey = dir.path() / "sec1.txt";
  const fs::path result = dir.path() / PathFromUtf8("sec1成果.txt");
  const std::string earlier = "an earlier result\r\n";
  WriteBytes(survey, bad.bytes);
  WriteBytes(result, earlier);

  RunParameters params;
  params.data_file_path = dir.Utf8("sec1.txt");
  params.roughness = 0.025;
  params.slope_text = "0.0004";
  params.stage_count = 5;
  RecordingSink sink;
  const Status status = RunComputation(params, sink, {});

  ASSERT_FALSE(status.ok());
  EXPECT_THAT(status.message(), HasSubstr(params.data_file_path));
  for (const std::string& part : bad.message_parts) {
    EXPECT_THAT(status.message(), HasSubstr(part));
  }
  // Legible: valid UTF-8, one line, and the named line exists.
  EXPECT_EQ(CheckSurveyParse(bad.bytes), "");
  EXPECT_TRUE(sink.messages.empty());
  EXPECT_EQ(ReadBytes(result), earlier);
  EXPECT_THAT(ListFolder(dir.path()), ElementsAre("sec1.txt", "sec1成果.txt"));
}

INSTANTIATE_TEST_SUITE_P(Inputs, BadSurveyTest,
                         ::testing::ValuesIn(BadSurveys()),
                         [](const ::testing::TestParamInfo<BadSurvey>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace xsrating::hardening
