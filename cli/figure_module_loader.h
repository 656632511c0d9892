// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CLI_FIGURE_MODULE_LOADER_H_
#define XSRATING_CLI_FIGURE_MODULE_LOADER_H_

// The command line's side of the figure module (figure_abi/figure_module.h says
// why it is a module): finding it beside the program, loading it at run time,
// and a C++ call around its C entry point. Free of Qt.

#include <filesystem>
#include <string>
#include <string_view>

#include "core/base/status.h"
#include "figure/figure_request.h"
#include "figure_abi/figure_module.h"

namespace xsrating {

// The folder of the running program's executable file (/proc/self/exe on
// Linux, _NSGetExecutablePath on macOS, GetModuleFileNameW on Windows), with
// symbolic links resolved; empty when the system does not say.
std::filesystem::path ProgramDirectory();

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

  // Draws the figure of `request` as `format` ("svg" or "png") into
  // `*figure` (the file's bytes). Fails with the module's message, or when no
  // module is loaded; `*figure` is then unchanged.
  Status Render(const figure::FigureRequest& request, std::string_view format,
                std::string* figure) const;

 private:
  XsratingRenderFigureFn render_ = nullptr;
  XsratingEndFiguresFn end_ = nullptr;
};

}  // namespace xsrating

#endif  // XSRATING_CLI_FIGURE_MODULE_LOADER_H_
