# Read by cpack for each generator. A Debian package installs below the prefix the programs
# were configured with; the tarball keeps the tree relative (bin/, libexec/, share/).
if(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_PACKAGING_INSTALL_PREFIX "${CPACK_GVDE_INSTALL_PREFIX}")
endif()
