# Plays a replay through the real game with the headless runner, then checks the goal
# frames, the state changes and the recorded positions against the replay's recording.
# -DRUNNER= -DPLANNER= -DSCRIPT= -DCHECKS= -DSTART_LEVEL= -DOUT= -DSOURCE_DIR= [-DEMULATOR=]
# EMULATOR runs a cross-built runner and planner (Wine for the Windows build).
execute_process(
  COMMAND ${EMULATOR} ${RUNNER} --backend recording --start-level ${START_LEVEL} --csv ${OUT}.csv --events ${OUT}.events ${SCRIPT}
  WORKING_DIRECTORY ${SOURCE_DIR}
  RESULT_VARIABLE runner_result)
if(NOT runner_result EQUAL 0)
  message(FATAL_ERROR "tarnwick_run failed (${runner_result}) on ${SCRIPT}")
endif()
execute_process(
  COMMAND ${EMULATOR} ${PLANNER} checkrun ${CHECKS} ${OUT}.csv ${OUT}.events --start-level ${START_LEVEL}
  RESULT_VARIABLE check_result)
if(NOT check_result EQUAL 0)
  message(FATAL_ERROR "the game's run of ${SCRIPT} left its recording")
endif()
