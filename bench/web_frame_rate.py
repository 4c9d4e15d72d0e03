#!/usr/bin/env python3
"""Frames per second of the page in headless Chromium on SwiftShader (a
benchmark, not a test): the page steps once per frame, so the steps counted
over a few seconds after a warm-up are its frames.

    /usr/bin/python3 bench/web_frame_rate.py [--site build-web/site] [--seconds 5] [SIZE ...]
"""
import argparse
import pathlib
import sys
import time

ROOT = pathlib.Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "web"))
from browser import browser, frames, served, state, wait_for_page  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--site", default=ROOT / "build-web" / "site")
    parser.add_argument("--seconds", type=float, default=5.0)
    parser.add_argument("sizes", nargs="*", default=["160x160", "512x512"])
    args = parser.parse_args()
    with served(args.site) as url, browser(640, 480) as driver:
        for size in args.sizes:
            driver.get(f"{url}?basin={size}&seed=7")
            assert wait_for_page(driver) is None
            for _ in range(3):
                driver.execute_script("window.ripplemoor.key('d')")
            frames(driver, 20)
            start, began = state(driver)["revision"], time.monotonic()
            time.sleep(args.seconds)
            steps, took = state(driver)["revision"] - start, time.monotonic() - began
            print(f"{size}: {steps / took:.1f} frames per second")


if __name__ == "__main__":
    main()
