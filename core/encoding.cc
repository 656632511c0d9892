// SPDX-License-Identifier: GPL-3.0-or-later
// What the platforms' conversions share; the conversions themselves are in
// encoding_posix.cc (iconv) and encoding_windows.cc (code page 936).
#include "core/encoding.h"

#include <algorithm>

namespace xsrating {
namespace {

// The length of the strict UTF-8 character at the start of `text` (no
// overlong forms, surrogates or code points above U+10FFFF), or 0 when it
// does not start with one.
size_t ValidUtf8Length(std::string_view text) {
  const unsigned char lead = static_cast<unsigned char>(text[0]);
  if (lead < 0x80) return 1;
  size_t length = 0;
  unsigned char low = 0x80;  // Bounds of the second byte.
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  for (size_t k = 1; k < length; ++k) {
    const unsigned char c = static_cast<unsigned char>(text[k]);
    if (c < (k == 1 ? low : 0x80) || c > (k == 1 ? high : 0xBF)) return 0;
  }
  return length;
}

}  // namespace

std::vector<std::string> CharactersGbkCannotHold(std::string_view utf8) {
  std::vector<std::string> lost;
  const auto marks = [](std::string_view text) {
    return std::count(text.begin(), text.end(), '?');
  };
  if (marks(Utf8ToGbk(utf8)) == marks(utf8)) return lost;
  for (size_t i = 0; i < utf8.size();) {
    const size_t length = ValidUtf8Length(utf8.substr(i));
    std::string shown;
    if (length == 0) {
      constexpr char kHex[] = "0123456789abcdef";
      const unsigned char byte = static_cast<unsigned char>(utf8[i]);
      shown = {'\\', 'x', kHex[byte >> 4], kHex[byte & 0xF]};
    } else if (length > 1 && Utf8ToGbk(utf8.substr(i, length)) == "?") {
      shown = utf8.substr(i, length);
    }
    if (!shown.empty() &&
        std::find(lost.begin(), lost.end(), shown) == lost.end()) {
      lost.push_back(shown);
    }
    i += length == 0 ? 1 : length;
  }
  return lost;
}

}  // namespace xsrating
