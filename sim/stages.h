#pragma once

// The two paths of the solver's stages, the portable loops (the reference) and the
// vector kernel, behind one signature each. The stages (advect.cpp,
// height_update.cpp, velocity_update.cpp) fill these records from a basin and
// call the chosen path once per band of rows. Plain arrays of width x height
// floats, cell (x, y) at x + width y.

#include "sim/advect.h"
#include "sim/basin.h"

namespace ripplemoor {

// The basin's size and the band of interior rows [rowBegin, rowEnd) that one
// call covers (within 1 .. height - 2).
struct Extent {
    int width, height;
    int rowBegin, rowEnd;
};

struct AdvectArrays {
    const float* f; // the advected field, read only
    float* out;     // receives the interior samples
    const float *u, *v;
    const float* solid; // 1 at solid cells, whose values a height sample replaces by the cell's own; null without walls
    float timestep, invCellSize;
    Extent extent;
};

struct HeightArrays {
    float *h, *heightChange, *heightAccel, *speedSq, *flowDirection, *energyProduct;
    const float *u, *v;
    const float* shown; // the field the colour mode shows, null in MODE_PLAIN (the kernel picks it by mode)
    const float* solid; // 1 at solid cells, left out of the range; null without walls
    float timestep, invCellSize;
    Extent extent;
    // The heights the update starts from, h itself or the advected heights that
    // the step has not copied back; h[i] is written from hIn[i] alone.
    const float* hIn = nullptr;
};

struct VelocityArrays {
    float *u, *v;
    const float* h;
    double coefficient;
    Extent extent;
    const float* rest = nullptr; // rest depth per cell under a bed: the gradient is that of h - rest
    // The faces the update starts from, u and v themselves or the advected faces
    // that the step has not copied back. Out of place, the interior faces the
    // update leaves alone (u at x = 1, v at y = 1) are copied.
    const float *uIn = nullptr, *vIn = nullptr;
};

// Each path has the same three entry points: the bilinear samples at every
// departure point of a band (advect's first pass); a band of the height update in
// a mode of 0..6, widening that mode's range [min, max]; a band of the velocity
// update, wall faces untouched.
namespace portable {
void sampleDepartures(const AdvectArrays& a, AdvectKind kind);
void updateHeightInterior(const HeightArrays& a, int mode, float& max, float& min);
void updateVelocities(const VelocityArrays& a);
} // namespace portable

namespace kernel {
void sampleDepartures(const AdvectArrays& a, AdvectKind kind);
void updateHeightInterior(const HeightArrays& a, int mode, float& max, float& min);
void updateVelocities(const VelocityArrays& a);
// Whether the chosen target's blocks of cells fit in a row of this many cells.
bool fitsWidth(int width);
} // namespace kernel

// One path's three entry points. A step picks its path once and hands it to
// every stage, so no stage asks again.
struct StagePath {
    void (*sampleDepartures)(const AdvectArrays&, AdvectKind);
    void (*updateHeightInterior)(const HeightArrays&, int mode, float& max, float& min);
    void (*updateVelocities)(const VelocityArrays&);
    bool vector; // the kernel: it visits cells in another order than the reference
};
inline constexpr StagePath PORTABLE_PATH{portable::sampleDepartures, portable::updateHeightInterior,
                                         portable::updateVelocities, false};
inline constexpr StagePath KERNEL_PATH{kernel::sampleDepartures, kernel::updateHeightInterior,
                                       kernel::updateVelocities, true};

// The kernel where a target is chosen and its blocks fit the basin, else the
// portable loops.
bool useKernel(const Basin& basin);
inline const StagePath& stagePath(const Basin& basin) { return useKernel(basin) ? KERNEL_PATH : PORTABLE_PATH; }

// The one place where a kind (and, for heights, the walls) picks the sampling
// loop: calls Loops::template run<KIND, WALLS>(a). Both paths go through it.
template <typename Loops>
void sampleByKind(const AdvectArrays& a, AdvectKind kind)
{
    switch (kind) {
    case ADVECT_H:
        if (a.solid != nullptr)
            Loops::template run<ADVECT_H, true>(a);
        else
            Loops::template run<ADVECT_H, false>(a);
        return;
    case ADVECT_U:
        Loops::template run<ADVECT_U, false>(a);
        return;
    case ADVECT_V:
        Loops::template run<ADVECT_V, false>(a);
        return;
    }
}

} // namespace ripplemoor
