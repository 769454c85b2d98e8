# What the Windows cross build links, in place of the Linux build's pkg-config and find_package:
# SDL2 built once from Debian's source (scripts/windows-sdl2), the header-only libraries from
# Debian's packages through a folder of their own (so no Linux header is on the include path),
# stb's code compiled here, and GoogleTest from Debian's source copy.

execute_process(COMMAND ${PROJECT_SOURCE_DIR}/scripts/windows-sdl2
  OUTPUT_VARIABLE TARNWICK_SDL2_PREFIX OUTPUT_STRIP_TRAILING_WHITESPACE
  RESULT_VARIABLE sdl2_result)
if(NOT sdl2_result EQUAL 0)
  message(FATAL_ERROR "SDL2 for Windows could not be built (scripts/windows-sdl2)")
endif()
find_package(SDL2 CONFIG REQUIRED PATHS ${TARNWICK_SDL2_PREFIX} NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
# Its static-only build names SDL2::SDL2 as well, which the Linux build links.
# Our programs keep their own main: SDL's header must not rename it for SDL2main.
add_compile_definitions(SDL_MAIN_HANDLED)
find_package(Threads REQUIRED)

set(header_dir ${CMAKE_BINARY_DIR}/debian-headers)
file(MAKE_DIRECTORY ${header_dir})
foreach(folder IN ITEMS stb glm)
  if(NOT EXISTS /usr/include/${folder})
    message(FATAL_ERROR "/usr/include/${folder} is missing: run scripts/install-deps")
  endif()
  file(CREATE_LINK /usr/include/${folder} ${header_dir}/${folder} SYMBOLIC)
endforeach()

add_library(tarnwick_stb STATIC ${CMAKE_CURRENT_LIST_DIR}/stb.c)
# Both spellings the code uses: <stb_image.h> and <stb/stb_image.h>.
target_include_directories(tarnwick_stb SYSTEM PUBLIC ${header_dir}/stb ${header_dir})
target_compile_options(tarnwick_stb PRIVATE -w)
add_library(PkgConfig::STB INTERFACE IMPORTED)
target_link_libraries(PkgConfig::STB INTERFACE tarnwick_stb)

if(TARNWICK_BUILD_TESTS)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  foreach(target IN ITEMS gtest gtest_main gmock gmock_main)
    target_compile_options(${target} PRIVATE -w)
  endforeach()
  # GTest::gtest and GTest::gmock come with it; the test programs look for no installed copy.
  set(GTest_FOUND TRUE)
endif()
