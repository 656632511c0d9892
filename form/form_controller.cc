// SPDX-License-Identifier: GPL-3.0-or-later
#include "form/form_controller.h"

#include <optional>
#include <string>
#include <utility>

#include "form/chooser_rules.h"
#include "form/layout.h"
#include "form/start_command.h"
#include "form/zones.h"

namespace xsrating {
namespace {

size_t IndexOf(InputBox box) { return static_cast<size_t>(box); }

// The folder of the survey at `path`, where the zones dialog's file dialogs
// start; empty (the current folder) without a survey.
std::string SurveyFolder(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  if (slash == std::string::npos) return {};
  // A root keeps its separator: "C:\" or "/".
  return path.substr(
      0, slash == 0 || (slash == 2 && path[1] == ':') ? slash + 1 : slash);
}

}  // namespace

FormController::FormController(FormView& view, MessageSink& sink,
                               RunHooks hooks)
    : view_(view), sink_(sink), hooks_(std::move(hooks)) {}

void FormController::OnBoxEdited(InputBox box, const std::string& text) {
  const size_t i = IndexOf(box);
  texts_[i] = text;
  // While zones replace the roughness box, its text is none of the run's.
  if (box == InputBox::kRoughness && !params_.zones.empty()) return;
  const bool number = ApplyBoxText(box, text, params_);
  if (number == holds_number_[i]) return;
  holds_number_[i] = number;
  view_.MarkBox(box, number);
}

bool FormController::OnButtonPressed(std::string_view name) {
  if (name == "Command1") {
    PressStart();
  } else if (name == "Command2") {
    view_.Close();
  } else if (name == "Command3") {
    PressHelp();
  } else if (name == kViewButtonName) {
    PressView();
  } else if (name == kZonesButtonName) {
    PressZones();
  } else {
    return false;
  }
  return true;
}

void FormController::OnFileChosen(std::string_view folder,
                                  std::string_view name, char separator) {
  params_.data_file_path = JoinDataFilePath(folder, name, separator);
}

BoxTexts FormController::Texts() const {
  return {texts_[0], texts_[1], texts_[2], !params_.zones.empty()};
}

bool FormController::HoldsNumber(InputBox box) const {
  return holds_number_[IndexOf(box)];
}

void FormController::PressStart() {
  const std::optional<InputBox> stopped_at =
      xsrating::PressStart(Texts(), params_, sink_, hooks_);
  if (stopped_at.has_value()) {
    view_.FocusBox(*stopped_at);
    return;
  }
  // The new result file, or nothing new after a failure.
  view_.RefreshFiles();
}

void FormController::PressHelp() { xsrating::PressHelp(sink_); }

void FormController::PressView() {
  view_.OpenViewer({params_, FindInputProblems(Texts())});
}

void FormController::PressZones() {
  ZonesChoice choice{params_.zones, params_.zone_method};
  if (view_.OpenZonesDialog(SurveyFolder(params_.data_file_path), &choice)) {
    SetZones(std::move(choice));
  }
}

void FormController::SetZones(ZonesChoice choice) {
  const bool were_set = !params_.zones.empty();
  params_.zones = std::move(choice.zones);
  params_.zone_method = choice.method;
  const InputBox roughness = InputBox::kRoughness;
  const size_t i = IndexOf(roughness);
  if (!params_.zones.empty()) {
    view_.SetBoxText(roughness, ZonesBoxText(params_.zones));
    // The box's own text is not in use: no mark for it.
    if (!holds_number_[i]) {
      holds_number_[i] = true;
      view_.MarkBox(roughness, true);
    }
  } else if (were_set) {
    view_.SetBoxText(roughness, texts_[i]);
    // The roughness, and the mark, of the text as it was typed.
    const bool number = ApplyBoxText(roughness, texts_[i], params_);
    if (number != holds_number_[i]) {
      holds_number_[i] = number;
      view_.MarkBox(roughness, number);
    }
  }
  view_.EnableBox(roughness, params_.zones.empty());
}

std::string WithLineBreaks(std::string_view text, std::string_view line_break) {
  std::string lines;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      lines += line_break;
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      lines += text[i];
    }
  }
  return lines;
}

}  // namespace xsrating
