// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/usage.h"

#include <string>
#include <vector>

#include "cli/console.h"

namespace xsrating {
namespace {

// Columns a UTF-8 text takes in a terminal: two for a Chinese character (three
// or four bytes in UTF-8), one for anything else.
size_t DisplayWidth(std::string_view text) {
  size_t width = 0;
  for (char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      ++width;
    } else if (byte >= 0xE0) {
      width += 2;
    } else if (byte >= 0xC0) {
      ++width;
    }
  }
  return width;
}

std::string Join(const std::vector<std::string>& parts, std::string_view with) {
  std::string joined;
  for (const std::string& part : parts) {
    if (!joined.empty()) joined += with;
    joined += part;
  }
  return joined;
}

}  // namespace

std::string OptionNames(const CLI::Option* opt, std::string_view separator) {
  std::vector<std::string> names;
  for (const std::string& name : opt->get_snames()) names.push_back("-" + name);
  for (const std::string& name : opt->get_lnames()) {
    names.push_back("--" + name);
  }
  return Join(names, separator);
}

std::string ChineseHelpFormatter::make_description(const CLI::App* app) const {
  const std::string description = app->get_description();
  return description.empty() ? "" : description + "\n\n";
}

std::string ChineseHelpFormatter::make_usage(const CLI::App* /*app*/,
                                             std::string name) const {
  return "用法：" + name + " " + usage_ + "\n";
}

std::string ChineseHelpFormatter::make_group(
    std::string group, bool is_positional,
    std::vector<const CLI::Option*> opts) const {
  std::string text = "\n" + group + "：\n";
  for (const CLI::Option* opt : opts) text += make_option(opt, is_positional);
  return text;
}

std::string ChineseHelpFormatter::make_option(const CLI::Option* opt,
                                              bool is_positional) const {
  std::string text = "  ";
  text += is_positional ? opt->get_name(true, false) : OptionNames(opt);
  text += opt->get_option_text();
  const std::string indent(get_column_width(), ' ');
  const size_t width = DisplayWidth(text);
  if (width < get_column_width()) {
    text.append(get_column_width() - width, ' ');
  } else {
    text += "\n" + indent;
  }
  for (char c : opt->get_description()) {
    text += c;
    if (c == '\n') text += indent;
  }
  return text + "\n";
}

std::string ChineseHelpFormatter::make_footer(const CLI::App* app) const {
  const std::string footer = app->get_footer();
  return footer.empty() ? "" : footer + "\n";
}

std::string UsageErrorText(std::string_view program, std::string_view text) {
  std::string message(program);
  message.append("：").append(ConsoleSafe(text));
  message.append("\n用 ").append(program).append(" --help 查看用法。\n");
  return message;
}

std::string ChineseFailureMessage(const CLI::App* app, const CLI::Error& e) {
  std::string text;
  if (dynamic_cast<const CLI::ValidationError*>(&e) != nullptr) {
    text = e.what();
  } else if (dynamic_cast<const CLI::ExtrasError*>(&e) != nullptr) {
    text = "有无法识别的参数：" + Join(app->remaining(), " ") + "。";
  } else if (dynamic_cast<const CLI::ArgumentMismatch*>(&e) != nullptr) {
    for (const CLI::Option* opt : app->get_options()) {
      if (!opt->get_positional() && opt->get_type_size() != 0 &&
          opt->count() > 1) {
        text = OptionNames(opt, "、") + " 只能给一次。";
        break;
      }
    }
  }
  if (text.empty()) text = "命令行有误，请检查各个选项和它们的值。";
  return UsageErrorText(app->get_name(), text);
}

}  // namespace xsrating
