"""Measures the solver's physics against theory, through the Python module: each
measurement returns its numbers and draws its figure into a folder. The tests
check the numbers; docs/tools/physics.py writes them into the physics page.

Needs Debian's python3-numpy and python3-matplotlib and a build of the module.
"""

import os

import numpy as np
import ripplemoor as rm

from ripplemoor_dev import wave_theory as theory

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
    ax.set_ylabel("phase speed ω/k (length per time)")
    cells = ax.secondary_yaxis("right", functions=(lambda c: c * theory.DT / theory.DX,
                                                   lambda c: c * theory.DX / theory.DT))
    cells.set_ylabel("cells per step")
    ax.set_ylim(0, 3.4)
    ax.set_title("Phase speed of small standing waves (amplitude 0.001)")
    ax.legend(fontsize=8, loc="lower left")
    fig.tight_layout()
    fig.savefig(os.path.join(figures, "wave-speed.png"), dpi=100)
    plt.close(fig)
    shortest = rows[(rows[:, 0] == 157) & (rows[:, 1] == 0)][0]
    diagonal = rows[(rows[:, 0] == 157) & (rows[:, 1] == 157)][0]
    k = np.linspace(1e-4, np.pi, 2000)
    fastest = max(max((np.gradient(theory.discrete_omega_dt(k * np.cos(a), k * np.sin(a)), k)).max(),
                      (theory.discrete_omega_dt(k * np.cos(a), k * np.sin(a)) / k).max())
                  for a in np.linspace(0, np.pi / 4, 16)) * theory.DX / theory.DT
    return {
        "diagonal_period": diagonal[3],
        "fastest": fastest,
        "modes": len(rows),
        "max_period_error": errors.max(),
        "longest_period": rows[0, 3],
        "shortest_period": shortest[3],
        "shortest_speed_ratio": theory.phase_speed_from_period(shortest[2], shortest[3]) / theory.C_HALF,
        "courant": theory.COURANT,
    }


# --- a drop's ring -----------------------------------------------------------------


def leading_crest(radii, profile):
    """Radius of the outermost crest that reaches half the profile's largest
    value, to a fraction of a cell (a parabola through it and its neighbours)."""
    top = 0.5 * profile.max()
    for i in range(len(profile) - 2, 0, -1):
        p0, p1, p2 = profile[i - 1], profile[i], profile[i + 1]
        if p1 >= top and p1 >= p0 and p1 > p2:
            return radii[i] + (radii[1] - radii[0]) * 0.5 * (p0 - p2) / (p0 - 2 * p1 + p2)
    return np.nan


RING_THRESHOLDS = (0.05, 0.1, 0.5)


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
    radii = bins[:-1] + 0.5
    times, fronts, crests, profiles = [], [], [], []
    for n in range(0, 141):
        if n >= 20 and n % 5 == 0:
            eta = h.ravel() - 1
            profile = np.array([eta[which == b].mean() if np.any(which == b) else 0
                                for b in range(1, len(bins))])
            times.append(n)
            fronts.append([theory.front_radius(radii, profile, f) for f in RING_THRESHOLDS])
            crests.append(leading_crest(radii, profile))
            if n in (35, 70, 105, 140):
                profiles.append((n, profile))
        rm.step(1)
    times, fronts, crests = np.array(times), np.array(fronts), np.array(crests)
    to_speed = theory.DX / theory.DT  # cells per step to length per time
    slopes = [np.polyfit(times, fronts[:, i], 1) for i in range(len(RING_THRESHOLDS))]
    crest_slope = np.polyfit(times, crests, 1)
    c_cells = theory.C_HALF / to_speed

    fig, (left, right) = plt.subplots(1, 2, figsize=(10, 4))
    for n, profile in profiles:
        left.plot(radii, profile, label="step %d" % n)
    left.set_xlabel("distance from the drop (cells)")
    left.set_ylabel("mean of h − H over the circle (length)")
    left.legend(fontsize=8)
    left.set_title("Ring profiles")
    for i, f in enumerate(RING_THRESHOLDS):
        right.plot(times, fronts[:, i], "o", ms=4, mfc="none",
                   label="front at %g %%: %.3f" % (100 * f, slopes[i][0]))
    right.plot(times, crests, "s", ms=4, mfc="none", label="leading crest: %.3f" % crest_slope[0])
    right.plot(times, crest_slope[1] + c_cells * times, "k--", lw=1,
               label="√(g·H/2) = %.3f (through the crest's start)" % c_cells)
    right.set_xlabel("step")
    right.set_ylabel("radius (cells)")
    right.legend(fontsize=8, title="speeds in cells per step", title_fontsize=8)
    right.set_title("The ring's front and leading crest (cells per step)")
    fig.tight_layout()
    fig.savefig(os.path.join(figures, "ring.png"), dpi=100)
    plt.close(fig)
    speeds = {f: slopes[i][0] * to_speed for i, f in enumerate(RING_THRESHOLDS)}
    return {"front_speeds": speeds, "front_speed": speeds[0.1], "front_ratio": speeds[0.1] / theory.C_HALF,
            "crest_speed": crest_slope[0] * to_speed}


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


