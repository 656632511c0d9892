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
#include "cli/usage.h"
#include "core/base/date_time.h"
#include "core/base/file_io.h"
#include "core/base/number_text.h"
#include "core/calibration/rating_analysis.h"
#include "core/calibration/rating_checks.h"
#include "core/flow/record_flow.h"
#include "core/hydraulics/rating.h"
#include "core/hydraulics/roughness_zones.h"
#include "core/input/stage_record.h"
#include "core/input/zones_file.h"
#include "core/output/own_files.h"
#include "core/output/rating_csv.h"
#include "core/output/rating_heading.h"
#include "core/output/rating_report.h"
#include "core/output/result_file.h"
#include "core/run/rating_warnings.h"
#include "core/run/run.h"
#include "core/run/survey_outputs.h"
#include "figure/figure_request.h"
#include "figure/svg_painter.h"
#include "form/inputs.h"
#ifdef _WIN32
#include "cli/windows_console.h"
#include "figure_gdiplus/gdiplus_painter.h"
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
    std::string shown = xsrating::ConsoleSafe(title) + ' ';
    for (size_t start = 0; start <= text.size();) {
      const size_t end = std::min(text.find('\r', start), text.size());
      shown += xsrating::ConsoleSafe(text.substr(start, end - start));
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
    case xsrating::StatusKind::kNotASurvey:
    case xsrating::StatusKind::kOtherInput:
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
        "找不到本程序所在的文件夹，无法加载绘图模块（--plot=png）。");
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
      "这个版本构建时没有包含绘图模块，不能画 PNG 图（--plot=png）；"
      "SVG 图（--plot）和 --csv 照常可以用。");
#endif
}

// The core's figure renderer on the command line: the SVG drawn here,
// without the module, so that it is the same bytes on every platform; the
// PNG by the figure module, which alone links Qt, and on Windows by GDI+.
class CliFigureRenderer : public xsrating::FigureRenderer {
 public:
  explicit CliFigureRenderer(const xsrating::FigureModule& module)
      : module_(module) {}
  xsrating::Status Render(const xsrating::FigureRequest& request,
                          std::string* bytes) override {
    const xsrating::figure::FigureRequest figure =
        xsrating::figure::RequestFor(request);
    if (request.format == "svg") {
      *bytes = xsrating::figure::FigureSvg(figure);
      return xsrating::Status::Ok();
    }
#ifdef _WIN32
    // Drawn inside the program by GDI+, which every Windows has: no figure
    // module there.
    return xsrating::figure::FigurePng(figure, bytes);
#else
    return module_.Render(figure, request.format, bytes);
#endif
  }

 private:
  const xsrating::FigureModule& module_;
};

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

// The one note for the files named as surveys that are other inputs of the
// station (gaugings, zones, a stage record), each failure's message telling
// where the file belongs.
std::string SkippedInputsNote(const std::vector<std::string>& messages) {
  std::string note = "跳过 " + std::to_string(messages.size()) +
                     " 个不是地形文件的文件，不算失败：";
  for (const std::string& message : messages) {
    note += "\n  " + xsrating::ConsoleSafe(message);
  }
  return note;
}

// What the command line asks for, parsed and checked.
struct CliRequest {
  xsrating::RunParameters params;
  xsrating::OutputRequest outputs;
  std::string zones_path;  // Empty when the roughness is given with -n.
  std::vector<std::string> files;
};

// The option values as CLI11 fills them, and the options themselves.
struct CliOptions {
  std::string roughness_text;
  std::string slope_text;
  std::string stages_text;
  std::string gaugings_path;
  std::string test_levels_text;
  std::string zones_path;
  std::string zone_method_text;
  std::string stage_record_path;
  std::vector<std::string> files;
  std::vector<NumberOption> numbers;
  CLI::Option* plot = nullptr;
  CLI::Option* csv = nullptr;
  CLI::Option* gaugings = nullptr;
  CLI::Option* test_levels = nullptr;
  CLI::Option* zones = nullptr;
  CLI::Option* zone_method = nullptr;
  CLI::Option* stage_record = nullptr;
};

