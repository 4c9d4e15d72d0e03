"""docs/physics.md from the numbers that docs/tools/physics.py measured."""

import numpy as np

import tank_page  # noqa: E402  (beside this script)
from ripplemoor_dev import wave_theory as theory


def render(n):
    s, r, vol, e = n["speed"], n["ring"], n["volume"], n["energy"]
    vr = vol["runs"]
    st, sl, ch = n["stability"], n["slits"], n["channel"]
    fronts = r["front_speeds"]
    inv = e["invariant"]
    tiny, small, big = ch["pulses"]
    fringe_rows = "\n".join(
        "| %+d | %.1f | %.1f | %.1f | %.1f | %.1f | %.1f |" % (
            (m, half_cell(x - sl["centre"]), spread) + tuple(round(v - sl["centre"], 1) + 0.0 for v in (g, e, p, f)))
        for m, x, spread, g, e, p, f in zip(sl["orders"], sl["measured"], sl["spread"], sl["grid"],
                                             sl["enveloped"], sl["isotropic"], sl["far"]))
    pulse_rows = "\n".join(
        "| %g | **%.4f** (%.4f cells/step) | %.4f | %.4f | %.3f | %.1f %% |" % (
            p["pulse"], p["cells_per_step"] * theory.DX / theory.DT, p["cells_per_step"],
            p["out"] * theory.DX / theory.DT, p["back"] * theory.DX / theory.DT, p["peak_kept"],
            100 * p["energy_kept"]) for p in ch["pulses"])
    sponges = ", ".join("%d cells at %g" % w for w in sl["sponges"])
    drained = "\n".join("| %g | %.4f | %.4f | %.3f | %.4f |" % d for d in st["drained"])
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

    PYTHONPATH=build/python /usr/bin/python3 docs/tools/physics.py

It writes the figures in `docs/physics/` and this page with the numbers it
measured. The theory it compares with is in
`tests/support/ripplemoor_dev/wave_theory.py`.

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

