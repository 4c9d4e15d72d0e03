#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, if missing.
# With --cross, also those of the cross-architecture stage (tools/cross-test.sh):
# Debian's cross compilers for arm64 and s390x, those architectures' Highway and
# GoogleTest through multiarch, and qemu-user to run what they build.
set -euo pipefail

packages=(cmake make g++ clang libclang-rt-14-dev pkg-config
          freeglut3-dev libglu1-mesa-dev mesa-common-dev libgl-dev libx11-dev libgl1-mesa-dri
          libgtest-dev libbenchmark-dev libhwy-dev
          xvfb xauth xdotool x11-utils x11-apps python3
          dpkg-dev file desktop-file-utils appstream lintian man-db imagemagick
          pybind11-dev python3-dev python3-numpy python3-pytest python3-hypothesis
          python3-matplotlib)

foreign=()
if [ "${1:-}" = --cross ]; then
    packages+=(g++-aarch64-linux-gnu g++-s390x-linux-gnu qemu-user
               libhwy-dev:arm64 libgtest-dev:arm64 libhwy-dev:s390x libgtest-dev:s390x)
    for arch in arm64 s390x; do
        dpkg --print-foreign-architectures | grep -qx "$arch" || foreign+=("$arch")
    done
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
for arch in "${foreign[@]}"; do
    $sudo dpkg --add-architecture "$arch"
done
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
