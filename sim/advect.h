#pragma once

#include "app/state.h"

// What advect carries, named after the field: where its samples sit on the
// staggered grid and which faces give their velocity.
enum AdvectKind : int { ADVECT_H, ADVECT_U, ADVECT_V };

// Bilinear interpolation of f at (px, py), both in 0..159. Neighbours past
// column or row 159 have weight zero and are not read.
float sampleBilinear(const float* f, float px, float py);
inline float sampleBilinear(const Field& f, float px, float py) { return sampleBilinear(f.data(), px, py); }

// Clamps a departure coordinate to 0..159; a NaN coordinate becomes 0, like one
// that lies before the first column or row, so it can never index outside the grid.
float clampToGrid(float p);

// Semi-Lagrangian advection of f along (u, v), one of the kinds above; any other
// kind ends the process with status 1 before anything is written.
void advect(Field& f, int kind);
