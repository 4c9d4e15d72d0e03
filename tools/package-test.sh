#!/usr/bin/env bash
# Checks a build as installed applications, each package component alone:
# installs the program's component and the Python module's into scratch prefixes
# of their own, makes the Debian packages, unpacks each into a folder of its own,
# and runs tests/package/check_package.py on them (the launcher from unrelated
# folders under Xvfb, the module from its own tree, the validators, lintian),
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

python=no
grep -qx 'RIPPLEMOOR_PYTHON:BOOL=ON' "$build/CMakeCache.txt" && python=yes

cmake --install "$build" --component ripplemoor --prefix "$scratch/prefix" >/dev/null
[ $python = no ] ||
    cmake --install "$build" --component python3-ripplemoor --prefix "$scratch/python-prefix" >/dev/null
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/cpack" >/dev/null

# One package per component, and no other.
shopt -s nullglob
debs=("$scratch"/cpack/*.deb)
program_deb=("$scratch"/cpack/ripplemoor_*.deb)
python_deb=("$scratch"/cpack/python3-ripplemoor_*.deb)
want=1; [ $python = no ] || want=2
if [ ${#debs[@]} -ne $want ] || [ ${#program_deb[@]} -ne 1 ] ||
   { [ $python = yes ] && [ ${#python_deb[@]} -ne 1 ]; }; then
    echo "expected ripplemoor$([ $python = no ] || echo ' and python3-ripplemoor'), got: ${debs[*]}" >&2
    exit 1
fi
for deb in "${debs[@]}"; do
    echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"
    echo "  Depends: $(dpkg-deb -f "$deb" Depends)"
done
dpkg-deb -x "${program_deb[0]}" "$scratch/extracted"
python_args=()
if [ $python = yes ]; then
    dpkg-deb -x "${python_deb[0]}" "$scratch/python-extracted"
    python_args=(--python-prefix "$scratch/python-prefix" --python-deb "${python_deb[0]}"
                 --python-extracted "$scratch/python-extracted")
fi

PYTHONPATH="$root/tests/support" /usr/bin/python3 -m pytest -p no:cacheprovider -q -rA \
    "$root/tests/package/check_package.py" --source "$root" --build "$build" \
    --prefix "$scratch/prefix" --deb "${program_deb[0]}" --extracted "$scratch/extracted" \
    "${python_args[@]}"
PYTHONPATH="$root/tests/support" /usr/bin/python3 -m pytest -p no:cacheprovider -q -rA \
    "$root/tests/package/check_user_sky.py" --prefix "$scratch/prefix"
echo "Install and package checks passed in $((SECONDS - start))s."
