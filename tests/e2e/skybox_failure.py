"""Start-up without a readable sky picture: the messages on standard error and
exit status 255 (-1), before the main loop, for a missing file and for files
that are not a picture the reader accepts."""

import random
import struct

import harness
from harness import check

OPEN_FAILED = "Image::Read: Failed to open Image file: skybox.tga\n"
READ_FAILED = "Skybox: Failed to read texture file: skybox.tga\n"


def tga_header(color_map_type, image_type, width, height, bits, descriptor=0x20):
    return struct.pack("<BBBHHBHHHHBB", 0, color_map_type, image_type, 0, 0, 0, 0, 0,
                       width, height, bits, descriptor)


def random_bytes():
    generator = random.Random(20240611)
    data = bytes(generator.randrange(256) for _ in range(4096))
    # A colour map byte other than 0 is what makes these bytes unreadable.
    check(data[1] != 0, "seed gives a readable colour-map byte; choose another")
    return data


BROKEN_FILES = [
    ("empty file", b""),
    ("header cut after 10 bytes", tga_header(0, 2, 768, 512, 24)[:10]),
    ("colour-mapped picture", tga_header(1, 1, 768, 512, 8) + bytes(256 * 3 + 64)),
    ("size overflowing 32 bits", tga_header(0, 2, 65535, 65535, 32) + bytes(1024)),
    ("random bytes", random_bytes()),
]


def expect_refused(app, expect_open_message):
    status = app.wait_exit(60)
    out, err = app.stdout(), app.stderr()
    check(status == 255, "exit status %r, want 255; stderr %r" % (status, err[-2000:]))
    check(out == "Init\n", "stdout must hold only Init, got %r" % out)
    if expect_open_message:
        check(OPEN_FAILED + READ_FAILED in err,
              "stderr lacks the two messages in order: %r" % err)
    else:
        check(READ_FAILED in err, "stderr lacks the read failure: %r" % err)
        check(OPEN_FAILED not in err, "the file exists, yet the open failed: %r" % err)
    check(err.count(READ_FAILED) == 1, "the failure is reported once: %r" % err)


def missing_skybox(args):
    with harness.Program(args.binary) as app:
        expect_refused(app, expect_open_message=True)


def broken_skybox(args):
    xvfb = harness.Xvfb()
    try:
        for name, data in BROKEN_FILES:
            with harness.Program(args.binary, skybox_bytes=data, xvfb=xvfb) as app:
                try:
                    expect_refused(app, expect_open_message=False)
                except harness.Failure as failure:
                    raise harness.Failure("%s: %s" % (name, failure))
    finally:
        xvfb.close()


if __name__ == "__main__":
    harness.run_cases([("missing skybox.tga: both messages, status 255", missing_skybox),
                       ("unreadable skybox.tga: read failure, status 255", broken_skybox)])
