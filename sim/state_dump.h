#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The solver's observable state as bytes: h, u, v, heightChange, heightAccel,
// speedSq, flowDirection, energyProduct (25600 little-endian floats each, element
// order), then the 18 range variables, max, min, scale per mode 1 to 6.
constexpr size_t STATE_DUMP_BYTES = (8 * 25600 + 18) * 4; // 819,272

std::vector<unsigned char> stateBytes();

// 64-bit FNV-1a.
uint64_t fnv1a64(const unsigned char* data, size_t size);

// fnv1a64 of stateBytes().
uint64_t stateHash();
