#include "sim/velocity_update.h"

#include "sim/bands.h"
#include "sim/stages.h"
#include "sim/walls.h"

void ripplemoor::portable::updateVelocities(const VelocityArrays& arrays)
{
    VelocityArrays a = arrays; // a local copy: the stores to u and v cannot change it
    const int width = a.extent.width;
    const size_t row = size_t(width);
    const int vBegin = a.extent.rowBegin < 2 ? 2 : a.extent.rowBegin;
    // Out of place, the interior faces that are never accelerated are copied.
    if (a.uIn != nullptr && a.uIn != a.u)
        for (int y = a.extent.rowBegin; y < a.extent.rowEnd; ++y)
            a.u[1 + size_t(y) * row] = a.uIn[1 + size_t(y) * row];
    if (a.vIn != nullptr && a.vIn != a.v && a.extent.rowBegin <= 1)
        for (int x = 1; x < width - 1; ++x)
            a.v[size_t(x) + row] = a.vIn[size_t(x) + row];
    if (a.uIn == nullptr)
        a.uIn = a.u;
    if (a.vIn == nullptr)
        a.vIn = a.v;
    // The wall faces u[1, y], u[width - 1, y], v[x, 1] and v[x, height - 1] are never touched.
    if (a.rest != nullptr) {
        // Over a bed: the gradient of the surface, as departures from rest.
        for (int x = 2; x < width - 1; ++x) {
            for (int y = a.extent.rowBegin; y < a.extent.rowEnd; ++y) {
                const size_t i = size_t(x) + size_t(y) * row;
                const double here = double(a.h[i]) - a.rest[i], behind = double(a.h[i - 1]) - a.rest[i - 1];
                a.u[i] = float(a.uIn[i] - (here - behind) * a.coefficient);
            }
        }
        for (int x = 1; x < width - 1; ++x) {
            for (int y = vBegin; y < a.extent.rowEnd; ++y) {
                const size_t i = size_t(x) + size_t(y) * row;
                const double here = double(a.h[i]) - a.rest[i], behind = double(a.h[i - row]) - a.rest[i - row];
                a.v[i] = float(a.vIn[i] - (here - behind) * a.coefficient);
            }
        }
        return;
    }
    for (int x = 2; x < width - 1; ++x) {
        for (int y = a.extent.rowBegin; y < a.extent.rowEnd; ++y) {
            const size_t i = size_t(x) + size_t(y) * row;
            a.u[i] = float(a.uIn[i] - (double(a.h[i]) - a.h[i - 1]) * a.coefficient);
        }
    }
    for (int x = 1; x < width - 1; ++x) {
        for (int y = vBegin; y < a.extent.rowEnd; ++y) {
            const size_t i = size_t(x) + size_t(y) * row;
            a.v[i] = float(a.vIn[i] - (double(a.h[i]) - a.h[i - row]) * a.coefficient);
        }
    }
}

double velocityCoefficient(const Basin& basin)
{
    return double(basin.config().timestep) * basin.config().gravity * basin.invCellSize;
}

void updateVelocities(Basin& basin) { updateVelocities(basin, ripplemoor::stagePath(basin), nullptr, nullptr); }

void updateVelocities(Basin& basin, const ripplemoor::StagePath& path, const float* uIn, const float* vIn)
{
    using namespace ripplemoor;
    const double c = velocityCoefficient(basin);
    forEachBand(basin, [&](int, int rowBegin, int rowEnd) {
        const VelocityArrays a{basin.u.data(), basin.v.data(), basin.h.data(), c,
                               {basin.width(), basin.height(), rowBegin, rowEnd}, basin.restDepth(), uIn, vIn};
        path.updateVelocities(a);
    });
    closeFaces(basin.u, basin.wallCache().closedU);
    closeFaces(basin.v, basin.wallCache().closedV);
}
