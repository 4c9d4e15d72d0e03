"""The wave tank's physics, measured through the module's own sources, sponge,
bed and gauges: the sponge's reflection, the wave a source makes, refraction
over a shelf (Snell), shoaling up a slope (Green) and a harbour's response
with its Helmholtz estimate. docs/tools/physics.py runs it with the rest of the
page (docs/tools/physics.py, --tank for this part alone).
"""

import os
import time

import numpy as np
import ripplemoor as rm

from ripplemoor_dev import wave_theory as theory



def omega_dt_of(wavelength, depth=1.0):
    """ω·Δt of a wave of this length (cells) along an axis, at this depth."""
    return float(np.arccos(1 - 2 * theory.ab(theory.DT, depth=depth) * np.sin(np.pi / wavelength) ** 2))


def wavelength_of(omega_dt, depth=1.0, angle=0.0):
    """The wave length (cells) of frequency ω at this depth, along a direction."""
    kx, ky = theory.wave_vectors(omega_dt, [angle], theory.ab(theory.DT, depth=depth))
    return float(2 * np.pi / np.hypot(kx[0], ky[0]))


def period_of(wavelength, depth=1.0):
    """The period (time units) of a wave of this length along an axis."""
    return 2 * np.pi / omega_dt_of(wavelength, depth) * theory.DT


def swing(frames):
    """Half the peak-to-peak of each point over the frames."""
    return (frames.max(axis=0) - frames.min(axis=0)) / 2


# --- the sponge ----------------------------------------------------------------------


def reflection(wavelength, width, strength=None):
    """Amplitude reflected by a sponge at a channel's far end, over the incident
    one: the standing-wave ratio of the envelope in front of it."""
    period = period_of(wavelength)
    length = 2 * width + 40 + max(60, int(1.5 * wavelength))
    b = rm.Basin(length + 2, 5, threads=1)
    b.sponge(width, edges="we", strength=strength)
    source = 1 + width + 10
    b.add_line_source(source, 1, source, 3, period=period, amplitude=1e-3)
    per = int(period / b.timestep) + 1
    b.step(int(3 * length / 0.4) + 4 * per)
    strip = b.run(3 * per, fields=("h",))["h"].values[:, 2, source + 10:length + 1 - width]
    s = swing(strip)
    return float((s.max() - s.min()) / (s.max() + s.min()))


def sponge(figures, wavelengths=(10, 15, 20, 30, 40, 60, 80), widths=(10, 20, 40, 80)):
    import matplotlib.pyplot as plt
    table = {w: [reflection(l, w) for l in wavelengths] for w in widths}
    fig, ax = plt.subplots(figsize=(6.4, 4))
    for w in widths:
        ax.semilogy(wavelengths, 100 * np.maximum(table[w], 1e-3), "o-", label="%d cells" % w)
    ax.axhline(3, color="k", lw=0.6, ls=":")
    ax.set_xlabel("wavelength (cells)")
    ax.set_ylabel("reflected amplitude (% of incident)")
    ax.set_title("The sponge's reflection (default strength %.2f)" % 0.25)
    ax.legend(title="width", fontsize=8)
    fig.tight_layout()
    fig.savefig(os.path.join(figures, "sponge.png"), dpi=100)
    plt.close(fig)
    return {"wavelengths": list(wavelengths), "widths": list(widths), "table": table}


# --- the wave a source makes ------------------------------------------------------------


def line_source_gain(wavelength, amplitude=1e-3):
    """The plane wave's amplitude over the line source's amplitude."""
    width = 40
    length = 2 * width + 60 + int(2 * wavelength)
    b = rm.Basin(length + 2, 5, threads=1)
    b.sponge(width, edges="we")
    source = 1 + width + 10
    period = period_of(wavelength)
    b.add_line_source(source, 1, source, 3, period=period, amplitude=amplitude)
    per = int(period / b.timestep) + 1
    b.step(int(2 * length / 0.4) + 4 * per)
    strip = b.run(2 * per, fields=("h",))["h"].values[:, 2, source + 5:length + 1 - width]
    return float(swing(strip).mean() / amplitude)


