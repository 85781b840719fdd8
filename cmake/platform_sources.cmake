# Sources for one platform end in its name: *_posix.cpp, *_win32.cpp, and *_winelib.cpp for
# what only a winelib build needs. A winelib build is compiled by wineg++ as a Win32 program.
if(WIN32)
  set(GVDE_PLATFORMS win32)
elseif(GVDE_WINELIB)
  set(GVDE_PLATFORMS win32 winelib)
else()
  set(GVDE_PLATFORMS posix)
endif()

# Leaves out of the list variable `list_name` the sources that belong to another platform.
function(gvde_keep_platform_sources list_name)
  foreach(platform posix win32 winelib)
    if(NOT platform IN_LIST GVDE_PLATFORMS)
      list(FILTER ${list_name} EXCLUDE REGEX "_${platform}\\.cpp$")
    endif()
  endforeach()
  set(${list_name} ${${list_name}} PARENT_SCOPE)
endfunction()
