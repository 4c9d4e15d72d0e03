#pragma once

#include "sim/basin.h"

// What advect carries, named after the field: where its samples sit on the
// staggered grid and which faces give their velocity.
enum AdvectKind : int { ADVECT_H, ADVECT_U, ADVECT_V };

// Bilinear interpolation of a width x height field f at (px, py), px in
// 0..width-1 and py in 0..height-1. Neighbours past the last column or row have
// weight zero and are not read. Where solid is given, a solid neighbour counts
// with the value own instead of its own: no water is drawn out of a wall.
float sampleBilinear(const float* f, int width, int height, float px, float py, const float* solid = nullptr,
                     float own = 0.0f);

// Clamps a departure coordinate to 0..last; a NaN coordinate becomes 0, like one
// that lies before the first column or row, so it can never index outside the grid.
float clampToGrid(float p, int last);

// Semi-Lagrangian advection of f, one of the basin's h, u or v, along the basin's
// (u, v), one of the kinds above; any other kind ends the process with status 1
// before anything is written. Advected faces beside a wall are closed again.
void advect(Basin& basin, Field& f, int kind);
