// SPDX-License-Identifier: GPL-3.0-or-later
// The loadable figure module behind figure_abi/figure_module.h.
#include "figure_abi/figure_module.h"

#include <QApplication>
#include <QCoreApplication>
#include <QString>
#include <cstdio>
#include <exception>
#include <string>
#include <string_view>
#include <type_traits>

#include "core/base/status.h"
#include "core/hydraulics/hydraulic_table.h"
#include "figure/svg_painter.h"
#include "figure_abi/figure_module_rows.h"
#include "plot/rating_figure.h"

// The _WIN32 branches here are built only with a Qt for Windows, which Debian
// does not ship: the Windows cross build has no figure module.
#if defined(_WIN32)
#define XSRATING_FIGURE_EXPORT __declspec(dllexport)
#else
#define XSRATING_FIGURE_EXPORT __attribute__((visibility("default")))
#endif

extern "C" XSRATING_FIGURE_EXPORT int XsratingRenderFigure(
    int abi_version, const XsratingFigureRequest* request);
extern "C" XSRATING_FIGURE_EXPORT void XsratingEndFigures();

// The loader finds the functions by name and calls them through these types.
static_assert(
    std::is_same_v<decltype(&XsratingRenderFigure), XsratingRenderFigureFn>);
static_assert(
    std::is_same_v<decltype(&XsratingEndFigures), XsratingEndFiguresFn>);

namespace xsrating {
namespace {

void ReportError(const XsratingFigureRequest& request,
                 std::string_view message) {
  if (request.write_error != nullptr) {
    request.write_error(request.context, message.data(), message.size());
  }
}

// Standard error carries the program's own messages, in Chinese; Qt's notes
// to developers (a missing runtime folder, a font substituted) stay out of it.
void KeepDeveloperNotesQuiet(QtMsgType type, const QMessageLogContext&,
                             const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg) {
    std::fprintf(stderr, "%s\n", message.toUtf8().constData());
  }
}

// The QApplication this module started, and the message handler it replaced.
QApplication* started_qt = nullptr;
QtMessageHandler replaced_handler = nullptr;

// Qt draws text only with a QGuiApplication (its fonts), though it needs no
// display: unless the user chose a platform the figure is drawn offscreen,
// which also keeps it independent of a screen's resolution. Windows always
// has its own platform and may ship without the offscreen one.
Status StartQt() {
  if (QCoreApplication::instance() != nullptr) {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr) {
      return Status::Ok();
    }
    return Status::Error(
        "无法绘图：所在程序已启动的 Qt 没有图形界面（QApplication）。");
  }
  replaced_handler = qInstallMessageHandler(KeepDeveloperNotesQuiet);
#ifndef _WIN32
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
#endif
  // QApplication keeps references to both for its whole life.
  static int argc = 1;
  static char program[] = "xsrating";
  static char* argv[] = {program, nullptr};
  started_qt = new QApplication(argc, argv);
  return Status::Ok();
}

void EndQt() {
  if (started_qt == nullptr) return;
  delete started_qt;
  started_qt = nullptr;
  qInstallMessageHandler(replaced_handler);
  replaced_handler = nullptr;
}

// Whether every array of `request` is there for its count, and the
// callback that takes the figure.
bool IsComplete(const XsratingFigureRequest& request) {
  const auto held = [](const void* array, size_t count) {
    return array != nullptr || count == 0;
  };
  const XsratingFigureAnalysis* analysis = request.analysis;
  const XsratingFigureHydrograph* hydrograph = request.hydrograph;
  return held(request.points, request.point_count) &&
         held(request.rows, request.row_count) && request.format != nullptr &&
         request.write_figure != nullptr &&
         held(request.zones, request.zone_count) &&
         (analysis == nullptr ||
          (held(analysis->gaugings, analysis->gauging_count) &&
           held(analysis->rows, analysis->row_count))) &&
         (hydrograph == nullptr ||
          (held(hydrograph->readings, hydrograph->reading_count) &&
           held(hydrograph->days, hydrograph->day_count)));
}

int Render(const XsratingFigureRequest& request) {
  if (!IsComplete(request)) {
    ReportError(request, "绘图模块收到的请求不完整。");
    return XSRATING_FIGURE_FAILED;
  }
  const std::string_view format = request.format;
  if (format != "svg" && format != "png") {
    ReportError(request, "图的格式“" + std::string(format) +
                             "”无法写出：只能是 svg 或 png。");
    return XSRATING_FIGURE_FAILED;
  }
  const figure::FigureRequest figure = FromPlainFigureRequest(request);
  std::string bytes;
  if (format == "svg") {
    bytes = figure::FigureSvg(figure);
  } else {
    if (const Status s = StartQt(); !s.ok()) {
      ReportError(request, s.message());
      return XSRATING_FIGURE_FAILED;
    }
    if (const Status s = FigurePng(figure, &bytes); !s.ok()) {
      ReportError(request, s.message());
      return XSRATING_FIGURE_FAILED;
    }
  }
  request.write_figure(request.context, bytes.data(), bytes.size());
  return XSRATING_FIGURE_OK;
}

}  // namespace
}  // namespace xsrating

int XsratingRenderFigure(int abi_version,
                         const XsratingFigureRequest* request) {
  if (abi_version != XSRATING_FIGURE_ABI_VERSION) {
    return XSRATING_FIGURE_WRONG_VERSION;
  }
  if (request == nullptr) return XSRATING_FIGURE_OK;
  // No exception may cross into a caller that may not even be C++.
  try {
    return xsrating::Render(*request);
  } catch (const std::exception& e) {
    xsrating::ReportError(*request,
                          std::string("绘图时出错：") + e.what() + "。");
  } catch (...) {
    xsrating::ReportError(*request, "绘图时出错。");
  }
  return XSRATING_FIGURE_FAILED;
}

void XsratingEndFigures() { xsrating::EndQt(); }
