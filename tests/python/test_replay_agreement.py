"""The module against the replay tool: the same solver, so the same bits, on
every solver that this processor offers."""

import os

import pytest

import ripplemoor
from conftest import SCENARIOS, play, run_replay

SOLVERS = ripplemoor.targets()


def pinned(name):
    with open(os.path.join(SCENARIOS, name)) as f:
        script = f.read()
    expected = [line.split(None, 2)[2].strip() for line in script.splitlines()
                if line.startswith("# expect ")]
    return script, expected


@pytest.mark.parametrize("solver", SOLVERS)
@pytest.mark.parametrize("scenario", ["scenario.replay", "modes.replay"])
def test_pinned_scenarios_give_the_pinned_hashes(rm, scenario, solver):
    script, expected = pinned(scenario)
    assert len(expected) >= 3
    rm.use_target(solver)
    assert rm.target() == solver
    assert play(rm, script) == expected


DROPS_AND_SETS = """\
mode 4
drop 80 80 6 0.35
drop -2 157 5 0.2
set u 30 90 1.25
set heightChange 12 12 -0.5
step 40
mode 6
set v 100 3 -0.75
drop 160 40 3 0.5
step 25
"""


@pytest.mark.parametrize("solver", SOLVERS)
def test_dump_bytes_equal_the_replay_tools(rm, replay_tool, tmp_path, solver):
    script = "step 1\nreset\n" + DROPS_AND_SETS + "hash\ndump -\n"
    printed, dumped = run_replay(replay_tool, script, solver, tmp_path)
    rm.use_target(solver)
    assert play(rm, DROPS_AND_SETS) == []
    ours = rm.dump()
    assert len(ours) == len(dumped) == 819272
    assert ours == dumped
    assert printed == "fnv1a64 %016x\n" % rm.state_hash()


def test_solver_list_is_the_replay_tools(replay_tool):
    printed, _ = run_replay(replay_tool + ["--target", "list"], "")
    assert ripplemoor.targets() == printed.split()
    assert ripplemoor.targets()[-1] == "portable"
