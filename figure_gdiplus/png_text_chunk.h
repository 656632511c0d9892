// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_FIGURE_GDIPLUS_PNG_TEXT_CHUNK_H_
#define XSRATING_FIGURE_GDIPLUS_PNG_TEXT_CHUNK_H_

// A text chunk put into a PNG after it has been encoded, for encoders that
// write none (GDI+'s): how the program's figures carry their own-file mark.
// Toolkit-free, so that it is tested on every platform.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/base/status.h"

namespace xsrating {

// The CRC-32 of PNG chunks (ISO 3309, as zlib's crc32) over `bytes`.
uint32_t PngCrc32(std::string_view bytes);

// Puts a tEXt chunk `keyword`, NUL, `text` into `*png` right after its IHDR
// chunk, so that it lies within the first bytes of the file, where a reader
// of the opening looks for it. `keyword` is 1 to 79 Latin-1 characters
// without NUL; `text` holds no NUL. Fails, leaving `*png` unchanged, when
// `*png` does not begin with the PNG signature and a whole IHDR chunk, or
// when the keyword or text cannot be put into a tEXt chunk.
Status AddPngTextChunk(std::string_view keyword, std::string_view text,
                       std::string* png);

}  // namespace xsrating

#endif  // XSRATING_FIGURE_GDIPLUS_PNG_TEXT_CHUNK_H_
