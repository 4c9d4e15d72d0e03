#!/usr/bin/python3
"""The simulation step written with Numba, as a Python user who wants speed
would write it without the module: plain loops under @njit(parallel=True), the
rows of each stage spread over the cores with prange. Checked against the module
bit for bit and timed beside it:

    PYTHONPATH=build/python /usr/bin/python3 bench/numba_step.py [--sizes 160 512 ...] [--target AVX2]

Colour mode 0 only: the other modes add fields that no later stage reads, so
they would change the cost a little and the agreement not at all. No walls.

For every size it prints ms per step and ns per cell per step of the Numba step
on one thread and on every core, of ripplemoor.Basin with threads=1 and
threads=every core, and how many times faster the module is at each count.
Both run their threads on OpenMP (Numba's omp layer here, libgomp in the module),
whose threads spin while they wait: on a machine busy with other work the
figures on several threads mean little, and OMP_WAIT_POLICY=PASSIVE spares them
the worst of it.
"""

import argparse
import os
import time

import numpy as np
from numba import njit, prange
import numba

import ripplemoor as rm

f32 = np.float32
f64 = np.float64


@njit
def departure(cell, velocity, dt, inv, last):
    """Where the flow at cell came from one step ago, clamped to 0 .. last
    (NaN to 0), as a float32."""
    p = f32(cell - dt * velocity * inv)
    if not (p > 0):
        p = f32(0)
    if p > last:
        p = f32(last)
    return p


@njit
def bilinear(f, px, py):
    """f at (px, py); neighbours past the last column or row count as zero."""
    height, width = f.shape
    ix, iy = int(px), int(py)
    fx, fy = f32(px - f32(ix)), f32(py - f32(iy))
    gx, gy = f32(1.0 - fx), f32(1.0 - fy)
    right, up = ix < width - 1, iy < height - 1
    f00 = f64(f[iy, ix])
    f10 = f64(f[iy, ix + 1]) if right else 0.0
    f01 = f64(f[iy + 1, ix]) if up else 0.0
    f11 = f64(f[iy + 1, ix + 1]) if right and up else 0.0
    return f32(fx * (f10 * gy + f11 * fy) + (gy * f00 + fy * f01) * gx)


@njit(parallel=True)
def advect(f, out, kind, u, v, dt, inv):
    """f carried along (u, v) for one step; kind 0 is h (cell centres), 1 u, 2 v
    (faces), which says how the velocity at f's points is averaged. Samples go to
    out first so that no sample reads another's result."""
    height, width = f.shape
    for y in prange(1, height - 1):
        for x in range(1, width - 1):
            if kind == 0:
                vx = f32((f64(u[y, x + 1]) + u[y, x]) * 0.5)
                vy = f32((f64(v[y + 1, x]) + v[y, x]) * 0.5)
            elif kind == 1:
                vx = u[y, x]
                vy = f32((f64(v[y, x]) + v[y, x + 1] + v[y + 1, x] + v[y + 1, x + 1]) * 0.25)
            else:
                vx = f32((f64(u[y, x + 1]) + u[y, x] + u[y + 1, x] + u[y + 1, x + 1]) * 0.25)
                vy = v[y, x]
            px = departure(x, vx, dt, inv, width - 1)
            py = departure(y, vy, dt, inv, height - 1)
            out[y, x] = bilinear(f, px, py)
    for y in prange(1, height - 1):
        for x in range(1, width - 1):
            f[y, x] = out[y, x]


@njit(parallel=True)
def update_height(h, u, v, height_change, dt, inv):
    height, width = h.shape
    for y in prange(1, height - 1):
        for x in range(1, width - 1):
            divergence = (f64(v[y + 1, x]) - v[y, x]) + (f64(u[y, x + 1]) - u[y, x])
            d = f32(divergence * (f64(h[y, x]) * -0.5 * inv))
            height_change[y, x] = f32(dt * d)
            h[y, x] = f32(f64(height_change[y, x]) + h[y, x])


@njit(parallel=True)
def update_velocities(h, u, v, c):
    # The faces on the basin's outer walls stay as they are.
    height, width = h.shape
    for y in prange(1, height - 1):
        for x in range(2, width - 1):
            u[y, x] = f32(u[y, x] - (f64(h[y, x]) - h[y, x - 1]) * c)
    for y in prange(2, height - 1):
        for x in range(1, width - 1):
            v[y, x] = f32(v[y, x] - (f64(h[y, x]) - h[y - 1, x]) * c)


@njit
def copy_border(h):
    # Rows first, then columns: each corner ends with its diagonal inner neighbour.
    height, width = h.shape
    for x in range(width):
        h[0, x] = h[1, x]
        h[height - 1, x] = h[height - 2, x]
    for y in range(height):
        h[y, 0] = h[y, 1]
        h[y, width - 1] = h[y, width - 2]


