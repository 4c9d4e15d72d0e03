"""The window as the desktop sees it, read with xprop from the running program:
WM_CLASS ties it to the desktop entry (whose StartupWMClass names the same
class), and _NET_WM_ICON carries the application icon, pixel for pixel the
packaged PNGs."""

import os
import re
import shutil
import subprocess

import harness
from harness import check

SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
APP_ID = "org.ripplemoor.Ripplemoor"
ICON_SIZES = (48, 64, 128)


def desktop_entry_class():
    with open(os.path.join(SOURCE, "packaging", APP_ID + ".desktop")) as f:
        match = re.search(r"^StartupWMClass=(.*)$", f.read(), re.M)
    check(match, "the desktop entry has no StartupWMClass")
    return match.group(1)


def png_as_cardinals(size):
    """The packaged icon as _NET_WM_ICON items: 0xAARRGGBB, rows top first."""
    convert = shutil.which("convert") or shutil.which("magick")
    check(convert, "ImageMagick is needed to read the icons")
    path = os.path.join(SOURCE, "packaging", "icons", "%d.png" % size)
    raw = subprocess.run([convert, path, "-depth", "8", "RGBA:-"], capture_output=True,
                         check=True, timeout=60).stdout
    check(len(raw) == 4 * size * size, "%s: %d bytes of RGBA" % (path, len(raw)))
    return [raw[i + 3] << 24 | raw[i] << 16 | raw[i + 1] << 8 | raw[i + 2]
            for i in range(0, len(raw), 4)]


def class_and_icon(args):
    with harness.Program(args.binary, skybox_source=args.skybox) as app:
        app.wait_for_stdout("Starting simulation...\n")
        window = app.find_window()
        wm_class = app.xtool("xprop", "-id", window, "WM_CLASS").strip()
        check(wm_class == 'WM_CLASS(STRING) = "ripplemoor", "%s"' % APP_ID,
              "xprop: %r" % wm_class)
        check(desktop_entry_class() == APP_ID,
              "StartupWMClass=%s, the window's class is %s" % (desktop_entry_class(), APP_ID))

        text = app.xtool("xprop", "-id", window, "-notype", "32c", "_NET_WM_ICON")
        check(text.startswith("_NET_WM_ICON = "), "xprop: %r" % text[:200])
        items = [int(v) for v in text.split("=", 1)[1].replace(",", " ").split()]

    sizes = []
    k = 0
    while k < len(items):
        check(k + 2 <= len(items), "_NET_WM_ICON ends inside a size")
        width, height = items[k], items[k + 1]
        pixels = items[k + 2:k + 2 + width * height]
        check(width == height and len(pixels) == width * height,
              "icon of %dx%d with %d pixels" % (width, height, len(pixels)))
        sizes.append(width)
        check(pixels == png_as_cardinals(width),
              "the %dx%d icon differs from packaging/icons/%d.png" % (width, width, width))
        k += 2 + width * height
    print("  icon sizes %r" % sizes)
    check(tuple(sizes) == ICON_SIZES, "sizes %r, want %r" % (sizes, ICON_SIZES))


if __name__ == "__main__":
    harness.run_cases([("WM_CLASS and _NET_WM_ICON on the real window", class_and_icon)])
