"""Drives the real program as a user would: a private Xvfb, xdotool for keys and
the mouse, xwd screenshots decoded here (standard library only)."""

import argparse
import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import zlib

TITLE = "Ripplemoor"
CLEAR_COLOUR = (0.7, 0.8, 1.0)


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def parse_args():
    parser = argparse.ArgumentParser()
    parser.add_argument("--binary", required=True)
    parser.add_argument("--skybox", required=True)
    parser.add_argument("--save", help="folder for screenshots (PNG) of this run")
    return parser.parse_args()


def run_cases(cases, args=None):
    """Runs each (name, function) with the parsed arguments (the e2e ones unless
    given); prints a summary and exits non-zero when any case failed."""
    if args is None:
        args = parse_args()
    failed = 0
    for name, case in cases:
        start = time.monotonic()
        try:
            case(args)
            print("PASS %s (%.1fs)" % (name, time.monotonic() - start), flush=True)
        except Exception as error:  # report every case, not just the first
            failed += 1
            print("FAIL %s: %s: %s" % (name, type(error).__name__, error), flush=True)
    print("%d passed, %d failed" % (len(cases) - failed, failed), flush=True)
    sys.exit(1 if failed else 0)


def wait_until(predicate, timeout, interval=0.05):
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            return value
        time.sleep(interval)


