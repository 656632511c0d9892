// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_FORM_FORMAT_HELP_H_
#define XSRATING_FORM_FORMAT_HELP_H_

#include <string>

namespace xsrating {

// Title of the help message about the survey file.
inline constexpr char kFormatHelpTitle[] = "地形文件格式：";

// What the help button tells the user: the rules of the survey file and the
// limit on stage points, seven lines joined by a lone CR (no LF), the last one
// naming where to ask for help and where the user guide is installed. UTF-8.
std::string FormatHelpText();

}  // namespace xsrating

#endif  // XSRATING_FORM_FORMAT_HELP_H_