void DescribeProgram(CLI::App& app) {
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
      "  0  没有地形文件失败（以前的结果文件跳过，不算失败；一次给多个\n"
      "     文件时，实测流量、分区糙率、水位过程文件也跳过）\n"
      "  1  有地形文件没有算成（其余的照样计算），或标准输出无法写入\n"
      "  2  命令行有误，或 --plot=png 要用的绘图模块无法加载；什么都没有写\n"
      "\n"
      "环境变量：\n"
      "  SOURCE_DATE_EPOCH  设定时，结果文件的计算时间取这一时刻（UTC），\n"
      "                     值为 1970 年以来的整秒数，便于得到可重复的文件");
}

NumberOption AddNumberOption(CLI::App& app, const char* names,
                             std::string& value, const char* help,
                             xsrating::InputBox box) {
  CLI::Option* option = app.add_option(names, value, help);
  option->option_text(" 数值");
  return {option, xsrating::DescribeInput(box).name,
          xsrating::DescribeInput(box).example};
}

void DefineOptions(CLI::App& app, CliOptions& o) {
  DescribeProgram(app);
  o.numbers = {
      AddNumberOption(app, "-n,--roughness", o.roughness_text,
                      "糙率（曼宁系数 n），例如 0.025",
                      xsrating::InputBox::kRoughness),
      AddNumberOption(app, "-s,--slope", o.slope_text,
                      "水面比降，例如 0.0004（照原样写入结果文件）",
                      xsrating::InputBox::kSlope),
      AddNumberOption(app, "-m,--stages", o.stages_text,
                      "水位流量关系曲线点子数量，1 到 100",
                      xsrating::InputBox::kStageCount),
  };
  o.plot = app.add_flag("--plot{svg}")
               ->description(
                   "另写断面图与水位流量、水位面积关系曲线图，\n"
                   "文件名为原名加“成果.svg”（--plot）或\n"
                   "“成果.png”（--plot=png，要用与本程序\n"
                   "在同一文件夹里的绘图模块）")
               ->option_text("[=svg|png]");
  o.csv = app.add_flag("--csv")->description(
      "另写完整水力要素表（UTF-8 CSV），\n文件名为原名加“成果.csv”");
  o.gaugings = app.add_option("--gaugings", o.gaugings_path,
                              "实测流量文件（每行水位、流量）：另写率定糙率、\n"
                              "率定表和关系式，文件名为原名加“率定.csv”；\n"
                              "只能有一个地形数据文件")
                   ->option_text(" 文件");
  o.test_levels =
      app.add_option("--test-levels", o.test_levels_text,
                     "率定表中符号检验、适线检验、偏离数值检验的\n"
                     "显著性水平，各在 0 与 1 之间，默认 0.25,0.05,0.2")
          ->option_text(" A,B,C");
  o.zones = app.add_option("--zones", o.zones_path,
                           "分区糙率文件（每行分区起点距、糙率），代替 -n：\n"
                           "断面上糙率分段不同时用")
                ->option_text(" 文件");
  o.zone_method =
      app.add_option("--zone-method", o.zone_method_text,
                     "分区糙率的算法：分区（各分区流量相加，默认）\n"
                     "或综合（全断面一个综合糙率）")
          ->option_text(" 分区|综合");
  o.stage_record =
      app.add_option("--stage-record", o.stage_record_path,
                     "水位过程文件（每行日期、时间、水位）：另写各记录的\n"
                     "流量、日平均流量和逐日平均流量表，文件名为\n"
                     "水位过程文件名加“流量.csv”；只能有一个地形数据文件")
          ->option_text(" 文件");
  app.add_option("地形文件", o.files, "地形数据文件（.txt），可以有多个")
      ->option_text("...");
  app.set_version_flag("--version",
                       std::string(kProgram) + " " + XSRATING_VERSION,
                       "显示程序的版本");
  app.set_help_flag("-h,--help", "显示本帮助");
}

