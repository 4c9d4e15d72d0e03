"""Basin(conserve_volume=True): the setting, its travels with copies and
pickles, and the volume it keeps."""

import copy
import pickle

import numpy as np
import pytest

import ripplemoor as rm


def islands(keep, size=100, threads=1):
    basin = rm.Basin(size, size, threads=threads, conserve_volume=keep)
    basin.walls[20:30, 30:40] = True
    basin.walls[60:75, 1:12] = True  # against the west wall
    basin.reset()
    basin.seed(3)
    return basin


def volume(basin):
    return float(basin.h[1:-1, 1:-1][~basin.walls[1:-1, 1:-1]].astype(np.float64).sum())


def drift_with_drops(basin, steps, every=100):
    start, added, worst = volume(basin), 0.0, 0.0
    for _ in range(steps // every):
        before = volume(basin)
        basin.random_drop()
        added += volume(basin) - before
        for _ in range(every // 20):
            basin.step(20)
            worst = max(worst, abs(volume(basin) - start - added) / start)
    return worst


def test_the_setting_is_off_by_default_and_a_bool():
    assert rm.Basin(20, 20).conserve_volume is False
    basin = rm.Basin(20, 20, conserve_volume=True)
    assert basin.conserve_volume is True
    assert repr(basin).endswith("conserve_volume=True)")
    assert "conserve_volume" not in repr(rm.Basin(20, 20))
    basin.conserve_volume = np.bool_(False)
    assert basin.conserve_volume is False
    # An int would pass 2 or -1 as "on" unnoticed.
    for bad in (1, 0, "yes", None):
        with pytest.raises(TypeError, match="conserve_volume"):
            rm.Basin(20, 20, conserve_volume=bad)
        with pytest.raises(TypeError, match="conserve_volume"):
            basin.conserve_volume = bad


def test_the_water_keeps_its_volume_within_a_float_step_per_cell_and_drifts_without():
    kept, free = islands(True), islands(False)
    assert drift_with_drops(kept, 3000) < 1.1 * 2.0 ** -23
    assert drift_with_drops(free, 3000) > 5e-6
    # Off, the step is the plain one, bit for bit.
    plain = islands(False)
    plain.conserve_volume = True
    plain.conserve_volume = False
    drift_with_drops(plain, 3000)
    assert plain.state_hash() == free.state_hash()


@pytest.mark.parametrize("duplicate", [
    lambda b: b.copy(),
    lambda b: copy.deepcopy(b),
    lambda b: pickle.loads(pickle.dumps(b)),
], ids=["copy", "deepcopy", "pickle"])
def test_copies_and_pickles_keep_the_setting_and_what_is_owed(duplicate):
    original = islands(True, size=60)
    drift_with_drops(original, 700)
    twin = duplicate(original)
    assert twin.conserve_volume
    for basin in (original, twin):
        basin.step(300)
    assert twin.state_hash() == original.state_hash()


def test_every_thread_count_gives_the_same_bits():
    hashes = set()
    for threads in (1, 2, 3, 7):
        basin = islands(True, size=70, threads=threads)
        drift_with_drops(basin, 600)
        hashes.add(basin.state_hash())
    assert len(hashes) == 1


def test_the_sponge_and_the_sources_still_move_the_volume():
    # A drop's water runs into a sponge that pulls it back to rest: the keeper
    # hands back only what the scheme changed, so the water drains as without it.
    volumes = []
    for keep in (False, True):
        basin = rm.Basin(80, 80, threads=1, conserve_volume=keep)
        basin.sponge(15)
        start = volume(basin)
        basin.add_drop(40, 40, 5, 0.1)
        dropped = volume(basin) - start
        basin.step(1500)
        volumes.append((volume(basin) - start) / dropped)
    assert volumes[1] < 0.2  # most of the drop's water is gone
    assert volumes[1] == pytest.approx(volumes[0], abs=0.01)
    # A wave maker moves the surface by D(t) and the keeper leaves that alone.
    basin = rm.Basin(60, 40, threads=1, conserve_volume=True)
    start = volume(basin)
    basin.add_line_source(10, 1, 10, 38, period=1.0, amplitude=0.01, ramp=0.0)
    basin.step(4)  # a quarter period (16 steps): D = 0.01·sin(π/2) on each of 38 cells
    assert volume(basin) - start == pytest.approx(0.01 * 38, rel=1e-3)
