#!/usr/bin/env python3
"""Makes the pictures that show Ripplemoor: a gallery of the seven colour modes,
grey tones and flat shading (docs/gallery/), an animation of a pointer drop
spreading (docs/drop-spreading.png, an animated PNG), and the application icons
(packaging/icons/). Everything is the real program under Xvfb, driven with
xdotool as a user would; needs Pillow (Debian: python3-pil) to scale and encode.

    python3 docs/tools/gallery.py [--build build]
"""

import argparse
import os
import sys
import time

try:
    from PIL import Image, ImageDraw
except ImportError:
    sys.exit("gallery.py needs Pillow: apt-get install python3-pil "
             "(and run it with the python3 that sees it, e.g. /usr/bin/python3)")

root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
# The helpers shared with the tests (tests/support/ripplemoor_dev).
sys.path.insert(0, os.path.join(root, "tests", "support"))
from ripplemoor_dev import x11  # noqa: E402

# (file name, keys pressed before the picture, caption for the README)
GALLERY = [
    ("mode-0", ["c", "s", "0"], "0: plain water colour"),
    ("mode-1", ["1"], "1: height"),
    ("mode-2", ["2"], "2: height change"),
    ("mode-3", ["3"], "3: its change between steps"),
    ("mode-4", ["4"], "4: squared speed"),
    ("mode-5", ["5"], "5: flow direction"),
    ("mode-6", ["6"], "6: squared speed × height-change difference"),
    ("grey", ["2", "b"], "b: grey tones (mode 2)"),
    ("flat", ["c", "0", "f"], "f: flat shading (mode 0)"),
]
GALLERY_SIZE = (320, 240)
ICON_SIZES = (48, 64, 128, 256)
ANIMATION_SIZE = (480, 360)
ANIMATION_SECONDS = 4.0
ANIMATION_FPS = 10
ANIMATION_MODE = "0"
ANIMATION_BYTES_MAX = 2 * 1024 * 1024


def image_of(picture):
    return picture.image


def save_small(image, path, size, paletted=False):
    small = image.resize(size, Image.LANCZOS)
    if paletted:
        # A third of the bytes; 256 colours hold one small screenshot well.
        small = small.quantize(colors=256, method=Image.Quantize.MEDIANCUT,
                               dither=Image.Dither.NONE)
    small.save(path, optimize=True)


def frame_the_basin(app):
    # The start-up view is close to the water; move the eye away (right drags
    # downwards, 0.1 units a pixel) until the whole basin shows, then lower it a
    # little (left drag upwards) so that the sky shows above the far edge.
    for _ in range(2):
        app.drag((320, 60), (320, 420), button=3)
    app.drag((320, 320), (320, 304), button=1)
    app.settle(0.3)


def step_briefly(app, seconds):
    """Resumes the simulation for a moment and pauses it again, so that the
    derived field of the current colour mode is computed for the picture."""
    app.key("p")
    app.settle(seconds)
    app.key("p")


def animation(binary, skybox, out):
    """A pointer drop spreading, at ANIMATION_FPS frames a second."""
    with x11.Program(binary, skybox_source=skybox) as app:
        app.start()
        frame_the_basin(app)
        app.key(ANIMATION_MODE)
        app.settle(0.3)
        frames = []
        times = []
        # Lands near the middle of the framed basin.
        app.click(390, 300, button=2)
        start = time.monotonic()
        for k in range(int(ANIMATION_SECONDS * ANIMATION_FPS)):
            time.sleep(max(0.0, start + k / ANIMATION_FPS - time.monotonic()))
            times.append(time.monotonic())
            frames.append(image_of(app.screenshot()))
    # Each frame shows for as long as it took to the next one: the animation runs
    # at the speed that the program ran under Xvfb here.
    durations = [int(round(1000 * (b - a))) for a, b in zip(times, times[1:])]
    durations.append(1500)
    # 256 colours keep the file small, and the water's gradients survive them.
    # An animated PNG has one palette for all frames: make it from a strip of
    # frames across the whole run.
    small = [f.resize(ANIMATION_SIZE, Image.LANCZOS) for f in frames]
    strip_frames = small[::4]
    width, height = ANIMATION_SIZE
    strip = Image.new("RGB", (width, height * len(strip_frames)))
    for k, frame in enumerate(strip_frames):
        strip.paste(frame, (0, k * height))
    palette = strip.quantize(colors=256, method=Image.Quantize.MEDIANCUT)
    small = [f.quantize(palette=palette, dither=Image.Dither.NONE) for f in small]
    while True:
        small[0].save(out, format="PNG", save_all=True, append_images=small[1:],
                      duration=durations, loop=0, optimize=True)
        if os.path.getsize(out) <= ANIMATION_BYTES_MAX or len(small) <= 10:
            break
        # Too large: every other frame, each shown twice as long.
        small = small[::2]
        durations = [sum(durations[k:k + 2]) for k in range(0, len(durations), 2)]
    return len(small), sum(durations) / 1000.0


