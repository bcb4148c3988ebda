# Installing like any Linux desktop program: the GNU folder layout (cmake --install, DESTDIR),
# menu entries and icons, and the Debian package made by CPack. Each component installs its own
# files with the folders named here.
include(GNUInstallDirs)

# Private to the suite: the engine only the agent loads, and the tools of whoever publishes
# modules, kept off the users' command path.
set(QUILLSET_INSTALL_PRIVATE_DIR ${CMAKE_INSTALL_LIBDIR}/quillset)
set(QUILLSET_INSTALL_DATA_DIR ${CMAKE_INSTALL_DATADIR}/quillset)
# Named after the package, as Debian wants, whatever the project is called.
set(QUILLSET_INSTALL_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/quillset)
# The same folders seen from the installed programs, so an installed tree works under any prefix
# and nothing reads the build tree once installed.
file(RELATIVE_PATH QUILLSET_INSTALLED_DATA_FROM_PROGRAM ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_FULL_DATADIR}/quillset)
file(RELATIVE_PATH QUILLSET_INSTALLED_PRIVATE_FROM_PROGRAM ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_FULL_LIBDIR}/quillset)
set(QUILLSET_INSTALL_RPATH "$ORIGIN/${QUILLSET_INSTALLED_PRIVATE_FROM_PROGRAM}")
# Every binary is linked with its installed search path, which installing leaves as it is. Left
# to rewrite it at install time, CMake pads a shorter build-tree path with ':' to make room, and
# the loader reads each empty entry as the working folder. Nothing here links a library of the
# build tree (the agent opens the engine beside itself by its full name), so no binary needs
# a build-tree path; ctest's build_runpaths holds every binary to absolute and $ORIGIN entries.
set(CMAKE_BUILD_WITH_INSTALL_RPATH ON)
# The day the version in project() was released; the package changelog and the software-centre
# listings carry it.
set(QUILLSET_RELEASE_DATE 2026-12-08)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillset)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Quillset developers")
set(CPACK_PACKAGE_CONTACT "The Quillset developers <developers@quillset.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "document-printing programs with their update agent")
# Kept in lines of at most 80 characters, as the package tools show them.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Two desktop programs of the Quillset family print one formatted page each:"
  "movie, a movie schedule with pictures and justified descriptions, and"
  "quotation, a quotation letter. The update agent TLUPDATER, started by a module"
  "of the family, fetches a newer version of the module from the update server,"
  "unpacks it and starts it.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
    GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Dependencies come from the binaries themselves (dpkg-shlibdeps), never from a hand-kept list,
# except what no binary links: the pages are laid out in Liberation's metrics, which the
# programs' typefaces map to, and libcups is opened only when a print queue is used.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, libcups2")
# The publishing tool, used only by whoever runs an update server, archives with zip, signs with
# openssl and lists the archive's entries for the signature with python3.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "zip, openssl, python3")

add_subdirectory(${PROJECT_SOURCE_DIR}/packaging)
include(CPack)
