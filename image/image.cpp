#include "image/image.h"

#include <cstdlib>
#include <cstring>

Image::~Image()
{
    free(data);
}

void Image::Clear()
{
    free(data);
    data = nullptr;
    width = 0;
    height = 0;
    depth = 0;
    size = 0;
}

uint64_t Image::PixelBytes() const
{
    return uint64_t(width) * uint64_t(height) * uint64_t(depth);
}

bool Image::HasPixels() const
{
    return data != nullptr && size != 0 && uint64_t(size) == PixelBytes();
}

int Image::Read(const char* fileName)
{
    FILE* stream = fopen(fileName, "rb");
    if (stream == nullptr) {
        fprintf(stderr, "Image::Read: Failed to open Image file: %s\n", fileName);
        return -1;
    }
    return Read_TARGA(stream, fileName);
}

// Returns false only when the scratch pixel cannot be allocated.
bool Image::MirrorColumns()
{
    if (!HasPixels())
        return true;
    unsigned char* pixel = static_cast<unsigned char*>(malloc(depth));
    if (pixel == nullptr) {
        printf("Image::FlipH: Cannot malloc pixel");
        return false;
    }
    const size_t rowBytes = size_t(width) * depth;
    for (size_t row = 0; row < height; ++row) {
        unsigned char* line = data + row * rowBytes;
        for (size_t i = 0; i < width - 1 - i; ++i) {
            unsigned char* left = line + i * depth;
            unsigned char* right = line + (width - 1 - i) * depth;
            memcpy(pixel, left, depth);
            memcpy(left, right, depth);
            memcpy(right, pixel, depth);
        }
    }
    free(pixel);
    return true;
}

// Returns false only when the scratch row cannot be allocated.
bool Image::MirrorRows()
{
    if (!HasPixels())
        return true;
    const size_t rowBytes = size_t(width) * depth;
    unsigned char* scanline = static_cast<unsigned char*>(malloc(rowBytes));
    if (scanline == nullptr) {
        printf("Image::FlipV: Cannot malloc scanline");
        return false;
    }
    for (size_t i = 0; i < height - 1 - i; ++i) {
        unsigned char* top = data + i * rowBytes;
        unsigned char* bottom = data + (height - 1 - i) * rowBytes;
        memcpy(scanline, top, rowBytes);
        memcpy(top, bottom, rowBytes);
        memcpy(bottom, scanline, rowBytes);
    }
    free(scanline);
    return true;
}

void Image::FlipH()
{
    MirrorColumns();
}

void Image::FlipV()
{
    MirrorRows();
}

static Image* cropFailed()
{
    fprintf(stderr, "Image::Crop: Cannot crop.\n");
    return nullptr;
}

Image* Image::Crop(const Image& source, uint32_t x, uint32_t y)
{
    // Sizes and bounds in 64 bits: 32-bit sums of offsets and extents can wrap
    // and let a rectangle outside the source pass the test.
    const uint64_t wanted = uint64_t(width) * height * source.depth;
    if (wanted == 0 || wanted > UINT32_MAX)
        return cropFailed();

    // A block kept from an earlier crop is reused only when it is big enough.
    const uint32_t held = data != nullptr ? size : 0;
    depth = source.depth;
    size = uint32_t(wanted);
    if (data != nullptr && held < size) {
        free(data);
        data = nullptr;
    }
    if (data == nullptr) {
        data = static_cast<unsigned char*>(malloc(size));
        if (data == nullptr) {
            size = 0;
            return cropFailed();
        }
    }

    if (!source.HasPixels() || uint64_t(x) + width > source.width ||
        uint64_t(y) + height > source.height)
        return cropFailed();

    const size_t rowBytes = size_t(width) * depth;
    const size_t sourceRowBytes = size_t(source.width) * source.depth;
    for (size_t r = 0; r < height; ++r) {
        const unsigned char* from = source.data + (y + r) * sourceRowBytes + size_t(x) * source.depth;
        memcpy(data + r * rowBytes, from, rowBytes);
    }
    return this;
}