@njit
def run(h, u, v, height_change, scratch, steps, dt, inv, gravity):
    c = dt * gravity * inv
    for _ in range(steps):
        advect(h, scratch, 0, u, v, dt, inv)
        advect(u, scratch, 1, u, v, dt, inv)
        advect(v, scratch, 2, u, v, dt, inv)  # along the u just advected
        update_height(h, u, v, height_change, dt, inv)
        update_velocities(h, u, v, c)
        copy_border(h)


class Peer:
    """The fields of a basin copied out of it, stepped by the Numba step with the
    basin's own constants (time step and 1 / cell size rounded to float32, as
    the solver stores them)."""

    def __init__(self, basin):
        self.fields = {name: basin.field(name).copy() for name in ("h", "u", "v", "heightChange")}
        self.scratch = np.zeros_like(self.fields["h"])
        self.dt = f64(f32(basin.timestep))
        self.inv = f64(f32(1.0 / f64(f32(basin.cell_size))))
        self.gravity = f64(basin.gravity)

    def step(self, n=1):
        f = self.fields
        run(f["h"], f["u"], f["v"], f["heightChange"], self.scratch, n, self.dt, self.inv, self.gravity)


def start_basin(width, height, threads=1):
    """A basin in colour mode 0 with two drops scaled to its size, the second
    off centre so that no symmetry hides a transposed index."""
    basin = rm.Basin(width, height, threads=threads)
    basin.color_mode = 0
    basin.reset()
    basin.add_drop(width // 2, height // 2, max(1, min(width, height) // 27), 0.35)
    basin.add_drop(width // 5, 3 * height // 4, max(1, min(width, height) // 40), 0.2)
    return basin


def agreement(width, height, steps):
    """Cells of each field where the Numba step differs from the module after
    steps steps from the same start."""
    basin = start_basin(width, height)
    peer = Peer(basin)
    peer.step(steps)
    basin.step(steps)
    return {name: int(np.count_nonzero(ours.view(np.uint32) != basin.field(name).view(np.uint32)))
            for name, ours in peer.fields.items()}


def best_time(step, steps, repeat, clock=time.perf_counter):
    best = float("inf")
    for _ in range(repeat):
        start = clock()
        step(steps)
        best = min(best, clock() - start)
    return best / steps


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--sizes", type=int, nargs="+", default=[160, 512, 1024, 2048, 4096])
    parser.add_argument("--work", type=float, default=1.5e7,
                        help="cell steps per timed run of the Numba step (the module's: 8 times this)")
    parser.add_argument("--repeat", type=int, default=3)
    parser.add_argument("--target", help="the module's vector target (ripplemoor.targets()), else its default")
    parser.add_argument("--clock", choices=["wall", "cpu"], default="wall",
                        help="cpu: the process's CPU time, which other work on a shared machine skews less; "
                             "on several threads it sums theirs, so it measures the work, not the speed-up")
    args = parser.parse_args()
    clock = time.process_time if args.clock == "cpu" else time.perf_counter
    if args.target:
        rm.use_target(args.target)

    cores = numba.config.NUMBA_NUM_THREADS
    differ = agreement(160, 160, 100)
    print("after 100 steps at 160 x 160 in mode 0, cells that differ from the module's: %s"
          % ", ".join("%s %d" % item for item in differ.items()))
    print("load: %s" % " ".join("%.2f" % x for x in os.getloadavg()))
    print("Numba %s; module target %s; %d cores; best of %d runs; %s time"
          % (numba.__version__, rm.target(), cores, args.repeat, args.clock))
    # The machine's load beside each row: other work skews a timing, most of all on several threads.
    print("%6s %8s | %12s %9s | %12s %9s | %7s | %5s" % ("size", "threads", "Numba ms", "ns/cell",
                                                          "module ms", "ns/cell", "ratio", "load"))
    for n in args.sizes:
        cells = n * n
        steps = max(2, int(args.work / cells))
        for threads in sorted({1, cores}):
            numba.set_num_threads(threads)
            basin = start_basin(n, n, threads=threads)
            peer = Peer(basin)
            peer.step(1)
            ours = best_time(peer.step, steps, args.repeat, clock)
            basin.step(1)
            theirs = best_time(basin.step, 8 * steps, args.repeat, clock)
            print("%6d %8d | %12.3f %9.2f | %12.3f %9.2f | %6.1fx | %5.2f"
                  % (n, threads, 1e3 * ours, 1e9 * ours / cells, 1e3 * theirs, 1e9 * theirs / cells,
                     ours / theirs, os.getloadavg()[0]), flush=True)
            del basin, peer
    print("Numba's threading layer: %s" % numba.threading_layer())


if __name__ == "__main__":
    main()
