# Installation and packages: trb2asc, its manual page, the GPSBabel style, the licence
# and, for Debian, the changelog and a lintian override; a .tar.gz and a .deb on Linux,
# a .zip for Windows (the program, a plain-text README, the licence, the sample track
# and the style; no troff page). The version comes from project() alone.

include(GNUInstallDirs)

# The installed page names the version in its footer; the page in man/ renders as is.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${PROJECT_SOURCE_DIR}/man/trb2asc.1 ${PROJECT_SOURCE_DIR}/packaging/README.txt
             ${PROJECT_SOURCE_DIR}/LICENSE)

set(trb2asc_style ${PROJECT_SOURCE_DIR}/share/trb2asc/trb2asc.style)

if(WIN32)
  # Windows users read text files in Notepad and friends: CR LF, and the .txt name.
  foreach(trb2asc_text README.txt:packaging/README.txt LICENSE.txt:LICENSE)
    string(REPLACE ":" ";" trb2asc_text "${trb2asc_text}")
    list(GET trb2asc_text 0 trb2asc_text_name)
    list(GET trb2asc_text 1 trb2asc_text_source)
    file(READ ${PROJECT_SOURCE_DIR}/${trb2asc_text_source} trb2asc_text_content)
    string(REPLACE "\r\n" "\n" trb2asc_text_content "${trb2asc_text_content}")
    string(REPLACE "\n" "\r\n" trb2asc_text_content "${trb2asc_text_content}")
    # Written only when changed, so that a new configure does not repackage everything.
    set(trb2asc_text_output ${PROJECT_BINARY_DIR}/windows/${trb2asc_text_name})
    set(trb2asc_text_old "")
    if(EXISTS ${trb2asc_text_output})
      file(READ ${trb2asc_text_output} trb2asc_text_old)
    endif()
    if(NOT trb2asc_text_old STREQUAL trb2asc_text_content)
      file(WRITE ${trb2asc_text_output} "${trb2asc_text_content}")
    endif()
  endforeach()
  # A flat folder: the program, what to read, and the sample to try it on.
  install(TARGETS trb2asc RUNTIME DESTINATION .)
  install(FILES ${PROJECT_BINARY_DIR}/windows/README.txt ${PROJECT_BINARY_DIR}/windows/LICENSE.txt
          DESTINATION .)
  install(FILES ${PROJECT_SOURCE_DIR}/examples/ceTrackTail.trb DESTINATION examples)
  install(FILES ${trb2asc_style} DESTINATION share/trb2asc)
else()
  install(TARGETS trb2asc RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

  file(READ ${PROJECT_SOURCE_DIR}/man/trb2asc.1 trb2asc_man_page)
  string(REPLACE "\"trb2asc\" \"User Commands\""
                 "\"trb2asc ${PROJECT_VERSION}\" \"User Commands\""
                 trb2asc_man_page "${trb2asc_man_page}")
  file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/man/trb2asc.1 CONTENT "${trb2asc_man_page}"
       @ONLY)

  # Debian installs manual pages and changelogs compressed; -n keeps the name and time
  # out of the header, so the same sources give the same bytes.
  find_program(TRB2ASC_GZIP gzip REQUIRED)
  add_custom_command(
    OUTPUT ${PROJECT_BINARY_DIR}/man/trb2asc.1.gz
    COMMAND ${TRB2ASC_GZIP} -9n -c ${PROJECT_BINARY_DIR}/man/trb2asc.1 >
            ${PROJECT_BINARY_DIR}/man/trb2asc.1.gz
    DEPENDS ${PROJECT_BINARY_DIR}/man/trb2asc.1
    COMMENT "Compressing the manual page")
  add_custom_command(
    OUTPUT ${PROJECT_BINARY_DIR}/doc/changelog.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/doc
    COMMAND ${TRB2ASC_GZIP} -9n -c ${PROJECT_SOURCE_DIR}/packaging/changelog >
            ${PROJECT_BINARY_DIR}/doc/changelog.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog
    COMMENT "Compressing the changelog")
  add_custom_target(trb2asc_compressed_docs ALL
                    DEPENDS ${PROJECT_BINARY_DIR}/man/trb2asc.1.gz
                            ${PROJECT_BINARY_DIR}/doc/changelog.gz)

  install(FILES ${PROJECT_BINARY_DIR}/man/trb2asc.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${PROJECT_BINARY_DIR}/doc/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/trb2asc)
  install(FILES ${trb2asc_style} DESTINATION ${CMAKE_INSTALL_DATADIR}/trb2asc)
  # Read by lintian only: in the .deb, not in the .tar.gz or a plain install.
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/lintian-overrides
          DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME trb2asc
          COMPONENT debian EXCLUDE_FROM_ALL)
endif()

set(CPACK_PACKAGE_NAME trb2asc)
set(CPACK_PACKAGE_VENDOR "the trb2asc developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "converts a track-tail file into coordinate text")
# One line of at most 80 columns each: lintian warns of longer ones.
set(CPACK_PACKAGE_DESCRIPTION
    "trb2asc reads the binary track-tail file ceTrackTail.trb and writes its track
points to VexaTrackTail.asc as CR LF lines of six-decimal longitude, latitude
and record number. A GPSBabel style and GDAL recipes turn the text into GPX,
KML or GeoJSON.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
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
# A role of the project, not a person; a distribution packager sets its own.
set(TRB2ASC_DEB_MAINTAINER "trb2asc maintainers <maintainers@trb2asc.invalid>"
    CACHE STRING "Maintainer field of the .deb")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TRB2ASC_DEB_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# A static release binary needs nothing; any other build gets its libraries listed.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

# The .deb also takes the lintian override; every other package only the default set.
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_BINARY_DIR}/cpack_per_generator.cmake)
file(CONFIGURE OUTPUT ${CPACK_PROJECT_CONFIG_FILE} CONTENT [[
if(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_INSTALL_CMAKE_PROJECTS
      "@PROJECT_BINARY_DIR@;trb2asc;Unspecified;/;@PROJECT_BINARY_DIR@;trb2asc;debian;/")
endif()
]] @ONLY)

include(CPack)
