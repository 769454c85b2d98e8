# A soak with a NaN put into a limb particle after frame 1000 must stop at that frame with
# exit code 1 and name the particle; the same soak without it runs to its end.
execute_process(COMMAND ${EMULATOR} ${RUNNER} --soak 2000 --soak-inject-nan 1000 RESULT_VARIABLE code ERROR_VARIABLE err)
if(NOT code EQUAL 1 OR NOT err MATCHES "soak: frame 1000: limb particle 0 is not finite" OR NOT err MATCHES "1001 frames")
  message(FATAL_ERROR "poisoned soak gave exit ${code}:\n${err}")
endif()
execute_process(COMMAND ${EMULATOR} ${RUNNER} --soak 2000 RESULT_VARIABLE code ERROR_VARIABLE err)
if(NOT code EQUAL 0 OR NOT err MATCHES "soak: 2000 frames")
  message(FATAL_ERROR "clean soak gave exit ${code}:\n${err}")
endif()
