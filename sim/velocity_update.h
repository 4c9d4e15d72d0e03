#pragma once

// Accelerates every inner face by gravity acting on the height difference across it.
void updateVelocities();
