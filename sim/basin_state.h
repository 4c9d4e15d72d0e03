#pragma once

// A basin's whole state as bytes, so that a copy made in another process (a
// pickle) steps on to the original's bits: the configuration, every field
// (scratch included), the walls, the colour mode, the ranges, the drop
// generator, and the wave tank's bed, sources (with their clocks), sponge,
// gauges and gauge log where in use, and the volume keeper where on.
//
// Layout, little-endian on every processor: the 8-byte magic "RMBASIN\0", a u32
// format version, the configuration (u32 width, u32 height, f32 cell size, f32
// time step, f64 gravity, f32 rest height, u32 threads), then sections, each a
// 4-byte tag, a u64 payload length and the payload. A section is one part of the
// state with its own reader (basin_state.cpp's table); a new part of the state
// adds a section there, and a state without it still reads where it is optional.
//
// Restoring checks every length and value before it is used: bytes that do not
// describe a valid basin throw BasinStateError, and nothing larger than the
// bytes themselves justify is allocated.

#include <cstddef>
#include <stdexcept>
#include <vector>

#include "sim/basin.h"

class BasinStateError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

constexpr unsigned BASIN_STATE_VERSION = 1;

std::vector<unsigned char> saveBasinState(const Basin& basin);
Basin restoreBasinState(const unsigned char* data, size_t size);
