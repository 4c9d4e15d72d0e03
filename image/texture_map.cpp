#include "image/texture_map.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <cstdio>
#include <cstdlib>

#include "image/image.h"

using namespace TextureFlags;

namespace {

const GLenum TARGETS[4] = {GL_TEXTURE_1D, GL_TEXTURE_2D, GL_TEXTURE_3D, GL_TEXTURE_CUBE_MAP};

// Indexed by the minification field; 0 means no call. 2 and 3 are not in GL order.
const GLint MIN_FILTERS[8] = {0, GL_NEAREST_MIPMAP_NEAREST, GL_LINEAR_MIPMAP_LINEAR,
                              GL_LINEAR_MIPMAP_NEAREST, GL_LINEAR, GL_NEAREST, 0, 0};

const GLint WRAPS[8] = {0, GL_MIRRORED_REPEAT, GL_CLAMP_TO_EDGE, GL_CLAMP_TO_BORDER, GL_CLAMP, 0, 0, 0};

// The GL has no intensity pixel format (it refuses GL_INTENSITY there), so
// intensity bytes go up as luminance into an intensity internal format.
const GLenum PIXEL_FORMATS[9] = {GL_LUMINANCE, GL_ALPHA, GL_LUMINANCE, GL_LUMINANCE_ALPHA, GL_RGB,
                                 GL_BGR, GL_RGBA, GL_BGRA, GL_DEPTH_COMPONENT};
const uint32_t FORMAT_INTENSITY = 2;

// Bytes one pixel of each pixel format takes in a GL_UNSIGNED_BYTE upload.
const uint32_t FORMAT_BYTES[9] = {1, 1, 1, 2, 3, 3, 4, 4, 1};

const GLint ENV_MODES[8] = {GL_MODULATE, GL_DECAL, GL_BLEND, GL_REPLACE, GL_ADD, GL_COMBINE, 0, 0};

const GLfloat ANISOTROPY[4] = {1.0f, 2.0f, 4.0f, 8.0f};

const uint32_t FORMAT_DEPTH = 8;
const uint32_t TARGET_1D = 0, TARGET_2D = 1, TARGET_CUBE = 3;

struct CubeFace {
    GLenum target;
    uint32_t column, row;
};

const CubeFace CUBE_FACES[6] = {
    {GL_TEXTURE_CUBE_MAP_POSITIVE_X, 0, 0}, {GL_TEXTURE_CUBE_MAP_NEGATIVE_X, 1, 0},
    {GL_TEXTURE_CUBE_MAP_POSITIVE_Y, 2, 0}, {GL_TEXTURE_CUBE_MAP_NEGATIVE_Y, 0, 1},
    {GL_TEXTURE_CUBE_MAP_POSITIVE_Z, 1, 1}, {GL_TEXTURE_CUBE_MAP_NEGATIVE_Z, 2, 1},
};

uint32_t field(uint32_t word, uint32_t mask, uint32_t shift) { return (word & mask) >> shift; }

uint32_t withField(uint32_t word, uint32_t mask, uint32_t shift, uint32_t value)
{
    return (word & ~mask) | ((value << shift) & mask);
}

bool isPowerOfTwo(uint32_t n) { return n != 0 && (n & (n - 1)) == 0; }

uint8_t halvingsToOne(uint32_t width)
{
    uint8_t n = 0;
    for (; width > 1; width /= 2)
        ++n;
    return n;
}

// Rows of our pixel blocks are packed; the GL's default unpack state would pad
// each row to 4 bytes and read past the end of the block. Held for one upload.
struct PackedUpload {
    PackedUpload()
    {
        glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
        glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    }
    ~PackedUpload() { glPopClientAttrib(); }
};

void setMipmapParameters(GLenum target, bool mipmaps, uint8_t maxLevel)
{
    if (!mipmaps)
        return;
    glTexParameteri(target, GL_GENERATE_MIPMAP, GL_TRUE);
    glTexParameteri(target, GL_TEXTURE_MAX_LEVEL, maxLevel);
}

// Class 1 when every alpha byte is 0 or 255, class 2 at the first other value.
uint32_t alphaClassOf(const Image& image)
{
    for (uint32_t i = image.depth - 1; i < image.size; i += image.depth) {
        if (image.data[i] != 0 && image.data[i] != 255)
            return 2;
    }
    return 1;
}

bool formatHasAlpha(uint32_t format) { return format == 1 || format == 3 || format == 6 || format == 7; }

// Honours the caller's pixel format only where it fits the image depth.
uint32_t pixelFormatForDepth(uint32_t depth, uint32_t requested)
{
    switch (depth) {
    case 1: return (requested == 1 || requested == 2) ? requested : 0;
    case 2: return 3;
    case 3: return requested == 5 ? 5 : 4;
    default: return requested == 7 ? 7 : 6;
    }
}

GLint compressedFormat(uint32_t compression, uint32_t depth)
{
    switch (compression) {
    case 1: return depth == 3 ? GL_COMPRESSED_RGB_S3TC_DXT1_EXT : GL_COMPRESSED_RGBA_S3TC_DXT1_EXT;
    case 2: return GL_COMPRESSED_RGBA_S3TC_DXT3_EXT;
    default: return GL_COMPRESSED_RGBA_S3TC_DXT5_EXT;
    }
}

// What one Setup call sends to the GL.
struct Upload {
    uint32_t format = 0; // pixel-format field value
    GLint internalFormat = 0;
    GLenum glFormat = 0;
    bool compressed = false;
};

// Decides the formats and writes the pixel-format field (and, for compression,
// the alpha class) back into flags; -1 for a depth no format takes.
int chooseFormats(uint32_t& flags, const Image& image, Upload& up)
{
    up.format = field(flags, FORMAT_MASK, FORMAT_SHIFT);
    up.compressed = field(flags, COMPRESSION_MASK, COMPRESSION_SHIFT) != 0;
    if (up.format == FORMAT_DEPTH) {
        up.internalFormat = GL_DEPTH_COMPONENT;
    } else if (up.compressed) {
        const uint32_t compression = field(flags, COMPRESSION_MASK, COMPRESSION_SHIFT);
        up.format = image.depth == 3 ? 4 : 6;
        if (up.format == 6)
            flags = withField(flags, ALPHA_MASK, 0, 2);
        if (compression == 1 && image.depth != 3)
            flags = withField(flags, ALPHA_MASK, 0, 1);
        up.internalFormat = compressedFormat(compression, image.depth);
    } else {
        if (image.depth < 1 || image.depth > 4) {
            fprintf(stderr, "TextureMap::Setup: Invalid texture depth: %d\n", int(image.depth));
            return -1;
        }
        up.format = pixelFormatForDepth(image.depth, up.format);
        up.internalFormat = up.format == FORMAT_INTENSITY ? GL_INTENSITY : GLint(image.depth);
    }
    flags = withField(flags, FORMAT_MASK, FORMAT_SHIFT, up.format);
    up.glFormat = PIXEL_FORMATS[up.format];
    return 0;
}

void uploadFlat(GLenum target, Image& image, const Upload& up)
{
    PackedUpload packed;
    if (target == GL_TEXTURE_1D) {
        glTexImage1D(target, 0, up.internalFormat, GLsizei(image.width), 0, up.glFormat, GL_UNSIGNED_BYTE,
                     image.data);
        return;
    }
    // GL rows run bottom to top.
    if (image.data != nullptr)
        image.FlipV();
    glTexImage2D(target, 0, up.internalFormat, GLsizei(image.width), GLsizei(image.height), 0, up.glFormat,
                 GL_UNSIGNED_BYTE, image.data);
}

void setDepthCompare(GLenum target)
{
    glTexParameteri(target, GL_DEPTH_TEXTURE_MODE, GL_LUMINANCE);
    glTexParameteri(target, GL_TEXTURE_COMPARE_MODE, GL_COMPARE_R_TO_TEXTURE);
    glTexParameteri(target, GL_TEXTURE_COMPARE_FUNC, GL_LEQUAL);
}

bool pixelsMatchUpload(const Image& image, uint32_t format)
{
    // The upload reads FORMAT_BYTES per pixel; a block laid out otherwise would be
    // misread, and one that is smaller would be read past its end.
    if (image.depth != FORMAT_BYTES[format]) {
        fprintf(stderr, "TextureMap::Setup: Invalid texture depth: %d\n", int(image.depth));
        return false;
    }
    return uint64_t(image.width) * image.height * image.depth <= image.size;
}

int uploadCubeFaces(const Image& image, const Upload& up)
{
    const uint32_t faceWidth = image.width / 3;
    const uint32_t faceHeight = image.height / 2;
    PackedUpload packed;
    if (image.data == nullptr) {
        for (const CubeFace& face : CUBE_FACES) {
            glTexImage2D(face.target, 0, up.internalFormat, GLsizei(faceWidth), GLsizei(faceHeight), 0,
                         up.glFormat, GL_UNSIGNED_BYTE, nullptr);
        }
        return 0;
    }
    // Compressed cube maps are left without images.
    if (up.compressed)
        return 0;

    Image faceImage;
    faceImage.width = faceWidth;
    faceImage.height = faceHeight;
    for (int i = 0; i < 6; ++i) {
        const CubeFace& face = CUBE_FACES[i];
        if (faceImage.Crop(image, face.column * faceWidth, face.row * faceHeight) == nullptr) {
            fprintf(stderr, "TextureMap::Setup: Failed to crop(%d) image.\n", i);
            return -1;
        }
        glTexImage2D(face.target, 0, up.internalFormat, GLsizei(faceWidth), GLsizei(faceHeight), 0,
                     up.glFormat, GL_UNSIGNED_BYTE, faceImage.data);
    }
    return 0; // the face image frees its block on the way out
}

void setWraps(GLenum target, uint32_t word)
{
    const GLenum params[3] = {GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T, GL_TEXTURE_WRAP_R};
    const uint32_t masks[3] = {WRAP_S_MASK, WRAP_T_MASK, WRAP_R_MASK};
    const uint32_t shifts[3] = {WRAP_S_SHIFT, WRAP_T_SHIFT, WRAP_R_SHIFT};
    for (int i = 0; i < 3; ++i) {
        const GLint mode = WRAPS[field(word, masks[i], shifts[i])];
        if (mode != 0)
            glTexParameteri(target, params[i], mode);
    }
}

void setSampling(GLenum target, uint32_t flags)
{
    const GLint minFilter = MIN_FILTERS[field(flags, MIN_FILTER_MASK, MIN_FILTER_SHIFT)];
    if (minFilter != 0)
        glTexParameteri(target, GL_TEXTURE_MIN_FILTER, minFilter);
    if (flags & MAG_NEAREST)
        glTexParameteri(target, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    setWraps(target, flags);
    const GLfloat anisotropy = ANISOTROPY[field(flags, ANISOTROPY_MASK, ANISOTROPY_SHIFT)];
    glTexParameterf(target, GL_TEXTURE_MAX_ANISOTROPY_EXT, anisotropy);
}

} // namespace

TextureMap::TextureMap()
{
    GLuint name = 0;
    glGenTextures(1, &name);
    if (name == 0)
        printf("TextureMap::TextureMap: ID zero.  No GL context?");
    if (name > 0xFFFF)
        printf("TextureMap::TextureMap: Too many texture objects.");
    id = uint16_t(name & 0xFFFF);
}

unsigned int TextureMap::Target() const { return TARGETS[field(flags, TARGET_MASK, TARGET_SHIFT)]; }

int TextureMap::Setup(uint32_t word, Image& image)
{
    flags = word;
    const bool mipmaps = field(word, MIN_FILTER_MASK, MIN_FILTER_SHIFT) <= 3;
    if (mipmaps)
        maxLevel = halvingsToOne(image.width);

    Upload up;
    if (chooseFormats(flags, image, up) != 0)
        return -1;
    if (image.data != nullptr && !pixelsMatchUpload(image, up.format))
        return -1;

    // Kind of texture from the image's shape.
    const bool flat = image.height == 1 || image.width == image.height;
    const bool cube = !flat && uint64_t(image.width) * 2 == uint64_t(image.height) * 3;
    if (flat && !isPowerOfTwo(image.width)) {
        fprintf(stderr, "TextureMap::Setup: Texture dimensions must be a power of 2.\n");
        return -1;
    }
    if (!flat && !cube) {
        fprintf(stderr,
                "TextureMap::Setup: Texture must be one pixel high, square, or 3:2 for a cube map; got %ux%u.\n",
                unsigned(image.width), unsigned(image.height));
        return -1;
    }
    if (cube && up.format == FORMAT_DEPTH)
        return -1;

    const uint32_t kind = cube ? TARGET_CUBE : image.height == 1 ? TARGET_1D : TARGET_2D;
    flags = withField(flags, TARGET_MASK, TARGET_SHIFT, kind);
    const GLenum target = Target();
    glBindTexture(target, id);
    setMipmapParameters(target, mipmaps, maxLevel);
    if (flat)
        uploadFlat(target, image, up);
    else if (uploadCubeFaces(image, up) != 0)
        return -1;

    if (up.format == FORMAT_DEPTH)
        setDepthCompare(target);
    if (image.data != nullptr && !up.compressed)
        flags = withField(flags, ALPHA_MASK, 0, formatHasAlpha(up.format) ? alphaClassOf(image) : 0);
    setSampling(target, flags);
    return 0;
}

void TextureMap::Bind()
{
    const GLint mode = ENV_MODES[field(flags, ENV_MASK, ENV_SHIFT)];
    if (mode != 0)
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, mode);
    glBindTexture(Target(), id);
    if (texgen != nullptr)
        texgen->Apply();
}
