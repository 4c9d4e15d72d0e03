#pragma once

// Bed height maps as PNG pictures: one grey sample per cell, black the map's
// lowest elevation and white its highest. Pixel column x, row y (counted from
// the top) is cell (x, y), as in a wall mask. The samples are taken as they
// are stored: a height map is data, so any gamma or colour profile is ignored.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// A reason the map could not be read, without the file's name unless it came
// from reading the file.
class BedMapError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct BedMap {
    int width = 0, height = 0;
    unsigned white = 0;            // the largest sample: 255 or 65535
    std::vector<uint16_t> samples; // width * height, 0 (black) to white
};

// Largest maps read, checked from the header before anything is decoded.
constexpr int BED_MAP_MAX_SIDE = 65535;
constexpr uint64_t BED_MAP_MAX_PIXELS = uint64_t(1) << 26;

// Decodes a grey PNG of 8 or 16 bits a sample (any other kind is refused);
// throws BedMapError.
BedMap decodeBedMap(const unsigned char* data, size_t size, uint64_t maxPixels = BED_MAP_MAX_PIXELS);

// Reads a regular file and decodes it; throws BedMapError naming the file.
BedMap readBedMapFile(const std::string& path);
