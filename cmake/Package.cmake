# The Debian package of both programs and their desktop files:
# `make package` leaves build/snesenie_<version>_amd64.deb.

set(SNESENIE_MAINTAINER "snesenie developers <snesenie@example.org>"
    CACHE STRING "Maintainer field of the Debian package: name <address>")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME snesenie)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "snesenie developers")
set(CPACK_PACKAGE_CONTACT ${SNESENIE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "carry coordinates from the top of a signal down to the ground")
set(CPACK_PACKAGE_DESCRIPTION
"A calculator for one classical surveying task: the coordinates of a ground
point P near a point A that cannot be occupied with an instrument (the top of
a signal, a spire), from the coordinates of A and of two distant points B and
C, two bases laid out from P and the angles measured at their ends and at P.
The task is solved twice, through B and through C, and every intermediate
quantity is shown as on a hand computation sheet, to be compared digit by
digit. The interface is in Russian.

The package holds the window (snesenie) and the same sheet on the command
line for scripts (snesenie-cli).")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${SNESENIE_HOMEPAGE})
# The libraries come from dpkg-shlibdeps; what it cannot see is named here:
# the Liberation faces the sheet's symbols are set in, and the toolkit's own
# Russian texts (context menus, standard buttons).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_SOURCE_GENERATOR TXZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git" "/build/")

include(CPack)
