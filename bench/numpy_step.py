"""The simulation step written as vectorised NumPy, as a Python user would write
it without the module, checked against the module and timed beside it and the
replay tool:

    PYTHONPATH=build/python /usr/bin/python3 bench/numpy_step.py \
        [--replay build/ripplemoor-replay]

Prints how far the NumPy fields are from the module's after some steps, and the
milliseconds per step of the module's step(2000), the replay tool's 2,000 steps
(less its start-up) and the NumPy step, all in one run.
"""

import argparse
import os
import subprocess
import time

import numpy as np
import ripplemoor as rm

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

N = 160
DT = np.float64(np.float32(rm.TIMESTEP))
INV_DX = np.float64(np.float32(1.0 / rm.CELL_SIZE))
G = np.float64(rm.GRAVITY)
I = slice(1, N - 1)  # the interior, rows and columns 1 to 158
f32 = np.float32


def sample_velocity(kind, u, v):
    """Velocity at the interior sample points of the field of the given kind
    (0 h, 1 u, 2 v), arrays [y, x], each averaged from the faces around it."""
    u, v = u.astype(np.float64), v.astype(np.float64)
    if kind == 0:
        return f32((u[I, 2:] + u[I, 1:-1]) * 0.5), f32((v[2:, I] + v[1:-1, I]) * 0.5)
    if kind == 1:
        return (u[I, I].astype(f32),
                f32((v[1:-1, 1:-1] + v[1:-1, 2:] + v[2:, 1:-1] + v[2:, 2:]) * 0.25))
    return (f32((u[1:-1, 2:] + u[1:-1, 1:-1] + u[2:, 1:-1] + u[2:, 2:]) * 0.25),
            v[I, I].astype(f32))


def advect(f, kind, u, v):
    # In double, as the solver does: NumPy would keep a float32 array times a
    # float64 scalar in float32.
    vx, vy = (a.astype(np.float64) for a in sample_velocity(kind, u, v))
    y, x = np.mgrid[1:N - 1, 1:N - 1]
    # Departure points, clamped to the grid (NaN to 0).
    px = f32(x - (DT * vx) * INV_DX)
    py = f32(y - (DT * vy) * INV_DX)
    px = np.where(px > 0, np.minimum(px, f32(N - 1)), f32(0))
    py = np.where(py > 0, np.minimum(py, f32(N - 1)), f32(0))
    ix, iy = px.astype(np.int64), py.astype(np.int64)
    fx, fy = f32(px - ix), f32(py - iy)
    gx, gy = f32(1.0 - fx.astype(np.float64)), f32(1.0 - fy.astype(np.float64))
    # Neighbours past the last column or row count as zero.
    padded = np.zeros((N + 1, N + 1))
    padded[:N, :N] = f
    f00, f10 = padded[iy, ix], padded[iy, ix + 1]
    f01, f11 = padded[iy + 1, ix], padded[iy + 1, ix + 1]
    fx, fy, gx, gy = (a.astype(np.float64) for a in (fx, fy, gx, gy))
    f[I, I] = f32(fx * (f10 * gy + f11 * fy) + (gy * f00 + fy * f01) * gx)


def step(h, u, v, height_change):
    """One step in colour mode 0, in place: advect h, u, v; heights; velocities;
    border."""
    advect(h, 0, u, v)
    advect(u, 1, u, v)
    advect(v, 2, u, v)
    h64 = h[I, I].astype(np.float64)
    divergence = ((v[2:, I].astype(np.float64) - v[1:-1, I]) + (u[I, 2:].astype(np.float64) - u[I, 1:-1]))
    d = f32(divergence * (h64 * -0.5 * INV_DX))
    height_change[I, I] = f32(DT * d.astype(np.float64))
    h[I, I] = f32(height_change[I, I].astype(np.float64) + h64)
    c = (DT * G) * INV_DX
    hd = h.astype(np.float64)
    u[1:-1, 2:-1] = f32(u[1:-1, 2:-1] - (hd[1:-1, 2:-1] - hd[1:-1, 1:-2]) * c)
    v[2:-1, 1:-1] = f32(v[2:-1, 1:-1] - (hd[2:-1, 1:-1] - hd[1:-2, 1:-1]) * c)
    h[0, :], h[N - 1, :] = h[1, :], h[N - 2, :]
    h[:, 0], h[:, N - 1] = h[:, 1], h[:, N - 2]


def start_state():
    rm.use_target(rm.targets()[0])
    rm.color_mode = 0
    rm.reset()
    rm.add_drop(80, 80, 6, 0.35)
    rm.add_drop(30, 120, 4, 0.2)


def agreement(steps):
    start_state()
    fields = {name: rm.field(name).copy() for name in ("h", "u", "v", "heightChange")}
    for _ in range(steps):
        step(fields["h"], fields["u"], fields["v"], fields["heightChange"])
    rm.step(steps)
    report = {}
    for name, ours in fields.items():
        theirs = rm.field(name)
        scale = max(float(np.abs(theirs).max()), 1e-30)
        differ = int((ours != theirs).sum())
        report[name] = (differ, float(np.abs(ours - theirs).max()) / scale)
    return report


def timed(function, repeat):
    best = float("inf")
    for _ in range(repeat):
        start = time.perf_counter()
        function()
        best = min(best, time.perf_counter() - start)
    return best


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--replay", default=os.path.join(ROOT, "build", "ripplemoor-replay"))
    parser.add_argument("--steps", type=int, default=2000)
    parser.add_argument("--numpy-steps", type=int, default=200)
    parser.add_argument("--repeat", type=int, default=3)
    args = parser.parse_args()

    for name, (differ, relative) in agreement(100).items():
        print("after 100 steps, %-12s %5d of 25600 cells differ from the module's, "
              "largest difference %.2g of the field's largest value" % (name, differ, relative))

    script = "drop 80 80 6 0.35\ndrop 30 120 4 0.2\nstep %d\n"
    def replay(steps):
        subprocess.run([args.replay], input=script % steps, text=True, check=True)
    start_state()
    module = timed(lambda: rm.step(args.steps), args.repeat) / args.steps
    replay_total = timed(lambda: replay(args.steps), args.repeat)
    replay_start = timed(lambda: replay(0), args.repeat)
    replay_step = (replay_total - replay_start) / args.steps
    start_state()
    h, u, v, hc = (rm.field(n).copy() for n in ("h", "u", "v", "heightChange"))
    numpy = timed(lambda: [step(h, u, v, hc) for _ in range(args.numpy_steps)],
                  args.repeat) / args.numpy_steps
    print("solver %s; best of %d runs" % (rm.target(), args.repeat))
    print("module step(%d):      %.4f ms per step" % (args.steps, 1e3 * module))
    print("replay tool, %d steps: %.4f ms per step (%.1f ms start-up taken off)"
          % (args.steps, 1e3 * replay_step, 1e3 * replay_start))
    print("NumPy, %d steps:       %.4f ms per step (%.0f times the module)"
          % (args.numpy_steps, 1e3 * numpy, numpy / module))


if __name__ == "__main__":
    main()
