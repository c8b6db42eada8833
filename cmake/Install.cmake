# Installing lays the program directory out under the prefix (share/vivrelo), the two
# programs beside it, a launcher that starts the program from its program directory, the
# desktop entry and the icons. CPack turns the same layout into a Debian package.
include(GNUInstallDirs)

set(VIVRELO_INSTALL_PROGRAM_SUBDIR ${CMAKE_INSTALL_DATADIR}/vivrelo)
set(VIVRELO_INSTALL_BINARY_SUBDIR ${CMAKE_INSTALL_LIBEXECDIR}/vivrelo)
set(VIVRELO_INSTALLED_PROGRAM_DIR ${CMAKE_INSTALL_PREFIX}/${VIVRELO_INSTALL_PROGRAM_SUBDIR})

install(TARGETS vivrelo RUNTIME DESTINATION ${VIVRELO_INSTALL_BINARY_SUBDIR})
install(TARGETS vivrelo-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${VIVRELO_PROGRAM_DIR}/ DESTINATION ${VIVRELO_INSTALL_PROGRAM_SUBDIR}
  PATTERN vivrelo EXCLUDE PATTERN vivrelo-cli EXCLUDE PATTERN .keep EXCLUDE)

configure_file(${CMAKE_SOURCE_DIR}/src/resources/desktop/vivrelo.in ${CMAKE_BINARY_DIR}/launcher/vivrelo @ONLY)
install(PROGRAMS ${CMAKE_BINARY_DIR}/launcher/vivrelo DESTINATION ${CMAKE_INSTALL_BINDIR})
configure_file(${CMAKE_SOURCE_DIR}/src/resources/desktop/vivrelo.desktop.in ${CMAKE_BINARY_DIR}/launcher/vivrelo.desktop @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/launcher/vivrelo.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(DIRECTORY ${CMAKE_BINARY_DIR}/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
# What software centres show: summaries, descriptions, screenshots, the desktop entry it launches.
install(FILES ${CMAKE_SOURCE_DIR}/src/resources/desktop/fr.orbelin_software.vivrelo.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# The nightly automatic backup, a user service and its timer. Nothing enables them: a user
# turns them on with "systemctl --user enable --now vivrelo-backup.timer".
configure_file(${CMAKE_SOURCE_DIR}/src/resources/desktop/vivrelo-backup.service.in
  ${CMAKE_BINARY_DIR}/launcher/vivrelo-backup.service @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/launcher/vivrelo-backup.service
  ${CMAKE_SOURCE_DIR}/src/resources/desktop/vivrelo-backup.timer
  DESTINATION lib/systemd/user)
set(VIVRELO_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/vivrelo)
install(FILES ${CMAKE_SOURCE_DIR}/src/resources/desktop/copyright DESTINATION ${VIVRELO_DOC_DIR})
# Debian wants the changelog and the manual pages compressed, without time stamps.
foreach(f changelog vivrelo.1 vivrelo-cli.1)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/launcher/${f}.gz
    COMMAND sh -c "gzip -9n -c '${CMAKE_SOURCE_DIR}/src/resources/desktop/${f}' > '${CMAKE_BINARY_DIR}/launcher/${f}.gz'"
    DEPENDS ${CMAKE_SOURCE_DIR}/src/resources/desktop/${f} VERBATIM)
  list(APPEND VIVRELO_GZ ${CMAKE_BINARY_DIR}/launcher/${f}.gz)
endforeach()
add_custom_target(vivrelo_package_docs ALL DEPENDS ${VIVRELO_GZ})
install(FILES ${CMAKE_BINARY_DIR}/launcher/changelog.gz DESTINATION ${VIVRELO_DOC_DIR})
install(FILES ${CMAKE_BINARY_DIR}/launcher/vivrelo.1.gz ${CMAKE_BINARY_DIR}/launcher/vivrelo-cli.1.gz
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
# The package installs where the programs were built to look: the desktop entry and the
# "installed copy" rule of the data directory both use this prefix.
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_PACKAGE_NAME vivrelo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Orbelin Software Development <contact@orbelin-software.fr>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "household shopping lists with prices in three shops")
set(CPACK_PACKAGE_DESCRIPTION "Vivrelo keeps a catalogue of products with three prices and stocks,\nbuilds the shopping list with running totals per shop, prints it, and\nraises the stocks when the list is validated. French interface.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Run-time data the linker cannot see: the typeface the layouts are measured in and Qt's
# French translations.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, qt6-translations-l10n")
# The help and web-site commands hand their address to xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
