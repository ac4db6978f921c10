# cmake --install: the program folder (the program, its cipher library and,
# when the build made it, the user manual) under lib/mirukasu, a launcher in
# bin/, the desktop entry, the icon and the AppStream metainfo. The launcher
# runs a per-user copy of the program folder (resources/desktop/launcher.sh
# says why). cpack turns the same tree into the Debian package.
include(GNUInstallDirs)
# lib/mirukasu, not the multiarch library folder: nothing else links the
# program's own cipher library, so it stays in the program's private folder.
set(MIRUKASU_PROGRAM_DIR "lib/mirukasu" CACHE STRING
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
# Software centres find the program by its AppStream metainfo; its
# screenshot must be a web address, under the project's site.
set(MIRUKASU_WEB_ADDRESS "https://mirukasu.example" CACHE STRING
    "The project's web site; the metainfo's screenshot lies under it")
set(MIRUKASU_METAINFO ${CMAKE_BINARY_DIR}/local.mirukasu.Mirukasu.metainfo.xml)
configure_file(${CMAKE_SOURCE_DIR}/resources/metainfo/local.mirukasu.Mirukasu.metainfo.xml.in
               ${MIRUKASU_METAINFO} @ONLY)
install(FILES ${MIRUKASU_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# ---- the Debian package (scripts/package) ---------------------------------
# Debian wants the copyright notice, a changelog and a manual page for the
# command, the last two compressed without a time stamp so that the package
# is the same from one build to the next.
set(MIRUKASU_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/mirukasu)
install(FILES ${CMAKE_SOURCE_DIR}/resources/debian/copyright DESTINATION ${MIRUKASU_DOC_DIR})
find_program(GZIP_PROGRAM gzip)
if(GZIP_PROGRAM)
  foreach(doc changelog:${MIRUKASU_DOC_DIR} mirukasu.1:${CMAKE_INSTALL_MANDIR}/man1)
    string(REPLACE ":" ";" doc ${doc})
    list(GET doc 0 name)
    list(GET doc 1 destination)
    add_custom_command(
      OUTPUT ${CMAKE_BINARY_DIR}/${name}.gz
      COMMAND ${GZIP_PROGRAM} -9nc ${CMAKE_SOURCE_DIR}/resources/debian/${name}
              > ${CMAKE_BINARY_DIR}/${name}.gz
      DEPENDS ${CMAKE_SOURCE_DIR}/resources/debian/${name}
      VERBATIM)
    list(APPEND MIRUKASU_COMPRESSED_DOCS ${CMAKE_BINARY_DIR}/${name}.gz)
    install(FILES ${CMAKE_BINARY_DIR}/${name}.gz DESTINATION ${destination})
  endforeach()
  add_custom_target(debian_docs ALL DEPENDS ${MIRUKASU_COMPRESSED_DOCS})
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME mirukasu)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(MIRUKASU_MAINTAINER "Mirukasu developers <dev@mirukasu.example>" CACHE STRING
    "The package's maintainer, name and mail address")
set(CPACK_PACKAGE_CONTACT "${MIRUKASU_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Japanese password memo for the desktop")
# The summary above is the synopsis; cpack indents these lines and turns the
# empty one into the paragraph mark.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Mirukasu keeps the passwords, IDs, card numbers and web addresses that one
would otherwise write on paper: entries of a title and up to 50 item and
content rows, searched by keyword, backed up into dated copies and printed
through a spreadsheet file. The user interface is in Japanese.

Each user's data lives in ~/.local/share/mirukasu; the entries are stored
as plain text, readable by their owner only.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Libraries come from dpkg-shlibdeps; what is opened at run time and so
# invisible to it is named here: Qt's SVG plugins (the window icon), Qt's
# Japanese button texts, a Japanese font and xdg-open (outputs and manual).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6svg6, qt6-translations-l10n, fonts-noto-cjk | fonts-ipafont-gothic, xdg-utils")
# Native in a Wayland session instead of through XWayland.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
# A spreadsheet program and a PDF viewer open the outputs and the manual;
# any will do, so they are only suggested.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "libreoffice-calc | gnumeric, evince | mupdf")
include(CPack)
