#!/usr/bin/env bash
# Installs the Debian packages that Ripplemoor needs, if missing:
#
#   tools/deps.sh --run      building and running the program (tools/run.sh)
#   tools/deps.sh [--test]   that, and what the tests need (the default)
#   tools/deps.sh ... --cross  and the cross-architecture stage (tools/cross-test.sh):
#                            Debian's cross compilers for arm64 and s390x, those
#                            architectures' Highway and GoogleTest through multiarch
#                            (it adds both architectures to apt), and qemu-user
#   tools/deps.sh ... --web    and the browser stage (tools/web.sh): emscripten,
#                            Node.js, Chromium with its WebDriver and Selenium
#
# Made for Debian 12 (bookworm). Where a name differs between releases, the first
# of the alternatives that apt offers is taken (A|B below), and the clang runtime
# is the one that matches the clang apt installs.
set -euo pipefail

group="test"
cross=no
web=no
for arg in "$@"; do
    case $arg in
        --run) group="run" ;;
        --test) group="test" ;;
        --cross) cross=yes ;;
        --web) web=yes ;;
        *) echo "usage: deps.sh [--run|--test] [--cross] [--web]" >&2; exit 2 ;;
    esac
done

# Compiler, build tools, the libraries of the program, ImageMagick for the window
# icon, and Xvfb for a machine without a display.
packages=(cmake make g++ pkg-config
          libglut-dev\|freeglut3-dev libglu1-mesa-dev mesa-common-dev libgl-dev libx11-dev
          libhwy-dev libgl1-mesa-dri imagemagick xvfb xauth
          libtomlplusplus-dev libpng-dev)
if [ $group = test ]; then
    # clang for the fuzzer (its runtime is added below), the test and benchmark
    # libraries, X tools that drive the program, a window manager to run it
    # under, Pillow for screenshots, the package checks, and Sphinx with its
    # Markdown reader for the documentation site; Numba for the peer the solver
    # is checked and timed against, Dask for the sweep example.
    packages+=(clang libgtest-dev libbenchmark-dev
               xdotool x11-utils x11-apps openbox python3 python3-pil
               dpkg-dev file binutils desktop-file-utils appstream lintian man-db devscripts
               pybind11-dev python3-dev python3-numpy python3-pytest python3-hypothesis
               python3-matplotlib python3-sphinx python3-myst-parser
               python3-numba python3-distributed)
    # Basin.run's recorded runs (xarray, netCDF) and its progress bar.
    packages+=(python3-xarray python3-netcdf4 python3-tqdm)
fi
if [ $web = yes ]; then
    packages+=(emscripten nodejs chromium chromium-driver python3-selenium python3-pil)
fi
foreign=()
if [ $cross = yes ]; then
    packages+=(g++-aarch64-linux-gnu g++-s390x-linux-gnu qemu-user python3
               libhwy-dev:arm64 libgtest-dev:arm64 libhwy-dev:s390x libgtest-dev:s390x
               libgomp1:arm64 libgomp1:s390x)  # OpenMP's runtime for the emulated programs
    # No libpng for them: the security archive need not carry it at the host's
    # version for both, and the cross builds read scenes without PNG masks.
    for arch in arm64 s390x; do
        dpkg --print-foreign-architectures | grep -qx "$arch" || foreign+=("$arch")
    done
fi

installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}
offered() {
    apt-cache show --no-all-versions "$1" >/dev/null 2>&1
}

# clang's runtime (libFuzzer, sanitizers) is named after clang's major version:
# libclang-rt-N-dev from LLVM 14 on, part of libclang-common-N-dev before.
clang_major() {
    if command -v clang >/dev/null; then
        clang --version | sed -n 's/.*clang version \([0-9]*\).*/\1/p' | head -n1
    else
        apt-cache depends clang 2>/dev/null | sed -n 's/.*Depends: clang-\([0-9]*\)$/\1/p' | head -n1
    fi
}
clang_runtime() {
    local major
    major="$(clang_major)"
    [ -n "$major" ] || return 0
    echo "libclang-rt-$major-dev|libclang-common-$major-dev"
}

# Alternatives count as present when one of them is installed.
missing_of() {
    local p a found
    for p in "$@"; do
        found=no
        IFS='|' read -r -a alternatives <<<"$p"
        for a in "${alternatives[@]}"; do
            if installed "$a"; then found=yes; break; fi
        done
        [ $found = yes ] || echo "$p"
    done
}

# With the package lists at hand: the first alternative apt offers.
choose() {
    local p a
    for p in "$@"; do
        IFS='|' read -r -a alternatives <<<"$p"
        for a in "${alternatives[@]}"; do
            if offered "$a"; then echo "$a"; continue 2; fi
        done
        echo "none of ${alternatives[*]} is offered by apt" >&2
        return 1
    done
}

[ $group = test ] && [ -n "$(clang_runtime)" ] && packages+=("$(clang_runtime)")
mapfile -t missing < <(missing_of "${packages[@]}")
# clang itself missing: its runtime is known once apt can say which clang it has.
runtime_pending=no
if [ $group = test ] && ! command -v clang >/dev/null; then runtime_pending=yes; fi
[ ${#missing[@]} -eq 0 ] && [ $runtime_pending = no ] && [ ${#foreign[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
if [ ${#foreign[@]} -gt 0 ]; then
    echo "Adding the ${foreign[*]} architecture(s) to apt (dpkg --add-architecture), for the" \
         "cross-architecture stage's Highway and GoogleTest; undo with dpkg --remove-architecture."
    for arch in "${foreign[@]}"; do
        $sudo dpkg --add-architecture "$arch"
    done
fi
$sudo apt-get update -qq
if [ $runtime_pending = yes ]; then
    runtime="$(clang_runtime)"
    [ -n "$runtime" ] || { echo "apt offers no clang" >&2; exit 1; }
    mapfile -t more < <(missing_of "$runtime")
    missing+=("${more[@]}")
fi
[ ${#missing[@]} -eq 0 ] && exit 0
mapfile -t chosen < <(choose "${missing[@]}")
[ ${#chosen[@]} -eq ${#missing[@]} ] || exit 1
echo "Installing: ${chosen[*]}"
$sudo apt-get install -y -qq --no-install-recommends "${chosen[@]}"
