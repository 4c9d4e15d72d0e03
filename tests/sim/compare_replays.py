#!/usr/bin/env python3
"""Runs several ripplemoor-replay builds on one script; all must print the same
hash lines, and those must match the script's "# expect" lines. A command may
carry arguments ("ripplemoor-replay --solver portable")."""
import shlex
import subprocess
import sys


def main():
    script, binaries = sys.argv[1], sys.argv[2:]
    with open(script) as f:
        expected = [line.split(None, 2)[2].strip() for line in f if line.startswith("# expect ")]
    outputs = []
    for binary in binaries:
        run = subprocess.run(shlex.split(binary) + [script], capture_output=True, text=True)
        if run.returncode != 0:
            print(f"{binary}: exit {run.returncode}: {run.stderr}")
            return 1
        outputs.append(run.stdout.splitlines())
        print(f"{binary}:", *outputs[-1], sep="\n  ")
    if any(out != outputs[0] for out in outputs):
        print("the builds disagree")
        return 1
    if outputs[0] != expected:
        print("expected:", *expected, sep="\n  ")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
