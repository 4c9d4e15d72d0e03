#pragma once

// Walls drawn as solid: each run of wall cells along a row is a lit block in a
// stone colour, standing from the basin's floor to a little above the highest
// crest a drop makes, so it reads as solid in every colour mode and in grey.

#include <cstdint>
#include <vector>

class Basin;

// The blocks as last compiled, kept between frames.
struct WallBlocks {
    std::vector<uint8_t> drawn; // the walls the display list was compiled from
    unsigned int list = 0;      // 0 before the first walls
    bool any = false;
};

// The block top, in drawn units: 100 x rest height, plus 15 %.
double wallTop(const Basin& basin);

// Stone in colour; a light grey when the offsets are equal (grey tones), so the
// walls stand out from the grey water.
void wallColor(const double offsets[2], float rgb[3]);

// Draws the blocks (nothing at all without walls). Lighting and the colour
// material are as the water left them.
void drawWalls(const Basin& basin, const double offsets[2], WallBlocks& blocks);
