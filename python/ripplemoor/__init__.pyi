"""Ripplemoor's water solver for Python (one simulation per process)."""

from typing import Final, SupportsFloat, SupportsIndex

import numpy as np
import numpy.typing as npt

GRID_SIZE: Final[int]
TIMESTEP: Final[float]
CELL_SIZE: Final[float]
GRAVITY: Final[float]

color_mode: int
"""The colour mode, 0 to 6; other values raise ValueError."""

def field(name: str) -> npt.NDArray[np.float32]:
    """The named field as a (160, 160) float32 view [y, x] of the simulation's memory."""

def step(n: SupportsIndex = 1) -> None:
    """Runs n whole simulation steps without holding the GIL; n < 0 raises ValueError."""

def add_drop(cx: SupportsIndex, cy: SupportsIndex, radius: SupportsIndex,
             increment: SupportsFloat) -> None:
    """Raises the 2r x 2r patch around (cx, cy) by increment, clipped, capped at 1.1."""

def random_drop() -> None:
    """A drop at a random place, as the program's 'd' key makes it."""

def seed(s: SupportsIndex) -> None:
    """Seeds the generator of random_drop(); s is 0 to 2**32-1."""

def reset() -> None:
    """The return to rest: h = 1, every other field 0."""

def ranges() -> dict[str, float]:
    """The 18 range variables by name, as the latest step left them."""

def solvers() -> list[str]:
    """The solvers this processor offers, the default first, 'portable' last."""

def use_solver(name: str) -> None:
    """Selects a solver by name; an unknown one raises ValueError."""

def solver() -> str:
    """The name of the solver in use."""

def dump() -> bytes:
    """The state as the replay tool's 'dump' writes it (819,272 bytes)."""

def state_hash() -> int:
    """64-bit FNV-1a of dump(), as the replay tool's 'hash' prints it."""
