"""Physics regressions, with the measurements of ripplemoor_dev.physics: the periods
of standing waves against the scheme's own dispersion relation, the volume
drift under drops, and an energy that does not grow without them."""


import numpy as np
import pytest

from ripplemoor_dev import physics
from ripplemoor_dev import wave_theory as theory


@pytest.mark.parametrize("mode", [(8, 0), (0, 30), (48, 0), (157, 0), (20, 20), (120, 120)])
def test_standing_wave_periods_follow_the_discrete_dispersion_relation(rm, mode):
    period, expected = physics.measured_period(*mode, steps=600)
    # Measured agreement is within 0.03 %; the relation's neighbours (the
    # continuum, the next mode) are percents away.
    assert period == pytest.approx(expected, rel=1e-3)
    kdx = np.hypot(theory.mode_kdx(mode[0]), theory.mode_kdx(mode[1]))
    shallow_water = 2 * np.pi / (np.sqrt(theory.G * theory.H) * kdx / theory.DX) / theory.DT
    assert period > 1.35 * shallow_water  # √(g·H/2), not √(g·H)


def test_long_waves_travel_at_the_half_depth_speed(rm):
    period, _ = physics.measured_period(4, 0, steps=1200)
    speed = theory.phase_speed_from_period(theory.mode_kdx(4), period)
    assert speed == pytest.approx(theory.C_HALF, rel=2e-3)


def test_volume_drifts_only_by_parts_per_million_under_drops(rm):
    drift, start, added = physics.volume_drift(2000, 100, seed=1)
    assert added > 20  # twenty drops did add water
    # About -40 ppm after 2,000 steps here (-150 ppm after 10,000); the drift is
    # second order in the amplitude, so ten times that would be a fault.
    assert np.abs(drift).max() < 3e-4


def test_energy_never_grows_without_drops(rm):
    t, plain, own, _ = physics.energy_after_drop(steps=4000, every=10)
    # Step to step the plain sum rises as potential and kinetic energy trade
    # places, but its means over 500 steps and the conserved form's means over
    # 100 steps only fall.
    assert np.all(np.diff(theory.smooth(plain, 50)) < 0)
    assert np.all(np.diff(theory.smooth(own, 10)) < 0)
    assert own[-1] < 0.8 * own[0]