def point_source_decay(wavelength=20.0, amplitude=1e-3, radius=1):
    """Amplitude against distance from a point source: (r, a / A)."""
    size = 301
    b = rm.Basin(size, size, threads=1)
    b.sponge(40)
    c = size // 2
    period = period_of(wavelength)
    b.add_point_source(c, c, period=period, amplitude=amplitude, radius=radius)
    per = int(period / b.timestep) + 1
    b.step(int(1.5 * size / 0.4))
    frames = b.run(2 * per, fields=("h",))["h"].values
    r = np.arange(4, c - 45)
    a = np.array([swing(frames[:, c, c + k]).item() for k in r]) / amplitude
    diagonal = np.array([swing(frames[:, c + int(k / np.sqrt(2)), c + int(k / np.sqrt(2))]).item()
                         for k in r]) / amplitude
    return r, a, diagonal


def source(figures):
    import matplotlib.pyplot as plt
    wavelengths = [10, 15, 20, 30, 40, 60, 80]
    gains = [line_source_gain(l) for l in wavelengths]
    r, a, diagonal = point_source_decay()
    far = r >= 20
    fit = float(np.exp(np.mean(np.log(a[far] * np.sqrt(r[far])))))
    slope = float(np.polyfit(np.log(r[far]), np.log(a[far]), 1)[0])
    fig, (left, right) = plt.subplots(1, 2, figsize=(10, 4))
    left.plot(wavelengths, gains, "o-")
    left.set_xlabel("wavelength (cells)")
    left.set_ylabel("wave amplitude / source amplitude")
    left.set_title("A line source across a channel")
    right.loglog(r, a, "C0", label="along x")
    right.loglog(r, diagonal, "C1", label="along the diagonal")
    right.loglog(r, fit / np.sqrt(r), "k:", label="%.3f / √r" % fit)
    right.set_xlabel("distance r (cells)")
    right.set_ylabel("wave amplitude / source amplitude")
    right.set_title("A point source (radius 1), λ = 20 cells")
    right.legend(fontsize=8)
    fig.tight_layout()
    fig.savefig(os.path.join(figures, "source.png"), dpi=100)
    plt.close(fig)
    return {"wavelengths": wavelengths, "gains": gains, "point_fit": fit, "point_slope": slope,
            "point_at_40": float(a[r == 40][0])}


# --- refraction over a shelf -----------------------------------------------------------------


