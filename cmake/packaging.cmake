# `cpack` (scripts/package): Debian packages gvde and gvde-demogen (the optional demo game
# generator, which needs gvde), and one tarball of both. Programs are stripped as they are
# packed (CPACK_STRIP_FILES), which leaves the build tree's copies whole for debugging.
set(CPACK_PACKAGE_NAME gvde)
set(CPACK_PACKAGE_VENDOR gvde)
set(CPACK_PACKAGE_CONTACT "gvde developers")
set(CPACK_GENERATOR DEB TGZ)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL gvde demogen)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_GVDE_PACKAGE_NAME gvde)
set(CPACK_DEBIAN_DEMOGEN_PACKAGE_NAME gvde-demogen)
# The package installs where the programs were built to look (--help names the data format's
# installed path), so DEB uses CMAKE_INSTALL_PREFIX rather than its own /usr; see
# cmake/cpack_generator.cmake.
set(CPACK_GVDE_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/cpack_generator.cmake)
set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)

include(CPack)
# The first line of each description is the Debian package's synopsis.
cpack_add_component(gvde DISPLAY_NAME "gvde-cli" REQUIRED
  DESCRIPTION "Grimveil data extractor: a static web site from the game's data
gvde-cli turns an installed copy of the game Grimveil into a browsable static web
site: one page per item, unique item, monster, boss, prefix and suffix, navigation
lists, and PNG pictures decoded from the game's sprite files.")
cpack_add_component(demogen DISPLAY_NAME "gvde-demogen" DEPENDS gvde
  DESCRIPTION "synthetic Grimveil game folder for trying gvde-cli
gvde-demogen writes a small synthetic game folder (GV.exe, both archives, sprites
and the three .ini files) on which gvde-cli can be tried without the game.")
