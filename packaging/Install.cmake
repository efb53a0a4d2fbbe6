# SPDX-License-Identifier: GPL-3.0-or-later
# Installation and the Debian package.
#
# cmake --install puts the program, kolva-cli and the meter simulator into <prefix>/bin, the user
# guide into <prefix>/share/kolva (where the installed program looks for it, app/InstallLayout.h),
# their manual pages, the desktop entry, the AppStream description and the icon (all named after
# the AppStream ID) where desktops and software centres find them, and the bash completion of
# kolva-cli. The package adds its copyright file and changelog.
# scripts/package.sh builds the package with CPack.

include(GNUInstallDirs)

set(KOLVA_APP_ID org.kolva.thermometer)
set(KOLVA_MAINTAINER "KOLVA Thermometer developers <developers@kolva.org>")

# Debian's Python first: it is the one python3-pandas (the tests) belongs to.
find_program(KOLVA_PYTHON NAMES python3 PATHS /usr/bin NO_DEFAULT_PATH)
find_program(KOLVA_PYTHON NAMES python3 REQUIRED)
find_program(KOLVA_GZIP NAMES gzip REQUIRED)

# Manual pages made from each program's --help and the hand-written sections in packaging/man,
# so that they cannot drift from the programs. Both the page and its gzipped form are kept.
set(KOLVA_MAN_DIR ${CMAKE_BINARY_DIR}/man)
string(TIMESTAMP _kolva_man_date "%Y-%m-%d" UTC)
set(_kolva_pages)
foreach(program kolva kolva-cli kolva-meter-sim)
  set(_page ${KOLVA_MAN_DIR}/${program}.1)
  add_custom_command(
    OUTPUT ${_page} ${_page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${KOLVA_MAN_DIR}
    COMMAND ${KOLVA_PYTHON} ${CMAKE_CURRENT_LIST_DIR}/man/manpage.py
            --program $<TARGET_FILE:${program}> --page ${CMAKE_CURRENT_LIST_DIR}/man/${program}.page
            --name ${program} --version ${PROJECT_VERSION} --date ${_kolva_man_date} -o ${_page}
    COMMAND ${KOLVA_GZIP} -9nkf ${_page}
    DEPENDS ${program} ${CMAKE_CURRENT_LIST_DIR}/man/manpage.py
            ${CMAKE_CURRENT_LIST_DIR}/man/${program}.page
    COMMENT "Manual page of ${program}"
    VERBATIM)
  list(APPEND _kolva_pages ${_page}.gz)
endforeach()

# The Debian changelog, compressed as Debian wants it.
set(_kolva_changelog ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(
  OUTPUT ${_kolva_changelog}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
  COMMAND ${KOLVA_GZIP} -9nc ${CMAKE_CURRENT_LIST_DIR}/changelog > ${_kolva_changelog}
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/changelog
  COMMENT "Compressed changelog")
add_custom_target(kolva-docs ALL DEPENDS ${_kolva_pages} ${_kolva_changelog})

install(TARGETS kolva kolva-cli kolva-meter-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/src/app/KOLVAHELP.htm DESTINATION ${CMAKE_INSTALL_DATADIR}/kolva)
install(FILES ${_kolva_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/${KOLVA_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/${KOLVA_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/kolva.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME ${KOLVA_APP_ID}.svg)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/completion/kolva-cli
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright ${_kolva_changelog}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kolva)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kolva)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "KOLVA")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Companion program of the KOLVA four-channel thermocouple thermometer")
# The extended description, wrapped for 80-column terminals as Debian wants it.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Shows the meter's readings live on a virtual front panel and presses its keys\n"
    "from the PC, records them into graphs, downloads the data sets of its logger,\n"
    "and saves, exports and prints them. kolva-cli does the same without a window\n"
    "(live readings as CSV, downloads, exports, the meter's set-up);\n"
    "kolva-meter-sim is a simulated meter on a pseudo-terminal.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KOLVA_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries come from dpkg-shlibdeps; the plug-ins the program loads at run time (the
# window system and the SVG icons) are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6")
include(CPack)
