# CPack post-build script: CPack (3.25) gives the three members of a .deb's ar
# archive the mode that its temporary files got from the umask. They become
# 0644, as dpkg-deb writes them, so the package's bytes do not depend on the
# umask of whoever built it. Only the 8-byte mode field of each member header
# is rewritten (with dd: CMake cannot write binary files).
foreach(rm_deb IN LISTS CPACK_PACKAGE_FILES)
  if(NOT rm_deb MATCHES "\\.deb$")
    continue()
  endif()
  file(READ "${rm_deb}" rm_magic LIMIT 8 HEX)
  if(NOT rm_magic STREQUAL "213c617263683e0a")  # "!<arch>\n"
    message(FATAL_ERROR "${rm_deb} is not an ar archive")
  endif()
  file(SIZE "${rm_deb}" rm_size)
  set(rm_header 8)
  while(rm_header LESS rm_size)
    # Header: name 16, mtime 12, uid 6, gid 6, mode 8, size 10, "`\n".
    math(EXPR rm_mode_at "${rm_header} + 40")
    math(EXPR rm_size_at "${rm_header} + 48")
    math(EXPR rm_end_at "${rm_header} + 58")
    file(READ "${rm_deb}" rm_end OFFSET ${rm_end_at} LIMIT 2 HEX)
    if(NOT rm_end STREQUAL "600a")
      message(FATAL_ERROR "${rm_deb}: no ar member header at byte ${rm_header}")
    endif()
    file(READ "${rm_deb}" rm_mode OFFSET ${rm_mode_at} LIMIT 8)
    file(READ "${rm_deb}" rm_member_size OFFSET ${rm_size_at} LIMIT 10)
    string(STRIP "${rm_member_size}" rm_member_size)
    if(NOT rm_mode STREQUAL "100644  ")
      execute_process(COMMAND sh -c "printf '100644  ' | dd of=\"$1\" bs=1 seek=\"$2\" conv=notrunc status=none"
                              sh "${rm_deb}" ${rm_mode_at}
                      COMMAND_ERROR_IS_FATAL ANY)
    endif()
    # Members start at even offsets.
    math(EXPR rm_header "${rm_header} + 60 + ${rm_member_size} + ${rm_member_size} % 2")
  endwhile()
endforeach()
