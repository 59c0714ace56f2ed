# Unit tests of the portable pieces: the console key decision shared by every build,
# and the number formatting whose bytes must not depend on the CPU.
find_package(GTest REQUIRED)
include(GoogleTest)

foreach(portabilityTest console_key_event_test fused_rounding_test)
  add_executable(${portabilityTest} tests/${portabilityTest}.cpp)
  target_link_libraries(${portabilityTest} PRIVATE trb2asc_core GTest::gtest_main)
  gtest_discover_tests(${portabilityTest} DISCOVERY_TIMEOUT 60)
endforeach()

# The search that chose the values of fused_rounding_test.
add_executable(fused_candidates tools/fused_candidates.cpp)
target_link_libraries(fused_candidates PRIVATE trb2asc_core)
