# Toolchain for the winelib build: the whole tree is compiled with Wine's wineg++, so _WIN32 is
# defined and the Win32 front end and file layer are used, while the program runs as an ELF
# library under Wine on Linux. Use it in a build tree of its own (preset "winelib").
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_C_COMPILER winegcc)
set(CMAKE_CXX_COMPILER wineg++)

# CMake's compiler probe cannot run a winelib program, so it learns neither the multiarch
# library folder nor the system include folders. Without them Debian's zlib and StormLib are
# not found, and /usr/include would be passed as -I ahead of the C++ library's own headers.
execute_process(COMMAND gcc -print-multiarch OUTPUT_VARIABLE gvde_multiarch
                OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(gvde_multiarch)
  set(CMAKE_LIBRARY_ARCHITECTURE ${gvde_multiarch})
endif()
set(CMAKE_C_IMPLICIT_INCLUDE_DIRECTORIES /usr/local/include /usr/include)
set(CMAKE_CXX_IMPLICIT_INCLUDE_DIRECTORIES /usr/local/include /usr/include)

# Read by src/app/win32: resources through wrc, the ".exe" target names, the StormLib unit.
set(GVDE_WINELIB ON)
set(GVDE_BUILD_WINDOW ON)
