"""Ripplemoor's water solver for Python: basins of any size, and the program's own."""

import os
from collections.abc import Sequence
from typing import Any, Final, SupportsFloat, SupportsIndex

import numpy as np
import numpy.typing as npt

GRID_SIZE: Final[int]
TIMESTEP: Final[float]
CELL_SIZE: Final[float]
GRAVITY: Final[float]
FIELD_NAMES: Final[tuple[str, ...]]

class Basin:
    """A basin of water of width x height cells, with its own constants and walls."""

    def __init__(self, width: SupportsIndex = 160, height: SupportsIndex = 160, *,
                 cell_size: SupportsFloat = 0.3125, timestep: SupportsFloat = 0.0625,
                 gravity: SupportsFloat = 10.0, rest_height: SupportsFloat = 1.0,
                 threads: SupportsIndex | None = None, conserve_volume: bool = False) -> None: ...
    @property
    def width(self) -> int: ...
    @property
    def height(self) -> int: ...
    @property
    def cell_size(self) -> float: ...
    @property
    def timestep(self) -> float: ...
    @property
    def gravity(self) -> float: ...
    @property
    def rest_height(self) -> float: ...
    threads: int
    """Threads that step() uses; set None for the default by size."""
    conserve_volume: bool
    """Whether each step hands its scheme's volume change back to the water."""
    color_mode: int
    """The colour mode, 0 to 6; other values raise ValueError."""
    @property
    def walls(self) -> npt.NDArray[np.bool_]:
        """A writable (height, width) view [y, x]; True marks a solid cell."""
    @property
    def h(self) -> npt.NDArray[np.float32]: ...
    @property
    def u(self) -> npt.NDArray[np.float32]: ...
    @property
    def v(self) -> npt.NDArray[np.float32]: ...
    @property
    def heightChange(self) -> npt.NDArray[np.float32]: ...
    @property
    def heightAccel(self) -> npt.NDArray[np.float32]: ...
    @property
    def speedSq(self) -> npt.NDArray[np.float32]: ...
    @property
    def flowDirection(self) -> npt.NDArray[np.float32]: ...
    @property
    def energyProduct(self) -> npt.NDArray[np.float32]: ...
    @property
    def scratch(self) -> npt.NDArray[np.float32]: ...
    def field(self, name: str) -> npt.NDArray[np.float32]:
        """The named field as a (height, width) float32 view [y, x] of the basin's memory."""
    def step(self, n: SupportsIndex = 1) -> None:
        """Runs n steps without the GIL, under the basin's own lock."""
    def add_drop(self, cx: SupportsIndex, cy: SupportsIndex, radius: SupportsIndex,
                 increment: SupportsFloat) -> None: ...
    def random_drop(self) -> None: ...
    def seed(self, s: SupportsIndex) -> None: ...
    def reset(self) -> None: ...
    def ranges(self) -> dict[str, float]: ...
    def dump(self) -> bytes: ...
    def state_hash(self) -> int: ...
    def copy(self) -> Basin: ...
    def __copy__(self) -> Basin: ...
    def __deepcopy__(self, memo: Any) -> Basin: ...
    def __reduce__(self) -> tuple[Any, tuple[Any, ...]]: ...
    # The wave tank.
    def add_point_source(self, x: SupportsIndex, y: SupportsIndex, *, period: SupportsFloat,
                         amplitude: SupportsFloat, phase: SupportsFloat = 0.0, radius: SupportsIndex = 1,
                         ramp: SupportsFloat = 2.0) -> None:
        """A wave maker on the water cells within radius of (x, y)."""
    def add_line_source(self, x0: SupportsIndex, y0: SupportsIndex, x1: SupportsIndex, y1: SupportsIndex, *,
                        period: SupportsFloat, amplitude: SupportsFloat, phase: SupportsFloat = 0.0,
                        ramp: SupportsFloat = 2.0) -> None:
        """A wave maker on the cells of the line from (x0, y0) to (x1, y1)."""
    @property
    def sources(self) -> tuple[dict[str, Any], ...]: ...
    def clear_sources(self) -> None: ...
    def sponge(self, width: SupportsIndex, *, edges: str = "nesw", strength: SupportsFloat | None = None) -> None:
        """An absorbing layer along the edges (w: x = 0, e, s: y = 0, n); width 0 removes it."""
    @property
    def sponge_settings(self) -> tuple[int, str, float]: ...
    @property
    def bed(self) -> npt.NDArray[np.float32]:
        """The bed's elevation, a writable (height, width) float32 view [y, x]."""
    def add_gauge(self, x: SupportsIndex, y: SupportsIndex) -> None: ...
    @property
    def gauges(self) -> tuple[tuple[int, int], ...]: ...
    @property
    def steps_since_reset(self) -> int: ...
    def run(self, n: SupportsIndex, *, every: SupportsIndex = 1,
            gauges: Sequence[tuple[SupportsIndex, SupportsIndex]] | None = None,
            fields: Sequence[str] = (), progress: bool = False) -> Any:
        """Runs n steps recorded as an xarray.Dataset (fields and gauge_h)."""
    @staticmethod
    def from_scene(path: str | os.PathLike[str], *, threads: SupportsIndex | None = None) -> Basin:
        """A basin at rest as the scene file (or preset) says; SceneError if it is bad."""
    def to_scene(self, path: str | os.PathLike[str]) -> None:
        """Writes the basin's make-up as a scene file, its walls as a PNG mask beside it."""

