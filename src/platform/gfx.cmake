# Graphics: Direct3D 9 / D3DX 9 shaped calls over OpenGL 3.3 core, plus a recording backend
# for tests. The backend is chosen at run time (GfxUseRecordingBackend).
add_library(tarnwick_platform_gfx STATIC
  ${CMAKE_CURRENT_LIST_DIR}/gfx_d3dx.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gfx_device.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gfx_effect.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gfx_frame_pacer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gfx_gl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gfx_recording.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gfx_resources.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gfx_tga.cpp)
target_include_directories(tarnwick_platform_gfx PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(tarnwick_platform_gfx
  PUBLIC tarnwick_platform_types tarnwick_math
  PRIVATE SDL2::SDL2 PkgConfig::EPOXY PkgConfig::STB)
