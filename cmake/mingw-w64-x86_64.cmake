# SPDX-License-Identifier: MIT
# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 GCC, posix thread
# model (packages g++-mingw-w64-x86-64-posix; wine64 to run the results).
#
#   cmake -S . -B build-windows -G Ninja \
#         -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
#
# (make test-windows does that and runs the tests under Wine.) The posix thread model gives std::thread, std::mutex and
# std::condition_variable through winpthreads; the win32 model of GCC 12 has
# none of them. Everything is linked statically: neither the programs nor
# Qt's DLLs need the MinGW DLLs (libstdc++-6, libgcc_s_seh-1, libwinpthread-1).

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(LQ_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${LQ_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LQ_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${LQ_MINGW_TRIPLET}-windres)
set(CMAKE_AR ${LQ_MINGW_TRIPLET}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${LQ_MINGW_TRIPLET}-gcc-ranlib-posix CACHE FILEPATH "")

# Headers and libraries come from the MinGW sysroot only, programs from the
# build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${LQ_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No MinGW runtime DLLs at run time: programs, and the DLLs and plugins built
# with this file (Qt's, by scripts/build-qt-windows), carry the C++ runtime
# and winpthreads inside.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
