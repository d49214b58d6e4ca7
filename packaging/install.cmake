# Installation and the Debian package: the programs, a desktop entry, the icon in the
# hicolor theme, AppStream metadata, manual pages and the documentation, laid out by
# GNUInstallDirs. Nothing installed refers back to the source or build folder.

include(GNUInstallDirs)

set(KESTRO_APP_ID "example.kestro.Kestro")
# Kestro has no web site and no mail address of its own: the package names whoever
# builds it (DEBFULLNAME and DEBEMAIL, as Debian's tools take them), else a mailbox on
# the building machine itself, and no homepage.
if(DEFINED ENV{DEBEMAIL} AND NOT "$ENV{DEBEMAIL}" STREQUAL "")
  set(kestro_builder "$ENV{DEBFULLNAME}")
  if(kestro_builder STREQUAL "")
    set(kestro_builder "Kestro developers")
  endif()
  set(KESTRO_MAINTAINER "${kestro_builder} <$ENV{DEBEMAIL}>" CACHE STRING "The package's maintainer")
else()
  set(KESTRO_MAINTAINER "Kestro developers <kestro@localhost.localdomain>" CACHE STRING
      "The package's maintainer")
endif()
# The day PROJECT_VERSION was released; the metadata and the changelog show it.
set(KESTRO_RELEASE_DATE "2026-12-07")

# The About box names where the README is installed.
target_compile_definitions(kestro_shell PRIVATE KESTRO_DOC_DIR="${CMAKE_INSTALL_FULL_DOCDIR}")

