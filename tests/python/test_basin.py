"""ripplemoor.Basin: the replay tool's basins and walls through the module, copies
and pickles, views, hostile configurations, and every size on every target."""

import copy
import glob
import os
import pickle
import subprocess
import sys
import textwrap

import numpy as np
import pytest
from hypothesis import HealthCheck, given, settings, strategies as st

import ripplemoor as rm

from conftest import SCENARIOS, real, run_replay


def play_basin(script):
    """Plays a replay script, basin and walls included, through a Basin; returns
    the basin and what its 'hash' lines would print."""
    basin = None
    printed = []
    for line in script.splitlines():
        words = line.split()
        if not words or words[0].startswith("#"):
            continue
        command, args = words[0], words[1:]
        if command == "basin":
            sizes = dict(zip(("cell_size", "timestep", "gravity", "rest_height"), map(real, args[2:])))
            basin = rm.Basin(int(args[0]), int(args[1]), **sizes)
            continue
        basin = basin or rm.Basin()
        if command == "wall":
            x0, y0, x1, y1 = map(int, args)
            basin.walls[y0:y1 + 1, x0:x1 + 1] = True
            basin.reset()
        elif command == "step":
            basin.step(int(args[0]))
        elif command == "drop":
            basin.add_drop(int(args[0]), int(args[1]), int(args[2]), real(args[3]))
        elif command == "set":
            basin.field(args[0])[int(args[2]), int(args[1])] = np.float32(real(args[3]))
        elif command == "mode":
            basin.color_mode = int(args[0])
        elif command == "hash":
            printed.append("fnv1a64 %016x" % basin.state_hash())
        else:
            raise ValueError("no such replay command: %r" % line)
    return basin, printed


BASIN_SCENARIOS = sorted(glob.glob(os.path.join(SCENARIOS, "basin-*.replay")))


@pytest.mark.parametrize("path", BASIN_SCENARIOS, ids=os.path.basename)
def test_pinned_basins_match_the_replay_tool(replay_tool, path, tmp_path):
    with open(path) as f:
        script = f.read()
    expected = [line.split(None, 2)[2].strip() for line in script.splitlines() if line.startswith("# expect ")]
    basin, printed = play_basin(script)
    assert printed == expected
    printed_by_tool, dumped = run_replay(replay_tool, script + "dump -\n", tmp_path=tmp_path)
    assert printed_by_tool.splitlines() == expected
    assert basin.dump() == dumped


def test_a_long_channel_steps_and_matches_the_replay_tool(replay_tool, tmp_path):
    basin = rm.Basin(1000, 7)
    basin.add_drop(500, 3, 2, 0.05)
    basin.step(100)
    _, dumped = run_replay(replay_tool, "basin 1000 7\ndrop 500 3 2 0.05\nstep 100\ndump -\n", tmp_path=tmp_path)
    assert basin.dump() == dumped
    assert len(dumped) == (8 * 7000 + 18) * 4


def walled_basin():
    # Gravity and cell size away from the defaults, so that a copy without them differs.
    basin = rm.Basin(90, 61, cell_size=0.25, timestep=0.05, gravity=9.5, rest_height=1.5)
    basin.walls[:, 40] = True
    basin.walls[25:30, 40] = False
    basin.walls[10:14, 70:74] = True
    basin.reset()
    basin.color_mode = 6
    basin.seed(4)
    for _ in range(3):
        basin.random_drop()
    basin.step(30)
    return basin


@pytest.mark.parametrize("duplicate", [
    lambda b: b.copy(),
    lambda b: copy.copy(b),
    lambda b: copy.deepcopy(b),
    lambda b: pickle.loads(pickle.dumps(b)),
    lambda b: pickle.loads(pickle.dumps(b, protocol=0)),
], ids=["copy", "copy.copy", "deepcopy", "pickle", "pickle-0"])
def test_copies_and_pickles_step_on_to_the_originals_bits(duplicate):
    original = walled_basin()
    twin = duplicate(original)
    assert repr(twin) == repr(original)
    assert twin.dump() == original.dump()
    assert np.array_equal(twin.walls, original.walls)
    assert not np.shares_memory(twin.h, original.h)
    for basin in (original, twin):
        basin.random_drop()  # the generator's state travelled too
        basin.step(40)
        basin.color_mode = 5
        basin.step(5)
    assert twin.state_hash() == original.state_hash()
    assert twin.ranges() == original.ranges()


