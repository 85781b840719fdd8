# What `cmake --install` puts where (GNUInstallDirs below CMAKE_INSTALL_PREFIX):
#   bin/gvde-cli, bin/gvde-demogen           the programs (gvde-demogen: component demogen)
#   libexec/gvde/gvde-archive-worker         started by gvde-cli, not by hand: kept off PATH
#   share/man/man1/<program>.1.gz            the man pages
#   share/bash-completion/completions/<program>, share/zsh/vendor-completions/_<program>,
#   share/fish/vendor_completions.d/<program>.fish   the completions, where Debian's shells look
#   share/doc/gvde/README.md, share/doc/gvde/docs/  the documentation and the JSON Schema
# Everything but gvde-demogen is component gvde.

# The program, its man page and its completions (cmake/program_texts.cmake).
function(gvde_install_program target component)
  install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT ${component})
  if(NOT GVDE_PROGRAM_TEXTS)
    return()
  endif()
  set(texts ${GVDE_GENERATED_DIR})
  install(FILES ${texts}/man/${target}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${component})
  install(FILES ${texts}/bash-completion/${target}
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions COMPONENT ${component})
  install(FILES ${texts}/zsh/_${target}
          DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions COMPONENT ${component})
  install(FILES ${texts}/fish/${target}.fish
          DESTINATION ${CMAKE_INSTALL_DATADIR}/fish/vendor_completions.d COMPONENT ${component})
endfunction()

gvde_install_program(gvde-cli gvde)
gvde_install_program(gvde-demogen demogen)
install(TARGETS gvde-archive-worker RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/gvde COMPONENT gvde)

# README's links into docs/ keep working in the installed copy.
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT gvde)
install(FILES docs/data-format.md docs/gvde-data.schema.json docs/archive-worker.md docs/benchmark.md
              docs/window.md
        DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs COMPONENT gvde)
