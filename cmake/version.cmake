# SPDX-License-Identifier: MIT
# What the programs say about themselves, from project(VERSION): the
# generated header lq3860_version.h (link lq3860_version to include it).

# Reverse-DNS id of the window program. The desktop file and the AppStream
# metainfo are named after it and the program sets it as its desktop file
# name, so the Wayland app id, the menu entry and software centres agree.
# All lower case, as AppStream recommends for ids.
set(LQ_APP_ID "io.github.lq3860.utility")
set(LQ_GENERATED_DIR "${PROJECT_BINARY_DIR}/generated")

configure_file("${CMAKE_CURRENT_LIST_DIR}/lq3860_version.h.in" "${LQ_GENERATED_DIR}/lq3860_version.h" @ONLY)
add_library(lq3860_version INTERFACE)
target_include_directories(lq3860_version INTERFACE ${LQ_GENERATED_DIR})
