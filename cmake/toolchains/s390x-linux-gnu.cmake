# IBM Z (s390x, big-endian) with Debian's cross compiler (g++-s390x-linux-gnu).
# The target's libraries come from Debian multiarch packages (libhwy-dev:s390x,
# libgtest-dev:s390x), which also put its loader and C++ runtime where
# qemu-s390x finds them: the binaries run as `qemu-s390x ./prog`.
#   cmake -S . -B build-cross-s390x \
#         -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/s390x-linux-gnu.cmake -DRIPPLEMOOR_GL=OFF
set(RIPPLEMOOR_CROSS_TRIPLE s390x-linux-gnu)
set(CMAKE_SYSTEM_PROCESSOR s390x)
# ctest, test discovery and build-time tools run under qemu-user.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-s390x)
include(${CMAKE_CURRENT_LIST_DIR}/debian-multiarch.cmake)
