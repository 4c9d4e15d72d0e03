"""Under a real window manager, Debian's openbox: a rule that matches the
window's class applies as the window is mapped. The rule takes the decoration
away and forces a position; without it openbox decorates and places the window
itself, so the same checks fail there."""

import pytest

from ripplemoor_dev import x11

APP_ID = "org.ripplemoor.Ripplemoor"
FORCED = (37, 53)

CONFIG = """<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <applications>{rules}</applications>
</openbox_config>
"""
CLASS_RULE = """
    <application class="{cls}">
      <decor>no</decor>
      <position force="yes"><x>{x}</x><y>{y}</y></position>
    </application>"""


def frame_extents(app):
    """_NET_FRAME_EXTENTS: the decoration's left, right, top and bottom widths."""
    text = app.xtool("xprop", "-id", app.window, "-notype", "_NET_FRAME_EXTENTS")
    assert "=" in text, "openbox set no frame extents: %r" % text
    return tuple(int(v) for v in text.split("=", 1)[1].split(","))


def openbox_is_done(app, applies):
    """Whether the window has the decoration and place that the case expects:
    the rule's (no title bar, the forced position) or openbox's own (a title bar)."""
    extents = frame_extents(app)
    if not applies:
        return extents[2] > extents[3]
    geometry = app.geometry()
    return extents[2] == extents[3] and (geometry["x"] - extents[0], geometry["y"] - extents[2]) == FORCED


def managed_window(launch, xvfb, rules):
    manager = x11.Openbox(xvfb, CONFIG.format(rules=rules))
    try:
        app = launch()
        app.wait_for_stdout(x11.STARTED)
        app.find_window()
        # The manager has the window for good once its frame extents are there.
        x11.wait_until(lambda: "=" in app.xtool("xprop", "-id", app.window, "_NET_FRAME_EXTENTS"),
                       10, 0.05, "openbox to frame the window")
        return app, manager
    except BaseException:
        manager.close()
        raise


@pytest.mark.parametrize("rule_class, applies", [(APP_ID, True), ("org.example.Other", False)])
def test_class_rule(launch, xvfb, rule_class, applies):
    rules = CLASS_RULE.format(cls=rule_class, x=FORCED[0], y=FORCED[1])
    app, manager = managed_window(launch, xvfb, rules)
    try:
        assert app.xtool("xprop", "-id", app.window, "WM_CLASS").strip() == \
            'WM_CLASS(STRING) = "ripplemoor", "%s"' % APP_ID
        # Until openbox has decorated and placed the newly mapped window as the
        # case expects; the checks below say what is wrong if it never does.
        x11.wait_until(lambda: openbox_is_done(app, applies), 10)
        geometry = app.geometry()
        extents = frame_extents(app)
        assert (geometry["width"], geometry["height"]) == (640, 480)
        assert geometry["map_state"] == "IsViewable"
        if applies:
            # Undecorated: a border of the theme's width, no title bar.
            assert extents[2] == extents[3], "the rule's <decor>no</decor> did not apply: %r" \
                % (extents,)
            # The position is the frame's; the window sits inside its border.
            assert (geometry["x"] - extents[0], geometry["y"] - extents[2]) == FORCED, \
                "the rule's position did not apply"
        else:
            assert extents[2] > extents[3], "openbox gave the window no title bar: %r" % (extents,)
            assert (geometry["x"] - extents[0], geometry["y"] - extents[2]) != FORCED
        assert app.running() and app.stderr() == ""
    finally:
        app.close()
        manager.close()
