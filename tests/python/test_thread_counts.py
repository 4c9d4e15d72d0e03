"""A thread count takes effect: the threads that a step actually runs on, counted
in /proc, for the module's basins (set, by default, by size) and the replay
tool's --threads. Each run is a fresh process, whose thread pool only grows."""

import os
import subprocess
import sys
import textwrap

import pytest

pytestmark = pytest.mark.skipif(not os.path.isdir("/proc/self/task"), reason="needs Linux's /proc")

CORES = len(os.sched_getaffinity(0)) if hasattr(os, "sched_getaffinity") else os.cpu_count()


def threads_added_by_steps(setup):
    """How many threads a fresh interpreter gains while a basin made by setup
    (Python code that leaves it in `basin`) steps."""
    program = textwrap.dedent("""
        import os
        import ripplemoor as rm
        def tasks():
            return len(os.listdir("/proc/self/task"))
        before = tasks()
        %s
        basin.step(2)
        print(tasks() - before)
    """) % setup
    result = subprocess.run([sys.executable, "-c", program], capture_output=True, text=True, timeout=120)
    assert result.returncode == 0, result.stderr
    return int(result.stdout)


def test_a_basin_steps_on_the_threads_it_is_given():
    assert threads_added_by_steps("basin = rm.Basin(64, 64, threads=3)") == 2
    assert threads_added_by_steps("basin = rm.Basin(64, 64, threads=1)") == 0


def test_the_threads_setter_takes_effect_at_the_next_step():
    assert threads_added_by_steps("basin = rm.Basin(64, 64, threads=1); basin.step(1); basin.threads = 3") == 2
    assert threads_added_by_steps("basin = rm.Basin(64, 64, threads=3); basin.threads = 1") == 0


@pytest.mark.skipif(CORES < 2, reason="one core: the default is one thread at every size")
def test_the_default_uses_every_core_from_512_by_512_cells():
    assert threads_added_by_steps("basin = rm.Basin(512, 512)") == CORES - 1
    assert threads_added_by_steps("basin = rm.Basin(511, 512)") == 0


@pytest.mark.parametrize("option, size, added", [
    ("--threads=3", 64, 2), ("--threads 1", 64, 0), ("", 64, 0),
    pytest.param("--threads 0", 512, CORES - 1, marks=pytest.mark.skipif(CORES < 2, reason="one core")),
])
def test_the_replay_tool_steps_on_the_threads_it_is_given(replay_tool, option, size, added):
    # The tool reads its script a line at a time: once the dump after the steps
    # has arrived, it waits for the next line with its threads made.
    process = subprocess.Popen(replay_tool + option.split(), stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE)
    try:
        before = len(os.listdir("/proc/%d/task" % process.pid))
        process.stdin.write(b"basin %d %d\nstep 2\ndump /dev/stdout\n" % (size, size))
        process.stdin.flush()
        dumped = process.stdout.read((8 * size * size + 18) * 4)
        assert len(dumped) == (8 * size * size + 18) * 4
        during = len(os.listdir("/proc/%d/task" % process.pid))
        process.stdin.close()
        assert process.wait(timeout=60) == 0, process.stderr.read()
    finally:
        if process.poll() is None:
            process.kill()
            process.wait()
    assert during - before == added
