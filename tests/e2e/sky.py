"""The generated sky picture shows behind the water."""

import harness
from harness import check, clear_colour_pixel, save, TOP_BAND


def sky_behind_the_water(args):
    with harness.Program(args.binary, skybox_source=args.skybox) as app:
        app.start()
        view = app.still_screenshot()
        save(args, view, "start")
        clear = clear_colour_pixel()
        bare = sum(1 for p in view.pixels(TOP_BAND) if p in clear)
        check(bare == 0, "%d pixels of the clear colour show beyond the water" % bare)

        # Lower the eye towards the horizon (drag up): the top of the window is sky.
        # The first step of a drag only records the pointer, so 32 of the 40 pixels
        # turn the camera, about 26 degrees.
        app.drag((320, 310), (320, 270), button=1)
        low = app.still_screenshot(changed_from=view)
        save(args, low, "horizon")
        band = (0, 0, 640, 100)
        pixels = list(low.pixels(band))
        bare = sum(1 for p in pixels if p in clear)
        check(bare == 0, "%d pixels of the clear colour in the sky" % bare)
        blue = sum(1 for r, g, b in pixels if b > r and b >= g)
        check(blue >= 0.8 * len(pixels), "sky not blue: %d of %d pixels blue-dominant"
              % (blue, len(pixels)))
        colours = low.distinct_colours(band)
        check(colours >= 20, "sky shows only %d colours: no picture" % colours)


if __name__ == "__main__":
    harness.run_cases([("sky picture behind the water", sky_behind_the_water)])
