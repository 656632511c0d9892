// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CLI_FIGURE_MODULE_LOADER_H_
#define XSRATING_CLI_FIGURE_MODULE_LOADER_H_

// The command line's side of the figure module (figure_abi/figure_module.h says
// why it is a module): finding it beside the program, loading it at run time,
// and a C++ call around its C entry point. Free of Qt.

#include <filesystem>
#include <span>
#include <string>

#include "core/base/status.h"
#include "core/base/types.h"
#include "core/calibration/rating_analysis.h"
#include "core/hydraulics/hydraulic_table.h"
#include "core/hydraulics/roughness_zones.h"
#include "figure_abi/figure_module.h"

namespace xsrating {

// The folder of the running program's executable file (/proc/self/exe on
// Linux, _NSGetExecutablePath on macOS, GetModuleFileNameW on Windows), with
// symbolic links resolved; empty when the system does not say.
std::filesystem::path ProgramDirectory();

// One figure, as XsratingFigureRequest describes it: the section and the
// hydraulic table of a rating, both kept by the caller during Render, and
// its check against gaugings.
struct FigureModuleRequest {
  const CrossSection* section = nullptr;
  std::span<const HydraulicRow> rows;
  std::string format;     // "svg" or "png".
  std::string title;      // UTF-8; SVG only.
  std::string heading{};  // UTF-8; the line above the charts.
  // The rating checked against gaugings; none without them. Kept by the
  // caller during Render.
  const RatingAnalysis* analysis = nullptr;
  // The roughness zones on the section; none for one roughness.
  std::span<const AppliedZone> zones{};
};

class FigureModule {
 public:
  FigureModule() = default;
  FigureModule(const FigureModule&) = delete;
  FigureModule& operator=(const FigureModule&) = delete;
  // Ends the Qt that the module's drawings started: so declare the module in
  // main(), where it ends before the process does.
  ~FigureModule();

  // Loads the module file at `path` and checks that it is a figure module of
  // this program's XSRATING_FIGURE_ABI_VERSION. On failure, `module` is
  // unchanged and the message, in Simplified Chinese, names the file and says
  // whether it is missing, cannot be loaded (with the system's reason), or is
  // not a module of this version. `module` must not have one loaded yet. The
  // module file stays loaded until the process ends: Qt cannot be unloaded.
  static Status Load(const std::filesystem::path& path, FigureModule* module);

  bool loaded() const { return render_ != nullptr; }

  // Draws the figure of `request` into `*figure` (the file's bytes). Fails
  // with the module's message, or when no module is loaded; `*figure` is then
  // unchanged.
  Status Render(const FigureModuleRequest& request, std::string* figure) const;

 private:
  XsratingRenderFigureFn render_ = nullptr;
  XsratingEndFiguresFn end_ = nullptr;
};

}  // namespace xsrating

#endif  // XSRATING_CLI_FIGURE_MODULE_LOADER_H_
