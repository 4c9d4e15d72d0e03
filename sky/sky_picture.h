#pragma once

// The procedural sky that make-skybox writes as "skybox.tga": six cube faces
// in a 3 x 2 picture, each texel coloured from the world direction in which
// the sky box shows it, so the faces meet without seams.

#include <cstdint>
#include <vector>

namespace sky {

constexpr int FACE_SIZE = 512;

// Column and row of cube face f (+X, -X, +Y, -Y, +Z, -Z) in the picture.
constexpr int FACE_COLUMN[6] = {0, 1, 2, 0, 1, 2};
constexpr int FACE_ROW[6] = {0, 0, 0, 1, 1, 1};

struct Direction {
    double x, y, z;
};

struct Colour {
    double r, g, b; // 0 to 1
};

// World direction (not normalised) shown by texel (i, j) of face `face`;
// i counts columns, j rows from the face's top row, which GL takes as t = 0.
Direction texelDirection(int face, int i, int j, int faceSize);

// Sky colour seen in a world direction; y is up.
Colour skyColour(Direction world);

// RGB bytes, rows top first, of the 3 x 2 face picture.
std::vector<uint8_t> makePicture(int faceSize);

// Writes RGB pixels (rows top first) as an uncompressed 24-bit TGA; false on
// an I/O failure.
bool writeTarga(const char* path, const std::vector<uint8_t>& rgb, int width, int height);

} // namespace sky
