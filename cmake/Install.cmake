# Install rules. Everything goes to paths relative to the prefix, so the installed
# tree runs from wherever it lands (cmake --install --prefix P, a .deb, a copy).
#
#   bin/ripplemoor                       launcher: cd into the data folder, exec the program
#   bin/ripplemoor-replay                headless solver replay
#   libexec/ripplemoor/ripplemoor        the program
#   share/ripplemoor/skybox.tga          the generated sky picture
#   share/ripplemoor/scenes/*.toml       the preset scenes
#   share/applications, share/metainfo, share/icons/hicolor, share/man/man1, share/doc
#   lib/python3/dist-packages/ripplemoor  the Python module (python/CMakeLists.txt)
#
# Two components, one Debian package each (cmake/Package.cmake): ripplemoor (the
# programs, data, manual pages) and python3-ripplemoor (the module), so that a
# user of the program needs no Python and the module needs no GL.
include(GNUInstallDirs)

set(RIPPLEMOOR_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(RIPPLEMOOR_APP_ID org.ripplemoor.Ripplemoor)

install(TARGETS ripplemoor-replay RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT ripplemoor)
# The preset scenes, which the programs find relative to themselves (scene/CMakeLists.txt).
install(FILES ${RIPPLEMOOR_PRESETS} DESTINATION ${RIPPLEMOOR_SCENES_INSTALL_DIR} COMPONENT ripplemoor)

# Man pages and the changelog, compressed as Debian wants them (-n: no name or
# time stamp, so the bytes do not depend on when they were built). gzip runs on
# the build machine, also when cross-compiling.
find_program(RIPPLEMOOR_GZIP gzip REQUIRED NO_CMAKE_FIND_ROOT_PATH)
function(ripplemoor_gzip source output)
  add_custom_command(OUTPUT ${output}
                     COMMAND ${RIPPLEMOOR_GZIP} -9n -c ${source} > ${output}
                     DEPENDS ${source}
                     COMMENT "Compressing ${source}")
endfunction()

set(rm_gen_dir ${PROJECT_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${rm_gen_dir})
ripplemoor_gzip(${PROJECT_SOURCE_DIR}/replay/ripplemoor-replay.1 ${rm_gen_dir}/ripplemoor-replay.1.gz)
set(rm_compressed ${rm_gen_dir}/ripplemoor-replay.1.gz)
install(FILES ${rm_gen_dir}/ripplemoor-replay.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
        COMPONENT ripplemoor)

# Every package carries the licence and the changelog in its own doc folder.
ripplemoor_gzip(${RIPPLEMOOR_PACKAGING_DIR}/changelog ${rm_gen_dir}/changelog.gz)
list(APPEND rm_compressed ${rm_gen_dir}/changelog.gz)
install(FILES ${RIPPLEMOOR_PACKAGING_DIR}/copyright ${rm_gen_dir}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT ripplemoor)
if(RIPPLEMOOR_PYTHON)
  install(FILES ${RIPPLEMOOR_PACKAGING_DIR}/copyright ${rm_gen_dir}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/python3-ripplemoor
          COMPONENT python3-ripplemoor)
  install(FILES ${RIPPLEMOOR_PACKAGING_DIR}/python3-ripplemoor.lintian-overrides
          DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME python3-ripplemoor
          COMPONENT python3-ripplemoor)
endif()

if(NOT DEFINED RIPPLEMOOR_GL OR RIPPLEMOOR_GL)
  set(rm_program_dir ${CMAKE_INSTALL_LIBEXECDIR}/ripplemoor)
  set(rm_data_dir ${CMAKE_INSTALL_DATADIR}/ripplemoor)
  install(TARGETS ripplemoor RUNTIME DESTINATION ${rm_program_dir} COMPONENT ripplemoor)
  install(FILES ${PROJECT_BINARY_DIR}/skybox.tga DESTINATION ${rm_data_dir} COMPONENT ripplemoor)

  # The launcher knows the program and the data only relative to its own folder.
  # Relative install dirs (the default) give paths that hold under any prefix;
  # absolute ones are taken as they are.
  set(rm_anchor /prefix)
  set(rm_bin_full ${rm_anchor}/${CMAKE_INSTALL_BINDIR})
  set(rm_program_full ${rm_anchor}/${rm_program_dir})
  set(rm_data_full ${rm_anchor}/${rm_data_dir})
  if(IS_ABSOLUTE "${CMAKE_INSTALL_BINDIR}" OR IS_ABSOLUTE "${CMAKE_INSTALL_LIBEXECDIR}"
     OR IS_ABSOLUTE "${CMAKE_INSTALL_DATADIR}")
    set(rm_bin_full ${CMAKE_INSTALL_FULL_BINDIR})
    set(rm_program_full ${CMAKE_INSTALL_FULL_LIBEXECDIR}/ripplemoor)
    set(rm_data_full ${CMAKE_INSTALL_FULL_DATADIR}/ripplemoor)
  endif()
  file(RELATIVE_PATH RIPPLEMOOR_BIN_TO_PROGRAM ${rm_bin_full} ${rm_program_full}/ripplemoor)
  file(RELATIVE_PATH RIPPLEMOOR_BIN_TO_DATA ${rm_bin_full} ${rm_data_full})
  configure_file(${RIPPLEMOOR_PACKAGING_DIR}/ripplemoor.sh.in
                 ${PROJECT_BINARY_DIR}/packaging/ripplemoor @ONLY)
  install(PROGRAMS ${PROJECT_BINARY_DIR}/packaging/ripplemoor
          DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT ripplemoor)

  ripplemoor_gzip(${PROJECT_SOURCE_DIR}/man/ripplemoor.1 ${rm_gen_dir}/ripplemoor.1.gz)
  list(APPEND rm_compressed ${rm_gen_dir}/ripplemoor.1.gz)
  install(FILES ${rm_gen_dir}/ripplemoor.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
          COMPONENT ripplemoor)

  install(FILES ${RIPPLEMOOR_PACKAGING_DIR}/${RIPPLEMOOR_APP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT ripplemoor)
  install(FILES ${RIPPLEMOOR_PACKAGING_DIR}/${RIPPLEMOOR_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT ripplemoor)
  # Cut from the program's own rendering by docs/tools/gallery.py.
  foreach(size 48 64 128 256)
    install(FILES ${RIPPLEMOOR_PACKAGING_DIR}/icons/${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ${RIPPLEMOOR_APP_ID}.png COMPONENT ripplemoor)
  endforeach()
endif()

add_custom_target(ripplemoor-compressed-docs ALL DEPENDS ${rm_compressed})

if(NOT DEFINED RIPPLEMOOR_GL OR RIPPLEMOOR_GL)
  include(${CMAKE_CURRENT_LIST_DIR}/Package.cmake)
endif()
