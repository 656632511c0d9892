# SPDX-License-Identifier: GPL-3.0-or-later
# What a Linux installation holds beyond the programs (manual pages, the
# package's documentation) and the .deb that carries it all: scripts/package.sh
# runs CPack on the release build.

if(NOT CMAKE_SYSTEM_NAME STREQUAL "Linux")
  return()
endif()

set(data_dir ${PROJECT_SOURCE_DIR}/app/data)

# Debian keeps manual pages and changelogs gzipped, without a time stamp, so
# that the same sources give the same package.
set(gzipped)
function(xsrating_gzip source output)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${output}.tmp
    COMMAND gzip -9nf ${output}.tmp
    COMMAND ${CMAKE_COMMAND} -E rename ${output}.tmp.gz ${output}
    DEPENDS ${source} VERBATIM)
  set(gzipped ${gzipped} ${output} PARENT_SCOPE)
endfunction()

set(programs xsrating-cli)
if(XSRATING_BUILD_GUI)
  list(APPEND programs xsrating)
endif()
foreach(program IN LISTS programs)
  foreach(language en zh_CN)
    set(page ${CMAKE_BINARY_DIR}/man/${language}/${program}.1.gz)
    xsrating_gzip(${data_dir}/man/${language}/${program}.1 ${page})
    if(language STREQUAL "en")
      install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    else()
      install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/${language}/man1)
    endif()
  endforeach()
endforeach()
# A native package (no Debian revision): its changelog is changelog.gz.
xsrating_gzip(${data_dir}/debian/changelog ${CMAKE_BINARY_DIR}/doc/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/doc/changelog.gz
  ${data_dir}/debian/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
add_custom_target(xsrating_install_data ALL DEPENDS ${gzipped})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME xsrating)
set(CPACK_PACKAGE_VENDOR "The xsrating developers")
set(CPACK_PACKAGE_CONTACT "The xsrating developers <dev@xsrating.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "stage-discharge table of a surveyed river cross-section")
# The summary above is the synopsis; this is the text below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "From a surveyed river cross-section (distance and bed elevation of each
point, bank crest to bank crest), a Manning roughness, a water-surface slope
and a number of stage points, xsrating computes the section's
stage-discharge table (water level, wetted area, discharge by Manning's
formula) and writes it as a GBK text file beside the survey. It is a
desktop tool for hydrologists, in Simplified Chinese, with a command-line
program, xsrating-cli, for batch work.")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's Chinese texts of Qt's own dialogs, and fonts that hold them.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-noto-cjk")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
