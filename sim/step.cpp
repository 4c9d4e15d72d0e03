#include "sim/step.h"

#include "app/state.h"
#include "sim/advect.h"
#include "sim/boundaries.h"
#include "sim/height_update.h"
#include "sim/velocity_update.h"

void simulationStep()
{
    advect(h, ADVECT_H);
    advect(u, ADVECT_U);
    advect(v, ADVECT_V);
    updateHeight();
    updateVelocities();
    applyBoundaries();
    noteFieldsChanged();
}
