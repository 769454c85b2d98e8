# The layering rules, checked over the tree at SOURCE_DIR (the project root):
# - a file under src/ outside src/platform includes no SDL, OpenGL, epoxy, stb or glm header;
# - only src/platform and the platform's own tests (tests/platform) include a header from a
#   platform area's internal/ folder: everything else sees the public faces alone.
file(GLOB_RECURSE sources
  ${SOURCE_DIR}/src/*.h ${SOURCE_DIR}/src/*.cpp ${SOURCE_DIR}/src/*.hpp ${SOURCE_DIR}/src/*.inl
  ${SOURCE_DIR}/tests/*.h ${SOURCE_DIR}/tests/*.cpp
  ${SOURCE_DIR}/tools/*.h ${SOURCE_DIR}/tools/*.cpp
  ${SOURCE_DIR}/bench/*.h ${SOURCE_DIR}/bench/*.cpp)
set(offenders "")
foreach(f IN LISTS sources)
  file(RELATIVE_PATH rel ${SOURCE_DIR} ${f})
  if(rel MATCHES "^src/platform/")
    continue()
  endif()
  if(rel MATCHES "^src/")
    file(STRINGS ${f} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](SDL|SDL2/|GL/|GLES|epoxy/|EGL/|stb|glm/)")
    if(lines)
      list(APPEND offenders "${rel}: device header ${lines}")
    endif()
  endif()
  if(NOT rel MATCHES "^tests/platform/")
    file(STRINGS ${f} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]platform/[^/\">]+/internal/")
    if(lines)
      list(APPEND offenders "${rel}: private platform header ${lines}")
    endif()
  endif()
endforeach()
if(offenders)
  list(JOIN offenders "\n  " text)
  message(FATAL_ERROR "layering broken:\n  ${text}")
endif()
message(STATUS "layering ok: ${SOURCE_DIR}")
