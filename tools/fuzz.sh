#!/usr/bin/env bash
# Builds the fuzzers with clang (ASan + UBSan) and runs them on their seed corpora
# for a bounded time in all: tools/fuzz.sh [SECONDS] (default 60), two fifths to
# the TGA reader, a fifth each to the replay script reader, the saved basin state's
# reader and the scene reader.
# Exits non-zero when a fuzzer finds a failure.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
build="${RIPPLEMOOR_FUZZ_BUILD:-$root/build-fuzz}"
script_seconds=$((seconds / 5))
state_seconds=$((seconds / 5))
scene_seconds=$((seconds / 5))
tga_seconds=$((seconds - script_seconds - state_seconds - scene_seconds))

cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DRIPPLEMOOR_FUZZ=ON -DRIPPLEMOOR_TESTS=OFF -DRIPPLEMOOR_BENCH=OFF >/dev/null
cmake --build "$build" --target fuzz-tga fuzz-replay-script fuzz-basin-state fuzz-scene -j"$(nproc)"

# run NAME SECONDS SEEDS [OPTIONS...]: the fuzzer on its own growing corpus and the seeds.
status=0
run() {
    local name="$1" time="$2" seeds="$3"; shift 3
    local corpus="$build/$name-corpus" log="$build/$name.log"
    mkdir -p "$corpus"
    # Failed crops are expected on fuzzed input; their message is filtered out of
    # the log so that a real report stands out.
    set +e
    "$build/fuzz/$name" -max_total_time="$time" -print_final_stats=1 -artifact_prefix="$build/$name-" \
        "$@" "$corpus" "$seeds" 2>&1 |
        grep --line-buffered -v '^Image::Crop: Cannot crop\.$' | tee "$log"
    local result=${PIPESTATUS[0]}
    set -e
    local executions files
    executions="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")"
    files="$(find "$corpus" "$seeds" -type f | wc -l)"
    echo "$name: ${executions:-?} executions in ${time}s, corpus of ${files} files, exit status ${result}"
    [ "$result" -eq 0 ] || status="$result"
}

tga_seeds="$build/fuzz-seeds"
rm -rf "$tga_seeds"
python3 "$root/fuzz/make_fuzz_corpus.py" "$tga_seeds"
run fuzz-tga "$tga_seconds" "$tga_seeds" -max_len=4096

# The pinned scenarios are the replay reader's seeds.
script_seeds="$build/fuzz-replay-seeds"
rm -rf "$script_seeds"
mkdir -p "$script_seeds"
cp "$root"/tests/sim/*.replay "$script_seeds"/
run fuzz-replay-script "$script_seconds" "$script_seeds" -max_len=512 -dict="$root/fuzz/replay_script.dict"

# Saved states of a few small basins (what pickles carry) are the state reader's seeds.
run fuzz-basin-state "$state_seconds" "$root/fuzz/basin_state_seeds" -max_len=4096

# The presets and a few scenes with masks (text, a NUL byte, then the PNG).
scene_seeds="$build/fuzz-scene-seeds"
rm -rf "$scene_seeds"
mkdir -p "$scene_seeds"
cp "$root"/scene/presets/*.toml "$root"/fuzz/scene_seeds/* "$scene_seeds"/
run fuzz-scene "$scene_seconds" "$scene_seeds" -max_len=2048 -dict="$root/fuzz/scene.dict"
exit "$status"
