// SPDX-License-Identifier: GPL-3.0-or-later
// What the platforms' conversions share; the conversions themselves are in
// encoding_posix.cc (iconv) and encoding_windows.cc (code page 936).
#include "core/base/encoding.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace xsrating {
namespace {

// The length of the strict UTF-8 character at the start of `text`, or 0
// when it does not start with one.
size_t ValidUtf8Length(std::string_view text) {
  Utf8Check check;
  for (size_t k = 0; k < text.size() && k < 4; ++k) {
    check.Add(static_cast<unsigned char>(text[k]));
    if (check.broken()) return 0;
    if (check.valid()) return k + 1;
  }
  return 0;
}

}  // namespace

void Utf8Check::Add(unsigned char c) {
  if (!valid_) return;
  if (pending_ > 0) {
    valid_ = c >= low_ && c <= high_;
    --pending_;
    low_ = 0x80;
    high_ = 0xBF;
    return;
  }
  if (c < 0x80) return;
  if (c >= 0xC2 && c <= 0xDF) {
    pending_ = 1;
  } else if (c >= 0xE0 && c <= 0xEF) {
    pending_ = 2;
    if (c == 0xE0) low_ = 0xA0;
    if (c == 0xED) high_ = 0x9F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    pending_ = 3;
    if (c == 0xF0) low_ = 0x90;
    if (c == 0xF4) high_ = 0x8F;
  } else {
    valid_ = false;
  }
}

void Utf8Check::Add(std::string_view bytes) {
  size_t i = 0;
  while (i < bytes.size() && valid_) {
    // Runs of ASCII, the bulk of any survey, eight bytes at a time.
    if (pending_ == 0) {
      uint64_t word;
      while (i + sizeof word <= bytes.size()) {
        std::memcpy(&word, bytes.data() + i, sizeof word);
        if ((word & 0x8080808080808080u) != 0) break;
        i += sizeof word;
      }
      if (i == bytes.size()) break;
    }
    Add(static_cast<unsigned char>(bytes[i]));
    ++i;
  }
}

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
