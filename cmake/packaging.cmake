# Installation and packages: trb2asc in bin, its manual page in man1; a .tar.gz and a
# .deb on Linux, a .zip for Windows. The version comes from project() alone.

include(GNUInstallDirs)

install(TARGETS trb2asc RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The installed page names the version in its footer; the page in man/ renders as is.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${PROJECT_SOURCE_DIR}/man/trb2asc.1)
file(READ ${PROJECT_SOURCE_DIR}/man/trb2asc.1 trb2asc_man_page)
string(REPLACE "\"trb2asc\" \"User Commands\""
               "\"trb2asc ${PROJECT_VERSION}\" \"User Commands\""
               trb2asc_man_page "${trb2asc_man_page}")
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/man/trb2asc.1 CONTENT "${trb2asc_man_page}"
     @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/man/trb2asc.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_PACKAGE_NAME trb2asc)
set(CPACK_PACKAGE_VENDOR "trb2asc developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Converts a track-tail file into coordinate text")
set(CPACK_PACKAGE_DESCRIPTION
    "trb2asc reads the binary track-tail file ceTrackTail.trb and writes its track points \
as CR LF lines of six-decimal longitude, latitude and record number.")
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
elseif(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  set(CPACK_GENERATOR TGZ DEB)
else()
  set(CPACK_GENERATOR TGZ)
endif()

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "trb2asc developers")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# A static release binary needs nothing; any other build gets its libraries listed.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

include(CPack)
