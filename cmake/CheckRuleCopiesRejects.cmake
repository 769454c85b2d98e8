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
include(${CMAKE_CURRENT_LIST_DIR}/CheckHasTeeth.cmake)
check_has_teeth(${CMAKE_CURRENT_LIST_DIR}/CheckRuleCopies.cmake rule-copy "${cases}")
