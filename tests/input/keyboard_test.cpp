#include <gtest/gtest.h>

#include <GL/freeglut.h>
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "support/program_names.h"
#include "render/camera.h"
#include "input/keyboard.h"
#include "support/gl_test_context.h"

namespace {

// Everything a key may touch, for "this key changed nothing" comparisons.
struct Snapshot {
    ColorMode mode;
    double offsets[2];
    bool isPaused;
    bool zoom;
    Camera cam;
    Field height, velocityU, velocityV;
    GLint shadeModel;

    static Snapshot take()
    {
        Snapshot s;
        s.mode = colorMode;
        s.offsets[0] = colorOffsets[0];
        s.offsets[1] = colorOffsets[1];
        s.isPaused = paused;
        s.zoom = zoomDrag;
        s.cam = camera;
        s.height = h;
        s.velocityU = u;
        s.velocityV = v;
        glGetIntegerv(GL_SHADE_MODEL, &s.shadeModel);
        return s;
    }
};

void expectSame(const Snapshot& a, const Snapshot& b, unsigned char key)
{
    EXPECT_EQ(a.mode, b.mode) << "key " << int(key);
    EXPECT_EQ(0, std::memcmp(a.offsets, b.offsets, sizeof a.offsets)) << "key " << int(key);
    EXPECT_EQ(a.isPaused, b.isPaused) << "key " << int(key);
    EXPECT_EQ(a.zoom, b.zoom) << "key " << int(key);
    EXPECT_EQ(0, std::memcmp(&a.cam, &b.cam, sizeof a.cam)) << "key " << int(key);
    EXPECT_EQ(a.height, b.height) << "key " << int(key);
    EXPECT_EQ(a.velocityU, b.velocityU) << "key " << int(key);
    EXPECT_EQ(a.velocityV, b.velocityV) << "key " << int(key);
    EXPECT_EQ(a.shadeModel, b.shadeModel) << "key " << int(key);
}

// A state far from the start-up one, so that a key that resets more than it
// should is seen.
void setUpState()
{
    ensureGlContext();
    resetFields();
    for (int i = 0; i < CELL_COUNT; ++i) {
        h[i] = 1.0f + 0.001f * float(i % 37);
        u[i] = 0.01f * float(i % 11);
        v[i] = -0.02f * float(i % 7);
        heightChange[i] = 0.5f;
        speedSq[i] = 0.25f;
    }
    colorMode = 3;
    colorOffsets[0] = 0.125;
    colorOffsets[1] = -0.5;
    paused = false;
    zoomDrag = false;
    camera = Camera();
    camera.radius = 55.0;
    camera.theta = 2.0;
    glShadeModel(GL_SMOOTH);
}

GLint shadeModel()
{
    GLint value = 0;
    glGetIntegerv(GL_SHADE_MODEL, &value);
    return value;
}

} // namespace

// Runs first (gtest orders death tests ahead) and in a fresh process, so the
// exit cannot take the other tests with it. Esc (ASCII 27, as GLUT passes it)
// ends the program silently; the codes beside it return (UnboundKeysChangeNothing).
TEST(KeyboardDeathTest, EscapeEndsTheProcessWithStatusZero)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(keyboard(27, 0, 0), ::testing::ExitedWithCode(0), "^$");
}

TEST(Keyboard, DigitsZeroToSixSelectTheColourModeAndNothingElse)
{
    setUpState();
    for (unsigned char key : {'6', '0', '2', '5', '1', '4', '3', '0'}) {
        Snapshot before = Snapshot::take();
        keyboard(key, 10, 20);
        Snapshot after = Snapshot::take();
        EXPECT_EQ(colorMode, key - '0');
        after.mode = before.mode;
        expectSame(before, after, key);
    }
}

TEST(Keyboard, UnboundKeysChangeNothing)
{
    setUpState();
    keyboard('4', 0, 0);
    // Upper case of every bound letter, the digits past 6, blank, Tab, Enter,
    // Backspace, Delete and the codes around the bound ones.
    const unsigned char keys[] = {'B', 'C', 'D', 'F', 'P', 'R', 'S', '7', '8', '9', ' ',
                                  '\t', '\r', 8, 127, '/', ':', 'a', 'e', 'g', 'o', 'q',
                                  't', 0, 26, 28, 255, 200};
    for (unsigned char key : keys) {
        const Snapshot before = Snapshot::take();
        keyboard(key, 1, 1);
        expectSame(before, Snapshot::take(), key);
    }
    EXPECT_EQ(colorMode, 4);
}

