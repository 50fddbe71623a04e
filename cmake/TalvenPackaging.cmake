# What `cmake --install` puts beside the programs (the desktop entry, the
# icon, the AppStream metadata and the manual pages, all in packaging/), the
# checks of those files, and the Debian package built by `cpack -G DEB`.
#
# The programs and the operator's guide are installed by their own folders
# (app/qt/, cli/).

set(TALVEN_APP_ID org.talven.Talven)
set(talven_packaging_dir ${PROJECT_SOURCE_DIR}/packaging)

# --- Manual pages: the version filled in, compressed as Debian keeps them ---

set(talven_man_pages talven-modem)
if(WITH_GUI)
  list(APPEND talven_man_pages talven)
endif()
find_program(GZIP_PROGRAM gzip)
set(talven_man_files)
foreach(page IN LISTS talven_man_pages)
  set(page_file ${PROJECT_BINARY_DIR}/man/${page}.1)
  configure_file(${talven_packaging_dir}/${page}.1.in ${page_file} @ONLY)
  if(GZIP_PROGRAM)
    # -n: no name nor time stamp in the archive, the same bytes on every build.
    add_custom_command(OUTPUT ${page_file}.gz
                       COMMAND ${GZIP_PROGRAM} -9 -n -k -f ${page}.1
                       WORKING_DIRECTORY ${PROJECT_BINARY_DIR}/man
                       DEPENDS ${page_file}
                       COMMENT "Compressing the manual page ${page}(1)"
                       VERBATIM)
    list(APPEND talven_man_files ${page_file}.gz)
  else()
    list(APPEND talven_man_files ${page_file})
  endif()
endforeach()
if(GZIP_PROGRAM)
  add_custom_target(talven_man_pages ALL DEPENDS ${talven_man_files})
endif()
install(FILES ${talven_man_files} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# --- Desktop integration of the windowed program ---

if(WITH_GUI)
  install(FILES ${talven_packaging_dir}/${TALVEN_APP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${talven_packaging_dir}/${TALVEN_APP_ID}.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  install(FILES ${talven_packaging_dir}/${TALVEN_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

# --- Checks of these files, with the validators of the desktop ---

if(WITH_TESTS)
  enable_testing()
  find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
  find_program(APPSTREAMCLI appstreamcli)
  find_program(MANDOC mandoc)
  if(WITH_GUI AND DESKTOP_FILE_VALIDATE)
    add_test(NAME packaging.desktop_entry
             COMMAND ${DESKTOP_FILE_VALIDATE} ${talven_packaging_dir}/${TALVEN_APP_ID}.desktop)
    # Hints pass; errors and warnings fail.
    set_tests_properties(packaging.desktop_entry PROPERTIES FAIL_REGULAR_EXPRESSION "error:;warning:")
  endif()
  if(WITH_GUI AND APPSTREAMCLI)
    add_test(NAME packaging.metainfo
             COMMAND ${APPSTREAMCLI} validate --no-net ${talven_packaging_dir}/${TALVEN_APP_ID}.metainfo.xml)
  endif()
  if(WITH_GUI)
    # The newest release the metadata tells is this version.
    add_test(NAME packaging.metainfo_release
             COMMAND ${CMAKE_COMMAND} -DFILE=${talven_packaging_dir}/${TALVEN_APP_ID}.metainfo.xml
                     -DVERSION=${PROJECT_VERSION} -P ${PROJECT_SOURCE_DIR}/cmake/TalvenCheckRelease.cmake)
  endif()
  find_program(GROFF groff)
  foreach(page IN LISTS talven_man_pages)
    # Any remark fails, a style remark included.
    if(MANDOC)
      add_test(NAME packaging.man_${page}_mandoc
               COMMAND ${MANDOC} -Tlint -W style ${PROJECT_BINARY_DIR}/man/${page}.1)
      set_tests_properties(packaging.man_${page}_mandoc PROPERTIES FAIL_REGULAR_EXPRESSION "mandoc:")
    endif()
    if(GROFF)
      add_test(NAME packaging.man_${page}_groff
               COMMAND ${GROFF} -man -Tutf8 -ww -z ${PROJECT_BINARY_DIR}/man/${page}.1)
      set_tests_properties(packaging.man_${page}_groff PROPERTIES FAIL_REGULAR_EXPRESSION "warning|error")
    endif()
  endforeach()
endif()

# --- The Debian package ---

set(TALVEN_PACKAGE_MAINTAINER "TALVEN developers <talven@packages.invalid>"
    CACHE STRING "Maintainer field of the Debian package: Name <address>")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME talven)
set(CPACK_PACKAGE_VENDOR "TALVEN developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "narrow-band digital-mode transceiver for amateur radio")
# The long description, in lines of Debian's control file.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "TALVEN sends and receives TALVEN, a narrow-band digital mode of amateur"
  "radio: differential BPSK at 10 bauds carrying text. It runs beside a"
  "short-wave receiver and transmitter through the sound card: it shows the"
  "audio spectrum, tunes by a click on the signal, decodes the text, and"
  "transmits typed text and stored sequences, the transmitter keyed by VOX,"
  "by the DTR and RTS lines of a serial port or by CAT through Hamlib."
  "."
  "The package holds the windowed program talven, the command-line modem"
  "talven-modem and the operator's guide in English and French.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TALVEN_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries' packages (Qt 6, ALSA, libsndfile, libsamplerate...) found
# by dpkg-shlibdeps from what the programs link.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Hamlib (keying by CAT) is loaded when first used, so dpkg-shlibdeps does
# not see it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libhamlib4 (>= 4.5)")
# Help opens the guide through xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xdg-utils)
include(CPack)
