"""The program's command line as a user meets it: --help and --version, a bad
command line, a full standard output and a missing display all answered without
a display and before "Init"; GLUT's own options taken, and -geometry moving the
window without resizing it."""

import os
import re
import subprocess

import harness
from harness import check

TRY = "Try 'ripplemoor --help'.\n"


def run_without_display(args, args_list, stdout=subprocess.PIPE):
    """Runs the program with no DISPLAY, in a folder without a sky picture."""
    env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
    with open(os.devnull, "rb") as devnull:
        return subprocess.run([os.path.abspath(args.binary)] + args_list, env=env, stdin=devnull,
                              stdout=stdout, stderr=subprocess.PIPE, cwd="/", timeout=30)


def help_and_version(args):
    result = run_without_display(args, ["--help"])
    out = result.stdout.decode()
    check(result.returncode == 0 and result.stderr == b"",
          "--help: status %r, stderr %r" % (result.returncode, result.stderr))
    check(out.startswith("Usage: ripplemoor [OPTION]...\n"), "--help: %r" % out[:200])
    for needed in ("-display", "-geometry", "--help", "--version", "Exit status", "640x480"):
        check(needed in out, "--help does not mention %s" % needed)
    check("Init" not in out, "--help started the program")

    result = run_without_display(args, ["--version"])
    lines = result.stdout.decode().splitlines()
    check(result.returncode == 0 and result.stderr == b"",
          "--version: status %r, stderr %r" % (result.returncode, result.stderr))
    check(lines and re.fullmatch(r"ripplemoor \(Ripplemoor\) \d+\.\d+\.\d+", lines[0]),
          "--version's first line %r" % lines[:1])
    check(any(line.startswith("License MIT") for line in lines), "--version: no licence line")

    # The first of them wins, and GLUT's options before them are skipped with their values.
    result = run_without_display(args, ["-display", "--version", "--help", "--bogus"])
    check(result.returncode == 0 and result.stdout.decode().startswith("Usage: "),
          "-display's value taken for an option: %r" % result.stdout[:100])

    # A full standard output is an error, reported with its reason.
    with open("/dev/full", "wb") as full:
        result = run_without_display(args, ["--help"], stdout=full)
    check(result.returncode == 1, "--help >/dev/full: status %r" % result.returncode)
    check(result.stderr == b"ripplemoor: write error: No space left on device\n",
          "--help >/dev/full: %r" % result.stderr)


def bad_command_lines(args):
    cases = [
        (["--bogus"], "ripplemoor: unknown option '--bogus'\n"),
        (["-x", "--help"], None),  # --help anywhere wins
        (["-geometry", "300x200", "-iconic", "--verbose"], "ripplemoor: unknown option '--verbose'\n"),
        (["-display"], "ripplemoor: option '-display' requires an argument\n"),
        (["-sync", "-geometry"], "ripplemoor: option '-geometry' requires an argument\n"),
        (["sky.tga"], "ripplemoor: unexpected argument 'sky.tga'\n"),
        (["-"], "ripplemoor: unexpected argument '-'\n"),
        (["--", "-sync"], "ripplemoor: unexpected argument '-sync'\n"),
        (["-help"], "ripplemoor: unknown option '-help'\n"),
    ]
    for argv, message in cases:
        result = run_without_display(args, argv)
        if message is None:
            check(result.returncode == 0 and result.stdout.startswith(b"Usage: "),
                  "%r: status %r" % (argv, result.returncode))
            continue
        check(result.returncode == 2, "%r: status %r, want 2" % (argv, result.returncode))
        check(result.stdout == b"", "%r: stdout %r (not even Init)" % (argv, result.stdout))
        check(result.stderr.decode() == message + TRY, "%r: stderr %r" % (argv, result.stderr))


def no_display(args):
    # Past the command line, GLUT cannot open the display: status 1, after Init.
    result = run_without_display(args, [])
    check(result.returncode == 1, "status %r, want 1" % result.returncode)
    check(result.stdout == b"Init\n", "stdout %r" % result.stdout)
    check(b"failed to open display" in result.stderr, "stderr %r" % result.stderr)


def glut_options_taken(args):
    """Every option of GLUT's is passed on to it, not refused: without a display
    each one gets as far as opening it. -geometry places the window, but its
    size stays 640 x 480."""
    for argv in (["-direct"], ["-indirect"], ["-iconic"], ["-gldebug"], ["-sync"],
                 ["-geometry", "10x10"], ["-display", ":"]):
        result = run_without_display(args, argv)
        check(result.returncode == 1 and result.stdout == b"Init\n",
              "%r: status %r, stdout %r" % (argv, result.returncode, result.stdout))
        check(b"failed to open display" in result.stderr, "%r: %r" % (argv, result.stderr))

    options = ["-geometry", "300x200+40+30", "-gldebug", "-sync", "--"]
    with harness.Program(args.binary, skybox_source=args.skybox, args=options) as app:
        app.wait_for_stdout("Starting simulation...\n")
        app.find_window()
        placed = app.geometry()
        check((placed["width"], placed["height"]) == (640, 480),
              "the window is %dx%d" % (placed["width"], placed["height"]))
        check((placed["x"], placed["y"]) == (40, 30),
              "the window is at (%d, %d)" % (placed["x"], placed["y"]))
        check(app.running(), "the program ended: %r" % app.stderr())
        check(app.stderr() == "", "stderr %r" % app.stderr())


if __name__ == "__main__":
    harness.run_cases([
        ("--help and --version: stdout, status 0, no display; write error", help_and_version),
        ("bad command lines: message, hint, status 2, before Init", bad_command_lines),
        ("no display: status 1 after Init", no_display),
        ("GLUT's options are taken; -geometry keeps 640 x 480", glut_options_taken),
    ])
