#pragma once

// Walls painted and rubbed out with the pointer, and cleared with 'w'. GL-free.

#include "app/program.h"

// Makes the disc of cells within radius of (cx, cy) wall (solid) or water,
// clipped to the basin. New walls are drained as the step drains them; cells
// that stop being walls come back at the rest height. Returns the cells changed.
long penCells(Basin& basin, int cx, int cy, int radius, bool solid);

// The pen under the pointer (window pixels, origin top-left) during a stroke:
// paints or rubs out at the cell under it, and along the line from the cell of
// the stroke's previous event, so that a fast drag leaves no gaps.
void penAtPointer(Program& program, int x, int y);

// Key 'w': every wall becomes water at the rest height.
void clearWalls(Basin& basin);
