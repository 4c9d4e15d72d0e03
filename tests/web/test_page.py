"""The page in a real Chromium (headless, WebGL 2 on SwiftShader): it loads
cleanly, the desktop's keys and pointer work on it, touch works, and bad
addresses get a message. RIPPLEMOOR_WEB_SITE names the built site (default
build-web/site)."""
import os
import pathlib
import shutil
import tempfile

import pytest
from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.keys import Keys

from browser import browser, chromium_options, console_errors, frames, served, state, wait_for_page

ROOT = pathlib.Path(__file__).resolve().parents[2]
SITE = pathlib.Path(os.environ.get("RIPPLEMOOR_WEB_SITE", ROOT / "build-web" / "site"))

pytestmark = pytest.mark.skipif(not (SITE / "index.html").exists(),
                                reason=f"no built page in {SITE} (bash tools/web.sh --no-serve)")


@pytest.fixture(scope="module")
def site_url():
    with served(SITE) as url:
        yield url


@pytest.fixture(scope="module")
def driver():
    with browser(640, 480) as d:
        yield d


def open_page(driver, url, query=""):
    driver.get(url + query)
    message = wait_for_page(driver)
    assert message is None, message
    frames(driver, 3)


def canvas(driver):
    return driver.find_element("id", "water")


def touch(driver, kind, x, y, pointer_id=7):
    driver.execute_script("""
        const [kind, x, y, id] = arguments;
        const c = document.getElementById('water');
        c.dispatchEvent(new PointerEvent(kind, {pointerId: id, pointerType: 'touch', isPrimary: true,
            clientX: x, clientY: y, bubbles: true, cancelable: true,
            buttons: kind === 'pointerup' ? 0 : 1}));""", kind, x, y, pointer_id)


def test_page_loads_runs_and_logs_no_error(driver, site_url):
    driver.get_log("browser")  # drop what an earlier page left
    open_page(driver, site_url + "?seed=7")
    before = state(driver)
    frames(driver, 10)
    after = state(driver)
    assert (before["width"], before["height"]) == (160, 160)
    assert after["revision"] > before["revision"], "the water does not step once per frame"
    assert not after["paused"]
    fps = driver.find_element("id", "fps").text
    assert fps.startswith("FPS: ") and int(fps[5:]) > 0
    assert console_errors(driver) == []


def test_canvas_follows_the_window(driver, site_url):
    open_page(driver, site_url + "?seed=7")
    size = lambda: driver.execute_script(  # noqa: E731
        "const c = document.getElementById('water'); return [c.width, c.height, innerWidth, innerHeight];")
    w, h, iw, ih = size()
    assert (w, h) == (iw, ih) == (640, 480)
    try:
        driver.set_window_size(900, 700)
        frames(driver, 3)
        w, h, iw, ih = size()
        assert (w, h) == (iw, ih) and (w, h) != (640, 480)
    finally:
        driver.set_window_size(640, 480)


def test_keys_change_mode_tones_pause_and_shading(driver, site_url):
    open_page(driver, site_url + "?seed=7")
    c = canvas(driver)
    ActionChains(driver).move_to_element(c).click().perform()
    ActionChains(driver).send_keys("3").perform()
    frames(driver, 2)
    s = state(driver)
    assert s["colorMode"] == 3
    # The toolbar follows the key.
    assert driver.find_element("id", "mode").get_attribute("value") == "3"
    # Upper case does nothing, as on the desktop.
    ActionChains(driver).send_keys("P").perform()
    assert not state(driver)["paused"]
    ActionChains(driver).send_keys("p", "f").perform()
    s = state(driver)
    assert s["paused"] and s["flat"]
    revision = s["revision"]
    frames(driver, 5)
    assert state(driver)["revision"] == revision, "a paused page still steps"
    ActionChains(driver).send_keys("s", "p").perform()
    s = state(driver)
    assert not s["paused"] and not s["flat"]


def test_drag_turns_and_right_drag_zooms(driver, site_url):
    open_page(driver, site_url + "?seed=7")
    c = canvas(driver)
    start = state(driver)
    chain = ActionChains(driver).move_to_element_with_offset(c, 0, 0).click_and_hold()
    for _ in range(6):
        chain.move_by_offset(10, -6)
    chain.release().perform()
    turned = state(driver)
    # Steps of (10, -6) pixels: 0.014 rad a pixel on both angles, upwards
    # raising phi; the first step after the press is measured from where the
    # last drag ended and dropped.
    assert turned["theta"] > start["theta"] + 0.5
    assert turned["phi"] > start["phi"] + 0.3
    assert turned["radius"] == start["radius"]

    chain = ActionChains(driver).move_to_element_with_offset(c, 0, 0)
    chain.w3c_actions.pointer_action.pointer_down(button=2)
    for _ in range(5):
        chain.w3c_actions.pointer_action.move_by(0, 8)
    chain.w3c_actions.pointer_action.pointer_up(button=2)
    chain.perform()
    zoomed = state(driver)
    assert zoomed["radius"] > turned["radius"]
    assert (zoomed["theta"], zoomed["phi"]) == (turned["theta"], turned["phi"])


