"""field(): views of the simulation's own memory, laid out [y, x]."""

import numpy as np
import pytest

NAMES = ["h", "u", "v", "scratch", "heightChange", "heightAccel", "speedSq",
         "flowDirection", "energyProduct"]


def test_every_field_is_a_writable_float32_view_of_the_whole_grid(rm):
    views = [rm.field(name) for name in NAMES]
    for name, view in zip(NAMES, views):
        assert view.shape == (160, 160) and view.dtype == np.float32, name
        assert view.flags.writeable and view.flags.c_contiguous and not view.flags.owndata, name
        assert np.shares_memory(view, rm.field(name)), name
    # Nine separate blocks of memory.
    for a in range(len(views)):
        for b in range(a + 1, len(views)):
            assert not np.shares_memory(views[a], views[b]), (NAMES[a], NAMES[b])


def test_a_write_at_y_x_moves_the_water_at_cell_x_y_in_the_next_step(rm):
    h, u, v = rm.field("h"), rm.field("u"), rm.field("v")
    x, y = 40, 100  # deliberately not symmetric
    h[y, x] = 1.5
    rm.step(1)
    # The raised cell loses water through its four faces: u at (x, y) and
    # (x+1, y), v at (x, y) and (x, y+1) point away from it.
    assert u[y, x] < 0 < u[y, x + 1]
    assert v[y, x] < 0 < v[y + 1, x]
    # Nothing moved at the transposed cell.
    assert u[x, y] == 0 and v[x, y] == 0 and h[x, y] == 1
    # Its first step is the height update on still water: only the velocity update
    # has acted, so the raised cell itself is unchanged.
    assert h[y, x] == np.float32(1.5)


def test_views_stay_valid_and_shared_across_reset(rm):
    before = {name: rm.field(name) for name in NAMES}
    rm.add_drop(80, 80, 7, 0.3)
    rm.color_mode = 6
    rm.step(20)
    assert before["speedSq"].max() > 0 and before["h"].max() > 1
    rm.reset()
    for name, view in before.items():
        assert np.shares_memory(view, rm.field(name)), name
        assert np.all(view == (1.0 if name == "h" else 0.0)), name
    # A write through an old view after the reset still reaches the solver.
    before["h"][80, 80] = 1.25
    rm.step(1)
    assert rm.field("u")[80, 81] > 0


def test_the_views_are_what_dump_reports(rm):
    rm.add_drop(30, 120, 4, 0.2)
    rm.color_mode = 3
    rm.step(15)
    raw = np.frombuffer(rm.dump(), dtype="<f4")
    dumped = ["h", "u", "v", "heightChange", "heightAccel", "speedSq", "flowDirection",
              "energyProduct"]
    for k, name in enumerate(dumped):
        block = raw[k * 25600:(k + 1) * 25600].reshape(160, 160)
        np.testing.assert_array_equal(block, rm.field(name), err_msg=name)
    ranges = rm.ranges()
    assert len(ranges) == 18
    np.testing.assert_array_equal(raw[8 * 25600:], np.array(list(ranges.values()), np.float32))
    assert ranges["heightAccelMax"] > 0 > ranges["heightAccelMin"]
    assert ranges["heightAccelScale"] == pytest.approx(
        1 / (ranges["heightAccelMax"] - ranges["heightAccelMin"]), rel=1e-6)


def test_drops_clip_at_the_edges_and_random_drops_follow_the_seed(rm):
    h = rm.field("h")
    rm.add_drop(0, 0, 3, 0.05)
    raised = np.argwhere(h != 1)
    assert {tuple(c) for c in raised} == {(y, x) for x in range(3) for y in range(3)}
    rm.add_drop(-10**9, 2**31 - 1, 2**31 - 1, 0.06)  # every cell, clipped
    assert h.max() == np.float32(1.1)  # the corner patch, capped
    assert h.min() == np.float32(1 + np.float64(np.float32(0.06)))

    rm.reset()
    rm.seed(12345)
    rm.random_drop()
    first = h.copy()
    patch = first[first != 1]
    assert patch.size in {4 * r * r for r in range(1, 8)}
    assert np.all(patch == patch[0]) and 1.01 <= patch[0] < 1.07
    rm.reset()
    rm.seed(12345)
    rm.random_drop()
    np.testing.assert_array_equal(h, first)
