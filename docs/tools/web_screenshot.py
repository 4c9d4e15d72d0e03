#!/usr/bin/env python3
"""Makes the README's picture of the page: the page in headless Chromium, the
eye lowered towards the horizon, drops spreading under the pointer.

    /usr/bin/python3 docs/tools/web_screenshot.py [--site build-web/site] [--out docs/web.png]
"""
import argparse
import io
import pathlib
import sys
import time

ROOT = pathlib.Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tests" / "web"))
from browser import browser, frames, served, wait_for_page  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--site", default=ROOT / "build-web" / "site")
    parser.add_argument("--out", default=ROOT / "docs" / "web.png")
    args = parser.parse_args()
    with served(args.site) as url, browser(800, 500) as driver:
        driver.get(f"{url}?seed=7")
        assert wait_for_page(driver) is None
        page = "window.ripplemoor.module"
        # The eye a little lower, as a drag upwards would.
        driver.execute_script(f"""
            const M = {page};
            M._rm_button(0, 0, 400, 320, 0);
            for (let y = 320; y >= 296; y -= 4) M._rm_drag(400, y);
            M._rm_button(0, 1, 400, 296, 0);
            M._rm_button(1, 0, 360, 260, 0);
            M._rm_button(1, 0, 500, 200, 0);""")
        frames(driver, 40)
        driver.execute_script(f"{page}._rm_key('5'.charCodeAt(0));")
        frames(driver, 20)
        time.sleep(0.5)
        from PIL import Image
        Image.open(io.BytesIO(driver.get_screenshot_as_png())).save(args.out)
    print("wrote", args.out)


if __name__ == "__main__":
    main()
