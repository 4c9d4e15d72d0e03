# IBM Z (s390x, big-endian) with Debian's cross compiler (g++-s390x-linux-gnu).
# The target's libraries come from Debian multiarch packages (libhwy-dev:s390x,
# libgtest-dev:s390x), which also put its loader and C++ runtime where
# qemu-s390x finds them: the binaries run as `qemu-s390x ./prog`.
#   cmake -S . -B build-cross-s390x \
#         -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/s390x-linux-gnu.cmake -DRIPPLEMOOR_GL=OFF
set(RIPPLEMOOR_CROSS_TRIPLE s390x-linux-gnu)
set(CMAKE_SYSTEM_PROCESSOR s390x)
# ctest, test discovery and build-time tools run under qemu-user, on qemu's own
# processor unless RIPPLEMOOR_QEMU_CPU names one.
set(RIPPLEMOOR_QEMU_CPU "" CACHE STRING "processor qemu-s390x emulates (empty: its default)")
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-s390x)
if(RIPPLEMOOR_QEMU_CPU)
  list(APPEND CMAKE_CROSSCOMPILING_EMULATOR -cpu ${RIPPLEMOOR_QEMU_CPU})
endif()
include(${CMAKE_CURRENT_LIST_DIR}/debian-multiarch.cmake)
