"""What theory says about the solver's waves, and the small measurements that
compare it with them (shared by docs/tools/physics.py and the module's tests).

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


def efolding_fit(t, energy, window, start=0, stop=np.inf):
    """e-folding time of energy(t) from start to stop, from a straight-line fit
    to the logarithm of its block means (infinity if it does not fall), and the
    fit's value at t = 0."""
    means = smooth(energy, window)
    times = smooth(t, window)
    later = (times >= start) & (times <= stop)
    slope, intercept = np.polyfit(times[later], np.log(means[later]), 1)
    return (np.inf if slope >= 0 else -1 / slope), np.exp(intercept)


def smoothed_rises(energy, window):
    """How often, and by how much at most (relative), the block means rise."""
    means = smooth(energy, window)
    steps = np.diff(means) / means[:-1]
    return int((steps > 0).sum()), float(max(steps.max(), 0.0))


# --- other basins: their own time step, size and direction ---------------------------


def ab(timestep, g=G, depth=H, dx=DX):
    """a·b of the linearised step for a basin's own constants."""
    inv_dx = float(np.float32(1.0 / dx))
    return (0.5 * depth * timestep * inv_dx) * (g * timestep * inv_dx)


def stable_timestep(largest_s2=2.0, g=G, depth=H, dx=DX):
    """Largest neutral time step: a·b·s² = 1 for the largest s² on the grid
    (2 for the checkerboard wave, so Δt = Δx/√(g·H) on an endless grid)."""
    inv_dx = float(np.float32(1.0 / dx))
    return np.sqrt(2.0 / (largest_s2 * g * depth)) / inv_dx


def largest_s2(width, height):
    """sin²(kx·Δx/2) + sin²(ky·Δx/2) of a closed basin's shortest standing mode."""
    return sum(np.sin((n - 3) * np.pi / (n - 2) / 2) ** 2 for n in (width, height))


def growth_per_step(timestep, s2, g=G, depth=H, dx=DX):
    """|λ| of the step's faster eigenvalue for a wave with that s²: 1 while
    neutral, −c + √(c² − 1) past the limit (c = 1 − 2·a·b·s² < −1)."""
    c = 1 - 2 * ab(timestep, g, depth, dx) * np.asarray(s2, dtype=np.float64)
    return np.where(c < -1, -c + np.sqrt(np.maximum(c * c - 1, 0)), 1.0)


def wave_vectors(omega_dt, angles, a_b=None):
    """(kx·Δx, ky·Δx) of the waves of frequency ω travelling (in phase) at each
    angle: the root of the dispersion relation along that direction."""
    a_b = A * B if a_b is None else a_b
    s2 = (1 - np.cos(omega_dt)) / (2 * a_b)
    angles = np.asarray(angles, dtype=np.float64)
    lo, hi = np.zeros_like(angles), np.full_like(angles, np.pi)
    for _ in range(60):  # bisection: s² grows with k along any direction here
        mid = (lo + hi) / 2
        grow = np.sin(mid * np.cos(angles) / 2) ** 2 + np.sin(mid * np.sin(angles) / 2) ** 2 > s2
        hi, lo = np.where(grow, mid, hi), np.where(grow, lo, mid)
    k = (lo + hi) / 2
    return k * np.cos(angles), k * np.sin(angles)


def phase_from_source(omega_dt, dx_cells, dy_cells, a_b=None, samples=4001):
    """Phase (radians) of a point source's wave of frequency ω at the offset
    (dx, dy) cells: k·r stationary over the wave vectors of that frequency,
    which picks the wave whose group velocity points at the offset. On an
    isotropic grid this would be k·|r|."""
    kx, ky = wave_vectors(omega_dt, np.linspace(-np.pi, np.pi, samples), a_b)
    dx_cells, dy_cells = np.broadcast_arrays(np.asarray(dx_cells, float), np.asarray(dy_cells, float))
    return np.max(np.multiply.outer(dx_cells, kx) + np.multiply.outer(dy_cells, ky), axis=-1)


def closed_modes_height(eta0, steps, a_b=None):
    """Heights of the linearised scheme in a closed channel (interior cells
    along x only), started at rest from eta0, after each number of steps: every
    standing mode cos(k·(x − ½)) evolves as cos((n − ½)θ)/cos(θ/2), θ = ω·Δt
    (the forward-backward pair starting from the height)."""
    a_b = A * B if a_b is None else a_b
    cells = len(eta0)
    k = np.arange(cells) * np.pi / cells
    basis = np.cos(np.outer(np.arange(cells) + 0.5, k))
    weights = np.full(cells, 2.0 / cells)
    weights[0] = 1.0 / cells
    coefficients = weights * (basis.T @ np.asarray(eta0, dtype=np.float64))
    theta = np.arccos(1 - 2 * a_b * np.sin(k / 2) ** 2)
    n = np.asarray(steps, dtype=np.float64)[:, None]
    return (np.cos((n - 0.5) * theta) / np.cos(theta / 2) * coefficients) @ basis.T
