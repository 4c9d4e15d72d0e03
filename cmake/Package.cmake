# The Debian package: `cpack -G DEB` (or plain `cpack`) in the build folder makes
# ripplemoor_<version>_<arch>.deb from the install rules of cmake/Install.cmake.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ripplemoor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Ripplemoor developers")
set(CPACK_PACKAGE_CONTACT "Ripplemoor developers <developers@ripplemoor.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "real-time water-surface simulation")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Stripped as dh_strip would, after staging (see cmake/StripStaged.cmake).
set(CPACK_STRIP_FILES OFF)
set(CPACK_RIPPLEMOOR_STRIP ${CMAKE_STRIP})
list(APPEND CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/StripStaged.cmake)
# CPack (3.25) stamps the ar members, the control files and every packaged file
# with SOURCE_DATE_EPOCH when it is in its environment; cpack reads this file
# before it packages, so a plain `cpack` in the build folder gives the same
# bytes as any other build of the same commit.
set(rm_cpack_project ${PROJECT_BINARY_DIR}/packaging/CPackProjectConfig.cmake)
file(CONFIGURE OUTPUT ${rm_cpack_project}
     CONTENT "set(ENV{SOURCE_DATE_EPOCH} ${RIPPLEMOOR_SOURCE_DATE_EPOCH})\n")
set(CPACK_PROJECT_CONFIG_FILE ${rm_cpack_project})
# What CPack leaves to the umask: the modes of the archive's members.
list(APPEND CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/NormaliseDebMembers.cmake)
# Plain 0755 folders and 0644/0755 files whatever the umask of the build.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://ripplemoor.org/")
# Dependencies come from the binaries (dpkg-shlibdeps), never from a list here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The long description; CPack puts the summary above it as the synopsis.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Ripplemoor simulates a 160 x 160 basin of water on a staggered grid and
draws it every frame as a lit, coloured surface inside a sky box, under
an orbit camera. Drops of water are made with a key or the middle mouse
button; seven colour modes show the height or quantities derived from
the flow.
.
The package also holds ripplemoor-replay, which runs the same solver
headless on a script and writes the fields it computed.")

# The Python module ships in the same package.
if(RIPPLEMOOR_PYTHON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "${RIPPLEMOOR_PYTHON_DEPENDS}")
  string(APPEND CPACK_DEBIAN_PACKAGE_DESCRIPTION "
.
The Python module ripplemoor hands the same solver to Python, with its
fields as NumPy arrays.")
endif()

include(CPack)
