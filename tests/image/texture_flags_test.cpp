#include <gtest/gtest.h>

#include "image/texture_map.h"
#include "image/texture_test_support.h"
#include "support/gl_test_context.h"

using namespace TextureFlags;

namespace {

uint32_t withFormat(uint32_t word, uint32_t format) { return word | (format << FORMAT_SHIFT); }
uint32_t withMinFilter(uint32_t value) { return value << MIN_FILTER_SHIFT; }

// An 8x8 2D texture set up from a fresh pattern image of the given depth.
int setup2D(TextureMap& map, uint32_t word, uint32_t depth, uint32_t side = 8)
{
    Image image;
    makeImage(image, side, side, depth);
    return map.Setup(word, image);
}

void setAlphaBytes(Image& image, unsigned char value)
{
    for (uint32_t i = image.depth - 1; i < image.size; i += image.depth)
        image.data[i] = value;
}

class TextureFlagsTest : public testing::Test {
protected:
    void SetUp() override
    {
        ensureGlContext();
        drainGlErrors();
    }
};

} // namespace

TEST_F(TextureFlagsTest, MinificationFieldPicksFilterAndMipmaps)
{
    // Values 2 and 3 are deliberately out of GL order.
    const GLint expected[8] = {GL_NEAREST_MIPMAP_LINEAR, GL_NEAREST_MIPMAP_NEAREST, GL_LINEAR_MIPMAP_LINEAR,
                               GL_LINEAR_MIPMAP_NEAREST, GL_LINEAR, GL_NEAREST,
                               GL_NEAREST_MIPMAP_LINEAR, GL_NEAREST_MIPMAP_LINEAR};
    for (uint32_t value = 0; value < 8; ++value) {
        SCOPED_TRACE(value);
        TextureMap map;
        ASSERT_EQ(setup2D(map, withMinFilter(value), 3), 0);
        EXPECT_EQ(textureParameter(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER), expected[value]);
        const bool mipmaps = value <= 3;
        EXPECT_EQ(textureParameter(GL_TEXTURE_2D, GL_GENERATE_MIPMAP), mipmaps ? GL_TRUE : GL_FALSE);
        EXPECT_EQ(textureParameter(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL), mipmaps ? 3 : 1000);
        EXPECT_EQ(map.maxLevel, mipmaps ? 3 : 0);
    }
}

TEST_F(TextureFlagsTest, MipmapsRunDownToOnePixel)
{
    TextureMap map;
    ASSERT_EQ(setup2D(map, withMinFilter(0), 3, 256), 0);
    EXPECT_EQ(map.maxLevel, 8);
    EXPECT_EQ(textureParameter(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL), 8);
    EXPECT_EQ(levelParameter(GL_TEXTURE_2D, 8, GL_TEXTURE_WIDTH), 1) << "the GL generated the chain";

    TextureMap one;
    ASSERT_EQ(setup2D(one, withMinFilter(1), 3, 1), 0);
    EXPECT_EQ(one.maxLevel, 0);

    // The whole picture's width counts for cube maps: 384 halves 8 times.
    Image picture;
    makeImage(picture, 384, 256, 3);
    TextureMap cube;
    ASSERT_EQ(cube.Setup(withMinFilter(2), picture), 0);
    EXPECT_EQ(cube.maxLevel, 8);
    EXPECT_EQ(textureParameter(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAX_LEVEL), 8);
}

