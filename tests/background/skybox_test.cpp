#include <gtest/gtest.h>

#include <GL/glu.h>
#include <GL/glx.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "background/skybox.h"
#include "image/texture_map.h"
#include "support/gl_test_context.h"

namespace {

using Rgb = std::array<unsigned char, 3>;

// A working directory of its own, left and removed at the end of the test. The
// fixed name serves death tests, whose child reruns the test from the start and
// never gets to clean up: it reuses the parent's directory instead of leaving one.
class TempDir {
public:
    explicit TempDir(const char* fixedName = nullptr)
    {
        char* cwd = getcwd(nullptr, 0);
        previous = cwd;
        free(cwd);
        if (fixedName != nullptr) {
            path = previous + "/" + fixedName;
            mkdir(path.c_str(), 0700);
        } else {
            char pattern[] = "/tmp/ripplemoor-sky-XXXXXX";
            path = mkdtemp(pattern);
        }
        EXPECT_EQ(chdir(path.c_str()), 0);
        remove("skybox.tga");
    }
    ~TempDir()
    {
        remove((path + "/skybox.tga").c_str());
        EXPECT_EQ(chdir(previous.c_str()), 0);
        rmdir(path.c_str());
    }
    std::string path, previous;
};

// Writes an uncompressed 24-bit TGA, top row first; colourAt(x, y) with y = 0 the top.
// Another image type in the header leaves the bytes as they are.
template <class ColourAt>
void writeTga(const char* name, int width, int height, ColourAt colourAt, int colourMapType = 0, int imageType = 2)
{
    unsigned char header[18] = {};
    header[1] = (unsigned char)colourMapType;
    header[2] = (unsigned char)imageType;
    header[12] = (unsigned char)(width & 0xFF);
    header[13] = (unsigned char)(width >> 8);
    header[14] = (unsigned char)(height & 0xFF);
    header[15] = (unsigned char)(height >> 8);
    header[16] = 24;
    header[17] = 0x20;
    FILE* f = fopen(name, "wb");
    ASSERT_NE(f, nullptr);
    fwrite(header, 1, sizeof header, f);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Rgb c = colourAt(x, y);
            const unsigned char bgr[3] = {c[2], c[1], c[0]};
            fwrite(bgr, 1, 3, f);
        }
    }
    fclose(f);
}

// Quadrant q of face f: 0 upper left, 1 upper right, 2 lower left, 3 lower right.
Rgb quadrantColour(int face, int quadrant)
{
    return {(unsigned char)(30 + 40 * face), (unsigned char)(20 + 60 * quadrant), (unsigned char)(240 - 35 * face)};
}

// The 3 x 2 face layout, each face 16 pixels square and split into quadrants.
void writeQuadrantPicture()
{
    writeTga("skybox.tga", 48, 32, [](int x, int y) {
        const int face = (x / 16) + 3 * (y / 16);
        const int quadrant = ((x % 16) / 8) + 2 * ((y % 16) / 8);
        return quadrantColour(face, quadrant);
    });
}

Rgb pixelAt(int x, int y)
{
    unsigned char p[4] = {};
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, p);
    return {p[0], p[1], p[2]};
}

// Draws the sky into a 64 x 64 corner with a 90 degree view from the origin.
void renderSky(Background& sky, const double forward[3], const double up[3])
{
    glViewport(0, 0, 64, 64);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(90.0, 1.0, 0.1, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0, 0, 0, forward[0], forward[1], forward[2], up[0], up[1], up[2]);
    sky.Draw();
    glFinish();
}

class SkyboxTest : public testing::Test {
protected:
    void SetUp() override
    {
        ensureGlContext();
        while (glGetError() != GL_NO_ERROR) {
        }
    }
};

// A background that draws nothing, to look at the base on its own.
class EmptyBackground : public Background {
public:
    void Draw() override {}
};

} // namespace