def gallery(binary, skybox, out_dir):
    os.makedirs(out_dir, exist_ok=True)
    with x11.Program(binary, skybox_source=skybox) as app:
        app.start()
        frame_the_basin(app)
        # Two pointer drops and a random one, then a moment to spread.
        app.click(260, 200, button=2)
        app.click(380, 290, button=2)
        app.key("d")
        app.settle(0.5)
        app.key("p")
        pictures = {}
        previous = None
        for name, keys, _caption in GALLERY:
            app.key(*keys)
            step_briefly(app, 0.05)
            picture = app.still_screenshot(changed_from=previous)
            previous = picture
            pictures[name] = image_of(picture)
            save_small(pictures[name], os.path.join(out_dir, name + ".png"), GALLERY_SIZE,
                       paletted=True)
    return pictures


def ring_extent(picture, background, along_row, at):
    """First and last position on one row (or column) whose colour is far from
    the background's."""
    length = picture.width if along_row else picture.height
    hits = []
    for k in range(length):
        pixel = picture.pixel(k, at) if along_row else picture.pixel(at, k)
        if sum(abs(a - b) for a, b in zip(pixel, background)) > 60:
            hits.append(k)
    return (hits[0], hits[-1]) if hits else (0, 0)


def icon(binary, skybox, icon_dir):
    """One drop seen from above in colour mode 1, taken once its ring is about
    400 pixels across (how long that takes depends on the machine), cut out as a
    disc."""
    with x11.Program(binary, skybox_source=skybox) as app:
        app.start()
        for _ in range(2):
            app.drag((320, 60), (320, 420), button=3)
        app.drag((320, 200), (320, 250), button=1)
        app.key("1")
        app.settle(0.3)
        app.click(320, 240, button=2)
        deadline = time.monotonic() + 10
        while True:
            picture = app.screenshot()
            background = picture.pixel(630, 470)
            left, right = ring_extent(picture, background, True, 240)
            if right - left >= 400 or time.monotonic() > deadline:
                break
    top, bottom = ring_extent(picture, background, False, (left + right) // 2)
    cx, cy = (left + right) / 2, (top + bottom) / 2
    half = max(right - left, bottom - top) / 2 + 6
    square = image_of(picture).crop((int(cx - half), int(cy - half),
                                     int(cx + half), int(cy + half)))
    # The disc's edge, drawn four times larger and scaled down, is smooth.
    side = square.width
    mask = Image.new("L", (4 * side, 4 * side), 0)
    ImageDraw.Draw(mask).ellipse((0, 0, 4 * side - 1, 4 * side - 1), fill=255)
    square.putalpha(mask.resize((side, side), Image.LANCZOS))
    os.makedirs(icon_dir, exist_ok=True)
    for size in ICON_SIZES:
        save_small(square, os.path.join(icon_dir, "%d.png" % size), (size, size))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default=os.path.join(root, "build"))
    parser.add_argument("--docs", default=os.path.join(root, "docs"))
    parser.add_argument("--icons", default=os.path.join(root, "packaging", "icons"))
    args = parser.parse_args()

    binary = os.path.join(args.build, "ripplemoor")
    skybox = os.path.join(args.build, "skybox.tga")
    gallery(binary, skybox, os.path.join(args.docs, "gallery"))
    for name, _keys, _caption in GALLERY:
        print("wrote", os.path.join(args.docs, "gallery", name + ".png"))
    icon(binary, skybox, args.icons)
    for size in ICON_SIZES:
        print("wrote", os.path.join(args.icons, "%d.png" % size))
    out = os.path.join(args.docs, "drop-spreading.png")
    frames, seconds = animation(binary, skybox, out)
    print("wrote %s: %d frames, %.1f s, %d bytes" % (out, frames, seconds, os.path.getsize(out)))

if __name__ == "__main__":
    main()
