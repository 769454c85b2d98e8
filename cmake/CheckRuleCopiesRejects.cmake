# Shows that CheckRuleCopies.cmake has teeth: each case writes one file into a scratch tree at
# WORK_DIR and runs the check on it, which must reject exactly the cases marked "rejects".
set(cases
  "rejects|tools/planner/states.cpp|enum class State { Title = 0, LevelUp = 1 }"
  "rejects|tools/planner/states.h|enum Stage : int {Title, Playing}"
  "rejects|tools/runner/names.cpp|    return \"levelup\""
  "rejects|tools/runner/names.h|static const char* kNames[] = {\"title\", \"gameend\"}"
  "rejects|tools/planner/click.cpp|    bool clickArmed = false"
  "rejects|tools/planner/steer.cpp|    Creature.leftSteer = Vector4{0.0f, -0.3f, 0.0f, 1.0f}"
  "accepts|tools/planner/ok.cpp|    record.states.push_back(ScreenName(session.screen))"
  "accepts|tools/planner/retry.cpp|    // the retry screen waits for a press"
  "accepts|src/shell/screen_flow.cpp|    case Screen::LevelUp: return \"levelup\""
  "accepts|tools/asset_gen/pictures.cpp|    {\"levelup\", \"LevelUp.tga\"}")
set(failures "")
foreach(case IN LISTS cases)
  string(REPLACE "|" ";" parts "${case}")
  list(GET parts 0 verdict)
  list(GET parts 1 path)
  list(GET parts 2 line)
  file(REMOVE_RECURSE ${WORK_DIR})
  file(WRITE ${WORK_DIR}/${path} "${line}\n")
  execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${WORK_DIR} -P ${CMAKE_CURRENT_LIST_DIR}/CheckRuleCopies.cmake
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
  message(FATAL_ERROR "rule-copy check wrong:\n  ${text}")
endif()
message(STATUS "rule-copy check rejects what it should")
