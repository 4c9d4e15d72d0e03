#include "sim/sponge.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <stdexcept>

#include "sim/basin.h"

unsigned spongeEdges(const std::string& letters)
{
    if (letters.empty())
        throw std::invalid_argument("sponge edges must be some of the letters n, e, s, w, got none");
    unsigned edges = 0;
    for (char c : letters) {
        const unsigned bit = c == 'w' ? SPONGE_WEST : c == 'e' ? SPONGE_EAST : c == 's' ? SPONGE_SOUTH
                           : c == 'n' ? SPONGE_NORTH : 0u;
        if (bit == 0 || (edges & bit) != 0)
            throw std::invalid_argument("sponge edges must be some of the letters n, e, s, w, each once, got '" +
                                        letters + "'");
        edges |= bit;
    }
    return edges;
}

std::string spongeEdgeLetters(unsigned edges)
{
    std::string letters;
    if (edges & SPONGE_NORTH)
        letters += 'n';
    if (edges & SPONGE_EAST)
        letters += 'e';
    if (edges & SPONGE_SOUTH)
        letters += 's';
    if (edges & SPONGE_WEST)
        letters += 'w';
    return letters;
}

void checkSponge(int basinWidth, int basinHeight, int width, unsigned edges, double strength)
{
    if (width < 0)
        throw std::invalid_argument("sponge width must be 0 (none) or more cells, got " + std::to_string(width));
    // A layer may reach the middle of the water across the edges it lines.
    const bool across = (edges & (SPONGE_WEST | SPONGE_EAST)) != 0, along = (edges & (SPONGE_SOUTH | SPONGE_NORTH)) != 0;
    const int inner = std::min(across ? basinWidth - 2 : INT_MAX, along ? basinHeight - 2 : INT_MAX);
    if (edges != 0 && width > inner / 2)
        throw std::invalid_argument("sponge width " + std::to_string(width) + " is more than half the basin's " +
                                    std::to_string(inner) + " water cells across");
    if (!std::isfinite(strength) || !(strength > 0.0) || strength > 1.0)
        throw std::invalid_argument("sponge strength must be in (0, 1], got " + std::to_string(strength));
    if ((edges & ~15u) != 0)
        throw std::invalid_argument("unknown sponge edge bits");
}

void setSponge(Basin& basin, int width, unsigned edges, double strength)
{
    checkSponge(basin.width(), basin.height(), width, edges, strength);
    Sponge s;
    s.width = edges == 0 ? 0 : width;
    s.edges = width == 0 ? 0 : edges;
    s.strength = strength;
    const int lastX = basin.width() - 2, lastY = basin.height() - 2;
    for (int y = 1; y <= lastY && s.width > 0; ++y) {
        for (int x = 1; x <= lastX; ++x) {
            // Distance from each chosen edge's first water cell; the nearest counts.
            int d = s.width;
            if (edges & SPONGE_WEST)
                d = std::min(d, x - 1);
            if (edges & SPONGE_EAST)
                d = std::min(d, lastX - x);
            if (edges & SPONGE_SOUTH)
                d = std::min(d, y - 1);
            if (edges & SPONGE_NORTH)
                d = std::min(d, lastY - y);
            if (d >= s.width)
                continue;
            const double p = double(s.width - d) / s.width;
            s.cells.push_back(size_t(basin.cellIndex(x, y)));
            s.keep.push_back(float(1.0 - strength * p * p));
        }
    }
    basin.sponge = std::move(s);
}

void applySponge(Basin& basin)
{
    const Sponge& s = basin.sponge;
    if (s.cells.empty())
        return;
    const float* rest = basin.restDepth();
    const double level = basin.config().restHeight;
    for (size_t k = 0; k < s.cells.size(); ++k) {
        const size_t i = s.cells[k];
        const double keep = s.keep[k];
        basin.u[i] = float(basin.u[i] * keep);
        basin.v[i] = float(basin.v[i] * keep);
        if (basin.walls[i] != 0)
            continue;
        const double r = rest ? double(rest[i]) : level;
        basin.h[i] = float(r + (double(basin.h[i]) - r) * keep);
    }
}