class SceneError(ValueError):
    """A scene that cannot be read or written; its text is 'FILE:LINE: reason'."""

def scene_presets() -> list[str]:
    """The names of the preset scenes."""

def animate(source: Any, *, field: str = "h", path: Any = None, interval: int = 40, cmap: str = "viridis",
            vmin: float | None = None, vmax: float | None = None, fps: int = 25,
            title: str = "t = {time:.2f}") -> Any:
    """A matplotlib animation of a run() dataset's field or of 2-D frames; written to path if given."""

def step_all(basins: Sequence[Basin], n: SupportsIndex = 1) -> None:
    """Steps every basin n times, side by side on a pool of threads."""

def targets() -> list[str]:
    """The vector targets this processor offers, the default first."""

def use_target(name: str) -> None:
    """Selects the vector target of every kernel, process-wide."""

def target() -> str:
    """The name of the target in use."""

def solvers() -> list[str]:
    """The same as targets()."""

def use_solver(name: str) -> None:
    """The same as use_target(name)."""

def solver() -> str:
    """The same as target()."""

# The program's own 160 x 160 basin.

color_mode: int
"""The program basin's colour mode, 0 to 6; other values raise ValueError."""

def field(name: str) -> npt.NDArray[np.float32]:
    """The named field as a (160, 160) float32 view [y, x] of the program basin's memory."""

def step(n: SupportsIndex = 1) -> None:
    """Runs n steps of the program's basin without holding the GIL."""

def add_drop(cx: SupportsIndex, cy: SupportsIndex, radius: SupportsIndex,
             increment: SupportsFloat) -> None:
    """Raises the 2r x 2r patch around (cx, cy) by increment, clipped, capped at 1.1."""

def random_drop() -> None:
    """A drop at a random place, as the program's 'd' key makes it."""

def seed(s: SupportsIndex) -> None:
    """Seeds the program basin's drop generator; s is 0 to 2**32-1."""

def reset() -> None:
    """The return to rest: h = 1, every other field 0."""

def ranges() -> dict[str, float]:
    """The 18 range variables by name, as the latest step left them."""

def dump() -> bytes:
    """The state as the replay tool's 'dump' writes it (819,272 bytes)."""

def state_hash() -> int:
    """64-bit FNV-1a of dump(), as the replay tool's 'hash' prints it."""
