"""The window as the desktop sees it, read with xprop from the running program:
WM_CLASS ties it to the desktop entry (whose StartupWMClass names the same
class), and _NET_WM_ICON carries the application icon, pixel for pixel the
packaged PNGs."""

import os
import re

from PIL import Image

from conftest import SOURCE

APP_ID = "org.ripplemoor.Ripplemoor"
ICON_SIZES = (48, 64, 128)


def desktop_entry_class():
    with open(os.path.join(SOURCE, "packaging", APP_ID + ".desktop")) as f:
        match = re.search(r"^StartupWMClass=(.*)$", f.read(), re.M)
    assert match, "the desktop entry has no StartupWMClass"
    return match.group(1)


def png_as_cardinals(size):
    """The packaged icon as _NET_WM_ICON items: 0xAARRGGBB, rows top first."""
    with Image.open(os.path.join(SOURCE, "packaging", "icons", "%d.png" % size)) as icon:
        assert icon.size == (size, size)
        return [a << 24 | r << 16 | g << 8 | b for r, g, b, a in icon.convert("RGBA").getdata()]


def test_class_and_icon(launch):
    app = launch()
    app.wait_for_stdout("Starting simulation...\n")
    window = app.find_window()
    wm_class = app.xtool("xprop", "-id", window, "WM_CLASS").strip()
    assert wm_class == 'WM_CLASS(STRING) = "ripplemoor", "%s"' % APP_ID
    assert desktop_entry_class() == APP_ID, "the desktop entry names another class"

    text = app.xtool("xprop", "-id", window, "-notype", "32c", "_NET_WM_ICON")
    assert text.startswith("_NET_WM_ICON = "), "xprop: %r" % text[:200]
    items = [int(v) for v in text.split("=", 1)[1].replace(",", " ").split()]

    sizes = []
    k = 0
    while k < len(items):
        assert k + 2 <= len(items), "_NET_WM_ICON ends inside a size"
        width, height = items[k], items[k + 1]
        pixels = items[k + 2:k + 2 + width * height]
        assert width == height and len(pixels) == width * height, \
            "icon of %dx%d with %d pixels" % (width, height, len(pixels))
        sizes.append(width)
        assert pixels == png_as_cardinals(width), \
            "the %dx%d icon differs from packaging/icons/%d.png" % (width, width, width)
        k += 2 + width * height
    assert tuple(sizes) == ICON_SIZES
