"""A long step(n): the same bits as n steps of one, other threads run while it
works and only ever see the state between two whole steps, and Ctrl-C stops it."""

import threading

import ripplemoor as rm_module

from inside_step import steps_since, while_stepping

# More than two of the chunks that step() runs between its Ctrl-C checks.
N = 2500


def rest(rm):
    """The state every run here starts from: rest, after one step's ranges."""
    rm.reset()
    rm.step(1)
    rm.reset()
    rm.add_drop(60, 90, 6, 0.3)


def test_a_long_step_is_n_single_steps_to_the_bit(rm):
    rest(rm)
    rm.step(N)
    chunked = rm.dump()
    rest(rm)
    for _ in range(N):
        rm.step(1)
    assert rm.dump() == chunked


def test_other_threads_run_during_a_step_and_see_only_whole_steps(rm):
    rest(rm)
    seen = []
    worker = threading.Thread(target=rm.step, args=(N,))
    worker.start()
    while worker.is_alive():
        seen.append(rm.state_hash())
    worker.join()
    final = rm.state_hash()

    rest(rm)
    between = [rm.state_hash()]
    for _ in range(N):
        rm.step(1)
        between.append(rm.state_hash())
    assert final == between[N]
    # Under the lock a reader waits for whole steps: never a state in the middle of one.
    assert set(seen) <= set(between)
    # Without the GIL released, this thread could only have read before or after.
    assert set(seen) - {between[0], between[N]}, "no read while step() was running"


def test_ctrl_c_stops_a_long_step_between_two_whole_steps():
    basin = rm_module.Basin(64, 64, threads=1)
    basin.add_drop(32, 32, 6, 0.2)
    start = basin.copy()
    # Returns only once the endless step has stopped at the signal.
    while_stepping(basin, lambda: None)
    # step() looks for Ctrl-C between whole steps, every 20 ms of stepping: the
    # basin holds the bits of some whole number of steps.
    count = steps_since(start, basin, 1024 * 50)
    assert count is not None and count >= 1, count
