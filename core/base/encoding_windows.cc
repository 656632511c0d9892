// SPDX-License-Identifier: GPL-3.0-or-later
// GBK conversion through Windows' code page 936. The bytes must be those that
// iconv's GBK gives on Linux, so that a result file does not depend on the
// system that wrote it: the UTF-8 side is decoded here, one '?' for each
// character that cannot be converted, and only the well-formed characters go
// through the system's tables.
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "core/base/encoding.h"

namespace xsrating {
namespace {

constexpr UINT kGbkCodePage = 936;
constexpr wchar_t kUnconvertible = L'?';

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Decodes the UTF-8 character at the start of `text` into `*code_point` and
// returns its length in bytes. A sequence that is not valid UTF-8 (a stray
// byte, an overlong form, a surrogate, a character cut short) gives
// `*code_point` = -1 and the length to skip: the whole sequence when its lead
// byte promises one, otherwise one byte.
size_t DecodeUtf8(std::string_view text, int32_t* code_point) {
  const unsigned char lead = static_cast<unsigned char>(text[0]);
  *code_point = -1;
  if (lead < 0x80) {
    *code_point = lead;
    return 1;
  }
  size_t length = 0;
  int32_t value = 0;
  int32_t smallest = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    value = lead & 0x1F;
    smallest = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    value = lead & 0x0F;
    smallest = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    value = lead & 0x07;
    smallest = 0x10000;
  } else {
    return 1;
  }
  for (size_t i = 1; i < length; ++i) {
    if (i == text.size()) return text.size();  // Cut short at the end.
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (!IsContinuation(c)) return 1;
    value = (value << 6) | (c & 0x3F);
  }
  if (value >= smallest && value <= 0x10FFFF &&
      !(value >= 0xD800 && value <= 0xDFFF)) {
    *code_point = value;
  }
  return length;
}

void AppendUtf8(int32_t code_point, std::string* out) {
  if (code_point < 0x80) {
    out->push_back(static_cast<char>(code_point));
  } else if (code_point < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (code_point >> 6)));
    out->push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xE0 | (code_point >> 12)));
    out->push_back(static_cast<char>(0x80 | ((code_point >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
  }
}

// Where code page 936 and iconv's GBK differ, the character goes iconv's way:
// the euro sign is the single byte 0x80, and the private use area, which code
// page 936 maps onto GBK's user-defined codes, cannot be converted.
constexpr int32_t kEuroSign = 0x20AC;
constexpr char kEuroByte = '\x80';
bool IsPrivateUse(int32_t code_point) {
  return code_point >= 0xE000 && code_point <= 0xF8FF;
}

void AppendGbk(const std::wstring& wide, std::string* gbk) {
  if (wide.empty()) return;
  // No best fit: a character GBK lacks becomes '?', never a look-alike.
  const int size = WideCharToMultiByte(
      kGbkCodePage, WC_NO_BEST_FIT_CHARS, wide.data(),
      static_cast<int>(wide.size()), nullptr, 0, "?", nullptr);
  const size_t start = gbk->size();
  gbk->resize(start + static_cast<size_t>(size));
  WideCharToMultiByte(kGbkCodePage, WC_NO_BEST_FIT_CHARS, wide.data(),
                      static_cast<int>(wide.size()), gbk->data() + start, size,
                      "?", nullptr);
}

}  // namespace

std::string Utf8ToGbk(std::string_view utf8) {
  // GBK holds only characters of the Basic Multilingual Plane, so each
  // character is one UTF-16 unit here and at most one '?' in the output.
  std::string gbk;
  std::wstring wide;
  wide.reserve(utf8.size());
  while (!utf8.empty()) {
    int32_t code_point = 0;
    utf8.remove_prefix(DecodeUtf8(utf8, &code_point));
    if (code_point == kEuroSign) {
      AppendGbk(wide, &gbk);
      wide.clear();
      gbk.push_back(kEuroByte);
      continue;
    }
    const bool convertible =
        code_point >= 0 && code_point <= 0xFFFF && !IsPrivateUse(code_point);
    wide.push_back(convertible ? static_cast<wchar_t>(code_point)
                               : kUnconvertible);
  }
  AppendGbk(wide, &gbk);
  return gbk;
}

std::string GbkToUtf8(std::string_view gbk) {
  std::string utf8;
  utf8.reserve(gbk.size() * 3 / 2);
  size_t i = 0;
  while (i < gbk.size()) {
    const unsigned char lead = static_cast<unsigned char>(gbk[i]);
    if (lead < 0x80) {
      utf8.push_back(static_cast<char>(lead));
      ++i;
      continue;
    }
    if (gbk[i] == kEuroByte) {
      AppendUtf8(kEuroSign, &utf8);
      ++i;
      continue;
    }
    // A two-byte character has a lead byte 0x81..0xFE and a trail byte
    // 0x40..0xFE other than 0x7F; anything else is skipped a byte at a time.
    size_t length = 1;
    if (lead >= 0x81 && lead <= 0xFE && i + 1 < gbk.size()) {
      const unsigned char trail = static_cast<unsigned char>(gbk[i + 1]);
      if (trail >= 0x40 && trail <= 0xFE && trail != 0x7F) length = 2;
    }
    wchar_t wide[2] = {};
    const int count =
        length == 2 ? MultiByteToWideChar(kGbkCodePage, MB_ERR_INVALID_CHARS,
                                          gbk.data() + i, 2, wide, 2)
                    : 0;
    if (count == 1 && !IsPrivateUse(wide[0])) {
      AppendUtf8(wide[0], &utf8);
    } else {
      utf8.push_back('?');
    }
    i += length;
  }
  return utf8;
}

std::wstring Utf8ToUtf16(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int size = MultiByteToWideChar(
      CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                      wide.data(), size);
  return wide;
}

std::string Utf16ToUtf8(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(),
                                       static_cast<int>(wide.size()), nullptr,
                                       0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                      utf8.data(), size, nullptr, nullptr);
  return utf8;
}

}  // namespace xsrating
