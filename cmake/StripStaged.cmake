# CPack pre-build script: strips every ELF file staged for the packages the way
# Debian's dh_strip does, with the .comment and .note sections (compiler
# versions; lintian's binary-has-unneeded-section) and, for shared objects,
# every symbol not needed for relocation. It walks the whole staging folder, so
# it holds for any package of the cpack run and any file that lands in it.
# CPACK_RIPPLEMOOR_STRIP: the strip program of the toolchain.
if(NOT CPACK_RIPPLEMOOR_STRIP)
  message(FATAL_ERROR "no strip program: CPACK_RIPPLEMOOR_STRIP is empty")
endif()
file(GLOB_RECURSE rm_staged LIST_DIRECTORIES false "${CPACK_TEMPORARY_DIRECTORY}/*")
set(rm_count 0)
foreach(rm_file IN LISTS rm_staged)
  if(IS_SYMLINK "${rm_file}")
    continue()
  endif()
  file(READ "${rm_file}" rm_magic LIMIT 4 HEX)
  if(NOT rm_magic STREQUAL "7f454c46")
    continue()
  endif()
  set(rm_args --remove-section=.comment --remove-section=.note)
  if(rm_file MATCHES "\\.so(\\.[0-9]+)*$")
    list(APPEND rm_args --strip-unneeded)
  endif()
  execute_process(COMMAND ${CPACK_RIPPLEMOOR_STRIP} ${rm_args} "${rm_file}"
                  COMMAND_ERROR_IS_FATAL ANY)
  math(EXPR rm_count "${rm_count} + 1")
endforeach()
message(STATUS "Stripped ${rm_count} ELF files")
