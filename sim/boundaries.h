#pragma once

#include "sim/basin.h"

// Copies the heights next to the border onto the border rows and columns, then
// drains the walls (walls.h).
void applyBoundaries(Basin& basin);
