# SPDX-License-Identifier: MIT
# The Windows build: the layers below the window, lq3860ctl and their tests,
# cross-compiled with MinGW-w64 (cmake/mingw-w64-x86_64.cmake) and run under
# Wine, or built natively. The window joins where Qt 6 for Windows is found.

# The wide-character API, Windows 10 declarations, no min and max macros.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00 WINVER=0x0A00)

# All programs in one folder, as they are installed: the tests start
# lq3860ctl.exe from the folder they were started from.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

# GoogleTest: an installed one, else the sources Debian ships (package
# googletest), built with the same compiler. Nothing is downloaded.
find_package(GTest QUIET)
if(NOT GTest_FOUND)
  set(LQ_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory(${LQ_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()

find_package(Qt6 QUIET COMPONENTS Core Gui Widgets Test)

# Cross-built programs run under Wine, in a prefix of this build folder.
if(CMAKE_CROSSCOMPILING AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/cmake/wine-run.sh --prefix ${CMAKE_BINARY_DIR}/wine-prefix)
endif()