// The checks CLI11 cannot make, after it has parsed; a failure throws
// CLI::ValidationError, as CLI11's own do.
void CheckOptions(const CLI::App& app, const CliOptions& o,
                  xsrating::OutputRequest* outputs) {
  CheckNumbers(app, o.numbers, o.zones);
  if (o.zone_method->count() > 0) {
    if (o.zones->count() == 0) {
      throw CLI::ValidationError(
          "--zone-method 只用于分区糙率，请同时用 --zones "
          "给出分区糙率文件。");
    }
    if (!xsrating::ZoneMethodFromName(o.zone_method_text)) {
      throw CLI::ValidationError("“--zone-method " + o.zone_method_text +
                                 "”：分区糙率的算法只能是 " +
                                 xsrating::kSubsectionMethodName + " 或 " +
                                 xsrating::kCompositeMethodName + "。");
    }
  }
  for (const std::string& format : o.plot->results()) {
    if (format != "svg" && format != "png") {
      throw CLI::ValidationError("“--plot=" + format +
                                 "”：图的格式只能是 svg 或 png。");
    }
    outputs->figure_format = format;
  }
  for (const std::string& value : o.csv->results()) {
    if (value != "true") {
      throw CLI::ValidationError("“--csv=" + value +
                                 "”：--csv 不带值，只写 --csv。");
    }
    outputs->table = true;
  }
  if (o.files.empty()) throw CLI::ValidationError("缺少地形数据文件。");
  if (o.test_levels->count() > 0) {
    if (const xsrating::Status s =
            xsrating::ParseCheckLevels(o.test_levels_text, &outputs->levels);
        !s.ok()) {
      throw CLI::ValidationError("--test-levels：" + s.message());
    }
  }
}

// The rules between options that CLI11 has no words for: nullopt when the
// options go together, else the usage error's message.
std::optional<std::string> OptionClash(const CliOptions& o) {
  if (o.gaugings->count() > 0 && o.files.size() != 1) {
    return "有 --gaugings 时只能给一个地形数据文件。";
  }
  if (o.stage_record->count() > 0 && o.files.size() != 1) {
    return "有 --stage-record 时只能给一个地形数据文件。";
  }
  if (o.gaugings->count() > 0 && o.zones->count() > 0) {
    return "--gaugings 暂时不能与 --zones 同用：实测流量的率定目前只按全断面"
           "一个糙率计算，请用 -n 给出糙率。";
  }
  return std::nullopt;
}

// Parses the command line into *request. Returns the exit status when the
// program ends here (help, version, a usage error), nullopt when it runs.
std::optional<int> ParseCommandLine(int argc, char** argv,
                                    CliRequest* request) {
  CLI::App app(
      "由河道大断面测量数据（起点距、高程）计算水位流量关系，\n"
      "结果写在每个地形文件旁，文件名为原名加“成果.txt”。",
      kProgram);
  CliOptions o;
  DefineOptions(app, o);
  try {
    RefuseMissingValues(app, o.numbers, argc, argv);
    app.parse(argc, argv);
    CheckOptions(app, o, &request->outputs);
  } catch (const CLI::Success& e) {
    return Finish(app.exit(e));
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return kExitUsage;
  }
  if (const std::optional<std::string> clash = OptionClash(o)) {
    return UsageError(*clash);
  }
  xsrating::RunParameters& params = request->params;
  if (o.zones->count() > 0) {
    request->zones_path = AbsoluteUtf8(o.zones_path);
    params.zone_method = o.zone_method->count() > 0
                             ? *xsrating::ZoneMethodFromName(o.zone_method_text)
                             : xsrating::ZoneMethod::kSubsection;
  } else {
    params.roughness = *xsrating::TextToNumber(o.roughness_text);
  }
  params.slope_text = o.slope_text;
  params.stage_count = *xsrating::TextToNumber(o.stages_text);
  if (o.gaugings->count() > 0) {
    request->outputs.gaugings_path = AbsoluteUtf8(o.gaugings_path);
  }
  if (o.stage_record->count() > 0) {
    request->outputs.stage_record_path = AbsoluteUtf8(o.stage_record_path);
  }
  request->files = o.files;
  return std::nullopt;
}

