// SPDX-License-Identifier: GPL-3.0-or-later
// The window program on Windows.
#include <windows.h>

#include <memory>

#include "win32/form1_window.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  // A drive without its medium is told by the window, not by the system's
  // own "insert a disk" box.
  SetErrorMode(SEM_FAILCRITICALERRORS);
  std::unique_ptr<xsrating::Form1Window> window =
      xsrating::Form1Window::Create(instance);
  if (window == nullptr) return 1;
  window->QuitOnDestroy();
  ShowWindow(window->hwnd(), show);
  UpdateWindow(window->hwnd());
  return xsrating::RunMessageLoop(window->hwnd());
}
