#include "sim/step.h"

#include "sim/advect.h"
#include "sim/basin.h"
#include "sim/bed.h"
#include "sim/boundaries.h"
#include "sim/height_update.h"
#include "sim/velocity_update.h"
#include "sim/sources.h"
#include "sim/sponge.h"
#include "sim/gauges.h"

void Basin::step()
{
    refreshWalls();
    refreshBed(); // a bad bed stops the step before anything moves
    const double volumeBefore = volumeBeforeStep(*this);
    advectOverBed(*this, [this] { advect(*this, h, ADVECT_H); });
    advect(*this, u, ADVECT_U);
    advect(*this, v, ADVECT_V);
    updateHeight(*this);
    updateVelocities(*this);
    keepVolume(*this, volumeBefore);
    ++steps;
    driveSources(*this);
    applySponge(*this);
    applyBoundaries(*this);
    recordGauges(*this);
    noteFieldsChanged();
}