1. advection of h, then u, then v: each interior value becomes the bilinear
   sample of the field at the departure point (x, y) − Δt·**u**/Δx, counted in
   the field's own grid. The velocity there: for h, the mean of the faces on
   either side, at the cell centre; for a u face, u itself along x, but across
   it the mean of the four v faces around (x + ½, y), one cell beside the face
   at x − ½; for a v face, v itself and the mean of the four u faces around
   (x, y + ½), one cell beside the face at y − ½. h and u are advected along the
   velocities the step found, v along the u that the step has just advected;
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
Courant number √(a·b) = √(g·H/2)·Δt/Δx is {s["courant"]:.4f}, below the limit of 1/√2 that
[Stability](#stability) measures, so every wave on the grid is stable). For long waves
ω = √(g·H/2)·k: the waves travel at √(g·H/2) = {theory.C_HALF:.4f} length per unit time
({theory.C_HALF * theory.DT / theory.DX:.4f} cells per step), not at the shallow-water
√(g·H) = {(theory.G * theory.H) ** 0.5:.4f}. Speeds on this page are in length per unit time
(the cell is {theory.DX} long, the step {theory.DT}) unless they say cells per step.

## Wave speed

![Phase speed against k·Δx: theory curves and measured points](physics/wave-speed.png)

{s["modes"]} standing waves of the closed basin (amplitude 0.001; along x, and
diagonal), each started from rest; the period is taken from the zero crossings
of the wave's amplitude (the height projected onto its shape). Every measured
period agrees with the scheme's dispersion relation to within
**{100 * s["max_period_error"]:.3f} %**, from the longest wave (period {s["longest_period"]:.1f} steps) to
the shortest along x (mode 157, period {s["shortest_period"]:.2f} steps) and the shortest of all, the
diagonal mode (157, 157) with a period of {s["diagonal_period"]:.2f} steps. The long waves' phase
speed ω/k is √(g·H/2); the short ones are slower: the two-cell wave along x at
{100 * s["shortest_speed_ratio"]:.0f} % of it. Waves along a diagonal are faster than waves of the same
length along an axis (the grid is not isotropic), but none is faster than the
long waves: over every direction and wavelength the largest phase speed and the
largest group speed dω/dk of the scheme are both {s["fastest"]:.4f}, the long-wave limit.

## A drop's ring

![Ring profiles and the front's radius against time](physics/ring.png)

A small drop (radius 2, +0.05) in the middle of the basin, the height averaged
over circles about it every 5 steps from step 20 to 140. The ring's front, taken
as the outermost radius where that mean reaches a fraction of its largest
value, moves at {fronts[0.05]:.3f} for 5 %, **{fronts[0.1]:.3f}** for 10 % and {fronts[0.5]:.3f} for 50 %
({100 * (fronts[0.05] / theory.C_HALF - 1):+.1f} %, {100 * (fronts[0.1] / theory.C_HALF - 1):+.1f} % and {100 * (fronts[0.5] / theory.C_HALF - 1):+.1f} % from √(g·H/2) = {theory.C_HALF:.3f}); the leading crest
moves at **{r["crest_speed"]:.3f}** ({100 * (r["crest_speed"] / theory.C_HALF - 1):+.1f} %). These are speeds of a shape, which
carries energy, so they compare with the group speed, not with the phase speed
of any one wave. No linear wave of the scheme beats √(g·H/2), in phase or group
speed (see [Wave speed](#wave-speed)). A front faster than that, and faster the
lower its threshold, is not a faster wave: dispersion widens the ring's leading
edge as it travels, ahead of the point that moves at √(g·H/2) as well as behind
it, so a point at a fixed fraction of the peak runs ahead while the edge
widens, the lower the fraction the more. The crest, a point of the shape
itself, keeps below √(g·H/2): the long waves that make the front travel at it,
the shorter ones fall behind and trail the front as ripples.

## Volume

![Relative volume drift over 10,000 steps with a drop every 100, without and with the volume keeper](physics/volume.png)

The sum of h over the interior for 10,000 steps with a random drop every 100
steps ({vol["drops"]} drops, seed 1, adding {vol["added"]:.2f} to a start of {vol["start"]:.0f}), less what
the drops added: after 10,000 steps the volume is off by
**{1e6 * vol["final_drift"]:+.1f} parts per million** of the whole (largest deviation
{1e6 * vol["max_drift"]:.1f} ppm). The scheme keeps ∫h only to first order in the wave amplitude: its model
equation ∂h/∂t + **u**·∇h = −½·h·∇·**u** conserves ∫h² (multiplied by 2·h it is
∂h²/∂t + ∇·(h²·**u**) = 0), not ∫h, so the volume drifts at second order, and
the semi-Lagrangian advection of h interpolates and conserves neither exactly.
Where the volume goes depends on the waves' directions ([Volume,
understood](#volume-understood)).

`Basin(conserve_volume=True)` hands the volume back: each step measures what
its advection and height update changed in the sum of h over the water cells
(row by row in double, in a fixed order) and, once that reaches a float step of
the rest level per cell, shifts every water cell by it; what the shift really
added, rounding included, is taken off what is owed. Drops, sources and the
sponge still change the volume, and the border and the walls follow as in
the plain step. The same drops, with the keeper and without, in the basin with
its border walls only
and with three 10 × 10 islands (drift in parts per million of the whole: at
the end, and the largest):

| basin | without | with `conserve_volume=True` |
|---|---|---|
| open | {1e6 * vr["free-open"]["final"]:+.1f} (largest {1e6 * vr["free-open"]["largest"]:.1f}) | {1e6 * vr["kept-open"]["final"]:+.3f} (largest {1e6 * vr["kept-open"]["largest"]:.3f}) |
| three islands | {1e6 * vr["free-walled"]["final"]:+.1f} (largest {1e6 * vr["free-walled"]["largest"]:.1f}) | {1e6 * vr["kept-walled"]["final"]:+.3f} (largest {1e6 * vr["kept-walled"]["largest"]:.3f}) |

A float step of 1.0 is 0.119 parts per million: with the keeper the volume
stays within it. It is off by default, and then the step's bits are the plain
step's; on, it gives the same bits on every target and thread count.

## Energy

![Energy after one drop over 10,000 steps, with the fits of its decay](physics/energy.png)

After one drop (radius 5, +0.1) the energy ½·g·(h − H)² + ½·H·(u² + v²) summed over
the basin (H = {e["depth"]:.6f}, the mean depth with the drop's water) falls fast at
first: the square drop's sharp edges are short waves, which the scheme damps
hardest (below), and the mean of the ¼·H form (next paragraph) over the first 500 steps is
{100 * e["kept_500"]:.0f} % of its start. From step 2,000 on it falls with a mean e-folding time of
**{steps(e["tau_plain"])}** (fitted to its means over 500 steps, the dashed line), but
the rate is not constant: the ¼·H form's e-folding time is {steps(e["tau_early"])} from
step 2,000 to 5,000 and {steps(e["tau_late"])} from step 7,000 to 10,000 (the two solid lines). The
damping grows with the waves' amplitude (below), so it weakens as they shrink.

This sum is not the one the linearised equations conserve: with the factor ½
in the height equation the continuous linear equations conserve
½·g·(h − H)² + ¼·H·(u² + v²), which falls with an e-folding time of
{steps(e["tau_own"])}; the figure plots both, each at one time level. The scheme
keeps neither exactly from step to step: its linear step conserves
½·g·ηⁿ·ηⁿ⁺¹ + ¼·H·|uⁿ|² (η = h − H), which mixes the height before and after
the step's height update. For a short standing wave, the diagonal mode
({inv["mode"]}, {inv["mode"]}) at amplitude 0.0001, over 100 steps and about the wave's slow decay,
the one-level form swings by {100 * inv["one_level"]:.0f} % while the two-level one stays within
{100 * inv["two_level"]:.2f} %; for long waves the two agree closely. The plain sum swings as the
water trades potential for kinetic energy (between {e["ratio_spread"]:.2f} and {e["ratio_top"]:.2f} times the
¼·H form): sampled every 10 steps it rose {e["sample_rises"]} times in {e["samples"] - 1}
intervals, while its means over 500 steps {rise_text}.

![e-folding time of standing waves by wavelength and by amplitude](physics/damping.png)

The linearised scheme is neutral, so the damping is a finite-amplitude effect:
the advection's bilinear interpolation smooths over a displacement of
Δt·u/Δx cells, which grows with the velocity, and smoothing hurts short
waves most. Each e-folding time below compares the ¼·H form of the energy, averaged
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

## Stability

![The shortest wave's growth against the time step](physics/stability.png)

The step is neutral while a·b·s² ≤ 1, s² = sin²(kx·Δx/2) + sin²(ky·Δx/2). The
largest s² on an endless grid is 2 (the checkerboard wave), so the largest
stable time step is Δt = Δx/√(g·H) = {st["endless"]:.6f}: a Courant number
√(g·H/2)·Δt/Δx of 1/√2. A closed {st["size"]} × {st["size"]} basin's shortest wave, the diagonal
mode ({st["size"] - 3}, {st["size"] - 3}), has a slightly smaller s², so its limit is **{st["theory"]:.6f}**.

Measured through `ripplemoor.Basin(timestep=…)`: that mode, started at an
amplitude of 10⁻⁶, counts as unstable once it grows a hundredfold within 3,000
steps; a bisection over the time step puts the limit between **{st["low"]:.7f}** and
{st["high"]:.7f}, {100 * (st["low"] / st["theory"] - 1):+.4f} % from theory. (Just below the limit the neutral wave
swings up to 2/(π − ω·Δt) times its start, which reads as growth there: the
measured limit may lie up to 0.005 % low.) Of {len(st["sweep"])} time steps from {st["sweep"][0]} to
{st["sweep"][-1]}, the {len(st["stable"])} up to {max(st["stable"])} stay bounded; past the limit the measured growth
per step of the shortest wave follows the dispersion relation's |λ| = −c + √(c² − 1),
c = 1 − 2·a·b·s², within {100 * st["growth_error"]:.1f} % from 1 % past the limit on (right).

Left: the same basin started from white noise, the waves' amplitude (the
largest |h − mean h|, solid) and the water lost (1 − mean h, dotted). Past the
limit the shortest waves grow until the nonlinear terms stop them, and then the
instability stops itself: the mean depth falls (the ½·h·∇·u term turns the
grid-scale wave into a loss of volume) until the time step is stable for the
depth that is left, a·b ∝ H, and the waves die down:

| Δt | mean depth after 2,000 steps | neutral depth (Δt_limit/Δt)² | waves at their peak | waves after 2,000 steps |
|---|---|---|---|---|
{drained}

## Two slits

![A plane wave through two slits, and the fringes on a line behind them](physics/two-slits.png)

A {sl["size"][0]} × {sl["size"][1]} basin (x across, y along), a wall across row {sl["wall_row"]} with two slits
{sl["slit"]} cells wide, {sl["separation"]} cells apart, and a line source along row {sl["source_row"]}
(`add_line_source`, amplitude {sl["amplitude"]:g}). The driving frequency is that of a
wave {sl["wavelength"]:.0f} cells long along y in the scheme's dispersion relation (a period of
{sl["period"]:.2f} steps). The library's sponge (`Basin.sponge`) lines every edge, so that
what reaches the measuring line comes from the slits alone. After
{sl["steps"]} steps gauges on every cell of the line y = {sl["wall_row"] + sl["distance"]},
{sl["distance"]} cells behind the wall, record 8 periods of the height
(`Basin.run`); the wave power at the driving frequency along it gives the fringes.

The two slits are sources in phase, so the maxima lie where the paths from them
differ by whole wavelengths; in the far field d·sin θ = m·λ. The grid is not
isotropic: at that frequency a wave along the diagonal is longer than one along
an axis, so the path in wavelengths is the phase k·r of the grid's own wave that
carries energy from the slit to the point (the wave vector on the dispersion
relation's curve whose group velocity points there).

How precisely the setup places a fringe: the sponge reflects a little (under
1 % of a wave's amplitude at this wavelength, see [Absorbing edges](#absorbing-edges)), and those waves
cross the line too; the fringes lie about 45 cells apart, so a reflection that small
moves its maximum by a fraction of a cell. Measured with {len(sl["sponges"])} sponges ({sponges}),
the maxima move by up to **{sl["largest_spread"]:.1f} cells**. The table gives their mean to the
nearest half cell, and the positions hold to about ±0.5 cell; the figure is the
default strength's run. Positions from the middle (cells):

| m | measured (±0.5) | spread over the sponges | grid's own waves | grid's waves under the envelope | λ = {sl["wavelength"]:.0f} every way | far field d·sin θ = m·λ |
|---|---|---|---|---|---|---|
{fringe_rows}

The measured maxima lie within {sl["error"]:.1f} cells of the grid's path condition; with
the same wavelength in every direction they would be off by up to {sl["isotropic_error"]:.1f} cells (the
first fringes by about 2). The maxima lie inside the path condition, the second
fringes by about a cell, because the pattern's envelope falls off away from the
middle: each slit's wave weakens with distance and with the angle from straight
ahead (the dashed line in the figure, the mean of each slit alone), and a cos²
fringe multiplied by a falling envelope peaks on its higher side, towards the
middle. The grid's path condition under the envelope that the single slits
measured, E·(1 + cos 2πΔ), puts the maxima within **{sl["envelope_error"]:.1f} cells** of the
measured ones. The far-field formula, which ignores that the line is only
{sl["distance"]} cells away, is off by more.

## Reflection and a channel

![A pulse along a {ch["length"]} × {ch["width"]} channel and back](physics/channel.png)

A {ch["length"]} × {ch["width"]} basin, a Gaussian hump of h (spread {ch["spread"]} cells) against its
left wall, at rest: with its mirror image in the wall it makes one pulse of
half its height that runs to the far wall and back, {small["distance"]:.0f} cells in {small["steps"]:,}
steps (three channels stepped side by side with `rm.step_all`). The peak's
distance travelled against time gives its speed; the linear scheme's own
prediction (its standing modes, each with its own frequency) gives what
dispersion alone does.

| pulse | speed, both ways | out | back | peak / linear scheme's at the end | energy kept |
|---|---|---|---|---|---|
{pulse_rows}

√(g·H/2) is {theory.C_HALF:.4f} ({ch["theory_cells"]:.4f} cells per step); the linear scheme's pulse peak
moves at {ch["linear"] * theory.DX / theory.DT:.4f}, a little slower, as dispersion makes its shape lean back.
The {small["pulse"]:g} pulse runs {100 * (small["cells_per_step"] / ch["theory_cells"] - 1):+.2f} % from √(g·H/2); the one ten times higher
{100 * (big["cells_per_step"] / ch["theory_cells"] - 1):+.1f} %, and faster out than back as it loses height.

**Why a higher crest runs faster.** Along the channel the step's equations are
∂h/∂t + u·∂h/∂x = −½·h·∂u/∂x and ∂u/∂t + u·∂u/∂x = −g·∂h/∂x. Their
characteristic speeds are u ± c with c = √(g·h/2); the left-running ones
(u − c) carry the quantity whose change is dh − (c/g)·du, which in a wave that
runs into still water is the same everywhere, so the wave carries the flow u = ∫ g/c dh (from H to h) = 4·(c − c₀), c₀ = √(g·H/2). For a crest of height
η ≪ H, c − c₀ ≈ c₀·η/(2H), so u ≈ 2·c₀·η/H, and the crest moves at

    u + c ≈ c₀·(1 + 2·η/H + ½·η/H) = c₀·(1 + 5η/2H)

(the shallow-water equations, with h·∂u/∂x in full, give c = √(g·h),
u = 2·(c − c₀) and c₀·(1 + 3η/2H); the factor ½ makes the water's own speed count for more). The
two small pulses, alike in dispersion and damping, differ in speed by
**{ch["speedup_between_small"]:.1f}·η/H** (η the peak's mean height over the run) against 5/2; each also runs
{-100 * (small["cells_per_step"] / ch["linear"] - 1 - small["mean_peak"] * ch["speedup_between_small"]):.2f} % behind what the linear scheme's pulse and that law give, an offset
common to both. A simple wave's front turns vertical after H / (5/2·largest slope of η)
cells: {small["breaking"]:,.0f} cells for the {small["pulse"]:g} pulse, beyond the run, but
{big["breaking"]:.0f} cells for the {big["pulse"]:g} one. Up to there the high pulse speeds up by
{big["early_speedup"]:.1f}·η/H over the linear scheme's; after it, its front is a bore, which a
sharp jump would carry at about the mean of the speeds on either side,
c₀·(1 + 5η/4H); the advection smooths it and it loses energy, and its peak
gains {big["late_speedup"]:.1f}·η/H there ({big["speedup"]:.1f}·η/H over the whole run).
The end wall reflects the pulse whole: no jump in the peak or the energy at the turn.

**Loss per length.** The energy kept at the end over the distance travelled:
the {small["pulse"]:g} pulse loses {100 * small["energy_loss_per_100"]:.2f} % of its energy per 100 cells
({100 * (1 - small["energy_kept"]):.1f} % over the whole run) while its peak ends
{100 * (small["peak_kept"] - 1):+.1f} % from the linear scheme's as it steepens; the {tiny["pulse"]:g} pulse
{100 * tiny["energy_loss_per_100"]:.3f} % per 100 cells; the one ten times higher
{100 * big["energy_loss_per_100"]:.1f} % per 100 cells ({100 * (1 - big["energy_kept"]):.0f} % over the whole run;
{100 * big["loss_first_quarter"]:.1f} % per 100 cells over the first quarter of its path and
{100 * big["loss_last_quarter"]:.1f} % over the last, more in between;
its peak first rises as its front steepens, then falls). This is the damping of
[Energy](#energy), which grows with the amplitude: {big["energy_loss_per_100"] / small["energy_loss_per_100"]:.0f} times the loss per
length for ten times the height, {small["energy_loss_per_100"] / tiny["energy_loss_per_100"]:.1f} times for twice the height.

## Where the scheme departs from the continuum

- Wave speed: √(g·H/2) instead of √(g·H), from the height update's factor −½.
- Dispersion: short waves are slower than long ones (at two cells per
  wavelength, {100 * s["shortest_speed_ratio"]:.0f} % of the long-wave speed), and the grid is
  anisotropic; both come from the centred differences on the staggered grid and
  the forward-backward time step. Long waves are right to within a fraction of
  a per cent.
- Stability: neutral up to a Courant number √(g·H/2)·Δt/Δx of 1/√2
  (Δt = Δx/√(g·H)); past it the shortest waves grow, as the forward-backward
  step's dispersion relation says, until the basin has lost enough water.
- Damping: none in the linear limit; finite waves lose energy through the
  semi-Lagrangian advection's interpolation, the faster the shorter and the
  higher they are (e-folding time about proportional to 1/amplitude).
- Volume: not conserved exactly, because the height equation is not in
  conservative form (it keeps ∫h², not ∫h) and the advection interpolates; the
  drift is small (parts per million over 10,000 steps of drops) but nonzero,
  and `conserve_volume=True` holds it within a float step per cell.
""" + ("\n" + tank_page.render(n["tank"]) if "tank" in n else "")


def steps(tau):
    if tau == float("inf"):
        return "no measurable decay"
    return "%s steps" % format(round(tau, -2 if tau > 1000 else 0), ",.0f")


def half_cell(x):
    """x to the nearest half cell."""
    return round(2 * x) / 2 + 0.0
