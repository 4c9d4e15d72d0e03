#!/usr/bin/env python3
"""Writes a seed corpus of small TGA files, valid and broken, for fuzz-tga.

usage: make_fuzz_corpus.py DIRECTORY
"""
import os
import struct
import sys


def header(kind, width, height, bits, descriptor=0x20, id_length=0, colour_map=0):
    return struct.pack("<BBBHHBHHHHBB", id_length, colour_map, kind, 0, 0, 0, 0, 0,
                       width, height, bits, descriptor)


def pixels(count, depth, start=1):
    return bytes((start + i) % 256 for i in range(count * depth))


def seeds():
    # Uncompressed true colour and grey, every origin.
    for descriptor in (0x00, 0x10, 0x20, 0x30):
        yield f"rgb24_d{descriptor:02x}", header(2, 3, 2, 24, descriptor) + pixels(6, 3)
    yield "rgba32", header(2, 2, 2, 32, 0x08) + pixels(4, 4)
    yield "grey8", header(3, 4, 3, 8) + pixels(12, 1)
    yield "grey16", header(3, 3, 2, 16, 0x00) + pixels(6, 2)
    yield "grey15", header(3, 2, 2, 15) + pixels(4, 1)
    yield "with_id", header(2, 2, 1, 24, 0x20, id_length=5) + b"hello" + pixels(2, 3)
    yield "with_footer", header(3, 2, 1, 8) + pixels(2, 1) + b"\0" * 8 + b"TRUEVISION-XFILE.\0"

    # Run-length encoded: runs, raw packets, packets across rows.
    yield "rle24_run", header(10, 2, 2, 24) + bytes([0x83]) + pixels(1, 3)
    yield "rle24_raw", header(10, 2, 2, 24, 0x00) + bytes([0x03]) + pixels(4, 3)
    yield "rle32_mixed", header(10, 3, 2, 32) + bytes([0x83]) + pixels(1, 4) + bytes([0x01]) + pixels(2, 4)
    yield "rle_grey16", header(11, 3, 1, 16) + bytes([0x81, 9, 200, 0x00, 7, 100])
    yield "rle_grey8_long", header(11, 16, 16, 8, 0x30) + bytes([0xFF, 5, 0xFF, 6])

    # Types that are not decoded.
    yield "type1", header(1, 2, 2, 8) + pixels(4, 1)
    yield "type9", header(9, 2, 2, 8) + bytes([0x83, 1])

    # Broken files.
    yield "empty", b""
    yield "short_header", header(2, 2, 2, 24)[:11]
    yield "short_data", header(2, 4, 4, 24, 0x00) + pixels(5, 3)
    yield "rle_cut_packet", header(10, 4, 1, 24) + bytes([0x03, 1, 2, 3, 4])
    yield "rle_run_past_end", header(10, 2, 1, 24) + bytes([0xFF, 1, 2, 3, 0x7F]) + pixels(4, 3)
    yield "colour_map", header(1, 2, 2, 8, colour_map=1) + pixels(4, 1)
    yield "depth0", header(3, 2, 2, 7) + pixels(4, 1)
    yield "zero_width", header(2, 0, 2, 24) + pixels(2, 3)
    yield "zero_height", header(10, 2, 0, 24) + bytes([0x81]) + pixels(1, 3)
    yield "rgb16", header(2, 2, 1, 16) + pixels(2, 2)
    yield "rgb8_rle", header(10, 2, 1, 8) + bytes([0x81, 1])
    yield "huge", header(2, 65535, 65535, 32) + pixels(2, 4)
    yield "huge_rle", header(11, 65535, 65535, 8) + bytes([0x80, 1])
    yield "id_past_end", header(2, 1, 1, 24, id_length=255) + pixels(1, 3)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__.strip())
    directory = sys.argv[1]
    os.makedirs(directory, exist_ok=True)
    count = 0
    for name, data in seeds():
        with open(os.path.join(directory, name + ".tga"), "wb") as f:
            f.write(data)
        count += 1
    print(f"{count} seed files in {directory}")


if __name__ == "__main__":
    main()
