#!/bin/bash
# Where the running program's CPU time goes: starts it under Xvfb with Mesa's
# software renderer, makes a pointer drop in the middle of the window (colour
# mode 0, the water spreading), samples the whole process with perf and reports
# the share of Ripplemoor's own code (the samples in the program itself) and its
# top functions, symbol names resolved.
#
# Usage: bench/perf-frame.sh [--seconds N] [--paused] BUILD_DIR [BUILD_DIR...]
#   --paused: pause (key p) once the drop has spread for half a second, and
#   sample the paused frames.
#   Each BUILD_DIR holds a built ripplemoor and skybox.tga (targets ripplemoor,
#   skybox). Several are measured one after the other in the same run, for a
#   before-and-after comparison on the same machine.
# Uses the hardware cycle counter where the machine has one, else the cpu-clock
# software event (virtual machines often expose no counters); it says which.
set -euo pipefail

seconds=8
paused=
while [ $# -gt 0 ]; do
    case $1 in
    --seconds) seconds=$2; shift 2 ;;
    --paused) paused=--paused; shift ;;
    *) break ;;
    esac
done
if [ $# -eq 0 ]; then
    echo "usage: $0 [--seconds N] [--paused] BUILD_DIR [BUILD_DIR...]" >&2
    exit 2
fi
for tool in perf xdotool xvfb-run; do
    command -v "$tool" > /dev/null || { echo "$0: $tool is needed" >&2; exit 1; }
done

if [ -z "${PERF_FRAME_DISPLAY_READY:-}" ]; then
    export PERF_FRAME_DISPLAY_READY=1
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" --seconds "$seconds" $paused "$@"
fi

event=cpu-clock
if perf stat -x, -e cycles true 2>&1 | grep -q '^[0-9]'; then
    event=cycles
fi
echo "machine: $(lscpu | sed -n 's/^Model name: *//p'), $(nproc) CPUs, load average $(cut -d" " -f1-3 /proc/loadavg)"
echo "event: $event$([ "$event" = cpu-clock ] && echo ' (no hardware cycle counter here)'), ${seconds} s per program${paused:+, paused}"

measure() {
    local build program work pid window
    build=$(cd "$1" && pwd)
    program=$build/ripplemoor
    [ -x "$program" ] && [ -f "$build/skybox.tga" ] || { echo "$0: $build lacks ripplemoor or skybox.tga" >&2; exit 1; }
    work=$(mktemp -d)
    cp "$build/skybox.tga" "$work/"
    (cd "$work" && exec env LIBGL_ALWAYS_SOFTWARE=1 "$program" > "$work/stdout" 2>&1) &
    pid=$!
    window=$(xdotool search --sync --onlyvisible --name '^Ripplemoor$' | head -n 1)
    # No window manager: the pointer is where the drop lands.
    xdotool mousemove --window "$window" 320 240 click 2
    sleep 0.5
    grep -q '^2D drop' "$work/stdout" || { echo "$0: no pointer drop in $program" >&2; exit 1; }
    if [ -n "$paused" ]; then
        xdotool key p
        sleep 0.2
    fi
    perf record -q -e "$event" -F 2000 -p "$pid" -o "$work/perf.data" -- sleep "$seconds" 2> /dev/null
    kill -0 "$pid" 2> /dev/null || { echo "$0: $program ended early:"; cat "$work/stdout"; exit 1; } >&2
    # Esc ends it; the keyboard follows the pointer, which is over the window.
    xdotool mousemove --window "$window" 320 240 key Escape 2> /dev/null || kill "$pid"
    wait "$pid" || true
    # Gone from the server too, before the next program's window is looked for.
    while xdotool search --onlyvisible --name '^Ripplemoor$' > /dev/null 2>&1; do
        sleep 0.2
    done

    local samples own
    samples=$(perf script -i "$work/perf.data" -F ip 2> /dev/null | wc -l)
    own=$(perf report -i "$work/perf.data" --stdio --no-children --sort dso -q 2> /dev/null |
          awk '$2 == "ripplemoor" { print $1 }')
    echo
    echo "== $program"
    echo "samples: $samples; own code (in ripplemoor itself): ${own:-0%} of the process"
    echo "top own functions (share of all samples):"
    # perf may list a function more than once (one entry per mapping); summed here.
    perf report -i "$work/perf.data" --stdio --no-children --sort dso,sym -q 2> /dev/null |
        awk '$2 == "ripplemoor" { p = $1; sub(/%/, "", p); $1 = $2 = $3 = ""; sub(/^ +/, "");
                                   share[$0] += p }
             END { for (f in share) printf "%8.2f%%  %s\n", share[f], f }' |
        sort -rn | head -n 12
    echo "top shared objects:"
    perf report -i "$work/perf.data" --stdio --no-children --sort dso -q 2> /dev/null | head -n 6
    rm -rf "$work"
}

for build in "$@"; do
    measure "$build"
done
