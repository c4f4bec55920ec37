# SPDX-License-Identifier: MIT
# lq_windows_resources(TARGET <exe> VERSION <a.b.c.d> DESCRIPTION <text>
#                      INTERNAL_NAME <text> PRODUCT <text> [ICON <file.ico>])
# compiles with windres, into the Windows program <exe>: its version record
# (U.S. English, Unicode: translation 0409 04B0), the manifest beside this
# file and, where given, the icon as icon 128.
function(lq_windows_resources)
  cmake_parse_arguments(RC "" "TARGET;VERSION;DESCRIPTION;INTERNAL_NAME;PRODUCT;ICON" "" ${ARGN})
  string(REPLACE "." "," LQ_RC_VERSION "${RC_VERSION}")
  string(REPLACE "." ", " LQ_RC_VERSION_TEXT "${RC_VERSION}")
  set(LQ_RC_FILE_NAME "${RC_TARGET}.exe")
  set(LQ_RC_DESCRIPTION "${RC_DESCRIPTION}")
  set(LQ_RC_INTERNAL_NAME "${RC_INTERNAL_NAME}")
  set(LQ_RC_PRODUCT "${RC_PRODUCT}")
  set(LQ_RC_MANIFEST "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/lq3860.manifest")
  set(LQ_RC_ICON "")
  if(RC_ICON)
    set(LQ_RC_ICON "128 ICON \"${RC_ICON}\"")
  endif()
  set(rc "${LQ_GENERATED_DIR}/${RC_TARGET}.rc")
  configure_file("${CMAKE_CURRENT_FUNCTION_LIST_DIR}/program.rc.in" "${rc}" @ONLY)
  target_sources(${RC_TARGET} PRIVATE "${rc}")
  set_property(SOURCE "${rc}" APPEND PROPERTY OBJECT_DEPENDS "${LQ_RC_MANIFEST}" ${RC_ICON})
endfunction()
