# The Linux release trb2asc as a static executable against musl: glibc's static start-up
# costs more than the whole conversion, musl's almost nothing. The program's sources use the
# C library's headers only, so they are compiled against musl's headers alone, without
# exceptions, RTTI or the C++ runtime, and linked by the C compiler with musl's start files.
# Everything else (libraries for the tests, tools, benchmarks, cross and sanitizer builds)
# keeps the usual toolchain. Include after the trb2asc target and its libraries exist.

option(TRB2ASC_MUSL "Link the Linux release trb2asc statically against musl when it is installed"
       ON)

set(trb2asc_musl_wanted OFF)
if(TRB2ASC_MUSL AND TRB2ASC_STATIC AND NOT trb2asc_sanitized AND NOT CMAKE_CROSSCOMPILING
   AND NOT WIN32 AND CMAKE_BUILD_TYPE STREQUAL "Release")
  set(trb2asc_musl_wanted ON)
endif()

set(trb2asc_musl_missing "")
if(trb2asc_musl_wanted)
  if(NOT CMAKE_SYSTEM_NAME STREQUAL "Linux")
    set(trb2asc_musl_missing "musl builds are for Linux")
  elseif(NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    set(trb2asc_musl_missing "the musl build needs g++")
  else()
    # Debian's musl-dev, then the layout of musl's own installation.
    set(trb2asc_musl_triple ${CMAKE_SYSTEM_PROCESSOR}-linux-musl)
    find_path(TRB2ASC_MUSL_INCLUDE_DIR stdio.h
              PATHS /usr/include/${trb2asc_musl_triple} /usr/lib/musl/include
                    /usr/local/musl/include
              NO_DEFAULT_PATH)
    find_file(TRB2ASC_MUSL_SPECS musl-gcc.specs
              PATHS /usr/lib/${trb2asc_musl_triple} /usr/lib/musl/lib /usr/local/musl/lib
              NO_DEFAULT_PATH)
    if(NOT TRB2ASC_MUSL_INCLUDE_DIR OR NOT TRB2ASC_MUSL_SPECS)
      set(trb2asc_musl_missing "musl is not installed (Debian: apt-get install musl-tools)")
    endif()
  endif()
  if(trb2asc_musl_missing)
    message(STATUS "trb2asc release: ${trb2asc_musl_missing}; linking against the system C library")
    set(trb2asc_musl_wanted OFF)
  endif()
endif()

# What the musl trb2asc is built from: its own sources and those of every library it links,
# with their include directories, definitions and options.
function(trb2asc_collect_sources target)
  get_target_property(type ${target} TYPE)
  get_target_property(dir ${target} SOURCE_DIR)
  get_target_property(sources ${target} SOURCES)
  foreach(source IN LISTS sources)
    if(NOT IS_ABSOLUTE "${source}" AND NOT source MATCHES "^\\$<")
      set(source ${dir}/${source})
    endif()
    set_property(GLOBAL APPEND PROPERTY trb2asc_musl_sources ${source})
  endforeach()
  foreach(property INCLUDE_DIRECTORIES COMPILE_DEFINITIONS COMPILE_OPTIONS)
    get_target_property(values ${target} ${property})
    if(values)
      set_property(GLOBAL APPEND PROPERTY trb2asc_musl_${property} ${values})
    endif()
  endforeach()
  get_target_property(libraries ${target} LINK_LIBRARIES)
  foreach(library IN LISTS libraries)
    if(TARGET ${library})
      get_target_property(library_type ${library} TYPE)
      if(library_type MATCHES "STATIC_LIBRARY|OBJECT_LIBRARY")
        trb2asc_collect_sources(${library})
      else()
        message(FATAL_ERROR "trb2asc's musl build cannot take in ${library} (${library_type})")
      endif()
    elseif(library)
      message(FATAL_ERROR "trb2asc's musl build links no outside library: ${library}")
    endif()
  endforeach()
endfunction()

set(TRB2ASC_MUSL_BUILD ${trb2asc_musl_wanted} CACHE INTERNAL "trb2asc is linked against musl")
if(NOT trb2asc_musl_wanted)
  return()
endif()

enable_language(C)
if(NOT CMAKE_C_COMPILER_ID STREQUAL "GNU")
  message(FATAL_ERROR "trb2asc's musl build links with gcc; the C compiler is ${CMAKE_C_COMPILER_ID}")
endif()
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=include
                OUTPUT_VARIABLE trb2asc_gcc_include OUTPUT_STRIP_TRAILING_WHITESPACE)

set_property(GLOBAL PROPERTY trb2asc_musl_sources "")
foreach(property INCLUDE_DIRECTORIES COMPILE_DEFINITIONS COMPILE_OPTIONS)
  set_property(GLOBAL PROPERTY trb2asc_musl_${property} "")
endforeach()
trb2asc_collect_sources(trb2asc)
get_property(trb2asc_musl_sources GLOBAL PROPERTY trb2asc_musl_sources)
list(REMOVE_DUPLICATES trb2asc_musl_sources)
set_property(TARGET trb2asc PROPERTY SOURCES ${trb2asc_musl_sources})
set_property(TARGET trb2asc PROPERTY LINK_LIBRARIES "")
foreach(property INCLUDE_DIRECTORIES COMPILE_DEFINITIONS COMPILE_OPTIONS)
  get_property(values GLOBAL PROPERTY trb2asc_musl_${property})
  list(REMOVE_DUPLICATES values)
  set_property(TARGET trb2asc PROPERTY ${property} ${values})
endforeach()

# musl's headers first, then gcc's own (its intrinsics); no C++ library headers at all.
target_compile_options(trb2asc PRIVATE -nostdinc -nostdinc++
                       "SHELL:-isystem ${TRB2ASC_MUSL_INCLUDE_DIR}"
                       "SHELL:-isystem ${trb2asc_gcc_include}" -fno-exceptions -fno-rtti
                       -fno-threadsafe-statics)
# gcc links, with musl's driver settings file for its start files and libc.a. CMake
# would add the C++ runtime that g++ links implicitly; the variable is read for the
# directory of trb2asc.
get_target_property(trb2asc_dir trb2asc SOURCE_DIR)
if(NOT trb2asc_dir STREQUAL CMAKE_CURRENT_SOURCE_DIR)
  message(FATAL_ERROR "include musl_release.cmake from the directory that defines trb2asc")
endif()
set(CMAKE_CXX_IMPLICIT_LINK_LIBRARIES "")
set_target_properties(trb2asc PROPERTIES LINKER_LANGUAGE C)
target_link_options(trb2asc PRIVATE -specs=${TRB2ASC_MUSL_SPECS} -static)
message(STATUS "trb2asc release: static against musl (${TRB2ASC_MUSL_INCLUDE_DIR})")
