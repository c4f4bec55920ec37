# SPDX-License-Identifier: MIT
# Layer libraries. Every header is included by its folder, as in
# "device/module_link.h". A layer library offers an include root that holds
# only its own folder (a link to it in the build tree), so a file sees the
# headers of exactly the layers its library links: an include of a higher
# layer, or of a layer that is not linked, does not compile.

set(LQ_LAYER_INCLUDE_ROOT ${CMAKE_BINARY_DIR}/layer-include)

# Makes `link` lead to the folder `target`. Windows allows symbolic links
# only with a privilege (or developer mode); a directory junction needs none.
function(lq_link_folder target link)
  file(CREATE_LINK ${target} ${link} RESULT failed SYMBOLIC)
  if(failed AND CMAKE_HOST_WIN32)
    file(TO_NATIVE_PATH ${target} native_target)
    file(TO_NATIVE_PATH ${link} native_link)
    execute_process(COMMAND cmd /c mklink /J ${native_link} ${native_target} RESULT_VARIABLE failed OUTPUT_QUIET)
  endif()
  if(failed)
    message(FATAL_ERROR "cannot link ${link} to ${target}: ${failed}")
  endif()
endfunction()

# lq_layer(NAME <layer> SOURCES ... [LINUX_SOURCES ...] [WINDOWS_SOURCES ...]
#          [DEPENDS <layer> ...] [LIBRARIES ...] [LINUX_LIBRARIES ...]
#          [WINDOWS_LIBRARIES ...])
# makes the static library lq3860_<layer> from the folder <layer>. The
# platform lists join the others on their platform: each platform file of a
# seam is named once, beside its counterpart.
function(lq_layer)
  cmake_parse_arguments(LAYER "" "NAME"
    "SOURCES;LINUX_SOURCES;WINDOWS_SOURCES;DEPENDS;LIBRARIES;LINUX_LIBRARIES;WINDOWS_LIBRARIES" ${ARGN})
  if(WIN32)
    list(APPEND LAYER_SOURCES ${LAYER_WINDOWS_SOURCES})
    list(APPEND LAYER_LIBRARIES ${LAYER_WINDOWS_LIBRARIES})
  else()
    list(APPEND LAYER_SOURCES ${LAYER_LINUX_SOURCES})
    list(APPEND LAYER_LIBRARIES ${LAYER_LINUX_LIBRARIES})
  endif()
  set(target lq3860_${LAYER_NAME})
  set(root ${LQ_LAYER_INCLUDE_ROOT}/${LAYER_NAME})
  file(MAKE_DIRECTORY ${root})
  if(NOT EXISTS ${root}/${LAYER_NAME})
    lq_link_folder(${CMAKE_CURRENT_SOURCE_DIR} ${root}/${LAYER_NAME})
  endif()
  add_library(${target} STATIC ${LAYER_SOURCES})
  target_include_directories(${target} PUBLIC ${root})
  foreach(layer ${LAYER_DEPENDS})
    target_link_libraries(${target} PUBLIC lq3860_${layer})
  endforeach()
  if(LAYER_LIBRARIES)
    target_link_libraries(${target} PUBLIC ${LAYER_LIBRARIES})
  endif()
endfunction()
