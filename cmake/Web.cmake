# The web build's dependencies: SDL2 built for the web from Debian's source (scripts/web-sdl2
# keeps it in a cache outside the tree), stb's headers from the system with its decoder and
# writer compiled here, and GL from emscripten's GLES 3 headers (WebGL2).

# emcc needs acorn from Debian's node module folder when it optimises.
set(ENV{NODE_PATH} "/usr/share/nodejs")
execute_process(COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/web-sdl2
  OUTPUT_VARIABLE tarnwick_web_sdl2 OUTPUT_STRIP_TRAILING_WHITESPACE
  RESULT_VARIABLE tarnwick_web_sdl2_result)
if(NOT tarnwick_web_sdl2_result EQUAL 0)
  message(FATAL_ERROR "SDL2 for the web did not build (scripts/web-sdl2)")
endif()
# Ours, not the config emscripten ships for its own SDL port (-sUSE_SDL=2, which downloads).
unset(SDL2_DIR CACHE)
find_package(SDL2 CONFIG REQUIRED PATHS ${tarnwick_web_sdl2} NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT TARGET SDL2::SDL2)
  add_library(SDL2::SDL2 INTERFACE IMPORTED)
  target_link_libraries(SDL2::SDL2 INTERFACE SDL2::SDL2-static)
endif()

# Header-only on the system; only its own folder is put on the include path, never /usr/include.
set(tarnwick_web_include ${CMAKE_BINARY_DIR}/web_include)
file(MAKE_DIRECTORY ${tarnwick_web_include})
file(CREATE_LINK /usr/include/stb ${tarnwick_web_include}/stb SYMBOLIC)
add_library(tarnwick_web_stb STATIC ${PROJECT_SOURCE_DIR}/web/stb_impl.c)
target_include_directories(tarnwick_web_stb SYSTEM PUBLIC ${tarnwick_web_include} ${tarnwick_web_include}/stb)
target_compile_options(tarnwick_web_stb PRIVATE -w)
add_library(PkgConfig::STB INTERFACE IMPORTED)
target_link_libraries(PkgConfig::STB INTERFACE tarnwick_web_stb)

add_library(Threads::Threads INTERFACE IMPORTED)
add_library(PkgConfig::EPOXY INTERFACE IMPORTED)

# Node runs the headless programs with the host's files; its built-in fetch confuses this
# emscripten's loader.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/node --no-experimental-fetch)
# The graphics layer calls WebGL2's functions in every program, drawing or not.
add_link_options(-sMIN_WEBGL_VERSION=2 -sMAX_WEBGL_VERSION=2 -sALLOW_MEMORY_GROWTH=1)
set(tarnwick_node_link_options -sENVIRONMENT=node -sNODERAWFS=1 -sEXIT_RUNTIME=1
  "SHELL:--pre-js ${PROJECT_SOURCE_DIR}/web/node_pre.js")

# The web preset's checks: the replays under Node and the page in Chromium (web/CMakeLists.txt).
enable_testing()
