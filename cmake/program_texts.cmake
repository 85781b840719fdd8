# gvde_program_texts(target): after every link, the program prints its man page and shell
# completions from the table its parser reads (cmake/generate_texts.cmake), into
# ${GVDE_GENERATED_DIR}: man/<target>.1(.gz), bash-completion/<target>, zsh/_<target>,
# fish/<target>.fish. So they cannot fall behind the program. Native POSIX builds only: a
# cross-compiled program cannot run here.
set(GVDE_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
if(NOT WIN32 AND NOT GVDE_WINELIB AND NOT CMAKE_CROSSCOMPILING)
  set(GVDE_PROGRAM_TEXTS ON)
  find_program(GVDE_GZIP gzip REQUIRED)
else()
  set(GVDE_PROGRAM_TEXTS OFF)
endif()

function(gvde_program_texts target)
  if(NOT GVDE_PROGRAM_TEXTS)
    return()
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${target}> -DNAME=${target} -DDIR=${GVDE_GENERATED_DIR}
            -DGZIP=${GVDE_GZIP} -P ${PROJECT_SOURCE_DIR}/cmake/generate_texts.cmake
    VERBATIM)
endfunction()
