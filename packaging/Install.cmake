# SPDX-License-Identifier: GPL-3.0-or-later
# Installation and the Debian package.
#
# cmake --install puts the program, kolva-cli and the meter simulator into <prefix>/bin, the user
# guide into <prefix>/share/kolva (where the installed program looks for it, app/InstallLayout.h),
# the desktop entry and the icon where desktops find them. scripts/package.sh builds the package
# with CPack.

include(GNUInstallDirs)

install(TARGETS kolva kolva-cli kolva-meter-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/src/app/KOLVAHELP.htm DESTINATION ${CMAKE_INSTALL_DATADIR}/kolva)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/kolva.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/kolva.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kolva)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "KOLVA")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Companion program of the KOLVA four-channel thermocouple thermometer")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Shows the meter's readings live on a virtual front panel and presses its keys from the PC, "
    "records them into graphs, downloads the data sets of its logger, and saves, exports and "
    "prints them. kolva-cli does the same without a window (live readings as CSV, downloads, "
    "exports, the meter's set-up); kolva-meter-sim is a simulated meter on a pseudo-terminal.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "KOLVA Thermometer developers <kolva@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries come from dpkg-shlibdeps; the plug-ins the program loads at run time (the
# window system and the SVG icons) are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6")
include(CPack)
