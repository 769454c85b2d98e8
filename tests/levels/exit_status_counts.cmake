# Shows that the replay tests pass on exit status and not on what is printed: a runner that
# plays the replay and then leaks, a checker that says the run matches and then fails, and
# commands that print the success line before failing must all fail; the real pair passes.
# -DRUNNER= -DPLANNER= -DSCRIPT= -DCHECKS= -DWORK_DIR= -DSOURCE_DIR=
set(expect_run ${SOURCE_DIR}/cmake/ExpectRun.cmake)
set(run_replay ${SOURCE_DIR}/tests/levels/run_replay.cmake)
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
# The real program's work, then a leak report at exit as the sanitizer build prints one.
file(WRITE ${WORK_DIR}/leaking_runner.sh
  "#!/bin/sh\n\"${RUNNER}\" \"$@\"\necho '==4242==ERROR: LeakSanitizer: detected memory leaks' >&2\nexit 23\n")
# Says the run matches, then fails.
file(WRITE ${WORK_DIR}/failing_planner.sh "#!/bin/sh\n\"${PLANNER}\" \"$@\"\nexit 1\n")
# Says the run matches and exits 0, with a sanitizer's report in between.
file(WRITE ${WORK_DIR}/reporting_planner.sh
  "#!/bin/sh\n\"${PLANNER}\" \"$@\"\necho 'x.cpp:1:1: runtime error: signed integer overflow' >&2\n")
file(CHMOD ${WORK_DIR}/leaking_runner.sh ${WORK_DIR}/failing_planner.sh ${WORK_DIR}/reporting_planner.sh
  PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)

set(failures "")
# `verdict` is "passes", or the reason a failure must give. No ";" in the commands: it would
# split them as CMake lists.
function(expect verdict what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(verdict STREQUAL "passes" AND NOT result EQUAL 0)
    set(failures "${failures}\n  failed: ${what}\n${out}" PARENT_SCOPE)
  elseif(NOT verdict STREQUAL "passes" AND (result EQUAL 0 OR NOT out MATCHES "${verdict}"))
    set(failures "${failures}\n  not failed for \"${verdict}\": ${what}\n${out}" PARENT_SCOPE)
  endif()
endfunction()

set(replay -DSCRIPT=${SCRIPT} -DCHECKS=${CHECKS} -DSTART_LEVEL=0 -DOUT=${WORK_DIR}/run -DSOURCE_DIR=${SOURCE_DIR})
expect(passes "the real runner and checker"
  ${CMAKE_COMMAND} -DRUNNER=${RUNNER} -DPLANNER=${PLANNER} ${replay} -P ${run_replay})
expect("tarnwick_run failed[ \n]*\\(23\\)" "a runner that leaks at exit"
  ${CMAKE_COMMAND} -DRUNNER=${WORK_DIR}/leaking_runner.sh -DPLANNER=${PLANNER} ${replay} -P ${run_replay})
expect("recording[ \n]*\\(1\\)" "a checker that fails after its success line"
  ${CMAKE_COMMAND} -DRUNNER=${RUNNER} -DPLANNER=${WORK_DIR}/failing_planner.sh ${replay} -P ${run_replay})
expect("recording[ \n]*\\(0\\)" "a checker whose run prints a sanitizer report"
  ${CMAKE_COMMAND} -DRUNNER=${RUNNER} -DPLANNER=${WORK_DIR}/reporting_planner.sh ${replay} -P ${run_replay})

expect(passes "the success line and exit 0" ${CMAKE_COMMAND} "-DOUTPUT=replay matches" -P ${expect_run}
  -- sh -c "echo replay matches")
expect("exit status 3," "the success line, then exit 3" ${CMAKE_COMMAND} "-DOUTPUT=replay matches" -P ${expect_run}
  -- sh -c "echo replay matches && exit 3")
expect("exit status [^0]" "the success line, then a crash" ${CMAKE_COMMAND} "-DOUTPUT=replay matches" -P ${expect_run}
  -- sh -c "echo replay matches && kill -SEGV $$")
expect("a sanitizer report" "the success line, then a leak report" ${CMAKE_COMMAND} "-DOUTPUT=replay matches" -P ${expect_run}
  -- sh -c "echo replay matches && echo '==7==ERROR: LeakSanitizer: detected memory leaks' >&2")
expect("output lacks" "exit 0 without the success line" ${CMAKE_COMMAND} "-DOUTPUT=replay matches" -P ${expect_run}
  -- sh -c "echo diverged")
expect(passes "the refusal expected" ${CMAKE_COMMAND} -DEXIT=1 -P ${expect_run} -- sh -c "exit 1")
expect("exit status [^1]" "a crash where a refusal is expected" ${CMAKE_COMMAND} -DEXIT=1 -P ${expect_run}
  -- sh -c "kill -ABRT $$")

# And no test is let off its exit status by CTest: PASS_REGULAR_EXPRESSION ignores it, and
# WILL_FAIL passes a crash.
file(GLOB_RECURSE test_lists ${SOURCE_DIR}/src/CMakeLists.txt ${SOURCE_DIR}/tests/CMakeLists.txt
  ${SOURCE_DIR}/tools/CMakeLists.txt ${SOURCE_DIR}/bench/CMakeLists.txt ${SOURCE_DIR}/lib/CMakeLists.txt)
list(APPEND test_lists ${SOURCE_DIR}/CMakeLists.txt)
foreach(list_file IN LISTS test_lists)
  file(STRINGS ${list_file} hits REGEX "^[^#]*(PASS_REGULAR_EXPRESSION|WILL_FAIL)")
  if(hits)
    set(failures "${failures}\n  ${list_file}: ${hits}")
  endif()
endforeach()

file(REMOVE_RECURSE ${WORK_DIR})
if(failures)
  message(FATAL_ERROR "exit status not counted:${failures}")
endif()
message(STATUS "the replay tests fail on a failing exit, a crash or a sanitizer report")
