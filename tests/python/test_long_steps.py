"""A long step(n): the same bits as n steps of one, other threads run while it
works and only ever see the state between two whole steps, and Ctrl-C stops it."""

import signal
import subprocess
import sys
import threading
import time

import pytest

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


INTERRUPTED = """
import ripplemoor as rm
print('stepping', flush=True)
rm.step(10**12)
"""


def test_ctrl_c_stops_a_long_step():
    process = subprocess.Popen([sys.executable, "-c", INTERRUPTED], stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE, text=True)
    try:
        assert process.stdout.readline() == "stepping\n"
        # Well inside step() by then; a signal before it would stop it at the call.
        time.sleep(1.0)
        process.send_signal(signal.SIGINT)
        _, err = process.communicate(timeout=60)
    except subprocess.TimeoutExpired:
        process.kill()
        process.communicate()
        pytest.fail("step() went on after Ctrl-C")
    # An uncaught KeyboardInterrupt ends the interpreter by the signal itself.
    assert process.returncode == -signal.SIGINT
    assert err.rstrip().endswith("KeyboardInterrupt"), err
