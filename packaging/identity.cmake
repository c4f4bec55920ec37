# SPDX-License-Identifier: MIT
# What the packages say about the project, derived from project(VERSION),
# packaging/changelog and LICENSE: the contact, the release date, the man
# pages, the copyright file and the compressed changelog. (The version header
# and the desktop id are cmake/version.cmake's.)

set(LQ_CONTACT "LQ-3860 Utility developers <lq3860-utility@example.invalid>")
# The project's public web page: the packages' Homepage field and the
# metainfo's homepage link. Neither is written while it is empty.
set(LQ_HOMEPAGE "" CACHE STRING "Web page of the project for the package metadata")
set_property(DIRECTORY "${PROJECT_SOURCE_DIR}" APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             "${CMAKE_CURRENT_LIST_DIR}/changelog" "${PROJECT_SOURCE_DIR}/LICENSE")

# The release date is the date of the changelog's newest entry, whose version
# must be the project's: a new version needs its changelog entry.
file(STRINGS "${CMAKE_CURRENT_LIST_DIR}/changelog" changelog_head LIMIT_COUNT 1)
file(STRINGS "${CMAKE_CURRENT_LIST_DIR}/changelog" changelog_trailer REGEX "^ -- " LIMIT_COUNT 1)
if(NOT changelog_head MATCHES "^[a-z0-9.+-]+ \\(([^)]+)\\) "
   OR NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "packaging/changelog: the newest entry is not for version ${PROJECT_VERSION}: "
                      "add one for it (${changelog_head})")
endif()
if(NOT changelog_trailer MATCHES ">  [A-Z][a-z][a-z], ([0-9][0-9]?) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
  message(FATAL_ERROR "packaging/changelog: no date in the newest entry's trailer line: ${changelog_trailer}")
endif()
set(day "${CMAKE_MATCH_1}")
set(year "${CMAKE_MATCH_3}")
set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND months "${CMAKE_MATCH_2}" month)
math(EXPR month "${month} + 1" OUTPUT_FORMAT DECIMAL)
if(month LESS 1 OR day GREATER 31)
  message(FATAL_ERROR "packaging/changelog: bad date in ${changelog_trailer}")
endif()
string(LENGTH "${day}" day_length)
if(day_length EQUAL 1)
  set(day "0${day}")
endif()
if(month LESS 10)
  set(month "0${month}")
endif()
set(LQ_RELEASE_DATE "${year}-${month}-${day}")
# Pages carry SOURCE_DATE_EPOCH's date where the build sets it (as Debian's
# package builds do), else the release date: never the day of the build.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  string(TIMESTAMP LQ_PAGE_DATE "%Y-%m-%d" UTC)
else()
  set(LQ_PAGE_DATE "${LQ_RELEASE_DATE}")
endif()

# Everything the packages install that the build makes; the package test
# builds it before it runs CPack.
add_custom_target(lq3860_package_files ALL)

# Debian wants documentation compressed with gzip -9n: best compression, no
# name or time stamp in the header, so every build gives the same bytes.
find_program(LQ_GZIP gzip)
function(lq_gzip_file input target)
  if(LQ_GZIP)
    add_custom_command(OUTPUT "${input}.gz" COMMAND "${LQ_GZIP}" -9nkf "${input}" DEPENDS "${input}" VERBATIM)
    add_custom_target(${target} DEPENDS "${input}.gz")
    add_dependencies(lq3860_package_files ${target})
  endif()
endfunction()

# lq_install_man_page(PAGE COMPONENT): installs the man page PAGE (beside the
# calling CMakeLists.txt) with @PROJECT_VERSION@ and @LQ_PAGE_DATE@ filled in,
# compressed where gzip is found, into the install component COMPONENT.
# Windows has no man pages: its installer carries none.
function(lq_install_man_page page component)
  if(WIN32)
    return()
  endif()
  get_filename_component(name "${page}" NAME)
  string(REGEX MATCH "[1-9]$" section "${name}")
  set(output "${LQ_GENERATED_DIR}/man/${name}")
  configure_file("${page}" "${output}" @ONLY)
  lq_gzip_file("${output}" "lq3860_man_${name}")
  if(LQ_GZIP)
    set(output "${output}.gz")
  endif()
  install(FILES "${output}" DESTINATION "${CMAKE_INSTALL_MANDIR}/man${section}" COMPONENT ${component})
endfunction()

# The Debian copyright file, with the license text and holders of LICENSE.
file(READ "${PROJECT_SOURCE_DIR}/LICENSE" license)
if(NOT license MATCHES "\nCopyright \\(c\\) ([^\n]+)\n\n(.+)$")
  message(FATAL_ERROR "LICENSE: no copyright line followed by the license text")
endif()
set(LQ_COPYRIGHT "${CMAKE_MATCH_1}")
string(STRIP "${CMAKE_MATCH_2}" license)
string(REPLACE "\n\n" "\n.\n" license "${license}")
string(REPLACE "\n" "\n " LQ_LICENSE_TEXT " ${license}")
configure_file("${CMAKE_CURRENT_LIST_DIR}/copyright.in" "${LQ_GENERATED_DIR}/doc/copyright" @ONLY)
configure_file("${CMAKE_CURRENT_LIST_DIR}/changelog" "${LQ_GENERATED_DIR}/doc/changelog" COPYONLY)
lq_gzip_file("${LQ_GENERATED_DIR}/doc/changelog" lq3860_changelog)
