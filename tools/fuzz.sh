#!/usr/bin/env bash
# Builds the TGA fuzzer with clang (ASan + UBSan) and runs it on a generated
# seed corpus for a bounded time: tools/fuzz.sh [SECONDS] (default 60).
# Exits non-zero when the fuzzer finds a failure.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
build="${RIPPLEMOOR_FUZZ_BUILD:-$root/build-fuzz}"

cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DRIPPLEMOOR_FUZZ=ON -DRIPPLEMOOR_TESTS=OFF -DRIPPLEMOOR_BENCH=OFF >/dev/null
cmake --build "$build" --target fuzz-tga -j"$(nproc)"

seeds="$build/fuzz-seeds"
corpus="$build/fuzz-corpus"
rm -rf "$seeds"
python3 "$root/tools/make_fuzz_corpus.py" "$seeds"
mkdir -p "$corpus"

# Failed crops are expected on fuzzed input; their message is filtered out of
# the log so that a real report stands out.
log="$build/fuzz.log"
set +e
"$build/fuzz/fuzz-tga" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
    -artifact_prefix="$build/" "$corpus" "$seeds" 2>&1 |
    grep --line-buffered -v '^Image::Crop: Cannot crop\.$' | tee "$log"
status=${PIPESTATUS[0]}
set -e

executions="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")"
files="$(find "$corpus" "$seeds" -type f | wc -l)"
echo "fuzz-tga: ${executions:-?} executions in ${seconds}s, corpus of ${files} files, exit status ${status}"
exit "$status"
