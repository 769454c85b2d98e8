# Shows that CheckLayering.cmake has teeth: each case writes one file into a scratch tree at
# WORK_DIR and runs the check on it, which must reject exactly the cases marked "rejects".
set(cases
  "accepts|src/shell/ok.cpp|#include \"platform/gfx/d3d9.h\""
  "accepts|tests/platform/gfx/ok_test.cpp|#include \"platform/gfx/internal/objects.h\""
  "rejects|src/shell/bad.cpp|#include \"platform/gfx/internal/objects.h\""
  "rejects|tests/world/bad_test.cpp|#include \"platform/window/internal/window_handle.h\""
  "rejects|tools/probe/bad.cpp|  #  include <platform/input/internal/dinput_mapping.h>"
  "rejects|bench/gfx/bad.cpp|#include \"platform/gfx/internal/gl.h\""
  "rejects|src/world/bad.cpp|#include <SDL.h>"
  "rejects|src/shell/frame.cpp|#include <emscripten.h>"
  "accepts|src/shell/main.cpp|#include <emscripten/emscripten.h>"
  "accepts|src/platform/window/loop.cpp|#include <emscripten.h>"
  "rejects|src/world/up.cpp|#include \"shell/level_load.h\""
  "rejects|src/world/up.h|#include \"creature/creature.h\""
  "rejects|src/world/draw.cpp|#include \"render/gpu/graphics_objects.h\""
  "rejects|src/render/gpu/up.cpp|#include \"render/draw_batch.h\""
  "accepts|src/render/ok.cpp|#include \"render/gpu/graphics_objects.h\""
  "accepts|src/render/reads.cpp|#include \"creature/creature.h\""
  "rejects|src/sound/up.cpp|#include \"world/world.h\""
  "rejects|src/platform/gfx/up.cpp|#include \"render/camera.h\""
  "rejects|src/elsewhere/new.cpp|#include \"math/vector.h\""
  "rejects|src/render/up.cpp|#include \"shell/game_state.h\""
  "rejects|src/creature/up.cpp|#include \"render/camera.h\""
  "rejects|src/creature/draw.cpp|#include \"render/draw_batch.h\""
  "accepts|src/shell/top.cpp|#include \"render/camera.h\""
  "rejects|src/shell/entry.cpp|#include <windows.h>"
  "rejects|src/world/box.cpp|#include <Windows.h>"
  "rejects|src/platform/files/internal/native.h|#include <windows.h>"
  "rejects|src/platform/files/native.cpp|#include <psapi.h>"
  "accepts|src/platform/files/internal/native_files_windows.cpp|#include <windows.h>"
  "accepts|src/platform/window/internal/w.cpp|#include <winuser.h>"
  "rejects|src/platform/gfx/internal/gl_draw.cpp|#include <glad/gl.h>"
  "rejects|src/platform/gfx/internal/gl.cpp|#include <epoxy/gl.h>"
  "rejects|src/platform/gfx/internal/gl_shared.h|#include <GLES3/gl3.h>"
  "accepts|src/platform/gfx/internal/gl_api.h|#include <glad/gl.h>")
set(failures "")
foreach(case IN LISTS cases)
  string(REPLACE "|" ";" parts "${case}")
  list(GET parts 0 verdict)
  list(GET parts 1 path)
  list(GET parts 2 line)
  file(REMOVE_RECURSE ${WORK_DIR})
  file(WRITE ${WORK_DIR}/${path} "${line}\n")
  execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${WORK_DIR} -P ${CMAKE_CURRENT_LIST_DIR}/CheckLayering.cmake
    RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(verdict STREQUAL "rejects" AND (result EQUAL 0 OR NOT out MATCHES "${path}"))
    list(APPEND failures "not rejected: ${path}: ${line}")
  elseif(verdict STREQUAL "accepts" AND NOT result EQUAL 0)
    list(APPEND failures "rejected: ${path}: ${line}\n${out}")
  endif()
endforeach()
file(REMOVE_RECURSE ${WORK_DIR})
if(failures)
  list(JOIN failures "\n  " text)
  message(FATAL_ERROR "layering check wrong:\n  ${text}")
endif()
message(STATUS "layering check rejects what it should")
