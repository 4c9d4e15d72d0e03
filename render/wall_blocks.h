#pragma once

// Walls drawn as solid: each run of wall cells along a row is a lit block in a
// stone colour, a slab from below the troughs to a little above the water at
// rest (a drop's highest crest may wash over it), so it reads as solid in every
// colour mode and in grey.

#include <cstdint>
#include <vector>

class Basin;

// The blocks as last compiled, kept between frames.
struct WallBlocks {
    std::vector<uint8_t> drawn; // the walls the display list was compiled from
    unsigned int list = 0;      // 0 before the first walls
    bool any = false;
};

// The block top, in drawn units: 100 x rest height, plus 8 %.
double wallTop(const Basin& basin);

// Stone in colour; a light grey when the offsets are equal (grey tones), so the
// walls stand out from the grey water.
void wallColor(const double offsets[2], float rgb[3]);

// Draws the blocks (nothing at all without walls). Lighting and the colour
// material are as the water left them.
void drawWalls(const Basin& basin, const double offsets[2], WallBlocks& blocks);
