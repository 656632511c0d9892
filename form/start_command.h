// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_FORM_START_COMMAND_H_
#define XSRATING_FORM_START_COMMAND_H_

// The buttons' commands, which both windows call as they are pressed.

#include <optional>

#include "core/base/types.h"
#include "core/run/run.h"
#include "form/inputs.h"

namespace xsrating {

// The start button (开始):
//  - while a box is empty or holds no number, one warning naming every such
//    box (InputProblemsMessage) and no run; returns the box to put the focus
//    in, with its text selected;
//  - otherwise the run (RunComputation) with `params`, which the stage guard
//    may change; a failed run is told with the core's message under
//    kRunFailedTitle. Returns nothing: the window then shows the folder as it
//    is now.
// Every message goes to `sink`, and the call returns when the last one has
// been dismissed.
std::optional<InputBox> PressStart(const BoxTexts& texts, RunParameters& params,
                                   MessageSink& sink,
                                   const RunHooks& hooks = {});

// The help button (请看地形文件格式帮助): the survey file's rules
// (FormatHelpText) under kFormatHelpTitle.
void PressHelp(MessageSink& sink);

}  // namespace xsrating

#endif  // XSRATING_FORM_START_COMMAND_H_
