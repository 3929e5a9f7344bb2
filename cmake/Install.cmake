# Installation in the usual places and the Debian package.
#
#   <prefix>/bin/Qel8625, <prefix>/bin/Qel8624Emulator, <prefix>/bin/qel8625-batch
#   <prefix>/share/qel8625/             the shipped files the program reads (ProgramDataFolder)
#   <prefix>/share/qel8625/languages/   the language files
#   <prefix>/share/applications/qel8625.desktop, <prefix>/share/icons/hicolor/.../qel8625.*
#   <prefix>/share/doc/qel8625/          copyright, changelog
#   <prefix>/share/man/man1/Qel8625.1.gz
#
# An installed program finds its shipped files through the relative path from its program folder
# to its data folder (compiled in), and writes what it writes into the user's folders.
include(GNUInstallDirs)
set(QEL_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/qel8625)
file(RELATIVE_PATH QEL_INSTALL_DATA_RELATIVE ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}
     ${CMAKE_INSTALL_PREFIX}/${QEL_INSTALL_DATADIR})
target_compile_definitions(qel_components_core PRIVATE
  QEL_INSTALL_DATA_RELATIVE="${QEL_INSTALL_DATA_RELATIVE}")

install(TARGETS Qel8625 Qel8624Emulator qel8625-batch RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
file(GLOB _qel_data LIST_DIRECTORIES false CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/data/*)
install(FILES ${_qel_data} DESTINATION ${QEL_INSTALL_DATADIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/instructions DESTINATION ${QEL_INSTALL_DATADIR}
        OPTIONAL)
# The language files (<datadir>/languages: the translations and the originals they were made from).
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/languages DESTINATION ${QEL_INSTALL_DATADIR}
        FILES_MATCHING PATTERN "*.lan" PATTERN "*.ori")
install(FILES ${CMAKE_SOURCE_DIR}/packaging/qel8625.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/qel8625.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/qel8625)

# Debian wants the manual page and the changelog compressed, reproducibly (no name, no time).
find_program(QEL_GZIP gzip)
if(QEL_GZIP)
  # A native package (no Debian revision) names its changelog changelog.gz.
  foreach(_pair "Qel8625.1|${CMAKE_INSTALL_MANDIR}/man1" "Qel8624Emulator.1|${CMAKE_INSTALL_MANDIR}/man1" "qel8625-batch.1|${CMAKE_INSTALL_MANDIR}/man1"
                "changelog|${CMAKE_INSTALL_DATADIR}/doc/qel8625")
    string(REPLACE "|" ";" _pair ${_pair})
    list(GET _pair 0 _name)
    list(GET _pair 1 _dest)
    set(_gz ${CMAKE_BINARY_DIR}/packaging/${_name}.gz)
    add_custom_command(OUTPUT ${_gz}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
      COMMAND ${QEL_GZIP} -9 -n -c ${CMAKE_SOURCE_DIR}/packaging/${_name} > ${_gz}
      DEPENDS ${CMAKE_SOURCE_DIR}/packaging/${_name} VERBATIM)
    list(APPEND _qel_gz ${_gz})
    install(FILES ${_gz} DESTINATION ${_dest})
  endforeach()
  add_custom_target(qel_packaging_files ALL DEPENDS ${_qel_gz})
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qel8625)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "QEL")
set(CPACK_PACKAGE_CONTACT "QEL Application Software <software@qel.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "operating software of the QEL 8624 turns-ratio meter")
# CPack puts the summary in front as the synopsis and indents the lines (under 80 characters).
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Application Software 8625 drives the QEL 8624 three-phase transformer
turns-ratio meter over an RS-232 line from a touch screen: transformer
setup, ratio tests over every tap and winding pair, test documents in XML
with CSV, HTML and PDF reports, analysis against limits and arbitrary phase
shift detection. It includes an instrument emulator for training and a
simulation mode.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://qel.invalid/8625")
# The libraries come from dpkg-shlibdeps; the platform plugins (xcb, offscreen) and the JPEG
# plugin are in libqt6gui6, which the libraries already pull in.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's database drivers are plugins the libraries do not name: SQLite for the test index, and
# PostgreSQL for the fleet store, which is optional.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, libqt6sql6-psql")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
