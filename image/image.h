#pragma once

#include <cstdint>
#include <cstdio>

// A picture in memory: rows top to bottom, pixels left to right, channels
// grey[, alpha] or red, green, blue[, alpha].
//
// Invariant kept by every operation, also after a failure: either data is null
// and size is 0, or data holds at least size bytes and size is
// width * height * depth.
class Image {
public:
    unsigned char* data = nullptr; // owned; malloc/calloc, freed with free
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t depth = 0; // bytes per pixel
    uint32_t size = 0;  // width * height * depth once filled

    Image() = default;
    ~Image();
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    // Reads a TGA file; 0 on success, -1 on failure.
    int Read(const char* fileName);
    // Reads TGA from an open stream and closes it; 0 on success, -1 on failure.
    // On failure the image is left empty (as newly constructed). An image type
    // that is not decoded reads as all zero; given the stream's name, that is
    // said on standard error.
    int Read_TARGA(FILE* stream, const char* name = nullptr);

    // Mirror in place; an image without pixels, or a failed scratch
    // allocation, leaves the image as it was.
    void FlipH();
    void FlipV();

    // Copies the rectangle of this image's preset width and height at (x, y) of
    // source into this image; returns this image, or null on failure.
    Image* Crop(const Image& source, uint32_t x, uint32_t y);

    // Frees the pixel block and zeroes every field.
    void Clear();

    // True when data holds a block of width * height * depth bytes.
    bool HasPixels() const;

    // width * height * depth without 32-bit wrap-around.
    uint64_t PixelBytes() const;

private:
    bool MirrorColumns();
    bool MirrorRows();
};
