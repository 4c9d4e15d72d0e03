#pragma once

#include "app/state.h"

// The two paths of the solver's stages, the portable loops (the reference) and the
// vector kernel, behind one signature each; stages.cpp binds the globals into
// these records and calls the chosen path. Plain arrays of 160 x 160 floats, cell
// (x, y) at x + 160 y.

namespace ripplemoor {

struct AdvectArrays {
    const float* f; // the advected field, read only
    float* out;     // receives the interior samples
    const float *u, *v;
    float timestep, invCellSize;
};

struct HeightArrays {
    float *h, *heightChange, *heightAccel, *speedSq, *flowDirection, *energyProduct;
    const float *u, *v;
    const float* shown; // the field the colour mode shows, null in MODE_PLAIN (the kernel picks it by mode)
    float timestep, invCellSize;
};

struct VelocityArrays {
    float *u, *v;
    const float* h;
    double coefficient;
};

// Each path has the same three entry points: the bilinear samples at every interior
// cell's departure point (advect's first pass); the interior pass of the height
// update in a mode of 0..6, widening that mode's range [min, max]; the velocity
// update, wall faces untouched.
namespace portable {
void sampleDepartures(const AdvectArrays& a, int kind);
void updateHeightInterior(const HeightArrays& a, int mode, float& max, float& min);
void updateVelocities(const VelocityArrays& a);
} // namespace portable

namespace kernel {
void sampleDepartures(const AdvectArrays& a, int kind);
void updateHeightInterior(const HeightArrays& a, int mode, float& max, float& min);
void updateVelocities(const VelocityArrays& a);
} // namespace kernel

} // namespace ripplemoor
