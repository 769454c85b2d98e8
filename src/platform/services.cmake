# Window and messages, the game controller, files and the module: Win32-shaped calls over SDL2.
add_library(tarnwick_platform_services STATIC
  ${CMAKE_CURRENT_LIST_DIR}/files.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/messages.cpp
  ${CMAKE_CURRENT_LIST_DIR}/messages_translate.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dinput.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dinput_mapping.cpp)
target_include_directories(tarnwick_platform_services PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(tarnwick_platform_services PUBLIC tarnwick_platform_types SDL2::SDL2)
