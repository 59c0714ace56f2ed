# GoogleTest for cross builds: the host's libgtest cannot link into a Windows or Arm
# executable, so it is built here from the sources Debian ships in /usr/src/googletest.
# find_package(GTest) then finds these targets (through cmake/cross_gtest) instead of
# the host's library. Native builds use the installed package and skip all of this.
if(NOT CMAKE_CROSSCOMPILING)
  return()
endif()

set(TRB2ASC_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for cross builds")
if(NOT EXISTS ${TRB2ASC_GOOGLETEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found in ${TRB2ASC_GOOGLETEST_SOURCE} (apt-get install googletest)")
endif()

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
add_subdirectory(${TRB2ASC_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

# Third-party code: our warning flags (and -Werror) are not its contract.
foreach(gtestTarget gtest gtest_main gmock gmock_main)
  if(TARGET ${gtestTarget})
    target_compile_options(${gtestTarget} PRIVATE -w)
  endif()
endforeach()

list(PREPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR}/cross_gtest)
set(GTest_DIR ${CMAKE_CURRENT_LIST_DIR}/cross_gtest CACHE PATH "" FORCE)
