# The warnings of the project's own targets, in each compiler's spelling: the one place that
# names them. CMakeLists.txt includes this file. scripts/check_mingw.sh runs it as a script
# (`cmake -P cmake/warnings.cmake`), which prints the GCC spelling with warnings as errors, one
# flag a line.
if(MSVC)
  set(GVDE_WARNINGS /W4)
  set(gvde_warnings_as_errors /WX)
else()
  set(GVDE_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wconversion)
  set(gvde_warnings_as_errors -Werror)
endif()

if(CMAKE_SCRIPT_MODE_FILE)
  foreach(flag IN LISTS GVDE_WARNINGS gvde_warnings_as_errors)
    execute_process(COMMAND ${CMAKE_COMMAND} -E echo "${flag}")
  endforeach()
endif()
