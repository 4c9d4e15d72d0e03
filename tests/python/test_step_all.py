"""ripplemoor.step_all and Python threads: basins stepped together give the
bits each gets alone, and stepping them really runs at once, each basin under
its own lock."""

import os
import threading
import time

import numpy as np
import pytest

import ripplemoor as rm

from inside_step import steps_since, while_stepping


def assorted_basins():
    """Basins that share nothing: sizes (odd, tall, the smallest), walls, colour
    modes, constants, thread counts, and one holding NaN and -0."""
    plain = rm.Basin(160, 160)
    plain.add_drop(80, 80, 6, 0.35)
    plain.add_drop(30, 120, 4, 0.2)

    walled = rm.Basin(97, 61, threads=2)
    walled.walls[:, 40] = True
    walled.walls[25:33, 40] = False  # a gap
    walled.walls[5:9, 70:75] = True  # a pillar
    walled.reset()
    walled.color_mode = 3
    walled.add_drop(20, 30, 5, 0.3)

    tall = rm.Basin(33, 200, timestep=0.05, gravity=9.81, rest_height=0.8, threads=1)
    tall.color_mode = 6
    tall.seed(12345)
    for _ in range(5):
        tall.random_drop()

    odd = rm.Basin(48, 40, threads=3)
    odd.color_mode = 5
    odd.add_drop(10, 10, 3, 0.2)
    odd.h[20, 30] = np.nan
    odd.u[5:8, 5:8] = -0.0

    smallest = rm.Basin(3, 3)
    smallest.color_mode = 2
    smallest.h[1, 1] = 1.05
    return [plain, walled, tall, odd, smallest]


def test_step_all_gives_each_basin_the_bits_it_gets_alone():
    basins = assorted_basins()
    alone = [b.copy() for b in basins]
    before = [b.dump() for b in basins]
    rm.step_all(basins, 60)
    # Past one of step_all's chunks between signal checks, on the cheap ones.
    one_thread = [0, 2, 4]
    rm.step_all([basins[k] for k in one_thread], 1100)
    for k, b in enumerate(alone):
        b.step(60 + (1100 if k in one_thread else 0))
    for together, single, start in zip(basins, alone, before):
        assert together.dump() == single.dump()
        assert together.dump() != start
    # Some more in another grouping, and none.
    rm.step_all(basins[::2], 7)
    rm.step_all(basins[1::2], 7)
    rm.step_all(basins, 0)
    rm.step_all([], 5)
    for b in alone:
        b.step(7)
    assert [b.dump() for b in basins] == [b.dump() for b in alone]


def test_step_all_refuses_what_it_cannot_step():
    basin = rm.Basin(8, 8)
    with pytest.raises(ValueError):
        rm.step_all([basin, rm.Basin(8, 8), basin], 1)
    with pytest.raises(TypeError):
        rm.step_all([basin, "basin"], 1)
    with pytest.raises(TypeError):
        rm.step_all(basin, 1)
    with pytest.raises((ValueError, OverflowError)):
        rm.step_all([basin], -1)
    assert basin.dump() == rm.Basin(8, 8).dump()  # nothing stepped on the way


def test_a_basin_steps_while_another_thread_is_inside_a_step():
    # Neither the GIL nor one lock for all basins is held while one steps: another
    # thread steps a second basin while this one is inside an endless step.
    big, small = rm.Basin(64, 64, threads=1), rm.Basin(40, 40, threads=1)
    big.add_drop(32, 32, 6, 0.2)
    small.add_drop(20, 20, 3, 0.2)
    reference = small.copy()
    reference.step(20)

    def work():
        small.step(20)
        return small.dump()

    assert while_stepping(big, work) == reference.dump()


def cores():
    return len(os.sched_getaffinity(0)) if hasattr(os, "sched_getaffinity") else os.cpu_count()


@pytest.mark.skipif(cores() < 2, reason="step_all takes the basins side by side only with two cores")
def test_step_all_steps_basins_side_by_side_each_under_its_own_lock():
    # This thread holds big's lock in an endless step. step_all([big, small]) then
    # steps small beside it, one basin per thread, and big only once its lock is
    # free: between two of this step's chunks, never within one.
    big, small = rm.Basin(64, 64, threads=1), rm.Basin(40, 40, threads=1)
    big.add_drop(32, 32, 6, 0.2)
    small.add_drop(20, 20, 3, 0.2)
    big_start = big.copy()
    small_after = small.copy()
    small_after.step(1)
    stepped = small_after.state_hash()

    def work():
        runner = threading.Thread(target=rm.step_all, args=([big, small], 1))
        runner.start()
        while small.state_hash() != stepped:
            time.sleep(0)
        return runner

    while_stepping(big, work).join()
    assert small.dump() == small_after.dump()
    # step() checks for Ctrl-C between whole steps: big took some of its own, then
    # step_all's one, each whole.
    count = steps_since(big_start, big, 1024 * 50 + 1)
    assert count is not None and count >= 2, count
