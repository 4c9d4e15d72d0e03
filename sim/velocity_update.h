#pragma once

// (TIMESTEP * GRAVITY) * invCellSize in double, about 2.00000003.
double velocityCoefficient();

// Accelerates every inner face by gravity acting on the height difference across it.
void updateVelocities();
