#include <gtest/gtest.h>

#include <GL/glut.h>
#include <cmath>
#include <cstdlib>
#include <new>
#include <vector>

#include "app/fixed_gl_state.h"
#include "app/idle.h"
#include "app/reshape.h"
#include "support/program_names.h"
#include "render/camera.h"
#include "background/background.h"
#include "look_at.h"
#include "render/display.h"
#include "render/surface.h"
#include "render/text.h"
#include "support/gl_test_context.h"
#include "rebuild_probe.h"

// Every C++ allocation in this test binary is counted, so a frame can be shown
// to allocate nothing. (Mesa allocates through malloc, not through new.)
static long allocations = 0;

static void* countedAllocation(std::size_t size) noexcept
{
    ++allocations;
    return std::malloc(size ? size : 1);
}

// Every plain and nothrow form, so that each pointer goes back the way it came.
void* operator new(std::size_t size)
{
    if (void* p = countedAllocation(size))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return countedAllocation(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return countedAllocation(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace {

// The fixed GL state and light that main sets up once.
void startLikeMain()
{
    ensureGlContext(640, 480);
    // Let the window be mapped, so that its front buffer can be read back.
    for (int i = 0; i < 3; ++i)
        pumpGlutEvents();
    reshape(640, 480);
    // A previous test may have moved the light; start from main's zero vector.
    lightPosition[0] = lightPosition[1] = lightPosition[2] = lightPosition[3] = 0.0f;
    setFixedGlState(view);
    if (fontBase == 0)
        fontBase = initFont();

    skybox = nullptr;
    camera = Camera();
    resetFields();
    resetRanges();
    colorMode = 0;
    colorOffsets[0] = 1.0 / 3.0;
    colorOffsets[1] = -1.0 / 3.0;
    perfFrequency = 1000000000;
    perfDelta = perfFrequency / 60;
}

// A sky that records the state display draws it in.
class RecordingSky : public Background {
public:
    int draws = 0;
    bool depthTest = true;
    GLdouble modelview[16] = {};

    void Draw() override
    {
        ++draws;
        depthTest = glIsEnabled(GL_DEPTH_TEST);
        glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    }
};

struct Rgb {
    int r, g, b;
};

Rgb readPixel(int x, int y)
{
    unsigned char p[3];
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, p);
    return Rgb{p[0], p[1], p[2]};
}

// display ends with the swap. Mesa's software path here reads the front buffer
// of an X window as black but copies on swap, so the back buffer still holds
// the frame just shown; check that before trusting it.
bool backBufferSurvivesSwap()
{
    glClearColor(0.25f, 0.5f, 0.75f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glutSwapBuffers();
    glFinish();
    const Rgb p = readPixel(5, 5);
    return p.r == 64 && p.g == 128 && p.b == 191;
}

// The frame that display just swapped to the front.
Rgb shownPixel(int x, int y)
{
    glFinish();
    return readPixel(x, y);
}

} // namespace

TEST(Display, LightFollowsTheEyeOneFrameLate)
{
    startLikeMain();
    display();
    // First frame: the offset is still (0, 0, 0), so the light is the target
    // with its height doubled, given in eye coordinates.
    EXPECT_EQ(lightPosition[0], 80.0f);
    EXPECT_EQ(lightPosition[1], 200.0f);
    EXPECT_EQ(lightPosition[2], 80.0f);
    EXPECT_EQ(lightPosition[3], 0.0f);
    GLfloat gl[4];
    glGetLightfv(GL_LIGHT0, GL_POSITION, gl);
    EXPECT_EQ(gl[0], 80.0f);
    EXPECT_EQ(gl[1], 200.0f);
    EXPECT_EQ(gl[2], 80.0f);
    EXPECT_EQ(gl[3], 0.0f);
    EXPECT_DOUBLE_EQ(camera.offset.x, 17.320508075688775);

    display();
    EXPECT_EQ(lightPosition[0], float(80.0 + camera.offset.x));
    EXPECT_EQ(lightPosition[1], float((100.0 + camera.offset.y) * 2.0));
    EXPECT_EQ(lightPosition[2], float(80.0 + camera.offset.z));
    EXPECT_NEAR(lightPosition[0], 97.3205f, 1e-4f);
    EXPECT_NEAR(lightPosition[1], 240.0f, 1e-4f);
    EXPECT_NEAR(lightPosition[2], 110.0f, 1e-4f);

    // A turn shows in the camera at once, in the light one frame later.
    camera.AddTheta(0.5);
    display();
    EXPECT_NEAR(lightPosition[2], 110.0f, 1e-4f);
    display();
    EXPECT_NEAR(lightPosition[2], float(80.0 + 40.0 * std::sin(camera.theta) * std::sin(camera.phi)), 1e-4f);
}

TEST(Display, LeavesTheCameraViewAndTheFixedState)
{
    startLikeMain();
    fpsIndex = 0;
    display();
    const double eye[3] = {97.32050807568878, 120.0, 110.0};
    const double centre[3] = {80.0, 100.0, 80.0};
    double want[16];
    lookAtMatrix(eye, centre, want);
    GLdouble got[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, got);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(got[i], want[i], 2e-5 * (1.0 + std::fabs(want[i]))) << "element " << i;

    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_COLOR_MATERIAL));
    GLint mode = 0, face = 0, param = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    glGetIntegerv(GL_COLOR_MATERIAL_FACE, &face);
    glGetIntegerv(GL_COLOR_MATERIAL_PARAMETER, &param);
    EXPECT_EQ(face, GL_FRONT);
    EXPECT_EQ(param, GL_DIFFUSE);
    GLfloat specular[4], shininess = 0.0f;
    glGetMaterialfv(GL_FRONT, GL_SPECULAR, specular);
    glGetMaterialfv(GL_FRONT, GL_SHININESS, &shininess);
    EXPECT_FLOAT_EQ(specular[0], 0.7f);
    EXPECT_FLOAT_EQ(shininess, 2.9f);
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
    EXPECT_EQ(fpsIndex, 1); // one overlay sample per frame
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(Display, WaterFillsTheMiddleOfTheWindowInItsColour)
{
    startLikeMain();
    if (!backBufferSurvivesSwap())
        GTEST_SKIP() << "this GL does not keep the shown frame readable";
    glClearColor(0.7f, 0.8f, 1.0f, 1.0f);
    display();
    display();
    const Rgb water = shownPixel(320, 240);
    // The plain colour (0, 0.16, 1) lit: blue leads, red only from the specular.
    EXPECT_GT(water.b, water.g + 40);
    EXPECT_GT(water.b, water.r + 40);
    EXPECT_GE(water.g, water.r);

    // Grey tones: the three channels agree.
    colorOffsets[0] = colorOffsets[1] = 0.0;
    display();
    const Rgb grey = shownPixel(320, 240);
    EXPECT_NEAR(grey.r, grey.g, 1);
    EXPECT_NEAR(grey.b, grey.g, 1);

    // Mode 1 before any step: scale 0, every vertex red.
    colorOffsets[0] = 1.0 / 3.0;
    colorOffsets[1] = -1.0 / 3.0;
    colorMode = 1;
    display();
    const Rgb red = shownPixel(320, 240);
    EXPECT_GT(red.r, red.b + 40);
    EXPECT_GT(red.r, red.g + 40);
    colorMode = 0;

    // Far above the horizon only the cleared sky remains.
    camera = Camera();
    display();
    display();
    const Rgb sky = shownPixel(320, 478);
    EXPECT_NEAR(sky.r, 178, 2);
    EXPECT_NEAR(sky.g, 204, 2);
    EXPECT_NEAR(sky.b, 255, 1);
}

TEST(Display, AllocatesNothingPerFrame)
{
    startLikeMain();
    colorMode = 1;
    // llvmpipe compiles its shaders with LLVM (C++) in the first frames; the
    // solver's choice of target is made on its first step.
    for (int i = 0; i < 3; ++i)
        display();
    idle();
    display();
    const long before = allocations;
    RebuildProbe probe;
    for (int i = 0; i < 8; ++i) {
        perfDelta = (i == 2) ? 0 : perfFrequency / (30 + i); // widest overlay text too
        display();
    }
    EXPECT_EQ(allocations, before);
    // Nothing changed: the kept attributes are sent.
    const Rebuilt kept = probe.settle();
    EXPECT_FALSE(kept.geometry);
    EXPECT_FALSE(kept.colors);

    // Frames that rebuild the surface's attributes (a step, a mode) reuse its arrays.
    for (int i = 0; i < 4; ++i) {
        RebuildProbe each;
        idle();
        colorMode = 1 + i;
        display();
        const Rebuilt r = each.settle();
        EXPECT_TRUE(r.geometry) << i;
        EXPECT_TRUE(r.colors) << i;
    }
    EXPECT_EQ(allocations, before);
    colorMode = 0;
}

TEST(Display, SkyIsDrawnFirstWithTheRotationOnlyAndNoDepthTest)
{
    startLikeMain();
    RecordingSky sky;
    skybox = &sky;
    display();
    EXPECT_EQ(sky.draws, 1);
    EXPECT_FALSE(sky.depthTest);

    // From the second frame: a look from the origin along -offset of the
    // previous frame, so the rotation of the camera without its translation.
    const Camera::Vec3 previous = camera.offset;
    camera.AddTheta(0.3);
    display();
    EXPECT_EQ(sky.draws, 2);
    EXPECT_FALSE(sky.depthTest);
    const double origin[3] = {0.0, 0.0, 0.0};
    const double away[3] = {-previous.x, -previous.y, -previous.z};
    double want[16];
    lookAtMatrix(origin, away, want);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(sky.modelview[i], want[i], 1e-6) << "element " << i;
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    skybox = nullptr;
}
