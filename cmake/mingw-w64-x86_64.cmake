# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 toolchain, in its
# POSIX-threads flavour (std::thread and std::mutex need it). Programs are run
# under Wine, so the tests work without a Windows machine or a display.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(XSRATING_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${XSRATING_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${XSRATING_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${XSRATING_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${XSRATING_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Each program runs alone: the C and C++ runtimes and winpthread linked in,
# no DLL to ship beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Wine from Debian's wine64 package, with a prefix of its own inside the build
# folder, no display, and no offer to install Mono or Gecko.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  find_program(XSRATING_WINE64 NAMES wine64
    PATHS /usr/lib/wine /usr/lib64/wine NO_DEFAULT_PATH)
  if(NOT XSRATING_WINE64)
    find_program(XSRATING_WINE64 NAMES wine64 wine)
  endif()
  if(XSRATING_WINE64)
    set(CMAKE_CROSSCOMPILING_EMULATOR
      env -u DISPLAY -u WAYLAND_DISPLAY
      WINEPREFIX=${CMAKE_BINARY_DIR}/wine WINEDEBUG=-all
      WINEDLLOVERRIDES=mscoree,mshtml=
      ${XSRATING_WINE64})
  endif()
endif()
