// SPDX-License-Identifier: GPL-3.0-or-later
// xsrating-cli: the start command of the window, once per survey file, for
// batch work and automation.

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "cli/console.h"
#include "cli/figure_module_loader.h"
#include "cli/stage_record_job.h"
#include "cli/usage.h"
#include "core/date_time.h"
#include "core/file_io.h"
#include "core/number_text.h"
#include "core/own_files.h"
#include "core/rating.h"
#include "core/rating_analysis.h"
#include "core/rating_checks.h"
#include "core/rating_csv.h"
#include "core/rating_report.h"
#include "core/rating_warnings.h"
#include "core/result_file.h"
#include "core/roughness_zones.h"
#include "core/run.h"
#include "form/inputs.h"
#ifdef _WIN32
#include "cli/windows_console.h"
#endif

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
    // A lone CR parts the lines of a message box's text.
    std::string shown = xsrating::Shown(title) + ' ';
    for (size_t start = 0; start <= text.size();) {
      const size_t end = std::min(text.find('\r', start), text.size());
      shown += xsrating::Shown(text.substr(start, end - start));
      if (end < text.size()) shown += '\n';
      start = end + 1;
    }
    std::cerr << shown << '\n';
  }
  void ShowResultPath(const std::string& path) override {
    xsrating::PrintOnStandardOutput(path);
  }
};

// Ends with `status`, or with a failure when what was meant for standard
// output did not all arrive.
int Finish(int status) {
  const std::string failure = xsrating::StandardOutputFailure();
  if (failure.empty()) return status;
  std::cerr << kProgram << "：" << failure << '\n';
  return EXIT_FAILURE;
}

