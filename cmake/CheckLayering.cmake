# The layering rules, checked over the tree at SOURCE_DIR (the project root):
# - a file under src/ outside src/platform includes no SDL, OpenGL, epoxy, stb or glm header,
#   nor emscripten's, which only the program entry (src/shell/main.cpp) may use besides;
# - only src/platform and the platform's own tests (tests/platform) include a header from a
#   platform area's internal/ folder: everything else sees the public faces alone;
# - a file under src/ includes only its own folder and the folders below it, in this order
#   from the bottom: math, platform, sound, world, creature, render/gpu, render, shell;
# - Windows' own headers (windows.h and the rest of the Win32 set) appear only in .cpp files
#   under a platform area's internal/ folder, never in a header: our Win32-shaped names
#   (DWORD, HWND, MSG, GetModuleFileNameW...) would clash with theirs;
# - the GL loader's header (epoxy, glad, GLES) is included by src/platform/gfx/internal/gl_api.h
#   alone, the one place that chooses it per system.
set(layers math platform sound world creature render/gpu render shell)
function(layer_of path out)
  if(path MATCHES "^render/gpu/")
    set(folder render/gpu)
  else()
    string(REGEX REPLACE "/.*" "" folder "${path}")
  endif()
  list(FIND layers "${folder}" rank)
  set(${out} ${rank} PARENT_SCOPE)
endfunction()
file(GLOB_RECURSE sources
  ${SOURCE_DIR}/src/*.h ${SOURCE_DIR}/src/*.cpp ${SOURCE_DIR}/src/*.hpp ${SOURCE_DIR}/src/*.inl
  ${SOURCE_DIR}/tests/*.h ${SOURCE_DIR}/tests/*.cpp
  ${SOURCE_DIR}/tools/*.h ${SOURCE_DIR}/tools/*.cpp
  ${SOURCE_DIR}/bench/*.h ${SOURCE_DIR}/bench/*.cpp)
set(offenders "")
foreach(f IN LISTS sources)
  file(RELATIVE_PATH rel ${SOURCE_DIR} ${f})
  if(rel MATCHES "^src/" AND NOT rel MATCHES "^src/platform/")
    file(STRINGS ${f} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](SDL|SDL2/|GL/|GLES|epoxy/|EGL/|stb|glm/)")
    if(lines)
      list(APPEND offenders "${rel}: device header ${lines}")
    endif()
    if(NOT rel STREQUAL "src/shell/main.cpp")
      file(STRINGS ${f} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]emscripten")
      if(lines)
        list(APPEND offenders "${rel}: browser header ${lines}")
      endif()
    endif()
  endif()
  if(NOT rel MATCHES "^(src|tests)/platform/")
    file(STRINGS ${f} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]platform/[^/\">]+/internal/")
    if(lines)
      list(APPEND offenders "${rel}: private platform header ${lines}")
    endif()
  endif()

  if(NOT rel MATCHES "^src/")
    continue()
  endif()
  file(STRINGS ${f} lines REGEX
    "^[ \t]*#[ \t]*include[ \t]*[<\"]([Ww]indows|[Ww]in[a-z]+|[Mm]msystem|[Dd]sound|[Dd]input|d3d[0-9a-z]*|[Pp]sapi|[Ss]hl[a-z]+|[Oo]bj[a-z]+|[Cc]ommctrl)\\.h[>\"]")
  if(lines AND NOT rel MATCHES "^src/platform/[^/]+/internal/[^/]+\\.cpp$")
    list(APPEND offenders "${rel}: Windows header outside a platform internal .cpp ${lines}")
  endif()
  file(STRINGS ${f} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](epoxy/|glad/|GLES[0-9]*/|GL/)")
  if(lines AND NOT rel STREQUAL "src/platform/gfx/internal/gl_api.h")
    list(APPEND offenders "${rel}: GL loader header outside gl_api.h ${lines}")
  endif()
  string(REGEX REPLACE "^src/" "" inside "${rel}")
  layer_of("${inside}" own)
  file(STRINGS ${f} project_includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[a-z_]+/")
  foreach(line IN LISTS project_includes)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" header "${line}")
    layer_of("${header}" theirs)
    if(own EQUAL -1 OR theirs EQUAL -1 OR theirs GREATER own)
      list(APPEND offenders "${rel}: may not include ${header}")
    endif()
  endforeach()
endforeach()
if(offenders)
  list(JOIN offenders "\n  " text)
  message(FATAL_ERROR "layering broken:\n  ${text}")
endif()
message(STATUS "layering ok: ${SOURCE_DIR}")
