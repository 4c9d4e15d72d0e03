#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "app/state.h"

// The solver's observable state as bytes: h, u, v, heightChange, heightAccel,
// speedSq, flowDirection, energyProduct (CELL_COUNT little-endian floats each,
// element order), then max, min and scale of each mode 1 to 6.
constexpr size_t STATE_DUMP_BYTES = (8 * size_t(CELL_COUNT) + 3 * (MODE_COUNT - 1)) * 4; // 819,272

std::vector<unsigned char> stateBytes();

// 64-bit FNV-1a.
uint64_t fnv1a64(const unsigned char* data, size_t size);

// fnv1a64 of stateBytes().
uint64_t stateHash();
