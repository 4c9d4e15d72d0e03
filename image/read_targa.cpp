// Truevision TGA: uncompressed and run-length encoded true colour and grey,
// without colour map.

#include "image/image.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t HEADER_BYTES = 18;

enum TargaType : uint8_t {
    TRUE_COLOUR = 2,
    GREY = 3,
    TRUE_COLOUR_RLE = 10,
    GREY_RLE = 11,
};

constexpr uint8_t RIGHT_TO_LEFT = 0x10;
constexpr uint8_t TOP_TO_BOTTOM = 0x20;

struct TargaHeader {
    uint8_t idLength;
    uint8_t colourMapType;
    uint8_t type;
    uint16_t width;
    uint16_t height;
    uint8_t bitsPerPixel;
    uint8_t descriptor;
};

TargaHeader parseHeader(const unsigned char* bytes)
{
    TargaHeader header;
    header.idLength = bytes[0];
    header.colourMapType = bytes[1];
    header.type = bytes[2];
    header.width = uint16_t(bytes[12] | bytes[13] << 8);
    header.height = uint16_t(bytes[14] | bytes[15] << 8);
    header.bitsPerPixel = bytes[16];
    header.descriptor = bytes[17];
    return header;
}

bool isTrueColour(uint8_t type)
{
    return type == TRUE_COLOUR || type == TRUE_COLOUR_RLE;
}

// Blue, green, red (, alpha) in the file; red, green, blue (, alpha) in memory.
void storeTrueColour(unsigned char* out, const unsigned char* in, uint32_t depth)
{
    out[0] = in[2];
    out[1] = in[1];
    out[2] = in[0];
    if (depth == 4)
        out[3] = in[3];
}

void storeGrey(unsigned char* out, const unsigned char* in, uint32_t depth)
{
    out[0] = in[0];
    if (depth == 2)
        out[1] = in[1];
}

void decodeTrueColour(const unsigned char* in, unsigned char* out, size_t pixels, uint32_t depth)
{
    for (size_t p = 0; p < pixels; ++p)
        storeTrueColour(out + p * depth, in + p * depth, depth);
}

// Decodes packets from the bytes actually read until the pixel block is full;
// a packet reaching past the block is cut at its end, and a packet whose
// bytes the file does not hold ends the decoding (the rest stays zero).
void decodeRunLength(const unsigned char* in, size_t inBytes, unsigned char* out, size_t pixels,
                     uint32_t depth, bool trueColour)
{
    size_t pos = 0;
    size_t written = 0;
    while (written < pixels && pos < inBytes) {
        const unsigned char packet = in[pos++];
        size_t count = size_t(packet & 0x7F) + 1;
        if (count > pixels - written)
            count = pixels - written;
        const bool run = (packet & 0x80) != 0;
        for (size_t k = 0; k < count; ++k) {
            if (inBytes - pos < depth)
                return;
            unsigned char* target = out + (written + k) * depth;
            if (trueColour)
                storeTrueColour(target, in + pos, depth);
            else
                storeGrey(target, in + pos, depth);
            if (!run)
                pos += depth;
        }
        if (run)
            pos += depth;
        written += count;
    }
}

// Header values that no decoding can serve: refused before anything is allocated.
bool isRefused(const TargaHeader& header, uint64_t pixelBytes, uint64_t readBytes)
{
    const uint32_t depth = header.bitsPerPixel / 8;
    if (depth == 0 || header.width == 0 || header.height == 0)
        return true;
    if (isTrueColour(header.type) && depth != 3 && depth != 4)
        return true;
    return pixelBytes > UINT32_MAX || readBytes > UINT32_MAX;
}

// What an image type the reader does not decode holds, for the warning.
const char* undecodedKind(uint8_t type)
{
    switch (type) {
    case 0:
        return "no image data";
    case 1:
        return "colour-mapped";
    case 9:
        return "colour-mapped, run-length encoded";
    case 32:
    case 33:
        return "colour-mapped, Huffman coded";
    default:
        return "not a TGA image type";
    }
}

} // namespace

int Image::Read_TARGA(FILE* stream, const char* name)
{
    if (stream == nullptr)
        return -1;
    Clear();

    unsigned char headerBytes[HEADER_BYTES];
    if (fread(headerBytes, 1, HEADER_BYTES, stream) != HEADER_BYTES) {
        fclose(stream);
        return -1;
    }
    const TargaHeader header = parseHeader(headerBytes);
    if (header.colourMapType != 0) {
        fclose(stream);
        return -1;
    }

    const uint64_t pixels = uint64_t(header.width) * header.height;
    const uint32_t pixelDepth = header.bitsPerPixel / 8;
    const uint64_t pixelBytes = pixels * pixelDepth;
    const bool uncompressed = header.type == TRUE_COLOUR || header.type == GREY;
    // Worst case of run-length data: every pixel in a packet of its own.
    const uint64_t readBytes = uncompressed ? pixelBytes : pixels * (pixelDepth + 1);
    if (isRefused(header, pixelBytes, readBytes)) {
        fclose(stream);
        return -1;
    }

    // Such a picture still reads, as all zero (a black sky), but not in silence.
    const bool decoded = header.type == TRUE_COLOUR || header.type == GREY || header.type == TRUE_COLOUR_RLE ||
                         header.type == GREY_RLE;
    if (!decoded && name != nullptr)
        fprintf(stderr, "Image::Read: %s: TGA image type %u (%s) is not decoded; the picture reads as all zero\n",
                name, unsigned(header.type), undecodedKind(header.type));

    unsigned char* buffer = static_cast<unsigned char*>(malloc(size_t(readBytes)));
    if (buffer == nullptr) {
        printf("Image::Read_TARGA: Cannot malloc image");
        fclose(stream);
        return -1;
    }

    // An ID that cannot be skipped leaves no pixel data to read.
    size_t got = 0;
    if (fseek(stream, header.idLength, SEEK_CUR) == 0)
        got = fread(buffer, 1, size_t(readBytes), stream);
    fclose(stream);
    // Pixels the file does not supply are zero.
    memset(buffer + got, 0, size_t(readBytes) - got);

    unsigned char* pixmap = buffer;
    if (header.type != GREY) {
        pixmap = static_cast<unsigned char*>(calloc(size_t(pixels), pixelDepth));
        if (pixmap == nullptr) {
            printf("Image::Read_TARGA: Cannot calloc pixmap");
            free(buffer);
            return -1;
        }
        if (header.type == TRUE_COLOUR)
            decodeTrueColour(buffer, pixmap, size_t(pixels), pixelDepth);
        else if (header.type == TRUE_COLOUR_RLE || header.type == GREY_RLE)
            decodeRunLength(buffer, got, pixmap, size_t(pixels), pixelDepth, header.type == TRUE_COLOUR_RLE);
        free(buffer);
    }

    data = pixmap;
    width = header.width;
    height = header.height;
    depth = pixelDepth;
    size = uint32_t(pixelBytes);

    // A read succeeds only with its pixels in the documented orientation.
    bool oriented = true;
    if (header.descriptor & RIGHT_TO_LEFT)
        oriented = MirrorColumns();
    if (oriented && !(header.descriptor & TOP_TO_BOTTOM))
        oriented = MirrorRows();
    if (!oriented) {
        Clear();
        return -1;
    }
    return 0;
}
