"""Start-up without a readable sky picture: the messages on standard error and
exit status 255 (-1), before the main loop, for a missing file and for files
that are not a picture the reader accepts."""

import random
import struct

import pytest

OPEN_FAILED = "Image::Read: Failed to open Image file: skybox.tga\n"
READ_FAILED = "Skybox: Failed to read texture file: skybox.tga\n"


def tga_header(color_map_type, image_type, width, height, bits, descriptor=0x20):
    return struct.pack("<BBBHHBHHHHBB", 0, color_map_type, image_type, 0, 0, 0, 0, 0,
                       width, height, bits, descriptor)


def random_bytes():
    data = bytes(random.Random(20240611).randrange(256) for _ in range(4096))
    # A colour map byte other than 0 is what makes these bytes unreadable.
    assert data[1] != 0, "seed gives a readable colour-map byte; choose another"
    return data


BROKEN_FILES = {
    "empty file": b"",
    "header cut after 10 bytes": tga_header(0, 2, 768, 512, 24)[:10],
    "colour-mapped picture": tga_header(1, 1, 768, 512, 8) + bytes(256 * 3 + 64),
    "size overflowing 32 bits": tga_header(0, 2, 65535, 65535, 32) + bytes(1024),
    "random bytes": random_bytes(),
}


def expect_refused(app, expect_open_message):
    status = app.wait_exit(60)
    out, err = app.stdout(), app.stderr()
    assert status == 255, "exit status %r, want 255; stderr %r" % (status, err[-2000:])
    assert out == "Init\n", "stdout must hold only Init"
    if expect_open_message:
        assert OPEN_FAILED + READ_FAILED in err, "stderr lacks the two messages in order"
    else:
        assert READ_FAILED in err, "stderr lacks the read failure"
        assert OPEN_FAILED not in err, "the file exists, yet the open failed"
    assert err.count(READ_FAILED) == 1, "the failure is reported once"


def test_missing_skybox(launch):
    expect_refused(launch(skybox_source=None), expect_open_message=True)


@pytest.mark.parametrize("name", list(BROKEN_FILES))
def test_unreadable_skybox(launch, name):
    expect_refused(launch(skybox_source=None, skybox_bytes=BROKEN_FILES[name]),
                   expect_open_message=False)
