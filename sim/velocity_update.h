#pragma once

#include "sim/basin.h"

namespace ripplemoor {
struct StagePath;
}

// (time step x gravity) x inverse cell size in double; about 2.00000003 for the
// default 160 x 160 basin.
double velocityCoefficient(const Basin& basin);

// Accelerates every inner face by gravity acting on the height difference across
// it; faces beside a wall stay closed.
void updateVelocities(Basin& basin);

// The step's form, on the path the step chose: the faces start from uIn and vIn
// (the basin's own u and v where null), and every interior face of u and v is
// written, those never accelerated as copies.
void updateVelocities(Basin& basin, const ripplemoor::StagePath& path, const float* uIn, const float* vIn);