def refraction(angle_deg, depth, wavelength=20.0, size=360):
    """A plane wave along y meets a straight shelf edge tilted by angle_deg: the
    measured and Snell's angle of the refracted wave to the edge's normal."""
    b = rm.Basin(size, size, threads=1)
    theta = np.radians(angle_deg)
    y, x = np.mgrid[0:size, 0:size]
    edge = 150 + (x - size / 2) * np.tan(theta)
    b.bed[:] = np.where(y > edge, 1.0 - depth, 0.0).astype(np.float32)
    b.reset()
    b.sponge(40)
    period = period_of(wavelength)
    b.add_line_source(41, 45, size - 42, 45, period=period, amplitude=5e-4)
    omega_dt = 2 * np.pi / period * theory.DT
    per = int(round(2 * np.pi / omega_dt))
    b.step(int(2.2 * size / (0.45 * np.sqrt(depth))))
    # The complex amplitude at the driving frequency over whole periods.
    ds = b.run(per, fields=("h",))
    phase = np.exp(-1j * omega_dt * ds["step"].values)
    z = np.tensordot(phase, ds["h"].values + b.bed - b.rest_height, axes=1)
    # A window on the shelf, well inside it and the sponge.
    x0 = size // 2 - 50
    y0 = int(edge[0, x0 + 100] + 20)
    window = z[y0:y0 + 100, x0:x0 + 100] * np.outer(np.hanning(100), np.hanning(100))
    pad = 1024
    spectrum = np.abs(np.fft.fft2(window, (pad, pad)))
    ky, kx = np.unravel_index(np.argmax(spectrum), spectrum.shape)
    # z carries exp(−i k·x): the peak sits at −k.
    k = -np.array([np.fft.fftfreq(pad)[kx], np.fft.fftfreq(pad)[ky]]) * 2 * np.pi
    # Angles to the edge's normal, (−sin θ, cos θ).
    normal = np.array([-np.sin(theta), np.cos(theta)])
    measured = float(np.degrees(np.arctan2(np.cross(normal, k), normal @ k)))
    # Snell with the scheme's own wave numbers at the driving frequency: k along
    # the edge is kept. The grid is anisotropic, so solve along the direction.
    k1 = 2 * np.pi / wavelength
    along = k1 * np.sin(theta)
    angles = np.linspace(0, np.pi / 2, 2001)
    kx2, ky2 = theory.wave_vectors(omega_dt, angles + np.pi / 2 + theta, theory.ab(theory.DT, depth=depth))
    k2 = np.hypot(kx2, ky2)
    snell = float(np.degrees(angles[np.argmin(np.abs(k2 * np.sin(angles) - along))]))
    isotropic = float(np.degrees(np.arcsin(np.sin(theta) * wavelength_of(omega_dt, depth) / wavelength)))
    return abs(measured), snell, isotropic, np.real(z), edge


def shelf(figures):
    import matplotlib.pyplot as plt
    rows = []
    picture = None
    for angle in (20, 35):
        for depth in (0.5, 0.25):
            measured, snell, isotropic, z, edge = refraction(angle, depth)
            rows.append((angle, depth, measured, snell, isotropic))
            if angle == 35 and depth == 0.25:
                picture = (z, edge)
    z, edge = picture
    fig, ax = plt.subplots(figsize=(5.5, 5))
    top = np.abs(z[50:-50, 50:-50]).max()
    ax.imshow(z, origin="lower", cmap="RdBu_r", vmin=-top, vmax=top)
    ax.plot(np.arange(z.shape[1]), edge[0], "k", lw=0.8)
    ax.set_ylim(0, z.shape[0] - 1)
    ax.set_xlabel("x (cells)")
    ax.set_ylabel("y (cells)")
    ax.set_title("Refraction: 35°, depth 1 → 0.25")
    fig.tight_layout()
    fig.savefig(os.path.join(figures, "shelf.png"), dpi=100)
    plt.close(fig)
    return {"rows": rows}


# --- shoaling up a slope ------------------------------------------------------------------


def shoaling(figures, wavelength=40.0, shallow=0.1):
    """A wave up a gentle slope from depth 1 to `shallow`: the amplitude against
    Green's law a ∝ depth^(−1/4)."""
    import matplotlib.pyplot as plt
    length, start, rise = 1300, 200, 800
    b = rm.Basin(length, 5, threads=1)
    x = np.arange(length)
    bed = np.clip((x - start) / rise, 0, 1) * (1 - shallow)
    b.bed[:] = bed.astype(np.float32)
    b.reset()
    b.sponge(40, edges="we")
    period = period_of(wavelength)
    b.add_line_source(60, 1, 60, 3, period=period, amplitude=5e-4)
    per = int(period / b.timestep) + 1
    b.step(int(1.3 * length / (0.447 * np.sqrt(shallow))))
    frames = b.run(3 * per, fields=("h",))["h"].values[:, 2, :]
    a = swing(frames)
    depth = 1 - bed
    # The envelope's ripple from the slope's small reflection: average over a
    # local wavelength.
    smooth = np.array([a[max(0, i - 10):i + 10].mean() for i in range(length)])
    deep = smooth[100:start].mean()
    sample = [d for d in (0.8, 0.6, 0.4, 0.3, 0.2, 0.15)]
    where = [int(start + (1 - d) / (1 - shallow) * rise) for d in sample]
    measured = [float(smooth[i] / deep) for i in where]
    green = [d ** -0.25 for d in sample]
    fig, ax = plt.subplots(figsize=(6.4, 4))
    span = slice(80, start + rise)
    ax.plot(depth[span], (a / deep)[span], "C0", lw=0.6, label="measured")
    ax.plot(depth[span], (smooth / deep)[span], "C0", lw=1.6, label="measured, smoothed")
    ax.plot(depth[span], depth[span] ** -0.25, "k:", label="Green: depth^(−1/4)")
    ax.invert_xaxis()
    ax.set_xlabel("depth (the slope runs right)")
    ax.set_ylabel("amplitude / deep-water amplitude")
    ax.set_title("Shoaling: λ = %g cells in depth 1" % wavelength)
    ax.legend(fontsize=8)
    fig.tight_layout()
    fig.savefig(os.path.join(figures, "shoaling.png"), dpi=100)
    plt.close(fig)
    return {"depths": sample, "measured": measured, "green": green, "wavelength": wavelength}


