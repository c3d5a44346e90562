# The Debian package: `cmake --build --preset release --target package` makes
# vandrel_<version>_amd64.deb in the build folder.
include(GNUInstallDirs)
set(VANDREL_MAINTAINER "Vandrel developers <dev@vandrel.net>"
    CACHE STRING "Maintainer named in the Debian package")

install(FILES packaging/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
configure_file(packaging/changelog.in changelog @ONLY)
find_program(GZIP_PROGRAM gzip REQUIRED)
add_custom_command(OUTPUT changelog.gz
    COMMAND ${GZIP_PROGRAM} -9nkf changelog
    DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/changelog)
add_custom_target(package_changelog ALL DEPENDS changelog.gz)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vandrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${VANDREL_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "network interface byte rates and UDP stream capture")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Vandrel net traffic is a small desktop tool for people who capture and check
broadcast streams. Once a second its window shows, for every network
interface, the outgoing and incoming byte rate in KB/sec.

It captures a UDP unicast or multicast stream (MPEG transport streams,
typically) raw into a file without losing datagrams while the window is busy,
shows the host's IP addresses and the first adapter's hardware address, and
carries three developer diagnostics. Its menus are in Chinese and English.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PROJECT_HOMEPAGE_URL})
# The libraries come from the binary; the Chinese texts need a CJK font and Qt's own
# Chinese strings, which no library dependency brings.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
# What dh_strip does beyond strip: drop the compilers' .comment notes.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_SOURCE_DIR}/packaging/drop_comments.cmake)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
