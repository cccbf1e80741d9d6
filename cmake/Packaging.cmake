# A Debian package of the installed layout:
#   cmake -S . -B build -DCMAKE_INSTALL_PREFIX=/usr && cmake --build build
#   cd build && cpack -G DEB
# The install rules live in data/CMakeLists.txt; this file only describes the package.

set(CPACK_PACKAGE_NAME numira)
set(CPACK_PACKAGE_VENDOR "Numira developers")
set(CPACK_PACKAGE_CONTACT "Numira developers <dev@numira.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_HOMEPAGE_URL https://numira.org)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "keeper of software serial numbers")
set(CPACK_PACKAGE_DESCRIPTION
"Numira keeps a personal database of the serial numbers of the software you
own: for each record the program, its version, the name it is registered to,
the serial number and the date the record was saved.

Add records, browse them by program, search them by keyword, edit and delete
them, switch to another database file and back it up. Started with text on
its command line, Numira opens its add screen with that text as the serial
number.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
# Lintian rejects binaries that still carry their debugging symbols.
set(CPACK_STRIP_FILES ON)

# The Debian revision; the top entry of data/desktop/debian/changelog must name
# <project version>-<revision>.
set(NUMIRA_DEBIAN_REVISION 1)

set(CPACK_DEBIAN_PACKAGE_RELEASE ${NUMIRA_DEBIAN_REVISION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CPACK_PACKAGE_CONTACT})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps works out the Qt and C++ libraries the executable needs.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its PostgreSQL driver at run time, so no library names it: team databases on a
# server need it, a user of files alone does not.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libqt6sql6-psql, qt6-translations-l10n")

# Files under /etc are the administrator's to change (conffiles); the maintainer scripts link
# the host manifest for Google Chrome (see data/extension/CMakeLists.txt).
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_CURRENT_LIST_DIR}/debian/conffiles
    ${CMAKE_CURRENT_LIST_DIR}/debian/postinst
    ${CMAKE_CURRENT_LIST_DIR}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_NUMIRA_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/PackagingChecks.cmake)

include(CPack)
