// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CORE_BASE_ENCODING_H_
#define XSRATING_CORE_BASE_ENCODING_H_

// Conversion between the program's own texts (UTF-8) and the files' code page
// (GBK, code page 936), through the platform's converter.

#include <string>
#include <string_view>
#include <vector>

namespace xsrating {

// UTF-8 to GBK. A character that GBK cannot hold, or a byte that is not valid
// UTF-8, becomes '?'.
std::string Utf8ToGbk(std::string_view utf8);

// The characters of `utf8` that Utf8ToGbk writes as '?', each once, in order
// of first appearance: a character GBK cannot hold as itself ("한"), a byte
// that is not valid UTF-8 as "\xff". Empty when the text converts whole.
std::vector<std::string> CharactersGbkCannotHold(std::string_view utf8);

// Follows bytes and tells whether they are strict UTF-8: no overlong forms,
// surrogates or code points above U+10FFFF.
class Utf8Check {
 public:
  void Add(unsigned char c);
  void Add(std::string_view bytes);
  bool broken() const { return !valid_; }
  // True when the bytes so far are whole UTF-8 characters.
  bool valid() const { return valid_ && pending_ == 0; }

 private:
  bool valid_ = true;
  int pending_ = 0;           // Continuation bytes still due.
  unsigned char low_ = 0x80;  // Bounds of the next continuation byte.
  unsigned char high_ = 0xBF;
};

// GBK to UTF-8, for showing file contents in messages. A byte sequence that is
// not valid GBK becomes '?'.
std::string GbkToUtf8(std::string_view gbk);

#ifdef _WIN32
// UTF-8 to the UTF-16 of Windows' W functions and back, through the system's
// converter. A byte that is not valid UTF-8, or a lone surrogate, becomes
// U+FFFD.
std::wstring Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::wstring_view utf16);
#endif

}  // namespace xsrating

#endif  // XSRATING_CORE_BASE_ENCODING_H_
