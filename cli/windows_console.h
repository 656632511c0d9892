// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CLI_WINDOWS_CONSOLE_H_
#define XSRATING_CLI_WINDOWS_CONSOLE_H_

// The command line's texts on Windows. The program works in UTF-8; Windows
// hands it UTF-16 arguments, and shows text on a console window in UTF-16
// whatever the console's code page, while files and pipes get the code page
// of Chinese Windows, GBK.

#include <string>
#include <vector>

namespace xsrating {

// From here on, std::cout and std::cerr take UTF-8 and write each to where
// its handle leads: to a console window with WriteConsoleW; to a file or a
// pipe as GBK, with CR LF line ends. Call once, before the first output.
void UseWindowsStandardStreams();

// The full path of a file named on the command line, as Windows resolves it
// (GetFullPathNameW): relative to the current folder, or to a drive's own
// current folder for "D:name"; UNC names (\\server\share\...) kept;
// "." and ".." resolved; every slash a backslash. UTF-8 in and out; `utf8`
// itself when Windows cannot resolve it.
std::string WindowsFullPath(const std::string& utf8);

// The arguments of wmain, in UTF-8. A lone surrogate, which no file name
// typed by a user holds, becomes U+FFFD.
std::vector<std::string> Utf8Arguments(int argc, wchar_t** argv);

}  // namespace xsrating

#endif  // XSRATING_CLI_WINDOWS_CONSOLE_H_
