#include "sim/advect.h"

#include "sim/stages.h"

namespace {

struct Velocity {
    float x, y;
};

// Velocity at the sample point of the advected field; each kind averages the faces
// that surround its own point of the staggered grid.
Velocity velocityAt(const float* u, const float* v, int kind, int i)
{
    const int up = i + GRID_SIZE;
    if (kind == ADVECT_H)
        return {float((double(u[i + 1]) + u[i]) * 0.5), float((double(v[up]) + v[i]) * 0.5)};
    if (kind == ADVECT_U)
        return {u[i], float((double(v[i]) + v[i + 1] + v[up] + v[up + 1]) * 0.25)};
    return {float((double(u[i + 1]) + u[i] + u[up] + u[up + 1]) * 0.25), v[i]};
}

// Where the flow came from one time step ago, along one axis.
float departure(int cell, float velocity, const ripplemoor::AdvectArrays& a)
{
    return float(cell - double(a.timestep) * velocity * a.invCellSize);
}

} // namespace

float sampleBilinear(const float* f, float px, float py)
{
    const int ix = int(px);
    const int iy = int(py);
    const float fx = px - float(ix), fy = py - float(iy);
    const float gx = 1.0f - fx, gy = 1.0f - fy;

    const bool hasRight = ix < GRID_SIZE - 1;
    const bool hasUp = iy < GRID_SIZE - 1;
    const int i = cellIndex(ix, iy);
    const double f00 = f[i];
    const double f10 = hasRight ? f[i + 1] : 0.0;
    const double f01 = hasUp ? f[i + GRID_SIZE] : 0.0;
    const double f11 = hasRight && hasUp ? f[i + GRID_SIZE + 1] : 0.0;
    return float(fx * (f10 * gy + f11 * fy) + (gy * f00 + fy * f01) * gx);
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

void ripplemoor::portable::sampleDepartures(const AdvectArrays& a, int kind)
{
    for (int x = 1; x < GRID_SIZE - 1; ++x) {
        for (int y = 1; y < GRID_SIZE - 1; ++y) {
            const Velocity vel = velocityAt(a.u, a.v, kind, cellIndex(x, y));
            const float px = clampToGrid(departure(x, vel.x, a));
            const float py = clampToGrid(departure(y, vel.y, a));
            a.out[cellIndex(x, y)] = sampleBilinear(a.f, px, py);
        }
    }
}
