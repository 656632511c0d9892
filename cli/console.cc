// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/console.h"

#include <cerrno>
#include <iostream>
#include <vector>

#include "core/base/encoding.h"
#include "core/base/file_io.h"

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace xsrating {
namespace {

bool output_failed = false;
int output_error = 0;  // errno of the first failure.

void NoteOutputState() {
  if (output_failed || std::cout) return;
  output_failed = true;
  output_error = errno;
}

}  // namespace

void GuardStandardStreams() {
#ifndef _WIN32
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lowest free number is `fd`, the ones below being open.
    const int opened = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (opened >= 0 && opened != fd) close(opened);
    if (fd == 1 && !output_failed) {
      output_failed = true;
      output_error = EBADF;
    }
  }
#endif
}

std::string ConsoleSafe(std::string_view text) {
  std::string shown;
  shown.reserve(text.size());
  for (char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7F) {
      shown += c;
      continue;
    }
    constexpr char kHex[] = "0123456789abcdef";
    shown += {'\\', 'x', kHex[byte >> 4], kHex[byte & 0xF]};
  }
  return shown;
}

void PrintOnStandardOutput(std::string_view line) {
  errno = 0;
  std::cout << ConsoleSafe(line) << '\n' << std::flush;
  NoteOutputState();
}

std::string StandardOutputFailure() {
  errno = 0;
  std::cout.flush();
  NoteOutputState();
  if (!output_failed) return {};
  std::string why;
  switch (output_error) {
    case EBADF:
      why = "标准输出已关闭";
      break;
    case EPIPE:
      why = "接收输出的程序已经退出";
      break;
    default:
      why = DescribeSystemError(output_error);
  }
  return "无法写入标准输出（" + why + "），写出的内容不完整。";
}

std::string QuestionMarkNote(const std::string& data_file_path,
                             const std::string& result_path) {
  const std::vector<std::string> lost = CharactersGbkCannotHold(data_file_path);
  if (lost.empty()) return {};
  std::string named;
  for (const std::string& character : lost) named += "“" + character + "”";
  return "提示：地形文件路径中的" + named + "不能用 GBK 编码写出，结果文件“" +
         ConsoleSafe(result_path) + "”记录路径时把它们写成了“?”。";
}

}  // namespace xsrating
