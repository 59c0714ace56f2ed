# Release builds of trb2asc: a conversion costs less than starting a dynamically linked
# program, so the release binary is linked statically and optimised across files.
# Sanitizer, test and debug builds keep the usual dynamic link.

if(CMAKE_CXX_FLAGS MATCHES "-fsanitize" OR CMAKE_EXE_LINKER_FLAGS MATCHES "-fsanitize")
  set(trb2asc_sanitized ON)  # sanitizer runtimes are shared libraries
else()
  set(trb2asc_sanitized OFF)
endif()
if(WIN32)
  set(trb2asc_static_default OFF)
else()
  set(trb2asc_static_default ON)
endif()
option(TRB2ASC_STATIC "Link the release trb2asc statically (no dynamic loading at start)"
       ${trb2asc_static_default})

if(TRB2ASC_STATIC AND NOT trb2asc_sanitized)
  if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
    target_link_options(trb2asc PRIVATE $<$<CONFIG:Release>:-static>)
  elseif(NOT APPLE AND CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    # Where a fully static binary is not allowed, at least the C++ runtime is built in
    # (macOS links its system C++ runtime, which has no static form).
    target_link_options(trb2asc PRIVATE $<$<CONFIG:Release>:-static-libstdc++ -static-libgcc>)
  endif()
endif()

# Measured on Linux only; other targets keep the plain per-file build.
set(trb2asc_ipo_supported OFF)
if(NOT WIN32)
  include(CheckIPOSupported)
  check_ipo_supported(RESULT trb2asc_ipo_supported LANGUAGES CXX)
endif()
if(trb2asc_ipo_supported)
  set_target_properties(trb2asc_console trb2asc_key_pause trb2asc_track trb2asc_app trb2asc
                        PROPERTIES INTERPROCEDURAL_OPTIMIZATION_RELEASE ON)
endif()

include(${CMAKE_CURRENT_LIST_DIR}/musl_release.cmake)

option(TRB2ASC_BUILD_BENCHMARKS "Build the Google Benchmark executable trb2asc_bench" OFF)
add_subdirectory(bench)
