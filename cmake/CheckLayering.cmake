# The layering rules, checked over the tree at SOURCE_DIR (the project root):
# - a file under src/ outside src/platform includes no SDL, OpenGL, epoxy, stb or glm header;
# - only src/platform and the platform's own tests (tests/platform) include a header from a
#   platform area's internal/ folder: everything else sees the public faces alone;
# - render includes only math, the platform layer, render itself, the shell's graphics globals,
#   and the creature and world headers it reads the camera target and the goal from;
# - of render, world and creature include only the draw batch and the texture indices;
# - world includes nothing of the shell but its graphics globals, and nothing of the creature.
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

  file(STRINGS ${f} project_includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[a-z_]+/")
  foreach(line IN LISTS project_includes)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" header "${line}")
    set(allowed TRUE)
    if(rel MATCHES "^src/render/")
      if(NOT header MATCHES "^(math|platform|render)/" AND
         NOT header MATCHES "^(shell/graphics_objects|creature/creature|world/world)\\.h$")
        set(allowed FALSE)
      endif()
    elseif(rel MATCHES "^src/(world|creature)/")
      if(header MATCHES "^render/" AND NOT header MATCHES "^render/(draw_batch|texture_index)\\.h$")
        set(allowed FALSE)
      endif()
      if(rel MATCHES "^src/world/" AND header MATCHES "^(shell|creature)/" AND
         NOT header STREQUAL "shell/graphics_objects.h")
        set(allowed FALSE)
      endif()
    endif()
    if(NOT allowed)
      list(APPEND offenders "${rel}: may not include ${header}")
    endif()
  endforeach()
endforeach()
if(offenders)
  list(JOIN offenders "\n  " text)
  message(FATAL_ERROR "layering broken:\n  ${text}")
endif()
message(STATUS "layering ok: ${SOURCE_DIR}")