ISLANDS = [(40, 50), (100, 110), (110, 40)]


def basin_volume_drift(conserve, islands, steps=10000, every=100, seed=1):
    """As volume_drift, on a Basin of its own, with three 10 × 10 islands or
    none, and the volume keeper on or off; the sum over the water cells."""
    b = rm.Basin(N, N, threads=1, conserve_volume=conserve)
    for x, y in ISLANDS[:3 if islands else 0]:
        b.walls[y:y + 10, x:x + 10] = True
    b.reset()
    b.seed(seed)
    water = ~b.walls[INTERIOR, INTERIOR]
    total = lambda: float(b.h[INTERIOR, INTERIOR][water].sum(dtype=np.float64))
    start, added = total(), 0.0
    drift = np.empty(steps + 1)
    drift[0] = 0
    for n in range(1, steps + 1):
        if (n - 1) % every == 0:
            before = total()
            b.random_drop()
            added += total() - before
        b.step(1)
        drift[n] = (total() - start - added) / start
    return drift


def volume(figures, steps=10000, every=100, seed=1):
    import matplotlib.pyplot as plt
    drift, start, added = volume_drift(steps, every, seed)
    runs = {(keep, walled): basin_volume_drift(keep, walled, steps, every, seed)
            for keep in (False, True) for walled in (False, True)}
    fig, (left, right) = plt.subplots(1, 2, figsize=(11, 4))
    t = np.arange(steps + 1)
    for keep, ax in ((False, left), (True, right)):
        ax.plot(t, runs[keep, False] * 1e6, lw=0.8, label="open")
        ax.plot(t, runs[keep, True] * 1e6, lw=0.8, label="three islands")
        ax.set_xlabel("step (a random drop every %d)" % every)
        ax.set_ylabel("volume drift, parts per million")
        ax.legend(fontsize=8)
    left.set_title("Σh over the water, less what the drops added")
    right.set_title("the same with conserve_volume=True")
    fig.tight_layout()
    fig.savefig(os.path.join(figures, "volume.png"), dpi=80)
    plt.close(fig)
    kept = {"%s-%s" % ("kept" if k else "free", "walled" if w else "open"):
            {"final": float(d[-1]), "largest": float(np.abs(d).max())} for (k, w), d in runs.items()}
    return {"final_drift": drift[-1], "max_drift": np.abs(drift).max(), "added": added,
            "start": start, "drops": steps // every, "runs": kept}


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


def two_level_invariant(mode=100, amplitude=1e-4, steps=100):
    """How far two energies of a standing wave swing over steps steps, relative
    to their mean: the one-level ½g(h−H)² + ¼H|u|² and the two-level
    ½g·(h−H)ⁿ·(h−H)ⁿ⁺¹ + ¼H|uⁿ|², which the linearised step keeps exactly."""
    rest()
    h, u, v = rm.field("h"), rm.field("u"), rm.field("v")
    h[INTERIOR, INTERIOR] = 1 + amplitude * theory.standing_mode(mode, mode)
    one, two = [], []
    eta = h[INTERIOR, INTERIOR].astype(np.float64) - 1
    for _ in range(steps):
        kinetic = 0.25 * ((u.astype(np.float64) ** 2).sum() + (v.astype(np.float64) ** 2).sum())
        rm.step(1)
        after = h[INTERIOR, INTERIOR].astype(np.float64) - 1
        one.append(0.5 * theory.G * (eta * eta).sum() + kinetic)
        two.append(0.5 * theory.G * (eta * after).sum() + kinetic)
        eta = after
    def spread(e):
        # The swing about the slow decay (the finite waves' damping).
        n = np.arange(len(e))
        rest_of = np.log(e) - np.polyval(np.polyfit(n, np.log(e), 1), n)
        return float(np.exp(rest_of.max() - rest_of.min()) - 1)
    return {"mode": mode, "one_level": spread(one), "two_level": spread(two)}


def energy(figures):
    import matplotlib.pyplot as plt
    t, plain, own, depth = energy_after_drop()
    window = 50  # 500 steps
    # The square drop's sharpest edges are gone within a few hundred steps; the
    # rest decays slowly: the fit starts at step 2,000.
    tau_plain, start_plain = theory.efolding_fit(t, plain, window, start=2000)
    tau_own, _ = theory.efolding_fit(t, own, window, start=2000)
    # The rate falls as the waves shrink (damping grows with amplitude):
    # fits over the first and the last 3,000 steps of that span.
    tau_early, start_early = theory.efolding_fit(t, own, window, start=2000, stop=5000)
    tau_late, start_late = theory.efolding_fit(t, own, window, start=7000)
    kept_500 = theory.smooth(own, window)[0] / own[0]
    rises = theory.smoothed_rises(plain, window)
    sample_rises = int((np.diff(plain) > 0).sum())

    fig, ax = plt.subplots(figsize=(7, 4.6))
    ax.semilogy(t, plain / plain[0], lw=0.6, label="½g(h−H)² + ½H(u²+v²)")
    ax.semilogy(t, own / own[0], lw=0.6, label="½g(h−H)² + ¼H(u²+v²) (conserved by the linearised equations)")
    ax.semilogy(t, start_plain * np.exp(-t / tau_plain) / plain[0], "k--", lw=1,
                label="½H form, fit over steps 2,000–10,000: e^(−n/%s), n in steps"
                % format(round(tau_plain, -2), ",.0f"))
    for tau, at, span, style in ((tau_early, start_early, (2000, 5000), "C3"),
                                 (tau_late, start_late, (7000, 10000), "C2")):
        n = np.linspace(*span, 2)
        ax.semilogy(n, at * np.exp(-n / tau) / own[0], color=style, lw=2,
                    label="¼H form, fit over steps %s–%s: e^(−n/%s)" % (
                        format(span[0], ",d"), format(span[1], ",d"), format(round(tau, -2), ",.0f")))
    ax.set_xlabel("step n")
    ax.set_ylabel("energy / energy at the drop")
    ax.set_title("Energy after one drop (radius 5, +0.1 at the centre)")
    ax.set_ylim(top=2.5)
    ax.legend(fontsize=7.5, loc="upper right")
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
    right.set_xlabel("amplitude (length)")
    right.set_ylabel("e-folding time of the energy (steps)")
    right.set_title("Wavelength %.2f cells (mode 32), by amplitude" % (2 * 158 / 32))
    right.legend(fontsize=8)
    fig.tight_layout()
    fig.savefig(os.path.join(figures, "damping.png"), dpi=100)
    plt.close(fig)
    return {"tau_plain": tau_plain, "tau_own": tau_own, "tau_early": tau_early, "tau_late": tau_late,
            "invariant": two_level_invariant(), "kept_500": kept_500, "depth": depth, "rises": rises,
            "sample_rises": sample_rises, "samples": len(plain),
            "by_mode": by_mode, "by_amplitude": by_amplitude,
            "ratio_spread": (plain / own).min(), "ratio_top": (plain / own).max()}


# --- stability ---------------------------------------------------------------------


def noise_amplitudes(timestep, size=48, steps=2000, amplitude=1e-5, seed=3):
    """The waves' amplitude, the largest |h − mean h| over the interior, after
    each step of a size × size basin with that time step, started at rest plus
    white noise of that amplitude (every wave of the basin at once); and the
    mean depth after each step."""
    basin = rm.Basin(size, size, timestep=timestep, threads=1)
    noise = np.random.default_rng(seed).standard_normal((size - 2, size - 2))
    basin.h[1:-1, 1:-1] = 1 + amplitude * noise
    h = basin.h[1:-1, 1:-1]
    waves, means = [], []
    for n in range(steps + 1):
        if n:
            basin.step(1)
        mean = h.mean(dtype=np.float64)
        waves.append(float(np.abs(h - mean).max()))
        means.append(float(mean))
    return np.array(waves), np.array(means)


def shortest_wave(timestep, size=48, steps=3000, amplitude=1e-6, stop=1e-4):
    """Amplitude after each step of the basin's shortest standing wave (the
    diagonal mode (size − 3, size − 3)), started at rest at that amplitude;
    stops once it passes stop."""
    basin = rm.Basin(size, size, timestep=timestep, threads=1)
    cells = np.arange(1, size - 1) - 0.5
    along = np.cos((size - 3) * np.pi * cells / (size - 2))
    shape = np.outer(along, along)
    weights = shape / (shape * shape).sum()
    basin.h[1:-1, 1:-1] = 1 + amplitude * shape
    h = basin.h[1:-1, 1:-1]
    out = [amplitude]
    for _ in range(steps):
        basin.step(1)
        out.append(abs(float(((h - np.float32(1)) * weights).sum())))
        if out[-1] > stop:
            break
    return np.array(out)


def grows(amplitudes, factor=100):
    """Whether the shortest wave rose past factor times its start. Below the
    limit it stays bounded but swings up to 2/(π − ω·Δt) times its start, so
    right at the limit this calls a neutral wave unstable: the measured limit
    lies at most 5e-5 (relative) below the true one."""
    return amplitudes.max() > factor * amplitudes[0]


def stable_limit(low, high, size=48, iterations=16):
    """The largest stable time step of a size × size basin, by bisection."""
    for _ in range(iterations):
        mid = (low + high) / 2
        if grows(shortest_wave(mid, size)):
            high = mid
        else:
            low = mid
    return low, high


def measured_growth(amplitudes):
    """Growth per step of a growing wave: the slope of its log amplitude after
    the first steps (where the decaying partner still counts)."""
    a = np.asarray(amplitudes)[5:]
    if len(a) < 4:
        return None
    return float(np.exp(np.polyfit(np.arange(len(a)), np.log(a), 1)[0]))


def stability(figures, size=48):
    import matplotlib.pyplot as plt
    s2 = theory.largest_s2(size, size)
    limit = theory.stable_timestep(s2)
    low, high = stable_limit(0.095, 0.102, size)
    sweep = [0.07, 0.08, 0.09, 0.095, 0.098, 0.0985, 0.0995, 0.1, 0.101, 0.1025, 0.105,
             0.1075, 0.11, 0.1125, 0.115, 0.1175, 0.12]
    runs = [(dt, shortest_wave(dt, size, stop=1e-2)) for dt in sweep]
    growth = [(dt, measured_growth(a)) for dt, a in runs if grows(a)]
    stable = [dt for dt, a in runs if not grows(a)]
    drained = []

    fig, (left, right) = plt.subplots(1, 2, figsize=(10, 4))
    for i, dt in enumerate((0.0625, 0.098, 0.0995, 0.1025, 0.11)):
        waves, means = noise_amplitudes(dt, size)
        steps = np.arange(len(waves))
        left.semilogy(steps, waves, lw=0.8, color="C%d" % i, label="Δt = %g" % dt)
        if dt > limit:
            left.semilogy(steps, 1 - means, lw=0.8, ls=":", color="C%d" % i)
            drained.append((dt, means[-1], (limit / dt) ** 2, waves.max(), waves[-1]))
    left.set_ylim(1e-6, 1)
    left.set_xlabel("step")
    left.set_ylabel("largest |h − mean h| (length); dotted: 1 − mean h")
    left.set_title("White noise of amplitude 10⁻⁵, %d × %d basin" % (size, size), fontsize=10)
    left.legend(fontsize=8)
    dts = np.linspace(sweep[0], sweep[-1], 600)
    right.plot(dts, theory.growth_per_step(dts, s2), "k-", lw=1, label="dispersion relation, shortest wave")
    right.plot([g[0] for g in growth], [g[1] for g in growth], "o", color="C3", mfc="none",
               label="measured, growing")
    right.plot(stable, np.ones(len(stable)), "o", color="C0", mfc="none", label="measured, bounded")
    right.axvline(limit, color="grey", ls=":", lw=1)
    right.set_xlabel("time step Δt (time)")
    right.set_ylabel("growth factor of the shortest wave per step")
    right.set_title("Largest stable Δt: %.6f measured, %.6f theory" % (low, limit), fontsize=10)
    right.legend(fontsize=8, loc="upper left")
    fig.tight_layout()
    fig.savefig(os.path.join(figures, "stability.png"), dpi=100)
    plt.close(fig)
    errors = [abs(g / theory.growth_per_step(dt, s2) - 1) for dt, g in growth if dt >= 1.01 * limit]
    return {"size": size, "theory": limit, "endless": theory.stable_timestep(), "low": low, "high": high,
            "courant": np.sqrt(theory.ab(limit) * s2 / 2), "sweep": sweep, "stable": stable,
            "growth": growth, "growth_error": max(errors), "drained": drained}


# --- two slits ---------------------------------------------------------------------


class TwoSlits:
    """A plane wave from the library's line source, through a wall with two
    slits, into a basin whose edges soak waves up (the library's sponge on
    every edge), so that what reaches the measuring line comes from the slits
    alone."""

    def __init__(self, width=301, height=300, separation=40, slit=3, wall_row=80,
                 source_row=40, wavelength=10.0, amplitude=7e-4, sponge=28, strength=0.25, opened=(0, 1)):
        self.basin = b = rm.Basin(width, height, threads=1)
        self.centre = width // 2
        self.separation, self.slit, self.wall_row = separation, slit, wall_row
        self.source_row, self.sponge, self.strength = source_row, sponge, strength
        self.slits = (self.centre - separation // 2, self.centre + separation - separation // 2)
        b.walls[wall_row, :] = True
        for i in opened:
            x = self.slits[i]
            b.walls[wall_row, x - slit // 2:x - slit // 2 + slit] = False
        b.reset()
        # The driving frequency of a plane wave of this wavelength along y.
        self.omega_dt = float(theory.discrete_omega_dt(0.0, 2 * np.pi / wavelength))
        self.amplitude = amplitude
        # A soft source: it moves the surface of its row and lets every wave pass.
        b.add_line_source(1, source_row, width - 2, source_row, period=self.period * b.timestep,
                          amplitude=amplitude, ramp=3.0)
        b.sponge(sponge, edges="nesw", strength=strength)

    @property
    def period(self):
        """The driving period in steps."""
        return 2 * np.pi / self.omega_dt

    @property
    def n(self):
        return self.basin.steps_since_reset

    def step(self, n):
        self.basin.step(n)

    def intensity(self, rows, periods=8):
        """|complex amplitude|² at the driving frequency along each row, from
        whole periods of the height recorded by gauges on every water cell."""
        b, w = self.basin, self.omega_dt
        steps = int(round(periods * self.period))
        places = [(x, y) for y in rows for x in range(1, b.width - 1)]
        start = self.n
        record = b.run(steps, gauges=places)["gauge_h"].values.astype(np.float64)
        phase = np.exp(-1j * w * (start + np.arange(1, steps + 1)))
        total = np.zeros((len(rows), b.width), dtype=np.complex128)
        total[:, 1:-1] = ((record - b.rest_height) * phase[:, None]).sum(axis=0).reshape(len(rows), -1)
        return np.abs(2 * total / steps) ** 2

    def path_difference(self, row, x, isotropic=False):
        """The difference in wavelengths of the paths from the two slits to
        the cells x of the row: for the grid's own waves (anisotropic), or for
        the wavelength along y in every direction. Rises with x."""
        dy = row - self.wall_row
        if isotropic:
            k = 2 * np.pi / self.wavelength_y()
            phases = [k * np.hypot(x - s, dy) for s in self.slits]
        else:
            phases = [theory.phase_from_source(self.omega_dt, x - s, dy) for s in self.slits]
        return (phases[0] - phases[1]) / (2 * np.pi)

    def theory_maxima(self, row, orders, isotropic=False):
        """Cells x on the row where the paths from the two slits differ by m
        wavelengths, in phase."""
        x = np.linspace(0, self.basin.width - 1, 4001)
        return [float(np.interp(m, self.path_difference(row, x, isotropic), x)) for m in orders]

    def wavelength_y(self):
        kx, ky = theory.wave_vectors(self.omega_dt, [np.pi / 2])
        return 2 * np.pi / ky[0]


def maxima(profile, centre, reach):
    """Local maxima of a profile within reach of centre, to a fraction of a
    cell (a parabola through each peak and its neighbours)."""
    found = []
    for x in range(max(1, centre - reach), min(len(profile) - 1, centre + reach + 1)):
        p0, p1, p2 = profile[x - 1], profile[x], profile[x + 1]
        if p1 > p0 and p1 >= p2:
            found.append(x + 0.5 * (p0 - p2) / (p0 - 2 * p1 + p2))
    return np.array(found)


def envelope_maxima(slits, row, single, orders):
    """Maxima of the grid's two-slit pattern under the envelope the single
    slits measured: E·(1 + cos 2πΔ), E the mean of their wave power on the row
    and Δ the grid's path difference; near each order."""
    x = np.linspace(slits.centre - 110, slits.centre + 110, 8801)
    envelope = np.interp(x, np.arange(len(single)), single)
    pattern = envelope * (1 + np.cos(2 * np.pi * slits.path_difference(row, x)))
    found = x[1:-1][(pattern[1:-1] > pattern[:-2]) & (pattern[1:-1] >= pattern[2:])]
    return [float(found[np.argmin(np.abs(found - g))]) for g in slits.theory_maxima(row, orders)]


# The sponges the fringes are measured with: (width, strength). Each reflects
# a little, differently, and the fringes move with them.
SLIT_SPONGES = ((28, 0.15), (28, 0.25), (28, 0.5), (28, 1.0), (40, 0.25))


def fringes(distance, settle, sponge, strength, opened=(0, 1)):
    """The wave power along the line distance cells behind the wall, and the
    run that made it."""
    slits = TwoSlits(width=401, sponge=sponge, strength=strength, opened=opened)
    slits.step(settle)
    row = slits.wall_row + distance
    return slits.intensity([row])[0], slits, row


def two_slits(figures, distance=150, settle=900):
    import matplotlib.pyplot as plt
    orders = [-2, -1, 0, 1, 2]
    runs = []
    for width, strength in SLIT_SPONGES:
        intensity, slits, row = fringes(distance, settle, width, strength)
        found = maxima(intensity, slits.centre, 100)
        grid = slits.theory_maxima(row, orders)
        runs.append((width, strength, intensity, slits,
                     [float(found[np.argmin(np.abs(found - g))]) for g in grid]))
    # The figure and the envelope come from the library's default strength.
    _, _, intensity, slits, _ = runs[1]
    b = slits.basin
    snapshot = b.h.copy()
    single = sum(fringes(distance, settle, 28, 0.25, opened=(i,))[0] for i in (0, 1)) / 2
    grid = slits.theory_maxima(row, orders)
    plain = slits.theory_maxima(row, orders, isotropic=True)
    far = [slits.centre + distance * np.tan(np.arcsin(m * slits.wavelength_y() / slits.separation))
           for m in orders]
    enveloped = envelope_maxima(slits, row, single, orders)
    every = np.array([r[4] for r in runs])
    measured = every.mean(axis=0)
    spread = every.max(axis=0) - every.min(axis=0)

    fig, (left, right) = plt.subplots(1, 2, figsize=(11, 4.6), gridspec_kw={"width_ratios": [1, 1.25]})
    eta = np.ma.masked_array(snapshot - b.rest_height, b.walls)
    top = 0.8 * np.abs(eta[slits.wall_row + 5:]).max()
    image = left.imshow(eta, origin="lower", cmap="RdBu_r", vmin=-top, vmax=top)
    left.imshow(np.ma.masked_array(b.walls, ~b.walls), origin="lower", cmap="Greys", vmin=0, vmax=1)
    left.axhline(row, color="k", lw=0.6, ls="--")
    left.set_xlabel("x (cells)")
    left.set_ylabel("y (cells)")
    left.set_title("h − H after %d steps" % slits.n)
    fig.colorbar(image, ax=left, shrink=0.8, label="h − H (length)")
    x = np.arange(b.width)
    right.plot(x, intensity / intensity.max(), "C0", lw=1, label="measured, two slits")
    right.plot(x, single / intensity.max(), "C2", lw=1, ls="--", label="one slit (mean of each alone)")
    for i, (g, p) in enumerate(zip(grid, plain)):
        right.axvline(g, color="k", lw=0.8, label="grid's own waves" if i == 0 else None)
        right.axvline(p, color="C3", lw=0.8, ls=":", label="same λ every way" if i == 0 else None)
    right.set_xlim(slits.centre - 110, slits.centre + 110)
    right.set_xlabel("x (cells) on the line y = %d, %d cells behind the wall" % (row, distance))
    right.set_ylabel("mean wave power (of the largest)")
    right.set_title("Fringes: maxima where the paths differ by m·λ")
    right.set_ylim(0, 1.3)
    right.legend(fontsize=8, loc="upper center", ncol=2)
    fig.tight_layout()
    fig.savefig(os.path.join(figures, "two-slits.png"), dpi=80)
    plt.close(fig)
    return {"orders": orders, "measured": [float(m) for m in measured], "spread": [float(s) for s in spread],
            "largest_spread": float(spread.max()), "sponges": SLIT_SPONGES,
            "grid": grid, "isotropic": plain, "far": far, "enveloped": enveloped,
            "wavelength": slits.wavelength_y(), "period": slits.period,
            "separation": slits.separation, "slit": slits.slit, "distance": distance,
            "centre": slits.centre, "wall_row": slits.wall_row, "source_row": slits.source_row,
            "sponge": slits.sponge, "strength": slits.strength, "amplitude": slits.amplitude,
            "size": (b.width, b.height), "steps": slits.n,
            "error": max(abs(m - g) for m, g in zip(measured, grid)),
            "envelope_error": max(abs(m - e) for m, e in zip(measured, enveloped)),
            "isotropic_error": max(abs(m - p) for m, p in zip(measured, plain))}


# --- a pulse along a channel -------------------------------------------------------


def channel_pulses(amplitudes, length=1000, width=20, spread=10.0, steps=4300, every=10):
    """A Gaussian hump of each amplitude against the left wall of a length ×
    width channel, at rest: its mirror image makes it one pulse of half the
    height running right, to the far wall and back. Returns the steps and, per
    amplitude, the height along the channel (mean over the width) at each."""
    x = np.arange(length, dtype=np.float64)
    hump = np.exp(-0.5 * ((x - 0.5) / spread) ** 2)  # the wall's face lies at x = ½
    basins = []
    for a in amplitudes:
        b = rm.Basin(length, width, threads=1)
        b.h[:, 1:-1] = (1 + a * hump[1:-1]).astype(np.float32)
        b.h[:, 0], b.h[:, -1] = b.h[:, 1], b.h[:, -2]
        basins.append(b)
    times = np.arange(0, steps + 1, every)
    profiles = np.empty((len(amplitudes), len(times), length - 2))
    energy = np.empty((len(amplitudes), len(times)))
    for i, _ in enumerate(times):
        for j, b in enumerate(basins):
            eta = b.h[1:-1, 1:-1].astype(np.float64) - 1
            profiles[j, i] = eta.mean(axis=0)
            # The form the linearised equations conserve (see Energy).
            energy[j, i] = (0.5 * theory.G * (eta * eta).sum()
                            + 0.25 * ((b.u.astype(np.float64) ** 2).sum() + (b.v.astype(np.float64) ** 2).sum()))
        if i + 1 < len(times):
            rm.step_all(basins, every)
    linear = theory.closed_modes_height(hump[1:-1], times)
    return times, profiles, linear, energy


def pulse_track(times, profiles, spread=10.0):
    """The pulse's distance travelled (from the left wall's face, unfolded at
    the far wall), its peak height, and whether it is on the way back, at each
    time where the peak is clear of both walls by four spreads; only the way
    out and the way back."""
    cells = profiles.shape[-1]
    far_face = cells  # interior cells 0..cells-1 lie at 0.5..cells-0.5 from the left face
    cells_per_step = theory.C_HALF * theory.DT / theory.DX
    out = []
    for t, p in zip(times, profiles):
        leg = int(cells_per_step * t // far_face)  # the walls' margins hide any doubt
        i = int(np.argmax(p))
        if leg > 1 or i < 1 or i > cells - 2:
            continue
        p0, p1, p2 = p[i - 1], p[i], p[i + 1]
        shift = 0.5 * (p0 - p2) / (p0 - 2 * p1 + p2)
        where = i + 0.5 + shift
        if where < 4 * spread or where > far_face - 4 * spread:
            continue
        out.append((t, where if leg == 0 else 2 * far_face - where, p1 - 0.25 * (p0 - p2) * shift, leg))
    out = np.array(out)
    return out[:, 0], out[:, 1], out[:, 2], out[:, 3] == 1


def loss_per_100(d, kept, span=None):
    """The fraction of its energy a pulse loses per 100 cells travelled, from
    the energy kept at the ends of a span of distance (the whole run by
    default): 1 − (E_end / E_start)^(100 / distance)."""
    lo, hi = (d[0], d[-1]) if span is None else span
    e0, e1 = np.interp([lo, hi], d, kept)
    return 1 - (e1 / e0) ** (100 / (hi - lo))


def channel(figures, amplitudes=(0.002, 0.004, 0.04), length=1000, width=20):
    import matplotlib.pyplot as plt
    times, profiles, linear, energy = channel_pulses(amplitudes, length, width)
    cells_per_step = theory.C_HALF * theory.DT / theory.DX
    lt, ld, lpeak, _ = pulse_track(times, linear)
    linear_speed = np.polyfit(lt, ld, 1)[0]
    results = []
    fig, (left, middle, right) = plt.subplots(1, 3, figsize=(14, 4))
    for j, a in enumerate(amplitudes):
        t, d, peak, back = pulse_track(times, profiles[j])
        fit = lambda sel: np.polyfit(t[sel], d[sel], 1)[0]
        # The peak against the linear scheme's own (which falls a little as the
        # pulse disperses), and the energy, both per distance travelled.
        ratio = peak / np.interp(t, lt, a * lpeak)
        kept = np.interp(t, times, energy[j]) / energy[j][0]
        quarter = (d[-1] - d[0]) / 4
        speed = fit(t >= 0)
        # Where the front of a simple wave moving at c₀·(1 + 5η/2H) turns
        # vertical: after H / (5/2 · the largest slope of η) cells.
        breaking = 1 / (2.5 * (a / 2) / (10.0 * np.sqrt(np.e)))
        early = d <= breaking
        results.append({"amplitude": a, "pulse": a / 2, "cells_per_step": speed,
                        "out": fit(~back), "back": fit(back), "distance": float(d[-1]),
                        "peak_kept": float(ratio[-1]), "energy_kept": float(kept[-1]),
                        "mean_peak": float(peak.mean()),
                        # The speed-up over the linear scheme's pulse, per unit of η/H
                        # (η the peak's mean height over the run).
                        "speedup": float((speed / linear_speed - 1) / peak.mean()),
                        "breaking": float(breaking),
                        "early_speedup": float((fit(early) / linear_speed - 1) / peak[early].mean()),
                        "late_speedup": (float((fit(~early) / linear_speed - 1) / peak[~early].mean())
                                         if (~early).sum() > 2 else None),
                        "energy_loss_per_100": float(loss_per_100(d, kept)),
                        "loss_first_quarter": float(loss_per_100(d, kept, (d[0], d[0] + quarter))),
                        "loss_last_quarter": float(loss_per_100(d, kept, (d[-1] - quarter, d[-1]))),
                        "steps": int(t[-1])})
        left.plot(d, peak / (a / 2), ".", ms=2, color="C%d" % j, label="measured, pulse %g" % (a / 2))
        middle.plot(d, kept, ".", ms=2, color="C%d" % j, label="pulse %g" % (a / 2))
        right.plot(t, d - cells_per_step * t, ".", ms=2, color="C%d" % j, label="measured, pulse %g" % (a / 2))
    left.plot(ld, lpeak / (lpeak[0]), "k-", lw=1, label="linear scheme (dispersion only)")
    right.plot(lt, ld - cells_per_step * lt, "k-", lw=1, label="linear scheme")
    for ax in (left, middle):
        ax.axvline(length - 2, color="grey", ls=":", lw=1)
        ax.set_xlabel("distance travelled (cells); far wall dotted")
    left.set_ylabel("peak of h − H / its start")
    left.set_title("The peak, out and back")
    middle.set_ylabel("energy / energy at the start")
    middle.set_title("½g(h−H)² + ¼H(u²+v²) summed")
    right.set_xlabel("step")
    right.set_ylabel("distance − √(g·H/2)·t (cells)")
    right.set_title("Ahead of or behind √(g·H/2)")
    for ax in (left, middle, right):
        ax.legend(fontsize=8)
    fig.tight_layout()
    fig.savefig(os.path.join(figures, "channel.png"), dpi=80)
    plt.close(fig)
    # Between the two small pulses dispersion and damping are alike, so the
    # difference of their speeds is the height's own effect.
    low, high = results[0], results[1]
    between = ((high["cells_per_step"] - low["cells_per_step"]) / linear_speed
               / (high["mean_peak"] - low["mean_peak"]))
    return {"length": length, "width": width, "spread": 10, "pulses": results, "linear": linear_speed,
            "theory_cells": cells_per_step, "speedup_between_small": float(between)}
