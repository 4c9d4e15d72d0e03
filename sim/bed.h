#pragma once

// The sea bed. `bed` is the bed's elevation per cell (0: the floor of a basin
// without one); the water column is h, so at rest h = rest height - bed and the
// surface h + bed is flat. The velocity update uses the gradient of the surface
// as (h - d) differences, d the rest depth fl(rest height - bed) kept per cell:
// at rest h - d is exactly 0, so a lake at rest stays at rest to the bit over any
// bed. Advection carries h - d / 2 (advectOverBed), so that the step's equations
// are those of the half-depth waves in flux form over a varying depth. The border's rest depth copies its inner neighbour as the step's boundary
// copy does, so the border holds still too. An all-zero bed takes none of these
// paths.

#include <functional>
#include <string>

class Basin;

// Runs the advection of h (advectH) on h - depth / 2 where there is a bed, then
// adds the half depth back; without a bed it just runs it.
void advectOverBed(Basin& basin, const std::function<void()>& advectH);

// The bed is checked and d rebuilt when bed or the walls changed since. Throws
// std::invalid_argument naming the first water cell (in row order) whose bed is
// not finite or reaches the rest level; the basin is unchanged then.
void refreshBed(Basin& basin);

// Whether a non-zero bed is in force (as of the last refresh).
bool bedInUse(const Basin& basin);
