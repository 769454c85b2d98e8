# `cpack -G ZIP` for Windows: tarnwick-VERSION-windows-x64.zip, one folder holding both
# programs (linked statically: no DLL beside them), data/ next to them (where the programs
# look first), a player's readme and the licences of everything linked in.
install(TARGETS Tarnwick TarnwickWindowed RUNTIME DESTINATION .)
# The map pictures' text sources stay behind: the game reads the maps they make.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data DESTINATION . PATTERN maps EXCLUDE)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/windows/README.txt DESTINATION .)
# Debian's copyright files of what the programs contain: SDL2, the mingw-w64 runtime and
# winpthreads, GCC's runtime libraries, stb, and glad for the loader it generated.
install(FILES ${TARNWICK_SDL2_PREFIX}/LICENSE-SDL2.txt DESTINATION licences RENAME SDL2.txt)
foreach(pair IN ITEMS "mingw-w64-x86-64-dev;mingw-w64-runtime" "gcc-mingw-w64-base;gcc-runtime"
                      "libstb-dev;stb" "python3-glad;glad")
  list(GET pair 0 package)
  list(GET pair 1 name)
  install(FILES /usr/share/doc/${package}/copyright DESTINATION licences RENAME ${name}.txt)
endforeach()

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME tarnwick)
set(CPACK_PACKAGE_VENDOR "Tarnwick")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME tarnwick-${PROJECT_VERSION}-windows-x64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
