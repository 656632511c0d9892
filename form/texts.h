// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_FORM_TEXTS_H_
#define XSRATING_FORM_TEXTS_H_

// The titles both windows show, in UTF-8. The controls' own texts are in the
// layout (form/layout.h), the boxes' names in form/inputs.h, the help in
// form/format_help.h; the run's own texts are the core's (core/run/run.h).

namespace xsrating {

// The window's caption, as the form has always been called.
inline constexpr char kWindowCaption[] = "Form1";
// The program's name: the banner, the installed shortcut, the version
// resource.
inline constexpr char kProgramTitle[] = "河道断面水位流量关系计算";

// Message box titles.
inline constexpr char kRunFailedTitle[] = "计算未完成";
inline constexpr char kNotANumberTitle[] = "输入的不是数字";
inline constexpr char kIncompleteTitle[] = "输入不完整";
inline constexpr char kDriveNotReadyTitle[] = "驱动器未就绪";

}  // namespace xsrating

#endif  // XSRATING_FORM_TEXTS_H_
