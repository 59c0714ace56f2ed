# Unit tests of the portable pieces: the console key decision shared by every build,
# and the number formatting whose bytes must not depend on the CPU. In cross builds,
# the tests that need the host (POSIX processes, terminals, file helpers) are left out
# of the default build; everything else runs on the target.
find_package(GTest REQUIRED)
include(GoogleTest)

foreach(portabilityTest console_key_event_test fused_rounding_test)
  add_executable(${portabilityTest} tests/${portabilityTest}.cpp)
  target_link_libraries(${portabilityTest} PRIVATE trb2asc_core GTest::gtest_main)
  gtest_discover_tests(${portabilityTest} DISCOVERY_TIMEOUT 60)
endforeach()

if(CMAKE_CROSSCOMPILING)
  set(trb2asc_host_only_tests e2e_tests hostile_input_test key_pause_pty_test)
  if(WIN32)
    list(APPEND trb2asc_host_only_tests test_support unit_tests)
  endif()
  foreach(hostOnly ${trb2asc_host_only_tests})
    if(TARGET ${hostOnly})
      set_target_properties(${hostOnly} PROPERTIES EXCLUDE_FROM_ALL TRUE)
    endif()
  endforeach()
endif()

if(WIN32)
  # The unit tests that need neither files nor processes, built for Windows.
  add_executable(windows_unit_tests
    tests/argument_parser_test.cpp
    tests/fixed6_format_test.cpp
    tests/fixed6_reference_test.cpp
    tests/record_walk_test.cpp
  )
  target_link_libraries(windows_unit_tests PRIVATE trb2asc_core track_generator GTest::gtest_main)
  gtest_discover_tests(windows_unit_tests DISCOVERY_TIMEOUT 60)

  # File sharing is the operating system's: tested where it is enforced (Windows, Wine).
  add_executable(track_file_win32_test tests/track_file_win32_test.cpp)
  target_link_libraries(track_file_win32_test PRIVATE trb2asc_core GTest::gtest_main)
  gtest_discover_tests(track_file_win32_test DISCOVERY_TIMEOUT 60)
endif()

# The search that chose the values of fused_rounding_test.
add_executable(fused_candidates tools/fused_candidates.cpp)
target_link_libraries(fused_candidates PRIVATE trb2asc_core)
