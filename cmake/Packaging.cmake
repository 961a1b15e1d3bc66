# The Debian package: cpack -G DEB in a build folder packs whatever the install rules install.
include(GNUInstallDirs)

set(TIDEMARKER_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/tidemarker)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${TIDEMARKER_DOC_DIR})
# The pictures the README shows, at the relative paths it names.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs DESTINATION ${TIDEMARKER_DOC_DIR} FILES_MATCHING PATTERN "*.png")
# The licence as Debian states it, and the changelog of this native package, compressed.
install(FILES ${PROJECT_SOURCE_DIR}/data/debian/copyright DESTINATION ${TIDEMARKER_DOC_DIR})
set(TIDEMARKER_CHANGELOG ${PROJECT_BINARY_DIR}/changelog)
add_custom_command(OUTPUT ${TIDEMARKER_CHANGELOG}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/data/debian/changelog ${TIDEMARKER_CHANGELOG}
    COMMAND gzip -9nf ${TIDEMARKER_CHANGELOG}
    DEPENDS ${PROJECT_SOURCE_DIR}/data/debian/changelog
    VERBATIM)
add_custom_target(tidemarker_changelog ALL DEPENDS ${TIDEMARKER_CHANGELOG}.gz)
install(FILES ${TIDEMARKER_CHANGELOG}.gz DESTINATION ${TIDEMARKER_DOC_DIR})

set(CPACK_PACKAGE_NAME tidemarker)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Tray gauge of Claude and Codex rate-limit usage against an even pace")
set(CPACK_PACKAGE_DESCRIPTION [[
Tidemarker sits in the system tray and shows, for the Claude and Codex
accounts signed in through their command-line tools, how much of each
rate-limit window (5 hours and weekly) is left against an even pace:
a gauge icon, a one-line tooltip and a menu.]])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Tidemarker maintainers <maintainers@users.noreply.c-seed-60630851.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# The Qt and QCoro libraries the binaries link, with their versions, as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt SQL loads its SQLite driver as a plugin, which no linked library names; QtKeychain loads
# libsecret, its way to the Secret Service, only when it runs.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, libsecret-1-0")

include(CPack)
