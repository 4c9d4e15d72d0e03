"""The page draws what the desktop draws: the native program under Xvfb and
the page in headless Chromium, both 640 x 480, seeded alike, paused, with the
same drops, keys and strokes, give pictures where at most 0.1 % of the pixels
differ by more than 4 levels in a channel (the frame-rate text left out).

RIPPLEMOOR_NATIVE_BUILD names the native build holding ripplemoor and
skybox.tga (default build-test, else build)."""
import io
import os
import pathlib
import sys

import pytest
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.keys import Keys

from browser import browser, frames, served, state, wait_for_page

ROOT = pathlib.Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tests" / "support"))
SITE = pathlib.Path(os.environ.get("RIPPLEMOOR_WEB_SITE", ROOT / "build-web" / "site"))
WIDTH, HEIGHT = 640, 480
FPS_BOX = (0, 440, 200, 480)  # left, top, right, bottom: the frame-rate text
SEED = 7


def native_build():
    named = os.environ.get("RIPPLEMOOR_NATIVE_BUILD")
    candidates = [pathlib.Path(named)] if named else [ROOT / "build-test", ROOT / "build"]
    for build in candidates:
        if (build / "ripplemoor").exists() and (build / "skybox.tga").exists():
            return build
    return None


pytestmark = [
    pytest.mark.skipif(not (SITE / "index.html").exists(), reason=f"no built page in {SITE}"),
    pytest.mark.skipif(native_build() is None, reason="no native ripplemoor to compare with"),
]


def differing(a, b):
    """Pixels outside the frame-rate text that differ by more than 4 levels."""
    import numpy
    x = numpy.asarray(a.convert("RGB"), dtype=int)
    y = numpy.asarray(b.convert("RGB"), dtype=int)
    assert x.shape == y.shape == (HEIGHT, WIDTH, 3)
    over = numpy.abs(x - y).max(axis=2) > 4
    left, top, right, bottom = FPS_BOX
    over[top:bottom, left:right] = False
    return int(over.sum())


class Native:
    def __init__(self, app):
        self.app = app

    def keys(self, keys):
        self.app.key(*keys)

    def drop(self, x, y):
        self.app.click(x, y, button=2)

    def wall_stroke(self, start, end):
        self.app.xtool("xdotool", "keydown", "shift")
        self.app.drag(start, end, button=1, step=6)
        self.app.xtool("xdotool", "keyup", "shift")

    def picture(self):
        return self.app.still_screenshot().image


class Web:
    def __init__(self, driver):
        self.driver = driver

    def keys(self, keys):
        for key in keys:
            self.driver.execute_script("window.ripplemoor.key(arguments[0]);", key)
        frames(self.driver, 3)

    def drop(self, x, y):
        c = self.driver.find_element("id", "water")
        chain = ActionChains(self.driver).move_to_element_with_offset(c, x - WIDTH // 2, y - HEIGHT // 2)
        chain.w3c_actions.pointer_action.pointer_down(button=1)
        chain.w3c_actions.pointer_action.pointer_up(button=1)
        chain.perform()
        frames(self.driver, 2)

    def wall_stroke(self, start, end):
        c = self.driver.find_element("id", "water")
        chain = ActionChains(self.driver).key_down(Keys.SHIFT)
        chain.move_to_element_with_offset(c, start[0] - WIDTH // 2, start[1] - HEIGHT // 2).click_and_hold()
        x, y = start
        while (x, y) != tuple(end):
            dx = max(-6, min(6, end[0] - x))
            dy = max(-6, min(6, end[1] - y))
            chain.move_by_offset(dx, dy)
            x, y = x + dx, y + dy
        chain.release().key_up(Keys.SHIFT).perform()
        frames(self.driver, 3)

    def picture(self):
        from PIL import Image
        return Image.open(io.BytesIO(self.driver.get_screenshot_as_png()))


# Drops under the pointer where the camera sees them (their radius and height
# from the seeded generator), then keys pressed in turn on both, each row's
# picture compared: every colour mode (1 to 6 paused at rest, with the
# ranges a step at rest leaves), flat and smooth shading, grey tones.
DROPS = [(320, 300), (200, 250), (470, 380), (330, 420)]
STEPS = [
    ("drops, mode 0, smooth", "d"),
    ("flat", "f"),
    ("grey, flat", "b"),
    ("grey, smooth", "s"),
    ("mode 1", "c1"),
    ("mode 2", "2"),
    ("mode 3", "3"),
    ("mode 4", "4"),
    ("mode 5", "5"),
    ("mode 6", "6"),
    ("mode 0 again", "0"),
]


def test_page_draws_the_desktop_picture(tmp_path):
    from ripplemoor_dev import x11
    build = native_build()
    results = []
    with x11.Program(str(build / "ripplemoor"), skybox_source=str(build / "skybox.tga"),
                     args=[f"--seed={SEED}"]) as app, \
            served(SITE) as url, browser(WIDTH, HEIGHT) as driver:
        app.start()
        app.key("p")
        driver.get(f"{url}?seed={SEED}")
        assert wait_for_page(driver) is None
        driver.execute_script("document.getElementById('toolbar').hidden = true;")
        native, web = Native(app), Web(driver)
        # Both paused after steps at rest, whose ranges modes 1 to 6 show.
        frames(driver, 3)
        web.keys("p")
        assert state(driver)["paused"]
        for x, y in DROPS:
            native.drop(x, y)
            web.drop(x, y)
        for name, keys in STEPS + [("walls", None)]:
            for side in (native, web):
                if keys is None:
                    side.wall_stroke((200, 300), (440, 300))
                else:
                    side.keys(keys)
            a, b = native.picture(), web.picture()
            count = differing(a, b)
            results.append((name, count))
            keep = os.environ.get("RIPPLEMOOR_PICTURES")  # a folder to keep every pair in
            if count > WIDTH * HEIGHT // 1000 or keep:
                folder = pathlib.Path(keep) if keep else tmp_path
                folder.mkdir(parents=True, exist_ok=True)
                a.save(folder / f"{name}-native.png")
                b.save(folder / f"{name}-web.png")
        assert state(driver)["walls"] > 0
    print("pixels differing by more than 4 levels:", results)
    bad = [(name, count) for name, count in results if count > WIDTH * HEIGHT // 1000]
    assert not bad, f"pictures differ (saved in {tmp_path}): {bad}"