void PrintFailure(const xsrating::Status& status) {
  std::cerr << kProgram << "：" << xsrating::ConsoleSafe(status.message())
            << '\n';
}

// The warnings that go with a file written: the extension above the
// gaugings with the report, the stage record's with the flow table.
void ShowFileWarnings(xsrating::OwnFile kind,
                      const xsrating::SurveyOutputs& outputs,
                      xsrating::MessageSink& sink) {
  if (kind == xsrating::OwnFile::kReport && outputs.analysis) {
    if (const std::optional<std::string> warning =
            xsrating::ExtensionWarning(*outputs.analysis)) {
      sink.ShowWarning(*warning, xsrating::kRatingWarningsTitle);
    }
  }
  if (kind == xsrating::OwnFile::kFlowTable && outputs.flow) {
    std::string text;
    for (const std::string& warning :
         xsrating::FlowWarnings(outputs.flow->flow)) {
      if (!text.empty()) text += '\r';
      text += warning;
    }
    if (!text.empty()) {
      sink.ShowWarning(text, xsrating::kStageRecordWarningsTitle);
    }
  }
}

// Runs one survey of the batch with every file asked for; prints the paths
// written and the failures. False when the survey or a file of it failed;
// *skipped when it is an earlier result, or in a batch another input of the
// station (its message in *other_input), which is no failure.
bool RunOneSurvey(const CliRequest& request, const std::string& path,
                  const xsrating::RunHooks& hooks,
                  xsrating::FigureRenderer* figures,
                  xsrating::RunParameters* params, bool* skipped,
                  std::string* other_input) {
  params->data_file_path = path;
  ConsoleSink sink;
  xsrating::Rating rating;
  xsrating::SurveyOutputs outputs;
  const xsrating::Status status = xsrating::RunSurvey(
      *params, request.outputs, figures, sink, hooks, &rating, &outputs);
  *skipped = status.kind() == xsrating::StatusKind::kNotASurvey;
  // What "*.txt" sweeps up in a station's folder is no failure.
  if (status.kind() == xsrating::StatusKind::kOtherInput &&
      request.files.size() > 1) {
    *skipped = true;
    *other_input = status.message();
  }
  if (*skipped) return true;
  if (!status.ok()) {
    PrintFailure(status);
    return false;
  }
  if (const std::string note =
          xsrating::QuestionMarkNote(path, xsrating::ResultFilePath(path));
      !note.empty()) {
    std::cerr << note << '\n';
  }
  // The result file's path is the sink's to print; the others' are here.
  for (size_t i = 1; i < outputs.files.size(); ++i) {
    const xsrating::OutputFile& file = outputs.files[i];
    if (!file.status.ok()) {
      PrintFailure(file.status);
      continue;
    }
    xsrating::PrintOnStandardOutput(file.path);
    ShowFileWarnings(file.kind, outputs, sink);
  }
  return outputs.AllSaved();
}