def test_views_are_the_basins_memory_and_keep_it_alive():
    basin = rm.Basin(7, 5, rest_height=2.0)
    h = basin.h
    assert h.shape == (5, 7) and h.dtype == np.float32 and basin.walls.dtype == np.bool_
    assert np.shares_memory(h, basin.field("h"))
    basin.u[2, 3] = 0.5  # cell (3, 2): element 3 + 7 * 2
    assert basin.dump()[4 * (35 + 17):4 * (35 + 18)] == np.float32(0.5).tobytes()
    basin.reset()
    assert np.all(h == 2.0)
    assert rm.Basin(3, 3).field("scratch").shape == (3, 3)


def test_every_view_holds_its_basin_until_it_goes():
    basin = rm.Basin(7, 5)
    alone = sys.getrefcount(basin)
    views = [basin.h, basin.field("u"), basin.walls, basin.energyProduct]
    assert sys.getrefcount(basin) == alone + len(views)
    assert all(view.base is basin for view in views)
    del views[1:]
    assert sys.getrefcount(basin) == alone + 1
    # The last view alone keeps the basin, and so its memory, alive.
    h = views.pop()
    del basin
    owners = sys.getrefcount(h.base)
    assert owners == 2  # h's reference and getrefcount's argument
    h.base.step(1)
    assert np.all(h == 1.0)


def test_repr_shows_the_configuration():
    basin = rm.Basin(12, 34, cell_size=0.5, timestep=0.03125, gravity=9.81, rest_height=2.0, threads=2)
    assert repr(basin) == ("ripplemoor.Basin(12, 34, cell_size=0.5, timestep=0.03125, gravity=9.81, "
                           "rest_height=2.0, threads=2)")
    assert (basin.width, basin.height, basin.threads) == (12, 34, 2)
    basin.threads = None  # the default: one thread below 512 x 512 cells
    assert basin.threads == 1 and repr(basin).endswith("threads=None)")
    basin.threads = 3
    assert basin.threads == 3 and repr(basin).endswith("threads=3)")


def run_child(*parts):
    """Runs the program made of parts in a child interpreter, so that a crash
    fails the test instead of ending the run; returns what it printed."""
    program = "\n".join(textwrap.dedent(part) for part in parts)
    result = subprocess.run([sys.executable, "-c", program], capture_output=True, text=True, timeout=120,
                            cwd=os.path.dirname(os.path.abspath(__file__)))
    assert result.returncode == 0, result.stderr
    return result.stdout


REFUSED = """
    def refused(call, error, words):
        try:
            call()
        except error as e:
            assert words in str(e), (words, str(e))
        else:
            raise AssertionError("accepted: " + words)
"""


def test_hostile_configurations_and_calls_raise_and_the_interpreter_lives():
    program = """
        import math, ripplemoor as rm
        bad = [
            ((2, 10), {}, ValueError, "width"), ((10, 0), {}, ValueError, "height"),
            ((-1, 5), {}, ValueError, "width"), ((2.5, 5), {}, TypeError, "width"),
            (("10", 5), {}, TypeError, "width"), ((65536, 65536), {}, ValueError, "too many cells"),
            ((10, 10), {"cell_size": math.nan}, ValueError, "cell_size"),
            ((10, 10), {"cell_size": 1e-50}, ValueError, "cell_size"),
            ((10, 10), {"timestep": 1e40}, ValueError, "timestep"),
            ((10, 10), {"timestep": -0.1}, ValueError, "timestep"),
            ((10, 10), {"gravity": math.inf}, ValueError, "gravity"),
            ((10, 10), {"rest_height": 0}, ValueError, "rest_height"),
            ((10, 10), {"rest_height": "1"}, TypeError, "rest_height"),
            ((10, 10), {"threads": 0}, ValueError, "threads"),
            ((10, 10), {"threads": 2.0}, TypeError, "threads"),
        ]
        for args, kwargs, error, words in bad:
            refused(lambda: rm.Basin(*args, **kwargs), error, words)
        b = rm.Basin(10, 10)
        refused(lambda: b.field("w"), ValueError, "unknown name 'w'")
        refused(lambda: b.step(-1), ValueError, "n")
        refused(lambda: b.add_drop(1, 2, 0, 0.1), ValueError, "radius")
        refused(lambda: b.seed(-1), ValueError, "s")
        refused(lambda: setattr(b, "color_mode", 7), ValueError, "color_mode")
        refused(lambda: rm.step_all([b, b], 1), ValueError, "twice")
        refused(lambda: rm.step_all([b, 3], 1), TypeError, "every item")
        refused(lambda: rm.step_all(b, 1), TypeError, "sequence")
        b.walls[...] = True  # a basin of wall only
        b.reset(); b.step(3)
        assert not b.h.any()
        print("alive")
    """
    assert run_child(REFUSED, program) == "alive\n"


