"""Ripplemoor's water solver for Python: the real compiled solver of the
program, with its fields as NumPy arrays.

The basin is 160 x 160 cells on a staggered grid: h at the cell centres, u on
the face between cells (x-1, y) and (x, y), v on the face between (x, y-1) and
(x, y). field(name) hands out a field as a float32 array indexed [y, x] that is
the simulation's own memory; step(n) advances it.

color_mode (read and write, 0 to 6; other values raise ValueError) picks the
derived field and range that each step computes: 0 none, 1 h, 2 heightChange,
3 heightAccel, 4 speedSq, 5 flowDirection, 6 energyProduct; ranges() reads them.

There is one simulation per process: the state is the program's process-wide
state, shared by every caller (and every thread) in the interpreter.

    import numpy as np, ripplemoor as rm
    h = rm.field("h")
    y, x = np.mgrid[0:160, 0:160]
    h[...] = 1 + 0.05 * np.exp(-((x - 80) ** 2 + (y - 80) ** 2) / 50)
    rm.step(100)
"""

import sys as _sys
import types as _types

from ._core import (CELL_SIZE, GRAVITY, GRID_SIZE, TIMESTEP, add_drop, dump, field,
                    random_drop, ranges, reset, seed, solver, solvers, state_hash, step,
                    use_solver)
from . import _core

__all__ = ["GRID_SIZE", "TIMESTEP", "CELL_SIZE", "GRAVITY", "field", "step", "add_drop",
           "random_drop", "seed", "reset", "color_mode", "ranges", "solvers", "use_solver",
           "solver", "dump", "state_hash"]


class _Module(_types.ModuleType):
    """A module whose color_mode is checked when it is set."""

    @property
    def color_mode(self):
        """The colour mode, 0 to 6: which derived field and range each step
        computes (0 plain, 1 h, 2 heightChange, 3 heightAccel, 4 speedSq,
        5 flowDirection, 6 energyProduct). Setting a value outside 0 to 6
        raises ValueError, a non-integer TypeError."""
        return _core.get_color_mode()

    @color_mode.setter
    def color_mode(self, mode):
        _core.set_color_mode(mode)


_sys.modules[__name__].__class__ = _Module