class Xvfb:
    """A display of our own, so that parallel tests never share one."""

    def __init__(self, width=1024, height=768):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
             "%dx%dx24" % (width, height), "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 20
        while not number.endswith(b"\n") and time.monotonic() < deadline:
            chunk = os.read(read_end, 16)
            if not chunk:
                break
            number += chunk
        os.close(read_end)
        if not number.strip():
            self.close()
            raise Failure("Xvfb did not report a display")
        self.display = ":" + number.decode().strip()

    def close(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


class Program:
    """The binary running in a temporary working directory on its own Xvfb."""

    def __init__(self, binary, skybox_bytes=None, skybox_source=None, extra_env=None,
                 xvfb=None, args=()):
        self.owns_xvfb = xvfb is None
        self.xvfb = xvfb or Xvfb()
        self.dir = tempfile.mkdtemp(prefix="ripplemoor-e2e-")
        if skybox_source is not None:
            shutil.copyfile(skybox_source, os.path.join(self.dir, "skybox.tga"))
        elif skybox_bytes is not None:
            with open(os.path.join(self.dir, "skybox.tga"), "wb") as f:
                f.write(skybox_bytes)
        self.env = dict(os.environ)
        self.env["DISPLAY"] = self.xvfb.display
        self.env["LIBGL_ALWAYS_SOFTWARE"] = "1"
        # Mesa and Xlib keep allocations until exit; a leak report would replace
        # the exit status that these tests check.
        asan = self.env.get("ASAN_OPTIONS", "")
        self.env["ASAN_OPTIONS"] = (asan + ":" if asan else "") + "detect_leaks=0"
        if extra_env:
            self.env.update(extra_env)
        self.stdout_path = os.path.join(self.dir, "stdout.txt")
        self.stderr_path = os.path.join(self.dir, "stderr.txt")
        try:
            with open(self.stdout_path, "wb") as out, open(self.stderr_path, "wb") as err:
                self.process = subprocess.Popen([os.path.abspath(binary)] + list(args),
                                                cwd=self.dir, env=self.env, stdin=subprocess.DEVNULL,
                                                stdout=out, stderr=err)
        except OSError:
            if self.owns_xvfb:
                self.xvfb.close()
            shutil.rmtree(self.dir, ignore_errors=True)
            raise
        self.window = None

    # --- output and status -------------------------------------------------

    def stdout(self):
        with open(self.stdout_path, "rb") as f:
            return f.read().decode("latin-1")

    def stderr(self):
        with open(self.stderr_path, "rb") as f:
            return f.read().decode("latin-1")

    def wait_for_stdout(self, text, timeout=30):
        found = wait_until(lambda: text in self.stdout() or self.process.poll() is not None,
                           timeout)
        check(text in self.stdout(),
              "stdout never showed %r (status %r); stdout %r, stderr %r"
              % (text, self.process.poll(), self.stdout(), self.stderr()[-2000:]))
        return found

    def wait_exit(self, timeout=30):
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end within %ss" % timeout)

    def running(self):
        return self.process.poll() is None

    # --- the window ----------------------------------------------------------

    def xtool(self, *args, timeout=20):
        result = subprocess.run(list(args), env=self.env, capture_output=True, timeout=timeout)
        if result.returncode != 0:
            raise Failure("%s failed: %s" % (" ".join(args), result.stderr.decode().strip()))
        return result.stdout.decode()

    def find_window(self, timeout=30):
        try:
            out = self.xtool("xdotool", "search", "--sync", "--onlyvisible", "--name",
                             "^%s$" % TITLE, timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Failure("no window titled %r appeared; stderr %r" % (TITLE, self.stderr()[-2000:]))
        ids = out.split()
        check(len(ids) == 1, "expected one window titled %r, found %r" % (TITLE, ids))
        self.window = ids[0]
        return self.window

    def geometry(self):
        info = self.xtool("xwininfo", "-id", self.window)
        values = {}
        for line in info.splitlines():
            key, _, value = line.strip().partition(":")
            values[key] = value.strip()
        return {"x": int(values["Absolute upper-left X"]),
                "y": int(values["Absolute upper-left Y"]),
                "width": int(values["Width"]), "height": int(values["Height"]),
                "map_state": values.get("Map State", "")}

    def start(self):
        """Waits for the main loop and the window, and for the first frames."""
        self.wait_for_stdout("Starting simulation...\n")
        self.find_window()
        # Without a window manager GLUT's window sits at (-1, -1), one pixel off the
        # screen; move it fully on so that screenshots hold every pixel.
        self.xtool("xdotool", "windowmove", "--sync", self.window, "0", "0")
        placed = self.geometry()
        check((placed["x"], placed["y"], placed["width"], placed["height"]) == (0, 0, 640, 480),
              "window not at (0, 0) with 640 x 480 after the move: %r" % placed)
        # Without a window manager the keyboard focus follows the pointer.
        self.xtool("xdotool", "mousemove", "--window", self.window, "5", "5")
        wait_until(lambda: self.screenshot().distinct_colours(limit=3) >= 3, 10, 0.1)
        return self

    def key(self, *names):
        self.xtool("xdotool", "key", "--delay", "20", *names)

    def move(self, x, y):
        self.xtool("xdotool", "mousemove", "--window", self.window, str(x), str(y))

    def click(self, x, y, button):
        self.xtool("xdotool", "mousemove", "--window", self.window, str(x), str(y),
                   "click", str(button))

    def drag(self, start, end, button, step=8):
        """Presses a button at start, moves to end in steps of at most `step` pixels
        (the camera drops moves of 20 or more per event) and releases it."""
        x, y = start
        args = ["xdotool", "mousemove", "--window", self.window, str(x), str(y),
                "mousedown", str(button)]
        while (x, y) != tuple(end):
            x += max(-step, min(step, end[0] - x))
            y += max(-step, min(step, end[1] - y))
            args += ["sleep", "0.02", "mousemove", "--window", self.window, str(x), str(y)]
        args += ["sleep", "0.05", "mouseup", str(button)]
        self.xtool(*args)

    def screenshot(self):
        raw = subprocess.run(["xwd", "-id", self.window, "-silent"], env=self.env,
                             capture_output=True, timeout=20)
        check(raw.returncode == 0, "xwd failed: %s" % raw.stderr.decode().strip())
        return parse_xwd(raw.stdout)

    def still_screenshot(self, changed_from=None, timeout=8):
        """A screenshot of a picture that has stopped changing (water paused or at
        rest), taken once it differs from `changed_from` when that is given. Polling
        for these instead of sleeping keeps the tests right on a slow machine."""
        deadline = time.monotonic() + timeout
        time.sleep(0.15)
        previous = self.screenshot()
        while True:
            time.sleep(0.08)
            current = self.screenshot()
            still = not scene_differs(previous, current)
            changed = changed_from is None or scene_differs(changed_from, current)
            if (still and changed) or time.monotonic() > deadline:
                return current
            previous = current

    def settle(self, seconds=0.2):
        """Lets a few idle/display cycles run."""
        time.sleep(seconds)

    def close(self):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        if self.owns_xvfb:
            self.xvfb.close()
        shutil.rmtree(self.dir, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
        return False


# --- pictures ------------------------------------------------------------------


class Picture:
    """RGB pixels, row 0 at the top."""

    def __init__(self, width, height, rgb):
        self.width = width
        self.height = height
        self.rgb = rgb  # bytes, 3 per pixel

    def pixel(self, x, y):
        i = 3 * (x + y * self.width)
        return tuple(self.rgb[i:i + 3])

    def pixels(self, box=None):
        x0, y0, x1, y1 = box or (0, 0, self.width, self.height)
        for y in range(y0, y1):
            row = self.rgb[3 * (x0 + y * self.width):3 * (x1 + y * self.width)]
            for i in range(0, len(row), 3):
                yield row[i], row[i + 1], row[i + 2]

    def region(self, box):
        x0, y0, x1, y1 = box
        return b"".join(self.rgb[3 * (x0 + y * self.width):3 * (x1 + y * self.width)]
                        for y in range(y0, y1))

    def differing(self, other, box):
        """Number of pixels in box whose colour differs between the two pictures."""
        x0, y0, x1, y1 = box
        count = 0
        for y in range(y0, y1):
            a = self.rgb[3 * (x0 + y * self.width):3 * (x1 + y * self.width)]
            b = other.rgb[3 * (x0 + y * other.width):3 * (x1 + y * other.width)]
            if a != b:
                count += sum(1 for i in range(0, len(a), 3) if a[i:i + 3] != b[i:i + 3])
        return count

    def distinct_colours(self, box=None, limit=None):
        seen = set()
        for p in self.pixels(box):
            seen.add(p)
            if limit and len(seen) >= limit:
                break
        return len(seen)

    def save_png(self, path):
        raw = b"".join(b"\x00" + self.rgb[3 * y * self.width:3 * (y + 1) * self.width]
                       for y in range(self.height))

        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

        png = (b"\x89PNG\r\n\x1a\n"
               + chunk(b"IHDR", struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0))
               + chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b""))
        with open(path, "wb") as f:
            f.write(png)


def _mask_shift(mask):
    shift = 0
    while mask and not (mask >> shift) & 1:
        shift += 1
    return shift


def parse_xwd(data):
    """Decodes an XWD dump of a 24- or 32-bit ZPixmap TrueColor window."""
    check(len(data) >= 100, "xwd dump too short")
    header = struct.unpack(">25I", data[:100])
    (header_size, version, pixmap_format, _depth, width, height, _xoffset, byte_order,
     _unit, _bit_order, _pad, bits_per_pixel, bytes_per_line, _visual_class,
     red_mask, green_mask, blue_mask, _bits_per_rgb, _entries, ncolors) = header[:20]
    check(version == 7 and pixmap_format == 2, "not an XWD v7 ZPixmap")
    check(bits_per_pixel in (24, 32), "unsupported %d bits per pixel" % bits_per_pixel)
    offset = header_size + 12 * ncolors
    step = bits_per_pixel // 8
    endian = "little" if byte_order == 0 else "big"
    shifts = [_mask_shift(m) for m in (red_mask, green_mask, blue_mask)]
    check(len(data) >= offset + bytes_per_line * height, "xwd dump truncated")
    if (bits_per_pixel == 32 and byte_order == 0 and red_mask == 0xFF0000
            and green_mask == 0xFF00 and blue_mask == 0xFF):
        # The usual case: B, G, R, X bytes; slicing is far faster than a pixel loop.
        out = bytearray(3 * width * height)
        for y in range(height):
            row = data[offset + y * bytes_per_line:offset + y * bytes_per_line + 4 * width]
            line = bytearray(3 * width)
            line[0::3] = row[2::4]
            line[1::3] = row[1::4]
            line[2::3] = row[0::4]
            out[3 * width * y:3 * width * (y + 1)] = line
        return Picture(width, height, bytes(out))
    out = bytearray(3 * width * height)
    cache = {}
    o = 0
    for y in range(height):
        row = offset + y * bytes_per_line
        for x in range(width):
            raw = data[row + x * step:row + (x + 1) * step]
            rgb = cache.get(raw)
            if rgb is None:
                value = int.from_bytes(raw, endian)
                rgb = bytes(((value & m) >> s) for m, s in
                            zip((red_mask, green_mask, blue_mask), shifts))
                cache[raw] = rgb
            out[o:o + 3] = rgb
            o += 3
    return Picture(width, height, bytes(out))


def clear_colour_pixel():
    """The clear colour as the 8-bit framebuffer may hold it (0.7 may round either way)."""
    return {(r, g, b) for r in (178, 179) for g in (204,) for b in (255,)}


def save(args, picture, name):
    if args.save:
        os.makedirs(args.save, exist_ok=True)
        picture.save_png(os.path.join(args.save, name + ".png"))


# --- regions of the 640 x 480 window ----------------------------------------------

# The frame-rate text sits in the lower-left corner.
FPS_BOX = (0, 430, 240, 480)
# Everything else, as two boxes.
SCENE_BOXES = [(0, 0, 640, 430), (240, 430, 640, 480)]
# Well inside the water in the start-up view: no sky, no text.
INNER_WATER = (160, 200, 480, 400)
# The top rows, where the start-up view shows the sky beyond the water's far edge.
TOP_BAND = (0, 0, 640, 8)


def scene_difference(a, b):
    return sum(a.differing(b, box) for box in SCENE_BOXES)


def scene_differs(a, b):
    """Whether any pixel outside the frame-rate text differs (stops at the first)."""
    for x0, y0, x1, y1 in SCENE_BOXES:
        for y in range(y0, y1):
            if (a.rgb[3 * (x0 + y * a.width):3 * (x1 + y * a.width)]
                    != b.rgb[3 * (x0 + y * b.width):3 * (x1 + y * b.width)]):
                return True
    return False
