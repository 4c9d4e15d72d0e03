"""The launcher's choice of folder, for a sky of one's own: it runs the program in
$XDG_DATA_HOME/ripplemoor (~/.local/share/ripplemoor by default) when a
skybox.tga is there, and in the installed data folder otherwise; the real
program started so shows the user's picture.

    PYTHONPATH=tests/support python3 -m pytest tests/package/check_user_sky.py --prefix INSTALLED
"""

import os
import shutil
import struct
import subprocess
import tempfile

import pytest

from conftest import check
from ripplemoor_dev import x11
from ripplemoor_dev.pictures import TOP_BAND

LAUNCHER = "bin/ripplemoor"
PROGRAM = "libexec/ripplemoor/ripplemoor"
DATA = "share/ripplemoor"

# Prints the folder it runs in, in place of the program.
FAKE_PROGRAM = "#!/bin/sh\npwd\n"


def solid_sky(colour, face=16):
    """A 3:2 TGA, every face one colour."""
    header = struct.pack("<BBBHHBHHHHBB", 0, 0, 2, 0, 0, 0, 0, 0, 3 * face, 2 * face, 24, 0x20)
    return header + bytes(reversed(colour)) * (6 * face * face)


def put_sky(folder, data=b"TGA"):
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "skybox.tga"), "wb") as f:
        f.write(data)


def folder_choice(args):
    with tempfile.TemporaryDirectory(prefix="ripplemoor-user-sky-") as top:
        tree = os.path.join(top, "tree")
        for folder in ("bin", os.path.dirname(PROGRAM), DATA):
            os.makedirs(os.path.join(tree, folder))
        shutil.copy2(os.path.join(args.prefix, LAUNCHER), os.path.join(tree, LAUNCHER))
        with open(os.path.join(tree, PROGRAM), "w") as f:
            f.write(FAKE_PROGRAM)
        os.chmod(os.path.join(tree, PROGRAM), 0o755)
        installed = os.path.realpath(os.path.join(tree, DATA))

        home = os.path.join(top, "home with space")
        default_dir = os.path.join(home, ".local", "share", "ripplemoor")
        xdg = os.path.join(top, "xdg data")
        xdg_dir = os.path.join(xdg, "ripplemoor")
        cwd = os.path.join(top, "cwd")
        os.makedirs(cwd)

        def folder_for(**env_changes):
            env = {k: v for k, v in os.environ.items() if k not in ("HOME", "XDG_DATA_HOME")}
            env.update({k: v for k, v in env_changes.items() if v is not None})
            result = subprocess.run([os.path.join(tree, LAUNCHER)], cwd=cwd, env=env,
                                    capture_output=True, text=True, timeout=60)
            check(result.returncode == 0, "%r: status %r, %r" % (env_changes, result.returncode,
                                                                 result.stderr))
            return os.path.realpath(result.stdout.rstrip("\n"))

        def expect(where, why, **env_changes):
            got = folder_for(**env_changes)
            check(got == os.path.realpath(where), "%s: ran in %s, want %s" % (why, got, where))

        # No sky of one's own anywhere yet.
        expect(installed, "nothing in XDG_DATA_HOME", HOME=home, XDG_DATA_HOME=xdg)
        expect(installed, "nothing in ~/.local/share", HOME=home)
        expect(installed, "neither HOME nor XDG_DATA_HOME")
        os.makedirs(xdg_dir)
        expect(installed, "a folder without skybox.tga", HOME=home, XDG_DATA_HOME=xdg)
        os.makedirs(os.path.join(xdg_dir, "skybox.tga"))
        expect(installed, "skybox.tga that is a folder", HOME=home, XDG_DATA_HOME=xdg)
        os.rmdir(os.path.join(xdg_dir, "skybox.tga"))

        put_sky(default_dir)
        expect(default_dir, "~/.local/share by default", HOME=home)
        expect(default_dir, "empty XDG_DATA_HOME is unset", HOME=home, XDG_DATA_HOME="")
        put_sky(os.path.join(cwd, "rel", "ripplemoor"))
        expect(default_dir, "relative XDG_DATA_HOME is ignored", HOME=home, XDG_DATA_HOME="rel")
        expect(installed, "XDG_DATA_HOME without a sky hides ~/.local/share", HOME=home,
               XDG_DATA_HOME=xdg)

        put_sky(xdg_dir)
        expect(xdg_dir, "XDG_DATA_HOME with a sky", HOME=home, XDG_DATA_HOME=xdg)
        # The user's folder needs nothing of the installed one.
        shutil.rmtree(os.path.join(tree, DATA))
        expect(xdg_dir, "installed data folder gone", HOME=home, XDG_DATA_HOME=xdg)


def real_program_shows_the_users_sky(args):
    colour = (230, 60, 160)
    with tempfile.TemporaryDirectory(prefix="ripplemoor-xdg-") as xdg:
        put_sky(os.path.join(xdg, "ripplemoor"), solid_sky(colour))
        launcher = os.path.join(args.prefix, LAUNCHER)
        with x11.Program(launcher, extra_env={"XDG_DATA_HOME": xdg}) as app:
            app.start()
            check(app.stderr() == "", "stderr %r" % app.stderr())
            view = app.still_screenshot()
            pixels = view.pixels(TOP_BAND)
            near = sum(1 for p in pixels if all(abs(a - b) <= 2 for a, b in zip(p, colour)))
            # The water's far edge reaches into the band's lowest rows here and there.
            check(near >= 0.95 * len(pixels), "%d of %d pixels beyond the water show the "
                  "user's sky" % (near, len(pixels)))
            app.key("Escape")
            check(app.wait_exit(20) == 0, "Esc should end it with 0")


CASES = [
    ("launcher: $XDG_DATA_HOME/ripplemoor with a sky, else the installed folder", folder_choice),
    ("the real program through the launcher shows the user's sky",
     real_program_shows_the_users_sky),
]


@pytest.mark.parametrize("case", [case for _, case in CASES], ids=[name for name, _ in CASES])
def test_user_sky(args, case):
    case(args)
