#pragma once

// Walls: cells that hold no water. The discrete treatment, stage by stage:
// - a face between a solid cell and any other cell is closed: its velocity is
//   set to 0 after each advection of u or v and after the velocity update, so no
//   flow crosses it and the height update sees no flux through it;
// - a height sample whose bilinear stencil touches a solid cell uses the value of
//   the cell being advected in its place (a mirror at the wall), so advection
//   never draws water out of a wall or into it;
// - solid cells hold h = 0, set again at the end of every step, and count in
//   neither the ranges nor the volume; drops skip them.
// The outer border stays as it is: a closed basin whose border rows and columns
// copy their inner neighbours. An empty mask takes none of these paths.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "sim/basin.h"

// What a mask of width x height cells means for the stages (Basin::WallCache):
// its solid cells, the u and v faces beside them, and a float copy of the mask
// for the vector kernel where any cell is solid.
Basin::WallCache buildWallCache(const std::vector<uint8_t>& walls, int width, int height);

// Zeroes the listed faces of a velocity field.
void closeFaces(Field& f, const std::vector<size_t>& faces);

// h = 0 in every solid cell.
void drainWalls(Basin& basin);

// Sets the cells of the rectangle x0..x1, y0..y1 (inclusive, clipped to the
// basin) solid, or back to water.
void fillWalls(Basin& basin, int x0, int y0, int x1, int y1, bool solid = true);
