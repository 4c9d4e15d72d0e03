#pragma once

// The reference of ripplemoor._core as Python shows it (help(), inspect, the
// documentation site). Each function's text opens with its signature line,
// "name(self, ...)" for a method so that a bound method shows every parameter
// after self; the sections follow numpydoc, and the Examples run as doctests in
// the module's tests.

namespace ripplemoor_python::doc {

constexpr const char* BASIN = R"doc(A basin of water on a staggered grid of width x height cells.

h lies at the cell centres, u on the face between cells (x-1, y) and (x, y),
v on the face between (x, y-1) and (x, y). Each basin is independent: basins
in different threads step in parallel, each under its own lock.

Parameters
----------
width, height : int
    Cells along x and y, at least 3 each.
cell_size : float
    The width of a cell.
timestep : float
    Simulated time per step.
gravity : float
    The gravitational acceleration of the velocity update, kept as a double.
rest_height : float
    The level of water at rest, which reset() returns to.
threads : int or None
    How many threads step() uses: None picks every core for basins of
    512 x 512 cells or more, where the bands pay for their start, and one
    thread below. Every count gives the same bits.
conserve_volume : bool
    Hand the volume that the step's scheme gains or loses back to the water
    as a uniform shift (see conserve_volume); off by default.

Raises
------
ValueError
    For a size below 3, a setting that is not finite and positive (cell_size,
    timestep and rest_height are rounded to float32 as the solver uses them,
    and must stay so), or fields that would not fit in this machine's memory,
    checked before anything is allocated.
TypeError
    For a size or thread count that is not an integer, or a setting that is
    not a real number.

Examples
--------
>>> import ripplemoor as rm
>>> basin = rm.Basin(64, 48, timestep=0.05)
>>> basin
ripplemoor.Basin(64, 48, cell_size=0.3125, timestep=0.05000000074505806, gravity=10.0, rest_height=1.0, threads=None)
>>> basin.h.shape
(48, 64)
>>> basin.add_drop(32, 24, 3, 0.05)
>>> basin.step(50)
>>> print(f"{basin.h.max():.4f}")
1.0096
)doc";

constexpr const char* INIT = "__init__(self, width=160, height=160, *, cell_size=0.3125, timestep=0.0625, "
                             "gravity=10.0, rest_height=1.0, threads=None, conserve_volume=False)\n--\n\n"
                             "A new basin at rest; see the class.";

constexpr const char* CONSERVE_VOLUME = R"doc(Whether the step keeps the water's volume.

The scheme's height equation keeps the integral of h squared, not of h, so the
sum of h over the water drifts by parts per million over thousands of steps.
With this on, each step hands what its advection and height update changed in
that sum back to the water cells as a uniform shift, once it reaches a float
step of the rest level per cell; what the shift really added is kept in the
account, so the sum stays within about one float step per cell of where it
was. Drops, sources and the sponge still change the volume. Off, the step is
bit for bit the plain one; on, it gives the same bits on every target and
thread count. Copies and pickles keep the setting and the volume still owed;
reset() clears what is owed.)doc";

constexpr const char* FIELD = R"doc(field(self, name)
--

The field called name, as a view of the basin's own memory.

It is not a copy: writes take effect in the next step, and the view stays
valid, and keeps the basin alive, for as long as it lives, reset() included.
The attributes h, u, v, ... give the same views.

Parameters
----------
name : str
    One of h, u, v, heightChange, heightAccel, speedSq, flowDirection,
    energyProduct and scratch (FIELD_NAMES).

Returns
-------
numpy.ndarray
    A writable float32 array of shape (height, width), indexed [y, x] for
    cell (x, y).

Raises
------
ValueError
    For an unknown name.

Examples
--------
>>> import numpy as np, ripplemoor as rm
>>> basin = rm.Basin(5, 4)
>>> h = basin.field("h")
>>> h.shape, h.dtype
((4, 5), dtype('float32'))
>>> h[2, 1] = 1.5                  # cell (1, 2)
>>> np.shares_memory(h, basin.h)
True
)doc";

