# The layering rules, checked over the tree at SOURCE_DIR (the project root):
# - a file under src/ outside src/platform includes no SDL, OpenGL, epoxy, stb or glm header,
#   nor emscripten's, which only the program entry (src/shell/main.cpp) may use besides;
# - only src/platform and the platform's own tests (tests/platform) include a header from a
#   platform area's internal/ folder: everything else sees the public faces alone;
# - a file under src/ includes only its own folder and the folders below it, in this order
#   from the bottom: math, platform, sound, world, creature, render/gpu, render, shell.
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
