#pragma once

#include "app/state.h"

// Bilinear interpolation of f at (px, py), both in 0..159.
float sampleBilinear(const Field& f, float px, float py);

// Semi-Lagrangian advection of f along (u, v). kind: 0 height (cell centres),
// 1 x-velocity, 2 y-velocity; any other kind ends the process with status 1.
void advect(Field& f, int kind);
