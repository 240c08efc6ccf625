# The Debian package (scripts/package runs cpack on the build tree): ollivane_<version>_<arch>.deb
# with what cmake/Install.cmake installs under /usr. The version is the one the build wrote into
# version.txt (cmake/PackageVersion.cmake reads it when cpack runs), so a package built from a tree
# with uncommitted changes says so.

# cpack builds only what it packages, not every test program first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ollivane)
set(CPACK_PACKAGE_VENDOR "The Ollivane developers")
set(CPACK_PACKAGE_CONTACT "The Ollivane developers <ollivane@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "copy the tracks of a music CD onto an electronic dictionary's SD card")
set(CPACK_PACKAGE_INSTALL_DIRECTORY ollivane)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${OLLIVANE_HOMEPAGE})
# The synopsis is the summary above; cpack indents these lines and marks the blank one.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Ollivane copies the tracks of a music CD onto the SD card of a handheld
electronic dictionary. Put in a disc and a card, tick the tracks and press
one button: the disc is ripped to 128 kbps MP3 and the ticked tracks land in
an album folder on the card. The window is in Japanese.

The package also holds ollivane-rip, which rips a disc or a CD image
(CUE/BIN, cdrdao TOC, Nero) into a folder from the command line.")
# The libraries' packages from what the programs link (dpkg-shlibdeps); the Japanese fonts the
# window is drawn with.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic")
# Directories 0755 whatever the packager's umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_STRIP_FILES ON)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_BINARY_DIR}/PackageVersion.cmake)
configure_file(${PROJECT_SOURCE_DIR}/cmake/PackageVersion.cmake.in ${PROJECT_BINARY_DIR}/PackageVersion.cmake @ONLY)
include(CPack)
