#pragma once

// Small builders for TGA files written byte by byte in the tests, and helpers
// that hand them to the reader through a real stream.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <vector>

#include "image/image.h"

using Bytes = std::vector<uint8_t>;

struct TgaHeader {
    uint8_t type = 2;
    uint16_t width = 0;
    uint16_t height = 0;
    uint8_t bits = 24;
    uint8_t descriptor = 0;
    uint8_t idLength = 0;
    uint8_t colourMapType = 0;
};

inline Bytes tgaBytes(const TgaHeader& h, std::initializer_list<int> body = {})
{
    Bytes b(18, 0);
    b[0] = h.idLength;
    b[1] = h.colourMapType;
    b[2] = h.type;
    b[12] = uint8_t(h.width & 0xFF);
    b[13] = uint8_t(h.width >> 8);
    b[14] = uint8_t(h.height & 0xFF);
    b[15] = uint8_t(h.height >> 8);
    b[16] = h.bits;
    b[17] = h.descriptor;
    for (int v : body)
        b.push_back(uint8_t(v));
    return b;
}

inline void append(Bytes& b, std::initializer_list<int> more)
{
    for (int v : more)
        b.push_back(uint8_t(v));
}

// A temporary file holding the bytes, positioned at its start; like a file
// opened with "rb", seeking past its end succeeds.
inline FILE* streamOf(const Bytes& bytes)
{
    FILE* f = tmpfile();
    if (f == nullptr)
        return nullptr;
    if (!bytes.empty())
        fwrite(bytes.data(), 1, bytes.size(), f);
    rewind(f);
    return f;
}

inline int readTga(Image& image, const Bytes& bytes)
{
    return image.Read_TARGA(streamOf(bytes));
}

inline Bytes pixelsOf(const Image& image)
{
    if (image.data == nullptr)
        return {};
    return Bytes(image.data, image.data + image.size);
}

// An image filled by hand: every byte is its index plus one, so moved bytes show.
inline void fillCounting(Image& image, uint32_t width, uint32_t height, uint32_t depth)
{
    image.Clear();
    image.width = width;
    image.height = height;
    image.depth = depth;
    image.size = width * height * depth;
    image.data = static_cast<unsigned char*>(malloc(image.size));
    for (uint32_t i = 0; i < image.size; ++i)
        image.data[i] = uint8_t(i + 1);
}

// The image is empty, as newly constructed.
inline bool isEmpty(const Image& image)
{
    return image.data == nullptr && image.width == 0 && image.height == 0 && image.depth == 0 &&
           image.size == 0;
}
