# cmake --install: the program folder (the program, its cipher library and,
# when the build made it, the user manual) under lib/mirukasu, a launcher in
# bin/, the desktop entry and the icon. The launcher runs a per-user copy of
# the program folder (resources/desktop/launcher.sh says why).
include(GNUInstallDirs)
set(MIRUKASU_PROGRAM_DIR "${CMAKE_INSTALL_LIBDIR}/mirukasu" CACHE STRING
    "Where the program folder is installed, relative to the prefix")

install(TARGETS mirukasu RUNTIME DESTINATION ${MIRUKASU_PROGRAM_DIR})
install(TARGETS ciphrax LIBRARY DESTINATION ${MIRUKASU_PROGRAM_DIR})
install(FILES "${CMAKE_BINARY_DIR}/bin/【ユーザーマニュアル】Mirukasu.pdf"
        DESTINATION ${MIRUKASU_PROGRAM_DIR} OPTIONAL)

# The launcher finds the program folder relative to itself, so that a
# DESTDIR staging tree or a moved prefix still works.
file(RELATIVE_PATH LAUNCHER_TO_PROGRAM "/prefix/${CMAKE_INSTALL_BINDIR}"
     "/prefix/${MIRUKASU_PROGRAM_DIR}")
configure_file(${CMAKE_SOURCE_DIR}/resources/desktop/launcher.sh
               ${CMAKE_BINARY_DIR}/mirukasu-launcher @ONLY)
install(PROGRAMS ${CMAKE_BINARY_DIR}/mirukasu-launcher
        DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME mirukasu)

install(FILES ${CMAKE_SOURCE_DIR}/resources/desktop/mirukasu.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/mirukasu.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
