# The libFuzzer build (preset `fuzz`, clang only). Everything is compiled with ASan and
# UBSan (preset `fuzz-fast`: UBSan only and no comparison tracing, several times the
# executions for long runs on a corpus the full build has grown), and
# stb_image is compiled from its header into this build instead of linking the
# system's uninstrumented library, so the sanitizers see inside the picture decoder.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "TARNWICK_FUZZ needs clang (use the fuzz preset, or configure with CXX=clang++)")
endif()
set(TARNWICK_FUZZ_SANITIZERS "address,undefined" CACHE STRING "Sanitizers of the fuzz build")
# Comparison tracing finds the magic values in the headers, but costs most of a decode's time.
option(TARNWICK_FUZZ_TRACE_CMP "Trace comparisons to guide the fuzzer" ON)
if(NOT TARNWICK_FUZZ_TRACE_CMP)
  add_compile_options(-fno-sanitize-coverage=trace-cmp)
endif()
add_compile_options(-fsanitize=${TARNWICK_FUZZ_SANITIZERS},fuzzer-no-link -fno-sanitize-recover=undefined
  -fno-omit-frame-pointer)
add_link_options(-fsanitize=${TARNWICK_FUZZ_SANITIZERS})

add_library(tarnwick_stb_instrumented STATIC ${PROJECT_SOURCE_DIR}/tools/fuzz/stb_image_impl.c)
target_include_directories(tarnwick_stb_instrumented PUBLIC ${STB_INCLUDE_DIRS})
set_property(TARGET PkgConfig::STB PROPERTY INTERFACE_LINK_LIBRARIES tarnwick_stb_instrumented)