// Runs every survey of the request, one after another; a survey that fails
// does not stop the others. Earlier results among the files, as "*.txt"
// names them in a folder that was run before, are no surveys: skipped, told
// once, not a failure. Returns the exit status.
int RunSurveys(const CliRequest& request, const xsrating::RunHooks& hooks,
               xsrating::FigureRenderer* figures) {
  xsrating::RunParameters params = request.params;
  int failed = 0;
  std::vector<std::string> paths;
  for (const std::string& file : request.files) {
    paths.push_back(AbsoluteUtf8(file));
  }
  std::vector<std::string> skipped;
  std::vector<std::string> other_inputs;  // Their messages.
  const std::vector<xsrating::Status> clashes =
      xsrating::ResultPathClashes(paths);
  for (size_t i = 0; i < paths.size(); ++i) {
    if (IsUnmatchedPattern(request.files[i], paths[i])) {
      std::cerr << kProgram << "：没有与“"
                << xsrating::ConsoleSafe(request.files[i]) << "”相符的文件。\n";
      ++failed;
      continue;
    }
    if (!clashes[i].ok()) {
      PrintFailure(clashes[i]);
      ++failed;
      continue;
    }
    // One time for the result file and the report beside it.
    const xsrating::LocalDateTime run_time =
        hooks.now ? hooks.now() : xsrating::CurrentLocalTime();
    xsrating::RunHooks run_hooks = hooks;
    run_hooks.now = [run_time] { return run_time; };
    bool skip = false;
    std::string other_input;
    if (!RunOneSurvey(request, paths[i], run_hooks, figures, &params, &skip,
                      &other_input)) {
      ++failed;
    }
    if (!other_input.empty()) {
      other_inputs.push_back(other_input);
    } else if (skip) {
      skipped.push_back(paths[i]);
    }
  }
  if (!skipped.empty()) {
    // Only failures begin with the program's name.
    std::cerr << xsrating::ConsoleSafe(SkippedResultsNote(skipped)) << '\n';
  }
  if (!other_inputs.empty()) {
    std::cerr << SkippedInputsNote(other_inputs) << '\n';
  }
  const size_t files = request.files.size();
  if (files > 1) {
    const size_t skipped_count = skipped.size() + other_inputs.size();
    std::cerr << "共 " << files << " 个文件：算成 "
              << files - skipped_count - static_cast<size_t>(failed)
              << " 个，失败 " << failed << " 个，跳过 " << skipped_count
              << " 个。\n";
  }
  return Finish(failed == 0 ? EXIT_SUCCESS : EXIT_FAILURE);
}

// Reads the zones file and the stage record the request names, if any.
xsrating::Status ReadInputFiles(CliRequest* request) {
  if (!request->zones_path.empty()) {
    if (xsrating::Status s = xsrating::ReadRoughnessZones(
            request->zones_path, &request->params.zones);
        !s.ok()) {
      return s;
    }
  }
  xsrating::OutputRequest& outputs = request->outputs;
  if (outputs.stage_record_path.empty()) return xsrating::Status::Ok();
  return xsrating::ReadStageRecord(outputs.stage_record_path,
                                   &outputs.stage_readings);
}

int CliMain(int argc, char** argv) {
  xsrating::GuardStandardStreams();
  // An interrupted batch leaves no half-written temporary file behind.
  xsrating::RemoveTemporaryFileOnSignals();
  CliRequest request;
  if (const std::optional<int> ended = ParseCommandLine(argc, argv, &request)) {
    return *ended;
  }
  xsrating::RunHooks hooks;
  if (const xsrating::Status s = ClockFromEnvironment(&hooks); !s.ok()) {
    return UsageError(s.message());
  }
  // Only the PNG needs the module (and its Qt).
  xsrating::FigureModule module;
#ifdef _WIN32
  // Windows draws the PNG inside the program too (CliFigureRenderer).
  const bool needs_module = false;
#else
  const bool needs_module = request.outputs.figure_format == "png";
#endif
  if (needs_module) {
    if (const xsrating::Status s = LoadFigureModule(&module); !s.ok()) {
      PrintFailure(s);
      return ExitStatusFor(s.kind());
    }
  }
  // A bad zones file would fail every survey, and a bad stage record would
  // leave the run without its flow table: both are read and checked before
  // anything is run or written.
  if (const xsrating::Status s = ReadInputFiles(&request); !s.ok()) {
    PrintFailure(s);
    return Finish(EXIT_FAILURE);
  }
  CliFigureRenderer figures(module);
  return RunSurveys(request, hooks, &figures);
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
