#!/usr/bin/python3
"""How fast a standing wave dies, against its amplitude: a parameter sweep on a
dask.distributed cluster, one basin per task.

    PYTHONPATH=build/python /usr/bin/python3 examples/dask_damping_sweep.py [--scheduler tcp://host:8786]

Without --scheduler it starts a LocalCluster on this machine, one worker process
per core. Each task gets a pickled Basin holding a standing wave of the given
amplitude, steps it on one thread, and returns the e-folding time of the wave's
energy and the basin's state hash. With --check the sweep runs again in this
process and the hashes are compared: a basin steps to the same bits on any
worker. Every worker needs the ripplemoor module and NumPy; run as a script,
this file's functions travel with the tasks.

The scheme's linear part is neutral; the damping comes from the advection's
interpolation over a displacement that grows with the velocity, so at small
amplitudes the e-folding time goes as 1 / amplitude.
"""

import argparse
import math
import os
import sys
import time

import numpy as np

import ripplemoor as rm

AMPLITUDES = [1e-4, 2e-4, 5e-4, 1e-3, 2e-3, 5e-3, 1e-2, 2e-2]


def standing_wave(amplitude, mode=32, size=160):
    """A basin at rest but for cos(mode·π·(x − ½) / (size − 2)) along x, of the
    given amplitude, on the interior cells."""
    basin = rm.Basin(size, size, threads=1)  # one worker per core: one thread each
    basin.reset()
    interior = size - 2
    x = np.arange(1, interior + 1) - 0.5
    basin.h[1:-1, 1:-1] = basin.rest_height + amplitude * np.cos(mode * math.pi * x / interior)
    return basin


def half_period(basin, mode):
    """Half a period in steps of the standing mode, from the scheme's dispersion
    relation cos(ω·Δt) = 1 − 2·a·b·sin²(k·Δx/2) with a = ½·H·Δt/Δx, b = g·Δt/Δx."""
    courant = basin.timestep / basin.cell_size
    ab = 0.5 * basin.rest_height * courant * basin.gravity * courant
    kdx = mode * math.pi / (basin.width - 2)
    return math.pi / math.acos(1 - 2 * ab * math.sin(kdx / 2) ** 2)


def energy(basin, work):
    """½·g·(h − H)² + ¼·H·(u² + v²) summed over the basin: the energy the
    scheme's equations conserve (the ½ of its height equation halves the
    kinetic part). work is a float64 array of the basin's shape, reused from
    call to call: temporaries this size come as fresh pages each time, and page
    faults cost more than the sums on some machines."""
    flat = work.reshape(-1)
    np.subtract(basin.h, basin.rest_height, out=work, dtype=np.float64)
    work[[0, -1], :] = 0  # the border only mirrors the interior
    work[:, [0, -1]] = 0
    potential = np.dot(flat, flat)
    np.copyto(work, basin.u)
    kinetic = np.dot(flat, flat)
    np.copyto(work, basin.v)
    kinetic += np.dot(flat, flat)
    return 0.5 * basin.gravity * potential + 0.25 * basin.rest_height * kinetic


def damping(basin, mode=32, span=3000):
    """Steps basin span steps; returns the e-folding time in steps of its energy,
    from the means over whole half periods (the energy swings between its two
    parts) at the start and span steps later, and the basin's state hash."""
    p = half_period(basin, mode)
    window = int(round(math.ceil(min(200, span // 2) / p) * p))
    work = np.empty(basin.h.shape)

    def mean_energy():
        total = 0.0
        for _ in range(window):
            basin.step(1)
            total += energy(basin, work)
        return total / window

    before = mean_energy()
    basin.step(span - window)
    after = mean_energy()
    tau = math.inf if after >= before else -span / math.log(after / before)
    return tau, basin.state_hash()


def sweep(amplitudes, client=None, mode=32, span=3000, size=160):
    """[(amplitude, e-folding time, state hash)] for each amplitude: on the
    cluster behind client, or in this process if client is None."""
    basins = [standing_wave(a, mode, size) for a in amplitudes]
    if client is None:
        results = [damping(b, mode, span) for b in basins]
    else:
        # The basins travel pickled, fields and all; pure=False: a task per basin.
        futures = client.map(damping, basins, mode=mode, span=span, pure=False)
        results = client.gather(futures)
    return [(a, tau, digest) for a, (tau, digest) in zip(amplitudes, results)]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--scheduler", help="address of a running dask scheduler, such as tcp://10.0.0.5:8786 "
                        "(default: a LocalCluster here, one worker process per core)")
    parser.add_argument("--amplitudes", type=float, nargs="+", default=AMPLITUDES)
    parser.add_argument("--mode", type=int, default=32, help="standing mode along x (32: about 9.9 cells a wave)")
    parser.add_argument("--span", type=int, default=3000, help="steps between the two energy means")
    parser.add_argument("--check", action="store_true", help="run the sweep in this process too and compare hashes")
    args = parser.parse_args()

    from dask.distributed import Client, LocalCluster  # only the example needs Dask

    cluster = None
    if args.scheduler:
        client = Client(args.scheduler)
    else:
        cluster = LocalCluster(n_workers=os.cpu_count(), threads_per_worker=1, processes=True,
                               dashboard_address=None)
        client = Client(cluster)
    try:
        workers = len(client.scheduler_info()["workers"])
        start = time.perf_counter()
        results = sweep(args.amplitudes, client, args.mode, args.span)
        elapsed = time.perf_counter() - start
    finally:
        client.close()
        if cluster is not None:
            cluster.close()

    print("mode %d, %d steps, on %d workers in %.1f s" % (args.mode, args.span, workers, elapsed))
    print("%10s %16s %12s %18s" % ("amplitude", "e-folding time", "× amplitude", "state hash"))
    for amplitude, tau, digest in results:
        print("%10g %10.0f steps %12.3g   %016x" % (amplitude, tau, tau * amplitude, digest))
    if args.check:
        start = time.perf_counter()
        here = sweep(args.amplitudes, None, args.mode, args.span)
        same = [r[2] for r in results] == [r[2] for r in here]
        print("in this process in %.1f s: %s" % (time.perf_counter() - start,
                                                  "the same hashes" if same else "DIFFERENT hashes"))
        return 0 if same else 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
