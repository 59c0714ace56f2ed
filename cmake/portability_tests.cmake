# Unit tests of the portable pieces: the console key decision shared by every build,
# and the number formatting whose bytes must not depend on the CPU.
find_package(GTest REQUIRED)
include(GoogleTest)

foreach(portabilityTest console_key_event_test fused_rounding_test)
  add_executable(${portabilityTest} tests/${portabilityTest}.cpp)
  target_link_libraries(${portabilityTest} PRIVATE trb2asc_core GTest::gtest_main)
  gtest_discover_tests(${portabilityTest} DISCOVERY_TIMEOUT 60)
endforeach()

if(WIN32)
  # File sharing is the operating system's: tested where it is enforced (Windows, Wine).
  add_executable(track_file_win32_test tests/track_file_win32_test.cpp)
  target_link_libraries(track_file_win32_test PRIVATE trb2asc_core GTest::gtest_main)
  gtest_discover_tests(track_file_win32_test DISCOVERY_TIMEOUT 60)
endif()

# The search that chose the values of fused_rounding_test.
add_executable(fused_candidates tools/fused_candidates.cpp)
target_link_libraries(fused_candidates PRIVATE trb2asc_core)