# --- a harbour ----------------------------------------------------------------------------


class Harbour:
    """A 200 x 160 basin: open water below a breakwater (rows 108-109) with a
    5-cell mouth, a harbour of 80 x 40 cells behind it, a line source across
    the open water and a sponge along its far side."""

    width, height = 200, 160
    mouth = (98, 103)           # columns of the mouth
    inside = (60, 140, 110, 150)  # x0, x1, y0, y1 (exclusive ends)
    wall = (108, 110)           # the breakwater's rows

    def basin(self, period):
        b = rm.Basin(self.width, self.height, threads=1)
        x0, x1, y0, y1 = self.inside
        b.walls[self.wall[0]:, :] = True
        b.walls[y0:y1, x0:x1] = False
        b.walls[self.wall[0]:self.wall[1], self.mouth[0]:self.mouth[1]] = False
        b.reset()
        b.sponge(30, edges="s")
        b.add_line_source(1, 45, self.width - 2, 45, period=period, amplitude=2e-4, ramp=3.0)
        b.add_gauge(100, y1 - 2)   # the harbour's back wall, opposite the mouth
        b.add_gauge(30, self.wall[0] - 1)  # the breakwater's outer face, away from the mouth
        return b

    def helmholtz(self, outside=1 / (2 * np.pi)):
        """The lowest mode as a Helmholtz resonator, in steps: the harbour's
        area S is the spring, the water in the mouth (width w, the wall's
        length l plus an end correction each side for the flow spreading from
        the mouth, (w/π)·ln(2R/w) out to R) the mass:
        ω² = c²·w / (S·l_eff), c = √(g·H/2)."""
        x0, x1, y0, y1 = self.inside
        area = (x1 - x0) * (y1 - y0)
        w = self.mouth[1] - self.mouth[0]
        l = self.wall[1] - self.wall[0]
        c = theory.C_HALF * theory.DT / theory.DX  # cells per step
        r_in = np.sqrt(area / np.pi)
        period = 1000.0
        for _ in range(30):  # the outside's R is a fraction of a wavelength
            r_out = c * period * outside
            l_eff = l + (w / np.pi) * (np.log(2 * r_in / w) + np.log(2 * r_out / w))
            period = 2 * np.pi / (c * np.sqrt(w / (area * l_eff)))
        bare = 2 * np.pi / (c * np.sqrt(w / (area * l)))
        return float(period), float(bare), float(l_eff)

    def response(self, period_steps, periods=12, measure=4):
        b = self.basin(period_steps * theory.DT)
        every = max(1, int(period_steps / 40))
        total = int(periods * period_steps) // every * every
        h = b.run(total, every=every)["gauge_h"].values
        tail = h[-int(measure * period_steps / every):]
        inside, outside = swing(tail).tolist()
        return inside / outside