int UsageError(const std::string& message) {
  std::cerr << xsrating::UsageErrorText(kProgram, message);
  return kExitUsage;
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

// The working folder is put in front of a relative path, and nothing else is
// changed but dropping "." steps: "link/../v.txt" is where the system takes
// it (beside the folder that link points to), which "v.txt" may not be.
std::string AbsoluteUtf8(const std::string& file) {
#ifdef _WIN32
  // std::filesystem of MinGW's libstdc++ takes \\server\share\a.txt for a
  // relative path.
  return xsrating::WindowsFullPath(file);
#else
  std::filesystem::path path = xsrating::PathFromUtf8(file);
  if (path.is_relative()) {
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::current_path(ec);
    if (!ec) {
      for (const std::filesystem::path& step : path) {
        if (step != ".") absolute /= step;
      }
      path = absolute;
    }
  }
  return xsrating::PathToUtf8(path);
#endif
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

// A number the command line must be given: its option and how messages
// name it.
struct NumberOption {
  CLI::Option* option = nullptr;
  const char* what;     // "糙率"
  const char* example;  // "0.025"
};

// "-n, --roughness 后面缺少糙率的值，例如 -n 0.025。"
std::string MissingValue(const NumberOption& number) {
  return xsrating::OptionNames(number.option, "、") + " 后面缺少" +
         number.what + "的值，例如 -" + number.option->get_snames().front() +
         " " + number.example + "。";
}

// Values missing where CLI11 would misread them, refused before it parses,
// naming the option: "--slope=" with nothing after the '=', which CLI11 takes
// as "--slope" and so takes the next argument as the value, and a number
// option that ends the command line, which CLI11 reports without its name.
void RefuseMissingValues(const CLI::App& app,
                         std::span<const NumberOption> numbers, int argc,
                         char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--") return;
    const CLI::Option* option = app.get_option_no_throw(arg);
    for (const NumberOption& number : numbers) {
      if (i == argc - 1 && option != nullptr && option == number.option) {
        throw CLI::ValidationError(MissingValue(number));
      }
    }
    if (arg.size() < 4 || !arg.starts_with("--") ||
        arg.find('=') != arg.size() - 1) {
      continue;
    }
    const std::string name = arg.substr(0, arg.size() - 1);
    option = app.get_option_no_throw(name);
    if (option == nullptr) continue;  // Unknown: CLI11 says so.
    std::string hint = name + " 不带值，只写 " + name + "。";
    if (option->get_expected_min() > 0) {
      hint = "请在等号后写上它的值，例如 " + name + "=" +
             (name == "--zone-method"
                  ? std::string(xsrating::kSubsectionMethodName)
                  : std::string("文件.txt")) +
             "。";
    }
    if (name == "--plot") {
      hint = "只写 --plot 为 SVG 图，--plot=png 为 PNG 图。";
    }
    for (const NumberOption& number : numbers) {
      if (number.option == option) {
        hint = std::string("请在等号后写上") + number.what + "，例如 " + name +
               "=" + number.example + "。";
      }
    }
    throw CLI::ValidationError("“" + arg + "”的等号后面是空的：" + hint);
  }
}

// The numbers' texts: each given, with a value, and a number. The roughness
// may be left out when `zones` gives it instead, and then must be.
void CheckNumbers(const CLI::App& app, std::span<const NumberOption> numbers,
                  const CLI::Option* zones) {
  const CLI::Option* roughness = numbers.front().option;
  if (zones->count() > 0) {
    if (roughness->count() > 0) {
      throw CLI::ValidationError(
          xsrating::OptionNames(roughness, "、") +
          " 与 --zones 只能给一个：全断面一个糙率用 -n，分区糙率用 --zones。");
    }
    const std::string file = zones->as<std::string>();
    if (file.empty() || app.get_option_no_throw(file) != nullptr) {
      throw CLI::ValidationError(
          "--zones 后面缺少分区糙率文件，例如 --zones 分区糙率.txt。");
    }
  }
  for (const NumberOption& number : numbers) {
    const CLI::Option* option = number.option;
    if (option == roughness && zones->count() > 0) continue;
    if (option->count() == 0) {
      throw CLI::ValidationError(
          std::string("缺少") + number.what + "：请用 " +
          xsrating::OptionNames(option, " 或 ") + " 给出，例如 -" +
          option->get_snames().front() + " " + number.example +
          (option == roughness ? "；或用 --zones 给出分区糙率文件" : "") +
          "。");
    }
    // CLI11 takes the next argument as the value whatever it is: "-n -s
    // 0.0004" gives the roughness "-s".
    const std::string text = option->as<std::string>();
    if (text.empty() || app.get_option_no_throw(text) != nullptr) {
      throw CLI::ValidationError(MissingValue(number));
    }
    if (!xsrating::TextToNumber(text)) {
      throw CLI::ValidationError(std::string(number.what) + "“" + text + "”" +
                                 xsrating::NotANumberEnding(text));
    }
  }
}

// The files written beside each result file on request.
struct ExtraOutputs {
  bool table = false;  // --csv: <name>成果.csv
  // The table adds the equivalent roughness and the energy coefficient.
  bool zone_columns = false;
  std::string figure;  // --plot: "svg" or "png"; empty for none.
};

// SOURCE_DATE_EPOCH, when set, fixes the run's clock.
xsrating::Status ClockFromEnvironment(xsrating::RunHooks* hooks) {
  if (const char* epoch_text = std::getenv("SOURCE_DATE_EPOCH")) {
    const std::optional<int64_t> epoch = ParseEpoch(epoch_text);
    if (!epoch) {
      return xsrating::Status::Error(
          xsrating::StatusKind::kUsage,
          std::string("环境变量 SOURCE_DATE_EPOCH 的值“") + epoch_text +
              "”不是 1970 年以来的整秒数。");
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
  // Beside the program in a build folder; in the module folder once
  // installed. When it is in neither, the message names the first.
  std::filesystem::path file = folder / XSRATING_FIGURE_MODULE_FILE;
#ifdef XSRATING_INSTALLED_MODULE_DIR
  const std::filesystem::path installed =
      folder / XSRATING_INSTALLED_MODULE_DIR / XSRATING_FIGURE_MODULE_FILE;
  std::error_code error;
  if (!std::filesystem::exists(file, error) &&
      std::filesystem::exists(installed, error)) {
    file = installed;
  }
#endif
  return xsrating::FigureModule::Load(file, module);
#else
  (void)module;
  return xsrating::Status::Error(
      xsrating::StatusKind::kUnavailable,
      "这个版本构建时没有包含绘图模块，不能画图（--plot）；"
      "不加 --plot 可以照常计算，--csv 也可以用。");
#endif
}

// Writes the table and the figure of a run with `params` that has just
// written its result file, from the same rating and its check against
// gaugings (`analysis`, null without one). Prints each file's path on
// standard output.
xsrating::Status WriteExtraOutputs(const xsrating::RunParameters& params,
                                   const xsrating::Rating& rating,
                                   const xsrating::RatingAnalysis* analysis,
                                   const ExtraOutputs& outputs,
                                   const xsrating::FigureModule& figures) {
  const std::string& data_file_path = params.data_file_path;
  if (outputs.table) {
    const std::string path = xsrating::RatingFilePath(data_file_path, ".csv");
    if (xsrating::Status s = xsrating::SaveFileAtomically(
            path,
            xsrating::RatingTableCsv(rating.hydraulic_rows,
                                     outputs.zone_columns),
            xsrating::OwnFileSaveOptions(xsrating::OwnFile::kTable, path));
        !s.ok()) {
      return s;
    }
    xsrating::PrintOnStandardOutput(path);
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
                .heading = xsrating::RatingHeading(params),
                .analysis = analysis,
                .zones = rating.zones,
            },
            &bytes);
        !s.ok()) {
      return s;
    }
    if (xsrating::Status s = xsrating::SaveFileAtomically(
            path, bytes,
            xsrating::OwnFileSaveOptions(xsrating::OwnFile::kFigure, path));
        !s.ok()) {
      return s;
    }
    xsrating::PrintOnStandardOutput(path);
  }
  return xsrating::Status::Ok();
}

