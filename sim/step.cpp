#include "sim/step.h"

#include "sim/advect.h"
#include "sim/basin.h"
#include "sim/boundaries.h"
#include "sim/height_update.h"
#include "sim/velocity_update.h"

void Basin::step()
{
    refreshWalls();
    advect(*this, h, ADVECT_H);
    advect(*this, u, ADVECT_U);
    advect(*this, v, ADVECT_V);
    updateHeight(*this);
    updateVelocities(*this);
    applyBoundaries(*this);
    noteFieldsChanged();
}
