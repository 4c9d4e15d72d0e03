#!/usr/bin/env python3
"""Writes the wave tank's fuzz seeds: scenes with [[source]], [sponge], every
form of [bed] (constant, slope, rectangles, a PNG map) and [[gauge]] for
fuzz-scene (the TOML text, a NUL byte, then the picture a mask or map reads
as), and saved states of small tanks for fuzz-basin-state.

usage: make_tank_seeds.py SCENE_SEEDS [STATE_SEEDS]
The states need the ripplemoor module on PYTHONPATH (build/python).
"""
import os
import struct
import sys
import zlib


def png(width, height, rows, depth=8, colour=0):
    """A PNG of the given rows (bytes each, unfiltered); colour 0 grey, 2 RGB."""
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))
    header = struct.pack(">IIBBBBB", width, height, depth, colour, 0, 0, 0)
    raw = b"".join(b"\0" + row for row in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) +
            chunk(b"IEND", b""))


def grey8(width, height):
    return png(width, height, [bytes((x * 40 + y * 7) % 256 for x in range(width)) for y in range(height)])


def grey16(width, height):
    return png(width, height, [b"".join(struct.pack(">H", (x * 9001 + y * 257) % 65536) for x in range(width))
                               for y in range(height)], depth=16)


TANK = """[basin]
width = 12
height = 9

[walls]
rectangles = [[10, 0, 11, 8]]

[[source]]
kind = "line"
from = [1, 1]
to = [1, 7]
period = 1.5
amplitude = 0.01
ramp = 1.0

[[source]]
kind = "point"
at = [5, 4]
radius = 1
period = 0.9
amplitude = 0.002
phase = 0.5

[sponge]
width = 2
edges = "ns"
strength = 0.3

[bed]
{bed}
[[gauge]]
at = [3, 3]

[[gauge]]
at = [8, 6]
"""


def scenes():
    yield "tank-constant-slope-rectangles", TANK.format(
        bed="constant = 0.1\nslope = [4, 9, 0.1, 0.6]\nrectangles = [[2, 2, 3, 3, -0.4]]\n").encode()
    yield "tank-map-grey8", TANK.format(
        bed='map = "sea.png"\nlow = -0.2\nhigh = 0.7\nrectangles = [[2, 2, 3, 3, 0.25]]\n').encode() + \
        b"\0" + grey8(12, 9)
    yield "tank-map-grey16", TANK.format(
        bed='map = "sea.png"\nlow = 0.0\nhigh = 0.9\nslope = [6, 9, 0.2, 0.8]\n').encode() + \
        b"\0" + grey16(12, 9)
    # Refused: a colour picture, and a map of another size.
    yield "tank-map-rgb", TANK.format(bed='map = "sea.png"\nlow = 0.0\nhigh = 0.5\n').encode() + b"\0" + \
        png(12, 9, [bytes(36)] * 9, colour=2)
    yield "tank-map-wrong-size", TANK.format(bed='map = "sea.png"\nlow = 0.0\nhigh = 0.5\n').encode() + \
        b"\0" + grey8(9, 12)


def states():
    import ripplemoor
    tank = ripplemoor.Basin(width=8, height=6)
    tank.walls[:, 7] = True
    tank.bed[:, 3:] = 0.4
    tank.bed[2, 1] = -0.3
    tank.reset()
    tank.sponge(1, edges="e")
    tank.add_line_source(1, 1, 1, 4, period=1.2, amplitude=0.01)
    tank.add_point_source(4, 3, period=0.8, amplitude=0.003, radius=1)
    tank.add_gauge(2, 2)
    tank.add_gauge(5, 4)
    tank.color_mode = 1
    tank.step(3)
    yield "tank_8x6_sources_sponge_bed_gauges.state", tank.__reduce__()[1][0]
    quiet = ripplemoor.Basin(width=5, height=4)
    quiet.bed[:, :] = 0.5
    quiet.reset()
    quiet.add_gauge(2, 2)
    yield "bed_5x4_one_gauge.state", quiet.__reduce__()[1][0]


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    os.makedirs(sys.argv[1], exist_ok=True)
    for name, data in scenes():
        with open(os.path.join(sys.argv[1], name), "wb") as f:
            f.write(data)
    if len(sys.argv) == 3:
        os.makedirs(sys.argv[2], exist_ok=True)
        for name, data in states():
            with open(os.path.join(sys.argv[2], name), "wb") as f:
                f.write(data)


if __name__ == "__main__":
    main()
