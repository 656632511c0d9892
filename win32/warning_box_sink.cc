// SPDX-License-Identifier: GPL-3.0-or-later
#include "win32/warning_box_sink.h"

#include <windows.h>

#include <string>

#include "core/base/encoding.h"
#include "form/form_controller.h"

namespace xsrating {

void WarningBoxSink::ShowWarning(const std::string& text,
                                 const std::string& title) {
  // A message box breaks lines at CR LF only.
  MessageBoxW(owner_, Utf8ToUtf16(WithLineBreaks(text, "\r\n")).c_str(),
              Utf8ToUtf16(title).c_str(), MB_OK | MB_ICONWARNING);
}

}  // namespace xsrating
