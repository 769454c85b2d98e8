# Plays a replay through the real game with the headless runner, then checks the goal
# frames, the state changes and the recorded positions against the replay's recording.
# Passes on both programs' exit status, not on what they print: the success line comes last.
# -DRUNNER= -DPLANNER= -DSCRIPT= -DCHECKS= -DSTART_LEVEL= -DOUT= -DSOURCE_DIR= [-DEMULATOR=] [-DEMSCRIPTEN=1]
# EMULATOR runs a cross-built runner and planner (Wine for the Windows build; Node for the web's).
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/SanitizerReport.cmake)
set(run ${EMULATOR})
if(EMSCRIPTEN)
  set(run /usr/bin/node --no-experimental-fetch)
endif()
# The runner plays level ends but keeps no progress: the state folder must stay unmade.
file(REMOVE_RECURSE ${OUT}.state)
set(ENV{XDG_STATE_HOME} ${OUT}.state)
unset(ENV{TARNWICK_STATE_DIR})
execute_process(
  COMMAND ${run} ${RUNNER} --backend recording --start-level ${START_LEVEL} --csv ${OUT}.csv --events ${OUT}.events ${SCRIPT}
  WORKING_DIRECTORY ${SOURCE_DIR}
  RESULT_VARIABLE runner_result OUTPUT_VARIABLE runner_out ERROR_VARIABLE runner_out)
message("${runner_out}")
if(NOT runner_result EQUAL 0 OR runner_out MATCHES "${tarnwick_sanitizer_report}")
  message(FATAL_ERROR "tarnwick_run failed (${runner_result}) on ${SCRIPT}")
endif()
if(EXISTS ${OUT}.state)
  message(FATAL_ERROR "tarnwick_run wrote into the user's state folder on ${SCRIPT}")
endif()
execute_process(
  COMMAND ${run} ${PLANNER} checkrun ${CHECKS} ${OUT}.csv ${OUT}.events --start-level ${START_LEVEL}
  RESULT_VARIABLE check_result OUTPUT_VARIABLE check_out ERROR_VARIABLE check_out)
message("${check_out}")
if(NOT check_result EQUAL 0 OR check_out MATCHES "${tarnwick_sanitizer_report}")
  message(FATAL_ERROR "the game's run of ${SCRIPT} left its recording (${check_result})")
endif()
message(STATUS "${SCRIPT}: the game's run matches its recording")
