"""Measures the solver's physics against theory, through the Python module, and
writes the figures docs/physics/*.png and the page docs/physics.md with the
numbers it measured.

    PYTHONPATH=build/python /usr/bin/python3 tools/physics.py [--docs DOCS]

Needs Debian's python3-numpy and python3-matplotlib and a build of the module.
"""

import argparse
import os

import numpy as np
import ripplemoor as rm

from ripplemoor_dev import physics_page
from ripplemoor_dev import wave_theory as theory

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

N = rm.GRID_SIZE
INTERIOR = slice(1, N - 1)


def rest():
    rm.reset()
    rm.color_mode = 0


# --- wave speed --------------------------------------------------------------------


def measured_period(mode_x, mode_y, amplitude=1e-3, steps=None):
    """Period in steps of the basin's standing mode (mode_x, mode_y), from the
    zero crossings of the mode's amplitude (the height projected onto it)."""
    rest()
    h = rm.field("h")
    shape = theory.standing_mode(mode_x, mode_y)
    weights = (shape / (shape * shape).sum()).astype(np.float64)
    h[INTERIOR, INTERIOR] = 1 + amplitude * shape
    expected = 2 * np.pi / theory.discrete_omega_dt(theory.mode_kdx(mode_x), theory.mode_kdx(mode_y))
    if steps is None:
        steps = int(min(max(40 * expected, 400), 6000))
    series = np.empty(steps + 1)
    def amplitude_now():
        return ((h[INTERIOR, INTERIOR] - np.float32(1)) * weights).sum()
    series[0] = amplitude_now()
    for n in range(1, steps + 1):
        rm.step(1)
        series[n] = amplitude_now()
    return theory.period_from_crossings(series), expected


def wave_speed(figures):
    import matplotlib.pyplot as plt
    straight = [1, 2, 4, 8, 16, 24, 32, 48, 64, 80, 96, 112, 128, 144, 157]
    diagonal = [1, 4, 16, 32, 64, 96, 128, 157]
    rows = []
    for mx, my in [(m, 0) for m in straight] + [(m, m) for m in diagonal]:
        period, expected = measured_period(mx, my)
        kdx = np.hypot(theory.mode_kdx(mx), theory.mode_kdx(my))
        rows.append((mx, my, kdx, period, expected))
    rows = np.array(rows)
    errors = np.abs(rows[:, 3] / rows[:, 4] - 1)

    kdx = np.linspace(1e-3, np.pi * np.sqrt(2), 400)
    fig, ax = plt.subplots(figsize=(7, 4.5))
    along = kdx <= np.pi
    ax.plot(kdx[along], theory.discrete_phase_speed(kdx[along], 0 * kdx[along]), "C0",
            label="scheme, waves along x")
    ax.plot(kdx, theory.discrete_phase_speed(kdx / np.sqrt(2), kdx / np.sqrt(2)), "C1",
            label="scheme, diagonal waves")
    ax.axhline(theory.C_HALF, color="k", ls="--", lw=1, label="continuum √(g·H/2)")
    ax.axhline(np.sqrt(theory.G * theory.H), color="grey", ls=":", lw=1,
               label="shallow water √(g·H), not what the code solves")
    for sel, colour, name in [(rows[:, 1] == 0, "C0", "along x"), (rows[:, 1] > 0, "C1", "diagonal")]:
        speed = theory.phase_speed_from_period(rows[sel, 2], rows[sel, 3])
        ax.plot(rows[sel, 2], speed, "o", color=colour, mfc="none", label="measured, " + name)
    ax.set_xlabel("k·Δx (wavelength 2π/(k·Δx) cells)")
    ax.set_ylabel("phase speed ω/k")
    ax.set_ylim(0, 3.4)
    ax.set_title("Phase speed of small standing waves (amplitude 0.001)")
    ax.legend(fontsize=8, loc="lower left")
    fig.tight_layout()
    fig.savefig(os.path.join(figures, "wave-speed.png"), dpi=100)
    plt.close(fig)
    shortest = rows[(rows[:, 0] == 157) & (rows[:, 1] == 0)][0]
    return {
        "modes": len(rows),
        "max_period_error": errors.max(),
        "longest_period": rows[0, 3],
        "shortest_period": shortest[3],
        "shortest_speed_ratio": theory.phase_speed_from_period(shortest[2], shortest[3]) / theory.C_HALF,
        "courant": theory.COURANT,
    }


# --- a drop's ring -----------------------------------------------------------------


