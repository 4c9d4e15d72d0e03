"""Colour modes 1 to 6, grey tones and back, flat and smooth shading, and the
keys that do nothing."""

import harness
from harness import check, scene_difference, save, INNER_WATER

CENTRE = (320, 240)


def is_grey(pixel):
    return pixel[0] == pixel[1] == pixel[2]


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


if __name__ == "__main__":
    harness.run_cases([("colour modes, grey tones, shading", colour_modes_grey_and_shading)])
