#!/usr/bin/env bash
# Builds and runs the whole test suite: a plain optimised build with its install,
# package and reproducibility checks, the GL-free build for aarch64 and s390x
# under qemu-user, a build under AddressSanitizer + UndefinedBehaviorSanitizer,
# the browser version (WebAssembly, headless Chromium) and a bounded fuzzing run. Missing Debian packages are installed first; for the
# cross stage's libraries that adds the arm64 and s390x architectures to apt
# (tools/deps.sh says so before it does).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
jobs="$(nproc)"
fuzz_seconds="${RIPPLEMOOR_FUZZ_SECONDS:-60}"

# The cross-architecture and browser stages' packages too, in the same install.
bash "$root/tools/deps.sh" --test --cross --web

# run_suite BUILD [CMAKE ARGUMENTS...] [-- CTEST ARGUMENTS...]
# GL tests share one Xvfb; the end-to-end tests start their own.
run_suite() {
    local build="$1"; shift
    local config=() select=()
    while [ $# -gt 0 ] && [ "$1" != -- ]; do config+=("$1"); shift; done
    [ $# -eq 0 ] || { shift; select=("$@"); }
    cmake -S "$root" -B "$build" "${config[@]}" >/dev/null
    cmake --build "$build" -j"$jobs"
    xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" \
        ctest --test-dir "$build" --output-on-failure -j"$jobs" --timeout 600 "${select[@]}"
}

# Each stage says what it cost, so that the CI budget can be watched.
start=$SECONDS
stage_start=$SECONDS
stage_name=""
stage() {
    if [ -n "${stage_name:-}" ]; then
        echo "-- $stage_name: $((SECONDS - stage_start))s"
    fi
    stage_name="${1:-}"
    stage_start=$SECONDS
    [ -z "$stage_name" ] || echo "== $stage_name =="
}

stage "plain build"
run_suite "$root/build-test" -DCMAKE_BUILD_TYPE=Release
bash "$root/tools/package-test.sh" "$root/build-test"
stage "reproducibility: the package built again from a copy in another folder"
bash "$root/tools/repro-test.sh" "$root/build-test"

stage "cross-architecture builds (aarch64, s390x) under qemu-user"
bash "$root/tools/cross-test.sh"

# Every test but those labelled slow: long runs (thousands of steps, the -O0
# build against the optimised one) whose paths shorter tests already take; they
# pin bits, which the plain build checks in full (387 s of tests become 231 s).
stage "AddressSanitizer + UndefinedBehaviorSanitizer build"
ASAN_OPTIONS="halt_on_error=1:abort_on_error=1" \
UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1" \
    run_suite "$root/build-test-asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRIPPLEMOOR_SANITIZE=ON -DRIPPLEMOOR_BENCH=OFF \
        -- -LE '^slow$'

# emscripten's build of the solver, the replay tool for Node and the page (about
# a minute on 2 cores); the replay tool against the pinned hashes and the native
# tool, the page in headless Chromium on SwiftShader, and its picture against
# the plain build's program under Xvfb (about three minutes).
stage "web: WebAssembly build, its replays and the page in headless Chromium"
bash "$root/tools/web.sh" --no-serve
RIPPLEMOOR_NATIVE_REPLAY="$root/build-test/ripplemoor-replay" RIPPLEMOOR_NATIVE_BUILD="$root/build-test" \
    /usr/bin/python3 -m pytest -q -p no:cacheprovider "$root/tests/web"

stage "fuzzing the TGA, replay script, basin state and scene readers for ${fuzz_seconds}s"
bash "$root/tools/fuzz.sh" "$fuzz_seconds"

stage
echo "All tests passed in $((SECONDS - start))s."