def ring(figures):
    import matplotlib.pyplot as plt
    rest()
    cx = cy = 80
    rm.add_drop(cx, cy, 2, 0.05)
    h = rm.field("h")
    y, x = np.mgrid[0:N, 0:N]
    # Centre of the 2 x 2 patch (cells cx-2..cx+1) in cell units.
    radius = np.hypot(x - (cx - 0.5), y - (cy - 0.5))
    bins = np.arange(0, 80, 1.0)
    which = np.digitize(radius.ravel(), bins)
    times, fronts, profiles = [], [], []
    for n in range(0, 141):
        if n >= 20 and n % 5 == 0:
            eta = h.ravel() - 1
            profile = np.array([eta[which == b].mean() if np.any(which == b) else 0
                                for b in range(1, len(bins))])
            times.append(n)
            fronts.append(theory.front_radius(bins[:-1] + 0.5, profile))
            if n in (35, 70, 105, 140):
                profiles.append((n, profile))
        rm.step(1)
    times, fronts = np.array(times), np.array(fronts)
    slope, offset = np.polyfit(times, fronts, 1)
    speed = slope * theory.DX / theory.DT  # cells per step to length per time

    fig, (left, right) = plt.subplots(1, 2, figsize=(10, 4))
    for n, profile in profiles:
        left.plot(bins[:-1] + 0.5, profile, label="step %d" % n)
    left.set_xlabel("distance from the drop (cells)")
    left.set_ylabel("mean of h − 1 over the circle")
    left.legend(fontsize=8)
    left.set_title("Ring profiles")
    right.plot(times, fronts, "o", mfc="none", label="measured front")
    right.plot(times, offset + theory.C_HALF * times * theory.DT / theory.DX, "k--",
               label="√(g·H/2)·t (+ start radius)")
    right.plot(times, offset + np.sqrt(theory.G) * times * theory.DT / theory.DX, ":", color="grey",
               label="√(g·H)·t")
    right.set_xlabel("step")
    right.set_ylabel("front radius (cells)")
    right.legend(fontsize=8)
    right.set_title("Front of the ring: %.3f against √(g·H/2) = %.3f" % (speed, theory.C_HALF))
    fig.tight_layout()
    fig.savefig(os.path.join(figures, "ring.png"), dpi=100)
    plt.close(fig)
    return {"front_speed": speed, "front_ratio": speed / theory.C_HALF}


# --- volume ------------------------------------------------------------------------


def volume_drift(steps, every, seed):
    """Relative drift of the interior's volume, less what the drops added, after
    each of steps steps with a random drop before every every-th one; and the
    start volume and what the drops added."""
    rest()
    rm.seed(seed)
    h = rm.field("h")
    start = h[INTERIOR, INTERIOR].sum(dtype=np.float64)
    added = 0.0
    drift = np.empty(steps + 1)
    drift[0] = 0
    for n in range(1, steps + 1):
        if (n - 1) % every == 0:
            before = h[INTERIOR, INTERIOR].sum(dtype=np.float64)
            rm.random_drop()
            added += h[INTERIOR, INTERIOR].sum(dtype=np.float64) - before
        rm.step(1)
        drift[n] = (h[INTERIOR, INTERIOR].sum(dtype=np.float64) - start - added) / start
    return drift, start, added


