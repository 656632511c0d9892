// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_FORM_INPUTS_H_
#define XSRATING_FORM_INPUTS_H_

// The three parameter boxes: their names, what an edit does to the run's
// parameters, and what stops the start button.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/types.h"

namespace xsrating {

enum class InputBox { kRoughness, kSlope, kStageCount };

// The boxes in the window's order.
inline constexpr InputBox kInputBoxes[] = {
    InputBox::kRoughness, InputBox::kSlope, InputBox::kStageCount};

struct InputBoxInfo {
  const char* name;     // As its label names it: "糙率". UTF-8.
  const char* example;  // A value it might hold: "0.025".
  const char* control;  // The text box's name in the layout: "Text1".
};

// True when a text the user typed holds nothing but blanks: ASCII spaces,
// tabs and line ends, and the ideographic space of a Chinese input method.
// The one rule for an empty box or cell in every window.
bool IsBlankEntry(std::string_view text);

// The name, example and control of `box`. The command line names its options'
// values by the same names.
const InputBoxInfo& DescribeInput(InputBox box);

// What an edit of `box` to `text` does to `params`:
//  - the roughness and the stage count take the text's number (with the
//    regional decimal separator); a text that is not a number (emptied, a
//    lone sign or decimal point while typing) leaves the last valid value;
//  - the slope keeps the text exactly as typed.
// Returns whether `text` is a number, for the box's mark.
bool ApplyBoxText(InputBox box, std::string_view text, RunParameters& params);

// The hint of a box whose text is not a number: "糙率须为数字，例如 0.025".
std::string NotANumberHint(InputBox box);

// The texts of the three boxes as they stand. UTF-8.
struct BoxTexts {
  std::string roughness;
  std::string slope;
  std::string stage_count;
  // Roughness zones take the place of the roughness box, whose text is then
  // not looked at.
  bool roughness_from_zones = false;

  const std::string& Of(InputBox box) const;
};

// The boxes that cannot be used as they stand, by their names, in the
// window's order.
struct InputProblems {
  std::vector<std::string> empty;        // Nothing but blanks.
  std::vector<std::string> not_numbers;  // A text that is not a number.
  // For each of those whose text is a number written another way
  // (DecimalSuggestion): "“0,03”请写成小数 0.03", or in full-width
  // characters (FullWidthHint): "“０.０３”是全角字符，请用半角：0.03".
  std::vector<std::string> decimal_forms;
  // The first box at fault, where the focus goes; none when all are fine.
  std::optional<InputBox> first;

  bool any() const { return !empty.empty() || !not_numbers.empty(); }
};

InputProblems FindInputProblems(const BoxTexts& texts);

// One clause naming every box at fault, without a final full stop:
// "“糙率”和“比降”是空的，“水位流量关系曲线点子数量”中不是数字", the decimal
// forms in brackets after the boxes that are not numbers:
// "“糙率”中不是数字（“0,03”请写成小数 0.03）". Empty when nothing is at
// fault.
std::string DescribeInputProblems(const InputProblems& problems);

struct Warning {
  std::string text;
  std::string title;
  friend bool operator==(const Warning&, const Warning&) = default;
};

// The one warning the start button gives instead of a run: the clause, then
// what to do ("请填写后再按“开始”。"), under kIncompleteTitle when a box is
// empty, else kNotANumberTitle.
Warning InputProblemsMessage(const InputProblems& problems);

}  // namespace xsrating

#endif  // XSRATING_FORM_INPUTS_H_
