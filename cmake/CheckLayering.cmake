# Fails when a file under src/ outside src/platform includes SDL, OpenGL, epoxy or stb headers,
# or when a subsystem reaches into another beyond what it may use:
# - render: math, the platform layer, render itself, the shell's graphics globals, and the
#   creature and world headers it reads the camera target and the goal from;
# - world and creature: of render, only the draw batch and the texture indices;
# - world: nothing of the shell but its graphics globals, nothing of the creature.
file(GLOB_RECURSE sources ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.cpp ${SOURCE_DIR}/*.hpp ${SOURCE_DIR}/*.inl)
set(offenders "")
foreach(f IN LISTS sources)
  file(RELATIVE_PATH rel ${SOURCE_DIR} ${f})
  if(rel MATCHES "^platform/")
    continue()
  endif()
  file(STRINGS ${f} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](SDL|SDL2/|GL/|GLES|epoxy/|EGL/|stb|glm/)")
  if(lines)
    list(APPEND offenders "${rel}: ${lines}")
  endif()

  file(STRINGS ${f} project_includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[a-z_]+/")
  foreach(line IN LISTS project_includes)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" header "${line}")
    set(allowed TRUE)
    if(rel MATCHES "^render/")
      if(NOT header MATCHES "^(math|platform|render)/" AND
         NOT header MATCHES "^(shell/graphics_objects|creature/creature|world/world)\\.h$")
        set(allowed FALSE)
      endif()
    elseif(rel MATCHES "^(world|creature)/")
      if(header MATCHES "^render/" AND NOT header MATCHES "^render/(draw_batch|texture_index)\\.h$")
        set(allowed FALSE)
      endif()
      if(rel MATCHES "^world/" AND header MATCHES "^(shell|creature)/" AND
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
message(STATUS "layering ok: ${CMAKE_CURRENT_LIST_FILE}")
