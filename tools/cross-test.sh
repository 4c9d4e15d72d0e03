#!/usr/bin/env bash
# Cross-architecture stage: the GL-free build (RIPPLEMOOR_GL=OFF) for 64-bit ARM
# and for IBM Z (s390x, big-endian) with Debian's cross compilers, and its tests
# and pinned replay scenarios under qemu-user: aarch64 once on a NEON-only
# processor (cortex-a72) and once on one with SVE (max), s390x once. Every solver
# a processor offers must print the hashes the scenarios pin, as on x86-64.
# Each build's CMAKE_CROSSCOMPILING_EMULATOR runs its tests under qemu with the
# processor it was configured for; ctest schedules them and leaves out the
# tests labelled slow (minutes under qemu) or native (they need the host to run
# the binary again). Runs under emulation say nothing about speed.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
jobs="$(nproc)"
start=$SECONDS

bash "$root/tools/deps.sh" --cross

# build_for BUILD TOOLCHAIN [CMAKE ARGUMENTS...] [-- BUILD TARGETS...]
build_for() {
    local build="$1" toolchain="$2"
    shift 2
    local config=() targets=()
    while [ $# -gt 0 ] && [ "$1" != -- ]; do config+=("$1"); shift; done
    [ $# -eq 0 ] || { shift; targets=(--target "$@"); }
    cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchains/$toolchain.cmake" \
          -DCMAKE_BUILD_TYPE=Release -DRIPPLEMOOR_GL=OFF -DRIPPLEMOOR_BENCH=OFF \
          -DRIPPLEMOOR_TESTS=ON -DPython3_EXECUTABLE=/usr/bin/python3 "${config[@]}" >/dev/null
    cmake --build "$build" -j"$jobs" "${targets[@]}" >"$build/build.log" 2>&1 \
        || { cat "$build/build.log"; return 1; }
    if grep -E 'warning:' "$build/build.log"; then
        echo "warnings in the $toolchain build"
        return 1
    fi
}

failures=()
summary=()
run_tests() {
    local label="$1" build="$2" t0=$SECONDS
    shift 2
    echo "== $label =="
    if ctest --test-dir "$build" -j"$jobs" --timeout 900 --output-on-failure "$@" \
            >"$build/ctest.log" 2>&1; then
        grep -E '^[0-9]+% tests passed' "$build/ctest.log"
    else
        cat "$build/ctest.log"
        failures+=("$label")
    fi
    summary+=("$label: $(grep -Eo '[0-9]+ tests failed out of [0-9]+' "$build/ctest.log") ($((SECONDS - t0))s)")
}

echo "== cross builds (aarch64, s390x) =="
build_for "$root/build-cross-aarch64" aarch64-linux-gnu -DRIPPLEMOOR_QEMU_CPU=cortex-a72
build_for "$root/build-cross-s390x" s390x-linux-gnu
# On max only what the processor changes: the solver's tests and pinned
# replays, less the NEON and portable cases and solvers that cortex-a72 ran,
# and less the disturbed-state agreement on SVE2 (over 3 minutes under qemu;
# SVE runs it, and SVE2 gets every other case and the replays).
build_for "$root/build-cross-aarch64-max" aarch64-linux-gnu -DRIPPLEMOOR_QEMU_CPU=max \
    -DRIPPLEMOOR_QEMU_CPU_BEFORE=cortex-a72 \
    "-DRIPPLEMOOR_GTEST_EXCLUDE=*/NEON:*/portable:*/SolverPathsAgree.EveryStageOnADisturbedStateInEveryMode/SVE2" \
    -- sim_test replay_test ripplemoor-replay
echo "built in $((SECONDS - start))s"

run_tests "aarch64 cortex-a72 (NEON)" "$root/build-cross-aarch64" -LE '^(slow|native)$'
run_tests "aarch64 max (SVE)" "$root/build-cross-aarch64-max" -L '^solver$'
run_tests "s390x (big-endian)" "$root/build-cross-s390x" -LE '^(slow|native)$'

echo "== cross-architecture summary ($((SECONDS - start))s) =="
printf '%s\n' "${summary[@]}"
if [ ${#failures[@]} -gt 0 ]; then
    printf 'FAILED: %s\n' "${failures[@]}"
    exit 1
fi
