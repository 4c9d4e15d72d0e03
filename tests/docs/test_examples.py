"""Every Python example of the README and of docs/, run as it is printed.

The examples are the fenced blocks whose language is python in README.md and
docs/*.md, found here, so a new example is tested without being listed. Each
runs in a fresh interpreter, in an empty folder, with matplotlib on its
non-interactive backend (MPLBACKEND=Agg, set by the test). Blocks in other
languages (shell commands) are not run; a Python block is left out only where
the line before it is a comment `<!-- not run: why -->`.
"""

import glob
import os
import re
import subprocess
import sys

import pytest

ROOT = os.path.realpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
OPENING = re.compile(r"^(?P<indent> {0,3})(?P<fence>`{3,}|~{3,})(?P<info>.*)$")
NOT_RUN = re.compile(r"^\s*<!--\s*not run:\s*(?P<why>\S.*?)\s*-->\s*$")
PYTHON = {"python", "python3", "py"}


def pages():
    return [os.path.join(ROOT, "README.md")] + sorted(glob.glob(os.path.join(ROOT, "docs", "*.md")))


def fenced_blocks(path):
    """(first code line, language, code, reason not to run) of every fenced block
    of a Markdown file; line numbers count from 1."""
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    blocks = []
    i = 0
    while i < len(lines):
        opening = OPENING.match(lines[i])
        if not opening:
            i += 1
            continue
        fence, indent = opening.group("fence"), len(opening.group("indent"))
        words = opening.group("info").split()
        # ```python, or a MyST directive such as ```{code-block} python
        language = words[1] if len(words) > 1 and words[0].startswith("{") else (words or [""])[0]
        closing = re.compile(r"^ {0,3}%s%s*\s*$" % (re.escape(fence), re.escape(fence[0])))
        end = next((j for j in range(i + 1, len(lines)) if closing.match(lines[j])), None)
        if end is None:
            raise ValueError("%s:%d: the fence is never closed" % (path, i + 1))
        code = [line[indent:] if not line[:indent].strip() else line.lstrip() for line in lines[i + 1:end]]
        not_run = NOT_RUN.match(lines[i - 1]) if i > 0 else None
        blocks.append((i + 2, language.lower(), "\n".join(code) + "\n",
                       not_run.group("why") if not_run else None))
        i = end + 1
    return blocks


def examples():
    found = []
    for path in pages():
        for line, language, code, why in fenced_blocks(path):
            if language in PYTHON:
                found.append(pytest.param(path, line, code, why,
                                          id="%s:%d" % (os.path.relpath(path, ROOT), line)))
    return found


def test_the_front_door_and_the_module_page_have_examples():
    # Guards the search itself: a parser that finds nothing would pass every run.
    where = {os.path.relpath(p.values[0], ROOT) for p in examples()}
    assert {"README.md", os.path.join("docs", "python.md")} <= where, where


@pytest.mark.parametrize("path, line, code, why", examples())
def test_example_runs_as_printed(path, line, code, why, tmp_path):
    if why:
        pytest.skip(why)
    # Padded so that a traceback names the page and the line of the Markdown file.
    source = "\n" * (line - 1) + code
    runner = ("import sys; source = sys.stdin.read(); "
              "exec(compile(source, sys.argv[1], 'exec'), {'__name__': '__main__'})")
    env = dict(os.environ, MPLBACKEND="Agg", PYTHONDONTWRITEBYTECODE="1")
    result = subprocess.run([sys.executable, "-c", runner, path], input=source, text=True,
                            capture_output=True, cwd=str(tmp_path), env=env, timeout=240)
    if result.returncode != 0:
        pytest.fail("%s:%d failed with status %d:\n%s%s" % (
            os.path.relpath(path, ROOT), line, result.returncode, result.stdout, result.stderr),
            pytrace=False)
