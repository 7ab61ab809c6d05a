# The Debian package: `cpack -G DEB` in the build folder (or scripts/package) turns the install
# rules of the whole project into welcomer_<version>_<architecture>.deb, stripped, its run-time
# dependencies computed from the binaries by dpkg-shlibdeps.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME welcomer)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Welcomer developers")
# CPack puts the summary before the description, as the package's synopsis line.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "messages of the day and run-once commands at every user's login")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Welcomer shows a set of text and bitmap files, one page at a time, to each
user who logs in, in a small window on the desktop or in the terminal of a
console or SSH login, until the user has acknowledged each of them; a page
shows again when its file changes. It can also run a command once for each
user.
.
What each user has seen is kept per user: in a database in the home folder,
or in the organisation's LDAP directory so that it follows the user from
workstation to workstation.
.
The administrator writes the arguments once, in /etc/welcomer/arguments;
the package starts Welcomer at every desktop and console login.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${WELCOMER_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)

set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt finds its platform plugins at run time, so no library dependency names them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# WebP pages need Qt's image-format plugins, and a session with only a Wayland compositor needs
# Qt's Wayland platform; without them those pages and sessions fall back as the README says.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-image-formats-plugins, qt6-wayland")

set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

include(CPack)
