#include "sim/bed.h"

#include <cmath>
#include <cstring>
#include <functional>
#include <sstream>
#include <stdexcept>

#include "sim/basin.h"

bool bedInUse(const Basin& basin) { return basin.restDepth() != nullptr; }

void Basin::refreshBed()
{
    BedCache& c = bedCache_;
    const bool bedSame = c.seen.size() == bed.size() &&
                         std::memcmp(c.seen.data(), bed.data(), bed.size() * sizeof(float)) == 0;
    if (bedSame && c.wallBuild == wallBuilds_)
        return;
    const double rest = config_.restHeight;
    bool any = false;
    for (int y = 0; y < height(); ++y) {
        for (int x = 0; x < width(); ++x) {
            const size_t i = size_t(cellIndex(x, y));
            if (walls[i] != 0)
                continue; // land is a wall; its bed is never read
            const float b = bed[i];
            if (!std::isfinite(b) || double(b) >= rest) {
                std::ostringstream what;
                what << "bed at cell (" << x << ", " << y << ") is " << b << ": it must be finite and below the rest level "
                     << rest << " (make land a wall)";
                throw std::invalid_argument(what.str());
            }
            any = any || b != 0.0f;
        }
    }
    c.seen = bed;
    c.wallBuild = wallBuilds_;
    if (!any) {
        c.restDepth.clear();
        c.halfDepth.clear();
        return;
    }
    Field& d = c.restDepth;
    d.assign(cellCount(), 0.0f);
    for (size_t i = 0; i < d.size(); ++i)
        d[i] = walls[i] != 0 ? 0.0f : float(rest - double(bed[i]));
    // The border as the step's boundary copy leaves it: rows, then columns, then walls.
    const int w = width(), hgt = height();
    for (int x = 0; x < w; ++x) {
        d[size_t(cellIndex(x, 0))] = d[size_t(cellIndex(x, 1))];
        d[size_t(cellIndex(x, hgt - 1))] = d[size_t(cellIndex(x, hgt - 2))];
    }
    for (int y = 0; y < hgt; ++y) {
        d[size_t(cellIndex(0, y))] = d[size_t(cellIndex(1, y))];
        d[size_t(cellIndex(w - 1, y))] = d[size_t(cellIndex(w - 2, y))];
    }
    for (size_t i : wallCache_.solidCells)
        d[i] = 0.0f;
    c.halfDepth.resize(d.size());
    for (size_t i = 0; i < d.size(); ++i)
        c.halfDepth[i] = d[i] * 0.5f;
}

void advectOverBed(Basin& basin, const std::function<void()>& advectH)
{
    const float* half = basin.halfDepth();
    if (half == nullptr) {
        advectH();
        return;
    }
    // Carried along the flow: the surface plus half the depth. The advection's
    // u.grad(h) then holds half of u.grad(depth), the other half of the flux
    // -(depth u)' / 2 that the height update's h div(u) leaves out: waves keep
    // their energy flux over a sloping bed (Green's law) and a step in the bed
    // stays stable. At rest it is the identity, bit for bit (d - d/2 = d/2).
    float* h = basin.h.data();
    const size_t n = basin.cellCount();
    for (size_t i = 0; i < n; ++i)
        h[i] = h[i] - half[i];
    advectH();
    for (size_t i = 0; i < n; ++i)
        h[i] = h[i] + half[i];
}
