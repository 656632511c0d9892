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

#include "core/file_io.h"
#include "core/regional.h"
#include "core/run.h"

#if XSRATING_WITH_PLOT
#include <QApplication>
#include <QByteArray>
#include <QFileInfo>
#include <QString>
#include <memory>

#include "core/cross_section.h"
#include "core/hydraulic_table.h"
#include "plot/rating_csv.h"
#include "plot/rating_figure.h"
#endif

namespace {

constexpr char kProgram[] = "xsrating-cli";
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
  std::filesystem::path path = xsrating::PathFromUtf8(file);
  if (path.is_relative()) {
    std::error_code ec;
    const std::filesystem::path cwd = std::filesystem::current_path(ec);
    if (!ec) path = (cwd / path).lexically_normal();
  }
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
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

#if XSRATING_WITH_PLOT
// Rendering needs a QApplication but never a display: unless the user chose
// a platform, the figure is drawn offscreen, which also keeps the drawing
// independent of a screen's resolution. Without --plot no Qt starts at all.
std::unique_ptr<QApplication> StartQt(const char* program) {
  // Standard error carries the program's own messages, in Chinese; Qt's notes
  // to developers (a missing runtime folder, a font substituted) stay out of
  // it. Critical and fatal messages still come through.
  qInstallMessageHandler(
      [](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtCriticalMsg || type == QtFatalMsg) {
          std::cerr << message.toStdString() << '\n';
        }
      });
#ifndef _WIN32
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
#endif
  static int qt_argc = 1;
  static char* qt_argv[] = {const_cast<char*>(program), nullptr};
  return std::make_unique<QApplication>(qt_argc, qt_argv);
}

// Writes the table and the figure of a run that has just written its result
// file, computed again from the same survey and parameters. Prints each file's
// path on standard output.
xsrating::Status WriteExtraOutputs(const xsrating::RunParameters& params,
                                   const ExtraOutputs& outputs) {
  xsrating::FigureData data;
  if (xsrating::Status s =
          xsrating::ReadCrossSection(params.data_file_path, &data.section);
      !s.ok()) {
    return s;
  }
  if (xsrating::Status s = xsrating::ComputeHydraulicTable(
          data.section, params.roughness, params.slope_text, params.stage_count,
          &data.rows);
      !s.ok()) {
    return s;
  }
  if (outputs.table) {
    const std::string path =
        xsrating::RatingFilePath(params.data_file_path, ".csv");
    if (xsrating::Status s = xsrating::SaveFileAtomically(
            path, xsrating::RatingTableCsv(data.rows));
        !s.ok()) {
      return s;
    }
    std::cout << path << '\n' << std::flush;
  }
  if (!outputs.figure.empty()) {
    const std::string path =
        xsrating::RatingFilePath(params.data_file_path, "." + outputs.figure);
    const QString name =
        QFileInfo(QString::fromStdString(path)).completeBaseName();
    const QByteArray bytes = outputs.figure == "png"
                                 ? xsrating::FigurePng(data)
                                 : xsrating::FigureSvg(data, name);
    if (xsrating::Status s = xsrating::SaveFileAtomically(
            path, std::string_view(bytes.constData(), bytes.size()));
        !s.ok()) {
      return s;
    }
    std::cout << path << '\n' << std::flush;
  }
  return xsrating::Status::Ok();
}
#endif

}  // namespace

int main(int argc, char** argv) {
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
               "--plot=png 为 PNG，文件名为原名加“成果.svg”或“成果.png”")
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

#if XSRATING_WITH_PLOT
  std::unique_ptr<QApplication> qt;
  if (!extra.figure.empty()) qt = StartQt(argv[0]);
#else
  if (extra.any()) {
    return UsageError(
        "这个程序构建时没有包含图和水力要素表（--plot、--csv）。");
  }
#endif

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
#if XSRATING_WITH_PLOT
    if (!extra.any()) continue;
    if (const xsrating::Status written = WriteExtraOutputs(params, extra);
        !written.ok()) {
      std::cerr << kProgram << "：" << written.message() << '\n';
      all_ok = false;
    }
#endif
  }
  return all_ok ? EXIT_SUCCESS : EXIT_FAILURE;
}
