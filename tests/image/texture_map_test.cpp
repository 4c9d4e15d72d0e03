#include <gtest/gtest.h>

#include <GL/glx.h>

#include "image/texture_map.h"
#include "image/texture_test_support.h"
#include "support/gl_test_context.h"

using namespace TextureFlags;

namespace {

const uint32_t SKY_WORD = 0x00602490;

const GLenum FACE_TARGETS[6] = {
    GL_TEXTURE_CUBE_MAP_POSITIVE_X, GL_TEXTURE_CUBE_MAP_NEGATIVE_X, GL_TEXTURE_CUBE_MAP_POSITIVE_Y,
    GL_TEXTURE_CUBE_MAP_NEGATIVE_Y, GL_TEXTURE_CUBE_MAP_POSITIVE_Z, GL_TEXTURE_CUBE_MAP_NEGATIVE_Z,
};
// Column and row of each face in the 3 x 2 picture.
const uint32_t FACE_CELL[6][2] = {{0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1}, {2, 1}};

// Each cube face holds the picture's cell for it, top row first.
void expectFacesCutFrom(const Image& picture)
{
    const uint32_t side = picture.width / 3;
    const GLenum format = picture.depth == 3 ? GL_RGB : GL_RGBA;
    for (int f = 0; f < 6; ++f) {
        SCOPED_TRACE(testing::Message() << "face " << f);
        EXPECT_EQ(levelParameter(FACE_TARGETS[f], 0, GL_TEXTURE_WIDTH), GLint(side));
        EXPECT_EQ(levelParameter(FACE_TARGETS[f], 0, GL_TEXTURE_HEIGHT), GLint(side));
        const auto want = rectOf(picture, FACE_CELL[f][0] * side, FACE_CELL[f][1] * side, side, side);
        EXPECT_EQ(readTexture(FACE_TARGETS[f], format, int(picture.depth)), want);
    }
}

class TextureMapTest : public testing::Test {
protected:
    void SetUp() override
    {
        ensureGlContext();
        drainGlErrors();
    }
};

} // namespace

TEST_F(TextureMapTest, ConstructionTakesAFreshNameAndZeroesTheRest)
{
    Captured c = captureOutput([] {
        TextureMap a;
        TextureMap b;
        EXPECT_NE(a.id, 0);
        EXPECT_NE(b.id, 0);
        EXPECT_NE(a.id, b.id);
        EXPECT_EQ(a.texgen, nullptr);
        EXPECT_EQ(a.flags, 0u);
        EXPECT_EQ(a.maxLevel, 0);
        EXPECT_EQ(a.priority, 0);
    });
    EXPECT_EQ(c.out, "");
    EXPECT_EQ(c.err, "");
}

TEST_F(TextureMapTest, ConstructionWithoutContextReportsIdZero)
{
    Display* display = glXGetCurrentDisplay();
    GLXDrawable drawable = glXGetCurrentDrawable();
    GLXContext context = glXGetCurrentContext();
    ASSERT_NE(context, nullptr);
    ASSERT_TRUE(glXMakeCurrent(display, None, nullptr));
    uint16_t id = 1;
    Captured c = captureOutput([&] { id = TextureMap().id; });
    ASSERT_TRUE(glXMakeCurrent(display, drawable, context));
    EXPECT_EQ(id, 0);
    EXPECT_EQ(c.out, "TextureMap::TextureMap: ID zero.  No GL context?");
}

TEST_F(TextureMapTest, NamesAbove16BitsAreReportedAndCut)
{
    // A context of its own: its names start afresh and the ones used up here
    // stay out of the other tests' way.
    Display* display = glXGetCurrentDisplay();
    GLXDrawable drawable = glXGetCurrentDrawable();
    GLXContext shared = glXGetCurrentContext();
    int configId = 0;
    glXQueryContext(display, shared, GLX_FBCONFIG_ID, &configId);
    const int attributes[] = {GLX_FBCONFIG_ID, configId, None};
    int count = 0;
    GLXFBConfig* configs = glXChooseFBConfig(display, DefaultScreen(display), attributes, &count);
    ASSERT_GT(count, 0);
    GLXContext own = glXCreateNewContext(display, configs[0], GLX_RGBA_TYPE, nullptr, True);
    XFree(configs);
    ASSERT_NE(own, nullptr);
    ASSERT_TRUE(glXMakeCurrent(display, drawable, own));

    std::vector<GLuint> held(0xFFFF);
    glGenTextures(GLsizei(held.size()), held.data());
    uint16_t id = 0;
    Captured c = captureOutput([&] { id = TextureMap().id; });
    GLuint next = 0;
    glGenTextures(1, &next);

    ASSERT_TRUE(glXMakeCurrent(display, drawable, shared));
    glXDestroyContext(display, own);

    EXPECT_EQ(held.back(), 0xFFFFu) << "a fresh context hands out 1, 2, 3, ...";
    EXPECT_EQ(c.out, "TextureMap::TextureMap: Too many texture objects.");
    EXPECT_EQ(next, 0x10001u);
    EXPECT_EQ(id, 0x0000) << "0x10000 cut to 16 bits";
}

