// Arbitrary bytes as a TGA file: the reader must refuse or read them without
// a stray access, and whatever it returns must survive flips and crops.

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "image/image.h"

namespace {

// Headers whose blocks the reader would accept but which would cost more than
// a few hundred kilobytes per run are skipped to keep the fuzzer fast; sizes
// beyond 32 bits are still fed, since the reader refuses them before
// allocating. The sizes are worked out as the reader does.
constexpr uint64_t LARGEST_FED = uint64_t(1) << 18;

bool isTooCostly(const uint8_t* bytes, size_t length)
{
    if (length < 18)
        return false;
    const uint64_t pixels = uint64_t(bytes[12] | bytes[13] << 8) * uint64_t(bytes[14] | bytes[15] << 8);
    const uint64_t depth = bytes[16] / 8;
    const bool uncompressed = bytes[2] == 2 || bytes[2] == 3;
    const uint64_t pixelBytes = pixels * depth;
    const uint64_t readBytes = uncompressed ? pixelBytes : pixels * (depth + 1);
    if (pixelBytes > UINT32_MAX || readBytes > UINT32_MAX)
        return false;
    return readBytes > LARGEST_FED || pixelBytes > LARGEST_FED;
}

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// Crop parameters come from the input's last bytes, so they vary with it.
uint32_t tailByte(const uint8_t* bytes, size_t length, size_t fromEnd)
{
    return length > fromEnd ? bytes[length - 1 - fromEnd] : 0;
}

void cropAround(const Image& image, const uint8_t* bytes, size_t length)
{
    Image face;
    face.width = 1 + tailByte(bytes, length, 0) % (image.width + 1);
    face.height = 1 + tailByte(bytes, length, 1) % (image.height + 1);
    uint32_t x = tailByte(bytes, length, 2) % (image.width + 1);
    uint32_t y = tailByte(bytes, length, 3) % (image.height + 1);
    if (tailByte(bytes, length, 4) & 1)
        x = UINT32_MAX - x;
    for (int pass = 0; pass < 2; ++pass, ++y) {
        if (face.Crop(image, x, y) == nullptr)
            continue;
        const size_t row = size_t(face.width) * face.depth;
        for (uint32_t r = 0; r < face.height; ++r) {
            const unsigned char* from =
                image.data + (size_t(y) + r) * image.width * image.depth + size_t(x) * image.depth;
            check(memcmp(face.data + r * row, from, row) == 0);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t length)
{
    if (isTooCostly(bytes, length))
        return 0;
    // fmemopen refuses an empty buffer; the reader then sees no stream at all.
    FILE* stream = length > 0 ? fmemopen(const_cast<uint8_t*>(bytes), length, "rb") : nullptr;

    Image image;
    if (image.Read_TARGA(stream) != 0) {
        check(image.data == nullptr && image.size == 0);
        return 0;
    }
    check(image.data != nullptr && image.size == uint64_t(image.width) * image.height * image.depth);

    image.FlipH();
    image.FlipV();
    cropAround(image, bytes, length);
    return 0;
}