TEST_F(TextureFlagsTest, NearestMagnificationBit)
{
    TextureMap plain, nearest;
    ASSERT_EQ(setup2D(plain, withMinFilter(4), 3), 0);
    EXPECT_EQ(textureParameter(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    ASSERT_EQ(setup2D(nearest, withMinFilter(4) | MAG_NEAREST, 3), 0);
    EXPECT_EQ(textureParameter(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER), GL_NEAREST);
}

TEST_F(TextureFlagsTest, WrapFieldsSetEachCoordinate)
{
    const GLint expected[8] = {GL_REPEAT, GL_MIRRORED_REPEAT, GL_CLAMP_TO_EDGE, GL_CLAMP_TO_BORDER,
                               GL_CLAMP, GL_REPEAT, GL_REPEAT, GL_REPEAT};
    for (uint32_t value = 0; value < 8; ++value) {
        SCOPED_TRACE(value);
        // Each coordinate on its own, the others left at the default.
        const uint32_t shifts[3] = {WRAP_S_SHIFT, WRAP_T_SHIFT, WRAP_R_SHIFT};
        const GLenum params[3] = {GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T, GL_TEXTURE_WRAP_R};
        for (int c = 0; c < 3; ++c) {
            TextureMap map;
            ASSERT_EQ(setup2D(map, withMinFilter(4) | (value << shifts[c]), 3), 0);
            for (int other = 0; other < 3; ++other)
                EXPECT_EQ(textureParameter(GL_TEXTURE_2D, params[other]),
                          other == c ? expected[value] : GL_REPEAT);
        }
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(TextureFlagsTest, AnisotropyFieldIsAlwaysSet)
{
    if (!hasExtension("GL_EXT_texture_filter_anisotropic"))
        GTEST_SKIP() << "this GL lacks GL_EXT_texture_filter_anisotropic; nothing to read back";
    const GLfloat expected[4] = {1.0f, 2.0f, 4.0f, 8.0f};
    for (uint32_t value = 0; value < 4; ++value) {
        TextureMap map;
        ASSERT_EQ(setup2D(map, withMinFilter(4) | (value << ANISOTROPY_SHIFT), 3), 0);
        GLfloat got = 0;
        glGetTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, &got);
        EXPECT_EQ(got, expected[value]) << value;
    }
}

TEST_F(TextureFlagsTest, PixelFormatIsFittedToDepthAndWrittenBack)
{
    struct Case {
        uint32_t depth, requested, result;
    };
    const Case cases[] = {
        {1, 4, 0}, {1, 0, 0}, {1, 1, 1}, {1, 2, 2}, {1, 7, 0}, {2, 0, 3}, {2, 6, 3}, {3, 0, 4},
        {3, 5, 5}, {3, 6, 4}, {4, 0, 6}, {4, 7, 7}, {4, 4, 6},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << "depth " << k.depth << " format " << k.requested);
        TextureMap map;
        const uint32_t word = withFormat(withMinFilter(4) | 0xF0000000u, k.requested);
        ASSERT_EQ(setup2D(map, word, k.depth), 0);
        EXPECT_EQ(flagField(map.flags, FORMAT_MASK, FORMAT_SHIFT), k.result);
        EXPECT_EQ(map.flags & 0xF0000000u, 0xF0000000u) << "meaningless bits are kept";
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
}

TEST_F(TextureFlagsTest, UploadFormatDecidesWhichChannelsArrive)
{
    // Grey bytes sent as luminance arrive; sent as alpha they fill no colour.
    Image grey;
    makeImage(grey, 8, 8, 1);
    memset(grey.data, 200, grey.size);
    TextureMap asRgb;
    ASSERT_EQ(asRgb.Setup(withFormat(withMinFilter(4), 4), grey), 0);
    EXPECT_EQ(readTexture(GL_TEXTURE_2D, GL_LUMINANCE, 1), std::vector<unsigned char>(64, 200));

    TextureMap asAlpha;
    ASSERT_EQ(asAlpha.Setup(withFormat(withMinFilter(4), 1), grey), 0);
    EXPECT_EQ(readTexture(GL_TEXTURE_2D, GL_LUMINANCE, 1), std::vector<unsigned char>(64, 0));

    // BGR kept for a 3-byte image: red and blue swap on the way in.
    Image colour;
    makeImage(colour, 8, 8, 3);
    TextureMap swapped;
    ASSERT_EQ(swapped.Setup(withFormat(withMinFilter(4), 5), colour), 0);
    auto expected = pixelsOf(colour); // mirrored like the upload
    for (size_t i = 0; i < expected.size(); i += 3)
        std::swap(expected[i], expected[i + 2]);
    EXPECT_EQ(readTexture(GL_TEXTURE_2D, GL_RGB, 3), expected);
}

TEST_F(TextureFlagsTest, IntensityFormatGivesIntensityTexture)
{
    Image grey;
    makeImage(grey, 8, 8, 1);
    TextureMap map;
    ASSERT_EQ(map.Setup(withFormat(withMinFilter(4), 2), grey), 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_EQ(levelParameter(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT), GL_INTENSITY);
    EXPECT_EQ(readTexture(GL_TEXTURE_2D, GL_LUMINANCE, 1), pixelsOf(grey));
}

TEST_F(TextureFlagsTest, AlphaClassFollowsTheAlphaBytes)
{
    Image rgba;
    makeImage(rgba, 256, 256, 4);
    setAlphaBytes(rgba, 255);
    for (uint32_t i = 3; i < rgba.size; i += 64)
        rgba.data[i] = 0;
    TextureMap binary;
    ASSERT_EQ(binary.Setup(withMinFilter(4), rgba), 0);
    EXPECT_EQ(binary.flags & ALPHA_MASK, 1u);

    rgba.data[rgba.size - 1] = 128; // the last pixel: every byte is looked at
    TextureMap graded;
    ASSERT_EQ(graded.Setup(withMinFilter(4) | 1u, rgba), 0);
    EXPECT_EQ(graded.flags & ALPHA_MASK, 2u);

    Image rgb;
    makeImage(rgb, 8, 8, 3);
    TextureMap none;
    ASSERT_EQ(none.Setup(withMinFilter(4) | 3u, rgb), 0);
    EXPECT_EQ(none.flags & ALPHA_MASK, 0u) << "the caller's class is replaced";

    // Grey-alpha and alpha-only images look at their last byte too.
    Image greyAlpha;
    makeImage(greyAlpha, 8, 8, 2);
    setAlphaBytes(greyAlpha, 255);
    TextureMap la;
    ASSERT_EQ(la.Setup(withMinFilter(4), greyAlpha), 0);
    EXPECT_EQ(la.flags & ALPHA_MASK, 1u);
    Image alpha;
    makeImage(alpha, 8, 8, 1);
    TextureMap a, lum;
    ASSERT_EQ(a.Setup(withFormat(withMinFilter(4), 1), alpha), 0);
    EXPECT_EQ(a.flags & ALPHA_MASK, 2u) << "pattern bytes are not all 0 or 255";
    ASSERT_EQ(lum.Setup(withFormat(withMinFilter(4), 0) | 2u, alpha), 0);
    EXPECT_EQ(lum.flags & ALPHA_MASK, 0u);
}

TEST_F(TextureFlagsTest, DepthComponentFormat)
{
    Image depth;
    makeImage(depth, 8, 8, 1);
    TextureMap map;
    ASSERT_EQ(map.Setup(withFormat(withMinFilter(4), 8) | 3u, depth), 0);
    EXPECT_EQ(flagField(map.flags, FORMAT_MASK, FORMAT_SHIFT), 8u);
    EXPECT_EQ(map.flags & ALPHA_MASK, 0u);
    EXPECT_EQ(textureParameter(GL_TEXTURE_2D, GL_DEPTH_TEXTURE_MODE), GL_LUMINANCE);
    EXPECT_EQ(textureParameter(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE), GL_COMPARE_R_TO_TEXTURE);
    EXPECT_EQ(textureParameter(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_FUNC), GL_LEQUAL);
    EXPECT_GT(levelParameter(GL_TEXTURE_2D, 0, GL_TEXTURE_DEPTH_SIZE), 0);

    // One byte per depth value is what the upload reads; wider pixels would be misread.
    for (uint32_t d : {2u, 3u, 4u}) {
        Image wide;
        makeImage(wide, 8, 8, d);
        TextureMap refused;
        Captured c = captureOutput([&] { EXPECT_EQ(refused.Setup(withFormat(withMinFilter(4), 8), wide), -1); });
        EXPECT_EQ(c.err, "TextureMap::Setup: Invalid texture depth: " + std::to_string(d) + "\n");
    }
}

TEST_F(TextureFlagsTest, CompressedFormats)
{
    if (!hasExtension("GL_EXT_texture_compression_s3tc"))
        GTEST_SKIP() << "this GL does not offer GL_EXT_texture_compression_s3tc";
    struct Case {
        uint32_t depth, compression;
        GLint internal;
        uint32_t format, alphaClass;
    };
    // The caller passes alpha class 3; a 3-byte image keeps it.
    const Case cases[] = {
        {4, 1, GL_COMPRESSED_RGBA_S3TC_DXT1_EXT, 6, 1}, {4, 2, GL_COMPRESSED_RGBA_S3TC_DXT3_EXT, 6, 2},
        {4, 3, GL_COMPRESSED_RGBA_S3TC_DXT5_EXT, 6, 2}, {3, 1, GL_COMPRESSED_RGB_S3TC_DXT1_EXT, 4, 3},
        {3, 3, GL_COMPRESSED_RGBA_S3TC_DXT5_EXT, 4, 3},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << "depth " << k.depth << " compression " << k.compression);
        TextureMap map;
        const uint32_t word = withMinFilter(4) | (k.compression << COMPRESSION_SHIFT) | 3u;
        ASSERT_EQ(setup2D(map, word, k.depth), 0);
        EXPECT_EQ(levelParameter(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT), k.internal);
        EXPECT_EQ(levelParameter(GL_TEXTURE_2D, 0, GL_TEXTURE_COMPRESSED), GL_TRUE);
        EXPECT_EQ(flagField(map.flags, FORMAT_MASK, FORMAT_SHIFT), k.format);
        EXPECT_EQ(map.flags & ALPHA_MASK, k.alphaClass);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
}

TEST_F(TextureFlagsTest, CompressionOfGreyImagesIsRefused)
{
    // An RGBA upload of a 1- or 2-byte image would read past its pixel block.
    for (uint32_t d : {1u, 2u}) {
        Image grey;
        makeImage(grey, 8, 8, d);
        TextureMap map;
        Captured c = captureOutput(
            [&] { EXPECT_EQ(map.Setup(withMinFilter(4) | (1u << COMPRESSION_SHIFT), grey), -1); });
        EXPECT_EQ(c.err, "TextureMap::Setup: Invalid texture depth: " + std::to_string(d) + "\n");
        EXPECT_FALSE(glIsTexture(map.id)) << "refused before the name was bound";
    }
}

TEST_F(TextureFlagsTest, CompressedCubeMapIsLeftWithoutFaces)
{
    Image picture;
    makeImage(picture, 48, 32, 3);
    TextureMap map;
    ASSERT_EQ(map.Setup(0x00602490 | (1u << COMPRESSION_SHIFT), picture), 0);
    EXPECT_EQ(map.Target(), GLenum(GL_TEXTURE_CUBE_MAP));
    EXPECT_EQ(levelParameter(GL_TEXTURE_CUBE_MAP_POSITIVE_X, 0, GL_TEXTURE_WIDTH), 0);
    EXPECT_EQ(textureParameter(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R), GL_CLAMP_TO_EDGE);
}

TEST_F(TextureFlagsTest, BlockShorterThanItsShapeIsRefused)
{
    Image shortBlock;
    makeImage(shortBlock, 8, 8, 3);
    shortBlock.size -= 1;
    TextureMap map;
    Captured c = captureOutput([&] { EXPECT_EQ(map.Setup(withMinFilter(4), shortBlock), -1); });
    EXPECT_EQ(c.out + c.err, "");
    EXPECT_FALSE(glIsTexture(map.id)) << "refused before the name was bound";
}

TEST_F(TextureFlagsTest, BindSetsEnvironmentModeAndBindsTarget)
{
    const GLint modes[6] = {GL_MODULATE, GL_DECAL, GL_BLEND, GL_REPLACE, GL_ADD, GL_COMBINE};
    TextureMap map;
    ASSERT_EQ(setup2D(map, withMinFilter(4), 3), 0);
    glBindTexture(GL_TEXTURE_2D, 0);
    for (uint32_t value = 0; value < 8; ++value) {
        SCOPED_TRACE(value);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL);
        glBindTexture(GL_TEXTURE_2D, 0);
        map.flags = (map.flags & ~ENV_MASK) | (value << ENV_SHIFT);
        map.Bind();
        GLint mode = 0, bound = 0;
        glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_EQ(mode, value < 6 ? modes[value] : GL_DECAL);
        EXPECT_EQ(bound, map.id);
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D)) << "Bind enables nothing";
    }
}

TEST_F(TextureFlagsTest, BindAppliesTexGen)
{
    TextureMap map;
    ASSERT_EQ(setup2D(map, withMinFilter(4), 3), 0);
    TexGen gen;
    map.texgen = &gen;
    const GLenum coords[4] = {GL_S, GL_T, GL_R, GL_Q};
    const GLint modes[5] = {GL_EYE_LINEAR, GL_OBJECT_LINEAR, GL_SPHERE_MAP, GL_NORMAL_MAP, GL_REFLECTION_MAP};
    const GLfloat marker[4] = {5, 6, 7, 8};
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity(); // eye planes are stored through the inverse modelview
    // The GL accepts sphere maps for S and T only and the normal and reflection
    // maps for S, T and R; it refuses the rest with GL_INVALID_ENUM.
    const uint8_t accepted[5] = {0xF, 0xF, 0x3, 0x7, 0x7};
    for (uint8_t mode = 0; mode < 6; ++mode) {
        for (uint8_t mask : {uint8_t(0x5), uint8_t(0xA), uint8_t(0xF)}) {
            SCOPED_TRACE(testing::Message() << "mode " << int(mode) << " mask " << int(mask));
            for (GLenum c : coords) {
                glTexGeni(c, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
                glTexGenfv(c, GL_EYE_PLANE, marker);
                glTexGenfv(c, GL_OBJECT_PLANE, marker);
            }
            gen.mode = mode;
            gen.coordMask = mask;
            map.Bind();
            for (int i = 0; i < 4; ++i) {
                const bool chosen = (mask >> i) & 1;
                GLint got = 0;
                glGetTexGeniv(coords[i], GL_TEXTURE_GEN_MODE, &got);
                const bool set = chosen && mode < 5 && ((accepted[mode] >> i) & 1);
                EXPECT_EQ(got, set ? modes[mode] : GL_OBJECT_LINEAR) << i;
                GLfloat eye[4], object[4];
                glGetTexGenfv(coords[i], GL_EYE_PLANE, eye);
                glGetTexGenfv(coords[i], GL_OBJECT_PLANE, object);
                for (int j = 0; j < 4; ++j) {
                    const GLfloat identity = i == j ? 1.0f : 0.0f;
                    EXPECT_EQ(eye[j], chosen && mode == 0 ? identity : marker[j]);
                    EXPECT_EQ(object[j], chosen && mode == 1 ? identity : marker[j]);
                }
                EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S + i)) << "generation is not enabled";
            }
            const bool refused = mode < 5 && (mask & ~accepted[mode]) != 0;
            EXPECT_EQ(glGetError(), refused ? GLenum(GL_INVALID_ENUM) : GLenum(GL_NO_ERROR));
            drainGlErrors();
        }
    }
}
