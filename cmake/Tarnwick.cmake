# Shared build settings and helpers for every target of the project.

# Replays must be bit-identical across builds: no fused multiply-add, no fast-math,
# 32-bit float arithmetic throughout.
add_compile_options(-ffp-contract=off -fno-fast-math -Wall -Wextra -Wpedantic)
if(TARNWICK_WERROR)
  add_compile_options(-Werror)
endif()
if(TARNWICK_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# Adds every immediate subfolder of the current source folder that has a CMakeLists.txt,
# so a new subsystem, test folder or tool needs no edit of a shared file.
function(tarnwick_add_subfolders)
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child IN LISTS children)
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child} AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

# tarnwick_test(NAME <target> LABEL <subsystem> SOURCES <files...> LIBS <libs...>)
# One test executable per subsystem folder; each gtest case becomes a CTest test with the
# subsystem's label. The shared test main sets the headless SDL drivers.
function(tarnwick_test)
  cmake_parse_arguments(T "" "NAME;LABEL" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} tarnwick_test_main GTest::gtest GTest::gmock)
  target_compile_definitions(${T_NAME} PRIVATE TARNWICK_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  # A cross-built test program runs only under its emulator, which the test run prepares (Wine
  # needs its prefix and a display): list its cases then, not while building.
  if(CMAKE_CROSSCOMPILING)
    set(discovery_mode PRE_TEST)
  else()
    set(discovery_mode POST_BUILD)
  endif()
  gtest_discover_tests(${T_NAME}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    PROPERTIES LABELS ${T_LABEL}
    DISCOVERY_TIMEOUT 60
    DISCOVERY_MODE ${discovery_mode})
endfunction()
