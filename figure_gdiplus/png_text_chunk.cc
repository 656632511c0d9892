// SPDX-License-Identifier: GPL-3.0-or-later
#include "figure_gdiplus/png_text_chunk.h"

#include <array>
#include <cstddef>

namespace xsrating {
namespace {

constexpr std::string_view kPngSignature = "\x89PNG\r\n\x1A\n";
// IHDR's length (13), type, fields and CRC.
constexpr size_t kIhdrChunkBytes = 4 + 4 + 13 + 4;

constexpr std::array<uint32_t, 256> MakeCrcTable() {
  std::array<uint32_t, 256> table{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}
constexpr std::array<uint32_t, 256> kCrcTable = MakeCrcTable();

void AppendBigEndian(uint32_t value, std::string* out) {
  for (int shift = 24; shift >= 0; shift -= 8) {
    out->push_back(static_cast<char>((value >> shift) & 0xFF));
  }
}

uint32_t ReadBigEndian(std::string_view bytes) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i) {
    value = (value << 8) | static_cast<unsigned char>(bytes[i]);
  }
  return value;
}

}  // namespace

uint32_t PngCrc32(std::string_view bytes) {
  uint32_t c = 0xFFFFFFFFu;
  for (const char byte : bytes) {
    c = kCrcTable[(c ^ static_cast<unsigned char>(byte)) & 0xFF] ^ (c >> 8);
  }
  return c ^ 0xFFFFFFFFu;
}

Status AddPngTextChunk(std::string_view keyword, std::string_view text,
                       std::string* png) {
  if (keyword.empty() || keyword.size() > 79 ||
      keyword.find('\0') != std::string_view::npos ||
      text.find('\0') != std::string_view::npos) {
    return Status::Error("PNG 的文字块关键字或内容不合规定，无法写入图中。");
  }
  const std::string_view bytes = *png;
  const size_t ihdr_at = kPngSignature.size();
  if (!bytes.starts_with(kPngSignature) ||
      bytes.size() < ihdr_at + kIhdrChunkBytes ||
      ReadBigEndian(bytes.substr(ihdr_at)) != 13 ||
      bytes.substr(ihdr_at + 4, 4) != "IHDR") {
    return Status::Error(
        "编码出的图不是完整的 PNG 文件（缺少文件头），无法写入标记。");
  }
  std::string body = "tEXt";
  body.append(keyword);
  body.push_back('\0');
  body.append(text);
  std::string chunk;
  AppendBigEndian(static_cast<uint32_t>(body.size() - 4), &chunk);
  chunk += body;
  AppendBigEndian(PngCrc32(body), &chunk);
  png->insert(ihdr_at + kIhdrChunkBytes, chunk);
  return Status::Ok();
}

}  // namespace xsrating