constexpr const char* STEP = R"doc(step(self, n=1)
--

Runs n whole simulation steps.

Each step advects h, u and v, updates the height and then the velocities, and
copies the border. It runs without holding the GIL, under the basin's own
lock, and looks for Ctrl-C between chunks of 1024 steps.

Parameters
----------
n : int
    How many steps, 0 or more.

Raises
------
ValueError
    For n below 0.
KeyboardInterrupt
    On Ctrl-C, after the chunk in progress: the basin is left between two
    whole steps.

Examples
--------
>>> import ripplemoor as rm
>>> one, many = rm.Basin(20, 20), rm.Basin(20, 20)
>>> for basin in (one, many):
...     basin.add_drop(10, 10, 2, 0.05)
>>> for _ in range(30):
...     one.step()
>>> many.step(30)
>>> one.state_hash() == many.state_hash()
True
)doc";

constexpr const char* ADD_DROP = R"doc(add_drop(self, cx, cy, radius, increment)
--

Raises a square patch of h by increment, capping each cell at 1.1 times the
rest height.

The patch is the 2r x 2r cells of columns cx-r to cx+r-1 and rows cy-r to
cy+r-1 (r = radius). It is clipped at the basin's edges and skips walls. A
cell already at or above the cap stays as it is, so on water at rest a drop
adds at most a tenth of the rest height.

Parameters
----------
cx, cy : int
    The column and row that the patch is centred on; any int, the patch is
    clipped.
radius : int
    Half the patch's side, 1 or more.
increment : float
    What each cell gains, before the cap.

Raises
------
ValueError
    For a radius below 1.

Examples
--------
>>> import ripplemoor as rm
>>> basin = rm.Basin(10, 10)
>>> basin.add_drop(5, 5, 2, 0.05)
>>> print(basin.h[3:7, 3:7].min(), basin.h[2, 5])
1.05 1.0
>>> basin.add_drop(5, 5, 2, 0.5)   # capped at 1.1 x the rest height
>>> print(basin.h.max())
1.1
)doc";

constexpr const char* RANDOM_DROP = R"doc(random_drop(self)
--

A drop at a random place of the basin, from four draws of its own generator.

The place spans the basin, the radius is up to 5 % of its shorter side (at
least 1) and the increment lies in [0.01, 0.07). seed() makes the drops
repeat.

Examples
--------
>>> import ripplemoor as rm
>>> a, b = rm.Basin(50, 40), rm.Basin(50, 40)
>>> for basin in (a, b):
...     basin.seed(3)
...     basin.random_drop()
>>> a.state_hash() == b.state_hash() != rm.Basin(50, 40).state_hash()
True
)doc";

constexpr const char* SEED = R"doc(seed(self, s)
--

Seeds the basin's drop generator.

It then draws what the GNU C library's rand() draws after srand(s).

Parameters
----------
s : int
    0 to 2**32 - 1.

Raises
------
ValueError
    For s outside 0 to 2**32 - 1.
)doc";

constexpr const char* RESET = R"doc(reset(self)
--

The return to rest: h is the rest height (0 in walls), every other field 0.

The colour mode, the ranges, the walls and the generator stay, and views stay
valid. After writing walls, reset() drains them.

Examples
--------
>>> import ripplemoor as rm
>>> basin = rm.Basin(8, 8, rest_height=2.0)
>>> basin.walls[:, 4] = True
>>> basin.reset()
>>> print(basin.h[0, 3], basin.h[0, 4])
2.0 0.0
)doc";

constexpr const char* RANGES = R"doc(ranges(self)
--

The 18 range variables, as the latest step left them.

Returns
-------
dict of str to float
    hMax, hMin, hScale, heightChangeMax, ..., energyProductScale: the maximum,
    minimum and scale (1 / (max - min)) over the interior water of each
    colour mode's quantity. Only the mode in force is updated by a step.

