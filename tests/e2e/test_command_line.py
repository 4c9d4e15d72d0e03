"""The program's command line as a user meets it: --help and --version, a bad
command line, a full standard output and a missing display all answered without
a display and before "Init"; GLUT's own options taken, and -geometry placing
and sizing the window."""

import os
import re
import subprocess

import pytest

TRY = "Try 'ripplemoor --help'.\n"


def run_without_display(binary, args_list, stdout=subprocess.PIPE):
    """Runs the program with no DISPLAY, in a folder without a sky picture."""
    env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
    with open(os.devnull, "rb") as devnull:
        return subprocess.run([os.path.abspath(binary)] + args_list, env=env, stdin=devnull,
                              stdout=stdout, stderr=subprocess.PIPE, cwd="/", timeout=30)


def test_help_and_version(binary):
    result = run_without_display(binary, ["--help"])
    out = result.stdout.decode()
    assert (result.returncode, result.stderr) == (0, b""), "--help"
    assert out.startswith("Usage: ripplemoor [OPTION]... [SCENE]\n"), "--help: %r" % out[:200]
    for needed in ("-display", "-geometry", "--help", "--version", "Exit status", "640x480", "--basin=WxH",
                   "--threads=N", "--seed=N", "--sky=FILE", "--list-scenes", "Shift+left drag",
                   "Ctrl+left drag", "w clear walls", "h help", "F1-F5", "Ctrl+S"):
        assert needed in out, "--help does not mention %s" % needed
    assert "Init" not in out, "--help started the program"

    result = run_without_display(binary, ["--version"])
    lines = result.stdout.decode().splitlines()
    assert (result.returncode, result.stderr) == (0, b""), "--version"
    assert lines and re.fullmatch(r"ripplemoor \(Ripplemoor\) \d+\.\d+\.\d+", lines[0])
    assert any(line.startswith("License MIT") for line in lines), "--version: no licence line"

    # The first of them wins, and GLUT's options before them are skipped with their values.
    result = run_without_display(binary, ["-display", "--version", "--help", "--bogus"])
    assert result.returncode == 0 and result.stdout.decode().startswith("Usage: "), \
        "-display's value taken for an option"


def test_write_error_is_reported_with_its_reason(binary):
    with open("/dev/full", "wb") as full:
        result = run_without_display(binary, ["--help"], stdout=full)
    assert result.returncode == 1
    assert result.stderr == b"ripplemoor: write error: No space left on device\n"


@pytest.mark.parametrize("argv, message", [
    (["--bogus"], "ripplemoor: unknown option '--bogus'\n"),
    (["-x", "--help"], None),  # --help anywhere wins
    (["-geometry", "300x200", "-iconic", "--verbose"], "ripplemoor: unknown option '--verbose'\n"),
    (["-display"], "ripplemoor: option '-display' requires an argument\n"),
    (["-sync", "-geometry"], "ripplemoor: option '-geometry' requires an argument\n"),
    (["two-slits", "sky.tga"], "ripplemoor: unexpected argument 'sky.tga'\n"),
    (["-"], "ripplemoor: unexpected argument '-'\n"),
    (["--", "two-slits", "-sync"], "ripplemoor: unexpected argument '-sync'\n"),
    (["-help"], "ripplemoor: unknown option '-help'\n"),
])
def test_bad_command_line(binary, argv, message):
    """A message, the hint and status 2, before Init."""
    result = run_without_display(binary, argv)
    if message is None:
        assert result.returncode == 0 and result.stdout.startswith(b"Usage: ")
        return
    assert result.returncode == 2
    assert result.stdout == b"", "not even Init"
    assert result.stderr.decode() == message + TRY


def test_no_display(binary):
    # Past the command line, GLUT cannot open the display: status 1, after Init.
    result = run_without_display(binary, [])
    assert result.returncode == 1
    assert result.stdout == b"Init\n"
    assert b"failed to open display" in result.stderr


@pytest.mark.parametrize("argv", [["-direct"], ["-indirect"], ["-iconic"], ["-gldebug"],
                                  ["-sync"], ["-geometry", "10x10"], ["-display", ":"]])
def test_glut_option_is_passed_on(binary, argv):
    """Without a display each of GLUT's options gets as far as opening it."""
    result = run_without_display(binary, argv)
    assert (result.returncode, result.stdout) == (1, b"Init\n")
    assert b"failed to open display" in result.stderr


def test_geometry_places_and_sizes_the_window(launch):
    app = launch(args=["-geometry", "300x200+40+30", "-gldebug", "-sync", "--"])
    app.wait_for_stdout("Starting simulation...\n")
    app.find_window()
    placed = app.geometry()
    assert (placed["width"], placed["height"]) == (300, 200)
    assert (placed["x"], placed["y"]) == (40, 30)
    assert app.running(), "the program ended: %r" % app.stderr()
    assert app.stderr() == ""
