# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a source includes a header of a layer above its own, so that an
# arrow back up stops the build instead of tangling the core.
#   cmake -DSOURCE_DIR=<project> -DSTAMP=<file> -P check_layers.cmake
# Folders, lowest first; a folder may include its own headers and those of
# the folders before it in this list. core's layers come first, then what
# stands on the core.
set(layers
  core/base core/input core/hydraulics core/calibration core/flow
  core/output core/run figure form)
file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR}
  ${SOURCE_DIR}/core/*.h ${SOURCE_DIR}/core/*.cc
  ${SOURCE_DIR}/figure/*.h ${SOURCE_DIR}/figure/*.cc
  ${SOURCE_DIR}/form/*.h ${SOURCE_DIR}/form/*.cc)
set(faults "")
foreach(source IN LISTS sources)
  set(own -1)
  set(index 0)
  foreach(layer IN LISTS layers)
    string(FIND "${source}" "${layer}/" at)
    if(at EQUAL 0)
      set(own ${index})
    endif()
    math(EXPR index "${index} + 1")
  endforeach()
  if(own EQUAL -1)
    continue()
  endif()
  file(STRINGS ${SOURCE_DIR}/${source} includes REGEX "^#include \"")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" header "${line}")
    set(index 0)
    set(target -1)
    foreach(layer IN LISTS layers)
      string(FIND "${header}" "${layer}/" at)
      if(at EQUAL 0)
        set(target ${index})
      endif()
      math(EXPR index "${index} + 1")
    endforeach()
    # Any other folder of the project (ui/, cli/, plot/...) stands above all.
    if(target EQUAL -1 AND header MATCHES "^(cli|ui|win32|app|plot|figure_gdiplus)/")
      set(target 99)
    endif()
    if(target GREATER own)
      string(APPEND faults "  ${source} includes ${header}, a layer above its own\n")
    endif()
  endforeach()
endforeach()
if(faults)
  message(FATAL_ERROR "Includes that reach upwards:\n${faults}")
endif()
if(STAMP)
  file(TOUCH ${STAMP})
endif()
