"""Fixtures of the end-to-end tests: a private Xvfb per test, the program started
on it (and ended after the test), and where screenshots go.

    PYTHONPATH=tests/support python3 -m pytest tests/e2e --binary build/ripplemoor \\
        --skybox build/skybox.tga [--save FOLDER]
"""

import os

import pytest

from ripplemoor_dev import x11

SOURCE = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))


def pytest_addoption(parser):
    parser.addoption("--binary", required=True, help="the ripplemoor program")
    parser.addoption("--skybox", required=True, help="the generated sky picture")
    parser.addoption("--save", help="folder for screenshots (PNG) of this run")


@pytest.fixture
def binary(request):
    return request.config.getoption("--binary")


@pytest.fixture
def skybox(request):
    return request.config.getoption("--skybox")


@pytest.fixture
def xvfb():
    with x11.Xvfb() as display:
        yield display


@pytest.fixture
def xdotool(xvfb):
    """Runs xdotool (or another X client) on the test's display."""
    return lambda *args, **kw: xvfb.run(*args, **kw)


@pytest.fixture
def launch(binary, skybox, xvfb):
    """Starts the program on the test's display: with the generated sky unless
    `skybox_bytes` or `skybox_source` says otherwise (None: no sky picture)."""
    started = []

    def start(*, skybox_source=skybox, **kwargs):
        kwargs.setdefault("xvfb", xvfb)
        program = x11.Program(binary, skybox_source=skybox_source, **kwargs)
        started.append(program)
        return program

    yield start
    for program in started:
        program.close()


@pytest.fixture
def app(launch):
    """The program with the generated sky, started and its first frames drawn."""
    return launch().start()


@pytest.fixture
def save(request):
    """save(picture, name) keeps a screenshot as NAME.png when --save is given."""
    folder = request.config.getoption("--save")

    def keep(picture, name):
        if folder:
            os.makedirs(folder, exist_ok=True)
            picture.save(os.path.join(folder, name + ".png"))
    return keep
