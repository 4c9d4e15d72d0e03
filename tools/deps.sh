#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, if missing.
set -euo pipefail

packages=(cmake make g++ clang libclang-rt-14-dev pkg-config
          freeglut3-dev libglu1-mesa-dev mesa-common-dev libgl-dev libx11-dev libgl1-mesa-dri
          libgtest-dev libbenchmark-dev
          xvfb xauth xdotool x11-utils x11-apps python3)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
