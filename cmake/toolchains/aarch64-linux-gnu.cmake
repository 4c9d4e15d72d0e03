# 64-bit ARM with Debian's cross compiler (g++-aarch64-linux-gnu). The target's
# libraries come from Debian multiarch packages (libhwy-dev:arm64,
# libgtest-dev:arm64), which also put its loader and C++ runtime where
# qemu-aarch64 finds them: the binaries run as `qemu-aarch64 -cpu CPU ./prog`.
#   cmake -S . -B build-cross-aarch64 \
#         -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/aarch64-linux-gnu.cmake -DRIPPLEMOOR_GL=OFF \
#         [-DRIPPLEMOOR_QEMU_CPU=max]
set(RIPPLEMOOR_CROSS_TRIPLE aarch64-linux-gnu)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
# ctest, test discovery and build-time tools run under qemu-user, on the
# processor RIPPLEMOOR_QEMU_CPU names (cortex-a72: NEON only; max: with SVE).
set(RIPPLEMOOR_QEMU_CPU cortex-a72 CACHE STRING "processor qemu-aarch64 emulates")
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64 -cpu ${RIPPLEMOOR_QEMU_CPU})
include(${CMAKE_CURRENT_LIST_DIR}/debian-multiarch.cmake)
