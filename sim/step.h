#pragma once

// One fixed simulation step: advect h, u, v, update heights, update velocities,
// copy the border heights.
void simulationStep();
