"""The real program driven with keys and the mouse: drops, pause, reset, colour
modes, grey tones, shading, camera drags and Esc."""

import harness
from harness import check, scene_difference, save, FPS_BOX, INNER_WATER

CENTRE = (320, 240)


def is_grey(pixel):
    return pixel[0] == pixel[1] == pixel[2]


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


def colour_modes_grey_and_shading(args):
    # A mode's range is computed by the steps run while it is in force, so each
    # mode gets a few running frames before the water is frozen and compared.
    with harness.Program(args.binary, skybox_source=args.skybox) as app:
        app.start()
        app.click(*CENTRE, button=2)
        app.settle(0.5)
        for key in "123456":
            app.key(key)
            app.settle(0.3)
            app.key("p")
            mode = app.still_screenshot()
            save(args, mode, "mode" + key)
            app.key("0")
            plain = app.still_screenshot(changed_from=mode)
            check(scene_difference(mode, plain) > 5000,
                  "mode %s colours the frozen water like mode 0" % key)
            # Only a specular highlight may come out grey (white) in colour.
            greys = sum(1 for p in plain.pixels(INNER_WATER) if is_grey(p))
            check(greys < 0.01 * 320 * 200, "mode 0 water has %d grey pixels" % greys)
            app.key(key)
            again = app.still_screenshot(changed_from=plain)
            check(scene_difference(mode, again) == 0,
                  "mode %s drawn differently the second time" % key)
            if key == "1":
                check_grey_and_back(args, app, mode, "1")
                app.key("0")
                app.still_screenshot(changed_from=mode)
                check_grey_and_back(args, app, plain, "0")
                check_shading(app, plain)
                app.key("1")
                app.still_screenshot(changed_from=plain)
            app.key("p")

        # Unbound keys: upper case and 7 to 9 leave the picture as it is.
        app.key("p")
        frozen = app.still_screenshot()
        app.key("B", "F", "P", "R", "D", "C", "7", "8", "9", "space")
        check(scene_difference(frozen, app.still_screenshot()) == 0,
              "an unbound key changed the picture")


def check_grey_and_back(args, app, coloured, mode):
    app.key("b")
    grey = app.still_screenshot(changed_from=coloured)
    save(args, grey, "grey" + mode)
    tinted = [p for p in grey.pixels(INNER_WATER) if not is_grey(p)]
    check(not tinted, "mode %s after 'b': %d coloured pixels, e.g. %r"
          % (mode, len(tinted), tinted[:3]))
    app.key("c")
    check(scene_difference(coloured, app.still_screenshot(changed_from=grey)) == 0,
          "'c' must restore the colours exactly in mode %s" % mode)


def check_shading(app, smooth):
    app.key("f")
    flat = app.still_screenshot(changed_from=smooth)
    check(scene_difference(smooth, flat) > 500, "'f' must change the shading")
    app.key("s")
    check(scene_difference(smooth, app.still_screenshot(changed_from=flat)) == 0,
          "'s' must restore smooth shading")


def camera_drags_and_escape(args):
    with harness.Program(args.binary, skybox_source=args.skybox) as app:
        app.start()
        start = app.still_screenshot()

        # Moving without a button changes nothing.
        for x, y in [(100, 100), (400, 300), (320, 240), (600, 50)]:
            app.move(x, y)
        check(scene_difference(start, app.still_screenshot()) == 0,
              "passive motion changed the view")

        app.drag((300, 300), (380, 300), button=1)
        orbited = app.still_screenshot(changed_from=start)
        save(args, orbited, "orbit")
        check(scene_difference(start, orbited) > 5000, "an orbit must change the view")

        app.drag((380, 300), (380, 380), button=3)
        zoomed = app.still_screenshot(changed_from=orbited)
        save(args, zoomed, "zoom")
        check(scene_difference(orbited, zoomed) > 1000, "a zoom drag must change the view")
        # Dragging down moves the eye away: the flat, evenly lit water covers less.
        water = orbited.pixel(*CENTRE)
        before = sum(1 for p in orbited.pixels() if p == water)
        after = sum(1 for p in zoomed.pixels() if p == water)
        check(after < before, "zooming out must shrink the water (%d -> %d pixels)"
              % (before, after))

        # 'r' flattens the water but leaves the camera where the drags put it.
        app.key("r")
        check(scene_difference(zoomed, app.still_screenshot()) == 0, "'r' moved the camera")

        app.key("Escape")
        status = app.wait_exit(10)
        check(status == 0, "Esc must end the program with status 0, got %r" % status)


if __name__ == "__main__":
    harness.run_cases([
        ("middle-click drop, pause, reset", drop_pause_and_reset),
        ("colour modes, grey tones, shading", colour_modes_grey_and_shading),
        ("orbit and zoom drags, Esc", camera_drags_and_escape),
    ])
