# End-to-end table of hostile inputs and outputs: runs the built trb2asc in fresh
# temporary directories and checks its console text and every file afterwards.
find_package(GTest REQUIRED)
include(GoogleTest)

add_executable(hostile_input_test ${CMAKE_CURRENT_LIST_DIR}/hostile_input_test.cpp)
target_link_libraries(hostile_input_test PRIVATE track_generator GTest::gtest_main)
target_compile_definitions(hostile_input_test PRIVATE TRB2ASC_BINARY="$<TARGET_FILE:trb2asc>")
add_dependencies(hostile_input_test trb2asc)
gtest_discover_tests(hostile_input_test DISCOVERY_TIMEOUT 60)
