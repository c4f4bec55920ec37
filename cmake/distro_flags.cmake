# SPDX-License-Identifier: MIT
# The distribution's build flags, as dpkg-buildflags gives them to Debian's
# own packages: fortified libc calls (_FORTIFY_SOURCE), the stack protector,
# format checks, read-only relocations resolved at start (-z relro -z now)
# and source paths relative to the source folder. Off by default: the build
# that makes the packages (`make package`) turns them on, so the packaged
# programs are hardened while other builds keep the compiler's defaults.
#
# Only for optimised Linux builds without sanitizers or fuzzing:
# _FORTIFY_SOURCE warns without optimisation (an error under -Werror), the
# sanitizers bring their own checked versions of the same functions, and a
# cross build for another system keeps its own flags.
option(LQ_DISTRO_FLAGS "Build with the distribution's flags from dpkg-buildflags (optimised builds)" OFF)

if(LQ_DISTRO_FLAGS)
  find_program(LQ_DPKG_BUILDFLAGS dpkg-buildflags)
  set(why_not "")
  if(LQ_SANITIZE OR LQ_FUZZ)
    set(why_not "a sanitizer or fuzzing build")
  elseif(NOT CMAKE_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo|MinSizeRel)$")
    set(why_not "build type '${CMAKE_BUILD_TYPE}' is not optimised")
  elseif(NOT CMAKE_SYSTEM_NAME STREQUAL "Linux")
    set(why_not "not a Linux build")
  elseif(NOT LQ_DPKG_BUILDFLAGS)
    set(why_not "dpkg-buildflags not found")
  endif()
  if(why_not)
    message(STATUS "LQ_DISTRO_FLAGS: not applied (${why_not})")
  else()
    # Every hardening feature, unless the caller chose its own set.
    set(maint_options "hardening=+all")
    if(DEFINED ENV{DEB_BUILD_MAINT_OPTIONS})
      set(maint_options "$ENV{DEB_BUILD_MAINT_OPTIONS}")
    endif()
    foreach(kind CPPFLAGS CFLAGS CXXFLAGS LDFLAGS)
      # Run in the source folder: -ffile-prefix-map maps the current folder.
      execute_process(
        COMMAND ${CMAKE_COMMAND} -E env "DEB_BUILD_MAINT_OPTIONS=${maint_options}" ${LQ_DPKG_BUILDFLAGS} --get ${kind}
        WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}"
        OUTPUT_VARIABLE distro_${kind} OUTPUT_STRIP_TRAILING_WHITESPACE
        COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
    string(APPEND CMAKE_C_FLAGS " ${distro_CPPFLAGS} ${distro_CFLAGS}")
    string(APPEND CMAKE_CXX_FLAGS " ${distro_CPPFLAGS} ${distro_CXXFLAGS}")
    foreach(kind EXE SHARED MODULE)
      string(APPEND CMAKE_${kind}_LINKER_FLAGS " ${distro_LDFLAGS}")
    endforeach()
    message(STATUS "LQ_DISTRO_FLAGS: ${distro_CPPFLAGS} ${distro_CXXFLAGS} ${distro_LDFLAGS}")
  endif()
endif()
