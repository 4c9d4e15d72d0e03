#!/usr/bin/env python3
"""Every kernel target the processor offers has its parametrised tests: each
name that `REPLAY --target list` prints (but the portable loops) ends some
test's name in `TEST --gtest_list_tests`, so a target that the tests' list
missed cannot pass unseen.

    check_target_tests.py REPLAY_COMMAND TEST_COMMAND"""
import re
import shlex
import subprocess
import sys


def output(command, *args):
    run = subprocess.run(shlex.split(command) + list(args), capture_output=True, text=True)
    if run.returncode != 0:
        sys.exit(f"{command}: exit {run.returncode}: {run.stderr}")
    return run.stdout


def main():
    replay, test = sys.argv[1:3]
    targets = [s for s in output(replay, "--target", "list").split() if s != "portable"]
    listed = output(test, "--gtest_list_tests")
    # Parametrised tests are listed as "  Name/PARAM  # GetParam() = ...".
    params = set(re.findall(r"^  \S+/(\S+)", listed, re.M))
    missing = [t for t in targets if t not in params]
    print("targets:", *targets)
    if missing:
        print("no tests on:", *missing)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
