# The Debian package (`cpack -G DEB`, scripts/package-deb.sh): the program in
# /usr/bin, what ships with it in /usr/share/quenlorn (found there from bin/,
# platform::ProgramDataDir), a menu entry that opens GPX and ZIP files, the
# icon in the hicolor theme, AppStream metadata, the licence in Debian's
# machine-readable copyright format. The dependencies come from the linked
# shared libraries (dpkg-shlibdeps).

set(QL_APP_ID de.zellgrenz.quenlorn)
set(QL_LINUX_PACKAGING ${PROJECT_SOURCE_DIR}/packaging/linux)
install(FILES ${QL_LINUX_PACKAGING}/${QL_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${QL_LINUX_PACKAGING}/${QL_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${QL_LINUX_PACKAGING}/icons/${QL_APP_ID}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${QL_LINUX_PACKAGING}/icons/${QL_APP_ID}-48.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps
        RENAME ${QL_APP_ID}.png)

# Debian's documentation folder: the copyright file and a changelog, and the
# manual page, compressed as Debian wants it (gzip -9n: no name, no time stamp).
set(QL_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/quenlorn)
string(TIMESTAMP QL_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)  # SOURCE_DATE_EPOCH when set
file(WRITE ${CMAKE_BINARY_DIR}/debian/changelog
     "quenlorn (${PROJECT_VERSION}) stable; urgency=medium\n\n"
     "  * Release ${PROJECT_VERSION}: the history of changes is in\n"
     "    /usr/share/quenlorn/Historie.txt.\n\n"
     " -- zellgrenz.de <info@zellgrenz.de>  ${QL_CHANGELOG_DATE}\n")
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/debian/changelog.gz
                   COMMAND gzip -9nkf ${CMAKE_BINARY_DIR}/debian/changelog
                   DEPENDS ${CMAKE_BINARY_DIR}/debian/changelog VERBATIM)
configure_file(${QL_LINUX_PACKAGING}/quenlorn.1 ${CMAKE_BINARY_DIR}/debian/quenlorn.1 COPYONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/debian/quenlorn.1.gz
                   COMMAND gzip -9nkf ${CMAKE_BINARY_DIR}/debian/quenlorn.1
                   DEPENDS ${CMAKE_BINARY_DIR}/debian/quenlorn.1 VERBATIM)
add_custom_target(debian_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/debian/changelog.gz
                                               ${CMAKE_BINARY_DIR}/debian/quenlorn.1.gz)
install(FILES ${CMAKE_BINARY_DIR}/debian/quenlorn.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${QL_LINUX_PACKAGING}/copyright ${CMAKE_BINARY_DIR}/debian/changelog.gz DESTINATION ${QL_DOC_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${QL_INSTALL_DATADIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quenlorn)
set(CPACK_PACKAGE_VENDOR "zellgrenz.de")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "zellgrenz.de <info@zellgrenz.de>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Geocaching-Funde den Kreisen von Rheinland-Pfalz zuordnen")
# The long description; CPack puts the summary line above it.
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
       "Quenlorn Polygonberechnung liest die My-Finds-Pocket-Query der\n"
       "Geocaching-Seite (ZIP oder GPX), ordnet jeden Fund in Rheinland-Pfalz\n"
       "einem der 36 Land- und Stadtkreise zu, zählt die Funde je Kreis und zeigt\n"
       "die Funde außerhalb aller Kreise, für die Quenlorn-Kreis-Challenge.\n"
       "Die Kreisgrenzen stammen aus VG250 des BKG (Datenlizenz Deutschland -\n"
       "Namensnennung - Version 2.0).")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.zellgrenz.de/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# xdg-open shows the help page, listings and placemark files.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                                WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)

# cpack installs what the script built (quenlorn) without building every
# target first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
