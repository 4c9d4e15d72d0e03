"""The page in headless Chromium on SwiftShader, driven through Debian's
chromium-driver and python3-selenium, served by a local static server.

    with served(site) as url, browser(640, 480) as driver: ...
"""
import contextlib
import functools
import http.server
import shutil
import tempfile
import threading

from selenium import webdriver
from selenium.webdriver.chrome.service import Service


class _QuietHandler(http.server.SimpleHTTPRequestHandler):
    # The MIME type a browser insists on for streaming compilation.
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      ".wasm": "application/wasm", ".js": "text/javascript"}

    def log_message(self, *args):
        pass


@contextlib.contextmanager
def served(folder):
    """The folder on http://127.0.0.1:PORT/ (a free port) for the block's length."""
    handler = functools.partial(_QuietHandler, directory=str(folder))
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    thread = threading.Thread(target=server.serve_forever, daemon=True)
    thread.start()
    try:
        yield f"http://127.0.0.1:{server.server_address[1]}/"
    finally:
        server.shutdown()
        server.server_close()


def chromium_options(width, height, profile):
    options = webdriver.ChromeOptions()
    options.binary_location = shutil.which("chromium") or "/usr/bin/chromium"
    for flag in ("--headless=new", "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
                 "--no-sandbox", "--no-first-run", "--disable-background-networking",
                 "--disable-component-update", "--disable-sync", "--disable-dev-shm-usage",
                 "--hide-scrollbars", "--force-device-scale-factor=1",
                 f"--window-size={width},{height}", f"--user-data-dir={profile}"):
        options.add_argument(flag)
    # Console messages of every level, for the check that the page logs no error.
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    return options


@contextlib.contextmanager
def browser(width=640, height=480):
    """Headless Chromium whose page area is width x height CSS pixels."""
    profile = tempfile.mkdtemp(prefix="ripplemoor-chromium-")
    driver = None
    try:
        service = Service(shutil.which("chromedriver") or "/usr/bin/chromedriver")
        driver = webdriver.Chrome(service=service, options=chromium_options(width, height, profile))
        # --window-size sets the window; the page area is what the canvas fills.
        inner = driver.execute_script("return [window.innerWidth, window.innerHeight];")
        driver.set_window_size(2 * width - inner[0], 2 * height - inner[1])
        yield driver
    finally:
        if driver is not None:
            driver.quit()
        shutil.rmtree(profile, ignore_errors=True)


def wait_for_page(driver, timeout=60):
    """Until the program runs (window.ripplemoor) or the page shows a message;
    the message's text, or None."""
    from selenium.webdriver.support.ui import WebDriverWait
    WebDriverWait(driver, timeout).until(lambda d: d.execute_script(
        "return !!window.ripplemoor || !document.getElementById('message').hidden;"))
    return driver.execute_script(
        "const m = document.getElementById('message'); return m.hidden ? null : m.textContent;")


def state(driver):
    return driver.execute_script("return window.ripplemoor.state();")


def frames(driver, count):
    """Waits for count more animation frames."""
    driver.execute_async_script("""
        const done = arguments[arguments.length - 1];
        let left = arguments[0];
        const tick = () => (--left <= 0 ? done() : requestAnimationFrame(tick));
        requestAnimationFrame(tick);""", count)


def console_errors(driver):
    return [entry for entry in driver.get_log("browser") if entry["level"] == "SEVERE"]