TEST_F(SkyboxTest, ConstructionLoadsThePictureAsCubeMap)
{
    TempDir dir;
    writeQuadrantPicture();
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    Skybox sky;
    fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    EXPECT_NE(sky.list, 0u);
    EXPECT_EQ(sky.halfSize, 10.0f);
    ASSERT_NE(sky.texture, nullptr);
    EXPECT_EQ(sky.texture->flags, 0x03622490u);
    EXPECT_EQ(sky.texture->priority, 10);
    EXPECT_EQ(sky.texture->Target(), GLenum(GL_TEXTURE_CUBE_MAP));

    glBindTexture(GL_TEXTURE_CUBE_MAP, sky.texture->id);
    GLfloat priority = 0;
    glGetTexParameterfv(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_PRIORITY, &priority);
    EXPECT_EQ(priority, 0.039215688f);
    GLint width = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_CUBE_MAP_NEGATIVE_Z, 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, 16);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(SkyboxTest, EachDirectionShowsItsFaceUpright)
{
    TempDir dir;
    writeQuadrantPicture();
    Skybox sky;
    sky.Init(nullptr);

    // Looking at each face with the up vector that shows it unmirrored: the sides
    // with +y up, the top with +z up, the bottom with -z up.
    const double views[6][2][3] = {
        {{1, 0, 0}, {0, 1, 0}},  {{-1, 0, 0}, {0, 1, 0}}, {{0, 1, 0}, {0, 0, 1}},
        {{0, -1, 0}, {0, 0, -1}}, {{0, 0, 1}, {0, 1, 0}},  {{0, 0, -1}, {0, 1, 0}},
    };
    // Window pixel (y up) at the centre of each quadrant.
    const int samples[4][2] = {{16, 48}, {48, 48}, {16, 16}, {48, 16}};
    for (int face = 0; face < 6; ++face) {
        renderSky(sky, views[face][0], views[face][1]);
        for (int q = 0; q < 4; ++q) {
            const Rgb want = quadrantColour(face, q);
            const Rgb got = pixelAt(samples[q][0], samples[q][1]);
            for (int c = 0; c < 3; ++c)
                EXPECT_NEAR(got[c], want[c], 1) << "face " << face << " quadrant " << q << " channel " << c;
        }
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(SkyboxTest, DrawLeavesSavedStateAsItWasAndKeepsTheBinding)
{
    TempDir dir;
    writeQuadrantPicture();
    Skybox sky;
    sky.Init(nullptr);

    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CW);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glDisable(GL_TEXTURE_CUBE_MAP);
    glTexCoord4f(0.25f, 0.5f, 0.75f, 1.0f);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glMatrixMode(GL_TEXTURE);

    sky.Draw();

    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_CUBE_MAP));
    GLint value = 0, modes[2] = {};
    glGetIntegerv(GL_FRONT_FACE, &value);
    EXPECT_EQ(value, GL_CW);
    glGetIntegerv(GL_POLYGON_MODE, modes);
    EXPECT_EQ(modes[0], GL_LINE);
    EXPECT_EQ(modes[1], GL_LINE);
    glGetIntegerv(GL_MATRIX_MODE, &value);
    EXPECT_EQ(value, GL_TEXTURE);
    GLfloat coord[4] = {};
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, coord);
    EXPECT_EQ(coord[0], 0.25f);
    EXPECT_EQ(coord[1], 0.5f);
    EXPECT_EQ(coord[2], 0.75f);
    EXPECT_EQ(coord[3], 1.0f);

    // Texture binding and environment are not saved: the list's stay in force.
    glGetIntegerv(GL_TEXTURE_BINDING_CUBE_MAP, &value);
    EXPECT_EQ(value, sky.texture->id);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &value);
    EXPECT_EQ(value, GL_REPLACE);

    glMatrixMode(GL_MODELVIEW);
    glDisable(GL_CULL_FACE);
    glFrontFace(GL_CCW);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(SkyboxTest, SquarePictureIsDrawnAs2DTexture)
{
    TempDir dir;
    writeTga("skybox.tga", 16, 16, [](int, int) { return Rgb{200, 100, 50}; });
    Skybox sky;
    sky.Init(nullptr);
    EXPECT_EQ(sky.texture->Target(), GLenum(GL_TEXTURE_2D));

    glColor3f(1, 1, 1);
    const double forward[3] = {0, 0, 1}, up[3] = {0, 1, 0};
    renderSky(sky, forward, up);
    const Rgb got = pixelAt(32, 32);
    EXPECT_NEAR(got[0], 200, 1);
    EXPECT_NEAR(got[1], 100, 1);
    EXPECT_NEAR(got[2], 50, 1);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
}

