// SPDX-License-Identifier: GPL-3.0-or-later
// xsrating-cli: the start command of the window, once per survey file, for
// batch work and automation.

#include <CLI/CLI.hpp>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/figure_module_loader.h"
#include "core/date_time.h"
#include "core/file_io.h"
#include "core/number_text.h"
#include "core/rating.h"
#include "core/rating_csv.h"
#include "core/run.h"

namespace {

constexpr char kProgram[] = "xsrating-cli";
// Exit status 2: the command line is wrong, or something else stops the
// program before the first run (a figure module that is missing or does not
// load); nothing has been written then. Exit status 1: at least one survey
// failed; the others have been run.
constexpr int kExitUsage = 2;
// 9999-12-31 23:59:59 UTC: the last instant a four-digit year can show.
constexpr int64_t kLastEpochSecond = 253402300799;

// Every message goes to standard error, except the paths of the files
// written, which go to standard output, one line per file, so scripts can
// pick them up.
class ConsoleSink : public xsrating::MessageSink {
 public:
  void ShowWarning(const std::string& text, const std::string& title) override {
    std::string shown = text;
    for (char& c : shown) {
      if (c == '\r') c = '\n';
    }
    std::cerr << title << ' ' << shown << '\n';
  }
  void ShowResultPath(const std::string& path) override {
    std::cout << path << '\n' << std::flush;
  }
};

// A wrong command line is followed by where to find the right one.
void Report(const xsrating::Status& status) {
  std::cerr << kProgram << "：" << status.message() << '\n';
  if (status.kind() == xsrating::StatusKind::kUsage) {
    std::cerr << "用 " << kProgram << " --help 查看用法。\n";
  }
}

int ExitStatusFor(xsrating::StatusKind kind) {
  switch (kind) {
    case xsrating::StatusKind::kOk:
      return EXIT_SUCCESS;
    case xsrating::StatusKind::kUsage:
    case xsrating::StatusKind::kUnavailable:
      return kExitUsage;
    case xsrating::StatusKind::kBadInput:
    case xsrating::StatusKind::kFileSystem:
      break;
  }
  return EXIT_FAILURE;
}

xsrating::Status UsageError(std::string message) {
  return xsrating::Status::Error(xsrating::StatusKind::kUsage,
                                 std::move(message));
}

std::string AbsoluteUtf8(const std::string& file) {
  std::filesystem::path path = xsrating::PathFromUtf8(file);
  if (path.is_relative()) {
    std::error_code ec;
    const std::filesystem::path cwd = std::filesystem::current_path(ec);
    if (!ec) path = (cwd / path).lexically_normal();
  }
  return xsrating::PathToUtf8(path);
}

// Reads SOURCE_DATE_EPOCH, the reproducible-output convention: whole seconds
// since 1970-01-01 UTC.
std::optional<int64_t> ParseEpoch(const char* text) {
  const std::string_view digits(text);
  if (digits.empty() || digits.size() > 12) return std::nullopt;
  int64_t seconds = 0;
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
};

// Everything the command line asks for.
struct Request {
  std::string roughness_text;
  std::string slope_text;
  std::string stages_text;
  std::vector<std::string> files;
  ExtraOutputs extra;
};

// The options that a run cannot do without, once parsed.
struct Parsed {
  const CLI::Option* roughness;
  const CLI::Option* slope;
  const CLI::Option* stages;
  const std::vector<std::string>& files;
};

// The first thing the command line lacks, as a usage error; Ok when complete.
xsrating::Status CheckComplete(const Parsed& parsed) {
  const std::pair<const CLI::Option*, const char*> required[] = {
      {parsed.roughness,
       "缺少糙率：请用 -n 或 --roughness 给出，例如 -n 0.025。"},
      {parsed.slope, "缺少比降：请用 -s 或 --slope 给出，例如 -s 0.0004。"},
      {parsed.stages,
       "缺少水位流量关系曲线点子数量：请用 -m 或 --stages 给出，例如 -m 20。"},
  };
  for (const auto& [option, message] : required) {
    if (option->count() == 0) return UsageError(message);
  }
  if (parsed.files.empty()) return UsageError("缺少地形数据文件。");
  return xsrating::Status::Ok();
}

// Parses the command line into *request. Returns the exit status when the
// program ends here (help, version, or a wrong command line, reported).
std::optional<int> ParseCommandLine(int argc, char** argv, Request* request) {
  CLI::App app(
      "由河道大断面测量数据（起点距、高程）计算水位流量关系，\n"
      "结果写在每个地形文件旁，文件名为原名加“成果.txt”。",
      kProgram);
  CLI::Option* roughness_option =
      app.add_option("-n,--roughness", request->roughness_text,
                     "糙率（曼宁系数 n），例如 0.025");
  CLI::Option* slope_option =
      app.add_option("-s,--slope", request->slope_text,
                     "水面比降，例如 0.0004（照原样写入结果文件）");
  CLI::Option* stages_option =
      app.add_option("-m,--stages", request->stages_text,
                     "水位流量关系曲线点子数量，不超过 100");
  app.add_flag("--plot{svg}", request->extra.figure,
               "另写断面图与水位流量、水位面积关系曲线图：--plot 为 SVG，"
               "--plot=png 为 PNG，文件名为原名加“成果.svg”或“成果.png”；"
               "要用与本程序在同一文件夹里的绘图模块")
      ->check(CLI::IsMember({"svg", "png"}));
  app.add_flag("--csv", request->extra.table,
               "另写完整水力要素表（UTF-8 CSV），文件名为原名加“成果.csv”");
  app.add_option("FILE", request->files, "地形数据文件（.txt），可以有多个");
  app.set_version_flag("--version",
                       std::string(kProgram) + " " + XSRATING_VERSION);
  app.set_help_flag("-h,--help", "显示本帮助");

  xsrating::Status wrong;
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
    wrong = UsageError(std::string("有无法识别的参数（") + e.what() + "）。");
  } catch (const CLI::ParseError& e) {
    wrong = UsageError(std::string("命令行有误（") + e.what() + "）。");
  }
  if (wrong.ok()) {
    wrong = CheckComplete(
        {roughness_option, slope_option, stages_option, request->files});
  }
  if (wrong.ok()) return std::nullopt;
  Report(wrong);
  return ExitStatusFor(wrong.kind());
}

