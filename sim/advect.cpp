#include "sim/advect.h"

#include <cstdlib>
#include <cstring>

#include "sim/solver_kernel.h"
#include "sim/solver_path.h"

namespace {

struct Velocity {
    float x, y;
};

// Velocity at the sample point of the advected field; each kind averages the faces
// that surround its own point of the staggered grid.
Velocity velocityAt(int kind, int x, int y)
{
    const int i = cellIndex(x, y);
    const int up = i + GRID_SIZE;
    Velocity vel{0.0f, 0.0f};
    if (kind == 0) {
        vel.x = float((double(u[i + 1]) + double(u[i])) * 0.5);
        vel.y = float((double(v[up]) + double(v[i])) * 0.5);
    } else if (kind == 1) {
        vel.x = u[i];
        vel.y = float((double(v[i]) + double(v[i + 1]) + double(v[up]) + double(v[up + 1])) * 0.25);
    } else {
        vel.x = float((double(u[i + 1]) + double(u[i]) + double(u[up]) + double(u[up + 1])) * 0.25);
        vel.y = v[i];
    }
    return vel;
}

// Where the flow came from one time step ago, along one axis.
float departure(int cell, float velocity)
{
    return float(double(cell) - (double(TIMESTEP) * double(velocity)) * double(invCellSize));
}

void sampleDepartures(const Field& f, int kind)
{
    for (int x = 1; x < GRID_SIZE - 1; ++x) {
        for (int y = 1; y < GRID_SIZE - 1; ++y) {
            const Velocity vel = velocityAt(kind, x, y);
            const float px = clampToGrid(departure(x, vel.x));
            const float py = clampToGrid(departure(y, vel.y));
            scratch[cellIndex(x, y)] = sampleBilinear(f, px, py);
        }
    }
}

void copyInterior(const Field& from, Field& to)
{
    for (int y = 1; y < GRID_SIZE - 1; ++y) {
        const int i = cellIndex(1, y);
        std::memcpy(&to[i], &from[i], sizeof(float) * (GRID_SIZE - 2));
    }
}

} // namespace

float sampleBilinear(const Field& f, float px, float py)
{
    const int ix = int(px);
    const int iy = int(py);
    const float fx = float(double(px) - double(ix));
    const float fy = float(double(py) - double(iy));
    const float gx = float(1.0 - double(fx));
    const float gy = float(1.0 - double(fy));

    const bool hasRight = ix < GRID_SIZE - 1;
    const bool hasUp = iy < GRID_SIZE - 1;
    const int i = cellIndex(ix, iy);
    const double f00 = f[i];
    const double f10 = hasRight ? double(f[i + 1]) : 0.0;
    const double f01 = hasUp ? double(f[i + GRID_SIZE]) : 0.0;
    const double f11 = hasRight && hasUp ? double(f[i + GRID_SIZE + 1]) : 0.0;

    return float(double(fx) * (f10 * double(gy) + f11 * double(fy)) +
                 (double(gy) * f00 + double(fy) * f01) * double(gx));
}

float clampToGrid(float p)
{
    // Written as "not above 0" so that NaN lands on 0 too. A departure coordinate
    // is never -0 (it is x - t with x >= 1), so this is the plain clamp otherwise.
    if (!(p > 0.0f))
        p = 0.0f;
    if (p > float(GRID_SIZE - 1))
        p = float(GRID_SIZE - 1);
    return p;
}

void advect(Field& f, int kind)
{
    if (kind < 0 || kind > 2)
        std::exit(1);
    // Every sample reads f as it was when the call began; f changes only below.
    if (portableSolverActive())
        sampleDepartures(f, kind);
    else
        ripplemoor::sampleDeparturesKernel({f.data(), scratch.data(), u.data(), v.data(), double(TIMESTEP),
                                            double(invCellSize)},
                                           kind);
    copyInterior(scratch, f);
}
