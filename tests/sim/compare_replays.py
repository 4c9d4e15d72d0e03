#!/usr/bin/env python3
"""Runs ripplemoor-replay builds on one script; all must print the same hash
lines, and those must match the script's "# expect" lines. A command may carry
arguments ("qemu-aarch64 -cpu max ripplemoor-replay --target portable").

    compare_replays.py SCRIPT COMMAND...
    compare_replays.py --every-solver [--except-solvers-of COMMAND] SCRIPT COMMAND

With --every-solver, COMMAND runs once with each solver it lists (--target
list), less those that --except-solvers-of's command lists: a processor's run
then checks only what an earlier processor's run did not."""
import argparse
import shlex
import subprocess
import sys


def solvers(command):
    run = subprocess.run(shlex.split(command) + ["--target", "list"], capture_output=True,
                         text=True)
    if run.returncode != 0 or not run.stdout.split():
        sys.exit(f"{command} --target list: exit {run.returncode}: {run.stderr}")
    return run.stdout.split()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--every-solver", action="store_true")
    parser.add_argument("--except-solvers-of", metavar="COMMAND")
    parser.add_argument("script")
    parser.add_argument("commands", nargs="+")
    args = parser.parse_args()

    commands = args.commands
    if args.every_solver:
        if len(commands) != 1:
            parser.error("--every-solver takes one command")
        done = set(solvers(args.except_solvers_of)) if args.except_solvers_of else set()
        todo = [s for s in solvers(commands[0]) if s not in done]
        if not todo:
            print(f"every solver of {commands[0]} was checked by {args.except_solvers_of}")
            return 1
        commands = [f"{commands[0]} --target {s}" for s in todo]

    with open(args.script) as f:
        expected = [line.split(None, 2)[2].strip() for line in f if line.startswith("# expect ")]
    outputs = []
    for command in commands:
        run = subprocess.run(shlex.split(command) + [args.script], capture_output=True, text=True)
        if run.returncode != 0:
            print(f"{command}: exit {run.returncode}: {run.stderr}")
            return 1
        outputs.append(run.stdout.splitlines())
        print(f"{command}:", *outputs[-1], sep="\n  ", flush=True)
    if any(out != outputs[0] for out in outputs):
        print("the builds disagree")
        return 1
    if outputs[0] != expected:
        print("expected:", *expected, sep="\n  ")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
