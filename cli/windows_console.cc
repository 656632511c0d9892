// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/windows_console.h"

#include <windows.h>

#include <iostream>
#include <streambuf>

#include "core/base/encoding.h"

namespace xsrating {
namespace {

// Collects UTF-8 and writes it out whole characters at a time, at each line
// end and whenever the stream is flushed.
class WindowsOutputBuffer : public std::streambuf {
 public:
  explicit WindowsOutputBuffer(DWORD which) : handle_(GetStdHandle(which)) {
    DWORD mode = 0;
    console_ = handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE &&
               GetConsoleMode(handle_, &mode);
  }

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return 0;
    pending_.push_back(traits_type::to_char_type(c));
    if (c == '\n') Flush();
    return c;
  }
  std::streamsize xsputn(const char* data, std::streamsize size) override {
    pending_.append(data, static_cast<size_t>(size));
    if (pending_.find('\n') != std::string::npos) Flush();
    return size;
  }
  int sync() override {
    Flush();
    return 0;
  }

 private:
  void Flush() {
    // A character cut by the flush waits for its other bytes.
    size_t end = pending_.size();
    size_t lead = end;
    while (lead > 0 && end - lead < 3 &&
           (static_cast<unsigned char>(pending_[lead - 1]) & 0xC0) == 0x80) {
      --lead;
    }
    if (lead > 0) {
      const unsigned char c = static_cast<unsigned char>(pending_[lead - 1]);
      const size_t needed = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
      if (end - (lead - 1) < needed) end = lead - 1;
    }
    const std::string text = pending_.substr(0, end);
    pending_.erase(0, end);
    if (text.empty() || handle_ == nullptr || handle_ == INVALID_HANDLE_VALUE) {
      return;
    }
    DWORD written = 0;
    if (console_) {
      const std::wstring wide = Utf8ToUtf16(text);
      WriteConsoleW(handle_, wide.data(), static_cast<DWORD>(wide.size()),
                    &written, nullptr);
      return;
    }
    std::string lines;
    lines.reserve(text.size() + 8);
    for (char c : text) {
      if (c == '\n') lines.push_back('\r');
      lines.push_back(c);
    }
    const std::string gbk = Utf8ToGbk(lines);
    WriteFile(handle_, gbk.data(), static_cast<DWORD>(gbk.size()), &written,
              nullptr);
  }

  HANDLE handle_;
  bool console_ = false;
  std::string pending_;
};

}  // namespace

void UseWindowsStandardStreams() {
  // Never destroyed: the streams flush at the very end of the process, after
  // every object of the program is gone.
  static auto* out = new WindowsOutputBuffer(STD_OUTPUT_HANDLE);
  static auto* err = new WindowsOutputBuffer(STD_ERROR_HANDLE);
  std::cout.rdbuf(out);
  std::cerr.rdbuf(err);
}

std::string WindowsFullPath(const std::string& utf8) {
  const std::wstring wide = Utf8ToUtf16(utf8);
  if (wide.empty()) return utf8;
  std::wstring full(MAX_PATH, L'\0');
  for (;;) {
    const DWORD size = GetFullPathNameW(
        wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (size == 0) return utf8;
    if (size < full.size()) {
      full.resize(size);
      break;
    }
    full.resize(size);  // Too small: `size` counts the terminating zero.
  }
  return Utf16ToUtf8(full);
}

std::vector<std::string> Utf8Arguments(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) args.push_back(Utf16ToUtf8(argv[i]));
  return args;
}

}  // namespace xsrating
