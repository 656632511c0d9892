// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CORE_BASE_STATUS_H_
#define XSRATING_CORE_BASE_STATUS_H_

#include <string>
#include <utility>

namespace xsrating {

// What kind of failure a Status reports, for callers that act differently on
// each (the command line's exit status and message layout). The message, not
// the kind, is what the user reads.
enum class StatusKind {
  kOk,
  // The survey's contents or the run's parameters cannot be used.
  kBadInput,
  // A file or folder cannot be found, read or written.
  kFileSystem,
  // The program was called wrongly: its command line, or a request that
  // lacks what it needs.
  kUsage,
  // A part of the program itself is missing or does not load (the figure
  // module).
  kUnavailable,
  // A file given as a survey is another file of the station's, such as an
  // earlier result: no failure of a batch, which skips it.
  kNotASurvey,
  // A file given as a survey is plainly another input of the station
  // (gaugings, roughness zones, a stage record), and the message says where
  // it belongs: a failure when it is the only file, skipped in a batch of
  // several, as "*.txt" gives them.
  kOtherInput,
};

// The outcome of an operation of the core. The core never throws to its
// callers: a failure comes back as a Status holding a message in Simplified
// Chinese (UTF-8) that says what is wrong and where, ready to show the user,
// and its kind.
class Status {
 public:
  Status() = default;  // Success.

  static Status Ok() { return Status(); }
  static Status Error(StatusKind kind, std::string message) {
    Status status;
    status.kind_ = kind == StatusKind::kOk ? StatusKind::kBadInput : kind;
    status.message_ = std::move(message);
    return status;
  }
  // A failure of kind kBadInput.
  static Status Error(std::string message) {
    return Error(StatusKind::kBadInput, std::move(message));
  }
  static Status FileSystemError(std::string message) {
    return Error(StatusKind::kFileSystem, std::move(message));
  }

  bool ok() const { return kind_ == StatusKind::kOk; }
  // kOk on success, never on failure.
  StatusKind kind() const { return kind_; }
  // Empty on success.
  const std::string& message() const { return message_; }
  // The same kind with `prefix` before the message, for a caller that says
  // where the failure happened.
  Status Prefixed(const std::string& prefix) const {
    return Error(kind_, prefix + message_);
  }

 private:
  StatusKind kind_ = StatusKind::kOk;
  std::string message_;
};

}  // namespace xsrating

#endif  // XSRATING_CORE_BASE_STATUS_H_
