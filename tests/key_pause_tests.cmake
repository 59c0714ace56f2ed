# Tests of the key pause: the key decoding as a table, and the built program run on a
# pseudo-terminal.
find_package(GTest REQUIRED)
include(GoogleTest)

add_executable(terminal_key_decode_test ${CMAKE_CURRENT_LIST_DIR}/terminal_key_decode_test.cpp)
target_link_libraries(terminal_key_decode_test PRIVATE trb2asc_core GTest::gtest_main)
gtest_discover_tests(terminal_key_decode_test)

if(NOT WIN32)
  add_executable(key_pause_pty_test ${CMAKE_CURRENT_LIST_DIR}/key_pause_pty_test.cpp)
  target_link_libraries(key_pause_pty_test PRIVATE track_generator GTest::gtest_main util)
  target_compile_definitions(key_pause_pty_test PRIVATE TRB2ASC_BINARY="$<TARGET_FILE:trb2asc>")
  add_dependencies(key_pause_pty_test trb2asc)
  gtest_discover_tests(key_pause_pty_test PROPERTIES TIMEOUT 120)
endif()
