#!/usr/bin/env python3
"""Writes a replay script that runs colour mode 5 (the flow direction, an
arctangent from the C library) for a long time with drops all over the basin,
hashing the state as it goes: the script on which the WebAssembly build's
library and the native one must agree.

    flow_direction_script.py WIDTH HEIGHT STEPS [EVERY]"""
import random
import sys


def script(width, height, steps, every=1000):
    rng = random.Random(width * 7919 + height)
    lines = [f"basin {width} {height}", "mode 5"]
    done = 0
    while done < steps:
        # Drops keep the flow turning in every direction.
        for _ in range(3):
            lines.append(f"drop {rng.randrange(1, width - 1)} {rng.randrange(1, height - 1)} "
                         f"{rng.randrange(1, 6)} {rng.choice(['0.05', '0.1', '0.2'])}")
        chunk = min(every, steps - done)
        lines.append(f"step {chunk}")
        lines.append("hash")
        done += chunk
    return "\n".join(lines) + "\n"


if __name__ == "__main__":
    args = [int(a) for a in sys.argv[1:]]
    sys.stdout.write(script(*args))
