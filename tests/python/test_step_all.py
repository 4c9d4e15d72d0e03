"""ripplemoor.step_all and Python threads: basins stepped together give the
bits each gets alone, and stepping them really runs at once."""

import os
import threading
import time

import numpy as np
import pytest

import ripplemoor as rm


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


def test_a_basin_steps_while_another_thread_steps_its_own():
    # Neither the GIL nor one lock for all basins is held while one steps: this
    # thread steps and reads a second basin while a long step of the first runs.
    # No clock involved: it holds on one core too.
    big, small = rm.Basin(512, 512, threads=1), rm.Basin(40, 40, threads=1)
    big.add_drop(256, 256, 10, 0.2)
    small.add_drop(20, 20, 3, 0.2)
    reference = small.copy()
    worker = threading.Thread(target=big.step, args=(200,))
    worker.start()
    done = 0
    while worker.is_alive() and done < 20:
        small.step(1)
        small.state_hash()
        done += 1
    overlapped = worker.is_alive()
    worker.join()
    assert overlapped and done == 20
    reference.step(20)
    assert small.dump() == reference.dump()


def two_at_once(tasks):
    threads = [threading.Thread(target=task) for task in tasks]
    for t in threads:
        t.start()
    for t in threads:
        t.join()


def running_threads(exclude):
    """How many of this process's threads are running or ready to run, from
    /proc: a thread waiting for a lock or for the GIL sleeps."""
    count = 0
    for task in os.listdir("/proc/self/task"):
        if int(task) == exclude:
            continue
        try:
            with open("/proc/self/task/%s/stat" % task) as f:
                count += f.read().rsplit(")", 1)[1].split()[0] == "R"
        except OSError:  # ended meanwhile
            pass
    return count


@pytest.mark.skipif(not os.path.isdir("/proc/self/task"), reason="needs Linux's /proc")
@pytest.mark.parametrize("how", ["threads", "step_all"])
def test_two_basins_step_at_the_same_time(how):
    # Load-proof, unlike a stopwatch: a busy machine delays running threads but
    # leaves them runnable, while a held GIL or one lock for all basins puts all
    # but one to sleep. A third thread counts the runnable ones.
    basins = [rm.Basin(512, 512, threads=1) for _ in range(2)]
    for b in basins:
        b.add_drop(256, 256, 10, 0.2)
    samples = []
    stepping = threading.Event()

    def sample():
        me = threading.get_native_id()
        stepping.wait()
        while stepping.is_set():
            samples.append(running_threads(me))
            time.sleep(0.002)

    sampler = threading.Thread(target=sample)
    sampler.start()
    stepping.set()
    if how == "threads":
        two_at_once([lambda b=b: b.step(150) for b in basins])
    else:
        rm.step_all(basins, 150)
    stepping.clear()
    sampler.join()
    # The first to finish leaves one runnable thread for the rest of the run.
    both = sum(n >= 2 for n in samples)
    assert len(samples) >= 20 and both >= 0.3 * len(samples), samples
