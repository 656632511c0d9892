// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_WIN32_WARNING_BOX_SINK_H_
#define XSRATING_WIN32_WARNING_BOX_SINK_H_

#include <windows.h>

#include <string>

#include "core/run/run.h"

namespace xsrating {

// Tells the user something in a message box owned by a window: the warning
// icon, the title, the text (every line break it holds, a lone CR included,
// shown as one) and one OK button. Returns when the box is dismissed.
class WarningBoxSink : public MessageSink {
 public:
  explicit WarningBoxSink(HWND owner) : owner_(owner) {}
  void ShowWarning(const std::string& text, const std::string& title) override;

 private:
  HWND owner_;
};

}  // namespace xsrating

#endif  // XSRATING_WIN32_WARNING_BOX_SINK_H_
