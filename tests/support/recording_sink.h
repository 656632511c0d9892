// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_TESTS_SUPPORT_RECORDING_SINK_H_
#define XSRATING_TESTS_SUPPORT_RECORDING_SINK_H_

#include <string>
#include <vector>

#include "core/run/run.h"

namespace xsrating {

// Keeps every message instead of showing it.
class RecordingSink : public MessageSink {
 public:
  struct Message {
    std::string text;
    std::string title;
    friend bool operator==(const Message&, const Message&) = default;
  };

  void ShowWarning(const std::string& text, const std::string& title) override {
    messages.push_back({text, title});
  }

  std::vector<Message> messages;
};

}  // namespace xsrating

#endif  // XSRATING_TESTS_SUPPORT_RECORDING_SINK_H_
