"""Start-up as a user sees it: the two progress lines, the 640 x 480 window
titled "Ripplemoor", and a process that runs until it is ended."""

import signal
import time

import harness
from harness import check


def starts_and_keeps_running(args):
    with harness.Program(args.binary, skybox_source=args.skybox) as app:
        app.wait_for_stdout("Starting simulation...\n")
        app.find_window()
        geometry = app.geometry()
        lines = app.stdout().splitlines()
        print("  stdout lines: %r" % lines)
        print("  window %s: %dx%d at (%d, %d), %s" % (app.window, geometry["width"],
              geometry["height"], geometry["x"], geometry["y"], geometry["map_state"]))
        check(lines == ["Init", "Starting simulation..."],
              "stdout must be exactly Init then Starting simulation..., got %r" % lines)
        check((geometry["width"], geometry["height"]) == (640, 480),
              "window is %dx%d" % (geometry["width"], geometry["height"]))
        check(geometry["map_state"] == "IsViewable", "window not mapped")

        time.sleep(2.0)
        check(app.running(), "the program ended by itself with %r" % app.process.poll())
        check(app.geometry()["width"] == 640, "window gone or resized")
        check(app.stdout().splitlines() == lines, "nothing more is printed while it runs")

        app.process.send_signal(signal.SIGTERM)
        status = app.wait_exit(10)
        check(status == -signal.SIGTERM, "SIGTERM should end it, status %r" % status)


if __name__ == "__main__":
    harness.run_cases([("start-up: progress lines, window, keeps running",
                        starts_and_keeps_running)])
