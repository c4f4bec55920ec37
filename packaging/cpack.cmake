# The Debian package: `cpack -G DEB` in the build folder makes
# lq3860-utility_<version>_<arch>.deb from everything the project installs.
set(CPACK_PACKAGE_NAME "lq3860-utility")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "LQ-3860 Utility developers")
set(CPACK_PACKAGE_CONTACT "LQ-3860 Utility developers <lq3860-utility@example.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Configuration utility for the LQ-3860 USB Wi-Fi module")
set(CPACK_PACKAGE_DESCRIPTION
    "Reads, edits and writes the Wi-Fi parameters of LQ-3860 modules attached over USB, shows their firmware version and signal strength, keeps parameter sets in files and finds the MAC address of a host on the LAN. Contains the window program, the command-line tool lq3860ctl, the virtual module lq3860-sim and a udev rule that lets the user at the seat use the modules.")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Dependencies come from the shared libraries the binaries really use.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${CMAKE_CURRENT_LIST_DIR}/postinst")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_GENERATOR "DEB")
include(CPack)