set(KESTRO_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(KESTRO_GENERATED_DIR ${CMAKE_BINARY_DIR}/packaging)

execute_process(COMMAND date -u -R -d "${KESTRO_RELEASE_DATE}"
                OUTPUT_VARIABLE KESTRO_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)

# The programs and the desktop side. The binaries are gathered once every folder has
# declared its targets, so a program added after this file is still installed.
function(kestro_install_programs)
  set(provides "")
  foreach(program kestro kestro-sim kestro-cli)
    if(TARGET ${program})
      install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
      string(APPEND provides "    <binary>${program}</binary>\n")
    endif()
  endforeach()
  if(NOT TARGET kestro)
    return()
  endif()
  string(STRIP "${provides}" provides)
  set(KESTRO_PROVIDES "    ${provides}")
  configure_file(${KESTRO_PACKAGING_DIR}/kestro.metainfo.xml.in
                 ${KESTRO_GENERATED_DIR}/${KESTRO_APP_ID}.metainfo.xml @ONLY)
  install(FILES ${KESTRO_GENERATED_DIR}/${KESTRO_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endfunction()
cmake_language(DEFER CALL kestro_install_programs)

if(TARGET kestro)
  configure_file(${KESTRO_PACKAGING_DIR}/kestro.desktop.in
                 ${KESTRO_GENERATED_DIR}/${KESTRO_APP_ID}.desktop @ONLY)
  install(FILES ${KESTRO_GENERATED_DIR}/${KESTRO_APP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${KESTRO_PACKAGING_DIR}/kestro-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
          RENAME ${KESTRO_APP_ID}.xml)

  # Every size of the icon comes from the one drawing in packaging/icon.svg. The
  # program carries the same pictures as its window icon.
  find_program(KESTRO_RSVG_CONVERT rsvg-convert REQUIRED)
  set(icon_pngs "")
  foreach(size 16 32 48 64 128 256)
    set(png ${KESTRO_GENERATED_DIR}/icons/${size}.png)
    add_custom_command(
      OUTPUT ${png}
      COMMAND ${KESTRO_RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${KESTRO_PACKAGING_DIR}/icon.svg
      DEPENDS ${KESTRO_PACKAGING_DIR}/icon.svg
      COMMENT "Drawing the ${size} pixel icon"
      VERBATIM)
    list(APPEND icon_pngs ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ${KESTRO_APP_ID}.png)
  endforeach()
  install(FILES ${KESTRO_PACKAGING_DIR}/icon.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
          RENAME ${KESTRO_APP_ID}.svg)
  qt_add_resources(kestro kestro_icon PREFIX /icons BASE ${KESTRO_GENERATED_DIR}/icons
                   FILES ${icon_pngs})
  target_compile_definitions(kestro PRIVATE KESTRO_APP_ID="${KESTRO_APP_ID}")
endif()

# Manual pages: the page docs/man/NAME.1 of each program NAME built; a page NAME.1.in
# takes the program's options from its --help. Each page's header shows the version and
# release date. All are compressed as Debian wants them (man reads either). The
# changelog in Debian's format doubles as the release history.
configure_file(${KESTRO_PACKAGING_DIR}/changelog.in ${KESTRO_GENERATED_DIR}/changelog @ONLY)
function(kestro_install_docs)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/docs/man/*.[1-8]
       ${CMAKE_SOURCE_DIR}/docs/man/*.[1-8].in)
  set(pages "")
  foreach(source IN LISTS sources)
    get_filename_component(name ${source} NAME)
    string(REGEX REPLACE "\\.in$" "" page ${name})
    string(REGEX REPLACE "\\.[1-8]$" "" program ${page})
    if(NOT TARGET ${program})
      continue()
    endif()
    configure_file(${source} ${KESTRO_GENERATED_DIR}/man/${name} @ONLY)
    if(name STREQUAL page)
      list(APPEND pages ${KESTRO_GENERATED_DIR}/man/${page})
      continue()
    endif()
    add_custom_command(
      OUTPUT ${KESTRO_GENERATED_DIR}/${page}
      COMMAND ${KESTRO_PACKAGING_DIR}/man_page.sh $<TARGET_FILE:${program}>
              ${KESTRO_GENERATED_DIR}/man/${name} ${KESTRO_GENERATED_DIR}/${page}
      DEPENDS ${program} ${KESTRO_GENERATED_DIR}/man/${name} ${KESTRO_PACKAGING_DIR}/man_page.sh
      COMMENT "Writing the manual page of ${program}"
      VERBATIM)
    list(APPEND pages ${KESTRO_GENERATED_DIR}/${page})
  endforeach()
  set(compressed "")
  foreach(file IN LISTS pages ITEMS ${KESTRO_GENERATED_DIR}/changelog)
    get_filename_component(name ${file} NAME)
    set(gz ${KESTRO_GENERATED_DIR}/${name}.gz)
    add_custom_command(
      OUTPUT ${gz}
      COMMAND gzip -9 -n -c ${file} > ${gz}
      DEPENDS ${file}
      COMMENT "Compressing ${name}")
    list(APPEND compressed ${gz})
    if(name STREQUAL "changelog")
      install(FILES ${gz} DESTINATION ${CMAKE_INSTALL_DOCDIR})
    else()
      string(REGEX MATCH "[1-8]$" section ${name})
      install(FILES ${gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
    endif()
  endforeach()
  add_custom_target(kestro_docs ALL DEPENDS ${compressed})
endfunction()
cmake_language(DEFER CALL kestro_install_docs)

# The open adapter's firmware as Intel HEX, for flashing a board with the usual tools.
if(TARGET kestro-firmware)
  install(FILES ${KESTRO_FIRMWARE_HEX} DESTINATION ${CMAKE_INSTALL_DATADIR}/kestro/firmware)
endif()

install(FILES ${CMAKE_SOURCE_DIR}/README.md ${KESTRO_PACKAGING_DIR}/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${CMAKE_SOURCE_DIR}/docs/screenshot.png DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs)

# The Debian package (scripts/package builds it).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestro)
set(CPACK_PACKAGE_VENDOR "Kestro developers")
set(CPACK_PACKAGE_CONTACT "${KESTRO_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop program for a serial device programmer")
set(CPACK_PACKAGE_DESCRIPTION
    "Kestro drives an external device programmer (the adapter) over a serial line.
Pick one of 196 chip types - 8051 and AVR microcontrollers, PIC12/16/18,
serial EEPROMs, parallel EPROM/EEPROM/Flash, NVRAM, code-hopping encoders -
load an Intel HEX or binary file, inspect it in the hex grid, set fuse and
configuration bits, and identify, read, erase, program and verify the chip.
An adapter simulator, kestro-sim, is included, so everything can be tried
without hardware.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The faces the window is laid out for (it falls back to DejaVu without them).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation2, fonts-comic-neue")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)

# The installed tree and the package, checked from this build.
if(KESTRO_TESTS AND TARGET kestro AND TARGET kestro-sim)
  add_test(NAME install_tree
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/packaging/install_test.sh ${CMAKE_BINARY_DIR} ${KESTRO_APP_ID})
  add_test(NAME debian_package
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/packaging/package_test.sh ${CMAKE_BINARY_DIR} ${PROJECT_VERSION})
  # Both install the build's files; one at a time.
  set_tests_properties(install_tree debian_package PROPERTIES RESOURCE_LOCK kestro_install)
endif()
