"""bench/numpy_step.py, the step written independently in NumPy, gives the
module's bits: two transcriptions of one algorithm that agree."""

import numpy as np

import numpy_step  # noqa: E402  (bench/, on PYTHONPATH)


def test_numpy_step_gives_the_modules_bits(rm):
    report = numpy_step.agreement(60)
    assert report == {name: (0, 0.0) for name in ("h", "u", "v", "heightChange")}
    assert np.abs(rm.field("u")).max() > 0.05  # the drops did move the water
