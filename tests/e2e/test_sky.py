"""The generated sky picture shows behind the water."""

from ripplemoor_dev.pictures import CLEAR_COLOURS, TOP_BAND


def test_sky_behind_the_water(app, save):
    view = app.still_screenshot()
    save(view, "start")
    bare = sum(1 for p in view.pixels(TOP_BAND) if p in CLEAR_COLOURS)
    assert bare == 0, "%d pixels of the clear colour show beyond the water" % bare

    # Lower the eye towards the horizon (drag up): the top of the window is sky.
    # The first step of a drag only records the pointer, so 32 of the 40 pixels
    # turn the camera, about 26 degrees.
    app.drag((320, 310), (320, 270), button=1)
    low = app.still_screenshot(changed_from=view)
    save(low, "horizon")
    band = (0, 0, 640, 100)
    pixels = low.pixels(band)
    bare = sum(1 for p in pixels if p in CLEAR_COLOURS)
    assert bare == 0, "%d pixels of the clear colour in the sky" % bare
    blue = sum(1 for r, g, b in pixels if b > r and b >= g)
    assert blue >= 0.8 * len(pixels), "sky not blue: %d of %d pixels blue-dominant" \
        % (blue, len(pixels))
    assert low.distinct_colours(band) >= 20, "the sky shows too few colours: no picture"
