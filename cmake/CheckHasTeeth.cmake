# Shared by the self-checks of the source-tree checks: each case writes one file into a scratch
# tree at WORK_DIR and runs CHECK (a -P script taking SOURCE_DIR) on it, which must reject
# exactly the cases marked "rejects" and name the file it rejects.
# check_has_teeth(CHECK NAME CASES) — CASES: "rejects|path|line" or "accepts|path|line".
function(check_has_teeth check name cases)
  set(failures "")
  foreach(case IN LISTS cases)
    string(REPLACE "|" ";" parts "${case}")
    list(GET parts 0 verdict)
    list(GET parts 1 path)
    list(GET parts 2 line)
    file(REMOVE_RECURSE ${WORK_DIR})
    file(WRITE ${WORK_DIR}/${path} "${line}\n")
    execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${WORK_DIR} -P ${check}
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
    message(FATAL_ERROR "${name} check wrong:\n  ${text}")
  endif()
  message(STATUS "${name} check rejects what it should")
endfunction()
