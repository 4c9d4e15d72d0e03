#!/usr/bin/python3
"""Measures the solver's physics against theory, through the Python module, and
writes the figures docs/physics/*.png and the page docs/physics.md with the
numbers it measured, and docs/two-slits.png from the README's example as
printed. About a minute and a half on two cores, and ten more for the wave
tank (tests/support/ripplemoor_dev/tank_physics.py); --tank measures only that
and rewrites only the page's wave-tank part, --no-tank everything but that,
keeping the page's wave-tank part as it is.

    PYTHONPATH=build/python /usr/bin/python3 docs/tools/physics.py [--docs DOCS] [--tank | --no-tank]

Needs Debian's python3-numpy and python3-matplotlib and a build of the module.
"""

import argparse
import os
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
# The measurements are shared with the tests (tests/support/ripplemoor_dev).
sys.path.insert(0, os.path.join(ROOT, "tests", "support"))

import ripplemoor as rm  # noqa: E402

import physics_page  # noqa: E402  (beside this script)
from ripplemoor_dev.physics import (channel, energy, ring, stability, two_slits, volume,  # noqa: E402
                                    wave_speed)
from ripplemoor_dev import tank_physics  # noqa: E402
import tank_page  # noqa: E402


def readme_figure(readme, picture):
    """Runs the README's Basin example as printed and keeps its figure."""
    import matplotlib.pyplot as plt
    with open(readme, encoding="utf-8") as f:
        text = f.read()
    blocks = [b.split("```", 1)[0] for b in text.split("```python\n")[1:]]
    code = next(b for b in blocks if "rm.Basin(" in b)
    plt.close("all")
    exec(compile(code, readme, "exec"), {"__name__": "__main__"})
    plt.gcf().set_size_inches(6.4, 4.4)
    plt.gcf().savefig(picture, dpi=90, bbox_inches="tight")
    plt.close("all")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--docs", default=os.path.join(ROOT, "docs"),
                        help="folder that receives physics.md and physics/ (default: docs/)")
    which = parser.add_mutually_exclusive_group()
    which.add_argument("--tank", action="store_true", help="measure and rewrite the wave tank's part only")
    which.add_argument("--no-tank", action="store_true", help="measure and rewrite all but the wave tank's part")
    args = parser.parse_args()
    import matplotlib
    matplotlib.use("Agg")
    figures = os.path.join(args.docs, "physics")
    os.makedirs(figures, exist_ok=True)
    rm.use_target(rm.targets()[0])
    if args.tank:
        page = os.path.join(args.docs, "physics.md")
        with open(page, encoding="utf-8") as f:
            before = f.read().split(tank_page.MARK)[0].rstrip("\n")
        text = tank_page.render(tank_physics.measure(figures))
        with open(page, "w", encoding="utf-8") as f:
            f.write(before + "\n\n" + text)
        return
    numbers = {"solver": rm.target()}
    measures = [("speed", wave_speed), ("ring", ring), ("volume", volume), ("energy", energy),
                ("stability", stability), ("slits", two_slits), ("channel", channel)]
    if not args.no_tank:
        measures.append(("tank", tank_physics.measure))
    for name, measure in measures:
        started = time.time()
        numbers[name] = measure(figures)
        print(name, "%.0f s" % (time.time() - started), numbers[name], flush=True)
    readme_figure(os.path.join(os.path.dirname(args.docs), "README.md"),
                  os.path.join(args.docs, "two-slits.png"))
    page = os.path.join(args.docs, "physics.md")
    text = physics_page.render(numbers)
    if args.no_tank:
        with open(page, encoding="utf-8") as f:
            text += "\n" + tank_page.MARK + f.read().split(tank_page.MARK, 1)[1]
    with open(page, "w", encoding="utf-8") as f:
        f.write(text)
    print("wrote", os.path.join(args.docs, "physics.md"), "and", figures)


if __name__ == "__main__":
    main()
