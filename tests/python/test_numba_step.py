"""bench/numba_step.py, the step written independently as parallel Numba loops,
gives the module's bits: the peer the module's speed is measured against
computes the same thing."""


import numpy as np
import pytest

pytest.importorskip("numba")
import numba_step  # noqa: E402  (bench/, on PYTHONPATH)


@pytest.mark.parametrize("width, height, steps", [(160, 160, 100), (97, 61, 80)])
def test_numba_step_gives_the_modules_bits(width, height, steps):
    # Mode 0: the other colour modes only add fields that no later stage reads.
    assert numba_step.agreement(width, height, steps) == {"h": 0, "u": 0, "v": 0, "heightChange": 0}
    basin = numba_step.start_basin(width, height)
    basin.step(steps)
    assert np.abs(basin.u).max() > 0.02 and np.abs(basin.v).max() > 0.02  # the water did move