TEST_F(TextureMapTest, SkyWordOn384x256PictureGivesClampedLinearCubeMap)
{
    Image picture;
    makeImage(picture, 384, 256, 3);
    const auto before = pixelsOf(picture);
    TextureMap map;
    Captured c = captureOutput([&] { EXPECT_EQ(map.Setup(SKY_WORD, picture), 0); });
    EXPECT_EQ(c.out, "");
    EXPECT_EQ(c.err, "");

    EXPECT_EQ(map.flags, 0x03622490u);
    EXPECT_EQ(flagField(map.flags, TARGET_MASK, TARGET_SHIFT), 3u);
    EXPECT_EQ(flagField(map.flags, FORMAT_MASK, FORMAT_SHIFT), 4u);
    EXPECT_EQ(map.flags & ALPHA_MASK, 0u);
    EXPECT_EQ(map.Target(), GLenum(GL_TEXTURE_CUBE_MAP));
    EXPECT_EQ(pixelsOf(picture), before) << "cube maps leave the picture as it was";

    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_CUBE_MAP, &bound);
    EXPECT_EQ(bound, map.id);
    const GLenum t = GL_TEXTURE_CUBE_MAP;
    EXPECT_EQ(textureParameter(t, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(textureParameter(t, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(textureParameter(t, GL_TEXTURE_WRAP_S), GL_CLAMP_TO_EDGE);
    EXPECT_EQ(textureParameter(t, GL_TEXTURE_WRAP_T), GL_CLAMP_TO_EDGE);
    EXPECT_EQ(textureParameter(t, GL_TEXTURE_WRAP_R), GL_CLAMP_TO_EDGE);
    EXPECT_EQ(textureParameter(t, GL_GENERATE_MIPMAP), GL_FALSE);
    EXPECT_EQ(textureParameter(t, GL_TEXTURE_MAX_LEVEL), 1000) << "no mipmap parameters";
    if (hasExtension("GL_EXT_texture_filter_anisotropic")) {
        GLfloat aniso = 0;
        glGetTexParameterfv(t, GL_TEXTURE_MAX_ANISOTROPY_EXT, &aniso);
        EXPECT_EQ(aniso, 1.0f);
    }
    EXPECT_EQ(levelParameter(FACE_TARGETS[0], 0, GL_TEXTURE_INTERNAL_FORMAT), 3) << "depth as component count";
    expectFacesCutFrom(picture);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(TextureMapTest, CubeFacesWithUnalignedRowsUploadExactly)
{
    // Faces 3 pixels wide: 9-byte rows that the default alignment would pad.
    // RGBA faces of any width and the 32-bit picture are covered alongside.
    for (auto [w, h, d] : {std::tuple{9u, 6u, 3u}, std::tuple{15u, 10u, 3u}, std::tuple{9u, 6u, 4u}}) {
        SCOPED_TRACE(testing::Message() << w << "x" << h << "x" << d);
        Image picture;
        makeImage(picture, w, h, d);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
        TextureMap map;
        ASSERT_EQ(map.Setup(SKY_WORD, picture), 0);
        expectFacesCutFrom(picture);
        GLint alignment = 0;
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
        EXPECT_EQ(alignment, 8) << "the caller's unpack state is restored";
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    }
}

TEST_F(TextureMapTest, CubeMapWithoutPixelsDefinesEmptyFaces)
{
    Image empty;
    empty.width = 384;
    empty.height = 256;
    empty.depth = 3;
    TextureMap map;
    ASSERT_EQ(map.Setup(SKY_WORD, empty), 0);
    for (GLenum face : FACE_TARGETS) {
        EXPECT_EQ(levelParameter(face, 0, GL_TEXTURE_WIDTH), 128);
        EXPECT_EQ(levelParameter(face, 0, GL_TEXTURE_HEIGHT), 128);
    }
    EXPECT_EQ(map.flags & ALPHA_MASK, 0u) << "no pixels: the caller's class stays";
}

TEST_F(TextureMapTest, CubeMapRefusalsAndCropFailure)
{
    Image picture;
    makeImage(picture, 6, 4, 1);
    TextureMap map;
    const uint32_t depthWord = SKY_WORD | (8u << FORMAT_SHIFT);
    Captured c = captureOutput([&] { EXPECT_EQ(map.Setup(depthWord, picture), -1); });
    EXPECT_EQ(c.out + c.err, "");
    EXPECT_EQ(flagField(map.flags, TARGET_MASK, TARGET_SHIFT), 0u);

    // A block longer than its shape says is no picture the cropper will cut from.
    Image odd;
    makeImage(odd, 6, 4, 3);
    odd.size += 1;
    odd.data = static_cast<unsigned char*>(realloc(odd.data, odd.size));
    c = captureOutput([&] { EXPECT_EQ(map.Setup(SKY_WORD, odd), -1); });
    EXPECT_EQ(c.err, "Image::Crop: Cannot crop.\nTextureMap::Setup: Failed to crop(0) image.\n");
}

TEST_F(TextureMapTest, SquareImageBecomes2DUploadedBottomRowFirst)
{
    Image image;
    makeImage(image, 8, 8, 3);
    Image flipped;
    makeImage(flipped, 8, 8, 3);
    flipped.FlipV();

    TextureMap map;
    ASSERT_EQ(map.Setup(0x00000010, image), 0);
    EXPECT_EQ(flagField(map.flags, TARGET_MASK, TARGET_SHIFT), 1u);
    EXPECT_EQ(map.Target(), GLenum(GL_TEXTURE_2D));
    EXPECT_EQ(pixelsOf(image), pixelsOf(flipped)) << "the caller's image stays mirrored";
    // GL row 0 is the bottom row: read back, the texture is the flipped picture.
    EXPECT_EQ(readTexture(GL_TEXTURE_2D, GL_RGB, 3), pixelsOf(flipped));
}

TEST_F(TextureMapTest, OneRowImagesBecome1D)
{
    for (uint32_t w : {256u, 1u, 2u}) {
        SCOPED_TRACE(w);
        Image row;
        makeImage(row, w, 1, 3);
        const auto before = pixelsOf(row);
        TextureMap map;
        ASSERT_EQ(map.Setup(0x00000010, row), 0);
        EXPECT_EQ(flagField(map.flags, TARGET_MASK, TARGET_SHIFT), 0u);
        EXPECT_EQ(map.Target(), GLenum(GL_TEXTURE_1D));
        GLint bound = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_1D, &bound);
        EXPECT_EQ(bound, map.id);
        EXPECT_EQ(readTexture(GL_TEXTURE_1D, GL_RGB, 3), before);
    }
}

TEST_F(TextureMapTest, RowsNotMultipleOfFourUploadExactlyIn2D)
{
    // 6-byte rows; 24-byte rows alongside as a control.
    for (uint32_t side : {2u, 8u}) {
        SCOPED_TRACE(side);
        Image image;
        makeImage(image, side, side, 3);
        TextureMap map;
        ASSERT_EQ(map.Setup(0x00000010, image), 0);
        EXPECT_EQ(readTexture(GL_TEXTURE_2D, GL_RGB, 3), pixelsOf(image));
    }
    Image grey;
    makeImage(grey, 2, 2, 1);
    TextureMap map;
    ASSERT_EQ(map.Setup(0x00000010, grey), 0);
    EXPECT_EQ(readTexture(GL_TEXTURE_2D, GL_LUMINANCE, 1), pixelsOf(grey));
}

TEST_F(TextureMapTest, WidthsNotPowerOfTwoAreRefusedWithMessage)
{
    const std::string message = "TextureMap::Setup: Texture dimensions must be a power of 2.\n";
    for (auto [w, h] : {std::pair{6u, 6u}, std::pair{5u, 5u}, std::pair{3u, 1u}, std::pair{0u, 0u}}) {
        SCOPED_TRACE(testing::Message() << w << "x" << h);
        Image image;
        makeImage(image, w, h, 3);
        const auto before = pixelsOf(image);
        TextureMap map;
        Captured c = captureOutput([&] { EXPECT_EQ(map.Setup(0x00000010, image), -1); });
        EXPECT_EQ(c.err, message);
        EXPECT_EQ(c.out, "");
        EXPECT_EQ(pixelsOf(image), before);
    }
    Image ok;
    makeImage(ok, 8, 8, 3);
    TextureMap map;
    Captured c = captureOutput([&] { EXPECT_EQ(map.Setup(0x00000010, ok), 0); });
    EXPECT_EQ(c.out + c.err, "");
}

TEST_F(TextureMapTest, OtherShapesAreRefusedNamingTheShapes)
{
    for (auto [w, h] : {std::pair{256u, 128u}, std::pair{4u, 2u}, std::pair{2u, 3u}, std::pair{384u, 257u}}) {
        SCOPED_TRACE(testing::Message() << w << "x" << h);
        Image image;
        makeImage(image, w, h, 3);
        TextureMap map;
        Captured c = captureOutput([&] { EXPECT_EQ(map.Setup(0x00000010, image), -1); });
        EXPECT_EQ(c.out, "");
        EXPECT_EQ(c.err, "TextureMap::Setup: Texture must be one pixel high, square, or 3:2 for a cube map; got " +
                             std::to_string(w) + "x" + std::to_string(h) + ".\n");
        EXPECT_EQ(flagField(map.flags, FORMAT_MASK, FORMAT_SHIFT), 4u) << "format already rewritten";
    }
}

TEST_F(TextureMapTest, DepthsOutsideOneToFourAreRefused)
{
    for (uint32_t depth : {0u, 5u, 8u}) {
        Image image;
        makeImage(image, 8, 8, depth);
        TextureMap map;
        Captured c = captureOutput([&] { EXPECT_EQ(map.Setup(0x00000010, image), -1); });
        EXPECT_EQ(c.err, "TextureMap::Setup: Invalid texture depth: " + std::to_string(depth) + "\n");
    }
}
