#pragma once

// Absorbing edges: a relaxation layer. In the `width` cells next to a chosen edge
// (counted from the first water row or column inside the border), every step
// pulls h towards its rest depth and u and v towards zero:
//   q = rest + (q - rest) x (1 - sigma),  sigma = strength x ((width - d) / width)^2
// where d is the cell's distance from the edge (0 in the first cell); a cell near
// two edges takes the larger sigma. Wall cells are left alone. The quadratic
// profile keeps the layer's own reflection small: the default strength is
// measured to reflect under 3 % of a plane wave's amplitude for wavelengths of 10
// to 40 cells with a 40-cell layer (docs/physics.md).

#include <cstddef>
#include <string>
#include <vector>

class Basin;

enum SpongeEdge : unsigned { SPONGE_WEST = 1, SPONGE_EAST = 2, SPONGE_SOUTH = 4, SPONGE_NORTH = 8 };

constexpr double DEFAULT_SPONGE_STRENGTH = 0.25;

struct Sponge {
    int width = 0; // 0: none
    unsigned edges = 0;
    double strength = DEFAULT_SPONGE_STRENGTH;
    // The layer's cells and what each keeps of its departure from rest per step.
    std::vector<size_t> cells;
    std::vector<float> keep;
};

// Letters n, e, s, w (any order, each at most once) to edge bits; throws
// std::invalid_argument for anything else or an empty string.
unsigned spongeEdges(const std::string& letters);
std::string spongeEdgeLetters(unsigned edges);

// The checks of setSponge for a basin of this size.
void checkSponge(int basinWidth, int basinHeight, int width, unsigned edges, double strength);

// Sets the basin's sponge (width 0 removes it). Throws std::invalid_argument for
// a negative width, a width beyond half the basin, or a strength outside (0, 1].
void setSponge(Basin& basin, int width, unsigned edges, double strength = DEFAULT_SPONGE_STRENGTH);

// One step's relaxation.
void applySponge(Basin& basin);
