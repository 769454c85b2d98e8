# The screens' rules live in src/shell (screen_flow): the tools that replay or plan a run call
# them. Checked over the tree at SOURCE_DIR, a file under tools/ (but the asset generator,
# which names the screens' pictures and plays no rule) may not
# - declare its own screen states (an enum whose first value is Title),
# - name a screen by the game's word for it ("levelup", "gameend", "retry"),
# - keep its own click arming (clickArmed),
# - write out the steering released sticks leave (0, -0.3, 0, 1).
set(patterns
  "enum[ \t]+(class[ \t]+)?[A-Za-z_]*[ \t]*(:[ \t]*[a-z:_0-9]+[ \t]*)?{[ \t]*Title"
  "\"(levelup|gameend|retry)\""
  "clickArmed"
  "-0\\.3f?[ \t]*,[ \t]*0(\\.0f?)?[ \t]*,[ \t]*1(\\.0f?)?[ \t]*}")
file(GLOB_RECURSE sources ${SOURCE_DIR}/tools/*.h ${SOURCE_DIR}/tools/*.cpp)
set(offenders "")
foreach(f IN LISTS sources)
  file(RELATIVE_PATH rel ${SOURCE_DIR} ${f})
  if(rel MATCHES "^tools/asset_gen/")
    continue()
  endif()
  foreach(pattern IN LISTS patterns)
    file(STRINGS ${f} lines REGEX "${pattern}")
    if(lines)
      list(APPEND offenders "${rel}: restates a screen rule: ${lines}")
    endif()
  endforeach()
endforeach()
if(offenders)
  list(JOIN offenders "\n  " text)
  message(FATAL_ERROR "rule copies in tools/:\n  ${text}")
endif()
message(STATUS "no screen rule restated in tools/: ${SOURCE_DIR}")
