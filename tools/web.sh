#!/usr/bin/env bash
# Builds the browser version with Debian's emscripten into build-web/ and serves
# its page on http://127.0.0.1:8000/ (static files: build-web/site/).
#
#   tools/web.sh                 build, then serve until Ctrl-C
#   tools/web.sh --no-serve      build only (the tests)
#   tools/web.sh --port N        serve on another port
#
# build-web/ripplemoor-replay.js is the replay tool for Node:
#   node build-web/ripplemoor-replay.js SCRIPT
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-web"
serve=yes
port=8000
while [ $# -gt 0 ]; do
    case $1 in
        --no-serve) serve=no ;;
        --port) port="${2:?--port needs a number}"; shift ;;
        *) echo "usage: web.sh [--no-serve] [--port N]" >&2; exit 2 ;;
    esac
    shift
done

command -v emcmake >/dev/null || { echo "web.sh: emscripten is missing: bash tools/deps.sh --web" >&2; exit 1; }
# emscripten's JavaScript optimiser needs Debian's acorn, which a Node.js from
# another source does not look for in Debian's folder.
export NODE_PATH="/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}"

launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
emcmake cmake -S "$root/web" -B "$build" "${launcher[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"

[ $serve = yes ] || exit 0
echo "Ripplemoor in the browser: http://127.0.0.1:$port/"
cd "$build/site"
exec /usr/bin/python3 -m http.server "$port" --bind 127.0.0.1
