"""The window as a wave laboratory, as a user meets it: walls painted with
Shift+drag at a turned camera and saved with Ctrl+S, rubbed out with Ctrl+drag,
cleared with 'w'; a wide basin seen whole; a preset's walls on the screen; bad
options and bad scenes refused before any window."""

import math
import os
import re
import subprocess

import pytest
from PIL import Image

from ripplemoor_dev.x11 import wait_until

try:
    import tomllib
except ImportError:  # Python before 3.11
    tomllib = None

TRY = "Try 'ripplemoor --help'.\n"
WIDTH, HEIGHT = 640, 480
LEVEL = 100.0
HALF_FOV = math.radians(22.5)


# --- the camera, written again here from its description --------------------

def framing(width, height, whole):
    """The camera start-up gives a basin: the default basin's close view, or the whole basin."""
    if width == height == 160 and not whole:
        return {"target": (80.0, LEVEL, 80.0), "radius": 40.0, "phi": math.pi / 3, "theta": math.pi / 3}
    radius = min(10000.0, 1.05 * 0.5 * math.hypot(width, height) / math.sin(HALF_FOV))
    return {"target": ((width - 1) / 2, LEVEL, (height - 1) / 2), "radius": radius,
            "phi": math.pi / 3, "theta": math.pi / 3}


def basis(cam):
    r, phi, theta = cam["radius"], cam["phi"], cam["theta"]
    offset = (r * math.cos(theta) * math.sin(phi), r * math.cos(phi), r * math.sin(theta) * math.sin(phi))
    eye = tuple(t + o for t, o in zip(cam["target"], offset))
    length = math.sqrt(sum(o * o for o in offset))
    forward = tuple(-o / length for o in offset)
    side = (-forward[2], 0.0, forward[0])
    sl = math.hypot(side[0], side[2])
    side = (side[0] / sl, 0.0, side[2] / sl)
    up = (side[1] * forward[2] - side[2] * forward[1], side[2] * forward[0] - side[0] * forward[2],
          side[0] * forward[1] - side[1] * forward[0])
    return eye, forward, side, up


def project(cam, x, z):
    """The window pixel (origin top-left) where cell (x, z) at rest is drawn."""
    eye, forward, side, up = basis(cam)
    rel = (x - eye[0], LEVEL - eye[1], z - eye[2])
    dot = lambda a, b: sum(p * q for p, q in zip(a, b))
    depth = dot(rel, forward)
    nx = dot(rel, side) / (depth * math.tan(HALF_FOV) * WIDTH / HEIGHT)
    ny = dot(rel, up) / (depth * math.tan(HALF_FOV))
    return int((nx + 1) / 2 * WIDTH), int((1 - ny) / 2 * HEIGHT)


def pick(cam, px, py):
    """The cell under window pixel (px, py): the ray onto the water at rest."""
    eye, forward, side, up = basis(cam)
    ex = (2 * (px + 0.5) / WIDTH - 1) * math.tan(HALF_FOV) * WIDTH / HEIGHT
    ey = (1 - 2 * (py + 0.5) / HEIGHT) * math.tan(HALF_FOV)
    ray = [f + s * ex + u * ey for f, s, u in zip(forward, side, up)]
    t = (LEVEL - eye[1]) / ray[1]
    return round(eye[0] + t * ray[0]), round(eye[2] + t * ray[2])


# --- helpers -------------------------------------------------------------------

def stone(pixel):
    """The walls' colour, lit or shaded: red over green over blue; the water is
    blue and the sky grey."""
    r, g, b = pixel[:3]
    return r - b >= 8 and r >= g >= b and r > 40


def shifted_drag(app, modifier, start, end, step=6):
    x, y = start
    args = ["xdotool", "mousemove", "--window", app.window, str(x), str(y), "keydown", modifier,
            "mousedown", "1"]
    while (x, y) != tuple(end):
        x += max(-step, min(step, end[0] - x))
        y += max(-step, min(step, end[1] - y))
        args += ["sleep", "0.02", "mousemove", "--window", app.window, str(x), str(y)]
    args += ["sleep", "0.05", "mouseup", "1", "keyup", modifier]
    app.xtool(*args)


def save_scene(app, saved):
    """Ctrl+S; returns the scene file's path and the walls of its mask."""
    app.key("ctrl+s")
    app.wait_for_stdout(".toml\n")
    names = re.findall(r"^(ripplemoor-\d{8}-\d{6}(?:-\d+)?\.toml)$", app.stdout(), re.M)
    assert len(names) == saved + 1, "one path printed per save: %r" % app.stdout()
    path = os.path.join(app.dir, names[-1])
    with open(path, "rb") as f:
        text = f.read().decode()
    mask = Image.open(path[:-len(".toml")] + ".png").convert("L")
    walls = {(x, y) for y in range(mask.height) for x in range(mask.width) if mask.getpixel((x, y)) < 128}
    return text, walls