def volume(figures, steps=10000, every=100, seed=1):
    import matplotlib.pyplot as plt
    drift, start, added = volume_drift(steps, every, seed)
    fig, ax = plt.subplots(figsize=(7, 4))
    ax.plot(np.arange(steps + 1), drift * 1e6)
    ax.set_xlabel("step (a random drop every %d)" % every)
    ax.set_ylabel("volume drift, parts per million")
    ax.set_title("Σh over the interior, less what the drops added")
    fig.tight_layout()
    fig.savefig(os.path.join(figures, "volume.png"), dpi=100)
    plt.close(fig)
    return {"final_drift": drift[-1], "max_drift": np.abs(drift).max(), "added": added,
            "start": start, "drops": steps // every}


# --- energy ------------------------------------------------------------------------


def energies(depth):
    """The issue's energy ½g(h−H)² + ½H|u|² and the one the scheme's equations
    conserve, ½g(h−H)² + ¼H|u|², summed over the basin (per unit cell area)."""
    h, u, v = rm.field("h"), rm.field("u"), rm.field("v")
    eta = h[INTERIOR, INTERIOR].astype(np.float64) - depth
    potential = 0.5 * theory.G * (eta * eta).sum()
    kinetic = 0.5 * depth * ((u.astype(np.float64) ** 2).sum() + (v.astype(np.float64) ** 2).sum())
    return potential + kinetic, potential + 0.5 * kinetic


def energy_after_drop(steps=10000, every=10):
    rest()
    rm.add_drop(80, 80, 5, 0.1)
    depth = rm.field("h")[INTERIOR, INTERIOR].mean(dtype=np.float64)
    t, plain, own = [], [], []
    for n in range(0, steps + 1, every):
        e = energies(depth)
        t.append(n), plain.append(e[0]), own.append(e[1])
        rm.step(every)
    return np.array(t), np.array(plain), np.array(own), depth


def mode_damping(mode, amplitude, span=3000):
    """e-folding time in steps of a standing mode's energy (the conserved form),
    from its means over whole half periods before and after span steps."""
    rest()
    rm.field("h")[INTERIOR, INTERIOR] = 1 + amplitude * theory.standing_mode(mode, 0)
    half_period = np.pi / theory.discrete_omega_dt(theory.mode_kdx(mode), 0)
    window = int(round(np.ceil(200 / half_period) * half_period))

    def mean_energy():
        total = 0.0
        for _ in range(window):
            rm.step(1)
            total += energies(1.0)[1]
        return total / window
    before = mean_energy()
    rm.step(span - window)
    after = mean_energy()
    return np.inf if after >= before else -span / np.log(after / before)


def energy(figures):
    import matplotlib.pyplot as plt
    t, plain, own, depth = energy_after_drop()
    window = 50  # 500 steps
    # The square drop's sharpest edges are gone within a few hundred steps; the
    # rest decays slowly: the fit starts at step 2,000.
    tau_plain, start_plain = theory.efolding_fit(t, plain, window, start=2000)
    tau_own, _ = theory.efolding_fit(t, own, window, start=2000)
    kept_500 = theory.smooth(own, window)[0] / own[0]
    rises = theory.smoothed_rises(plain, window)
    sample_rises = int((np.diff(plain) > 0).sum())

    fig, ax = plt.subplots(figsize=(7, 4))
    ax.semilogy(t, plain / plain[0], lw=0.6, label="½g(h−H)² + ½H(u²+v²)")
    ax.semilogy(t, own / own[0], lw=0.6, label="½g(h−H)² + ¼H(u²+v²) (conserved by the equations)")
    ax.semilogy(t, start_plain * np.exp(-t / tau_plain) / plain[0], "k--", lw=1,
                label="fit from step 2,000: e^(−t/%.0f)" % tau_plain)
    ax.set_xlabel("step")
    ax.set_ylabel("energy / energy at the drop")
    ax.set_title("Energy after one drop (radius 5, +0.1 at the centre)")
    ax.legend(fontsize=8)
    fig.tight_layout()
    fig.savefig(os.path.join(figures, "energy.png"), dpi=100)
    plt.close(fig)

    modes = [4, 8, 16, 32, 64, 100, 140]
    amplitudes = [1e-4, 3e-4, 1e-3, 3e-3, 1e-2, 3e-2]
    by_mode = [(m, mode_damping(m, 1e-3)) for m in modes]
    by_amplitude = [(a, mode_damping(32, a)) for a in amplitudes]
    fig, (left, right) = plt.subplots(1, 2, figsize=(10, 4))
    lengths = [2 * 158 / m for m, _ in by_mode]
    left.loglog(lengths, [tau for _, tau in by_mode], "o-")
    left.set_xlabel("wavelength (cells)")
    left.set_ylabel("e-folding time of the energy (steps)")
    left.set_title("Standing waves of amplitude 0.001")
    taus = np.array([tau for _, tau in by_amplitude])
    right.loglog(amplitudes, taus, "o-", color="C1", label="measured")
    right.loglog(amplitudes, taus[0] * amplitudes[0] / np.array(amplitudes), "k--", lw=1,
                 label="∝ 1/amplitude")
    right.set_xlabel("amplitude")
    right.set_title("Wavelength %.2f cells (mode 32), by amplitude" % (2 * 158 / 32))
    right.legend(fontsize=8)
    fig.tight_layout()
    fig.savefig(os.path.join(figures, "damping.png"), dpi=100)
    plt.close(fig)
    return {"tau_plain": tau_plain, "tau_own": tau_own, "kept_500": kept_500, "depth": depth, "rises": rises,
            "sample_rises": sample_rises, "samples": len(plain),
            "by_mode": by_mode, "by_amplitude": by_amplitude,
            "ratio_spread": (plain / own).min(), "ratio_top": (plain / own).max()}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--docs", default=os.path.join(ROOT, "docs"),
                        help="folder that receives physics.md and physics/ (default: docs/)")
    args = parser.parse_args()
    import matplotlib
    matplotlib.use("Agg")
    figures = os.path.join(args.docs, "physics")
    os.makedirs(figures, exist_ok=True)
    rm.use_solver(rm.solvers()[0])
    numbers = {"solver": rm.solver()}
    for name, measure in [("speed", wave_speed), ("ring", ring), ("volume", volume),
                          ("energy", energy)]:
        numbers[name] = measure(figures)
        print(name, numbers[name], flush=True)
    with open(os.path.join(args.docs, "physics.md"), "w") as f:
        f.write(physics_page.render(numbers))
    print("wrote", os.path.join(args.docs, "physics.md"), "and", figures)


if __name__ == "__main__":
    main()
