"""Ripplemoor's water solver for Python: the real compiled solver of the
program, with its fields as NumPy arrays.

A Basin is a basin of water on a staggered grid of any size (at least 3 x 3),
with its own time step, gravity, rest height and walls: h at the cell centres,
u on the face between cells (x-1, y) and (x, y), v on the face between
(x, y-1) and (x, y). Its fields are float32 arrays indexed [y, x] that are the
basin's own memory; step(n) advances it. Basins are independent values: step
them in several threads at once, copy and pickle them.

The vector target (targets(), use_target()) is chosen process-wide; every
target gives the same bits.

The module-level functions (field, step, add_drop, random_drop, seed, reset,
color_mode, ranges, dump, state_hash) work on a default 160 x 160 Basin() of
the module's own, one per process.

Examples
--------
A wall with a gap across a basin, and a drop on one side:

>>> import ripplemoor as rm
>>> basin = rm.Basin(200, 120)
>>> basin.walls[:, 60] = True           # a wall across the basin ...
>>> basin.walls[50:70, 60] = False      # ... with a gap
>>> basin.reset()
>>> basin.add_drop(30, 60, 4, 0.05)
>>> basin.step(200)
>>> bool(abs(basin.h[:, 61:] - 1).max() > 0)   # the waves got through the gap
True
"""

import sys as _sys
import types as _types

from ._core import (CELL_SIZE, FIELD_NAMES, GRAVITY, GRID_SIZE, TIMESTEP, Basin, solver, solvers,
                    step_all, target, targets, use_solver, use_target)
from ._core import SceneError, scene_presets
from . import _core
from .animation import animate
from .recording import run as _run

# The recorded run is written in Python over the compiled core's stepping.
Basin.run = _run

__all__ = ["Basin", "step_all", "animate", "FIELD_NAMES", "GRID_SIZE", "TIMESTEP", "CELL_SIZE", "GRAVITY",
           "targets", "use_target", "target", "solvers", "use_solver", "solver",
           "field", "step", "add_drop", "random_drop", "seed", "reset", "color_mode", "ranges",
           "dump", "state_hash", "SceneError", "scene_presets"]

def _basin_from_state(state):
    """Rebuilds a pickled Basin (what Basin.__reduce__ names)."""
    return _core._basin_from_state(state)


# The module's own default basin, which the module-level functions below work on.
_program = Basin()


def field(name):
    """The program basin's field called name: a writable float32 (160, 160)
    view [y, x] of its memory (Basin.field)."""
    return _program.field(name)


def step(n=1):
    """Runs n steps of the program's basin without holding the GIL (Basin.step)."""
    _program.step(n)


def add_drop(cx, cy, radius, increment):
    """Raises the 2r x 2r patch around (cx, cy) of the program's basin by
    increment, clipped at the edges, capped at 1.1 (Basin.add_drop)."""
    _program.add_drop(cx, cy, radius, increment)


def random_drop():
    """The drop of the program's 'd' key: a random place, radius 1 to 7 and
    increment in [0.01, 0.07) (Basin.random_drop)."""
    _program.random_drop()


def seed(s):
    """Seeds the program basin's drop generator; s is 0 to ``2**32 - 1`` (Basin.seed)."""
    _program.seed(s)


def reset():
    """The return to rest of the program's basin: h = 1, every other field 0 (Basin.reset)."""
    _program.reset()


def ranges():
    """The program basin's 18 range variables by name (Basin.ranges)."""
    return _program.ranges()


def dump():
    """The program basin's state as the replay tool's 'dump' writes it (Basin.dump)."""
    return _program.dump()


def state_hash():
    """64-bit FNV-1a of dump(), as the replay tool's 'hash' prints it (Basin.state_hash)."""
    return _program.state_hash()


class _Module(_types.ModuleType):
    """A module whose color_mode is checked when it is set."""

    @property
    def color_mode(self):
        """The program basin's colour mode, 0 to 6 (Basin.color_mode). Setting a
        value outside 0 to 6 raises ValueError, a non-integer TypeError."""
        return _program.color_mode

    @color_mode.setter
    def color_mode(self, mode):
        _program.color_mode = mode


_sys.modules[__name__].__class__ = _Module
