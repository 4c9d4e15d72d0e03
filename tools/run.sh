#!/usr/bin/env bash
# Builds Ripplemoor and starts it next to its generated sky picture.
# Without a display it runs under Xvfb (xvfb-run).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build"

# Only what building and running need; tools/test.sh installs the test tools.
bash "$root/tools/deps.sh" --run
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DRIPPLEMOOR_TESTS=OFF -DRIPPLEMOOR_BENCH=OFF \
    -DRIPPLEMOOR_PYTHON=OFF >/dev/null
cmake --build "$build" --target ripplemoor skybox ripplemoor-replay -j"$(nproc)"

cd "$build"
if [ -n "${DISPLAY:-}" ]; then
    exec ./ripplemoor "$@"
else
    echo "No DISPLAY: running under Xvfb (xvfb-run)."
    exec xvfb-run -a -s "-screen 0 1280x1024x24" ./ripplemoor "$@"
fi
