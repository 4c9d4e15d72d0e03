#include <gtest/gtest.h>

#include <GL/gl.h>
#include <algorithm>
#include <string>
#include <vector>

#include "support/program_names.h"
#include "render/fps.h"
#include "render/text.h"
#include "support/gl_test_context.h"

namespace {

constexpr int W = 640, H = 480;

struct Extent {
    int dark = 0;
    int minX = W, maxX = -1, minY = H, maxY = -1;
};

void prepareCanvas()
{
    ensureGlContext(W, H);
    if (fontBase == 0)
        fontBase = initFont();
    glViewport(0, 0, W, H);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

std::vector<unsigned char> readBack()
{
    std::vector<unsigned char> pixels(size_t(W) * H * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, W, H, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

Extent darkExtent(const std::vector<unsigned char>& pixels)
{
    Extent e;
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            const unsigned char* p = &pixels[(size_t(y) * W + size_t(x)) * 3];
            if (p[0] < 64 && p[1] < 64 && p[2] < 64) {
                ++e.dark;
                e.minX = std::min(e.minX, x);
                e.maxX = std::max(e.maxX, x);
                e.minY = std::min(e.minY, y);
                e.maxY = std::max(e.maxY, y);
            }
        }
    }
    return e;
}

Extent drawAndMeasure(const std::string& text)
{
    prepareCanvas();
    drawText(text, 0.01f, 0.01f);
    return darkExtent(readBack());
}

} // namespace

TEST(Font, OneListPerCharacterCodeAndTheListBase)
{
    ensureGlContext(W, H);
    if (fontBase == 0)
        fontBase = initFont();
    ASSERT_NE(fontBase, 0u);
    for (unsigned c = 0; c < 128; ++c)
        EXPECT_TRUE(glIsList(fontBase + c)) << "code " << c;
    GLint base = -1;
    glGetIntegerv(GL_LIST_BASE, &base);
    EXPECT_EQ(GLuint(base), fontBase);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(Text, DrawsBlackGlyphsFromTheBaselineInTheCorner)
{
    const Extent e = drawAndMeasure("FPS: 60");
    ASSERT_GT(e.dark, 50);
    // Baseline at 1% of 640 x 480: (6.4, 4.8); Times 24 capitals are ~16 px tall.
    EXPECT_GE(e.minX, 5);
    EXPECT_LE(e.minX, 12);
    EXPECT_GE(e.minY, 3);
    EXPECT_LE(e.minY, 6);
    EXPECT_GE(e.maxY, 18);
    EXPECT_LE(e.maxY, 30);

    // Each byte selects its own glyph: more characters reach further right.
    const Extent longer = drawAndMeasure("FPS: 99999");
    EXPECT_GT(longer.maxX, e.maxX + 20);
    EXPECT_EQ(longer.minX, e.minX);
    const Extent empty = drawAndMeasure("");
    EXPECT_EQ(empty.dark, 0);
}

TEST(Text, LeavesMatricesAndStateAsItFoundThem)
{
    prepareCanvas();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-1, 1, -1, 1, 1, 100);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(3.0f, 4.0f, 5.0f);
    GLfloat projection[16], modelview[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);

    drawText("abc", 0.5f, 0.5f);

    GLfloat after[16];
    glGetFloatv(GL_PROJECTION_MATRIX, after);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(after[i], projection[i]);
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(after[i], modelview[i]);
    GLint mode;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_FALSE(glIsEnabled(GL_COLOR_MATERIAL));
    GLfloat color[4];
    glGetFloatv(GL_CURRENT_COLOR, color);
    EXPECT_EQ(color[0], 0.0f);
    EXPECT_EQ(color[1], 0.0f);
    EXPECT_EQ(color[2], 0.0f);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

TEST(FpsOverlay, DrawsTheTextOfTheNewAverage)
{
    for (int& s : fpsSamples)
        s = 0;
    fpsIndex = 0;
    const int64_t delta0 = perfDelta, frequency0 = perfFrequency;
    perfFrequency = 1000000000;
    perfDelta = perfFrequency / 60;

    prepareCanvas();
    drawFps(view); // average 3
    prepareCanvas();
    drawFps(view); // average 6
    const std::vector<unsigned char> shown = readBack();
    EXPECT_EQ(fpsIndex, 2);
    EXPECT_EQ(fpsSamples[0], 60);
    EXPECT_EQ(fpsSamples[1], 60);

    prepareCanvas();
    drawText("FPS: 6", 0.01f, 0.01f);
    EXPECT_TRUE(readBack() == shown) << "the overlay should read \"FPS: 6\"";
    prepareCanvas();
    drawText("FPS: 3", 0.01f, 0.01f);
    EXPECT_FALSE(readBack() == shown);

    // A zero interval is drawn, held to the field, without disturbing the ring.
    perfDelta = 0;
    prepareCanvas();
    drawFps(view);
    const std::vector<unsigned char> saturated = readBack();
    prepareCanvas();
    drawText("FPS: 99999", 0.01f, 0.01f);
    EXPECT_TRUE(readBack() == saturated);
    EXPECT_EQ(fpsIndex, 3);

    perfDelta = delta0;
    perfFrequency = frequency0;
    for (int& s : fpsSamples)
        s = 0;
    fpsIndex = 0;
}
