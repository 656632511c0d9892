// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/figure_module_loader.h"

#include <optional>
#include <system_error>
#include <utility>
#include <vector>

#include "core/base/file_io.h"
#include "figure_abi/figure_module_rows.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif
#if defined(__APPLE__)
#include <mach-o/dyld.h>
#endif

namespace xsrating {
namespace {

enum class Loading { kDone, kNotLoaded, kSymbolMissing };

// The only place that knows how the system loads a library and finds a
// symbol in it. Fills `*entries` with one address per name of `names`. When
// the library does not load, `*reason` is the system's reason; when a symbol
// is missing, its name.
Loading LoadSymbols(const std::filesystem::path& path,
                    const std::vector<const char*>& names,
                    std::vector<void*>* entries, std::string* reason) {
#if defined(_WIN32)
  // The module's own folder is searched for the Qt libraries it needs.
  HMODULE library =
      LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (library == nullptr) {
    *reason = "Windows 错误 " + std::to_string(GetLastError());
    return Loading::kNotLoaded;
  }
  const auto find = [library](const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(library, name));
  };
  const auto unload = [library] { FreeLibrary(library); };
#else
  // RTLD_NOW: a Qt library that lacks a symbol fails here, with a message,
  // not in the middle of a drawing.
  void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    const char* error = dlerror();
    *reason = error != nullptr ? error : "dlopen";
    return Loading::kNotLoaded;
  }
  const auto find = [library](const char* name) {
    return dlsym(library, name);
  };
  const auto unload = [library] { dlclose(library); };
#endif
  entries->clear();
  for (const char* name : names) {
    void* entry = find(name);
    if (entry == nullptr) {
      *reason = name;
      unload();
      return Loading::kSymbolMissing;
    }
    entries->push_back(entry);
  }
  return Loading::kDone;
}

// What the module hands back through the request's callbacks.
struct Received {
  std::string figure;
  std::string error;
};

void ReceiveFigure(void* context, const char* data, size_t size) {
  static_cast<Received*>(context)->figure.append(data, size);
}

void ReceiveError(void* context, const char* data, size_t size) {
  static_cast<Received*>(context)->error.append(data, size);
}

}  // namespace

std::filesystem::path ProgramDirectory() {
  std::error_code ec;
  std::filesystem::path program;
#if defined(_WIN32)
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD size = GetModuleFileNameW(nullptr, buffer.data(),
                                          static_cast<DWORD>(buffer.size()));
    if (size == 0) return {};
    if (size < buffer.size()) {
      program.assign(buffer.data(), buffer.data() + size);
      break;
    }
    buffer.resize(buffer.size() * 2);  // Truncated: a long path.
  }
#elif defined(__APPLE__)
  uint32_t size = 0;
  _NSGetExecutablePath(nullptr, &size);
  std::vector<char> buffer(size + 1);
  if (_NSGetExecutablePath(buffer.data(), &size) != 0) return {};
  program = buffer.data();
#elif defined(__linux__)
  program = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return {};
#else
  return {};
#endif
  const std::filesystem::path real =
      std::filesystem::weakly_canonical(program, ec);
  return (ec ? program : real).parent_path();
}

Status FigureModule::Load(const std::filesystem::path& path,
                          FigureModule* module) {
  const std::string named = "绘图模块“" + PathToUtf8(path) + "”";
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    return Status::Error(
        StatusKind::kUnavailable,

        "找不到" + named +
            "。写图（--plot）要用它，它应与本程序在同一个文件夹里；"
            "不写图时不需要它。");
  }
  std::string reason;
  std::vector<void*> entries;
  switch (LoadSymbols(path,
                      {XSRATING_FIGURE_ENTRY_POINT, XSRATING_FIGURE_END_POINT},
                      &entries, &reason)) {
    case Loading::kDone:
      break;
    case Loading::kNotLoaded:
      return Status::Error(StatusKind::kUnavailable,
                           "无法加载" + named + "（" + reason +
                               "）。它需要的 Qt 库可能没有装好。");
    case Loading::kSymbolMissing:
      return Status::Error(
          StatusKind::kUnavailable,
          named + "不是本程序的绘图模块（其中没有 " + reason + "）。");
  }
  const auto render = reinterpret_cast<XsratingRenderFigureFn>(entries[0]);
  if (render(XSRATING_FIGURE_ABI_VERSION, nullptr) != XSRATING_FIGURE_OK) {
    return Status::Error(
        StatusKind::kUnavailable,
        named + "与本程序的版本不符，请使用与本程序一同发布的模块。");
  }
  module->render_ = render;
  module->end_ = reinterpret_cast<XsratingEndFiguresFn>(entries[1]);
  return Status::Ok();
}

FigureModule::~FigureModule() {
  if (end_ != nullptr) end_();
}

Status FigureModule::Render(const figure::FigureRequest& request,
                            std::string_view format,
                            std::string* figure) const {
  if (render_ == nullptr) {
    return Status::Error(StatusKind::kUnavailable, "绘图模块没有加载。");
  }
  const std::string format_text(format);
  PlainFigureRequest plain_request(request, format_text.c_str());
  Received received;
  XsratingFigureRequest& plain = plain_request.plain;
  plain.context = &received;
  plain.write_figure = ReceiveFigure;
  plain.write_error = ReceiveError;
  switch (render_(XSRATING_FIGURE_ABI_VERSION, &plain)) {
    case XSRATING_FIGURE_OK:
      *figure = std::move(received.figure);
      return Status::Ok();
    case XSRATING_FIGURE_FAILED:
      return Status::Error(received.error.empty() ? "绘图失败。"
                                                  : received.error);
    default:
      return Status::Error(StatusKind::kUnavailable,
                           "绘图模块与本程序的版本不符。");
  }
}

}  // namespace xsrating
