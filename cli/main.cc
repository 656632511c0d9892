// SPDX-License-Identifier: GPL-3.0-or-later
// xsrating-cli: the start command of the window, once per survey file, for
// batch work and automation.

#include <CLI/CLI.hpp>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/figure_module_loader.h"
#include "core/cross_section.h"
#include "core/file_io.h"
#include "core/hydraulic_table.h"
#include "core/regional.h"
#include "core/run.h"
#include "plot/rating_csv.h"
#ifdef _WIN32
#include "cli/windows_console.h"
#endif

namespace {

constexpr char kProgram[] = "xsrating-cli";
// Exit status 2: the command line is wrong, or something else stops the
// program before the first run (a figure module that is missing or does not
// load); nothing has been written then.
constexpr int kExitUsage = 2;
// 9999-12-31 23:59:59 UTC: the last instant a four-digit year can show.
constexpr long long kLastEpochSecond = 253402300799LL;

// The result path goes to standard output, one line per file, so scripts can
// pick it up; every other message goes to standard error.
class ConsoleSink : public xsrating::MessageSink {
 public:
  void ShowWarning(const std::string& text, const std::string& title) override {
    if (title == xsrating::kResultSavedTitle) {
      std::cout << text << '\n' << std::flush;
      return;
    }
    std::string shown = text;
    for (char& c : shown) {
      if (c == '\r') c = '\n';
    }
    std::cerr << title << ' ' << shown << '\n';
  }
};

int UsageError(const std::string& message) {
  std::cerr << kProgram << "：" << message << "\n用 " << kProgram
            << " --help 查看用法。\n";
  return kExitUsage;
}

std::string AbsoluteUtf8(const std::string& file) {
#ifdef _WIN32
  // std::filesystem of MinGW's libstdc++ takes \\server\share\a.txt for a
  // relative path.
  return xsrating::WindowsFullPath(file);
#else
  std::filesystem::path path = xsrating::PathFromUtf8(file);
  if (path.is_relative()) {
    std::error_code ec;
    const std::filesystem::path cwd = std::filesystem::current_path(ec);
    if (!ec) path = (cwd / path).lexically_normal();
  }
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
#endif
}

// Reads SOURCE_DATE_EPOCH, the reproducible-output convention: whole seconds
// since 1970-01-01 UTC.
std::optional<long long> ParseEpoch(const char* text) {
  const std::string_view digits(text);
  if (digits.empty() || digits.size() > 12) return std::nullopt;
  long long seconds = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    seconds = seconds * 10 + (c - '0');
  }
  if (seconds > kLastEpochSecond) return std::nullopt;
  return seconds;
}

// CLI11 reads "--slope=" with nothing after the '=' as if its value were the
// next argument, which would then go missing from its own place. Typed that
// way the value is an empty text: pass it as one.
std::vector<std::string> WithEmptyValuesSplit(int argc, char** argv) {
  std::vector<std::string> args;
  bool options_ended = false;
  for (int i = 0; i < argc; ++i) {
    const std::string arg = argv[i];
    options_ended = options_ended || arg == "--";
    if (!options_ended && i > 0 && arg.size() > 3 && arg.rfind("--", 0) == 0 &&
        arg.back() == '=') {
      args.push_back(arg.substr(0, arg.size() - 1));
      args.emplace_back();
    } else {
      args.push_back(arg);
    }
  }
  return args;
}

// The files written beside each result file on request.
struct ExtraOutputs {
  bool table = false;  // --csv: <name>成果.csv
  std::string figure;  // --plot: "svg" or "png"; empty for none.
  bool any() const { return table || !figure.empty(); }
};

#ifdef XSRATING_FIGURE_MODULE_FILE
// The figure module, from the program's own folder. Loaded only for --plot:
// it brings in Qt, some fifty libraries, which every other run would pay for
// at start-up.
xsrating::Status LoadFigureModule(xsrating::FigureModule* module) {
  const std::filesystem::path folder = xsrating::ProgramDirectory();
  if (folder.empty()) {
    return xsrating::Status::Error(
        "找不到本程序所在的文件夹，无法加载绘图模块（--plot）。");
  }
  return xsrating::FigureModule::Load(folder / XSRATING_FIGURE_MODULE_FILE,
                                      module);
}
#endif