def test_touch_tap_drops_and_finger_orbits(driver, site_url):
    open_page(driver, site_url + "?seed=7&paused=1")
    before = state(driver)
    assert before["paused"]
    touch(driver, "pointerdown", 320, 240)
    touch(driver, "pointerup", 320, 240)
    frames(driver, 2)
    dropped = state(driver)
    assert dropped["water"] > before["water"], "a tap did not drop water"
    assert dropped["revision"] == before["revision"] + 1

    # One finger dragged orbits and drops nothing.
    touch(driver, "pointerdown", 100, 100, pointer_id=8)
    for k in range(1, 8):
        touch(driver, "pointermove", 100 + 10 * k, 100, pointer_id=8)
    touch(driver, "pointerup", 170, 100, pointer_id=8)
    orbited = state(driver)
    assert orbited["theta"] > dropped["theta"] + 0.5
    assert orbited["water"] == dropped["water"]


def test_pinch_zooms(driver, site_url):
    open_page(driver, site_url + "?seed=7&paused=1")
    before = state(driver)
    touch(driver, "pointerdown", 300, 240, pointer_id=11)
    touch(driver, "pointerdown", 340, 240, pointer_id=12)
    for k in range(1, 6):
        touch(driver, "pointermove", 340 + 20 * k, 240, pointer_id=12)
    touch(driver, "pointerup", 440, 240, pointer_id=12)
    touch(driver, "pointerup", 300, 240, pointer_id=11)
    after = state(driver)
    # Fingers apart bring the eye nearer; nothing drops.
    assert after["radius"] < before["radius"]
    assert after["water"] == before["water"]


def test_toolbar_acts_like_the_keys(driver, site_url):
    open_page(driver, site_url + "?seed=7")
    driver.find_element("id", "pause").click()
    assert state(driver)["paused"]
    driver.find_element("id", "drop").click()
    driver.find_element("id", "tones").click()
    s = state(driver)
    assert s["water"] > 160 * 160 * 1.0
    driver.find_element("id", "rest").click()
    assert state(driver)["water"] == 160 * 160


def test_pen_paints_walls(driver, site_url):
    open_page(driver, site_url + "?seed=7&paused=1")
    driver.find_element("id", "pen").click()
    c = canvas(driver)
    chain = ActionChains(driver).move_to_element(c).click_and_hold()
    for _ in range(4):
        chain.move_by_offset(6, 0)
    chain.release().perform()
    frames(driver, 2)
    assert state(driver)["walls"] > 0
    assert console_errors(driver) == []


def test_basin_size_and_seed_from_the_address(driver, site_url):
    open_page(driver, site_url + "?basin=320x200&seed=7&paused=1")
    s = state(driver)
    assert (s["width"], s["height"]) == (320, 200)
    assert s["solver"] == "portable"
    # The same seed gives the same random drops.
    driver.find_element("id", "drop").click()
    first = state(driver)["water"]
    open_page(driver, site_url + "?basin=320x200&seed=7&paused=1")
    driver.find_element("id", "drop").click()
    assert state(driver)["water"] == first
    # From 512 x 512 cells the page steps on Highway's EMU128 lanes, the faster there.
    open_page(driver, site_url + "?basin=512x512&paused=1")
    s = state(driver)
    assert (s["width"], s["height"], s["solver"]) == (512, 512, "EMU128")


def test_scene_from_the_address_and_presets_on_f_keys(driver, site_url):
    open_page(driver, site_url + "?scene=two-slits&seed=7")
    s = state(driver)
    # The preset's wall across the basin with its two slits, and its mode.
    assert (s["width"], s["height"], s["colorMode"]) == (160, 160, 1)
    assert 250 < s["walls"] < 320
    assert driver.find_element("id", "scene").get_attribute("value") == "two-slits"
    ActionChains(driver).move_to_element(canvas(driver)).click().send_keys(Keys.F3).perform()
    frames(driver, 2)
    harbour = state(driver)
    assert harbour["walls"] != s["walls"] and harbour["walls"] > 0
    assert console_errors(driver) == []


@pytest.mark.parametrize("query, words", [
    ("?basin=12", "WIDTHxHEIGHT"),
    ("?basin=2x100", "3 to"),
    ("?basin=5000x10", "3 to"),
    ("?seed=-4", "whole number"),
    ("?colour=3", "unknown parameter"),
    ("?scene=atlantis", "no such scene"),
])
def test_bad_address_shows_a_message(driver, site_url, query, words):
    driver.get(site_url + query)
    message = wait_for_page(driver)
    assert message is not None and words in message
    assert not driver.execute_script("return !!window.ripplemoor;")


def test_browser_without_webgl2_gets_a_message(site_url):
    profile = tempfile.mkdtemp(prefix="ripplemoor-chromium-")
    options = chromium_options(640, 480, profile)
    options.add_argument("--disable-3d-apis")
    d = webdriver.Chrome(service=Service(shutil.which("chromedriver")), options=options)
    try:
        d.get(site_url)
        message = wait_for_page(d)
        assert message is not None and "WebGL 2" in message
    finally:
        d.quit()
        shutil.rmtree(profile, ignore_errors=True)
