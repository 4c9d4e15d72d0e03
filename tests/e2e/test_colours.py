"""Colour modes 1 to 6, grey tones and back, flat and smooth shading, and the
keys that do nothing."""

from ripplemoor_dev.pictures import INNER_WATER, is_grey, scene_difference

CENTRE = (320, 240)


def test_colour_modes_grey_and_shading(app, save):
    # A mode's range is computed by the steps run while it is in force, so each
    # mode gets a few running frames before the water is frozen and compared.
    app.click(*CENTRE, button=2)
    app.settle(0.5)
    for key in "123456":
        app.key(key)
        app.settle(0.3)
        app.key("p")
        mode = app.still_screenshot()
        save(mode, "mode" + key)
        app.key("0")
        plain = app.still_screenshot(changed_from=mode)
        assert scene_difference(mode, plain) > 5000, \
            "mode %s colours the frozen water like mode 0" % key
        # Only a specular highlight may come out grey (white) in colour.
        greys = sum(1 for p in plain.pixels(INNER_WATER) if is_grey(p))
        assert greys < 0.01 * 320 * 200, "mode 0 water has %d grey pixels" % greys
        app.key(key)
        again = app.still_screenshot(changed_from=plain)
        assert scene_difference(mode, again) == 0, "mode %s drawn differently the second time" % key
        if key == "1":
            check_grey_and_back(app, mode, "1", save)
            app.key("0")
            app.still_screenshot(changed_from=mode)
            check_grey_and_back(app, plain, "0", save)
            check_shading(app, plain)
            app.key("1")
            app.still_screenshot(changed_from=plain)
        app.key("p")

    # Unbound keys: upper case and 7 to 9 leave the picture as it is. In mode 0,
    # whose colours the sync after them needs.
    app.key("p", "0")
    frozen = app.still_screenshot(changed_from=mode)
    app.key("B", "F", "P", "R", "D", "C", "7", "8", "9", "space")
    assert scene_difference(frozen, app.synced_screenshot(INNER_WATER)) == 0, \
        "an unbound key changed the picture"


def check_grey_and_back(app, coloured, mode, save):
    app.key("b")
    grey = app.still_screenshot(changed_from=coloured)
    save(grey, "grey" + mode)
    tinted = [p for p in grey.pixels(INNER_WATER) if not is_grey(p)]
    assert not tinted, "mode %s after 'b': %d coloured pixels, e.g. %r" \
        % (mode, len(tinted), tinted[:3])
    app.key("c")
    assert scene_difference(coloured, app.still_screenshot(changed_from=grey)) == 0, \
        "'c' must restore the colours exactly in mode %s" % mode


def check_shading(app, smooth):
    app.key("f")
    flat = app.still_screenshot(changed_from=smooth)
    assert scene_difference(smooth, flat) > 500, "'f' must change the shading"
    app.key("s")
    assert scene_difference(smooth, app.still_screenshot(changed_from=flat)) == 0, \
        "'s' must restore smooth shading"
