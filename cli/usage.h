// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CLI_USAGE_H_
#define XSRATING_CLI_USAGE_H_

// The command line's help and its usage errors, in Chinese, through CLI11's
// own help formatter and failure-message hook.

#include <CLI/CLI.hpp>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace xsrating {

// The help's layout: the description, a usage line, the file and the options
// with their descriptions lined up whatever the width of their Chinese names,
// then the footer. An option's value is shown by its option_text, which
// follows its names directly (" 数值", "[=svg|png]").
class ChineseHelpFormatter : public CLI::Formatter {
 public:
  explicit ChineseHelpFormatter(std::string usage) : usage_(std::move(usage)) {}

  std::string make_description(const CLI::App* app) const override;
  std::string make_usage(const CLI::App* app, std::string name) const override;
  std::string make_group(std::string group, bool is_positional,
                         std::vector<const CLI::Option*> opts) const override;
  std::string make_option(const CLI::Option* opt,
                          bool is_positional) const override;
  std::string make_footer(const CLI::App* app) const override;

 private:
  std::string usage_;
};

// Every name `opt` answers to, joined by `separator`: "-n, --roughness".
std::string OptionNames(const CLI::Option* opt,
                        std::string_view separator = ", ");

// A usage error as the program prints it: its name, the text, and where to
// find the help.
std::string UsageErrorText(std::string_view program, std::string_view text);

// CLI11's failure message in Chinese. A CLI::ValidationError carries a text
// of the program's own, shown as it is; for CLI11's errors the text is made
// from what the parser holds (the arguments left over, the option given
// twice).
std::string ChineseFailureMessage(const CLI::App* app, const CLI::Error& e);

}  // namespace xsrating

#endif  // XSRATING_CLI_USAGE_H_
