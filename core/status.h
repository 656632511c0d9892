// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CORE_STATUS_H_
#define XSRATING_CORE_STATUS_H_

#include <string>
#include <utility>

namespace xsrating {

// The outcome of an operation of the core. The core never throws to its
// callers: a failure comes back as a Status holding a message in Simplified
// Chinese (UTF-8) that says what is wrong and where, ready to show the user.
class Status {
 public:
  Status() = default;  // Success.

  static Status Ok() { return Status(); }
  static Status Error(std::string message) {
    Status status;
    status.ok_ = false;
    status.message_ = std::move(message);
    return status;
  }

  bool ok() const { return ok_; }
  // Empty on success.
  const std::string& message() const { return message_; }

 private:
  bool ok_ = true;
  std::string message_;
};

}  // namespace xsrating

#endif  // XSRATING_CORE_STATUS_H_
