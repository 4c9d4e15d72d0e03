#include "sim/advect.h"

#include <cstring>
#include <stdexcept>
#include <string>

#include "sim/bands.h"
#include "sim/stages.h"
#include "sim/walls.h"

namespace {

using ripplemoor::AdvectArrays;
using ripplemoor::sampleByKind;

struct Velocity {
    float x, y;
};

// Velocity at the sample point of the advected field; each kind averages the faces
// that surround its own point of the staggered grid.
template <int KIND>
inline Velocity velocityAt(const float* u, const float* v, size_t width, size_t i)
{
    const size_t up = i + width;
    if (KIND == ADVECT_H)
        return {float((double(u[i + 1]) + u[i]) * 0.5), float((double(v[up]) + v[i]) * 0.5)};
    if (KIND == ADVECT_U)
        return {u[i], float((double(v[i]) + v[i + 1] + v[up] + v[up + 1]) * 0.25)};
    return {float((double(u[i + 1]) + u[i] + u[up] + u[up + 1]) * 0.25), v[i]};
}

// Where the flow came from one time step ago, along one axis.
float departure(int cell, float velocity, const AdvectArrays& a)
{
    return float(cell - double(a.timestep) * velocity * a.invCellSize);
}

// The bilinear sample; with WALLS, a solid neighbour counts with the value own.
template <bool WALLS>
inline float sample(const float* f, int width, int height, float px, float py, const float* solid, float own)
{
    const int ix = int(px);
    const int iy = int(py);
    const float fx = px - float(ix), fy = py - float(iy);
    const float gx = 1.0f - fx, gy = 1.0f - fy;

    const bool hasRight = ix < width - 1;
    const bool hasUp = iy < height - 1;
    const size_t i = size_t(ix) + size_t(iy) * size_t(width);
    const size_t right = i + 1, up = i + size_t(width), upRight = up + 1;
    const auto at = [&](size_t k) { return WALLS && solid[k] != 0.0f ? double(own) : double(f[k]); };
    const double f00 = at(i);
    const double f10 = hasRight ? at(right) : 0.0;
    const double f01 = hasUp ? at(up) : 0.0;
    const double f11 = hasRight && hasUp ? at(upRight) : 0.0;
    return float(fx * (f10 * gy + f11 * fy) + (gy * f00 + fy * f01) * gx);
}

// One band, x outer and y inner as the reference order; the kind and the walls
// are template arguments so that nothing is decided per cell.
template <int KIND, bool WALLS>
void sampleBand(const AdvectArrays& arrays)
{
    const AdvectArrays a = arrays; // a local copy: the stores to out cannot change it
    const int width = a.extent.width, height = a.extent.height;
    for (int x = 1; x < width - 1; ++x) {
        for (int y = a.extent.rowBegin; y < a.extent.rowEnd; ++y) {
            const size_t i = size_t(x) + size_t(y) * size_t(width);
            const Velocity vel = velocityAt<KIND>(a.u, a.v, size_t(width), i);
            const float px = clampToGrid(departure(x, vel.x, a), width - 1);
            const float py = clampToGrid(departure(y, vel.y, a), height - 1);
            a.out[i] = sample<WALLS>(a.f, width, height, px, py, a.solid, a.f[i]);
        }
    }
}

void copyInterior(const Field& from, Field& to, int width, int rowBegin, int rowEnd)
{
    for (int y = rowBegin; y < rowEnd; ++y) {
        const size_t i = 1 + size_t(y) * size_t(width);
        std::memcpy(&to[i], &from[i], sizeof(float) * size_t(width - 2));
    }
}

} // namespace

float sampleBilinear(const float* f, int width, int height, float px, float py, const float* solid, float own)
{
    return solid != nullptr ? sample<true>(f, width, height, px, py, solid, own)
                            : sample<false>(f, width, height, px, py, nullptr, own);
}

float clampToGrid(float p, int last)
{
    // Written as "not above 0" so that NaN lands on 0 too. A departure coordinate
    // is never -0 (it is x - t with x >= 1), so this is the plain clamp otherwise.
    if (!(p > 0.0f))
        p = 0.0f;
    if (p > float(last))
        p = float(last);
    return p;
}

namespace {

// The portable path's sampling loops, by kind and walls.
struct BandLoops {
    template <int KIND, bool WALLS>
    static void run(const AdvectArrays& a)
    {
        sampleBand<KIND, WALLS>(a);
    }
};

} // namespace

void ripplemoor::portable::sampleDepartures(const AdvectArrays& a, AdvectKind kind)
{
    sampleByKind<BandLoops>(a, kind);
}

AdvectKind advectKind(int number)
{
    if (number < ADVECT_H || number > ADVECT_V)
        throw std::invalid_argument("advection kind must be 0 (h), 1 (u) or 2 (v), got " + std::to_string(number));
    return AdvectKind(number);
}

void sampleAdvected(Basin& basin, const ripplemoor::StagePath& path, const float* f, float* out, const float* u,
                    AdvectKind kind)
{
    using namespace ripplemoor;
    const Basin::WallCache& walls = basin.wallCache();
    // Only height samples look at the walls: faces beside a wall are closed afterwards.
    const float* solid = kind == ADVECT_H && !walls.solid.empty() ? walls.solid.data() : nullptr;
    const int width = basin.width();
    forEachBand(basin, [&](int, int rowBegin, int rowEnd) {
        const AdvectArrays a{f,     out,   u, basin.v.data(), solid, basin.config().timestep, basin.invCellSize,
                             {width, basin.height(), rowBegin, rowEnd}};
        path.sampleDepartures(a, kind);
    });
}

void advect(Basin& basin, Field& f, AdvectKind kind) { advect(basin, ripplemoor::stagePath(basin), f, kind); }

void advect(Basin& basin, const ripplemoor::StagePath& path, Field& f, AdvectKind kind)
{
    kind = advectKind(kind); // a cast number: refused before anything is written
    const int width = basin.width();
    // Every sample reads f as it was when the call began; f changes only in the copy.
    sampleAdvected(basin, path, f.data(), basin.scratch.data(), basin.u.data(), kind);
    ripplemoor::forEachBand(basin, [&](int, int rowBegin, int rowEnd) {
        copyInterior(basin.scratch, f, width, rowBegin, rowEnd);
    });
    if (kind == ADVECT_U)
        closeFaces(f, basin.wallCache().closedU);
    else if (kind == ADVECT_V)
        closeFaces(f, basin.wallCache().closedV);
}
