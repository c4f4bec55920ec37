# SPDX-License-Identifier: MIT
# CPack pre-build script: removes the .comment sections (compiler version
# strings) from the staged programs, as Debian's dh_strip does; CPack's own
# stripping keeps them.
find_program(objcopy NAMES objcopy)
if(NOT objcopy)
  return()
endif()
file(GLOB_RECURSE staged LIST_DIRECTORIES false "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
list(FILTER staged INCLUDE REGEX "/bin/[^/]+$")
foreach(program IN LISTS staged)
  execute_process(COMMAND "${objcopy}" --remove-section=.comment "${program}" COMMAND_ERROR_IS_FATAL ANY)
endforeach()
