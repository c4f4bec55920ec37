# SPDX-License-Identifier: MIT
# lq_shell_completion(TARGET COMPONENT): bash and zsh completion for the
# program TARGET, written by the built program itself ("TARGET --completion
# SHELL") from the option table its parser reads, and installed where
# Debian's shells look for them, into the install component COMPONENT. Not
# when cross-compiling: the program cannot run on the build machine.
function(lq_shell_completion target component)
  if(CMAKE_CROSSCOMPILING)
    return()
  endif()
  set(folder ${CMAKE_CURRENT_BINARY_DIR}/completion)
  set(bash ${folder}/bash/${target})
  set(zsh ${folder}/zsh/_${target})
  add_custom_command(OUTPUT ${bash} ${zsh}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}/bash ${folder}/zsh
    COMMAND $<TARGET_FILE:${target}> --completion bash > ${bash}
    COMMAND $<TARGET_FILE:${target}> --completion zsh > ${zsh}
    DEPENDS ${target}
    COMMENT "Shell completion for ${target}"
    VERBATIM)
  add_custom_target(${target}_completion ALL DEPENDS ${bash} ${zsh})
  install(FILES ${bash} DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions COMPONENT ${component})
  install(FILES ${zsh} DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions COMPONENT ${component})
endfunction()
