#!/usr/bin/env python3
"""Measures the real program's frame rate under Xvfb with Mesa's software renderer
and, in the same run, that of a bare clear-and-swap GLUT program of the same size.

Frames are counted from outside the program, and the program's CPU time a frame
(its threads and llvmpipe's together) is read from /proc: an LD_PRELOAD shim (frame-counter)
wraps glutSwapBuffers and reports frames per second when the process exits.
Each program runs alone (one after the other) so that they do not share the CPU.

Usage: bench/frame_rate/measure_fps.py [--build build] [--seconds 6] [--runs 2]
           [--program PATH] [--basin WxH]
Needs the targets ripplemoor, skybox, bare-swap and frame-counter. --program
measures another build's program (an earlier one, say) beside this build's
bare program; --basin hands the program its basin size."""

import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "support"))
from ripplemoor_dev.x11 import Xvfb  # noqa: E402  (tests/support/)

REPORT = re.compile(r"frame-counter: (\d+) frames in ([\d.]+) s: ([\d.]+) frames/s")


def xdotool(env, *args):
    return subprocess.run(["xdotool", *args], env=env, capture_output=True, text=True,
                          timeout=30).stdout


def cpu_seconds(pid):
    """User and system time of a running process, its threads included."""
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def measure(binary, title, display, shim, seconds, skybox=None, drop=False, args=()):
    workdir = tempfile.mkdtemp(prefix="measure-fps-")
    try:
        if skybox:
            shutil.copyfile(skybox, os.path.join(workdir, "skybox.tga"))
        env = dict(os.environ, DISPLAY=display, LIBGL_ALWAYS_SOFTWARE="1",
                   LD_PRELOAD=shim, FRAME_COUNTER_WARMUP="1")
        process = subprocess.Popen([binary] + list(args), cwd=workdir, env=env, stdin=subprocess.DEVNULL,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        window = xdotool(env, "search", "--sync", "--onlyvisible", "--name", "^%s$" % title).split()[0]
        # No window manager: the keyboard follows the pointer.
        xdotool(env, "mousemove", "--window", window, "320", "240")
        if drop:
            xdotool(env, "click", "2")  # a spreading drop, as a user would watch it
        # The process's CPU time (its own and llvmpipe's threads) over the counted
        # seconds, which start after the shim's one-second warm-up.
        time.sleep(1.0)
        cpu_start, wall_start = cpu_seconds(process.pid), time.monotonic()
        time.sleep(max(seconds - 1.0, 0.5))
        cpu_end, wall_end = cpu_seconds(process.pid), time.monotonic()
        xdotool(env, "key", "Escape")
        _, err = process.communicate(timeout=30)
        match = REPORT.search(err)
        if not match or process.returncode != 0:
            sys.exit("%s: status %r, no frame report:\n%s" % (binary, process.returncode, err))
        fps = float(match.group(3))
        cpu_per_frame = (cpu_end - cpu_start) / ((wall_end - wall_start) * fps)
        return int(match.group(1)), float(match.group(2)), fps, cpu_per_frame
    finally:
        shutil.rmtree(workdir, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    parser.add_argument("--build", default=os.path.join(root, "build"))
    parser.add_argument("--seconds", type=float, default=6.0)
    parser.add_argument("--runs", type=int, default=2)
    parser.add_argument("--program", help="the program to measure (default: the build's)")
    parser.add_argument("--basin", help="WxH: the basin's size (--basin=WxH)")
    parser.add_argument("--threads", help="the program's --threads")
    args = parser.parse_args()

    build = os.path.abspath(args.build)
    program = os.path.join(build, "app", "ripplemoor")
    if not os.path.exists(program):
        program = os.path.join(build, "ripplemoor")
    if args.program:
        program = os.path.abspath(args.program)
    program_args = ["--basin=" + args.basin] if args.basin else []
    if args.threads is not None:
        program_args.append("--threads=" + args.threads)
    bare = os.path.join(build, "bench", "frame_rate", "bare-swap")
    shim = os.path.join(build, "bench", "frame_rate", "libframe-counter.so")
    skybox = os.path.join(build, "skybox.tga")
    for path in (program, bare, shim, skybox):
        if not os.path.exists(path):
            sys.exit("missing %s: build the targets ripplemoor skybox bare-swap frame-counter" % path)

    with Xvfb() as xvfb:
        display = xvfb.display
        rates = {"ripplemoor": [], "bare-swap": []}
        costs = []
        for run in range(args.runs):
            frames, secs, fps, cost = measure(program, "Ripplemoor", display, shim, args.seconds,
                                              skybox=skybox, drop=True, args=program_args)
            rates["ripplemoor"].append(fps)
            costs.append(cost)
            print("run %d  ripplemoor: %6.1f frames/s (%d frames in %.2f s), %.2f ms of CPU a frame"
                  % (run + 1, fps, frames, secs, 1000 * cost))
            frames, secs, fps, _ = measure(bare, "bare-swap", display, shim, args.seconds)
            rates["bare-swap"].append(fps)
            print("run %d  bare-swap:  %6.1f frames/s (%d frames in %.2f s)" % (run + 1, fps, frames, secs))

    program_fps = sum(rates["ripplemoor"]) / len(rates["ripplemoor"])
    bare_fps = sum(rates["bare-swap"]) / len(rates["bare-swap"])
    print("mean       ripplemoor: %.1f frames/s, bare clear-and-swap: %.1f frames/s, "
          "ratio %.3f; ripplemoor's CPU a frame %.2f ms (least %.2f)"
          % (program_fps, bare_fps, program_fps / bare_fps, 1000 * sum(costs) / len(costs), 1000 * min(costs)))


if __name__ == "__main__":
    main()
