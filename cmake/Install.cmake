# `cmake --install` and `cpack -G DEB`: both programs in bin/, the data in share/tarnwick/
# (where the programs look beside their own folder), a desktop entry, the icon in the
# hicolor theme, AppStream metainfo, and the README and copyright in share/doc/tarnwick/
# (where --help sends the player).
include(GNUInstallDirs)

set(TARNWICK_APP_ID "example.tarnwick.Tarnwick" CACHE STRING
  "Reverse-DNS id of the desktop entry, icon and metainfo (replace with a domain of your own when publishing)")
set(TARNWICK_HOMEPAGE "https://tarnwick.example" CACHE STRING "The project's web page, for the metainfo")
set(TARNWICK_SCREENSHOT_URL "${TARNWICK_HOMEPAGE}/docs" CACHE STRING
  "Where docs/screenshot_title.png and docs/screenshot_play.png are published")
set(TARNWICK_LICENSE "LicenseRef-proprietary" CACHE STRING "SPDX licence expression for the metainfo")
set(TARNWICK_PACKAGE_CONTACT "Tarnwick maintainers <maintainers@tarnwick.example>" CACHE STRING
  "Maintainer field of the Debian package")

install(TARGETS Tarnwick TarnwickWindowed RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The map pictures' text sources stay behind: the game reads the maps they make.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data DESTINATION ${CMAKE_INSTALL_DATADIR}/tarnwick
  PATTERN maps EXCLUDE)

configure_file(${PROJECT_SOURCE_DIR}/packaging/tarnwick.desktop.in
  ${PROJECT_BINARY_DIR}/packaging/${TARNWICK_APP_ID}.desktop @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/packaging/tarnwick.metainfo.xml.in
  ${PROJECT_BINARY_DIR}/packaging/${TARNWICK_APP_ID}.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/packaging/${TARNWICK_APP_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_BINARY_DIR}/packaging/${TARNWICK_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
configure_file(${PROJECT_SOURCE_DIR}/packaging/copyright.in ${PROJECT_BINARY_DIR}/packaging/copyright @ONLY)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_BINARY_DIR}/packaging/copyright
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tarnwick)
foreach(size IN ITEMS 256 64)
  install(FILES ${PROJECT_SOURCE_DIR}/data/icon${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME ${TARNWICK_APP_ID}.png)
endforeach()

set(CPACK_PACKAGE_NAME tarnwick)
set(CPACK_PACKAGE_VENDOR "Tarnwick")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small physics action game with a soft creature on two legs")
set(CPACK_PACKAGE_CONTACT ${TARNWICK_PACKAGE_CONTACT})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
# Depends from the libraries the programs really load (dpkg-shlibdeps): runtime packages only.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${TARNWICK_HOMEPAGE})
include(CPack)
