"""docs/physics.md from the numbers that tools/physics.py measured."""

import numpy as np

from ripplemoor_dev import wave_theory as theory


def render(n):
    s, r, vol, e = n["speed"], n["ring"], n["volume"], n["energy"]
    by_mode = "\n".join("| %d | %.1f | %s |" % (m, 2 * 158 / m, steps(t)) for m, t in e["by_mode"])
    by_amp = "\n".join("| %g | %s |" % (a, steps(t)) for a, t in e["by_amplitude"])
    rises, top_rise = e["rises"]
    # How the e-folding time grows with the wavelength among the longer waves.
    long_waves = [(2 * 158 / m, t) for m, t in e["by_mode"] if 2 * 158 / m >= 9]
    power = np.polyfit(np.log([w for w, _ in long_waves]), np.log([t for _, t in long_waves]), 1)[0]
    rise_text = ("never rose" if rises == 0 else
                 "rose %d times, by %.2f %% at most" % (rises, 100 * top_rise))
    return f"""# What the solver solves, and how well

Everything on this page is measured by one command, through the Python module
(`ripplemoor`), on the real solver ({n["solver"]} kernel; every solver gives the same bits):

    PYTHONPATH=build/python /usr/bin/python3 tools/physics.py

It writes the figures in `docs/physics/` and this page with the numbers it
measured. The theory it compares with is in `tools/wave_theory.py`.

## The equations of one step

Read off the code (`sim/`), with h the height, **u** = (u, v) the velocity, g = 10,
Δt = 0.0625, Δx = 0.3125, the continuous form is

    ∂h/∂t + (u·∇)h = −½·h·∇·u
    ∂u/∂t + (u·∇)u = −g·∇h

The shallow-water equations have −h·∇·u in the first line, written as
∂h/∂t + ∇·(h·u) = 0. The factor ½ halves the depth that the waves feel, and the
form is not conservative.

One step, on the staggered grid (h[x,y] at cell centres, u[x,y] on the face
left of the cell, v[x,y] on the face below it), in this order:

1. advection of h, u and v: each interior value becomes the bilinear sample of
   the old field at the departure point (x, y) − Δt·**u**/Δx (u and v averaged
   to the sample's own point of the grid);
2. height: h[x,y] += −½·(Δt/Δx)·h[x,y]·((u[x+1,y] − u[x,y]) + (v[x,y+1] − v[x,y]));
3. velocities, from the new heights: u[x,y] −= (g·Δt/Δx)·(h[x,y] − h[x−1,y]),
   v[x,y] −= (g·Δt/Δx)·(h[x,y] − h[x,y−1]); the wall faces stay 0;
4. border: the outer rows and columns of h copy their inner neighbours.

Linearised about still water of depth H = 1, advection drops out and steps 2
and 3 are a forward-backward pair with a = ½·H·Δt/Δx and b = g·Δt/Δx. For a wave
of wave numbers (kx, ky) the step's matrix has determinant 1, so the scheme's
own dispersion relation is

    cos(ω·Δt) = 1 − 2·a·b·(sin²(kx·Δx/2) + sin²(ky·Δx/2))

with no damping at all while the right side stays above −1 (a·b = {theory.A * theory.B:.4f}: the
Courant number √(a·b) = √(g·H/2)·Δt/Δx is {s["courant"]:.4f}, so every wave on the grid is
stable). For long waves ω = √(g·H/2)·k: the waves travel at √(g·H/2) = {theory.C_HALF:.4f},
not at the shallow-water √(g·H) = {(theory.G * theory.H) ** 0.5:.4f}.

## Wave speed

![Phase speed against k·Δx: theory curves and measured points](physics/wave-speed.png)

{s["modes"]} standing waves of the closed basin (amplitude 0.001; along x, and
diagonal), each started from rest; the period is taken from the zero crossings
of the wave's amplitude (the height projected onto its shape). Every measured
period agrees with the scheme's dispersion relation to within
**{100 * s["max_period_error"]:.3f} %**, from the longest wave (period {s["longest_period"]:.1f} steps) to
the shortest (period {s["shortest_period"]:.2f} steps). The long waves travel at √(g·H/2); the
short ones are slower: the two-cell wave along x at {100 * s["shortest_speed_ratio"]:.0f} % of it. Waves
along a diagonal are faster than waves of the same length along an axis (the
grid is not isotropic).

## A drop's ring

![Ring profiles and the front's radius against time](physics/ring.png)

A small drop (radius 2, +0.05) in the middle of the basin, the height averaged
over circles about it every 5 steps, the front taken as the outermost radius
where that mean reaches 10 % of its largest value. The front moves at
**{r["front_speed"]:.3f}** (length per time), {100 * (r["front_ratio"] - 1):+.1f} % from √(g·H/2) = {theory.C_HALF:.3f}:
the fastest waves of the scheme are the longest, which travel at √(g·H/2); the
shorter ones fall behind and trail the front as ripples.

## Volume

![Relative volume drift over 10,000 steps with a drop every 100](physics/volume.png)

The sum of h over the interior for 10,000 steps with a random drop every 100
steps ({vol["drops"]} drops, seed 1, adding {vol["added"]:.2f} to a start of {vol["start"]:.0f}), less what
the drops added: after 10,000 steps the volume is off by
**{1e6 * vol["final_drift"]:+.1f} parts per million** of the whole (largest deviation
{1e6 * vol["max_drift"]:.1f} ppm). For small waves the height update's sum telescopes to the
wall faces, which are zero, so the drift is of second order in the wave
amplitude: it comes from the ½·h·∇·u term (not written as a divergence) and
from the semi-Lagrangian advection of h, which interpolates and conserves
nothing.

## Energy

![Energy after one drop over 10,000 steps](physics/energy.png)

After one drop (radius 5, +0.1) the energy ½·g·(h − H)² + ½·H·(u² + v²) summed over
the basin (H = {e["depth"]:.6f}, the mean depth with the drop's water) falls fast at
first: the square drop's sharp edges are short waves, which the scheme damps
hardest (below), and the conserved energy's mean over the first 500 steps is
{100 * e["kept_500"]:.0f} % of its start. From step 2,000 on it falls with an e-folding time of
**{steps(e["tau_plain"])}** (fitted to its means over 500 steps). This
sum is not the one the equations above conserve: with the factor ½ in the
height equation that is ½·g·(h − H)² + ¼·H·(u² + v²), which falls with an
e-folding time of {steps(e["tau_own"])}. The plain sum swings as the water trades
potential for kinetic energy (between {e["ratio_spread"]:.2f} and {e["ratio_top"]:.2f} times the
conserved one): sampled every 10 steps it rose {e["sample_rises"]} times in {e["samples"] - 1}
intervals, while its means over 500 steps {rise_text}.

![e-folding time of standing waves by wavelength and by amplitude](physics/damping.png)

The linearised scheme is neutral, so the damping is a finite-amplitude effect:
the advection's bilinear interpolation smooths over a displacement of
Δt·u/Δx cells, which grows with the velocity, and smoothing hurts short
waves most. Each e-folding time below compares the conserved energy, averaged
over whole half periods, at the start and 3,000 steps later. Standing waves of
amplitude 0.001:

| mode | wavelength (cells) | e-folding time of the energy |
|---|---|---|
{by_mode}

For wavelengths of 9 cells and more the e-folding time grows as the
wavelength to the power {power:.2f}; below that it levels off near
{steps(min(t for _, t in e["by_mode"]))}. One wavelength ({2 * 158 / 32:.2f} cells) at several amplitudes:

| amplitude | e-folding time |
|---|---|
{by_amp}

At small amplitudes the e-folding time goes as 1/amplitude, as a damping by
interpolation over a displacement proportional to the velocity should; at
larger amplitudes it falls more slowly than that law, and the decay is no
longer a clean exponential.

## Where the scheme departs from the continuum

- Wave speed: √(g·H/2) instead of √(g·H), from the height update's factor −½.
- Dispersion: short waves are slower than long ones (at two cells per
  wavelength, {100 * s["shortest_speed_ratio"]:.0f} % of the long-wave speed), and the grid is
  anisotropic; both come from the centred differences on the staggered grid and
  the forward-backward time step. Long waves are right to within a fraction of
  a per cent.
- Damping: none in the linear limit; finite waves lose energy through the
  semi-Lagrangian advection's interpolation, the faster the shorter and the
  higher they are (e-folding time about proportional to 1/amplitude).
- Volume: not conserved exactly, because the height equation is not in
  conservative form and the advection interpolates; the drift is small (parts
  per million over 10,000 steps of drops) but nonzero.
"""


def steps(tau):
    if tau == float("inf"):
        return "no measurable decay"
    return "%s steps" % format(round(tau, -2 if tau > 1000 else 0), ",.0f")