Examples
--------
>>> import ripplemoor as rm
>>> basin = rm.Basin(16, 16)
>>> basin.color_mode = 1
>>> basin.add_drop(8, 8, 2, 0.05)
>>> basin.step()
>>> r = basin.ranges()
>>> len(r), r["hMin"], round(r["hMax"], 4), round(r["hScale"], 2)
(18, 1.0, 1.05, 20.0)
)doc";

constexpr const char* DUMP = R"doc(dump(self)
--

The state, as the replay tool's dump command writes it.

Returns
-------
bytes
    h, u, v, heightChange, heightAccel, speedSq, flowDirection and
    energyProduct, width x height little-endian float32 each, then the 18
    range variables.

Examples
--------
>>> import ripplemoor as rm
>>> len(rm.Basin(10, 7).dump()) == (8 * 10 * 7 + 18) * 4
True
)doc";

constexpr const char* STATE_HASH = R"doc(state_hash(self)
--

The 64-bit FNV-1a hash of dump(), which the replay tool's hash command prints
in hexadecimal ("basin 3 3" then "hash" prints fnv1a64 61b8802e65687508).

Returns
-------
int

Examples
--------
>>> import ripplemoor as rm
>>> f"{rm.Basin(3, 3).state_hash():016x}"
'61b8802e65687508'
)doc";

constexpr const char* COPY = R"doc(copy(self)
--

An independent basin with the same configuration, fields, walls, colour mode,
ranges and generator state: its next steps give this one's bits. copy.copy(),
copy.deepcopy() and pickle give the same.

Returns
-------
Basin

Examples
--------
>>> import ripplemoor as rm
>>> basin = rm.Basin(30, 20)
>>> basin.random_drop()
>>> twin = basin.copy()
>>> basin.step(10); twin.step(10)
>>> twin.state_hash() == basin.state_hash()
True
)doc";

constexpr const char* STEP_ALL = R"doc(step_all(basins, n=1)
--

Steps every basin of a sequence n times, the basins side by side.

The basins run on a pool of threads, one per core, without the GIL, each
under its own lock; the call returns when all are done. Each basin ends as if
stepped alone.

Parameters
----------
basins : sequence of Basin
    Each basin at most once.
n : int
    How many steps each, 0 or more.

Raises
------
ValueError
    For a basin listed twice, or n below 0.
TypeError
    For something other than a sequence of Basin.

Examples
--------
>>> import ripplemoor as rm
>>> basins = [rm.Basin(40, 30), rm.Basin(25, 60)]
>>> alone = [b.copy() for b in basins]
>>> rm.step_all(basins, 20)
>>> for b in alone:
...     b.step(20)
>>> [b.dump() for b in basins] == [b.dump() for b in alone]
True
)doc";

constexpr const char* TARGETS = R"doc(targets()
--

The vector targets this processor offers, as ripplemoor-replay --target list
prints them: the kernels' instruction sets, the default first, then
'portable', the plain loops. Every one gives the same bits.

Returns
-------
list of str

Examples
--------
>>> import ripplemoor as rm
>>> rm.targets()[-1]
'portable'
)doc";

constexpr const char* USE_TARGET = R"doc(use_target(name)
--

Selects the target of every kernel, for the whole process.

Parameters
----------
name : str
    One of targets().

Raises
------
ValueError
    For a name that this processor does not offer.

Examples
--------
>>> import ripplemoor as rm
>>> rm.use_target("portable")
>>> rm.target()
'portable'
>>> rm.use_target(rm.targets()[0])
)doc";

constexpr const char* TARGET = R"doc(target()
--

The name of the target in use (see targets()).

Returns
-------
str
)doc";

constexpr const char* SOLVERS = "solvers()\n--\n\nDeprecated: use targets().";
constexpr const char* USE_SOLVER = "use_solver(name)\n--\n\nDeprecated: use use_target(name).";
constexpr const char* SOLVER = "solver()\n--\n\nDeprecated: use target().";

} // namespace ripplemoor_python::doc
