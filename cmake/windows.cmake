# SPDX-License-Identifier: MIT
# The Windows build: the layers below the window, lq3860ctl and their tests,
# cross-compiled with MinGW-w64 (cmake/mingw-w64-x86_64.cmake) and run under
# Wine, or built natively. The window joins where Qt 6 for Windows is found.

# The wide-character API, Windows 10 declarations, no min and max macros.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00 WINVER=0x0A00)

# All programs in one folder, as they are installed: the tests start
# lq3860ctl.exe from the folder they were started from.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
# Installed the same way: everything in the program's folder.
set(CMAKE_INSTALL_BINDIR .)

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

# Qt 6 for Windows: LQ_QT_WINDOWS names its folder (scripts/build-qt-windows
# prints it). Its tools (moc, rcc, uic) are the build machine's own Qt of the
# same version, found where that Qt was built to find them (QT_HOST_PATH).
set(LQ_QT_WINDOWS "" CACHE PATH "Qt 6 for Windows (scripts/build-qt-windows)")
if(LQ_QT_WINDOWS)
  list(APPEND CMAKE_FIND_ROOT_PATH ${LQ_QT_WINDOWS})
  list(APPEND CMAKE_PREFIX_PATH ${LQ_QT_WINDOWS})
  find_package(Qt6 REQUIRED COMPONENTS Core Gui Widgets Test)
else()
  find_package(Qt6 QUIET COMPONENTS Core Gui Widgets Test)
endif()

# Cross-built programs run under Wine, in a prefix of this build folder.
if(CMAKE_CROSSCOMPILING AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/cmake/wine-run.sh --prefix ${CMAKE_BINARY_DIR}/wine-prefix)
endif()

# The programs' version records, manifest and icon (windres).
include(${PROJECT_SOURCE_DIR}/packaging/windows/resources.cmake)
