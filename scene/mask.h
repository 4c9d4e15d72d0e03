#pragma once

// Wall masks as PNG pictures: a dark, opaque pixel is wall, anything else water.
// Pixel column x, row y (counted from the top) is cell (x, y).

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// A reason the mask could not be read or written, without the file's name.
class MaskError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct MaskPicture {
    int width = 0, height = 0;
    std::vector<uint8_t> wall; // width * height, 1 wall, 0 water
};

// Largest masks read: a side of at most MASK_MAX_SIDE pixels and at most
// MASK_MAX_PIXELS in all, checked from the header before anything is decoded.
constexpr int MASK_MAX_SIDE = 65535;
constexpr uint64_t MASK_MAX_PIXELS = uint64_t(1) << 26;

// Decodes a PNG of any colour type and depth; throws MaskError.
MaskPicture decodeMask(const unsigned char* data, size_t size, uint64_t maxPixels = MASK_MAX_PIXELS);

// Reads a regular file and decodes it; throws MaskError.
MaskPicture readMaskFile(const std::string& path);

// The picture on a width x height grid, nearest pixel to each cell's centre.
std::vector<uint8_t> scaleMask(const MaskPicture& mask, int width, int height);

// Writes walls (width * height, non-zero = wall) as an 8-bit grey PNG, wall
// black and water white; throws MaskError.
void writeMaskFile(const std::string& path, const std::vector<uint8_t>& walls, int width, int height);