def harbour(figures, periods=None):
    import matplotlib.pyplot as plt
    hb = Harbour()
    if periods is None:
        periods = np.geomspace(150, 3000, 24)
    ratios = [hb.response(p) for p in periods]
    helmholtz, bare, l_eff = hb.helmholtz()
    half_wave = hb.helmholtz(outside=0.5)[0]
    peaks = [i for i in range(1, len(ratios) - 1) if ratios[i] > ratios[i - 1] and ratios[i] >= ratios[i + 1]]
    # The harbour's pumping mode is the strongest response; longer periods also
    # stir the open water outside, whose waves outgrow the sponge.
    lowest = max(peaks, key=lambda i: ratios[i]) if peaks else int(np.argmax(ratios))
    fig, ax = plt.subplots(figsize=(6.4, 4))
    ax.semilogx(periods, ratios, "o-", ms=3)
    ax.axvline(helmholtz, color="k", ls=":", label="Helmholtz estimate, %.0f steps" % helmholtz)
    ax.set_xlabel("forcing period (steps)")
    ax.set_ylabel("amplitude inside / outside")
    ax.set_title("A harbour's response (80 × 40 cells, 5-cell mouth)")
    ax.legend(fontsize=8)
    fig.tight_layout()
    fig.savefig(os.path.join(figures, "harbour.png"), dpi=100)
    plt.close(fig)
    return {"periods": [float(p) for p in periods], "ratios": ratios,
            "peaks": [(float(periods[i]), ratios[i]) for i in peaks],
            "lowest": (float(periods[lowest]), ratios[lowest]),
            "helmholtz": helmholtz, "bare": bare, "l_eff": l_eff, "half_wave": half_wave}


# --- volume with islands -----------------------------------------------------------------


ISLANDS = [(40, 50), (100, 110), (110, 40)]


def island_drift(islands, seed, steps=4000, every=100):
    """Volume change (ppm of the whole) over the steps, less what the drops added."""
    b = rm.Basin(160, 160, threads=1)
    for x, y in ISLANDS[:islands]:
        b.walls[y:y + 10, x:x + 10] = True
    b.reset()
    b.seed(seed)
    inner = (slice(1, -1), slice(1, -1))
    volume = lambda: float(b.h[inner].astype(np.float64).sum())
    start, added = volume(), 0.0
    for _ in range(steps // every):
        before = volume()
        b.random_drop()
        added += volume() - before
        b.step(every)
    return 1e6 * (volume() - start - added) / start


def mode_drift(mx, my, amplitude=0.01, steps=4000):
    """Volume change (ppm) of one standing wave of the closed basin over the steps."""
    b = rm.Basin(160, 160, threads=1)
    x = np.arange(160) - 0.5
    shape = np.outer(np.cos(my * np.pi * x / 158), np.cos(mx * np.pi * x / 158))
    b.h[1:-1, 1:-1] += (amplitude * shape[1:-1, 1:-1]).astype(np.float32)
    inner = (slice(1, -1), slice(1, -1))
    start = float(b.h[inner].astype(np.float64).sum())
    b.step(steps)
    return 1e6 * (float(b.h[inner].astype(np.float64).sum()) - start) / start


def volume_with_islands(figures, seeds=range(1, 7)):
    means = {k: float(np.mean([island_drift(k, s) for s in seeds])) for k in (0, 1, 3)}
    modes = {"%d,%d" % m: mode_drift(*m) for m in ((16, 0), (0, 16), (12, 12), (16, 9))}
    return {"means": means, "seeds": len(list(seeds)), "modes": modes}


def measure(figures):
    numbers = {}
    for name, work in [("sponge", sponge), ("source", source), ("shelf", shelf), ("shoaling", shoaling),
                       ("volume", volume_with_islands), ("harbour", harbour)]:
        started = time.time()
        numbers[name] = work(figures)
        print(name, "%.0f s" % (time.time() - started), numbers[name], flush=True)
    return numbers
