#include "scene/bed_map.h"

#include <png.h>

#include <cstring>

#include "scene/picture_file.h"

// libpng reports errors by longjmp: the functions that call into it hold no
// object with a destructor, and everything they fill is owned by the caller.

namespace {

struct MemoryInput {
    const unsigned char* data;
    size_t size, at;
};

constexpr size_t MESSAGE_SIZE = 200;

void readFromMemory(png_structp png, png_bytep out, png_size_t length)
{
    MemoryInput* in = static_cast<MemoryInput*>(png_get_io_ptr(png));
    if (length > in->size - in->at)
        png_error(png, "the file ends early");
    std::memcpy(out, in->data + in->at, length);
    in->at += length;
}

void onError(png_structp png, png_const_charp message)
{
    char* reason = static_cast<char*>(png_get_error_ptr(png));
    std::strncpy(reason, message, MESSAGE_SIZE - 1);
    reason[MESSAGE_SIZE - 1] = '\0';
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

struct Header {
    png_uint_32 width, height;
    int depth, colourType;
};

bool readHeader(png_structp png, png_infop info, Header& header)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_info(png, info);
    header.width = png_get_image_width(png, info);
    header.height = png_get_image_height(png, info);
    header.depth = png_get_bit_depth(png, info);
    header.colourType = png_get_color_type(png, info);
    return true;
}

bool readPixels(png_structp png, png_infop info, png_bytepp rows)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    png_read_image(png, rows);
    png_read_end(png, nullptr);
    return true;
}

// Frees the decoder's state on every way out.
struct ReadGuard {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~ReadGuard() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
};

std::string kindOf(int colourType)
{
    switch (colourType) {
    case PNG_COLOR_TYPE_GRAY:
        return "grey";
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return "grey with alpha";
    case PNG_COLOR_TYPE_PALETTE:
        return "palette";
    case PNG_COLOR_TYPE_RGB:
        return "RGB";
    default:
        return "RGBA";
    }
}

} // namespace

BedMap decodeBedMap(const unsigned char* data, size_t size, uint64_t maxPixels)
{
    if (size < 8 || png_sig_cmp(data, 0, 8) != 0)
        throw BedMapError("not a PNG picture");
    char reason[MESSAGE_SIZE] = "";
    ReadGuard guard;
    guard.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, reason, onError, onWarning);
    if (guard.png == nullptr)
        throw BedMapError("cannot start the PNG reader");
    guard.info = png_create_info_struct(guard.png);
    if (guard.info == nullptr)
        throw BedMapError("cannot start the PNG reader");
    MemoryInput input{data, size, 0};
    png_set_read_fn(guard.png, &input, readFromMemory);

    Header header{};
    if (!readHeader(guard.png, guard.info, header))
        throw BedMapError(std::string("unreadable PNG: ") + reason);
    const std::string pixels = std::to_string(header.width) + " x " + std::to_string(header.height) + " pixels";
    if (header.width > png_uint_32(BED_MAP_MAX_SIDE) || header.height > png_uint_32(BED_MAP_MAX_SIDE) ||
        uint64_t(header.width) * header.height > maxPixels)
        throw BedMapError("a picture of " + pixels + " is too large (at most " + std::to_string(BED_MAP_MAX_SIDE) +
                          " a side and " + std::to_string(maxPixels) + " in all)");
    if (header.colourType != PNG_COLOR_TYPE_GRAY || (header.depth != 8 && header.depth != 16))
        throw BedMapError("a bed map is a grey picture of 8 or 16 bits a pixel, not " + kindOf(header.colourType) +
                          " of " + std::to_string(header.depth) + " bits");

    // Checked above: the header's size is within the limits, so this allocation is bounded.
    const size_t width = header.width, height = header.height, bytesPerSample = size_t(header.depth / 8);
    std::vector<png_byte> bytes(width * height * bytesPerSample);
    std::vector<png_bytep> rows(height);
    for (size_t y = 0; y < height; ++y)
        rows[y] = bytes.data() + y * width * bytesPerSample;
    if (!readPixels(guard.png, guard.info, rows.data()))
        throw BedMapError(std::string("unreadable PNG: ") + reason);

    BedMap map;
    map.width = int(width);
    map.height = int(height);
    map.white = header.depth == 16 ? 65535 : 255;
    map.samples.resize(width * height);
    for (size_t k = 0; k < map.samples.size(); ++k)
        map.samples[k] = header.depth == 16 ? uint16_t(bytes[2 * k] << 8 | bytes[2 * k + 1]) : bytes[k];
    return map;
}

BedMap readBedMapFile(const std::string& path)
{
    return readPictureAs<BedMapError>(path, "bed map",
                             [](const unsigned char* data, size_t size) { return decodeBedMap(data, size); });
}