def test_a_basin_over_the_machines_memory_is_refused_before_its_allocation():
    # Just over the limit that the check computes, where a size under it still
    # fits the cell count; nothing is allocated, so this runs anywhere.
    memory = os.sysconf("SC_PHYS_PAGES") * os.sysconf("SC_PAGE_SIZE")
    per_cell = 9 * 4 + 2
    width = 46341
    height = memory // per_cell // width + 1
    if width * (height + 1) > 2**31 - 1:
        pytest.skip("this machine's memory holds more cells than an int counts")
    with pytest.raises(ValueError, match=r"^Basin\(\): a basin of .* more than this machine's memory"):
        rm.Basin(width, height)
    # One row fewer is under the limit: the refusal is the memory's, not the size's.
    assert width * (height - 1) * per_cell <= memory


def state_section(state, tag):
    """The offset of a section's payload in a saved basin state."""
    at = 8 + 4 + 32
    while at < len(state):
        length = int.from_bytes(state[at + 4:at + 12], "little")
        if state[at:at + 4] == tag:
            return at + 12
        at += 12 + length
    raise AssertionError("no section %r" % tag)


def test_pickled_states_that_describe_no_basin_raise_value_error():
    # The generator's positions index its table: negative ones once broke memory.
    program = """
        import pickle, ripplemoor as rm
        from test_basin import state_section

        function, (state,) = rm.Basin(8, 8).__reduce__()
        assert function is rm._basin_from_state

        def patched(state, tag, offset, value):
            at = state_section(state, tag) + offset
            return state[:at] + value.to_bytes(4, "little", signed=True) + state[at + 4:]

        # The generator entry set to (-30, -30), as the report that found it did.
        broken = patched(patched(state, b"DGEN", 4 * 31, -30), b"DGEN", 4 * 32, -30)
        refused(lambda: rm._basin_from_state(broken), ValueError, "drop generator positions -30, -30")
        refused(lambda: rm._basin_from_state(patched(state, b"DGEN", 4 * 32, 31)), ValueError, "generator")
        refused(lambda: rm._basin_from_state(patched(state, b"MODE", 0, 7)), ValueError, "colour mode 7")
        refused(lambda: rm._basin_from_state(patched(state, b"MODE", 0, -1)), ValueError, "colour mode -1")
        refused(lambda: rm._basin_from_state(state[:-1]), ValueError, "not a valid basin state")
        refused(lambda: rm._basin_from_state(b"RMBASIN"), ValueError, "not a valid basin state")
        refused(lambda: rm._basin_from_state((1, (), {}, b"", 0, [], ())), ValueError, "bytes, not tuple")
        refused(lambda: pickle.loads(pickle.dumps(rm.Basin(8, 8)).replace(b"RMBASIN", b"RMBASIM")), ValueError,
                "mark")
        # What the refusals guard: a valid state steps on, drops included.
        twin = rm._basin_from_state(state)
        for _ in range(40):
            twin.random_drop()
        twin.step(5)
        print("alive")
    """
    assert run_child(REFUSED, program) == "alive\n"


@settings(max_examples=25, deadline=None, suppress_health_check=[HealthCheck.data_too_large])
@given(width=st.integers(3, 40), height=st.integers(3, 40), mode=st.integers(0, 6), steps=st.integers(1, 30),
       threads=st.integers(1, 3), data=st.data())
def test_every_size_and_wall_gives_the_portable_bits_on_the_default_target(width, height, mode, steps, threads,
                                                                           data):
    cells = st.tuples(st.integers(0, width - 1), st.integers(0, height - 1))
    walls = data.draw(st.lists(cells, max_size=8))
    drops = data.draw(st.lists(st.tuples(cells, st.integers(1, 4), st.integers(1, 50)), min_size=1, max_size=3))

    def run(target):
        rm.use_target(target)
        basin = rm.Basin(width, height, threads=threads)
        for x, y in walls:
            basin.walls[y, x] = True
        basin.reset()
        basin.color_mode = mode
        for (x, y), r, hundredths in drops:
            basin.add_drop(x, y, r, hundredths / 100)
        basin.step(steps)
        return basin.dump()

    try:
        assert run("portable") == run(rm.targets()[0])
    finally:
        rm.use_target(rm.targets()[0])
