"""Shared set-up of the module's tests: the module, the replay tool, and a
runner that plays one replay script through the module."""

import os
import shlex
import subprocess

import numpy as np
import pytest

import ripplemoor

REPLAY = os.environ.get("RIPPLEMOOR_REPLAY")
SCENARIOS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "sim")
SETTABLE = ("h", "u", "v", "heightChange")


def normalise():
    """The state of a replay tool that has just run 'step 1' and 'reset': the
    module is one process-wide simulation, so every test starts from here."""
    ripplemoor.use_target(ripplemoor.targets()[0])
    ripplemoor.color_mode = 0
    ripplemoor.reset()
    ripplemoor.step(1)
    ripplemoor.reset()


@pytest.fixture
def rm():
    normalise()
    yield ripplemoor
    normalise()


@pytest.fixture(scope="session")
def replay_tool():
    if not REPLAY:
        pytest.fail("RIPPLEMOOR_REPLAY must name the ripplemoor-replay to compare with")
    return shlex.split(REPLAY)


def run_replay(replay_tool, script, solver=None, tmp_path=None):
    """Runs the replay tool on script (text); returns its stdout and, if the
    script's last line is 'dump -', the bytes it dumped."""
    command = list(replay_tool) + (["--target", solver] if solver else [])
    dump_path = None
    if script.rstrip().endswith("dump -"):
        dump_path = os.path.join(str(tmp_path), "replay.dump")
        script = script.rstrip()[:-1] + dump_path + "\n"
    result = subprocess.run(command, input=script, capture_output=True, text=True, timeout=300)
    assert result.returncode == 0, result.stderr
    dumped = None
    if dump_path:
        with open(dump_path, "rb") as f:
            dumped = f.read()
    return result.stdout, dumped


def play(rm, script):
    """Plays a replay script through the module; returns what its 'hash' lines
    would print."""
    printed = []
    for line in script.splitlines():
        words = line.split()
        if not words or words[0].startswith("#"):
            continue
        command, args = words[0], words[1:]
        if command == "step":
            rm.step(int(args[0]))
        elif command == "drop":
            rm.add_drop(int(args[0]), int(args[1]), int(args[2]), real(args[3]))
        elif command == "set":
            assert args[0] in SETTABLE
            rm.field(args[0])[int(args[2]), int(args[1])] = np.float32(real(args[3]))
        elif command == "mode":
            rm.color_mode = int(args[0])
        elif command == "reset":
            rm.reset()
        elif command == "hash":
            printed.append("fnv1a64 %016x" % rm.state_hash())
        else:
            raise ValueError("no such replay command: %r" % line)
    return printed


def real(text):
    """A number as the replay tool reads it (hexadecimal floats included)."""
    try:
        return float(text)
    except ValueError:
        return float.fromhex(text)