TEST(Keyboard, GreyAndColourOffsets)
{
    setUpState();
    keyboard('b', 0, 0);
    EXPECT_EQ(colorOffsets[0], 0.0);
    EXPECT_EQ(colorOffsets[1], 0.0);
    EXPECT_EQ(colorMode, 3) << "'b' must leave the mode alone";

    keyboard('c', 0, 0);
    // Bit-exact start-up values, not merely close to a third.
    EXPECT_EQ(colorOffsets[0], 0.3333333333333333);
    EXPECT_EQ(colorOffsets[1], -0.3333333333333333);

    keyboard('b', 0, 0);
    keyboard('b', 0, 0);
    EXPECT_EQ(colorOffsets[0], 0.0) << "'b' sets, it does not toggle";
}

TEST(Keyboard, PauseToggles)
{
    setUpState();
    keyboard('p', 0, 0);
    EXPECT_TRUE(paused);
    keyboard('p', 0, 0);
    EXPECT_FALSE(paused);
    keyboard('P', 0, 0);
    EXPECT_FALSE(paused);
}

TEST(Keyboard, ResetBringsTheWaterToRestAndKeepsTheRest)
{
    setUpState();
    keyboard('p', 0, 0);
    keyboard('5', 0, 0);
    const Camera cam = camera;
    const float range = heightChangeMax = 0.75f;

    keyboard('r', 0, 0);
    for (int i = 0; i < CELL_COUNT; ++i) {
        ASSERT_EQ(h[i], 1.0f) << i;
        ASSERT_EQ(u[i], 0.0f) << i;
        ASSERT_EQ(v[i], 0.0f) << i;
        ASSERT_EQ(heightChange[i], 0.0f) << i;
        ASSERT_EQ(speedSq[i], 0.0f) << i;
    }
    EXPECT_TRUE(paused);
    EXPECT_EQ(colorMode, 5);
    EXPECT_EQ(colorOffsets[0], 0.125);
    EXPECT_EQ(colorOffsets[1], -0.5);
    EXPECT_EQ(0, std::memcmp(&cam, &camera, sizeof cam));
    EXPECT_EQ(heightChangeMax, range);
}

TEST(Keyboard, RandomDropRaisesOneSquarePatchByOneIncrement)
{
    setUpState();
    keyboard('r', 0, 0);
    for (unsigned seed : {1u, 2u, 3u, 12345u}) {
        keyboard('r', 0, 0);
        basin.generator.seed(seed);
        keyboard('d', 0, 0);
        int raised = 0, minX = GRID_SIZE, maxX = -1, minY = GRID_SIZE, maxY = -1;
        float value = 0.0f;
        for (int x = 0; x < GRID_SIZE; ++x)
            for (int y = 0; y < GRID_SIZE; ++y) {
                const float cell = h[cellIndex(x, y)];
                if (cell == 1.0f)
                    continue;
                if (raised == 0)
                    value = cell;
                EXPECT_EQ(cell, value) << "every cell gets the same increment";
                ++raised;
                minX = std::min(minX, x), maxX = std::max(maxX, x);
                minY = std::min(minY, y), maxY = std::max(maxY, y);
            }
        ASSERT_GT(raised, 0) << "seed " << seed;
        EXPECT_EQ(raised, (maxX - minX + 1) * (maxY - minY + 1)) << "a filled rectangle";
        EXPECT_LE(maxX - minX + 1, 14);
        EXPECT_LE(maxY - minY + 1, 14);
        EXPECT_GE(value, 1.0099999904632568f);
        EXPECT_LE(value, 1.0699981451034546f);
        EXPECT_EQ(u, Field(CELL_COUNT, 0.0f)) << "a drop leaves the velocities alone";
        EXPECT_FALSE(paused);
    }
}

TEST(Keyboard, FlatAndSmoothShadingInTheRealContext)
{
    setUpState();
    ASSERT_EQ(shadeModel(), GL_SMOOTH);
    keyboard('f', 0, 0);
    EXPECT_EQ(shadeModel(), GL_FLAT);
    keyboard('F', 0, 0);
    keyboard('S', 0, 0);
    EXPECT_EQ(shadeModel(), GL_FLAT) << "upper case is not bound";
    keyboard('f', 0, 0);
    EXPECT_EQ(shadeModel(), GL_FLAT);
    keyboard('s', 0, 0);
    EXPECT_EQ(shadeModel(), GL_SMOOTH);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
