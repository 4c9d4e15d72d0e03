#include "sim/step.h"

#include "app/state.h"
#include "sim/advect.h"
#include "sim/boundaries.h"
#include "sim/height_update.h"
#include "sim/velocity_update.h"

void simulationStep()
{
    advect(h, 0);
    advect(u, 1);
    advect(v, 2);
    updateHeight();
    updateVelocities();
    applyBoundaries();
}
