#pragma once

// Entry points of the vector kernel (solver_kernel.cpp). They run on the target
// that Highway's dispatch picks, which solver_path.cpp may restrict. Plain arrays
// of 160 x 160 floats, cell (x, y) at x + 160 y.

namespace ripplemoor {

struct AdvectArrays {
    const float* f; // the advected field, read only
    float* out;     // receives the interior samples
    const float *u, *v;
    double timestep, invCellSize;
};

struct HeightArrays {
    float *h, *heightChange, *heightAccel, *speedSq, *flowDirection, *energyProduct;
    const float *u, *v;
    float timestep;
    double invCellSize;
};

// The bilinear samples at every interior cell's departure point (advect's first pass).
void sampleDeparturesKernel(const AdvectArrays& arrays, int kind);

// The interior pass of the height update in the given colour mode; max and min are
// the mode's range, widened by the pass (untouched in mode 0 or outside 1..6).
void updateHeightInteriorKernel(const HeightArrays& arrays, int mode, float& max, float& min);

// u and v accelerated by the height gradient, wall faces untouched.
void updateVelocitiesKernel(float* u, float* v, const float* h, double coefficient);

} // namespace ripplemoor
