# Stands in for CMake's FindGTest in cross builds: the targets come from
# cmake/cross_googletest.cmake, built from source for the target.
include(${CMAKE_CURRENT_LIST_DIR}/GTestConfig.cmake)
