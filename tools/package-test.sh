#!/usr/bin/env bash
# Checks a build as an installed application: installs it into a scratch prefix,
# makes the Debian package, unpacks it, and runs tests/package/check_package.py on
# both (the launcher from unrelated folders under Xvfb, the validators, lintian),
# and tests/package/check_user_sky.py on the launcher's choice of sky.
# Nothing is installed system-wide.
#
#   bash tools/package-test.sh BUILD_DIR
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:?usage: package-test.sh BUILD_DIR}" && pwd)"
start=$SECONDS

scratch="$(mktemp -d "${TMPDIR:-/tmp}/ripplemoor-package.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT

cmake --install "$build" --prefix "$scratch/prefix" >/dev/null
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/cpack" >/dev/null
debs=("$scratch"/cpack/*.deb)
[ ${#debs[@]} -eq 1 ] || { echo "expected one .deb, got: ${debs[*]}" >&2; exit 1; }
echo "package: $(basename "${debs[0]}"), $(stat -c %s "${debs[0]}") bytes"
dpkg-deb -x "${debs[0]}" "$scratch/extracted"

PYTHONPATH="$root/tools" /usr/bin/python3 -m pytest -p no:cacheprovider -q -rA \
    "$root/tests/package/check_package.py" --source "$root" --build "$build" \
    --prefix "$scratch/prefix" --deb "${debs[0]}" --extracted "$scratch/extracted"
PYTHONPATH="$root/tools" /usr/bin/python3 -m pytest -p no:cacheprovider -q -rA \
    "$root/tests/package/check_user_sky.py" --prefix "$scratch/prefix"
echo "Install and package checks passed in $((SECONDS - start))s."
