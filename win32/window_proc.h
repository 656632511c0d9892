// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_WIN32_WINDOW_PROC_H_
#define XSRATING_WIN32_WINDOW_PROC_H_

#include <windows.h>

namespace xsrating {

// The window procedure of a window class whose windows are each one object
// of `Window`: the object given to CreateWindowExW as its parameter is kept
// in the window's user data from WM_NCCREATE to WM_NCDESTROY, its hwnd_ set
// and cleared with it, and every message between goes to its
// Handle(message, wparam, lparam).
template <typename Window>
LRESULT DispatchToWindow(HWND hwnd, UINT message, WPARAM wparam,
                         LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* window = static_cast<Window*>(
        reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    window->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
  }
  auto* window =
      reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (window == nullptr) return DefWindowProcW(hwnd, message, wparam, lparam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    window->hwnd_ = nullptr;
    return DefWindowProcW(hwnd, message, wparam, lparam);
  }
  return window->Handle(message, wparam, lparam);
}

}  // namespace xsrating

#endif  // XSRATING_WIN32_WINDOW_PROC_H_
