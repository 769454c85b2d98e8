# Plays a replay through the real game with the headless runner, then checks the goal
# frames, the state changes and the recorded positions against the replay's recording.
# -DRUNNER= -DPLANNER= -DSCRIPT= -DCHECKS= -DSTART_LEVEL= -DOUT= -DSOURCE_DIR=
# The runner plays level ends but keeps no progress: the state folder must stay unmade.
file(REMOVE_RECURSE ${OUT}.state)
set(ENV{XDG_STATE_HOME} ${OUT}.state)
unset(ENV{TARNWICK_STATE_DIR})
execute_process(
  COMMAND ${RUNNER} --backend recording --start-level ${START_LEVEL} --csv ${OUT}.csv --events ${OUT}.events ${SCRIPT}
  WORKING_DIRECTORY ${SOURCE_DIR}
  RESULT_VARIABLE runner_result)
if(NOT runner_result EQUAL 0)
  message(FATAL_ERROR "tarnwick_run failed (${runner_result}) on ${SCRIPT}")
endif()
if(EXISTS ${OUT}.state)
  message(FATAL_ERROR "tarnwick_run wrote into the user's state folder on ${SCRIPT}")
endif()
execute_process(
  COMMAND ${PLANNER} checkrun ${CHECKS} ${OUT}.csv ${OUT}.events --start-level ${START_LEVEL}
  RESULT_VARIABLE check_result)
if(NOT check_result EQUAL 0)
  message(FATAL_ERROR "the game's run of ${SCRIPT} left its recording")
endif()
