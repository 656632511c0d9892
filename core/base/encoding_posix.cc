// SPDX-License-Identifier: GPL-3.0-or-later
#include <iconv.h>

#include <algorithm>
#include <cerrno>

#include "core/base/encoding.h"

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

}  // namespace

std::string Utf8ToGbk(std::string_view utf8) {
  return Convert("GBK", "UTF-8", utf8, Utf8SequenceLength);
}

std::string GbkToUtf8(std::string_view gbk) {
  return Convert("UTF-8", "GBK", gbk, GbkSequenceLength);
}

}  // namespace xsrating
