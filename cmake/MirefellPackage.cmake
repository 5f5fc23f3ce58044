# cmake --install of the game (component game): the programs under libexec/mirefell, launchers
# on the PATH that run them over the data folder share/mirefell (res/), the desktop entry, the
# icons drawn at build time, the manual page. `cpack -G DEB` (make package) makes the Debian
# package of the game from them.
set(game_libexec ${CMAKE_INSTALL_LIBEXECDIR}/mirefell)
set(game_data ${CMAKE_INSTALL_DATADIR}/mirefell)
install(TARGETS mirefell mirefell-replay RUNTIME DESTINATION ${game_libexec} COMPONENT game)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/res DESTINATION ${game_data} COMPONENT game
        FILES_MATCHING PATTERN "*.png" PATTERN "*.txt")

file(RELATIVE_PATH bin_to_libexec /${CMAKE_INSTALL_BINDIR} /${game_libexec})
file(RELATIVE_PATH bin_to_data /${CMAKE_INSTALL_BINDIR} /${game_data})
foreach(program mirefell mirefell-replay)
  configure_file(${PROJECT_SOURCE_DIR}/docs/package/${program}.sh.in
                 ${CMAKE_BINARY_DIR}/launchers/${program} @ONLY)
  install(PROGRAMS ${CMAKE_BINARY_DIR}/launchers/${program}
          DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT game)
endforeach()

install(FILES ${PROJECT_SOURCE_DIR}/docs/package/mirefell.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT game)
install(DIRECTORY ${CMAKE_BINARY_DIR}/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor
        COMPONENT game)
install(FILES ${PROJECT_SOURCE_DIR}/docs/package/mirefell.6
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man6 COMPONENT game)
install(FILES ${PROJECT_SOURCE_DIR}/docs/package/mirefell.6
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man6 RENAME mirefell-replay.6 COMPONENT game)

# The Debian package holds the game alone; its dependencies are the run-time libraries that
# dpkg-shlibdeps finds the programs linked with, and the faces the game's text is set in.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME mirefell)
set(CPACK_PACKAGE_VENDOR "The Mirefell developers")
set(CPACK_PACKAGE_CONTACT "Mirefell developers <mirefell@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small isometric action game")
set(CPACK_PACKAGE_DESCRIPTION
    "Steer a hero over seven tile maps of a fen, strike blue slimes, flowers and mud slimes, and face the boss. Runs on a software Direct3D 9 device of its own.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_COMPONENTS_ALL game)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2, fonts-dejavu-core")
include(CPack)
