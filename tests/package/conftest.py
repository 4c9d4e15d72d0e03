"""Options of the install and package checks (tools/package-test.sh gives them)."""

import argparse
import os

import pytest

FOLDERS = ("source", "build", "prefix", "deb", "extracted", "python_prefix", "python_deb", "python_extracted")


def pytest_addoption(parser):
    for name in FOLDERS:
        parser.addoption("--" + name.replace("_", "-"))


@pytest.fixture
def args(request):
    """The options as one namespace, each path made absolute and real."""
    values = {}
    for name in FOLDERS:
        value = request.config.getoption("--" + name.replace("_", "-"))
        values[name] = os.path.realpath(value) if value else None
    return argparse.Namespace(**values)


def check(condition, message):
    assert condition, message
