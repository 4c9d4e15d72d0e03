"""A sky of one's own: the users' guide's ImageMagick command makes a picture that
the program reads with its faces where the guide says, and a picture of the wrong
shape is named on standard error while the program runs on with a blank sky."""

import os
import re
import shutil
import struct
import subprocess

from conftest import SOURCE
from ripplemoor_dev.pictures import TOP_BAND

# Upper row then lower row, as the guide's table has them.
FACES = ["right", "left", "up", "down", "back", "front"]
# One clear colour per face, far from each other and from the clear colour.
FACE_COLOURS = {"right": (200, 30, 30), "left": (30, 200, 30), "up": (30, 30, 200),
                "down": (200, 200, 30), "back": (200, 30, 200), "front": (240, 140, 20)}


def guide_command():
    """The ImageMagick command of docs/using.md's "Your own sky", as one shell line."""
    with open(os.path.join(SOURCE, "docs", "using.md")) as f:
        text = f.read()
    section = text.split("## Your own sky", 1)[1].split("\n## ", 1)[0]
    match = re.search(r"^    (convert .*?skybox\.tga)$", section, re.M | re.S)
    assert match, "no convert command in the guide's sky section"
    return match.group(1)


def convert():
    found = shutil.which("convert")
    assert found, "ImageMagick's convert is needed"
    return found


def run_guide_command(folder):
    result = subprocess.run(["sh", "-c", guide_command()], cwd=folder, capture_output=True,
                            timeout=120)
    assert result.returncode == 0, "the guide's command failed: %r" % result.stderr[-2000:]
    return os.path.join(folder, "skybox.tga")


def tga_rows(path):
    """Width, height and the RGB rows top first of an uncompressed true-colour TGA,
    by the format's own rule for the origin (descriptor bit 5 set: top first)."""
    with open(path, "rb") as f:
        data = f.read()
    id_length, colour_map, kind = data[0], data[1], data[2]
    width, height, bits, descriptor = struct.unpack("<HHBB", data[12:18])
    assert (colour_map, kind, bits) == (0, 2, 24) and not descriptor & 0x10, \
        "%s: not an uncompressed 24-bit TGA with rows left to right" % path
    start = 18 + id_length
    rows = [data[start + 3 * width * y:start + 3 * width * (y + 1)] for y in range(height)]
    if not descriptor & 0x20:
        rows.reverse()
    return width, height, rows


def test_command_rebuilds_the_shipped_sky(skybox, tmp_path):
    """Cut into its six faces in the guide's order and put together again with
    the guide's command, the shipped sky comes back pixel for pixel."""
    with open(skybox, "rb") as f:
        width, height = struct.unpack("<HH", f.read(18)[12:16])
    face = width // 3
    assert (width, height) == (3 * face, 2 * face), "shipped sky is %dx%d" % (width, height)
    cut = subprocess.run([convert(), skybox, "-crop", "%dx%d" % (face, face), "+repage",
                          str(tmp_path / "face-%d.png")], capture_output=True, timeout=120)
    assert cut.returncode == 0, "cutting the faces: %r" % cut.stderr
    for k, name in enumerate(FACES):
        os.rename(tmp_path / ("face-%d.png" % k), tmp_path / (name + ".png"))
    assert tga_rows(run_guide_command(tmp_path)) == tga_rows(skybox), \
        "the rebuilt sky differs from the shipped one"


def test_faces_land_where_the_guide_says(launch, tmp_path):
    """Solid faces through the guide's command: beyond the water at start-up the
    program shows "front" and, at the left edge, "left" (the camera looks 30
    degrees left of front)."""
    for name, colour in FACE_COLOURS.items():
        made = subprocess.run([convert(), "-size", "64x64", "xc:rgb(%d,%d,%d)" % colour,
                               str(tmp_path / (name + ".png"))], capture_output=True, timeout=60)
        assert made.returncode == 0, "making %s.png: %r" % (name, made.stderr)
    app = launch(skybox_source=run_guide_command(tmp_path)).start()
    assert app.stderr() == "", "the program refused the picture"
    view = app.still_screenshot()

    def near(pixel, colour):
        return all(abs(a - b) <= 2 for a, b in zip(pixel, colour))

    x0, y0, x1, y1 = TOP_BAND
    for name, box in (("left", (x0, y0, 100, y1)), ("front", (260, y0, x1, y1))):
        pixels = view.pixels(box)
        hits = sum(1 for p in pixels if near(p, FACE_COLOURS[name]))
        assert hits == len(pixels), "%s: %d of %d pixels in %r show its colour %r; e.g. %r" \
            % (name, hits, len(pixels), box, FACE_COLOURS[name], pixels[len(pixels) // 2])


def tga(width, height):
    header = struct.pack("<BBBHHBHHHHBB", 0, 0, 2, 0, 0, 0, 0, 0, width, height, 24, 0x20)
    return header + bytes([90, 160, 220]) * (width * height)


def test_wrong_shape_is_named(launch):
    """A readable 4:3 picture: the program names both shapes once and runs on,
    with nothing but the clear colour beyond the water."""
    app = launch(skybox_source=None, skybox_bytes=tga(64, 48)).start()
    assert app.stderr() == ("TextureMap::Setup: Texture must be one pixel high, square, or 3:2 "
                            "for a cube map; got 64x48.\n")
    assert app.stdout().splitlines() == ["Init", "Starting simulation..."]
    view = app.still_screenshot()
    # The untextured cube takes the current colour: one flat tone, not the picture's.
    colours = set(view.pixels(TOP_BAND))
    assert len(colours) <= 2 and (90, 160, 220) not in colours, \
        "beyond the water: %r" % sorted(colours)[:5]
    assert app.running(), "the program ended"
