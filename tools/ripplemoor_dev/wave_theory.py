"""What theory says about the solver's waves, and the small measurements that
compare it with them (shared by tools/physics.py and the module's tests).

Linearised about still water of depth H (h = H + η, small u and v), the
semi-Lagrangian advection moves nothing (its displacement is of the order of
the velocity, its effect of the order of velocity times gradient), and one step
is the forward-backward pair

    η' = η − a·[(u[x+1] − u[x]) + (v[y+1] − v[y])],   a = ½·H·Δt/Δx
    u' = u − b·(η'[x] − η'[x−1]),  v' likewise,        b = g·Δt/Δx

on the staggered grid. For a Fourier mode the step's matrix has determinant 1
and trace 2 − 4ab·s², s² = sin²(kx·Δx/2) + sin²(ky·Δx/2), so its eigenvalues
are e^(±iωΔt) with

    cos(ω·Δt) = 1 − 2·a·b·s²

neutral (no damping) while a·b·s² ≤ 1. As k → 0 this is ω = √(g·H/2)·k.
"""

import numpy as np

G = 10.0
H = 1.0
DT = 0.0625
DX = 0.3125
# The solver stores 1/Δx as a float.
INV_DX = float(np.float32(1.0 / DX))
A = 0.5 * H * DT * INV_DX
B = DT * G * INV_DX
COURANT = np.sqrt(A * B)  # √(g·H/2)·Δt/Δx
C_HALF = np.sqrt(G * H / 2)
INTERIOR_CELLS = 158


def mode_kdx(m):
    """k·Δx of the basin's m-th standing mode along one axis: the walls lie half
    a cell outside the first and last interior cells, 158 cells apart."""
    return m * np.pi / INTERIOR_CELLS


def standing_mode(mx, my):
    """cos(mx·π·(x − ½)/158)·cos(my·π·(y − ½)/158) on the interior, indexed [y, x]."""
    cells = np.arange(1, INTERIOR_CELLS + 1) - 0.5
    along_x = np.cos(mode_kdx(mx) * cells)
    along_y = np.cos(mode_kdx(my) * cells)
    return np.outer(along_y, along_x)


def discrete_omega_dt(kxdx, kydx):
    """ω·Δt of the scheme for the wave numbers k·Δx along x and y."""
    s2 = np.sin(np.asarray(kxdx) / 2) ** 2 + np.sin(np.asarray(kydx) / 2) ** 2
    return np.arccos(1 - 2 * A * B * s2)


def discrete_phase_speed(kxdx, kydx):
    kdx = np.hypot(kxdx, kydx)
    return discrete_omega_dt(kxdx, kydx) / DT / (kdx / DX)


def phase_speed_from_period(kdx, period_steps):
    return (2 * np.pi / (np.asarray(period_steps) * DT)) / (np.asarray(kdx) / DX)


def period_from_crossings(series):
    """Mean period, in samples, of an oscillation about zero: from the first to
    the last zero crossing (linearly interpolated), half a period apart each."""
    s = np.asarray(series, dtype=np.float64)
    k = np.nonzero(np.signbit(s[:-1]) != np.signbit(s[1:]))[0]
    if len(k) < 3:
        raise ValueError("fewer than three zero crossings")
    crossings = k + s[k] / (s[k] - s[k + 1])
    return 2 * (crossings[-1] - crossings[0]) / (len(crossings) - 1)


def front_radius(radii, profile, fraction=0.1):
    """Outermost radius where |profile| reaches fraction of its largest value,
    interpolated between the samples."""
    magnitude = np.abs(profile)
    threshold = fraction * magnitude.max()
    outer = np.nonzero(magnitude >= threshold)[0][-1]
    if outer + 1 >= len(radii):
        return radii[outer]
    m0, m1 = magnitude[outer], magnitude[outer + 1]
    return radii[outer] + (radii[outer + 1] - radii[outer]) * (m0 - threshold) / (m0 - m1)


def smooth(values, window):
    """Means over consecutive blocks of window samples (the oscillation between
    the potential and the kinetic part averages out over a period)."""
    values = np.asarray(values, dtype=np.float64)
    blocks = len(values) // window
    return values[:blocks * window].reshape(blocks, window).mean(axis=1)


def efolding_fit(t, energy, window, start=0):
    """e-folding time of energy(t) from start on, from a straight-line fit to the
    logarithm of its block means (infinity if it does not fall), and the fit's
    value at t = 0."""
    means = smooth(energy, window)
    times = smooth(t, window)
    later = times >= start
    slope, intercept = np.polyfit(times[later], np.log(means[later]), 1)
    return (np.inf if slope >= 0 else -1 / slope), np.exp(intercept)


def smoothed_rises(energy, window):
    """How often, and by how much at most (relative), the block means rise."""
    means = smooth(energy, window)
    steps = np.diff(means) / means[:-1]
    return int((steps > 0).sum()), float(max(steps.max(), 0.0))
