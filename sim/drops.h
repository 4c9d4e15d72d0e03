#pragma once

// A basin's drops (Basin::addDrop and Basin::randomDrop, defined in drops.cpp).

#include "sim/basin.h"

// The cap on a cell's height after a drop: 1.1 times the rest height.
float dropCap(const Basin& basin);

// A random drop's radius before the minimum of 1: a unit random value times 5 %
// of the basin's shorter side, truncated (0 to 7 for the default 160 x 160
// basin).
int randomRadius(Basin& basin);
