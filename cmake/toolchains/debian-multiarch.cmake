# Shared part of the cross toolchain files: Debian's cross compiler for
# RIPPLEMOOR_CROSS_TRIPLE, the target's libraries from /usr/lib/<triple> and
# /usr/include/<triple> (multiarch), never the build machine's.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_C_COMPILER ${RIPPLEMOOR_CROSS_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${RIPPLEMOOR_CROSS_TRIPLE}-g++)
set(CMAKE_LIBRARY_ARCHITECTURE ${RIPPLEMOOR_CROSS_TRIPLE})

# Packages and libraries only where the target's live; programs (python3,
# qemu) from the build machine. Multiarch keeps both in /usr, so the search
# root stays / and CMAKE_LIBRARY_ARCHITECTURE picks the target's folders.
set(CMAKE_FIND_ROOT_PATH /usr/${RIPPLEMOOR_CROSS_TRIPLE} /)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
