#include "scene/mask.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "scene/picture_file.h"

namespace {

// Frees the decoder's state on every way out.
struct ImageGuard {
    png_image* image;
    ~ImageGuard() { png_image_free(image); }
};

std::string sizeText(uint64_t width, uint64_t height)
{
    return std::to_string(width) + " x " + std::to_string(height) + " pixels";
}

} // namespace

MaskPicture decodeMask(const unsigned char* data, size_t size, uint64_t maxPixels)
{
    if (size < 8 || png_sig_cmp(data, 0, 8) != 0)
        throw MaskError("not a PNG picture");
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    ImageGuard guard{&image};
    if (!png_image_begin_read_from_memory(&image, data, size))
        throw MaskError(std::string("unreadable PNG: ") + image.message);
    // Checked from the header, before the pixels are decoded or allocated.
    if (image.width == 0 || image.height == 0)
        throw MaskError("a picture of " + sizeText(image.width, image.height) + " has none to read");
    if (image.width > uint32_t(MASK_MAX_SIDE) || image.height > uint32_t(MASK_MAX_SIDE) ||
        uint64_t(image.width) * image.height > maxPixels)
        throw MaskError("a picture of " + sizeText(image.width, image.height) + " is too large (at most " +
                        std::to_string(MASK_MAX_SIDE) + " a side and " + std::to_string(maxPixels) + " in all)");
    image.format = PNG_FORMAT_GA;
    std::vector<png_byte> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr))
        throw MaskError(std::string("unreadable PNG: ") + image.message);

    MaskPicture mask;
    mask.width = int(image.width);
    mask.height = int(image.height);
    mask.wall.resize(size_t(mask.width) * size_t(mask.height));
    for (size_t k = 0; k < mask.wall.size(); ++k) {
        const png_byte grey = pixels[2 * k], alpha = pixels[2 * k + 1];
        mask.wall[k] = alpha >= 128 && grey < 128 ? 1 : 0;
    }
    return mask;
}

MaskPicture readMaskFile(const std::string& path)
{
    return readPictureAs<MaskError>(path, "mask",
                             [](const unsigned char* data, size_t size) { return decodeMask(data, size); });
}

std::vector<uint8_t> scaleMask(const MaskPicture& mask, int width, int height)
{
    std::vector<uint8_t> walls(size_t(width) * size_t(height));
    if (mask.width == width && mask.height == height) {
        walls = mask.wall;
        return walls;
    }
    // The pixel under the centre of cell x is floor((x + 1/2) * mw / W), in integers.
    std::vector<size_t> column(size_t(width), 0);
    for (int x = 0; x < width; ++x)
        column[size_t(x)] = size_t((uint64_t(2 * uint64_t(x) + 1) * uint64_t(mask.width)) / (2 * uint64_t(width)));
    for (int y = 0; y < height; ++y) {
        const size_t row = size_t((uint64_t(2 * uint64_t(y) + 1) * uint64_t(mask.height)) / (2 * uint64_t(height)));
        const uint8_t* source = &mask.wall[row * size_t(mask.width)];
        uint8_t* target = &walls[size_t(y) * size_t(width)];
        for (int x = 0; x < width; ++x)
            target[x] = source[column[size_t(x)]];
    }
    return walls;
}

void writeMaskFile(const std::string& path, const std::vector<uint8_t>& walls, int width, int height)
{
    if (width <= 0 || height <= 0 || width > MASK_MAX_SIDE || height > MASK_MAX_SIDE ||
        uint64_t(width) * uint64_t(height) > MASK_MAX_PIXELS)
        throw MaskError("a basin of " + std::to_string(width) + " x " + std::to_string(height) +
                        " cells is too large for a mask (at most " + std::to_string(MASK_MAX_SIDE) + " a side and " +
                        std::to_string(MASK_MAX_PIXELS) + " cells)");
    std::vector<png_byte> grey(walls.size());
    for (size_t k = 0; k < walls.size(); ++k)
        grey[k] = walls[k] != 0 ? 0 : 255;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(width);
    image.height = png_uint_32(height);
    image.format = PNG_FORMAT_GRAY;
    ImageGuard guard{&image};
    errno = 0;
    if (!png_image_write_to_file(&image, path.c_str(), 0, grey.data(), 0, nullptr)) {
        const int reason = errno;
        std::remove(path.c_str());
        throw MaskError("cannot write the mask '" + path + "': " +
                        (reason != 0 ? std::string(std::strerror(reason)) : std::string(image.message)));
    }
}