// Checks the rating of a run that has just written its result file against
// the gaugings of `run` into `*analysis`, for the figure too, and writes the
// report beside the result file, with the tests at `levels`; prints the
// report's path on standard output, and warns through `sink` when the table
// reaches too far above the gaugings.
xsrating::Status WriteGaugingsReport(const xsrating::RunParameters& params,
                                     const xsrating::Rating& rating,
                                     const xsrating::RatingReportRun& run,
                                     const xsrating::CheckLevels& levels,
                                     xsrating::MessageSink& sink,
                                     xsrating::RatingAnalysis* analysis) {
  if (xsrating::Status s = xsrating::AnalyzeGaugings(
          rating, params.slope_text, run.gaugings_path, analysis);
      !s.ok()) {
    return s;
  }
  xsrating::RatingChecks checks;
  if (xsrating::Status s = xsrating::CheckRating(*analysis, levels, &checks);
      !s.ok()) {
    return s;
  }
  const std::string path = xsrating::RatingReportPath(params.data_file_path);
  if (xsrating::Status s = xsrating::SaveFileAtomically(
          path, xsrating::RatingReportCsv(*analysis, checks, run),
          xsrating::OwnFileSaveOptions(xsrating::OwnFile::kReport, path));
      !s.ok()) {
    return s;
  }
  xsrating::PrintOnStandardOutput(path);
  if (const std::optional<std::string> warning =
          xsrating::ExtensionWarning(*analysis)) {
    sink.ShowWarning(*warning, xsrating::kRatingWarningsTitle);
  }
  return xsrating::Status::Ok();
}

// True when `typed` is a pattern that matched no file: it holds '*' or '?'
// (which Windows has expanded already, and which no Windows file name holds)
// and nothing is at `path`, its full path.
bool IsUnmatchedPattern(const std::string& typed, const std::string& path) {
  if (typed.find_first_of("*?") == std::string::npos) return false;
  std::error_code error;
  return !std::filesystem::exists(xsrating::PathFromUtf8(path), error);
}

// The one note for the earlier result files named as surveys, which are not
// run.
std::string SkippedResultsNote(const std::vector<std::string>& skipped) {
  const std::string why = "本程序以前算出的结果文件（第一行是“计算时间:”）";
  if (skipped.size() == 1) {
    return "跳过“" + skipped.front() + "”：它是" + why + "，不是地形文件。";
  }
  return "跳过 " + std::to_string(skipped.size()) + " 个" + why +
         "，它们不是地形文件，例如“" + skipped.front() + "”。";
}

