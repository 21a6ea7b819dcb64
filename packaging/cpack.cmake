# The Debian package: `make package` in the top folder, or `cpack -G DEB` in the build folder.
# Its dependencies come from dpkg-shlibdeps on the installed programs, and the solver library.

# The project has no public web address yet: these use the reserved .example domain and are
# the one place to change when it has (a packager can also set them with -D).
set(KARVELON_HOMEPAGE "https://karvelon.example/" CACHE STRING "Karvelon's web address")
set(KARVELON_APPSTREAM_ID "example.karvelon.Karvelon" CACHE STRING "AppStream component id")
set(KARVELON_MAINTAINER "Karvelon developers <developers@karvelon.example>"
    CACHE STRING "Package maintainer")

# The same script runs after install and after removal.
foreach(script postinst postrm)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/maintainer-script.sh
                 ${CMAKE_CURRENT_BINARY_DIR}/packaging/${script} COPYONLY
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
                                  GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME karvelon)
set(CPACK_PACKAGE_VENDOR "Karvelon developers")
set(CPACK_PACKAGE_CONTACT "${KARVELON_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer and validator for PBN bridge game files")
# Lines as the control file shows them (at most 80 columns).
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Karvelon opens PBN 1.0 (Portable Bridge Notation) files, validates every\n"
  "game to the letter of the standard, writes what it finds wrong to an import\n"
  "log, and shows the clean games one at a time as a bridge table with the\n"
  "auction and the play to step through. karvelon-cli checks files, prints\n"
  "games as JSON and draws the window into PNG pictures.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${KARVELON_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The solver library is opened at run time (dlopen), so dpkg-shlibdeps does not see it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libdds0")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_CURRENT_BINARY_DIR}/packaging/postinst ${CMAKE_CURRENT_BINARY_DIR}/packaging/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
