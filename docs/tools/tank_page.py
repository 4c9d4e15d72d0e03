"""The wave-tank part of docs/physics.md from what tank_physics measured."""

import numpy as np

MARK = "## The wave tank"


def render(n):
    sp, so, sh, gr, hb = n["sponge"], n["source"], n["shelf"], n["shoaling"], n["harbour"]
    table = {int(k): v for k, v in sp["table"].items()}
    header = "| width \\ λ | " + " | ".join("%d" % l for l in sp["wavelengths"]) + " |"
    rule = "|---|" + "---|" * len(sp["wavelengths"])
    rows = "\n".join("| %d | " % w + " | ".join("%.1f %%" % (100 * r) for r in table[w]) + " |"
                     for w in sp["widths"])
    default = dict(zip(sp["wavelengths"], table[40]))
    gains = "\n".join("| %d | %.3f | %.3f |" % (l, g, np.sin(np.pi / l)) for l, g in zip(so["wavelengths"], so["gains"]))
    snell = "\n".join("| %d° | %g | %.2f° | %.2f° | %.2f° |" % tuple(r) for r in sh["rows"])
    snell_error = max(abs(r[2] - r[3]) for r in sh["rows"])
    green = "\n".join("| %g | %.3f | %.3f | %+.1f %% |" % (d, m, g, 100 * (m / g - 1))
                      for d, m, g in zip(gr["depths"], gr["measured"], gr["green"]))
    lowest_period, lowest_ratio = hb["lowest"]
    vol = n["volume"]
    means = {int(k): v for k, v in vol["means"].items()}
    modes = vol["modes"]
    peaks = ", ".join("%.0f steps (%.1f×)" % tuple(p) for p in hb["peaks"]) or "none inside the sweep"
    return MARK + f"""

The module's own wave makers, sponge, bed and gauges (`Basin.add_point_source`,
`add_line_source`, `sponge`, `bed`, `add_gauge`, `run`), measured by
`tests/support/ripplemoor_dev/tank_physics.py` (about ten minutes on two cores).

### Wave makers: what a unit of forcing makes

A source drives the surface of its cells: every step adds the change of
D(t) = A·s(t)·sin(2π·t/T + φ) to h there (s rising smoothly from 0 to 1 over
the ramp), so the water it has added is D(t) itself and never drifts, and
over a period it adds none. The sine is the library's own polynomial in plain
double arithmetic: the same bits on every processor and target.

![The wave a line source and a point source make per unit of forcing](physics/source.png)

A line source one cell thick across a channel sends a plane wave each way of
amplitude **A·sin(π/λ)** (λ in cells): the displacement's rate A·ω spread over
the wave's two directions, a = A·ω·Δx / (2·c) = A·k·Δx/2 for long waves.
Measured through `run` against that:

| λ (cells) | a / A measured | sin(π/λ) |
|---|---|---|
{gains}

A point source (radius 1, five cells) spreads its wave in circles: at
λ = 20 cells its amplitude falls as r^{so["point_slope"]:.3f} (theory r^−½), and
**a ≈ {so["point_fit"]:.3f}·A/√r** (r in cells); 40 cells away a unit of forcing makes
{so["point_at_40"]:.4f}.

### Absorbing edges

![Reflection of the sponge against wavelength for four widths](physics/sponge.png)

The sponge relaxes h towards its rest depth and u, v towards zero by a factor
1 − σ per step, σ = strength·((width − d)/width)² at distance d from the edge.
A plane wave along a channel into the sponge, its reflection taken from the
standing-wave ratio in front of it (amplitude reflected / incident; the
measure's floor is about 0.5 %, from sampling the swing at whole steps):

{header}
{rule}
{rows}

The default layer (40 cells, strength 0.25) reflects **{100 * default[10]:.1f} %, {100 * default[20]:.1f} %,
{100 * default[40]:.1f} % and {100 * default[80]:.1f} %** of waves 10, 20, 40 and 80 cells long. A layer
reflects little once it is about half a wavelength wide; long waves need wider
layers (the harbour below uses 30 cells for waves hundreds of cells long and
still sees some of the outer basin's own response).

### A sea bed

With a bed, h is the water column: at rest h = rest_height − bed, the velocity
update takes the gradient of h − d (d the rest depth), and a lake at rest stays
at rest to the bit. Advection carries h − d/2, so that the step's linear
equations are ∂η/∂t = −½·∇·(d·**u**), ∂**u**/∂t = −g·∇η: the half-depth waves of
the flat basin, in flux form over any depth. Carrying h itself would count
the whole of **u**·∇d where the flux holds half of it; waves would then grow as
d^(−3/4) up a slope instead of Green's d^(−1/4), and a steep step in the bed turns
unstable (both measured before the change).

![Refraction of a plane wave over a shelf](physics/shelf.png)

**Refraction.** A plane wave along y (λ = 20 cells in depth 1) meets a straight
shelf edge tilted by θ₁; the refracted wave's direction is the peak of the
spatial spectrum of its complex amplitude on the shelf. Snell's law with the
scheme's own wave numbers keeps the wave number along the edge; the grid is
anisotropic, so the shelf's wave number is solved along each direction
(the last column uses the isotropic k ∝ 1/√d):

| θ₁ | depth on the shelf | θ₂ measured | θ₂ Snell (scheme) | θ₂ Snell (isotropic) |
|---|---|---|---|---|
{snell}

Measured and Snell agree to {snell_error:.2f}°, about the resolution of a 100-cell window.

![Amplitude up a slope against Green's law](physics/shoaling.png)

**Shoaling.** A wave of λ = {gr["wavelength"]:g} cells up a slope from depth 1 to 0.1 over 800
cells (amplitude against the amplitude in front of the slope, the envelope
averaged over 20 cells):

| depth | measured | Green d^(−1/4) | difference |
|---|---|---|---|
{green}

The measured amplitude follows Green's law to within the ripple that the
slope's weak reflection leaves on the envelope; the deep reference itself
carries part of that ripple.

### Volume, understood

A closed basin with islands gains volume where the open one loses it. Random
drops every 100 steps for 4,000 steps, the same drops with and without 10 × 10
islands, the change less what the drops added (means over {vol["seeds"]} seeds):
**{means[0]:+.0f} ppm** open, **{means[1]:+.0f} ppm** with one island, **{means[3]:+.0f} ppm** with three.
One standing wave of the closed basin (amplitude 0.01, 4,000 steps) shows
why: along an axis, modes (16, 0) and (0, 16) lose **{-modes["16,0"]:.0f} ppm**, while the oblique
modes (12, 12) and (16, 9) gain **{modes["12,12"]:+.0f}** and **{modes["16,9"]:+.0f} ppm**. The upwind (diffusive) part
of the bilinear interpolation of h takes volume from waves that run along the
axes; oblique waves do not lose it, and in these runs gain. A drop's ring
in open water meets the walls mostly head-on, as waves along the axes;
corners and islands scatter it into oblique waves, so the loss term
falls away and the gain remains. Neither the wall treatment nor the
precision makes it: it is the scheme's (∫h² is what its equation keeps, see
[Volume](#volume)), and the plain step keeps its bits; `conserve_volume=True`
hands the drift back.

### A harbour's response

![Amplitude inside a harbour over outside, against the forcing period](physics/harbour.png)

A 200 × 160 basin: open water with a line source across it and a 30-cell
sponge on its far side, a breakwater two cells thick with a 5-cell mouth,
and behind it a harbour of 80 × 40 cells. Gauges at the harbour's back wall
opposite the mouth and on the breakwater's outer face away from it; the ratio
of their swings over the last four of twelve periods, for
{len(hb["periods"])} periods from {hb["periods"][0]:.0f} to {hb["periods"][-1]:.0f} steps. Peaks: {peaks}. The rise past
2,000 steps is the open water's own: its waves are then over 900 cells long,
far beyond what the 30-cell sponge absorbs, so the outside gauge no longer
sees a clean incident wave.

The lowest mode, the harbour pumping through its mouth, peaks at about
**{lowest_period:.0f} steps** ({lowest_ratio:.1f}× the outside). As a Helmholtz resonator, the
harbour's area S = 3200 cells² is the spring and the water in the mouth the
mass: ω₀² = c²·w / (S·l_eff) with c = √(g·H/2), w = 5 cells and l_eff the wall's
2 cells plus an end correction of (w/π)·ln(2R/w) on each side for the flow
that spreads from the mouth out to R (inside √(S/π), outside a wavelength over
2π): l_eff = {hb["l_eff"]:.1f} cells and a period of **{hb["helmholtz"]:.0f} steps**
({100 * (hb["helmholtz"] / lowest_period - 1):+.0f} % from the measured peak; without the end corrections,
{hb["bare"]:.0f} steps). The estimate treats the harbour as a lumped volume that
rises and falls as one, and the mouth's mass as a short plug with logarithmic
ends: a wave takes about 180 steps to cross the harbour's 80 cells, so at
1,400 steps its surface is nearly but not quite level, and the end
corrections (logarithms of guessed radii) are the weakest part of the
estimate: R outside as half a wavelength gives {hb["half_wave"]:.0f} steps
({100 * (hb["half_wave"] / lowest_period - 1):+.0f} %). The sweep's spacing
(periods {100 * (hb["periods"][1] / hb["periods"][0] - 1):.0f} % apart) bounds how well the peak is placed.
"""
