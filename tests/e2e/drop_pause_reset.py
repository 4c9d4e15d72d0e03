"""A middle-click drop at the centre, pause and reset, as a user does them."""

import harness
from harness import check, scene_difference, save, FPS_BOX

CENTRE = (320, 240)


def drop_pause_and_reset(args):
    with harness.Program(args.binary, skybox_source=args.skybox) as app:
        app.start()
        flat = app.still_screenshot()
        check(scene_difference(flat, app.screenshot()) == 0,
              "water at rest must not move between frames")

        app.click(*CENTRE, button=2)
        app.settle(0.3)
        check(app.stdout() == "Init\nStarting simulation...\n2D drop x/y80 80\n",
              "drop line: %r" % app.stdout())
        spreading = app.screenshot()
        save(args, spreading, "drop")
        check(scene_difference(flat, spreading) > 500,
              "the drop must show on the water (%d pixels changed)"
              % scene_difference(flat, spreading))
        app.settle(0.3)
        later = app.screenshot()
        check(scene_difference(spreading, later) > 100, "the water must keep moving")

        app.key("p")
        frozen = [app.still_screenshot()]
        for _ in range(5):
            app.settle(0.25)
            frozen.append(app.screenshot())
        for shot in frozen[1:]:
            check(scene_difference(frozen[0], shot) == 0,
                  "paused water moved (%d pixels)" % scene_difference(frozen[0], shot))
        fps_changes = sum(1 for a, b in zip(frozen, frozen[1:]) if a.differing(b, FPS_BOX))
        check(fps_changes > 0, "the frame-rate text must keep updating while paused")
        check(scene_difference(flat, frozen[-1]) > 100, "pausing must not undo the drop")

        # Reset while paused: flat at once, and it stays flat after resuming.
        app.key("r")
        reset = app.still_screenshot(changed_from=frozen[-1])
        check(scene_difference(flat, reset) == 0,
              "'r' must give the flat picture back (%d pixels differ)"
              % scene_difference(flat, reset))
        app.key("p")
        app.settle(0.5)
        check(scene_difference(flat, app.screenshot()) == 0, "rest must stay at rest")


if __name__ == "__main__":
    harness.run_cases([("middle-click drop, pause, reset", drop_pause_and_reset)])
