# The Debian package of both programs and their desktop files:
# `make package` leaves build/snesenie_<version>_amd64.deb.

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
# the Liberation faces the sheet's symbols are set in, the toolkit's own
# Russian texts (context menus, standard buttons), and its platform plugins
# (the window on X11 or Wayland, and the offscreen one that writes a PDF with
# no display), which libqt6gui6 only recommends: installed without
# recommends, neither program could start a window or write a statement.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, qt6-translations-l10n, qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# Debian strips what install -s leaves: the compiler's .comment and .note.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    foreach(program snesenie snesenie-cli)
      set(file \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/\${program}\")
      if(EXISTS \"\${file}\")
        execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment --remove-section=.note
                                \"\${file}\" COMMAND_ERROR_IS_FATAL ANY)
      endif()
    endforeach()
  endif()")

# The release day at noon UTC, the packaging time of a tree without git:
# days since 1970-01-01 by the usual days-from-civil count (March-based years).
string(REGEX MATCH "^0*([0-9]+)-0*([0-9]+)-0*([0-9]+)$" day "${SNESENIE_RELEASE_DATE}")
set(year ${CMAKE_MATCH_1})
set(month ${CMAKE_MATCH_2})
set(dom ${CMAKE_MATCH_3})
if(month LESS_EQUAL 2)
  math(EXPR year "${year} - 1")
endif()
math(EXPR era "${year} / 400")
math(EXPR yoe "${year} - ${era} * 400")
math(EXPR doy "(153 * ((${month} + 9) % 12) + 2) / 5 + ${dom} - 1")
math(EXPR doe "${yoe} * 365 + ${yoe} / 4 - ${yoe} / 100 + ${doy}")
math(EXPR SNESENIE_RELEASE_EPOCH "(${era} * 146097 + ${doe} - 719468) * 86400 + 43200")
configure_file(${CMAKE_CURRENT_LIST_DIR}/CPackProjectConfig.cmake.in CPackProjectConfig.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/CPackProjectConfig.cmake)

set(CPACK_SOURCE_GENERATOR TXZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git" "/build/")

include(CPack)
