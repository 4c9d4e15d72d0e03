#!/usr/bin/env python3
"""Makes the README's screenshot: the real program under Xvfb, the eye lowered
towards the horizon so the sky shows, a drop spreading on the water.

    python3 docs/tools/screenshot.py [--build build] [--out docs/screenshot.png]
"""

import argparse
import os
import sys

root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
# The helpers shared with the tests (tests/support/ripplemoor_dev).
sys.path.insert(0, os.path.join(root, "tests", "support"))
from ripplemoor_dev import x11  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default=os.path.join(root, "build"))
    parser.add_argument("--out", default=os.path.join(root, "docs", "screenshot.png"))
    args = parser.parse_args()

    binary = os.path.join(args.build, "ripplemoor")
    skybox = os.path.join(args.build, "skybox.tga")
    with x11.Program(binary, skybox_source=skybox) as app:
        app.start()
        # Lower the eye a little so the sky fills the top of the window.
        app.drag((320, 320), (320, 288), button=1)
        app.settle(0.3)
        app.click(300, 260, button=2)
        app.settle(0.25)
        app.click(420, 200, button=2)
        app.settle(0.6)
        picture = app.screenshot()
    os.makedirs(os.path.dirname(os.path.abspath(args.out)), exist_ok=True)
    picture.save(args.out)
    print("wrote", args.out)


if __name__ == "__main__":
    main()
