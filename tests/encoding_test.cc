// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/base/encoding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace xsrating {
namespace {

TEST(EncodingTest, ConvertsTheFileTextsToGbk) {
  struct Case {
    const char* utf8;
    const char* gbk;
  };
  const Case cases[] = {
      {"成果.txt", "\xB3\xC9\xB9\xFB.txt"},
      {"地形测文件：", "\xB5\xD8\xD0\xCE\xB2\xE2\xCE\xC4\xBC\xFE\xA3\xBA"},
      {"plain ASCII 0.025", "plain ASCII 0.025"},
      {"", ""},
      // Characters GBK cannot hold, and bytes that are not UTF-8.
      {"a😀b", "a?b"},
      {"x\xFFy", "x?y"},
      {"\xE6\x88", "?"},  // Cut inside a character.
      {"é한", "\xA8\xA6?"},
      // Where Windows' code page 936 and iconv's GBK part ways, the bytes
      // are iconv's on every system.
      {"100€", "100\x80"},
      {"a\uE000b\uF8F5", "a?b?"},  // Private use: not GBK's user codes.
      {"\xC0\x80", "??"},          // Overlong: two stray bytes.
      {"\xE0\x80\x80", "?"},       // Overlong in the shape of a character.
      {"\xED\xA0\x80", "?"},       // A surrogate.
      {"\xF4\x90\x80\x80", "?"},   // Beyond U+10FFFF.
      {"·—", "\xA1\xA4\xA1\xAA"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Utf8ToGbk(c.utf8), c.gbk) << c.utf8;
  }
}

TEST(EncodingTest, NamesTheCharactersWrittenAsQuestionMarks) {
  struct Case {
    const char* utf8;
    std::vector<std::string> lost;
  };
  const Case cases[] = {
      {"/data/河道断面 sec1?.txt", {}},  // A '?' of its own is no loss.
      {"/data/é.txt", {}},
      {"/data/한국/sec1.txt", {"한", "국"}},
      {"señal😀ñ.txt", {"ñ", "😀"}},
      {"naïve.txt", {"ï"}},
      {"a\xFF\xE6\x88.txt", {"\\xff", "\\xe6", "\\x88"}},
      {"\xED\xA0\x80", {"\\xed", "\\xa0", "\\x80"}},  // A surrogate.
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CharactersGbkCannotHold(c.utf8), c.lost) << c.utf8;
  }
}

TEST(EncodingTest, ReadsGbkBackAndMarksWhatIsNotGbk) {
  EXPECT_EQ(GbkToUtf8("\xB3\xC9\xB9\xFB"), "成果");
  EXPECT_EQ(GbkToUtf8("1\xFF"
                      "2"),
            "1?2");
  EXPECT_EQ(GbkToUtf8("\xB3"), "?");  // A lead byte at the end.
  EXPECT_EQ(GbkToUtf8("\x80"), "€");
  EXPECT_EQ(GbkToUtf8("\xA1\x40\xFE\xFE"), "??");  // User-defined codes.
  const std::string long_text(100000, 'a');
  EXPECT_EQ(Utf8ToGbk(long_text), long_text);  // Beyond any one buffer.
}

}  // namespace
}  // namespace xsrating