def camera_of(text):
    """The camera line of a saved scene."""
    values = dict(re.findall(r"(radius|phi|theta) = ([-0-9.e+]+)", text))
    assert set(values) == {"radius", "phi", "theta"}, text
    cam = framing(160, 160, False)
    cam.update({k: float(v) for k, v in values.items()})
    return cam


# --- the tests -------------------------------------------------------------------

def test_paint_save_rub_out_and_clear(app, save):
    # Turn the camera first: painting must follow it.
    app.drag((300, 300), (356, 318), button=1)
    path_y, path_x0, path_x1 = 330, 190, 450
    shifted_drag(app, "shift", (path_x0, path_y), (path_x1, path_y))
    stones = lambda picture: sum(stone(p) for p in picture.pixels())
    # A slow frame may still be on its way.
    wait_until(lambda: stones(app.screenshot()) > 300, 10, 0.1, "the painted wall to show")
    save(app.screenshot(), "painted")

    text, walls = save_scene(app, 0)
    cam = camera_of(text)
    assert cam["theta"] != math.pi / 3, "the orbit was not in the saved camera"
    path = {pick(cam, x, path_y) for x in range(path_x0, path_x1 + 1)}
    path = {c for c in path if 0 <= c[0] < 160 and 0 <= c[1] < 160}
    assert len(path) > 10
    assert path <= walls, "cells under the drag left as water: %r" % sorted(path - walls)[:10]
    far = [w for w in walls if min(max(abs(w[0] - c[0]), abs(w[1] - c[1])) for c in path) > 5]
    assert not far, "walls far from the drag: %r" % far[:10]

    # 'r' rests the water and keeps the walls.
    app.key("r")
    _, kept = save_scene(app, 1)
    assert kept == walls

    # Ctrl+drag over the left part rubs it out; the right part stays.
    middle = (path_x0 + path_x1) // 2
    shifted_drag(app, "ctrl", (path_x0 - 20, path_y), (middle, path_y))
    app.settle(0.2)
    _, rubbed = save_scene(app, 2)
    left = {pick(cam, x, path_y) for x in range(path_x0, middle - 30)}
    # The pen reaches two cells past the rubbing's end: a few cells' margin.
    right = {pick(cam, x, path_y) for x in range(middle + 70, path_x1)} & path
    assert right
    assert not (left & rubbed), "Ctrl+drag left walls behind"
    assert right <= rubbed, "Ctrl+drag rubbed out more than it passed over"

    app.key("w")
    _, cleared = save_scene(app, 3)
    assert cleared == set(), "'w' must clear every wall"
    wait_until(lambda: stones(app.screenshot()) == 0, 10, 0.1, "the walls to go from the screen")


def test_a_wide_basin_is_seen_whole(launch, save):
    app = launch(args=["--basin=400x120"]).start()
    colour = app.still_screenshot()
    app.key("b")
    grey = app.still_screenshot(changed_from=colour)
    save(colour, "wide-basin")
    # Only the water changes with 'b': its pixels, and where they lie.
    xs, ys = [], []
    for y in range(0, HEIGHT, 2):
        for x in range(0, WIDTH, 2):
            if colour.pixel(x, y) != grey.pixel(x, y):
                xs.append(x)
                ys.append(y)
    assert len(xs) > 2000, "too little water in view"
    assert min(xs) > 4 and max(xs) < WIDTH - 5 and min(ys) > 4 and max(ys) < HEIGHT - 5, \
        "the basin runs off the window: x %d..%d, y %d..%d" % (min(xs), max(xs), min(ys), max(ys))
    assert max(xs) - min(xs) > WIDTH / 3, "the basin is lost in the middle of the window"
    cam = framing(400, 120, True)
    for corner in [(0, 0), (399, 0), (0, 119), (399, 119)]:
        px, py = project(cam, *corner)
        assert min(xs) - 6 <= px <= max(xs) + 6 and min(ys) - 6 <= py <= max(ys) + 6, corner


