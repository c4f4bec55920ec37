# SPDX-License-Identifier: MIT
# The Debian packages: `cpack -G DEB` in the build folder makes, from the
# install components,
#   lq3860ctl_<version>_<arch>.deb       the command-line tool and the udev rule, without Qt
#   lq3860-utility_<version>_<arch>.deb  the window and its desktop integration; needs lq3860ctl
#   lq3860-sim_<version>_<arch>.deb      virtual modules through /dev/uhid, for testing
# The version has no Debian revision: the project packages itself (a native
# package), so the changelog is installed as changelog.gz.
set(CPACK_PACKAGE_NAME "lq3860-utility")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "LQ-3860 Utility developers")
set(CPACK_PACKAGE_CONTACT "${LQ_CONTACT}")
if(LQ_HOMEPAGE)
  set(CPACK_PACKAGE_HOMEPAGE_URL "${LQ_HOMEPAGE}")
endif()
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
# Strips what CPack's strip leaves: the compilers' .comment sections.
set(CPACK_PRE_BUILD_SCRIPTS "${CMAKE_CURRENT_LIST_DIR}/strip_comments.cmake")

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL ctl utility)
if(TARGET lq3860-sim)
  list(APPEND CPACK_COMPONENTS_ALL sim)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# Dependencies come from the shared libraries the binaries really use, and
# from the components each component needs (as "name (= version)").
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_COMPONENT_UTILITY_DEPENDS ctl)
# Qt opens a Wayland session's display only with its Wayland platform plugin.
set(CPACK_DEBIAN_UTILITY_PACKAGE_RECOMMENDS "qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# Each description: a summary line under 80 characters, then lines of the
# long description, each under 80 characters (CPack does not wrap them).
set(CPACK_DEBIAN_CTL_PACKAGE_NAME "lq3860ctl")
set(CPACK_DEBIAN_CTL_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_CTL_PACKAGE_SOURCE "lq3860-utility")
set(CPACK_DEBIAN_CTL_PACKAGE_CONTROL_EXTRA "${CMAKE_CURRENT_LIST_DIR}/postinst")
set(CPACK_DEBIAN_CTL_DESCRIPTION "command-line tool for LQ-3860 USB Wi-Fi modules
lq3860ctl reads, edits and writes the Wi-Fi parameters of LQ-3860 modules
attached over USB (connection mode, channel, encryption, key, SSID and MAC
address), shows their firmware version and signal strength, keeps parameter
sets in small text files and finds the MAC address of an IPv4 host on the
LAN: every operation of the LQ-3860 Utility window, for the shell and for
scripts, without a desktop.

The package also contains a udev rule that lets the user at the seat open
the modules without root.")

set(CPACK_DEBIAN_UTILITY_PACKAGE_NAME "lq3860-utility")
set(CPACK_DEBIAN_UTILITY_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_UTILITY_DESCRIPTION "configuration utility for LQ-3860 USB Wi-Fi modules
LQ-3860 Utility reads, edits and writes the Wi-Fi parameters of LQ-3860
modules attached over USB (connection mode, channel, encryption, key, SSID
and MAC address), shows their firmware version and signal strength, keeps
parameter sets in small text files and finds the MAC address of an IPv4
host on the LAN.

The package contains the window program lq3860-utility with its menu entry.
The command-line tool lq3860ctl and the udev rule that lets the user at the
seat open the modules come with the package lq3860ctl.")

set(CPACK_DEBIAN_SIM_PACKAGE_NAME "lq3860-sim")
set(CPACK_DEBIAN_SIM_PACKAGE_SECTION "devel")
set(CPACK_DEBIAN_SIM_PACKAGE_SOURCE "lq3860-utility")
set(CPACK_DEBIAN_SIM_DESCRIPTION "virtual LQ-3860 Wi-Fi modules for testing
lq3860-sim creates virtual LQ-3860 modules through /dev/uhid: real HID
devices on the kernel's HID stack that programs find and drive through
hidraw exactly like attached hardware. Options give them another vendor, a
second HID collection, no product name, silence, unplugging after a number
of reports, and parameters kept in a file.

It is a testing tool for the LQ-3860 Utility and other programs that talk
to the modules. Creating devices needs access to /dev/uhid (usually root)
and the uhid kernel module.")

set(CPACK_GENERATOR "DEB")
include(CPack)
