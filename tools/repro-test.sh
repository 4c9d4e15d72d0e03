#!/usr/bin/env bash
# Reproducibility check: packages a configured build (the first build), then
# copies the same source to another folder and, later, builds and packages it
# again there, with the tests and benchmarks left out, another umask, time zone
# and locale. Every .deb must come out byte for byte the same; on a mismatch it
# prints what differs (archive members, file lists with modes, owners and
# times, control files, and which packaged files differ).
#
#   bash tools/repro-test.sh BUILD_DIR
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:?usage: repro-test.sh BUILD_DIR}" && pwd)"
start=$SECONDS

scratch="$(mktemp -d "${TMPDIR:-/tmp}/ripplemoor-repro.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT

# Up to date first (a new commit configures it again, with the new time stamp).
cmake --build "$build" -j"$(nproc)" >/dev/null
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/first" >/dev/null

# The copy: what git tracks or would track, or, outside git, the tree without
# its build folders. Its .git points back at ours, so it knows the same commit.
copy="$scratch/elsewhere/another-name"
mkdir -p "$copy"
if git -C "$root" rev-parse --is-inside-work-tree >/dev/null 2>&1 &&
   [ "$(git -C "$root" rev-parse --show-toplevel)" = "$root" ]; then
    git -C "$root" ls-files -z --cached --others --exclude-standard |
        tar -C "$root" --null -T - --ignore-failed-read -cf - 2>/dev/null | tar -C "$copy" -xf -
    printf 'gitdir: %s\n' "$(git -C "$root" rev-parse --absolute-git-dir)" >"$copy/.git"
else
    tar -C "$root" --exclude='./build*' -cf - . | tar -C "$copy" -xf -
fi

# The first build's build type and options, less its tests and benchmarks:
# every package it makes, the second must make too.
options=()
while IFS= read -r line; do
    options+=("-D$line")
done < <(grep -E '^(CMAKE_BUILD_TYPE:STRING|RIPPLEMOOR_[A-Z0-9_]+:BOOL)=' "$build/CMakeCache.txt")

second_build() {
    umask 0002
    export TZ=Pacific/Kiritimati LC_ALL=C.UTF-8
    cmake -S "$copy" -B "$copy/build-again" "${options[@]}" \
          -DRIPPLEMOOR_TESTS=OFF -DRIPPLEMOOR_BENCH=OFF >/dev/null
    cmake --build "$copy/build-again" -j"$(nproc)" >"$scratch/second-build.log" 2>&1 ||
        { cat "$scratch/second-build.log"; return 1; }
    cpack --config "$copy/build-again/CPackConfig.cmake" -G DEB -B "$scratch/second" >/dev/null
}
t0=$SECONDS
( second_build )
echo "second build and package in another folder: $((SECONDS - t0))s"

# Compares one package of each build; prints what differs.
compare() {
    local a="$1" b="$2" name
    name="$(basename "$a")"
    if cmp -s "$a" "$b"; then
        echo "  $name: identical ($(stat -c %s "$a") bytes, sha256 $(sha256sum "$a" | cut -c1-16)...)"
        return 0
    fi
    echo "  $name: DIFFERS"
    diff <(ar tv "$a") <(ar tv "$b") | sed 's/^/    ar: /' || true
    diff <(dpkg-deb -c "$a") <(dpkg-deb -c "$b") | sed 's/^/    files: /' || true
    local x="$scratch/diff/$name"
    mkdir -p "$x/a" "$x/b"
    dpkg-deb -R "$a" "$x/a"
    dpkg-deb -R "$b" "$x/b"
    diff -r "$x/a/DEBIAN" "$x/b/DEBIAN" | sed 's/^/    control: /' || true
    diff -rq "$x/a" "$x/b" | grep -v DEBIAN | sed 's/^/    /' || true
    return 1
}

mapfile -t firsts < <(cd "$scratch/first" && ls -- *.deb)
mapfile -t seconds < <(cd "$scratch/second" && ls -- *.deb)
[ ${#firsts[@]} -gt 0 ] || { echo "no package from the first build" >&2; exit 1; }
if [ "${firsts[*]}" != "${seconds[*]}" ]; then
    echo "the builds made different packages: ${firsts[*]} / ${seconds[*]}" >&2
    exit 1
fi
status=0
for deb in "${firsts[@]}"; do
    compare "$scratch/first/$deb" "$scratch/second/$deb" || status=1
done
if [ $status -ne 0 ]; then
    echo "the packages are not reproducible" >&2
    exit 1
fi
echo "Reproducibility check passed in $((SECONDS - start))s."