def test_the_two_slit_preset_shows_its_wall(launch, save):
    app = launch(args=["two-slits", "--seed=4"]).start()
    shot = app.still_screenshot()
    save(shot, "two-slits")
    cam = framing(160, 160, True)
    near = lambda px, py: any(stone(shot.pixel(min(max(px + dx, 0), WIDTH - 1), min(max(py + dy, 0), HEIGHT - 1)))
                              for dx in range(-3, 4) for dy in range(-12, 3))
    # The wall at columns 60 and 61 with gaps at rows 64..67 and 92..95.
    for row in (10, 40, 80, 120, 150):
        assert near(*project(cam, 60.5, row)), "no wall where the scene puts it (row %d)" % row
    stones = sum(stone(p) for p in shot.pixels())
    assert stones > 200
    # Nothing of it far from column 60.
    for y in range(0, HEIGHT, 3):
        for x in range(0, WIDTH, 3):
            if stone(shot.pixel(x, y)):
                cx, cy = pick(cam, x, y + 6)
                # The slab's sides reach below the water: a few cells' slack,
                # and past the near edge nothing is under them.
                if 0 <= cy < 160:
                    assert 48 <= cx <= 74, "stone at pixel %d,%d (cell %d,%d)" % (x, y, cx, cy)


def run_without_display(binary, args, cwd="/"):
    env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
    return subprocess.run([os.path.abspath(binary)] + args, env=env, stdin=subprocess.DEVNULL,
                          capture_output=True, cwd=cwd, timeout=30)


@pytest.mark.parametrize("args, message", [
    (["--basin=2x80"], "invalid basin size '2x80': width must be at least 3, got 2"),
    (["--basin=80"], "invalid basin size '80' (WxH, e.g. 320x200)"),
    (["--basin=100000x100000"], "invalid basin size '100000x100000': "),
    (["--threads=-1"], "invalid thread count '-1' (0 to 4096)"),
    (["--threads", "many"], "invalid thread count 'many' (0 to 4096)"),
    (["--seed=4294967296"], "invalid seed '4294967296' (0 to 4294967295)"),
    (["--seed"], "option '--seed' requires an argument"),
    (["--sky=/no/such/sky.tga"], "cannot read the sky '/no/such/sky.tga': No such file or directory"),
    (["-geometry", "0x0"], "invalid geometry '0x0' (WxH+X+Y, e.g. 1024x768)"),
    (["-geometry", "big"], "invalid geometry 'big' (WxH+X+Y, e.g. 1024x768)"),
    (["--basin=200x200", "two-slits"], "--basin cannot be given with a scene, which sets the size"),
])
def test_bad_options(binary, args, message):
    result = run_without_display(binary, args)
    err = result.stderr.decode()
    assert result.returncode == 2, err
    assert result.stdout == b"", "not even Init"
    assert err.startswith("ripplemoor: " + message) and err.endswith("\n" + TRY), err


def test_bad_scenes(binary, tmp_path):
    (tmp_path / "typo.toml").write_text("[basin]\nwidth = 80\nheigth = 60\n")
    (tmp_path / "nan.toml").write_text("[basin]\nwidth = 80\nheight = 60\ngravity = nan\n")
    (tmp_path / "huge.toml").write_text("[basin]\nwidth = 2000000\nheight = 2000000\n")
    (tmp_path / "cut.toml").write_text("[basin]\nwidth = 8")
    (tmp_path / "cut.toml").write_text("[basin\nwidth = 80\n")
    for name, line in [("typo.toml", 3), ("nan.toml", 4), ("huge.toml", None), ("cut.toml", 1)]:
        result = run_without_display(binary, [name], cwd=str(tmp_path))
        err = result.stderr.decode()
        assert (result.returncode, result.stdout) == (2, b""), (name, err)
        assert err.startswith("ripplemoor: " + name + ":"), err
        if line is not None:
            assert err.startswith("ripplemoor: %s:%d: " % (name, line)), err
        assert err.count("\n") == 1, err
    result = run_without_display(binary, ["no-such-preset"])
    assert result.returncode == 2 and b"two-slits" in result.stderr, result.stderr


def test_list_scenes(binary):
    result = run_without_display(binary, ["--list-scenes"])
    assert result.returncode == 0, result.stderr
    assert result.stdout.decode().split() == ["beach", "channel", "corner-reflector", "harbour",
                                             "harbour-with-wave-maker", "one-slit", "shelf", "two-slits"]


def environment_of(app):
    with open("/proc/%d/environ" % app.process.pid, "rb") as f:
        return dict(item.split(b"=", 1) for item in f.read().split(b"\0") if b"=" in item)


@pytest.mark.parametrize("chosen, running", [(None, b"PASSIVE"), ("active", b"active")])
def test_stepping_threads_wait_passively_unless_told(launch, chosen, running):
    """OpenMP threads spinning between steps starve a software GL driver: the
    program runs with a passive wait policy unless the user set one."""
    if chosen is None and "OMP_WAIT_POLICY" in os.environ:
        pytest.skip("the test's own environment chooses a wait policy")
    app = launch(extra_env={"OMP_WAIT_POLICY": chosen} if chosen else None)
    app.start()
    assert environment_of(app).get(b"OMP_WAIT_POLICY") == running
    assert app.running()
