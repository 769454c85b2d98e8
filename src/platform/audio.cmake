# Sound output (DirectSound-shaped, mixed into an SDL audio device) and module resources.
add_library(tarnwick_platform_audio STATIC
  ${CMAKE_CURRENT_LIST_DIR}/dsound.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dsound_mix.cpp
  ${CMAKE_CURRENT_LIST_DIR}/resources.cpp)
target_include_directories(tarnwick_platform_audio PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(tarnwick_platform_audio PUBLIC tarnwick_platform_types PRIVATE SDL2::SDL2)
