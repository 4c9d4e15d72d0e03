# The Debian packages: `cpack -G DEB` (or plain `cpack`) in the build folder makes
# one package per install component of cmake/Install.cmake:
#   ripplemoor_<version>_<arch>.deb          the programs, data and manual pages
#   python3-ripplemoor_<version>_<arch>.deb  the Python module (with RIPPLEMOOR_PYTHON)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ripplemoor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Ripplemoor developers")
set(CPACK_PACKAGE_CONTACT "Ripplemoor developers <developers@ripplemoor.org>")
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

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL ripplemoor)
if(RIPPLEMOOR_PYTHON)
  list(APPEND CPACK_COMPONENTS_ALL python3-ripplemoor)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://ripplemoor.org/")
# Dependencies come from the binaries (dpkg-shlibdeps), never from a list here;
# the module adds what no binary names (python/CMakeLists.txt).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# Each description's first line is the package's synopsis.
set(CPACK_DEBIAN_RIPPLEMOOR_PACKAGE_NAME ripplemoor)
set(CPACK_DEBIAN_RIPPLEMOOR_PACKAGE_SECTION science)
set(CPACK_DEBIAN_RIPPLEMOOR_DESCRIPTION
"real-time water-surface simulation
Ripplemoor simulates a 160 x 160 basin of water on a staggered grid and
draws it every frame as a lit, coloured surface inside a sky box, under
an orbit camera. Drops of water are made with a key or the middle mouse
button; seven colour modes show the height or quantities derived from
the flow.
.
The package also holds ripplemoor-replay, which runs the same solver
headless on a script and writes the fields it computed.")

if(RIPPLEMOOR_PYTHON)
  set(CPACK_DEBIAN_PYTHON3-RIPPLEMOOR_PACKAGE_NAME python3-ripplemoor)
  set(CPACK_DEBIAN_PYTHON3-RIPPLEMOOR_PACKAGE_SECTION python)
  set(CPACK_DEBIAN_PYTHON3-RIPPLEMOOR_PACKAGE_DEPENDS "${RIPPLEMOOR_PYTHON_DEPENDS}")
  # One simulation per process: Dask's workers run many at once.
  set(CPACK_DEBIAN_PYTHON3-RIPPLEMOOR_PACKAGE_SUGGESTS python3-distributed)
  set(CPACK_DEBIAN_PYTHON3-RIPPLEMOOR_DESCRIPTION
"Ripplemoor's water solver for Python
The Python module ripplemoor runs the solver of the Ripplemoor
water-surface simulation, the same compiled code as the program, with
its fields as NumPy arrays: set the water, step it, read the heights
and velocities, and compare with ripplemoor-replay byte for byte.")
endif()

include(CPack)
