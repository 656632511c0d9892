// SPDX-License-Identifier: GPL-3.0-or-later
#include "form/start_command.h"

#include <optional>

#include "core/base/status.h"
#include "form/format_help.h"
#include "form/texts.h"

namespace xsrating {

std::optional<InputBox> PressStart(const BoxTexts& texts, RunParameters& params,
                                   MessageSink& sink, const RunHooks& hooks) {
  const InputProblems problems = FindInputProblems(texts);
  if (problems.any()) {
    const Warning message = InputProblemsMessage(problems);
    sink.ShowWarning(message.text, message.title);
    return problems.first;
  }
  const Status status = RunComputation(params, sink, hooks);
  if (!status.ok()) sink.ShowWarning(status.message(), kRunFailedTitle);
  return std::nullopt;
}

void PressHelp(MessageSink& sink) {
  sink.ShowWarning(FormatHelpText(), kFormatHelpTitle);
}

}  // namespace xsrating
