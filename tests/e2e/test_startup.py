"""Start-up as a user sees it: the two progress lines, the 640 x 480 window
titled "Ripplemoor", and a process that runs until it is ended."""

import signal
import time


def test_starts_and_keeps_running(launch):
    app = launch()
    app.wait_for_stdout("Starting simulation...\n")
    app.find_window()
    geometry = app.geometry()
    lines = app.stdout().splitlines()
    assert lines == ["Init", "Starting simulation..."], \
        "stdout must be exactly Init then Starting simulation..."
    assert (geometry["width"], geometry["height"]) == (640, 480)
    assert geometry["map_state"] == "IsViewable", "window not mapped"

    time.sleep(2.0)
    assert app.running(), "the program ended by itself with %r" % app.process.poll()
    assert app.geometry()["width"] == 640, "window gone or resized"
    assert app.stdout().splitlines() == lines, "nothing more is printed while it runs"

    app.process.send_signal(signal.SIGTERM)
    assert app.wait_exit(10) == -signal.SIGTERM, "SIGTERM should end it"