TEST_F(SkyboxTest, PictureOfWrongShapeIsNamedAndLeavesSkyUntextured)
{
    TempDir dir;
    writeTga("skybox.tga", 40, 32, [](int, int) { return Rgb{200, 100, 50}; });
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    Skybox sky;
    fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "TextureMap::Setup: Texture must be one pixel high, square, or 3:2 for a cube map; got 40x32.\n");
    EXPECT_EQ(sky.texture->priority, 10) << "construction carries on";
    sky.Init(nullptr);

    glColor3f(1, 1, 1);
    const double forward[3] = {0, 0, 1}, up[3] = {0, 1, 0};
    renderSky(sky, forward, up);
    EXPECT_EQ(pixelAt(32, 32), (Rgb{255, 255, 255})) << "drawn in the current colour";
}

// A type the reader does not decode gives a black sky, and says so.
TEST_F(SkyboxTest, UndecodedPictureIsNamedAndGivesABlackSky)
{
    TempDir dir;
    writeTga("skybox.tga", 48, 32, [](int, int) { return Rgb{200, 100, 50}; }, 0, 9);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    Skybox sky;
    fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Image::Read: skybox.tga: TGA image type 9 (colour-mapped, run-length encoded) is not decoded; "
              "the picture reads as all zero\n");
    ASSERT_NE(sky.texture, nullptr);
    EXPECT_EQ(sky.texture->Target(), GLenum(GL_TEXTURE_CUBE_MAP));
    sky.Init(nullptr);

    glColor3f(1, 1, 1);
    const double forward[3] = {0, 0, 1}, up[3] = {0, 1, 0};
    renderSky(sky, forward, up);
    EXPECT_EQ(pixelAt(32, 32), (Rgb{0, 0, 0}));
}

TEST_F(SkyboxTest, UnreadablePictureEndsTheProcess)
{
    // A fresh process for the child: the GL's worker threads do not survive a fork.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    TempDir dir("skybox-exit-test");
    EXPECT_EXIT(Skybox(), testing::ExitedWithCode(255),
                "^Image::Read: Failed to open Image file: skybox\\.tga\n"
                "Skybox: Failed to read texture file: skybox\\.tga\n$");

    writeTga("skybox.tga", 48, 32, [](int, int) { return Rgb{0, 0, 0}; }, 1);
    EXPECT_EXIT(Skybox(), testing::ExitedWithCode(255), "^Skybox: Failed to read texture file: skybox\\.tga\n$");
}

TEST_F(SkyboxTest, BackgroundOwnsOneDisplayList)
{
    GLuint list = 0;
    {
        EmptyBackground background;
        list = background.list;
        EXPECT_NE(list, 0u);
        background.Init(nullptr); // the base compiles nothing
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        glNewList(list, GL_COMPILE);
        glEndList();
        EXPECT_TRUE(glIsList(list));
    }
    EXPECT_FALSE(glIsList(list)) << "destruction deletes the list";
}

TEST_F(SkyboxTest, BackgroundWithoutContextReportsListError)
{
    Display* display = glXGetCurrentDisplay();
    GLXDrawable drawable = glXGetCurrentDrawable();
    GLXContext context = glXGetCurrentContext();
    ASSERT_TRUE(glXMakeCurrent(display, None, nullptr));
    testing::internal::CaptureStdout();
    GLuint list = 1;
    {
        EmptyBackground background;
        list = background.list;
    }
    fflush(stdout);
    const std::string out = testing::internal::GetCapturedStdout();
    ASSERT_TRUE(glXMakeCurrent(display, drawable, context));
    EXPECT_EQ(list, 0u);
    EXPECT_EQ(out, "Background: glGenLists error");
}
