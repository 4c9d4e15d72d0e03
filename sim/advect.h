#pragma once

#include "sim/basin.h"

namespace ripplemoor {
struct StagePath;
}

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
// (u, v), one of the kinds above. A value outside the three (a cast number)
// throws std::invalid_argument before anything is written. Advected faces beside
// a wall are closed again.
void advect(Basin& basin, Field& f, AdvectKind kind);

// The kind of this number, 0 to 2; any other throws std::invalid_argument.
AdvectKind advectKind(int number);

// The same on a path chosen by the caller.
void advect(Basin& basin, const ripplemoor::StagePath& path, Field& f, AdvectKind kind);

// The step's form of the first pass: f's interior samples into out along (u, the
// basin's v), on the path the step chose. Nothing else is written: f, the border
// of out and the faces beside walls are left to the caller.
void sampleAdvected(Basin& basin, const ripplemoor::StagePath& path, const float* f, float* out, const float* u,
                    AdvectKind kind);
