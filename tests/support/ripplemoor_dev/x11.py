"""The real program on a private X display, driven as a user would drive it:
Xvfb for the display, xdotool for keys and the pointer, xwininfo and xprop to
read the window, Pillow for screenshots."""

import os
import shutil
import signal
import subprocess
import tempfile
import time

from ripplemoor_dev.pictures import grab, is_grey, scene_differs

TITLE = "Ripplemoor"
STARTED = "Starting simulation...\n"
# At the centre of the window, water in every view the tests make.
SYNC_BOX = (300, 220, 340, 260)


class TimedOut(AssertionError):
    pass


def wait_until(predicate, timeout, interval=0.05, what=None):
    """The first true value of predicate(); at the time-out, raises TimedOut
    naming `what` when given, else returns the last value."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            if what:
                raise TimedOut("waited %ss for %s" % (timeout, what))
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
            raise RuntimeError("Xvfb did not report a display")
        self.display = ":" + number.decode().strip()
        self.env = dict(os.environ, DISPLAY=self.display)

    def run(self, *args, timeout=20):
        """Runs an X client (xdotool, xprop, ...) on this display; its output."""
        result = subprocess.run(list(args), env=self.env, capture_output=True, timeout=timeout)
        if result.returncode != 0:
            raise RuntimeError("%s failed: %s" % (" ".join(args), result.stderr.decode().strip()))
        return result.stdout.decode()

    def close(self):
        stop(self.process)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
        return False


def stop(process, sig=signal.SIGTERM):
    if process.poll() is None:
        process.send_signal(sig)
        try:
            process.wait(5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


class Openbox:
    """Debian's openbox managing an Xvfb, with the given rc.xml."""

    def __init__(self, xvfb, config_text):
        self.dir = tempfile.mkdtemp(prefix="ripplemoor-openbox-")
        config = os.path.join(self.dir, "rc.xml")
        with open(config, "w") as f:
            f.write(config_text)
        self.log = open(os.path.join(self.dir, "openbox.log"), "wb")
        self.process = subprocess.Popen(["openbox", "--config-file", config], env=xvfb.env,
                                        stdin=subprocess.DEVNULL, stdout=self.log,
                                        stderr=subprocess.STDOUT)
        # A window manager announces itself on the root window once it runs.
        wait_until(lambda: "window id" in xvfb.run("xprop", "-root", "_NET_SUPPORTING_WM_CHECK")
                   or self.process.poll() is not None, 20, 0.1, "openbox to start")
        if self.process.poll() is not None:
            raise RuntimeError("openbox ended with %r: %s" % (self.process.poll(), self.output()))

    def output(self):
        with open(os.path.join(self.dir, "openbox.log"), "rb") as f:
            return f.read().decode(errors="replace")

    def close(self):
        stop(self.process)
        self.log.close()
        shutil.rmtree(self.dir, ignore_errors=True)


class Program:
    """The binary running in a temporary working directory on the given display,
    or on a display of its own."""

    box = None  # where the window lies on the screen, once known

    def __init__(self, binary, xvfb=None, skybox_bytes=None, skybox_source=None,
                 extra_env=None, args=()):
        self.owns_xvfb = xvfb is None
        self.xvfb = xvfb or Xvfb()
        self.dir = tempfile.mkdtemp(prefix="ripplemoor-e2e-")
        if skybox_source is not None:
            shutil.copyfile(skybox_source, os.path.join(self.dir, "skybox.tga"))
        elif skybox_bytes is not None:
            with open(os.path.join(self.dir, "skybox.tga"), "wb") as f:
                f.write(skybox_bytes)
        self.env = dict(self.xvfb.env, LIBGL_ALWAYS_SOFTWARE="1")
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
                                                cwd=self.dir, env=self.env,
                                                stdin=subprocess.DEVNULL, stdout=out, stderr=err)
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
        wait_until(lambda: text in self.stdout() or self.process.poll() is not None, timeout)
        assert text in self.stdout(), (
            "stdout never showed %r (status %r); stdout %r, stderr %r"
            % (text, self.process.poll(), self.stdout(), self.stderr()[-2000:]))

    def wait_exit(self, timeout=30):
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            raise TimedOut("the program did not end within %ss" % timeout)

    def running(self):
        return self.process.poll() is None

    # --- the window ----------------------------------------------------------

    def xtool(self, *args, timeout=20):
        return self.xvfb.run(*args, timeout=timeout)

    def find_window(self, timeout=30):
        try:
            out = self.xtool("xdotool", "search", "--sync", "--onlyvisible", "--name",
                             "^%s$" % TITLE, timeout=timeout)
        except subprocess.TimeoutExpired:
            raise TimedOut("no window titled %r appeared; stderr %r"
                           % (TITLE, self.stderr()[-2000:]))
        ids = out.split()
        assert len(ids) == 1, "expected one window titled %r, found %r" % (TITLE, ids)
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
        self.wait_for_stdout(STARTED)
        self.find_window()
        # Without a window manager GLUT's window sits at (-1, -1), one pixel off the
        # screen; move it fully on so that screenshots hold every pixel.
        self.xtool("xdotool", "windowmove", "--sync", self.window, "0", "0")
        placed = self.geometry()
        self.box = (0, 0, 640, 480)
        assert (placed["x"], placed["y"], placed["width"], placed["height"]) == (0, 0, 640, 480), \
            "window not at (0, 0) with 640 x 480 after the move: %r" % placed
        # Without a window manager the keyboard focus follows the pointer.
        self.xtool("xdotool", "mousemove", "--window", self.window, "5", "5")
        wait_until(lambda: self.screenshot().distinct_colours() >= 3, 10, 0.1,
                   "the first frames")
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
        """The window's pixels, read from the screen where it lies: nothing covers
        it on a display of its own."""
        if self.box is None:
            placed = self.geometry()
            self.box = (placed["x"], placed["y"], placed["x"] + placed["width"],
                        placed["y"] + placed["height"])
        return grab(self.xvfb.display, self.box)

    def still_screenshot(self, changed_from=None, timeout=8):
        """A screenshot of a picture that has stopped changing (water paused or at
        rest), taken once it differs from `changed_from` when that is given.
        Raises when the picture does not come to that within the time-out."""
        deadline = time.monotonic() + timeout
        previous = self.screenshot()
        while True:
            time.sleep(0.08)
            current = self.screenshot()
            still = not scene_differs(previous, current)
            changed = changed_from is None or scene_differs(changed_from, current)
            if still and changed:
                return current
            if time.monotonic() > deadline:
                raise TimedOut("the picture did not %s within %ss"
                               % ("settle" if changed else "change", timeout))
            previous = current

    def synced_screenshot(self, box=SYNC_BOX):
        """A still screenshot drawn after the program handled every event sent so
        far: 'b' turns the water grey and 'c' brings its colours back, and each is
        waited for, so whatever came before them has been handled too. The box
        must hold only water, some of it in colour."""
        def grey(picture):
            return all(is_grey(p) for p in picture.pixels(box))

        self.key("b")
        wait_until(lambda: grey(self.screenshot()), 10, 0.05, "'b' to turn the water grey")
        self.key("c")
        wait_until(lambda: not grey(self.screenshot()), 10, 0.05,
                   "'c' to bring the colours back")
        return self.still_screenshot()

    def settle(self, seconds=0.2):
        """Lets a few idle/display cycles run."""
        time.sleep(seconds)

    def close(self):
        stop(self.process)
        if self.owns_xvfb:
            self.xvfb.close()
        shutil.rmtree(self.dir, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
        return False
