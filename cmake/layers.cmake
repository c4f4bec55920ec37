# Layer libraries. Every header is included by its folder, as in
# "device/module_link.h". A layer library offers an include root that holds
# only its own folder (a link to it in the build tree), so a file sees the
# headers of exactly the layers its library links: an include of a higher
# layer, or of a layer that is not linked, does not compile.

set(LQ_LAYER_INCLUDE_ROOT ${CMAKE_BINARY_DIR}/layer-include)

# lq_layer(NAME <layer> SOURCES ... [DEPENDS <layer> ...] [LIBRARIES ...])
# makes the static library lq3860_<layer> from the folder <layer>.
function(lq_layer)
  cmake_parse_arguments(LAYER "" "NAME" "SOURCES;DEPENDS;LIBRARIES" ${ARGN})
  set(target lq3860_${LAYER_NAME})
  set(root ${LQ_LAYER_INCLUDE_ROOT}/${LAYER_NAME})
  file(MAKE_DIRECTORY ${root})
  if(NOT EXISTS ${root}/${LAYER_NAME})
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${LAYER_NAME} SYMBOLIC)
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
