# The changelog is the one record of the releases: the version on top must be
# the project's, and its entries become the release date of the man pages and
# the release notes of the AppStream metainfo. It is a Debian changelog, so
# the package ships it as it stands (with the maintainer filled in).

set(SNESENIE_CHANGELOG ${PROJECT_SOURCE_DIR}/data/changelog.in)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${SNESENIE_CHANGELOG})
file(STRINGS ${SNESENIE_CHANGELOG} changelog_lines ENCODING UTF-8)

set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
set(SNESENIE_RELEASES_XML "")
set(version "")
set(items "")
set(item "")
# Appends the item being read to the entry's list, escaped for XML.
macro(_changelog_close_item)
  if(NOT item STREQUAL "")
    string(REPLACE "&" "&amp;" item "${item}")
    string(REPLACE "<" "&lt;" item "${item}")
    string(REPLACE ">" "&gt;" item "${item}")
    string(APPEND items "          <li>${item}</li>\n")
    set(item "")
  endif()
endmacro()

foreach(line IN LISTS changelog_lines)
  if(line MATCHES "^snesenie \\(([^)]+)\\)")
    set(version ${CMAKE_MATCH_1})
    set(items "")
  elseif(line MATCHES "^  \\* (.*)$")
    _changelog_close_item()
    set(item "${CMAKE_MATCH_1}")
  elseif(line MATCHES "^    (.*)$" AND NOT item STREQUAL "")
    string(APPEND item " ${CMAKE_MATCH_1}")
  elseif(line MATCHES "^ -- .*  [A-Z][a-z][a-z], ([0-9][0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
    _changelog_close_item()
    list(FIND months ${CMAKE_MATCH_2} month)
    math(EXPR month "${month} + 1")
    if(month LESS 10)
      set(month 0${month})
    endif()
    set(date ${CMAKE_MATCH_3}-${month}-${CMAKE_MATCH_1})
    if(NOT DEFINED SNESENIE_RELEASE_DATE)
      if(NOT version STREQUAL PROJECT_VERSION)
        message(FATAL_ERROR "data/changelog.in starts with ${version}, the project is ${PROJECT_VERSION}")
      endif()
      # The day the newest version was released, for the man pages.
      set(SNESENIE_RELEASE_DATE ${date})
    endif()
    string(APPEND SNESENIE_RELEASES_XML
      "    <release version=\"${version}\" date=\"${date}\">\n"
      "      <description>\n        <ul>\n${items}        </ul>\n      </description>\n"
      "    </release>\n")
  endif()
endforeach()
if(NOT DEFINED SNESENIE_RELEASE_DATE)
  message(FATAL_ERROR "data/changelog.in has no complete entry")
endif()
string(REGEX REPLACE "\n$" "" SNESENIE_RELEASES_XML "${SNESENIE_RELEASES_XML}")
