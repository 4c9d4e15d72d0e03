#include "sim/stages.h"

#include <cstdlib>
#include <cstring>

#include "sim/advect.h"
#include "sim/height_update.h"
#include "sim/solver_path.h"
#include "sim/velocity_update.h"

namespace {

using namespace ripplemoor;

// The one place where the solver choice meets the stages.
struct Path {
    void (*sampleDepartures)(const AdvectArrays&, int);
    void (*updateHeightInterior)(const HeightArrays&, int, float&, float&);
    void (*updateVelocities)(const VelocityArrays&);
};

const Path& chosenPath()
{
    static const Path portablePath{portable::sampleDepartures, portable::updateHeightInterior,
                                   portable::updateVelocities};
    static const Path kernelPath{kernel::sampleDepartures, kernel::updateHeightInterior, kernel::updateVelocities};
    return portableSolverActive() ? portablePath : kernelPath;
}

void copyInterior(const Field& from, Field& to)
{
    for (int y = 1; y < GRID_SIZE - 1; ++y) {
        const int i = cellIndex(1, y);
        std::memcpy(&to[i], &from[i], sizeof(float) * (GRID_SIZE - 2));
    }
}

// Unguarded on purpose: a flat quantity gives +infinity, which the colouring expects.
void computeScales()
{
    for (int mode = MODE_H; mode < MODE_COUNT; ++mode) {
        const ModeQuantity& q = MODE_QUANTITIES[mode];
        *q.scale = float(1.0 / (double(*q.max) - *q.min));
    }
}

} // namespace

void advect(Field& f, int kind)
{
    if (kind < ADVECT_H || kind > ADVECT_V)
        std::exit(1);
    // Every sample reads f as it was when the call began; f changes only below.
    chosenPath().sampleDepartures({f.data(), scratch.data(), u.data(), v.data(), TIMESTEP, invCellSize}, kind);
    copyInterior(scratch, f);
}

void updateHeight()
{
    resetRanges();
    const ModeQuantity* shown = quantityOfMode(colorMode);
    float unusedMax = 0.0f, unusedMin = 0.0f;
    const HeightArrays arrays{h.data(),       heightChange.data(),  heightAccel.data(),
                              speedSq.data(), flowDirection.data(), energyProduct.data(),
                              u.data(),       v.data(),             shown ? shown->field->data() : nullptr,
                              TIMESTEP,       invCellSize};
    chosenPath().updateHeightInterior(arrays, shown ? colorMode : MODE_PLAIN, shown ? *shown->max : unusedMax,
                                      shown ? *shown->min : unusedMin);
    computeScales();
}

double velocityCoefficient() { return double(TIMESTEP) * GRAVITY * invCellSize; }

void updateVelocities() { chosenPath().updateVelocities({u.data(), v.data(), h.data(), velocityCoefficient()}); }
