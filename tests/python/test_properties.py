"""Random sequences of steps, drops, sets and mode changes: the module and the
replay tool must dump the same bytes."""

import numpy as np
from hypothesis import HealthCheck, given, settings
from hypothesis import strategies as st

import ripplemoor
from conftest import SETTABLE, normalise, play, run_replay


def float32s(lo, hi):
    return st.floats(lo, hi, width=32, allow_nan=False)


def exact(value):
    """A float32 value as text that both strtof and float() read back exactly."""
    return float(np.float32(value)).hex()


OPERATIONS = st.one_of(
    st.builds(lambda n: "step %d" % n, st.integers(0, 30)),
    st.builds(lambda x, y, r, inc: "drop %d %d %d %s" % (x, y, r, exact(inc)),
              st.integers(-12, 172), st.integers(-12, 172), st.integers(1, 9),
              float32s(-0.25, 0.5)),
    st.builds(lambda f, x, y, value: "set %s %d %d %s" % (f, x, y, exact(value)),
              st.sampled_from(SETTABLE), st.integers(0, 159), st.integers(0, 159),
              float32s(-2.0, 2.0)),
    st.builds(lambda m: "mode %d" % m, st.integers(0, 6)),
    st.just("reset"),
)


@settings(max_examples=30, deadline=None, database=None,
          suppress_health_check=[HealthCheck.function_scoped_fixture])
@given(operations=st.lists(OPERATIONS, min_size=1, max_size=14),
       solver=st.sampled_from(ripplemoor.targets()))
def test_random_sequences_dump_the_same_bytes_as_the_replay_tool(rm, replay_tool, tmp_path,
                                                                 operations, solver):
    # Hypothesis runs many examples inside one use of the fixture.
    normalise()
    script = "\n".join(operations) + "\n"
    _, dumped = run_replay(replay_tool, "step 1\nreset\n" + script + "dump -\n", solver, tmp_path)
    rm.use_target(solver)
    play(rm, script)
    assert rm.dump() == dumped
