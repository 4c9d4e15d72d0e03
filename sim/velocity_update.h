#pragma once

#include "sim/basin.h"

// (time step x gravity) x inverse cell size in double; about 2.00000003 for the
// default 160 x 160 basin.
double velocityCoefficient(const Basin& basin);

// Accelerates every inner face by gravity acting on the height difference across
// it; faces beside a wall stay closed.
void updateVelocities(Basin& basin);