int CliMain(int argc, char** argv) {
  xsrating::GuardStandardStreams();
  // An interrupted batch leaves no half-written temporary file behind.
  xsrating::RemoveTemporaryFileOnSignals();
  CLI::App app(
      "由河道大断面测量数据（起点距、高程）计算水位流量关系，\n"
      "结果写在每个地形文件旁，文件名为原名加“成果.txt”。",
      kProgram);
  app.formatter(std::make_shared<xsrating::ChineseHelpFormatter>(
      "(-n 糙率 | --zones 分区糙率文件 [--zone-method 分区|综合])\n"
      "       -s 比降 -m 点子数量 [--csv] [--plot[=svg|png]]\n"
      "       [--gaugings 实测流量文件 [--test-levels A,B,C]]\n"
      "       [--stage-record 水位过程文件] 地形文件..."));
  app.failure_message(xsrating::ChineseFailureMessage);
  app.get_formatter()->label("Positionals", "参数");
  app.option_defaults()->group("选项");
  app.footer(
      "退出状态：\n"
      "  0  没有地形文件失败（以前的结果文件跳过，不算失败）\n"
      "  1  有地形文件没有算成（其余的照样计算），或标准输出无法写入\n"
      "  2  命令行有误，或 --plot 要用的绘图模块无法加载；什么都没有写\n"
      "\n"
      "环境变量：\n"
      "  SOURCE_DATE_EPOCH  设定时，结果文件的计算时间取这一时刻（UTC），\n"
      "                     值为 1970 年以来的整秒数，便于得到可重复的文件");

  std::string roughness_text;
  std::string slope_text;
  std::string stages_text;
  std::vector<std::string> files;
  const NumberOption numbers[] = {
      {app.add_option("-n,--roughness", roughness_text,
                      "糙率（曼宁系数 n），例如 0.025"),
       xsrating::DescribeInput(xsrating::InputBox::kRoughness).name,
       xsrating::DescribeInput(xsrating::InputBox::kRoughness).example},
      {app.add_option("-s,--slope", slope_text,
                      "水面比降，例如 0.0004（照原样写入结果文件）"),
       xsrating::DescribeInput(xsrating::InputBox::kSlope).name,
       xsrating::DescribeInput(xsrating::InputBox::kSlope).example},
      {app.add_option("-m,--stages", stages_text,
                      "水位流量关系曲线点子数量，1 到 100"),
       xsrating::DescribeInput(xsrating::InputBox::kStageCount).name,
       xsrating::DescribeInput(xsrating::InputBox::kStageCount).example},
  };
  for (const NumberOption& number : numbers) {
    number.option->option_text(" 数值");
  }
  const std::string plot_help =
      "另写断面图与水位流量、水位面积关系曲线图，\n"
      "文件名为原名加“成果.svg”（--plot）或\n"
      "“成果.png”（--plot=png）；要用与本程序\n"
      "在同一文件夹里的绘图模块";
  CLI::Option* plot_option =
      app.add_flag("--plot{svg}", plot_help)->option_text("[=svg|png]");
  const std::string csv_help =
      "另写完整水力要素表（UTF-8 CSV），\n文件名为原名加“成果.csv”";
  CLI::Option* csv_option = app.add_flag("--csv", csv_help);
  std::string gaugings_path;
  CLI::Option* gaugings_option =
      app.add_option("--gaugings", gaugings_path,
                     "实测流量文件（每行水位、流量）：另写率定糙率、\n率定表"
                     "和关系式，"
                     "文件名为原名加“率定.csv”；\n只能有一个地形数据文件")
          ->option_text(" 文件");
  std::string test_levels_text;
  CLI::Option* test_levels_option =
      app.add_option("--test-levels", test_levels_text,
                     "率定表中符号检验、适线检验、偏离数值检验的\n"
                     "显著性水平，各在 0 与 1 之间，默认 0.25,0.05,0.2")
          ->option_text(" A,B,C");
  std::string zones_path;
  CLI::Option* zones_option =
      app.add_option("--zones", zones_path,
                     "分区糙率文件（每行分区起点距、糙率），代替 -n：\n"
                     "断面上糙率分段不同时用")
          ->option_text(" 文件");
  std::string zone_method_text;
  CLI::Option* zone_method_option =
      app.add_option("--zone-method", zone_method_text,
                     "分区糙率的算法：分区（各分区流量相加，默认）\n"
                     "或综合（全断面一个综合糙率）")
          ->option_text(" 分区|综合");
  std::string stage_record_path;
  CLI::Option* stage_record_option =
      app.add_option("--stage-record", stage_record_path,
                     "水位过程文件（每行日期、时间、水位）：另写各记录的\n"
                     "流量、日平均流量和逐日平均流量表，文件名为\n"
                     "水位过程文件名加“流量.csv”；只能有一个地形数据文件")
          ->option_text(" 文件");
  app.add_option("地形文件", files, "地形数据文件（.txt），可以有多个")
      ->option_text("...");
  app.set_version_flag("--version",
                       std::string(kProgram) + " " + XSRATING_VERSION,
                       "显示程序的版本");
  app.set_help_flag("-h,--help", "显示本帮助");

  ExtraOutputs extra;
  xsrating::CheckLevels test_levels;
  try {
    RefuseMissingValues(app, numbers, argc, argv);
    app.parse(argc, argv);
    CheckNumbers(app, numbers, zones_option);
    if (zone_method_option->count() > 0) {
      if (zones_option->count() == 0) {
        throw CLI::ValidationError(
            "--zone-method 只用于分区糙率，请同时用 --zones "
            "给出分区糙率文件。");
      }
      if (!xsrating::ZoneMethodFromName(zone_method_text)) {
        throw CLI::ValidationError("“--zone-method " + zone_method_text +
                                   "”：分区糙率的算法只能是 " +
                                   xsrating::kSubsectionMethodName + " 或 " +
                                   xsrating::kCompositeMethodName + "。");
      }
    }
    for (const std::string& format : plot_option->results()) {
      if (format != "svg" && format != "png") {
        throw CLI::ValidationError("“--plot=" + format +
                                   "”：图的格式只能是 svg 或 png。");
      }
      extra.figure = format;
    }
    for (const std::string& value : csv_option->results()) {
      if (value != "true") {
        throw CLI::ValidationError("“--csv=" + value +
                                   "”：--csv 不带值，只写 --csv。");
      }
      extra.table = true;
    }
    if (files.empty()) throw CLI::ValidationError("缺少地形数据文件。");
    if (test_levels_option->count() > 0) {
      if (const xsrating::Status s =
              xsrating::ParseCheckLevels(test_levels_text, &test_levels);
          !s.ok()) {
        throw CLI::ValidationError("--test-levels：" + s.message());
      }
    }
  } catch (const CLI::Success& e) {
    return Finish(app.exit(e));
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return kExitUsage;
  }

  if (gaugings_option->count() > 0 && files.size() != 1) {
    return UsageError("有 --gaugings 时只能给一个地形数据文件。");
  }
  if (stage_record_option->count() > 0 && files.size() != 1) {
    return UsageError("有 --stage-record 时只能给一个地形数据文件。");
  }
  if (gaugings_option->count() > 0 && zones_option->count() > 0) {
    return UsageError(
        "--gaugings 暂时不能与 --zones 同用：实测流量的率定目前只按全断面"
        "一个糙率计算，请用 -n 给出糙率。");
  }

  xsrating::RunParameters params;
  if (zones_option->count() > 0) {
    extra.zone_columns = true;
    params.zone_method = zone_method_option->count() > 0
                             ? *xsrating::ZoneMethodFromName(zone_method_text)
                             : xsrating::ZoneMethod::kSubsection;
  } else {
    params.roughness = *xsrating::TextToNumber(roughness_text);
  }
  params.slope_text = slope_text;
  params.stage_count = *xsrating::TextToNumber(stages_text);

  xsrating::RunHooks hooks;
  if (const xsrating::Status s = ClockFromEnvironment(&hooks); !s.ok()) {
    return UsageError(s.message());
  }
  xsrating::FigureModule figures;
  if (!extra.figure.empty()) {
    if (const xsrating::Status s = LoadFigureModule(&figures); !s.ok()) {
      std::cerr << kProgram << "：" << xsrating::Shown(s.message()) << '\n';
      return ExitStatusFor(s.kind());
    }
  }

  // A bad zones file would fail every survey: nothing is run or written.
  if (zones_option->count() > 0) {
    if (const xsrating::Status s = xsrating::ReadRoughnessZones(
            AbsoluteUtf8(zones_path), &params.zones);
        !s.ok()) {
      std::cerr << kProgram << "：" << xsrating::Shown(s.message()) << '\n';
      return Finish(EXIT_FAILURE);
    }
  }
  // A bad stage record would leave the run without its flow table: it is
  // read and checked before anything is written.
  xsrating::StageRecordJob stage_record;
  if (stage_record_option->count() > 0) {
    if (const xsrating::Status s =
            stage_record.Read(AbsoluteUtf8(stage_record_path));
        !s.ok()) {
      std::cerr << kProgram << "：" << xsrating::Shown(s.message()) << '\n';
      return Finish(EXIT_FAILURE);
    }
  }
  // A survey that fails does not stop the others. Earlier results among the
  // files, as "*.txt" names them in a folder that was run before, are no
  // surveys: skipped, told once, not a failure.
  ConsoleSink sink;
  int failed = 0;
  std::vector<std::string> surveys;
  std::vector<std::string> skipped;
  for (const std::string& file : files) {
    const std::string path = AbsoluteUtf8(file);
    if (IsUnmatchedPattern(file, path)) {
      std::cerr << kProgram << "：没有与“" << xsrating::Shown(file)
                << "”相符的文件。\n";
      ++failed;
    } else if (xsrating::IsEarlierResultFile(path)) {
      skipped.push_back(path);
    } else {
      surveys.push_back(path);
    }
  }
  if (!skipped.empty()) {
    // Only failures begin with the program's name.
    std::cerr << xsrating::Shown(SkippedResultsNote(skipped)) << '\n';
  }
  const auto print_failure = [](const xsrating::Status& status) {
    std::cerr << kProgram << "：" << xsrating::Shown(status.message()) << '\n';
  };
  const std::vector<xsrating::Status> clashes =
      xsrating::ResultPathClashes(surveys);
  for (size_t i = 0; i < surveys.size(); ++i) {
    if (!clashes[i].ok()) {
      print_failure(clashes[i]);
      ++failed;
      continue;
    }
    params.data_file_path = surveys[i];
    // One time for the result file and the report beside it.
    const xsrating::LocalDateTime run_time =
        hooks.now ? hooks.now() : xsrating::CurrentLocalTime();
    xsrating::RunHooks run_hooks = hooks;
    run_hooks.now = [run_time] { return run_time; };
    xsrating::Rating rating;
    if (const xsrating::Status status =
            xsrating::RunComputation(params, sink, run_hooks, &rating);
        !status.ok()) {
      print_failure(status);
      ++failed;
      continue;
    }
    if (const std::string note = xsrating::QuestionMarkNote(
            params.data_file_path,
            xsrating::ResultFilePath(params.data_file_path));
        !note.empty()) {
      std::cerr << note << '\n';
    }
    // The files beside the result were asked for too: without them the
    // survey has failed.
    bool all_written = true;
    // The figure shows the gaugings when they could be checked.
    std::optional<xsrating::RatingAnalysis> analysis;
    if (gaugings_option->count() > 0) {
      const xsrating::RatingReportRun run = {
          .data_file_path = params.data_file_path,
          .gaugings_path = AbsoluteUtf8(gaugings_path),
          .roughness_text = roughness_text,
          .slope_text = slope_text,
          .run_time = run_time,
      };
      analysis.emplace();
      if (const xsrating::Status s = WriteGaugingsReport(
              params, rating, run, test_levels, sink, &*analysis);
          !s.ok()) {
        print_failure(s);
        all_written = false;
        analysis.reset();
      }
    }
    if (const xsrating::Status s = WriteExtraOutputs(
            params, rating, analysis ? &*analysis : nullptr, extra, figures);
        !s.ok()) {
      print_failure(s);
      all_written = false;
    }
    // Without the gaugings' check asked for, the flow would not be the
    // calibrated one.
    if (stage_record_option->count() > 0 &&
        (analysis || gaugings_option->count() == 0)) {
      if (const xsrating::Status s = stage_record.Write(
              params, rating, analysis ? &*analysis : nullptr, run_time, sink);
          !s.ok()) {
        print_failure(s);
        all_written = false;
      }
    }
    if (!all_written) ++failed;
  }
  if (files.size() > 1) {
    const size_t succeeded =
        files.size() - skipped.size() - static_cast<size_t>(failed);
    std::cerr << "共 " << files.size() << " 个文件：算成 " << succeeded
              << " 个，失败 " << failed << " 个，跳过 " << skipped.size()
              << " 个。\n";
  }
  return Finish(failed == 0 ? EXIT_SUCCESS : EXIT_FAILURE);
}

}  // namespace

#ifdef _WIN32
// cmd and PowerShell hand "*.txt" to the program as typed: the C runtime
// expands '*' and '?' in the arguments that are not quoted, as Windows
// programs do. A pattern that matches nothing stays as typed.
extern "C" {
int _dowildcard = -1;
}

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
