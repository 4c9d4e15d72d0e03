"""A middle-click drop at the centre, pause and reset, as a user does them."""

from ripplemoor_dev.pictures import FPS_BOX, scene_difference

CENTRE = (320, 240)


def test_drop_pause_and_reset(app, save):
    flat = app.still_screenshot()
    assert scene_difference(flat, app.screenshot()) == 0, \
        "water at rest must not move between frames"

    app.click(*CENTRE, button=2)
    app.settle(0.3)
    assert app.stdout() == "Init\nStarting simulation...\n2D drop x/y80 80\n", "drop line"
    spreading = app.screenshot()
    save(spreading, "drop")
    assert scene_difference(flat, spreading) > 500, "the drop must show on the water"
    app.settle(0.3)
    later = app.screenshot()
    assert scene_difference(spreading, later) > 100, "the water must keep moving"

    app.key("p")
    frozen = [app.still_screenshot()]
    for _ in range(5):
        app.settle(0.25)
        frozen.append(app.screenshot())
    for shot in frozen[1:]:
        assert scene_difference(frozen[0], shot) == 0, "paused water moved"
    fps_changes = sum(1 for a, b in zip(frozen, frozen[1:]) if a.differing(b, FPS_BOX))
    assert fps_changes > 0, "the frame-rate text must keep updating while paused"
    assert scene_difference(flat, frozen[-1]) > 100, "pausing must not undo the drop"

    # Reset while paused: flat at once, and it stays flat after resuming.
    app.key("r")
    reset = app.still_screenshot(changed_from=frozen[-1])
    assert scene_difference(flat, reset) == 0, "'r' must give the flat picture back"
    app.key("p")
    # Running again for certain before the water is watched.
    app.synced_screenshot()
    app.settle(0.5)
    assert scene_difference(flat, app.screenshot()) == 0, "rest must stay at rest"
