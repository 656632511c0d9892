// SPDX-License-Identifier: GPL-3.0-or-later
#include "form/inputs.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/number_text.h"
#include "form/texts.h"

namespace xsrating {
namespace {

constexpr InputBoxInfo kInfo[] = {
    {"糙率", "0.025", "Text1"},
    {"比降", "0.0004", "Text2"},
    {"水位流量关系曲线点子数量", "20", "Text3"},
};

// “甲”, “甲”和“乙”, “甲”、“乙”和“丙”.
std::string QuotedList(const std::vector<std::string>& names) {
  std::string list;
  for (size_t i = 0; i < names.size(); ++i) {
    if (i > 0) list += i + 1 == names.size() ? "和" : "、";
    list += "“" + names[i] + "”";
  }
  return list;
}

}  // namespace

bool IsBlankEntry(std::string_view text) {
  constexpr std::string_view kIdeographicSpace = "\xE3\x80\x80";
  while (!text.empty()) {
    if (text.starts_with(kIdeographicSpace)) {
      text.remove_prefix(kIdeographicSpace.size());
    } else if (std::string_view(" \t\r\n\v\f").find(text.front()) !=
               std::string_view::npos) {
      text.remove_prefix(1);
    } else {
      return false;
    }
  }
  return true;
}

const InputBoxInfo& DescribeInput(InputBox box) {
  return kInfo[static_cast<int>(box)];
}

bool ApplyBoxText(InputBox box, std::string_view text, RunParameters& params) {
  const std::optional<double> value = TextToNumber(text);
  switch (box) {
    case InputBox::kRoughness:
      if (value.has_value()) params.roughness = *value;
      break;
    case InputBox::kSlope:
      params.slope_text = text;
      break;
    case InputBox::kStageCount:
      if (value.has_value()) params.stage_count = *value;
      break;
  }
  return value.has_value();
}

std::string NotANumberHint(InputBox box) {
  const InputBoxInfo& info = DescribeInput(box);
  return std::string(info.name) + "须为数字，例如 " + info.example;
}

const std::string& BoxTexts::Of(InputBox box) const {
  switch (box) {
    case InputBox::kRoughness:
      return roughness;
    case InputBox::kSlope:
      return slope;
    case InputBox::kStageCount:
      break;
  }
  return stage_count;
}

InputProblems FindInputProblems(const BoxTexts& texts) {
  InputProblems problems;
  for (InputBox box : kInputBoxes) {
    if (box == InputBox::kRoughness && texts.roughness_from_zones) continue;
    const std::string& text = texts.Of(box);
    std::vector<std::string>* list = nullptr;
    if (IsBlankEntry(text)) {
      list = &problems.empty;
    } else if (!TextToNumber(text).has_value()) {
      list = &problems.not_numbers;
      // An input method left in full width types "０.０３".
      if (const std::string full_width =
              FullWidthHint(text, HalfWidthUse::kNumber);
          !full_width.empty()) {
        problems.decimal_forms.push_back(full_width);
      } else if (const std::optional<std::string> decimal =
                     DecimalSuggestion(text)) {
        problems.decimal_forms.push_back("“" + text + "”请写成小数 " +
                                         *decimal);
      }
    } else {
      continue;
    }
    list->push_back(DescribeInput(box).name);
    if (!problems.first.has_value()) problems.first = box;
  }
  return problems;
}

std::string DescribeInputProblems(const InputProblems& problems) {
  std::string clause;
  if (!problems.empty.empty()) clause = QuotedList(problems.empty) + "是空的";
  if (!problems.not_numbers.empty()) {
    if (!clause.empty()) clause += "，";
    clause += QuotedList(problems.not_numbers) + "中不是数字";
    if (!problems.decimal_forms.empty()) {
      std::string forms;
      for (const std::string& form : problems.decimal_forms) {
        forms += (forms.empty() ? "" : "，") + form;
      }
      clause += "（" + forms + "）";
    }
  }
  return clause;
}

Warning InputProblemsMessage(const InputProblems& problems) {
  const char* todo = problems.not_numbers.empty() ? "填写"
                     : problems.empty.empty()     ? "改正"
                                                  : "填写、改正";
  return {DescribeInputProblems(problems) + "，请" + todo + "后再按“开始”。",
          problems.empty.empty() ? kNotANumberTitle : kIncompleteTitle};
}

}  // namespace xsrating
