"""Work done in another thread while this one is inside a basin's step, known to
be there by what the interpreter shows, not by waiting a while."""

import os
import signal
import sys
import threading
import time

# Ends a test whose step never lets the other thread run, or never stops.
WATCHDOG_SECONDS = 60


class _Endless:
    """A step count that says when step() has read it: the call's last Python code."""

    def __init__(self, entered):
        self.entered = entered

    def __index__(self):
        self.entered.set()
        return 10**15  # far longer than any test runs


def while_stepping(basin, work):
    """Calls work() in another thread while this thread is inside basin.step(),
    then ends that step with Ctrl-C (SIGINT); returns what work() returned.

    step() holds the GIL only while it reads its count; the other thread runs
    once this thread's Python frame is the caller's again, that is, once this
    thread is in the solver's loop with the GIL released. A step that keeps the
    GIL, or never stops, raises TimeoutError from the watchdog."""
    entered = threading.Event()
    outcome = {}

    def stepping():
        basin.step(_Endless(entered))

    def other():
        entered.wait()
        main = threading.main_thread().ident
        while sys._current_frames()[main].f_code is not stepping.__code__:
            time.sleep(0)  # lets the main thread leave __index__ and Event.set
        try:
            outcome["value"] = work()
        except BaseException as error:  # handed to the main thread
            outcome["error"] = error
        finally:
            os.kill(os.getpid(), signal.SIGINT)

    def timeout(*_):
        raise TimeoutError("the step kept the other thread waiting, or did not stop")

    previous = signal.signal(signal.SIGALRM, timeout)
    signal.alarm(WATCHDOG_SECONDS)
    helper = threading.Thread(target=other)
    helper.start()
    try:
        stepping()
    except KeyboardInterrupt:
        pass
    finally:
        signal.alarm(0)
        signal.signal(signal.SIGALRM, previous)
        helper.join()
    if "error" in outcome:
        raise outcome["error"]
    return outcome["value"]


def steps_since(start, basin, most):
    """How many steps took a copy of start to basin's bits, if a count up to
    most did; None otherwise."""
    probe = start.copy()
    for count in range(most + 1):
        if probe.dump() == basin.dump():
            return count
        probe.step(1)
    return None
