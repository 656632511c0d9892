# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the shared libraries an ELF file names as needed (DT_NEEDED, the list
# ldd starts from), read with readelf -d. Run as
#   cmake -DREADELF=readelf -DFILE=<file> -DREQUIRED=<prefix,...>
#         -DFORBIDDEN=<prefix,...> -P check_needed_libraries.cmake
# Every REQUIRED prefix must begin some needed library's name; no FORBIDDEN
# prefix may begin any.
execute_process(COMMAND "${READELF}" -d "${FILE}"
  OUTPUT_VARIABLE dynamic ERROR_VARIABLE errors RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${READELF} -d ${FILE} failed: ${errors}")
endif()
string(REGEX MATCHALL "Shared library: \\[[^\n]*\\]" entries "${dynamic}")
set(needed "")
foreach(entry IN LISTS entries)
  string(REGEX REPLACE "Shared library: \\[(.*)\\]" "\\1" name "${entry}")
  list(APPEND needed "${name}")
endforeach()

string(REPLACE "," ";" required "${REQUIRED}")
string(REPLACE "," ";" forbidden "${FORBIDDEN}")
foreach(prefix IN LISTS required)
  set(found FALSE)
  foreach(name IN LISTS needed)
    string(FIND "${name}" "${prefix}" at)
    if(at EQUAL 0)
      set(found TRUE)
    endif()
  endforeach()
  if(NOT found)
    message(FATAL_ERROR "${FILE} needs no ${prefix}*; it needs: ${needed}")
  endif()
endforeach()
foreach(prefix IN LISTS forbidden)
  foreach(name IN LISTS needed)
    string(FIND "${name}" "${prefix}" at)
    if(at EQUAL 0)
      message(FATAL_ERROR "${FILE} needs ${name}")
    endif()
  endforeach()
endforeach()
