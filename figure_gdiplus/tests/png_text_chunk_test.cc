// SPDX-License-Identifier: GPL-3.0-or-later
#include "figure_gdiplus/png_text_chunk.h"

#include <gtest/gtest.h>

#include <string>

#include "core/base/file_io.h"
#include "core/output/own_files.h"

namespace xsrating {
namespace {

const std::string kSignature("\x89PNG\r\n\x1A\n", 8);

std::string Chunk(const std::string& type, const std::string& data) {
  std::string out;
  const uint32_t length = static_cast<uint32_t>(data.size());
  for (int shift = 24; shift >= 0; shift -= 8) {
    out.push_back(static_cast<char>((length >> shift) & 0xFF));
  }
  const uint32_t crc = PngCrc32(type + data);
  out += type + data;
  for (int shift = 24; shift >= 0; shift -= 8) {
    out.push_back(static_cast<char>((crc >> shift) & 0xFF));
  }
  return out;
}

// A 1 × 1 PNG's chunks, with an IDAT large enough that an end-of-file chunk
// would lie beyond the opening a save reads.
std::string LargePng() {
  const std::string ihdr("\0\0\0\1\0\0\0\1\x08\x06\0\0\0", 13);
  return kSignature + Chunk("IHDR", ihdr) +
         Chunk("IDAT", std::string(3 * kOpeningBytes, 'x')) + Chunk("IEND", "");
}

TEST(PngCrc32Test, MatchesTheStandardCheckValues) {
  EXPECT_EQ(PngCrc32("123456789"), 0xCBF43926u);
  // Every PNG ends with this chunk and CRC.
  EXPECT_EQ(PngCrc32("IEND"), 0xAE426082u);
  EXPECT_EQ(PngCrc32(""), 0u);
}

TEST(AddPngTextChunkTest, PutsTheMarkWhereTheOpeningHoldsIt) {
  std::string png = LargePng();
  const std::string before = png;
  ASSERT_FALSE(IsOwnFile(OwnFile::kFigure, png.substr(0, kOpeningBytes)));
  ASSERT_TRUE(AddPngTextChunk(kFigurePngKeyword, kFigureMark, &png).ok());
  EXPECT_TRUE(IsOwnFile(OwnFile::kFigure, png.substr(0, kOpeningBytes)));
  // Right after IHDR, a whole chunk with its CRC; the rest as it was.
  const size_t after_ihdr = 8 + 25;
  const std::string text =
      std::string(kFigurePngKeyword) + std::string(1, '\0') + kFigureMark;
  const std::string chunk = Chunk("tEXt", text);
  EXPECT_EQ(png.substr(after_ihdr, chunk.size()), chunk);
  EXPECT_EQ(png.substr(0, after_ihdr), before.substr(0, after_ihdr));
  EXPECT_EQ(png.substr(after_ihdr + chunk.size()), before.substr(after_ihdr));
}

TEST(AddPngTextChunkTest, RefusesWhatCannotBeMarked) {
  const std::string png = LargePng();
  struct Case {
    const char* name;
    std::string bytes;
    std::string keyword;
    std::string text;
  };
  const Case cases[] = {
      {"not a PNG", "GIF89a" + png.substr(6), "Software", "xsrating"},
      {"IHDR cut short", png.substr(0, 8 + 20), "Software", "xsrating"},
      {"first chunk not IHDR", kSignature + Chunk("IDAT", "") + png.substr(8),
       "Software", "xsrating"},
      {"empty file", "", "Software", "xsrating"},
      {"empty keyword", png, "", "xsrating"},
      {"keyword of 80", png, std::string(80, 'k'), "xsrating"},
      {"NUL in keyword", png, std::string("Soft\0ware", 9), "xsrating"},
      {"NUL in text", png, "Software", std::string("xs\0rating", 9)},
  };
  for (const Case& c : cases) {
    std::string bytes = c.bytes;
    const Status status = AddPngTextChunk(c.keyword, c.text, &bytes);
    EXPECT_FALSE(status.ok()) << c.name;
    EXPECT_FALSE(status.message().empty()) << c.name;
    EXPECT_EQ(bytes, c.bytes) << c.name;
  }
}

}  // namespace
}  // namespace xsrating