// Writes the table and the figure of a run that has just written its result
// file, computed again from the same survey and parameters. Prints each file's
// path on standard output.
xsrating::Status WriteExtraOutputs(const xsrating::RunParameters& params,
                                   const ExtraOutputs& outputs,
                                   const xsrating::FigureModule& figures) {
  if (outputs.table) {
    xsrating::CrossSection section;
    if (xsrating::Status s =
            xsrating::ReadCrossSection(params.data_file_path, &section);
        !s.ok()) {
      return s;
    }
    std::vector<xsrating::HydraulicRow> rows;
    if (xsrating::Status s = xsrating::ComputeHydraulicTable(
            section, params.roughness, params.slope_text, params.stage_count,
            &rows);
        !s.ok()) {
      return s;
    }
    const std::string path =
        xsrating::RatingFilePath(params.data_file_path, ".csv");
    if (xsrating::Status s =
            xsrating::SaveFileAtomically(path, xsrating::RatingTableCsv(rows));
        !s.ok()) {
      return s;
    }
    std::cout << path << '\n' << std::flush;
  }
  if (!outputs.figure.empty()) {
    const std::string path =
        xsrating::RatingFilePath(params.data_file_path, "." + outputs.figure);
    // The SVG document is titled with the file's own name, "sec1成果".
    const std::u8string title = xsrating::PathFromUtf8(path).stem().u8string();
    std::string bytes;
    if (xsrating::Status s = figures.Render(
            {
                .survey_path = params.data_file_path,
                .roughness = params.roughness,
                .slope_text = params.slope_text,
                .stage_count = params.stage_count,
                .format = outputs.figure,
                .title = std::string(title.begin(), title.end()),
            },
            &bytes);
        !s.ok()) {
      return s;
    }
    if (xsrating::Status s = xsrating::SaveFileAtomically(path, bytes);
        !s.ok()) {
      return s;
    }
    std::cout << path << '\n' << std::flush;
  }
  return xsrating::Status::Ok();
}

