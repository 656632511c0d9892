// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_UI_MESSAGE_BOX_SINK_H_
#define XSRATING_UI_MESSAGE_BOX_SINK_H_

#include <QString>
#include <string>

#include "core/run/run.h"

class QWidget;

namespace xsrating {

// The text of a message as a message box shows it: a lone CR, or a CR LF,
// between lines becomes a line break. `text` is UTF-8.
QString MessageBoxText(const std::string& text);

// The width, in pixels, that a message box keeps for its `title` so that
// the title bar shows it whole beside the frame's buttons.
int MessageBoxTitleRoom(const QString& title);

// Tells the user something in a modal message box over the owning window:
// warning icon, the given title, the text as MessageBoxText makes it (plain
// text, never markup) and a single OK button, at least MessageBoxTitleRoom
// wide. ShowWarning returns when the
// user has dismissed the box.
class MessageBoxSink : public MessageSink {
 public:
  // `owner` must outlive the sink; it may be null (a box of its own).
  explicit MessageBoxSink(QWidget* owner) : owner_(owner) {}

  void ShowWarning(const std::string& text, const std::string& title) override;

 private:
  QWidget* owner_;
};

}  // namespace xsrating

#endif  // XSRATING_UI_MESSAGE_BOX_SINK_H_
