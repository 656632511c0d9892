// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/encoding.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>

namespace xsrating {
namespace {

// Converts with iconv, writing '?' for each character that the target cannot
// hold or the source does not encode validly, and going on after it.
// `step_invalid` tells how many source bytes one bad character takes.
template <typename StepFn>
std::string Convert(const char* to, const char* from, std::string_view input,
                    StepFn step_invalid) {
  std::string output;
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    // No converter at all: keep the plain ASCII and mark the rest.
    for (unsigned char c : input) output.push_back(c < 0x80 ? c : '?');
    return output;
  }
  output.reserve(input.size() * 2);
  char* in = const_cast<char*>(input.data());
  size_t in_left = input.size();
  char buffer[256];
  while (in_left > 0) {
    char* out = buffer;
    size_t out_left = sizeof buffer;
    const size_t rc = iconv(cd, &in, &in_left, &out, &out_left);
    output.append(buffer, out - buffer);
    if (rc != static_cast<size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    // EILSEQ, or EINVAL for a sequence cut short at the end.
    output.push_back('?');
    const size_t skip = std::min(in_left, step_invalid(in, in_left));
    in += skip;
    in_left -= skip;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  iconv_close(cd);
  return output;
}

// The length of the UTF-8 sequence that starts at `p`, or 1 when it is not a
// valid lead byte.
size_t Utf8SequenceLength(const char* p, size_t left) {
  const unsigned char lead = static_cast<unsigned char>(p[0]);
  size_t length = 1;
  if (lead >= 0xC2 && lead <= 0xDF)
    length = 2;
  else if (lead >= 0xE0 && lead <= 0xEF)
    length = 3;
  else if (lead >= 0xF0 && lead <= 0xF4)
    length = 4;
  // A character cut short at the end counts as one.
  for (size_t i = 1; i < length; ++i) {
    if (i == left) return left;
    if ((static_cast<unsigned char>(p[i]) & 0xC0) != 0x80) return 1;
  }
  return length;
}

// A GBK character that cannot be read is skipped a byte at a time unless it
// has the shape of a two-byte character.
size_t GbkSequenceLength(const char* p, size_t left) {
  const unsigned char lead = static_cast<unsigned char>(p[0]);
  if (lead >= 0x81 && lead <= 0xFE && left >= 2) {
    const unsigned char trail = static_cast<unsigned char>(p[1]);
    if (trail >= 0x40 && trail <= 0xFE && trail != 0x7F) return 2;
  }
  return 1;
}

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

std::string Utf8ToGbk(std::string_view utf8) {
  return Convert("GBK", "UTF-8", utf8, Utf8SequenceLength);
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

std::string GbkToUtf8(std::string_view gbk) {
  return Convert("UTF-8", "GBK", gbk, GbkSequenceLength);
}

}  // namespace xsrating