int CliMain(int argc, char** argv) {
  CLI::App app(
      "由河道大断面测量数据（起点距、高程）计算水位流量关系，\n"
      "结果写在每个地形文件旁，文件名为原名加“成果.txt”。",
      kProgram);
  std::string roughness_text;
  std::string slope_text;
  std::string stages_text;
  std::vector<std::string> files;
  CLI::Option* roughness_option = app.add_option(
      "-n,--roughness", roughness_text, "糙率（曼宁系数 n），例如 0.025");
  CLI::Option* slope_option = app.add_option(
      "-s,--slope", slope_text, "水面比降，例如 0.0004（照原样写入结果文件）");
  CLI::Option* stages_option = app.add_option(
      "-m,--stages", stages_text, "水位流量关系曲线点子数量，不超过 100");
  ExtraOutputs extra;
  app.add_flag("--plot{svg}", extra.figure,
               "另写断面图与水位流量、水位面积关系曲线图：--plot 为 SVG，"
               "--plot=png 为 PNG，文件名为原名加“成果.svg”或“成果.png”；"
               "要用与本程序在同一文件夹里的绘图模块")
      ->check(CLI::IsMember({"svg", "png"}));
  app.add_flag("--csv", extra.table,
               "另写完整水力要素表（UTF-8 CSV），文件名为原名加“成果.csv”");
  app.add_option("FILE", files, "地形数据文件（.txt），可以有多个");
  app.set_version_flag("--version",
                       std::string(kProgram) + " " + XSRATING_VERSION);
  app.set_help_flag("-h,--help", "显示本帮助");

  try {
    std::vector<std::string> args = WithEmptyValuesSplit(argc, argv);
    std::vector<char*> arg_pointers;
    for (std::string& arg : args) arg_pointers.push_back(arg.data());
    app.parse(static_cast<int>(arg_pointers.size()), arg_pointers.data());
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ExtrasError& e) {
    return UsageError(std::string("有无法识别的参数（") + e.what() + "）。");
  } catch (const CLI::ParseError& e) {
    return UsageError(std::string("命令行有误（") + e.what() + "）。");
  }

  const std::pair<CLI::Option*, const char*> required[] = {
      {roughness_option,
       "缺少糙率：请用 -n 或 --roughness 给出，例如 -n 0.025。"},
      {slope_option, "缺少比降：请用 -s 或 --slope 给出，例如 -s 0.0004。"},
      {stages_option,
       "缺少水位流量关系曲线点子数量：请用 -m 或 --stages 给出，例如 -m 20。"},
  };
  for (const auto& [option, message] : required) {
    if (option->count() == 0) return UsageError(message);
  }
  if (files.empty()) return UsageError("缺少地形数据文件。");

  xsrating::RunParameters params;
  const std::optional<double> roughness =
      xsrating::TextToNumber(roughness_text);
  if (!roughness) {
    return UsageError("糙率“" + roughness_text + "”不是数字。");
  }
  const std::optional<double> stages = xsrating::TextToNumber(stages_text);
  if (!stages) {
    return UsageError("水位流量关系曲线点子数量“" + stages_text +
                      "”不是数字。");
  }
  params.roughness = *roughness;
  params.slope_text = slope_text;
  params.stage_count = *stages;

  xsrating::RunHooks hooks;
  if (const char* epoch_text = std::getenv("SOURCE_DATE_EPOCH")) {
    const std::optional<long long> epoch = ParseEpoch(epoch_text);
    if (!epoch) {
      return UsageError(std::string("环境变量 SOURCE_DATE_EPOCH 的值“") +
                        epoch_text + "”不是 1970 年以来的整秒数。");
    }
    hooks.now = [seconds = *epoch] {
      return xsrating::UtcFromEpochSeconds(seconds);
    };
  }

  // A module that is missing or will not load stops the program before any
  // run, like a usage error: every survey would lack its figure.
  xsrating::FigureModule figures;
  if (!extra.figure.empty()) {
#ifdef XSRATING_FIGURE_MODULE_FILE
    if (const xsrating::Status loaded = LoadFigureModule(&figures);
        !loaded.ok()) {
      std::cerr << kProgram << "：" << loaded.message() << '\n';
      return kExitUsage;
    }
#else
    return UsageError(
        "这个版本构建时没有包含绘图模块，不能画图（--plot）；"
        "不加 --plot 可以照常计算，--csv 也可以用。");
#endif
  }

  ConsoleSink sink;
  bool all_ok = true;
  for (const std::string& file : files) {
    params.data_file_path = AbsoluteUtf8(file);
    const xsrating::Status status =
        xsrating::RunComputation(params, sink, hooks);
    if (!status.ok()) {
      std::cerr << kProgram << "：" << status.message() << '\n';
      all_ok = false;
      continue;
    }
    if (!extra.any()) continue;
    if (const xsrating::Status written =
            WriteExtraOutputs(params, extra, figures);
        !written.ok()) {
      std::cerr << kProgram << "：" << written.message() << '\n';
      all_ok = false;
    }
  }
  return all_ok ? EXIT_SUCCESS : EXIT_FAILURE;
}

}  // namespace

#ifdef _WIN32
// Windows passes the arguments as UTF-16, which holds any file name whatever
// the console's code page; the program works in UTF-8.
int wmain(int argc, wchar_t** argv) {
  xsrating::UseWindowsStandardStreams();
  std::vector<std::string> args = xsrating::Utf8Arguments(argc, argv);
  std::vector<char*> arg_pointers;
  for (std::string& arg : args) arg_pointers.push_back(arg.data());
  arg_pointers.push_back(nullptr);
  return CliMain(argc, arg_pointers.data());
}
#else
int main(int argc, char** argv) { return CliMain(argc, argv); }
#endif