// The numbers of the request, and the run's clock.
xsrating::Status PrepareRun(const Request& request,
                            xsrating::RunParameters* params,
                            xsrating::RunHooks* hooks) {
  const std::optional<double> roughness =
      xsrating::TextToNumber(request.roughness_text);
  if (!roughness) {
    return UsageError("糙率“" + request.roughness_text + "”不是数字。");
  }
  const std::optional<double> stages =
      xsrating::TextToNumber(request.stages_text);
  if (!stages) {
    return UsageError("水位流量关系曲线点子数量“" + request.stages_text +
                      "”不是数字。");
  }
  params->roughness = *roughness;
  params->slope_text = request.slope_text;
  params->stage_count = *stages;

  if (const char* epoch_text = std::getenv("SOURCE_DATE_EPOCH")) {
    const std::optional<int64_t> epoch = ParseEpoch(epoch_text);
    if (!epoch) {
      return UsageError(std::string("环境变量 SOURCE_DATE_EPOCH 的值“") +
                        epoch_text + "”不是 1970 年以来的整秒数。");
    }
    hooks->now = [seconds = *epoch] {
      return xsrating::UtcFromEpochSeconds(seconds);
    };
  }
  return xsrating::Status::Ok();
}

// The figure module, from the program's own folder. A module that is missing
// or will not load stops the program before any run: every survey would lack
// its figure.
xsrating::Status LoadFigureModule(xsrating::FigureModule* module) {
#ifdef XSRATING_FIGURE_MODULE_FILE
  const std::filesystem::path folder = xsrating::ProgramDirectory();
  if (folder.empty()) {
    return xsrating::Status::Error(
        xsrating::StatusKind::kUnavailable,
        "找不到本程序所在的文件夹，无法加载绘图模块（--plot）。");
  }
  return xsrating::FigureModule::Load(folder / XSRATING_FIGURE_MODULE_FILE,
                                      module);
#else
  (void)module;
  return UsageError("这个程序构建时没有包含图（--plot）。");
#endif
}

// Writes the table and the figure of a run that has just written its result
// file, from the same rating. Prints each file's path on standard output.
xsrating::Status WriteExtraOutputs(const std::string& data_file_path,
                                   const xsrating::Rating& rating,
                                   const ExtraOutputs& outputs,
                                   const xsrating::FigureModule& figures) {
  if (outputs.table) {
    const std::string path = xsrating::RatingFilePath(data_file_path, ".csv");
    if (xsrating::Status s = xsrating::SaveFileAtomically(
            path, xsrating::RatingTableCsv(rating.hydraulic_rows));
        !s.ok()) {
      return s;
    }
    std::cout << path << '\n' << std::flush;
  }
  if (!outputs.figure.empty()) {
    const std::string path =
        xsrating::RatingFilePath(data_file_path, "." + outputs.figure);
    std::string bytes;
    if (xsrating::Status s = figures.Render(
            {
                .section = &rating.section,
                .rows = rating.hydraulic_rows,
                .format = outputs.figure,
                // The SVG document is titled with the file's own name,
                // "sec1成果".
                .title =
                    xsrating::PathToUtf8(xsrating::PathFromUtf8(path).stem()),
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

}  // namespace

int main(int argc, char** argv) {
  // An interrupted batch leaves no half-written temporary file behind.
  xsrating::RemoveTemporaryFileOnSignals();
  Request request;
  if (const std::optional<int> ended = ParseCommandLine(argc, argv, &request)) {
    return *ended;
  }
  xsrating::RunParameters params;
  xsrating::RunHooks hooks;
  if (const xsrating::Status s = PrepareRun(request, &params, &hooks);
      !s.ok()) {
    Report(s);
    return ExitStatusFor(s.kind());
  }
  xsrating::FigureModule figures;
  if (!request.extra.figure.empty()) {
    if (const xsrating::Status s = LoadFigureModule(&figures); !s.ok()) {
      Report(s);
      return ExitStatusFor(s.kind());
    }
  }

  // A survey that fails does not stop the others.
  ConsoleSink sink;
  int exit_status = EXIT_SUCCESS;
  std::vector<std::string> surveys;
  for (const std::string& file : request.files) {
    surveys.push_back(AbsoluteUtf8(file));
  }
  const std::vector<xsrating::Status> clashes =
      xsrating::ResultPathClashes(surveys);
  for (size_t i = 0; i < surveys.size(); ++i) {
    if (!clashes[i].ok()) {
      Report(clashes[i]);
      exit_status = EXIT_FAILURE;
      continue;
    }
    params.data_file_path = surveys[i];
    xsrating::Rating rating;
    xsrating::Status status =
        xsrating::RunComputation(params, sink, hooks, &rating);
    if (status.ok()) {
      status = WriteExtraOutputs(params.data_file_path, rating, request.extra,
                                 figures);
    }
    if (!status.ok()) {
      Report(status);
      exit_status = EXIT_FAILURE;
    }
  }
  return exit_status;
}
