# The Debian package: `cmake --build build --target package` writes vintrel_VERSION_ARCH.deb
# with the program, its button faces, its man page (also as HTML help) and the systemd unit that serves a show on a
# screen.
include(GNUInstallDirs)
install(TARGETS vintrel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The tool bar's button faces (tools/make_button_faces draws them at build time); the program
# looks for them in ../share/vintrel/buttons from its own folder.
install(DIRECTORY ${CMAKE_BINARY_DIR}/share/vintrel/buttons
  DESTINATION ${CMAKE_INSTALL_DATADIR}/vintrel FILES_MATCHING PATTERN "*.png")

configure_file(${CMAKE_SOURCE_DIR}/packaging/vintrel.1 ${CMAKE_BINARY_DIR}/packaging/vintrel.1 @ONLY)
# Debian keeps man pages compressed; -n leaves out the time, so the package is reproducible.
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/vintrel.1.gz
  COMMAND gzip -9nf -k ${CMAKE_BINARY_DIR}/packaging/vintrel.1
  DEPENDS ${CMAKE_BINARY_DIR}/packaging/vintrel.1)
add_custom_target(vintrel_man_page ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/vintrel.1.gz)
install(FILES ${CMAKE_BINARY_DIR}/packaging/vintrel.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# The help the Help command opens: the man page as HTML (mandoc, Debian's), beside the button
# faces in the build tree and installed, where the program looks for it.
find_program(VINTREL_MANDOC mandoc)
if(VINTREL_MANDOC)
  set(vintrel_help ${CMAKE_BINARY_DIR}/share/vintrel/help/vintrel.html)
  add_custom_command(OUTPUT ${vintrel_help}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/share/vintrel/help
    COMMAND ${VINTREL_MANDOC} -Thtml -Wwarning ${CMAKE_BINARY_DIR}/packaging/vintrel.1 > ${vintrel_help}
    DEPENDS ${CMAKE_BINARY_DIR}/packaging/vintrel.1 VERBATIM)
  add_custom_target(vintrel_help ALL DEPENDS ${vintrel_help})
  # A program built alone finds its help in the build tree too.
  add_dependencies(vintrel vintrel_help)
  install(FILES ${vintrel_help} DESTINATION ${CMAKE_INSTALL_DATADIR}/vintrel/help)
else()
  message(WARNING "mandoc not found (scripts/setup.sh installs it): the HTML help is not built")
endif()
# systemd looks for units under /lib, whatever the install prefix.
install(FILES ${CMAKE_SOURCE_DIR}/packaging/vintrel-show@.service
              ${CMAKE_SOURCE_DIR}/packaging/vintrel-publish@.service DESTINATION /lib/systemd/system)
install(DIRECTORY DESTINATION /etc/vintrel)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vintrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "presentations whose shapes show live data")
set(CPACK_PACKAGE_DESCRIPTION
  "Links shapes of .pptx presentations to text files, databases and workbooks, keeps them filled, and shows live slide shows in web browsers on any number of screens.")
set(CPACK_PACKAGE_CONTACT "Vintrel developers <vintrel@localhost>")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The player reads distribution windows in the zone the settings name, from the system's zone
# database. A browser on the same machine draws the live view's texts in families with the
# widths of the decks' own fonts. WMF pictures are measured with the standard PostScript fonts.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "tzdata, fonts-urw-base35")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
  "fonts-crosextra-carlito, fonts-crosextra-caladea, fonts-liberation2")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_SOURCE_DIR}/packaging/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
